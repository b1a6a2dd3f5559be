// The browser edition's page: task list and statement, the task's initial
// data, Run, the numbered runs with their optimum, chart and report, live mode,
// pinned runs, links and the runs kept across reloads; a student's self-check
// of a variant and the teacher's panel that makes the variants.

import { fieldKeys, formatAddress, isKitAddress, pageBase, parseAddress, valueFor } from './address.js';
import { PIN_DASHES, drawChart, pointNear, seriesOf } from './chart.js';
import { decodeCp1251, loadEngine } from './engine.js';
import { fillFields, inputsOf, readFields, resetFields } from './fields.js';
import { savePicture, saveReport, saveTable } from './downloads.js';
import {
  chartDescription,
  dataBeside,
  markOf,
  optimumOf,
  readoutText,
  renderLegend,
  renderOptimum,
  statement,
} from './results.js';
import { endSelfCheck, selfCheckRunShown, startSelfCheck } from './selfcheck.js';
import { MAX_RUN_NUMBER, keptOf, loadRuns, saveRuns } from './storage.js';
import { setUpTeacherPanel } from './teacher.js';
import { $ } from './dom.js';

const MAX_PINS = 4;
const narrow = window.matchMedia('(max-width: 959px)');

function fromBase64(text) {
  const raw = atob(text);
  const bytes = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; ++i) bytes[i] = raw.charCodeAt(i);
  return bytes;
}

// The line that names a task: the first non-empty one after "Задача NNN".
function titleOf(text) {
  const lines = text
    .split(/\r?\n/)
    .map((l) => l.trim())
    .filter((l) => l);
  const rest = lines.filter((l) => !/^Задача\s+\d+/.test(l));
  return rest[0] || lines[0] || '';
}

const state = {
  engine: null,
  tasks: [], // {code, fileName, statement, title}
  code: 0,
  fields: null, // fields of the current task
  keys: [], // their names in links
  counters: {}, // runs per task code, numbered as the desktop numbers its windows
  runs: [], // {id, caption, code, n, params, texts, result}
  lastId: 0, // the runs' ids, their values in the list
  shown: null, // the run shown now (a numbered run or the live one)
  pins: [],
  cursor: null, // the chart point being read
  live: false,
  liveQueued: false,
  kept: true, // whether the browser keeps the runs
  variant: null, // the variant being checked: {code, number, data, tolerance, params}
  showKit: null, // shows the teacher's panel
};

const taskOf = (code) => state.tasks.find((t) => t.code === code);

// The caption of a task's run n: the desktop's for its result windows (first
// 6 characters of the file name, ".out(", the counter right-aligned in 2
// characters and cut to 2, ")"); past 99, where the desktop's repeat, the
// whole number.
function captionOf(task, n) {
  const six = task.fileName.slice(0, 6);
  return n <= 99 ? `${six}.out(${String(n).padStart(2, ' ')})` : `${six}.out(${n})`;
}

function showMessage(text) {
  $('message').textContent = text;
  $('message').hidden = !text;
}

// A short word in the status line (copied link, a full set of pins).
function notify(text) {
  $('notice').textContent = text;
}

// ---- task list and statement ------------------------------------------------

function fillTaskList() {
  const list = $('tasks');
  for (const task of state.tasks) {
    const option = document.createElement('option');
    option.value = String(task.code);
    option.textContent = `${task.code}  ${task.title}`;
    option.title = option.textContent;
    list.append(option);
  }
  list.addEventListener('change', () => {
    selectTask(Number(list.value));
    updateAddressSoon();
  });
  const full = (option) => ($('task-full').textContent = option?.textContent ?? '');
  list.addEventListener('mouseover', (e) => e.target instanceof HTMLOptionElement && full(e.target));
  list.addEventListener('mouseleave', () => full(list.selectedOptions[0]));
}

