// «Исследовать»: how the optimum moves with one parameter. The core plans
// the points and runs them: the page computes the first slice itself, so that
// they are on screen at once, and hands the rest in slices to workers beside
// it (or, without workers, computes them a slice at a time, each shorter
// than a frame). It draws them once per frame as they come, in order, and
// never stops answering. A newer request (a second press, a value moved in
// live mode, a task changed) cancels the older one: its slices still under
// way are dropped when they come.

import { $ } from './dom.js';
import { download } from './downloads.js';
import { readFields } from './fields.js';
import { createStudyPool } from './study-pool.js';
import { drawStudy, shortNumber, studyPicture } from './studychart.js';

// How long one slice may compute on the page before it draws and answers,
// and about how long a worker's slice takes: long enough that handing it
// over costs little, short enough that the last slices end together.
const SLICE_MS = 10;
const WORKER_SLICE_MS = 15;
const MAX_WORKER_SLICE = 16;
// The chart drawn again at most this often while points come: drawing takes
// the page's time, and on a machine of two cores the workers' too.
const DRAW_EVERY_MS = 50;

// The next slice goes as a task of its own, at once after what waits (a key,
// a frame to draw), not a frame later: a frame of 16 ms would take only one
// slice.
const nextSlice = new MessageChannel();
nextSlice.port1.onmessage = () => study.next?.();

const study = {
  engine: null,
  source: () => null, // what is open: {code, fields, task} or null
  generation: 0, // each request's number; an older one stops at its next slice
  request: null, // the request of the study shown
  plan: null, // what the core planned for it
  points: [], // its points as far as they are computed, in order
  waiting: new Map(), // points computed beyond those, by index
  todo: [], // the slices not yet handed out: [first, last]
  nextIndex: 0, // the first point no slice holds
  msPerPoint: 1, // as the page's first slice took them
  pool: null, // the workers
  helpers: new Set(), // those that computed points of this study
  code: 0, // the task it belongs to
  next: null, // the next slice
  drawQueued: false, // the points drawn with the next frame
  drawnAt: -Infinity, // when they were drawn last
  liveQueued: false, // a live restart waits for the next frame
};

const utf8 = new TextEncoder();

// A request's parameter and range as the fields give them: {request} or
// {error, input}.
function requestNow() {
  const open = study.source();
  if (!open) return { error: 'Сначала выберите задачу.' };
  const { engine } = study;
  const read = readFields($('fields'), open.fields.slots, engine.parse);
  if (read.error) return { error: read.error, input: read.input };
  const values = new Array(open.fields.slots).fill(null);
  for (const [slot, text] of read.texts) values[slot - 1] = text;
  const number = (id, name) => {
    const text = $(id).value;
    const value = engine.parse(text);
    if (value === null) return { error: `Недопустимое числовое значение в поле «${name}»: «${text.slice(0, 60)}»` };
    return { value };
  };
  const low = number('study-low', 'От');
  if (low.error) return { error: low.error, input: $('study-low') };
  const high = number('study-high', 'До');
  if (high.error) return { error: high.error, input: $('study-high') };
  const countText = $('study-count').value.trim();
  if (!/^\d{1,4}$/.test(countText))
    return { error: `Число точек — целое от 2 до 201: «${countText.slice(0, 60)}»`, input: $('study-count') };
  return {
    request: {
      ...open.source,
      values,
      parameter: $('study-parameter').value,
      low: low.value,
      high: high.value,
      count: Number(countText),
      log: $('study-log').checked,
    },
  };
}

function say(text) {
  $('study-status').textContent = text;
}

function refuse(text) {
  $('study-message').textContent = text;
  $('study-message').hidden = !text;
}

// The answer the chart draws in blue: the maximised one, as a number.
const maximumOf = (plan, point) =>
  plan.maximumAnswer >= 0 && point.ran ? Number.parseFloat(point.answers[plan.maximumAnswer]) : NaN;

function viewOf() {
  const { plan, request } = study;
  return {
    low: request.low,
    high: request.high,
    log: request.log,
    key: plan.key,
    label: plan.label,
    current: plan.current,
    maximumLabel: plan.maximumAnswer >= 0 ? plan.labels[plan.maximumAnswer] : '',
    points: study.points.map((p) => ({ ...p, maximum: maximumOf(plan, p) })),
  };
}

