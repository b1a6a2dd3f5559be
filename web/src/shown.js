// The run on screen: its optimum, report and chart with the pins of its task
// drawn beside it, the chart's read-out, the printed chart, and the pins
// taken and let go from here.

import { PIN_DASHES, drawChart, pointNear, seriesOf } from './chart.js';
import { $, notify } from './dom.js';
import { savePicture } from './downloads.js';
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
import { addPin, isPinned, pinsFull, pinsNow, removePin, resultOf } from './runs.js';
import { selfCheckRunShown } from './selfcheck.js';

const view = {
  run: null, // the run shown now (a numbered run or the live one)
  cursor: null, // the chart point being read
  chartSize: undefined, // the chart's box, read when it changes
  printTimer: null, // the printed chart drawn soon
};

export const shownRun = () => view.run;

// The chart for paper, in CSS pixels: 186 by 100 mm, the sheet's width
// inside its margins.
const PRINT_SIZE = { w: 703, h: 378 }; // as the style sheet has it

const pinDash = (i) => PIN_DASHES[i % PIN_DASHES.length];

// `checking`: a variant's form is open, and gives the optimum its place back.
export function showRun(run, { announce = false, checking = false } = {}) {
  const result = resultOf(run);
  if (!result) return;
  view.run = run;
  view.cursor = null;
  const { items } = optimumOf(result);
  $('report-box').hidden = false;
  $('result-caption').textContent = run.caption;
  renderOptimum($('optimum'), items);
  // The method's answer above, the exact one under it: the difference is
  // the method's error.
  $('exact').textContent = result.exact || '';
  $('exact').hidden = !result.exact;
  $('report').textContent = result.text.replace(/\r\n/g, '\n');
  $('print-data').textContent = run.params.join('; ');
  $('readout').textContent = '';
  for (const id of ['download-report', 'download-chart', 'download-table']) $(id).disabled = false;
  redrawChart();
  requestAnimationFrame(markReportOverflow);
  if (checking) selfCheckRunShown();
  if (announce) {
    const said = items.length ? items.map(statement).join(', ') : 'отчёт готов';
    $('announce').textContent = `${run.caption}: ${said}`;
  }
}

// No run on screen: the optimum, the chart and the report as before the
// first Run.
export function clearShown() {
  view.run = null;
  view.cursor = null;
  $('result-caption').textContent = '';
  $('optimum').innerHTML =
    '<p class="quiet">Оптимум скрыт: сначала проверьте свои ответы. «Рассчитать» покажет оптимум, график и отчёт.</p>';
  $('report-box').hidden = true;
  $('exact').hidden = true;
  $('readout').textContent = '';
  for (const id of ['download-report', 'download-chart', 'download-table']) $(id).disabled = true;
  redrawChart();
}

// The pins drawn with the run shown: those of its task, in pinning order,
// each with its place among the pins (its dash pattern).
function drawnPins() {
  const run = view.run;
  if (!run) return [];
  return pinsNow()
    .map((pin, i) => ({ pin, i }))
    .filter(({ pin }) => pin !== run && pin.code === run.code && resultOf(pin));
}

export function redrawChart() {
  const run = view.run;
  const result = run && resultOf(run);
  const { items } = result ? optimumOf(result) : { items: [] };
  drawChart(
    $('chart'),
    {
      current: result ? result.chart : null,
      pins: drawnPins().map(({ pin, i }) => ({ points: pin.result.chart, dash: pinDash(i) })),
      mark: result ? markOf(result) : null,
      cursor: view.cursor,
    },
    view.chartSize,
  );
  $('chart').setAttribute('aria-label', chartDescription(run, items));
  renderLegend($('legend'), run, pinsNow(), unpin);
  printChartSoon();
  const full = pinsFull();
  $('pin').disabled = !run || isPinned(run) || full;
  $('pin').title = full ? 'Закреплено четыре расчёта: открепите один' : '';
}

// The chart in a box of a new size; the size is read here, not at every
// draw, so that a Run never waits for the page's layout.
export function resizeChart(size) {
  view.chartSize = size;
  if (view.run) redrawChart();
  else drawChart($('chart'), {}, view.chartSize);
  markReportOverflow();
}

// Draws the printed chart: what the screen shows but the read-out. Once the
// event is done, so that a Run does not wait for it, and at once before
// printing.
export function drawPrintChart() {
  clearTimeout(view.printTimer);
  view.printTimer = null;
  const run = view.run;
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
  if (view.printTimer === null) view.printTimer = setTimeout(drawPrintChart, 0);
}

export function pin() {
  const run = view.run;
  if (!run || isPinned(run)) return;
  if (!addPin(run)) {
    notify('Закреплено четыре расчёта: открепите один, чтобы закрепить этот.');
    return;
  }
  redrawChart();
  notify(`${run.caption} закреплён для сравнения: следующие расчёты задачи ${run.code} рисуются рядом с ним.`);
}

function unpin(run) {
  removePin(run);
  redrawChart();
  notify(`${run.caption} откреплён.`);
  // Its button is gone: the focus goes on to the chart it was drawn on.
  $('chart').focus();
}

// Whether the report is wider than its panel: then a note says it scrolls.
export function markReportOverflow() {
  const report = $('report');
  const wider = report.scrollWidth > report.clientWidth + 1;
  $('report-box').classList.toggle('wide', wider);
  const atEnd = report.scrollLeft + report.clientWidth >= report.scrollWidth - 1;
  $('report-box').classList.toggle('at-end', atEnd);
}

// ---- the chart's read-out ---------------------------------------------------

function readPoint(i) {
  const run = view.run;
  if (!run || !run.result) return;
  const count = seriesOf(run.result.chart)[0].length;
  if (i === null || count === 0) return;
  view.cursor = Math.max(0, Math.min(count - 1, i));
  redrawChart();
  $('readout').textContent = readoutText(run.result.chart, view.cursor);
}

export function wireChart() {
  const canvas = $('chart');
  const at = (e) => view.run?.result && readPoint(pointNear(canvas, view.run.result.chart, e.clientX));
  canvas.addEventListener('pointermove', at);
  canvas.addEventListener('pointerdown', at);
  canvas.addEventListener('keydown', (e) => {
    const run = view.run;
    if (!run?.result) return;
    const last = seriesOf(run.result.chart)[0].length - 1;
    const now = view.cursor ?? -1;
    const to = { ArrowRight: now + 1, ArrowLeft: now - 1, Home: 0, End: last }[e.key];
    if (to === undefined) return;
    e.preventDefault();
    readPoint(to);
  });
}

export function downloadChart() {
  const run = view.run;
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

// What the chart shows now, series by series in drawing order.
export function drawnPoints() {
  const pack = (r) => {
    if (!r || !r.result) return null;
    const [s1, s2] = seriesOf(r.result.chart);
    return { caption: r.caption, series1: s1, series2: s2 };
  };
  const pins = drawnPins().map(({ pin }) => pack(pin));
  return { current: pack(view.run), pinned: pins[0] || null, pins };
}