// Shows task `code` with its default data, or with the texts given: `slots`,
// a Map slot -> text, or `link`, a Map of a link's names -> text. False when
// there is no such task.
function selectTask(code, { slots = null, link = null } = {}) {
  const task = taskOf(code);
  if (!task) return false;
  showMessage('');
  const leftVariant = state.variant !== null && state.variant.code !== code;
  if (leftVariant) {
    state.variant = null;
    endSelfCheck();
  }
  let fields;
  try {
    fields = state.engine.fields(code);
  } catch (e) {
    showMessage(e.message);
    return false;
  }
  state.code = code;
  state.fields = fields;
  state.keys = fieldKeys(fields.fields);
  $('tasks').value = String(code);
  $('task-full').textContent = $('tasks').selectedOptions[0]?.textContent ?? '';
  $('statement').textContent = task.statement;
  $('task-line').textContent = `Задача ${code}. ${task.title}`;
  fillFields($('fields'), fields, onValueEdited);
  const inputs = inputsOf($('fields'));
  fields.fields.forEach((f, i) => {
    const text = link ? valueFor(link, fields.fields, state.keys, i) : slots?.get(f.slot);
    if (text !== null && text !== undefined) inputs[i].value = text;
  });
  $('data').hidden = false;
  // The variant's link goes at once: a reload now opens this task.
  if (leftVariant) updateAddress();
  if (state.live) runTask({ live: true });
  return true;
}

// ---- the address ------------------------------------------------------------

function addressNow() {
  const inputs = inputsOf($('fields'));
  return formatAddress(
    state.code,
    inputs.map((input, i) => [state.keys[i], input.value]),
  );
}

function updateAddress() {
  // A variant's link stays as the teacher made it, and the panel keeps its
  // own address.
  if (!state.code || state.variant || !$('kit').hidden) return;
  clearTimeout(state.addressTimer);
  history.replaceState(null, '', addressNow());
}

// The same a little later: rewriting the address takes longer than a run.
function updateAddressSoon() {
  clearTimeout(state.addressTimer);
  state.addressTimer = setTimeout(updateAddress, 400);
}

function openAddress() {
  const kit = isKitAddress(location.hash);
  $('page').hidden = kit;
  $('kit').hidden = !kit;
  if (kit) {
    if (!state.code && state.tasks.length) selectTask(state.tasks[0].code);
    state.showKit();
    return true;
  }
  const link = parseAddress(location.hash);
  if (!link || !taskOf(link.code)) return false;
  if (!selectTask(link.code, { link: link.values })) return false;
  if (link.tooLong.length)
    showMessage(`Слишком длинное значение в ссылке: ${link.tooLong.join(', ')} (оставлено предлагаемое)`);
  if (link.variant) openVariant(link);
  else if (state.variant) {
    state.variant = null;
    endSelfCheck();
  }
  return true;
}

// A variant's link: its data in the fields, the form that checks the
// answers, and no optimum on screen until the student runs the task or asks
// for the answer.
function openVariant(link) {
  const read = readFields($('fields'), state.fields.slots, state.engine.parse);
  if (read.error) {
    showMessage(read.error);
    return;
  }
  const bySlot = new Map(read.texts);
  const data = Array.from({ length: state.fields.slots }, (_, j) => bySlot.get(j + 1) ?? '');
  state.variant = { code: link.code, number: link.variant, data, tolerance: link.tolerance, params: read.params };
  clearShown();
  const refused = startSelfCheck(state.engine, state.variant);
  if (refused) {
    state.variant = null;
    showMessage(refused);
  }
}

// No run on screen: the optimum, the chart and the report as before the
// first Run.
function clearShown() {
  state.shown = null;
  state.cursor = null;
  $('result-caption').textContent = '';
  $('optimum').innerHTML =
    '<p class="quiet">Оптимум скрыт: сначала проверьте свои ответы. «Рассчитать» покажет оптимум, график и отчёт.</p>';
  $('report-box').hidden = true;
  $('readout').textContent = '';
  for (const id of ['download-report', 'download-chart', 'download-table']) $(id).disabled = true;
  redrawChart();
}

async function copyLink() {
  updateAddress();
  // The link of what the fields hold, whatever the address shows.
  const url = pageBase() + addressNow();
  try {
    await navigator.clipboard.writeText(url);
    notify(`Ссылка скопирована: ${url}`);
  } catch {
    // Without the clipboard the link is shown to be copied by hand.
    notify(`Ссылка на эту задачу с этими данными: ${url}`);
  }
}

// ---- runs -------------------------------------------------------------------

