// The browser edition's page: task list and statement, the task's initial
// data, Run, the numbered runs with report and chart, live mode and comparison.

import { drawChart, seriesOf } from './chart.js';
import { decodeCp1251, loadEngine } from './engine.js';

const $ = (id) => document.getElementById(id);

function fromBase64(text) {
  const raw = atob(text);
  const bytes = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; ++i) bytes[i] = raw.charCodeAt(i);
  return bytes;
}

// The line that names a task: the first non-empty one after "Задача NNN".
function titleOf(statement) {
  const lines = statement.split(/\r?\n/).map((l) => l.trim()).filter((l) => l);
  const rest = lines.filter((l) => !/^Задача\s+\d+/.test(l));
  return rest[0] || lines[0] || '';
}

const state = {
  engine: null,
  tasks: [], // {code, fileName, statement, title}
  code: 0,
  fields: null, // fields of the current task
  counters: {}, // runs per task code, numbered as the desktop numbers its windows
  runs: [], // {caption, code, fileName, params, report, text, chart}
  shown: null, // the run shown now (a numbered run or the live one)
  pinned: null,
  live: false,
  liveQueued: false,
};

// The caption of the next result window of a task: the first 6 characters of
// its file name, ".out(", the counter right-aligned in 2 characters and cut
// to 2, ")".
function nextCaption(task) {
  const n = (state.counters[task.code] = (state.counters[task.code] || 0) + 1);
  return `${task.fileName.slice(0, 6)}.out(${String(n).padStart(2, ' ').slice(0, 2)})`;
}

function currentTask() {
  return state.tasks.find((t) => t.code === state.code);
}

function showMessage(text) {
  const box = $('message');
  box.textContent = text;
  box.hidden = !text;
}

// ---- task list and statement ------------------------------------------------

function fillTaskList() {
  const list = $('tasks');
  for (const task of state.tasks) {
    const option = document.createElement('option');
    option.value = String(task.code);
    option.textContent = `${task.code}  ${task.title}`;
    list.append(option);
  }
  list.addEventListener('change', () => selectTask(Number(list.value)));
}

function selectTask(code) {
  const task = state.tasks.find((t) => t.code === code);
  if (!task) return;
  showMessage('');
  let fields;
  try {
    fields = state.engine.fields(code);
  } catch (e) {
    showMessage(e.message);
    return;
  }
  state.code = code;
  state.fields = fields;
  $('tasks').value = String(code);
  $('statement').textContent = task.statement;
  $('statement-title').textContent = `${task.fileName}`;
  $('data-title').textContent = `InitialData Task №${code}`;
  fillFields(fields);
  $('data').hidden = false;
  updateCompare();
}

// ---- initial data -----------------------------------------------------------

function fillFields(fields) {
  const box = $('fields');
  box.replaceChildren();
  for (const field of fields.fields) {
    const row = document.createElement('div');
    row.className = 'field';
    const id = `field${field.slot}`;
    const label = document.createElement('label');
    label.htmlFor = id;
    label.textContent = field.label.trim();
    const input = document.createElement('input');
    input.id = id;
    input.type = 'text';
    input.inputMode = 'decimal';
    input.autocomplete = 'off';
    input.spellcheck = false;
    input.dataset.slot = String(field.slot);
    input.value = field.values[0].trim();
    input.setAttribute('list', `${id}-values`);
    const offered = document.createElement('datalist');
    offered.id = `${id}-values`;
    for (const v of field.values) {
      const option = document.createElement('option');
      option.value = v.trim();
      offered.append(option);
    }
    // The three offered values as buttons too: a datalist is not offered on
    // every browser, and these work from the keyboard everywhere.
    const choices = document.createElement('span');
    choices.className = 'choices';
    choices.setAttribute('role', 'group');
    choices.setAttribute('aria-label', `Offered values: ${label.textContent}`);
    field.values.forEach((v) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = v.trim();
      b.setAttribute('aria-label', `${label.textContent} = ${v.trim()}`);
      b.addEventListener('click', () => {
        input.value = v.trim();
        input.dispatchEvent(new Event('input', { bubbles: true }));
      });
      choices.append(b);
    });
    input.addEventListener('input', onValueEdited);
    row.append(label, input, offered, choices);
    box.append(row);
  }
}

// The values of the fields in slot order, as the dialog's OK takes them; a
// text that is not a number is refused with a message naming the field.
function readFields() {
  const k = state.fields.slots;
  const values = new Array(k).fill(null);
  const texts = [];
  for (const input of $('fields').querySelectorAll('input')) {
    const slot = Number(input.dataset.slot);
    const label = input.labels[0].textContent;
    if (slot > k) continue; // shown but never stored, as on the desktop
    const value = state.engine.parse(input.value);
    if (value === null) {
      return {
        error: `Недопустимое числовое значение в поле «${label}»: «${input.value}»`,
        input,
      };
    }
    values[slot - 1] = value;
    texts.push(`${label} = ${input.value.trim()}`);
  }
  return { values, texts };
}

// ---- runs -------------------------------------------------------------------