function redraw() {
  if (!study.plan) return;
  drawStudy($('study-chart'), viewOf());
  const done = study.points.length;
  const gaps = study.points.filter((p) => !p.ran).length;
  $('study-chart').setAttribute(
    'aria-label',
    `Исследование: Xa оптимума и ${viewOf().maximumLabel || 'ответы'} в зависимости от ${study.plan.key}, ` +
      `${done} точек${gaps ? `, пробелов: ${gaps}` : ''}. Значения — в таблице под графиком.`,
  );
}

function headOf(plan) {
  const row = document.createElement('tr');
  const cell = (text, title) => {
    const th = document.createElement('th');
    th.scope = 'col';
    th.textContent = text;
    if (title) th.title = title;
    row.append(th);
  };
  cell(plan.key, plan.label);
  plan.labels.forEach((label, i) => cell(label, plan.questions?.[i]));
  const head = document.createElement('thead');
  head.append(row);
  return head;
}

function rowOf(plan, point) {
  const row = document.createElement('tr');
  row.dataset.value = String(point.value);
  // The row of the value the fields hold, where the range has it.
  if (point.value === plan.current) row.className = 'current';
  const th = document.createElement('th');
  th.scope = 'row';
  th.textContent = shortNumber(point.value);
  row.append(th);
  if (!point.ran) {
    row.classList.add('gap');
    const td = document.createElement('td');
    td.colSpan = Math.max(1, plan.labels.length);
    td.textContent = `пробел: ${point.refusal}`;
    row.append(td);
    return row;
  }
  plan.labels.forEach((_, i) => {
    const td = document.createElement('td');
    td.textContent = point.answers[i] ?? '';
    row.append(td);
  });
  return row;
}

function setDownloads(enabled) {
  $('study-csv').disabled = !enabled;
  $('study-png').disabled = !enabled;
}

// Stops whatever study is computing; what is drawn stays.
function cancel() {
  ++study.generation;
  study.next = null;
  $('study-progress').hidden = true;
}

// Starts the study the form asks for; false when the request is refused.
// `live`: a value moved in live mode, where a field on its way to a number
// leaves the study drawn as it is.
export function startStudy({ live = false } = {}) {
  const made = requestNow();
  if (made.error) {
    if (live) return false;
    cancel();
    refuse(made.error);
    made.input?.focus();
    return false;
  }
  let plan;
  try {
    plan = study.engine.study.plan(made.request);
  } catch (e) {
    cancel();
    refuse(e.message);
    return false;
  }
  cancel();
  refuse('');
  const generation = study.generation;
  Object.assign(study, { request: made.request, plan, points: [], code: study.source().code });
  $('study-table').replaceChildren(headOf(plan), document.createElement('tbody'));
  $('study-result').hidden = false;
  $('study-table-box').hidden = false;
  $('study').dataset.state = 'running';
  $('study').dataset.current = String(plan.current);
  $('study-maximum').textContent = plan.maximumAnswer >= 0 ? plan.labels[plan.maximumAnswer] : 'максимум';
  setDownloads(false);
  const progress = $('study-progress');
  progress.max = plan.values.length;
  progress.value = 0;
  progress.hidden = false;
  study.waiting = new Map();
  study.todo = [];
  study.nextIndex = 0;
  study.helpers = new Set();
  // The first slice at once, so that the first points are on screen with
  // the next frame; the workers take the rest.
  study.pool?.start();
  onPage(generation);
  return true;
}

// The next slice to compute: one given back by a worker that went, or the
// next `count` points.
function takeSlice(count) {
  if (study.todo.length) return study.todo.shift();
  const total = study.plan.values.length;
  if (study.nextIndex >= total) return null;
  const first = study.nextIndex;
  study.nextIndex = Math.min(total, first + count);
  return [first, study.nextIndex];
}

// Points computed, in whatever order: the table grows by those that follow
// the ones it has.
function arrived(first, points) {
  points.forEach((p, i) => study.waiting.set(first + i, p));
  const body = $('study-table').tBodies[0];
  const { plan } = study;
  while (study.waiting.has(study.points.length)) {
    const index = study.points.length;
    const p = study.waiting.get(index);
    study.waiting.delete(index);
    study.points.push(p);
    body.append(rowOf(plan, p));
  }
}

function failed(message) {
  cancel();
  refuse(message);
  $('study').dataset.state = 'failed';
}

// A slice on the page's own thread: while no worker is ready, or none can
// be had.
function onPage(generation) {
  if (generation !== study.generation) return;
  const { request } = study;
  const t0 = performance.now();
  let count = 0;
  try {
    while (performance.now() - t0 < SLICE_MS && (count === 0 || !workersReady())) {
      const part = takeSlice(1);
      if (!part) break;
      arrived(part[0], study.engine.study.points(request, part[0], part[1]));
      ++count;
    }
  } catch (e) {
    failed(e.message);
    return;
  }
  if (count) study.msPerPoint = Math.max(0.05, (performance.now() - t0) / count);
  progressed(generation);
}