// Computes a kept run again (the same data give the same bytes); null and a
// message when the engine refuses it now.
function resultOf(run) {
  if (run.result) return run.result;
  try {
    const texts = new Map(run.texts);
    const values = [];
    for (const [slot, text] of texts) {
      const v = state.engine.parse(text);
      if (v === null) throw new Error(`Недопустимое числовое значение: «${text}»`);
      values[slot - 1] = v;
    }
    run.result = state.engine.run(run.code, values);
  } catch (e) {
    showMessage(`${run.caption}: ${e.message}`);
    return null;
  }
  return run.result;
}

const runById = (value) => state.runs.find((r) => String(r.id) === value);

function addRunOption(run) {
  run.id = ++state.lastId;
  const option = document.createElement('option');
  option.value = String(run.id);
  option.textContent = run.caption;
  $('runs').append(option);
  return option;
}

function saveNow() {
  const ok = saveRuns(state.counters, state.runs, (r) => state.pins.includes(r));
  if (!ok && state.kept) notify('Браузер не сохраняет расчёты: после перезагрузки их не будет.');
  state.kept = ok;
  state.unsaved = !ok;
}

// Only what is not saved yet: another tab's later runs are not overwritten
// by this tab going to the background.
const saveUnsaved = () => state.unsaved && saveNow();

// Saves the runs at once: one setItem costs less than a run, and a page
// closed right after a Run or a clearing must keep what the student saw.
function keepRuns() {
  const none = state.runs.length === 0;
  $('clear-runs').disabled = none;
  $('load-values').disabled = none;
  saveNow();
}

// Makes `run` (a live one) a numbered run; the oldest unpinned runs beyond
// what the storage keeps leave the list too.
function numberRun(run) {
  const task = taskOf(run.code);
  let n = (state.counters[run.code] || 0) + 1;
  if (n > MAX_RUN_NUMBER) n = 1;
  state.counters[run.code] = n;
  run.n = n;
  run.caption = captionOf(task, n);
  state.runs.push(run);
  $('runs').value = addRunOption(run).value;
  const kept = keptOf(state.runs, (r) => state.pins.includes(r));
  if (kept !== state.runs) {
    const left = new Set(kept.map((r) => String(r.id)));
    for (const option of Array.from($('runs').options)) if (!left.has(option.value)) option.remove();
    state.runs = kept;
  }
  keepRuns();
}

// A refusal in live mode waits this long after the last key: "0," on the way
// to "0,5" is no mistake.
const LIVE_REFUSAL_MS = 700;

function refuse(text, live) {
  clearTimeout(state.refusalTimer);
  if (live) state.refusalTimer = setTimeout(() => showMessage(text), LIVE_REFUSAL_MS);
  else showMessage(text);
}

function runTask({ live }) {
  const task = taskOf(state.code);
  if (!task) return false;
  const read = readFields($('fields'), state.fields.slots, state.engine.parse);
  if (read.error) {
    refuse(read.error, live);
    // While typing in live mode the focus stays where the student types.
    if (!live) read.input.focus();
    return false;
  }
  let result;
  try {
    result = state.engine.run(task.code, read.values);
  } catch (e) {
    // A refused run changes nothing: the runs and the report shown stay.
    refuse(e.message, live);
    return false;
  }
  clearTimeout(state.refusalTimer);
  showMessage('');
  // A word about an earlier pin or link is not about this run.
  if (!live) notify('');
  const run = {
    caption: `${task.fileName.slice(0, 6)}.out (живой)`,
    code: task.code,
    n: 0,
    params: read.params,
    texts: read.texts,
    result,
  };
  if (!live) numberRun(run);
  showRun(run, { announce: true });
  if (!live) {
    updateAddressSoon();
    requestAnimationFrame(bringResultIntoView);
  }
  return true;
}

// After Run the answer is on screen: on a phone it is below the fields.
function bringResultIntoView() {
  const answer = $('answer').getBoundingClientRect();
  const chart = $('chart').getBoundingClientRect();
  if (answer.top < 0 || chart.bottom > window.innerHeight) $('answer').scrollIntoView({ block: 'start' });
}