function runTask({ live }) {
  const task = currentTask();
  if (!task) return false;
  const read = readFields();
  if (read.error) {
    showMessage(read.error);
    // While typing in live mode the focus stays where the student types.
    if (!live) read.input.focus();
    return false;
  }
  let result;
  try {
    result = state.engine.run(task.code, read.values);
  } catch (e) {
    // A refused run changes nothing: the runs and the report shown stay.
    showMessage(e.message);
    return false;
  }
  showMessage('');
  const run = {
    caption: live ? `${task.fileName.slice(0, 6)}.out (live)` : nextCaption(task),
    code: task.code,
    params: read.texts,
    ...result,
  };
  if (!live) {
    state.runs.push(run);
    const option = document.createElement('option');
    option.value = String(state.runs.length - 1);
    option.textContent = run.caption;
    $('runs').append(option);
    $('runs').value = option.value;
  }
  showRun(run);
  return true;
}

function showRun(run) {
  state.shown = run;
  $('results').hidden = false;
  $('result-caption').textContent = run.caption;
  $('report').textContent = run.text.replace(/\r\n/g, '\n');
  redrawChart();
  $('download-report').disabled = false;
  $('download-chart').disabled = false;
  $('pin').disabled = false;
}

function comparedPin() {
  const run = state.shown;
  return state.pinned && run && state.pinned !== run && state.pinned.code === run.code ? state.pinned : null;
}

function redrawChart() {
  const run = state.shown;
  const pinned = comparedPin();
  drawChart($('chart'), run ? run.chart : null, pinned ? pinned.chart : null);
  updateCompare();
}

function updateCompare() {
  const box = $('compare');
  const pinned = state.pinned;
  $('unpin').disabled = !pinned;
  if (!pinned) {
    box.hidden = true;
    return;
  }
  const compared = comparedPin();
  box.hidden = false;
  $('pinned-caption').textContent = `${pinned.caption} (пунктир)`;
  $('pinned-params').textContent = pinned.params.join('; ');
  if (compared) {
    $('current-caption').textContent = `${state.shown.caption} (сплошные линии)`;
    $('current-params').textContent = state.shown.params.join('; ');
  } else {
    $('current-caption').textContent = 'Сравнение: закреплённый расчёт рисуется рядом со следующими расчётами той же задачи';
    $('current-params').textContent = '';
  }
}

function onValueEdited() {
  if (!state.live || state.liveQueued) return;
  // One run per frame however fast the typing: the last values win.
  state.liveQueued = true;
  requestAnimationFrame(() => {
    state.liveQueued = false;
    if (state.live) runTask({ live: true });
  });
}

// ---- downloads --------------------------------------------------------------

function download(blob, name) {
  const url = URL.createObjectURL(blob);
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

function downloadReport() {
  if (!state.shown) return;
  download(new Blob([state.shown.report], { type: 'application/octet-stream' }), 'opt.out');
}

function downloadChart() {
  if (!state.shown) return;
  const name = state.shown.caption.replace(/[^0-9A-Za-z.]+/g, '').replace(/\.out/, '-') || 'chart';
  $('chart').toBlob((blob) => blob && download(blob, `${name}.png`), 'image/png');
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
  const run = state.shown;
  const pinned = comparedPin();
  const pack = (r) => {
    if (!r) return null;
    const [s1, s2] = seriesOf(r.chart);
    return { caption: r.caption, series1: s1, series2: s2 };
  };
  return { current: pack(run), pinned: pack(pinned) };
}

// ---- start ------------------------------------------------------------------

async function start() {
  const data = JSON.parse($('reactopt-data').textContent);
  state.engine = await loadEngine(globalThis.createReactOptEngine, fromBase64(data.dataFile));
  const known = new Set(state.engine.taskCodes());
  state.tasks = data.tasks
    .filter((t) => known.has(t.code))
    .map((t) => {
      const statement = decodeCp1251(fromBase64(t.statement));
      return { code: t.code, fileName: t.fileName, statement, title: titleOf(statement) };
    });
  fillTaskList();

  $('data').addEventListener('submit', (e) => {
    e.preventDefault();
    runTask({ live: false });
  });
  $('live').addEventListener('change', () => {
    state.live = $('live').checked;
    if (state.live) runTask({ live: true });
  });
  $('runs').addEventListener('change', () => {
    const run = state.runs[Number($('runs').value)];
    if (run) showRun(run);
  });
  $('download-report').addEventListener('click', downloadReport);
  $('download-chart').addEventListener('click', downloadChart);
  $('pin').addEventListener('click', () => {
    if (!state.shown) return;
    state.pinned = state.shown;
    redrawChart();
  });
  $('unpin').addEventListener('click', () => {
    state.pinned = null;
    redrawChart();
  });
  window.addEventListener('resize', () => state.shown && redrawChart());

  window.ReactOpt = Object.freeze({
    run: publicRun,
    // What the chart shows now, series by series in drawing order.
    drawn: drawnPoints,
  });
  document.body.dataset.readyMs = String(Math.round(performance.now()));
  document.body.dataset.ready = 'true';
  $('loading').hidden = true;
  if (state.tasks.length) selectTask(state.tasks[0].code);
}

start().catch((e) => {
  $('loading').textContent = `Не удалось запустить программу: ${e.message}`;
});