const workersReady = () => Boolean(study.pool && !study.pool.broken && study.pool.readyCount() > 0);

// Hands slices to the idle workers, or goes on on the page while none is
// ready; finishes when every point has come.
function progressed(generation) {
  if (generation !== study.generation) return;
  const total = study.plan.values.length;
  if (study.points.length === total) {
    finish();
    return;
  }
  drawSoon(generation);
  if (!workersReady()) {
    if (study.todo.length || study.nextIndex < total) {
      study.next = () => onPage(generation);
      nextSlice.port2.postMessage(0);
    }
    return;
  }
  study.next = null;
  const { pool, request } = study;
  for (const worker of pool.idle()) {
    // Slices of about WORKER_SLICE_MS, and small enough at the end that
    // every worker has one.
    const left = total - study.nextIndex;
    const share = Math.ceil(left / Math.max(1, pool.readyCount()));
    const count = Math.max(1, Math.min(MAX_WORKER_SLICE, Math.round(WORKER_SLICE_MS / study.msPerPoint), share));
    const part = takeSlice(count);
    if (!part) break;
    pool.send(worker, request, part[0], part[1], {
      done: (answer) => {
        if (generation !== study.generation) return;
        study.helpers.add(worker);
        if (answer.error !== undefined) failed(answer.error);
        else arrived(part[0], answer.points);
      },
      lost: () => generation === study.generation && study.todo.push(part),
    });
  }
}

// A worker is free, ready or gone: the study under way goes on.
function workerIdle() {
  $('study').dataset.workersReady = String(study.pool.readyCount());
  if (study.plan && study.next === null && $('study').dataset.state === 'running') progressed(study.generation);
}

function finish() {
  study.next = null;
  redraw();
  $('study-progress').hidden = true;
  const total = study.plan.values.length;
  const gaps = study.points.filter((p) => !p.ran).length;
  const ran = total - gaps;
  say(
    ran === 0
      ? `Ни одна из ${total} точек не посчитана: ${study.points[0]?.refusal ?? ''}`
      : `Готово: ${total} точек${gaps ? `, из них ${gaps} — пробелы (эти данные задача не принимает)` : ''}.`,
  );
  // How many workers computed points of it: 0 where the page did alone.
  $('study').dataset.workers = String(study.helpers.size);
  $('study').dataset.state = 'done';
  setDownloads(ran > 0);
}

// The points so far, drawn and counted with the next frame at least
// DRAW_EVERY_MS after the last drawing, however many slices came meanwhile.
function drawSoon(generation) {
  if (study.drawQueued) return;
  study.drawQueued = true;
  requestAnimationFrame(function frame(now) {
    if (now - study.drawnAt < DRAW_EVERY_MS) {
      requestAnimationFrame(frame);
      return;
    }
    study.drawQueued = false;
    if (generation !== study.generation || $('study').dataset.state !== 'running') return;
    study.drawnAt = now;
    redraw();
    $('study-progress').value = study.points.length;
    say(`Считаю: ${study.points.length} из ${study.plan.values.length} точек…`);
  });
}

// ---- what is saved -------------------------------------------------------------