function showRun(run, { announce = false } = {}) {
  const result = resultOf(run);
  if (!result) return;
  state.shown = run;
  state.cursor = null;
  const { items } = optimumOf(result);
  $('report-box').hidden = false;
  $('result-caption').textContent = run.caption;
  renderOptimum($('optimum'), items);
  $('report').textContent = result.text.replace(/\r\n/g, '\n');
  $('print-data').textContent = run.params.join('; ');
  $('readout').textContent = '';
  for (const id of ['download-report', 'download-chart', 'download-table']) $(id).disabled = false;
  redrawChart();
  requestAnimationFrame(markReportOverflow);
  // A variant's form gives the optimum its place back.
  if (state.variant) selfCheckRunShown();
  if (announce) {
    const said = items.length ? items.map(statement).join(', ') : 'отчёт готов';
    $('announce').textContent = `${run.caption}: ${said}`;
  }
}

// The pins drawn with the run shown: those of its task, in pinning order,
// each with its place among the pins (its dash pattern).
function drawnPins() {
  const run = state.shown;
  if (!run) return [];
  return state.pins
    .map((pin, i) => ({ pin, i }))
    .filter(({ pin }) => pin !== run && pin.code === run.code && resultOf(pin));
}

function redrawChart() {
  const run = state.shown;
  const result = run && resultOf(run);
  const { items } = result ? optimumOf(result) : { items: [] };
  drawChart(
    $('chart'),
    {
      current: result ? result.chart : null,
      pins: drawnPins().map(({ pin, i }) => ({ points: pin.result.chart, dash: pinDash(i) })),
      mark: result ? markOf(result) : null,
      cursor: state.cursor,
    },
    state.chartSize,
  );
  $('chart').setAttribute('aria-label', chartDescription(run, items));
  renderLegend($('legend'), run, state.pins, unpin);
  printChartSoon();
  const full = state.pins.length >= MAX_PINS;
  $('pin').disabled = !run || state.pins.includes(run) || full;
  $('pin').title = full ? 'Закреплено четыре расчёта: открепите один' : '';
}

const pinDash = (i) => PIN_DASHES[i % PIN_DASHES.length];

// The chart for paper, in CSS pixels: 186 by 100 mm, the sheet's width
// inside its margins.
const PRINT_SIZE = { w: 703, h: 378 }; // as the style sheet has it
const printing = window.matchMedia('print');

// Draws the printed chart: what the screen shows but the read-out. Once the
// event is done, so that a Run does not wait for it, and at once before
// printing.
function drawPrintChart() {
  clearTimeout(state.printTimer);
  state.printTimer = null;
  const run = state.shown;
  const result = run && resultOf(run);
  drawChart(
    $('print-chart'),
    {
      current: result ? result.chart : null,
      pins: drawnPins().map(({ pin, i }) => ({ points: pin.result.chart, dash: pinDash(i) })),
      mark: result ? markOf(result) : null,
    },
    PRINT_SIZE,
    2,
  );
}

function printChartSoon() {
  if (state.printTimer === null || state.printTimer === undefined) state.printTimer = setTimeout(drawPrintChart, 0);
}

function pin() {
  const run = state.shown;
  if (!run || state.pins.includes(run)) return;
  if (state.pins.length >= MAX_PINS) {
    notify('Закреплено четыре расчёта: открепите один, чтобы закрепить этот.');
    return;
  }
  if (!run.n) numberRun(run); // a live run is kept once it is pinned
  state.pins.push(run);
  keepRuns();
  redrawChart();
  notify(`${run.caption} закреплён для сравнения: следующие расчёты задачи ${run.code} рисуются рядом с ним.`);
}

function unpin(run) {
  state.pins = state.pins.filter((p) => p !== run);
  keepRuns();
  redrawChart();
  notify(`${run.caption} откреплён.`);
  // Its button is gone: the focus goes on to the chart it was drawn on.
  $('chart').focus();
}

function clearRuns() {
  state.runs = [];
  state.pins = [];
  state.counters = {};
  $('runs').replaceChildren();
  keepRuns();
  if (state.shown) redrawChart();
  notify('Расчёты удалены.');
}

