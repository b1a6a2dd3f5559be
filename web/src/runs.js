// The runs and the pins: the numbered runs in the list of runs, numbered per
// task as the desktop numbers its windows, the runs pinned for comparison,
// and their keeping across reloads.

import { $, notify, showMessage } from './dom.js';
import { MAX_RUN_NUMBER, keptOf, loadRuns, saveRuns } from './storage.js';

export const MAX_PINS = 4;

const model = {
  engine: null, // computes the kept runs again
  taskOf: () => null, // code -> {code, fileName, ...}
  counters: {}, // runs per task code
  runs: [], // {id, caption, code, n, params, texts, result}
  lastId: 0, // the runs' ids, their values in the list
  pins: [], // pinned runs, in pinning order
  kept: true, // whether the browser keeps the runs
  unsaved: false, // whether the last saving failed
};

export const allRuns = () => model.runs;
export const pinsNow = () => model.pins;
export const isPinned = (run) => model.pins.includes(run);
export const pinsFull = () => model.pins.length >= MAX_PINS;
export const runById = (value) => model.runs.find((r) => String(r.id) === value);

// What a task's runs are captioned by: the first six characters of the
// statement's name ("zad101"), or a task file's name without ".toml".
export const runStem = (task) =>
  task.scheme ? task.scheme.name.replace(/\.toml$/i, '').slice(0, 24) : task.fileName.slice(0, 6);

// The caption of a task's run n: the desktop's for its result windows (first
// 6 characters of the file name, ".out(", the counter right-aligned in 2
// characters and cut to 2, ")"); past 99, where the desktop's repeat, the
// whole number.
function captionOf(task, n) {
  const six = runStem(task);
  return n <= 99 ? `${six}.out(${String(n).padStart(2, ' ')})` : `${six}.out(${n})`;
}

// Computes a kept run again (the same data give the same bytes); null and a
// message when the engine refuses it now.
export function resultOf(run) {
  if (run.result) return run.result;
  try {
    const texts = new Map(run.texts);
    const values = [];
    for (const [slot, text] of texts) {
      const v = model.engine.parse(text);
      if (v === null) throw new Error(`Недопустимое числовое значение: «${text}»`);
      values[slot - 1] = v;
    }
    run.result = model.engine.run(run.code, values, run.scheme);
  } catch (e) {
    showMessage(`${run.caption}: ${e.message}`);
    return null;
  }
  return run.result;
}

function addRunOption(run) {
  run.id = ++model.lastId;
  const option = document.createElement('option');
  option.value = String(run.id);
  option.textContent = run.caption;
  $('runs').append(option);
  return option;
}

function saveNow() {
  const ok = saveRuns(model.counters, model.runs, isPinned);
  if (!ok && model.kept) notify('Браузер не сохраняет расчёты: после перезагрузки их не будет.');
  model.kept = ok;
  model.unsaved = !ok;
}

// Only what is not saved yet: another tab's later runs are not overwritten
// by this tab going to the background.
export const saveUnsaved = () => model.unsaved && saveNow();

function enableButtons() {
  const none = model.runs.length === 0;
  $('clear-runs').disabled = none;
  $('load-values').disabled = none;
}

// Saves the runs at once: one setItem costs less than a run, and a page
// closed right after a Run or a clearing must keep what the student saw.
function keepRuns() {
  enableButtons();
  saveNow();
}

// Makes `run` (a live one) a numbered run; the oldest unpinned runs beyond
// what the storage keeps leave the list too.
export function numberRun(run) {
  const task = model.taskOf(run.code);
  let n = (model.counters[run.code] || 0) + 1;
  if (n > MAX_RUN_NUMBER) n = 1;
  model.counters[run.code] = n;
  run.n = n;
  run.caption = captionOf(task, n);
  model.runs.push(run);
  $('runs').value = addRunOption(run).value;
  const kept = keptOf(model.runs, isPinned);
  if (kept !== model.runs) {
    const left = new Set(kept.map((r) => String(r.id)));
    for (const option of Array.from($('runs').options)) if (!left.has(option.value)) option.remove();
    model.runs = kept;
  }
  keepRuns();
}

// Pins `run`, numbering a live one: it is kept once it is pinned. False
// when the pins are full.
export function addPin(run) {
  if (pinsFull()) return false;
  if (!run.n) numberRun(run);
  model.pins.push(run);
  keepRuns();
  return true;
}

export function removePin(run) {
  model.pins = model.pins.filter((p) => p !== run);
  keepRuns();
}

export function clearRuns() {
  model.runs = [];
  model.pins = [];
  model.counters = {};
  $('runs').replaceChildren();
  keepRuns();
}

// The runs kept by an earlier visit, in the list again; `engine` computes
// them when they are shown, `taskOf(code)` names their tasks.
export function restoreRuns(engine, taskOf) {
  model.engine = engine;
  model.taskOf = taskOf;
  const saved = loadRuns();
  model.counters = saved.counters;
  for (const r of saved.runs) {
    if (!taskOf(r.code)) continue;
    const run = {
      caption: r.caption,
      code: r.code,
      n: r.n,
      params: r.params,
      texts: r.texts,
      scheme: r.scheme,
      result: null,
    };
    model.runs.push(run);
    addRunOption(run);
    if (r.pinned && model.pins.length < MAX_PINS) model.pins.push(run);
    model.counters[r.code] = Math.max(model.counters[r.code] || 0, r.n);
  }
  enableButtons();
}