// A CSV cell: quoted when it holds a comma, a quote or a line end.
const csvCell = (text) => (/[",\r\n]/.test(text) ? `"${text.replace(/"/g, '""')}"` : text);

// The study as CSV (UTF-8): `KEY,` and the answers' labels, one line per
// point, a gap as empty cells.
export function studyCsv(plan, points) {
  const lines = [[plan.key, ...plan.labels].map(csvCell).join(',')];
  for (const p of points) {
    const cells = plan.labels.map((_, i) => (p.ran ? (p.answers[i] ?? '') : ''));
    lines.push([String(p.value), ...cells].map(csvCell).join(','));
  }
  return `${lines.join('\n')}\n`;
}

// "study-101-k1"; a task file's id read as a name.
const stem = () =>
  `study-${String(study.code).replace(/[^0-9A-Za-z_-]+/g, '-')}-${study.plan.key.replace(/[^0-9A-Za-z_]+/g, '') || 'p'}`;

function saveCsv() {
  if (!study.plan) return;
  const blob = new Blob([utf8.encode(studyCsv(study.plan, study.points))], { type: 'text/csv;charset=utf-8' });
  download(blob, `${stem()}.csv`);
}

function describe() {
  const { plan, request } = study;
  const scale = request.log ? ', логарифмическая шкала' : '';
  const others = study.source()?.fields.fields.filter((f) => f.slot !== plan.slot) ?? [];
  const texts = new Map(request.values.map((v, i) => [i + 1, v]));
  const data = others.map((f) => `${f.label.trim()} = ${texts.get(f.slot) ?? f.values[0].trim()}`).join('; ');
  return [
    [$('task-line').textContent, true],
    [
      `Исследование: ${plan.label} от ${shortNumber(request.low)} до ${shortNumber(request.high)}, ` +
        `${plan.values.length} точек${scale}; сейчас ${plan.key} = ${shortNumber(plan.current)}`,
      false,
    ],
    [data ? `Остальные данные: ${data}` : '', false],
  ].filter(([t]) => t);
}

function savePng() {
  if (!study.plan) return;
  const view = viewOf();
  const gaps = view.points.filter((p) => !p.ran).length;
  const legend = [
    `красная: Xa оптимума (левая ось)${view.maximumLabel ? `; синяя: ${view.maximumLabel} (правая ось)` : ''}; ` +
      `пунктир: текущее значение${gaps ? `; серые полосы: пробелы, данные, которые задача не принимает (${gaps})` : ''}`,
  ];
  studyPicture(describe(), view, legend).toBlob((blob) => blob && download(blob, `${stem()}.png`), 'image/png');
}

// ---- the form ---------------------------------------------------------------

// The range offered for the field chosen: the span of its offered values,
// widened to half the least and twice the greatest.
function offerRange() {
  const open = study.source();
  const field = open?.fields.fields.find((f) => String(f.slot) === $('study-parameter').value);
  if (!field) return;
  const offered = field.values.map((v) => study.engine.parse(v)).filter((v) => v !== null);
  if (!offered.length) return;
  const low = Math.min(...offered);
  const high = Math.max(...offered);
  $('study-low').value = shortNumber(low / 2);
  $('study-high').value = shortNumber(high === low ? 2 * high || 1 : 2 * high);
  $('study-span').textContent =
    `Предлагаются ${offered.map(shortNumber).join(', ')}: ` + `диапазон — от половины наименьшего до двух наибольших.`;
}

// A task shown anew: its fields in the list, no study yet.
export function studyTaskShown() {
  const open = study.source();
  cancel();
  study.plan = null;
  study.points = [];
  refuse('');
  say('');
  setDownloads(false);
  $('study-result').hidden = true;
  $('study-table-box').hidden = true;
  delete $('study').dataset.state;
  // A task file the core refuses has no fields to study.
  $('study').hidden = !open || Boolean(open.fields.error);
  if ($('study').hidden) return;
  const list = $('study-parameter');
  const was = list.value;
  list.replaceChildren();
  for (const f of open.fields.fields) {
    if (f.slot > open.fields.slots) continue;
    const option = document.createElement('option');
    option.value = String(f.slot);
    option.textContent = f.label.trim();
    list.append(option);
  }
  if (was && Array.from(list.options).some((o) => o.value === was)) list.value = was;
  offerRange();
}

// A value moved in live mode: the study of this task drawn again, once per
// frame however fast the typing.
export function studyValuesMoved() {
  if (!study.plan || study.code !== study.source()?.code || study.liveQueued) return;
  study.liveQueued = true;
  requestAnimationFrame(() => {
    study.liveQueued = false;
    startStudy({ live: true });
  });
}

// `source()` gives what is open: {code, source: the request's task part
// ({code} or {scheme, name}), fields: the engine's fields} or null;
// `dataFile` the bytes the engine was loaded with, for the workers' engines.
export function setUpStudy(engine, source, dataFile) {
  study.engine = engine;
  study.source = source;
  study.pool = createStudyPool({
    engineText: () => $('reactopt-engine')?.textContent ?? '',
    workerText: () => $('reactopt-study-worker')?.textContent ?? '',
    dataFile,
    onIdle: workerIdle,
  });
  // The workers start while the student is still choosing the range.
  for (const type of ['focusin', 'pointerover'])
    $('study').addEventListener(type, () => study.pool.start(), { once: true });
  $('study-form').addEventListener('submit', (e) => {
    e.preventDefault();
    startStudy();
  });
  $('study-parameter').addEventListener('change', offerRange);
  $('study-csv').addEventListener('click', saveCsv);
  $('study-png').addEventListener('click', savePng);
  new ResizeObserver(() => redraw()).observe($('study-chart'));
}