// Whether the report is wider than its panel: then a note says it scrolls.
function markReportOverflow() {
  const report = $('report');
  const wider = report.scrollWidth > report.clientWidth + 1;
  $('report-box').classList.toggle('wide', wider);
  const atEnd = report.scrollLeft + report.clientWidth >= report.scrollWidth - 1;
  $('report-box').classList.toggle('at-end', atEnd);
}

function onValueEdited() {
  if (!state.live) return;
  clearTimeout(state.refusalTimer); // still typing
  if (state.liveQueued) return;
  // One run per frame however fast the typing: the last values win.
  state.liveQueued = true;
  requestAnimationFrame(() => {
    state.liveQueued = false;
    if (state.live) runTask({ live: true });
  });
}

// ---- the chart's read-out ---------------------------------------------------

function readPoint(i) {
  const run = state.shown;
  if (!run || !run.result) return;
  const count = seriesOf(run.result.chart)[0].length;
  if (i === null || count === 0) return;
  state.cursor = Math.max(0, Math.min(count - 1, i));
  redrawChart();
  $('readout').textContent = readoutText(run.result.chart, state.cursor);
}

function wireChart() {
  const canvas = $('chart');
  const at = (e) => state.shown?.result && readPoint(pointNear(canvas, state.shown.result.chart, e.clientX));
  canvas.addEventListener('pointermove', at);
  canvas.addEventListener('pointerdown', at);
  canvas.addEventListener('keydown', (e) => {
    const run = state.shown;
    if (!run?.result) return;
    const last = seriesOf(run.result.chart)[0].length - 1;
    const now = state.cursor ?? -1;
    const to = { ArrowRight: now + 1, ArrowLeft: now - 1, Home: 0, End: last }[e.key];
    if (to === undefined) return;
    e.preventDefault();
    readPoint(to);
  });
}

// ---- downloads --------------------------------------------------------------

function downloadChart() {
  const run = state.shown;
  if (!run) return;
  savePicture(run, {
    task: $('task-line').textContent,
    run,
    optimum: optimumOf(run.result).items,
    points: run.result.chart,
    mark: markOf(run.result),
    pins: drawnPins().map(({ pin, i }) => ({
      caption: pin.caption,
      data: dataBeside(pin, run),
      points: pin.result.chart,
      dash: pinDash(i),
    })),
  });
}

// ---- the scriptable engine --------------------------------------------------

function publicRun(code, values = []) {
  return new Promise((resolve, reject) => {
    try {
      if (!Number.isInteger(code)) code = Number.parseInt(String(code), 10);
      if (!Array.isArray(values)) throw new Error('values: массив значений P1 ... P10');
      const numbers = values.map((v, i) => {
        if (v === null || v === undefined) return null;
        if (typeof v === 'number') return v;
        const parsed = state.engine.parse(String(v));
        if (parsed === null) throw new Error(`Недопустимое числовое значение P${i + 1}: «${v}»`);
        return parsed;
      });
      resolve(state.engine.run(code, numbers));
    } catch (e) {
      reject(e instanceof Error ? e : new Error(String(e)));
    }
  });
}

function drawnPoints() {
  const pack = (r) => {
    if (!r || !r.result) return null;
    const [s1, s2] = seriesOf(r.result.chart);
    return { caption: r.caption, series1: s1, series2: s2 };
  };
  const pins = drawnPins().map(({ pin }) => pack(pin));
  return { current: pack(state.shown), pinned: pins[0] || null, pins };
}

// ---- start ------------------------------------------------------------------

function restoreRuns() {
  const saved = loadRuns();
  state.counters = saved.counters;
  for (const r of saved.runs) {
    const task = taskOf(r.code);
    if (!task) continue;
    const run = { caption: r.caption, code: r.code, n: r.n, params: r.params, texts: r.texts, result: null };
    state.runs.push(run);
    addRunOption(run);
    if (r.pinned && state.pins.length < MAX_PINS) state.pins.push(run);
    state.counters[r.code] = Math.max(state.counters[r.code] || 0, r.n);
  }
  $('clear-runs').disabled = state.runs.length === 0;
  $('load-values').disabled = state.runs.length === 0;
}

