// The browser edition's page: task list and statement, the task's initial
// data, Run, the numbered runs with their optimum, chart and report, live mode,
// pinned runs, links and the runs kept across reloads; a student's self-check
// of a variant and the teacher's panel that makes the variants. This is its
// start-up: the engine loaded, the page's parts wired, the address opened.

import { drawChart } from './chart.js';
import { $, notify, showMessage } from './dom.js';
import { saveReport, saveTable } from './downloads.js';
import { decodeCp1251, loadEngine } from './engine.js';
import { resetFields } from './fields.js';
import { addressNow, copyLink, startRouting, updateAddressSoon, waitForAddress } from './routing.js';
import { allRuns, clearRuns, restoreRuns, runById, saveUnsaved } from './runs.js';
import { flushSchemeEdit, ownScheme, schemeTasks, wireSchemeBox, withSchemes } from './scheme.js';
import {
  downloadChart,
  drawPrintChart,
  drawnPoints,
  markReportOverflow,
  pin,
  redrawChart,
  resizeChart,
  showRun,
  shownRun,
  wireChart,
} from './shown.js';
import { setUpStudy, studyTaskShown, studyValuesMoved } from './study.js';
import {
  currentCode,
  fieldsNow,
  onValueEdited,
  runTask,
  selectTask,
  setLive,
  setTasks,
  taskIdOf,
  taskOf,
  variantNow,
  whenLiveValuesMoved,
  whenTaskShown,
} from './task.js';
import { setUpTeacherPanel } from './teacher.js';

const narrow = window.matchMedia('(max-width: 959px)');
const printing = window.matchMedia('print');

function fromBase64(text) {
  const raw = atob(text);
  const bytes = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; ++i) bytes[i] = raw.charCodeAt(i);
  return bytes;
}

// ---- the scriptable engine --------------------------------------------------

function publicRun(engine, code, values = []) {
  return new Promise((resolve, reject) => {
    try {
      if (!Number.isInteger(code)) code = Number.parseInt(String(code), 10);
      if (!Array.isArray(values)) throw new Error('values: массив значений P1 ... P10');
      const numbers = values.map((v, i) => {
        if (v === null || v === undefined) return null;
        if (typeof v === 'number') return v;
        const parsed = engine.parse(String(v));
        if (parsed === null) throw new Error(`Недопустимое числовое значение P${i + 1}: «${v}»`);
        return parsed;
      });
      resolve(engine.run(code, numbers));
    } catch (e) {
      reject(e instanceof Error ? e : new Error(String(e)));
    }
  });
}

// What a study runs: the task shown, a built-in one by its code, a task file
// by its text.
function studySource() {
  const task = taskOf(currentCode());
  if (!task) return null;
  const source = task.scheme ? { scheme: task.scheme.text, name: task.scheme.name } : { code: task.code };
  return { code: task.code, source, fields: fieldsNow() };
}

// ---- start ------------------------------------------------------------------

// After a reload the last run is on screen again, with its task and data in
// the fields unless the address names a task of its own.
function showLastRun({ withTask }) {
  const run = allRuns().at(-1);
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
  $('tasks').addEventListener('change', () => {
    selectTask(taskIdOf($('tasks').value));
    updateAddressSoon();
  });
  $('data').addEventListener('submit', (e) => {
    e.preventDefault();
    flushSchemeEdit();
    runTask({ live: false });
  });
  $('live').addEventListener('change', () => setLive($('live').checked));
  $('reset').addEventListener('click', () => {
    resetFields($('fields'));
    showMessage('');
    onValueEdited();
  });
  $('runs').addEventListener('change', () => {
    const run = runById($('runs').value);
    if (run) showRun(run, { checking: variantNow() !== null });
  });
  $('load-values').addEventListener('click', () => {
    const run = runById($('runs').value) || shownRun();
    if (!run) return;
    selectTask(run.code, { slots: new Map(run.texts) });
    updateAddressSoon();
    notify(`Значения ${run.caption} — в полях исходных данных.`);
  });
  $('clear-runs').addEventListener('click', () => {
    clearRuns();
    if (shownRun()) redrawChart();
    notify('Расчёты удалены.');
  });
  $('copy-link').addEventListener('click', copyLink);
  $('show-statement').addEventListener('click', () => {
    $('task').scrollIntoView({ block: 'start' });
    $('statement').focus({ preventScroll: true });
  });
  $('download-report').addEventListener('click', () => shownRun() && saveReport(shownRun()));
  $('download-chart').addEventListener('click', downloadChart);
  $('download-table').addEventListener('click', () => shownRun() && saveTable(shownRun()));
  $('pin').addEventListener('click', pin);
  $('report').addEventListener('scroll', markReportOverflow, { passive: true });
  new ResizeObserver(([entry]) => {
    const box = entry.contentRect;
    resizeChart({ w: box.width, h: box.height });
  }).observe($('chart'));
  window.addEventListener('beforeprint', drawPrintChart);
  printing.addEventListener('change', () => printing.matches && drawPrintChart());
  // The last word before the page goes: a tab closed, the phone's screen off.
  window.addEventListener('pagehide', () => {
    flushSchemeEdit();
    saveUnsaved();
  });
  document.addEventListener('visibilitychange', () => document.visibilityState === 'hidden' && saveUnsaved());
  narrow.addEventListener('change', fitLists);
  wireChart();
}

async function start() {
  const data = JSON.parse($('reactopt-data').textContent);
  const dataFile = fromBase64(data.dataFile);
  const core = await loadEngine(globalThis.createReactOptEngine, dataFile);
  // The task files take their place in the list and the runs like the built-in tasks.
  const engine = withSchemes(core, taskOf);
  const examples = core.examples();
  const known = new Set(engine.taskCodes());
  const tasks = data.tasks
    .filter((t) => known.has(t.code))
    .map((t) => {
      const text = decodeCp1251(fromBase64(t.statement));
      return { code: t.code, fileName: t.fileName, statement: text, title: engine.title(text) };
    });
  setTasks(engine, [...tasks, ...schemeTasks(core, examples)]);
  setUpStudy(engine, studySource, dataFile);
  whenTaskShown(studyTaskShown);
  whenLiveValuesMoved(studyValuesMoved);
  fitLists();
  drawChart($('chart'), {});
  wire();
  wireSchemeBox({ onChanged: updateAddressSoon });
  restoreRuns(engine, taskOf);
  const showPanel = setUpTeacherPanel({
    engine: core,
    tasks,
    currentCode,
    examples,
    ownNow: ownScheme,
    currentScheme: () => taskOf(currentCode())?.scheme,
  });

  window.ReactOpt = Object.freeze({
    run: (code, values) => publicRun(engine, code, values),
    // What the chart shows now, series by series in drawing order.
    drawn: drawnPoints,
  });
  $('loading').hidden = true;
  const opened = startRouting({
    showKit: () => {
      showPanel();
      $('close-kit').href = (currentCode() && addressNow()) || '#';
      $('kit-title').focus();
    },
  });
  await waitForAddress();
  if (!variantNow() && $('kit').hidden) showLastRun({ withTask: !opened });
  if (!currentCode() && tasks.length) selectTask(tasks[0].code);
  document.body.dataset.readyMs = String(Math.round(performance.now()));
  document.body.dataset.ready = 'true';
}

start().catch((e) => {
  $('loading').textContent = `Не удалось запустить программу: ${e.message}`;
});