// After a reload the last run is on screen again, with its task and data in
// the fields unless the address names a task of its own.
function showLastRun({ withTask }) {
  const run = state.runs.at(-1);
  if (!run) return;
  if (withTask && !selectTask(run.code, { slots: new Map(run.texts) })) return;
  $('runs').value = String(run.id);
  showRun(run);
}

// Phones get drop-down lists; a laptop the open lists.
function fitLists() {
  $('tasks').size = narrow.matches ? 1 : 25;
  $('runs').size = narrow.matches ? 1 : 6;
}

function wire() {
  $('data').addEventListener('submit', (e) => {
    e.preventDefault();
    runTask({ live: false });
  });
  $('live').addEventListener('change', () => {
    state.live = $('live').checked;
    if (state.live) runTask({ live: true });
  });
  $('reset').addEventListener('click', () => {
    resetFields($('fields'));
    showMessage('');
    onValueEdited();
  });
  $('runs').addEventListener('change', () => {
    const run = runById($('runs').value);
    if (run) showRun(run);
  });
  $('load-values').addEventListener('click', () => {
    const run = runById($('runs').value) || state.shown;
    if (!run) return;
    selectTask(run.code, { slots: new Map(run.texts) });
    updateAddressSoon();
    notify(`Значения ${run.caption} — в полях исходных данных.`);
  });
  $('clear-runs').addEventListener('click', clearRuns);
  $('copy-link').addEventListener('click', copyLink);
  $('show-statement').addEventListener('click', () => {
    $('task').scrollIntoView({ block: 'start' });
    $('statement').focus({ preventScroll: true });
  });
  $('download-report').addEventListener('click', () => state.shown && saveReport(state.shown));
  $('download-chart').addEventListener('click', downloadChart);
  $('download-table').addEventListener('click', () => state.shown && saveTable(state.shown));
  $('pin').addEventListener('click', pin);
  $('report').addEventListener('scroll', markReportOverflow, { passive: true });
  // The chart's size is read here, not at every draw, so that a Run never
  // waits for the page's layout.
  new ResizeObserver(([entry]) => {
    const box = entry.contentRect;
    state.chartSize = { w: box.width, h: box.height };
    if (state.shown) redrawChart();
    else drawChart($('chart'), {}, state.chartSize);
    markReportOverflow();
  }).observe($('chart'));
  window.addEventListener('hashchange', () => openAddress());
  window.addEventListener('beforeprint', drawPrintChart);
  printing.addEventListener('change', () => printing.matches && drawPrintChart());
  // The last word before the page goes: a tab closed, the phone's screen off.
  window.addEventListener('pagehide', saveUnsaved);
  document.addEventListener('visibilitychange', () => document.visibilityState === 'hidden' && saveUnsaved());
  narrow.addEventListener('change', fitLists);
  wireChart();
}

async function start() {
  const data = JSON.parse($('reactopt-data').textContent);
  state.engine = await loadEngine(globalThis.createReactOptEngine, fromBase64(data.dataFile));
  const known = new Set(state.engine.taskCodes());
  state.tasks = data.tasks
    .filter((t) => known.has(t.code))
    .map((t) => {
      const text = decodeCp1251(fromBase64(t.statement));
      return { code: t.code, fileName: t.fileName, statement: text, title: titleOf(text) };
    });
  fillTaskList();
  fitLists();
  drawChart($('chart'), {}, state.chartSize);
  wire();
  restoreRuns();
  const showPanel = setUpTeacherPanel({ engine: state.engine, tasks: state.tasks, currentCode: () => state.code });
  state.showKit = () => {
    showPanel();
    $('close-kit').href = state.code ? addressNow() : '#';
    $('kit-title').focus();
  };

  window.ReactOpt = Object.freeze({
    run: publicRun,
    // What the chart shows now, series by series in drawing order.
    drawn: drawnPoints,
  });
  $('loading').hidden = true;
  const opened = openAddress();
  if (!state.variant && $('kit').hidden) showLastRun({ withTask: !opened });
  if (!state.code && state.tasks.length) selectTask(state.tasks[0].code);
  document.body.dataset.readyMs = String(Math.round(performance.now()));
  document.body.dataset.ready = 'true';
}

start().catch((e) => {
  $('loading').textContent = `Не удалось запустить программу: ${e.message}`;
});
