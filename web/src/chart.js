// The result chart as the desktop draws it: selectivity-type series in red,
// yield-type series in blue, against the conversion, on fixed 0 to 1 axes with
// steps of 0.1. Drawn on a canvas by hand: the axes never rescale and there is
// nothing to zoom, so a chart library would add weight and nothing else.
// Beyond the desktop: pinned runs dashed, the optimum marked, and a cursor on
// the point being read.

export const TITLE_LINE_1 = 'Зависимость селективности (выхода)';
export const TITLE_LINE_2 = ' от степени конверсии';
export const FOOT = 'Степень конверсии';
export const LEFT_AXIS_TITLE = 'Селективность (выход)';
export const RED = '#ff0000';
export const BLUE = '#0000ff';
// One dash pattern per pinned run, so that four pins stay apart even on a
// phone: long dashes, dots, dash and dot, short sparse dashes.
export const PIN_DASHES = [
  [12, 4],
  [2, 3],
  [10, 4, 2, 4],
  [4, 10],
];
const FONT = 'Arial, "Liberation Sans", sans-serif';

// Adds (x, y) after every point whose X is not greater, as the desktop series
// do: points come out in ascending X, equal X in the order they came.
function addXY(series, x, y) {
  let pos = series.length;
  while (pos > 0 && series[pos - 1][0] > x) --pos;
  series.splice(pos, 0, [x, y]);
}

// The two series of a run's chart points [[x, y1, y2], ...]. Both have the
// same X in the same order, so index i of one is index i of the other.
export function seriesOf(points) {
  const s1 = [];
  const s2 = [];
  for (const [x, y1, y2] of points) {
    addXY(s1, x, y1);
    addXY(s2, x, y2);
  }
  return [s1, s2];
}

// Plot area inside a chart of size w by h.
function plotArea(w, h) {
  return { left: 58, top: 50, right: w - 16, bottom: h - 50 };
}

const toX = (area, x) => area.left + x * (area.right - area.left);
const toY = (area, y) => area.bottom - y * (area.bottom - area.top);

function drawSeries(ctx, area, series, colour, dash) {
  ctx.save();
  ctx.beginPath();
  ctx.rect(area.left, area.top, area.right - area.left, area.bottom - area.top);
  ctx.clip();
  ctx.strokeStyle = colour;
  ctx.lineWidth = dash ? 1.5 : 2;
  ctx.setLineDash(dash || []);
  ctx.beginPath();
  let pen = false;
  for (const [x, y] of series) {
    // A point without a number breaks the line, as it does on the desktop.
    if (!Number.isFinite(x) || !Number.isFinite(y)) {
      pen = false;
      continue;
    }
    // Far-off values are clamped so that the canvas still draws the segment's
    // direction; the clip hides everything outside the axes.
    const px = Math.max(-1e6, Math.min(1e6, toX(area, x)));
    const py = Math.max(-1e6, Math.min(1e6, toY(area, y)));
    if (pen) ctx.lineTo(px, py);
    else ctx.moveTo(px, py);
    pen = true;
  }
  ctx.stroke();
  ctx.restore();
}

// Y of `series` at conversion x, on the straight segment the chart draws
// there; null outside the drawn points.
function yOnLine(series, x) {
  const pts = series.filter(([px, py]) => Number.isFinite(px) && Number.isFinite(py));
  for (let i = 0; i < pts.length; ++i) {
    const [x1, y1] = pts[i];
    if (x1 === x) return y1;
    const next = pts[i + 1];
    if (next && x1 < x && x < next[0]) return y1 + ((next[1] - y1) * (x - x1)) / (next[0] - x1);
  }
  return null;
}

function dot(ctx, x, y, colour, r) {
  ctx.beginPath();
  ctx.arc(x, y, r, 0, 2 * Math.PI);
  ctx.fillStyle = colour;
  ctx.fill();
  ctx.lineWidth = 2;
  ctx.strokeStyle = '#ffffff';
  ctx.stroke();
}

// A text on a white box, kept inside the plot area.
function tag(ctx, area, x, y, label, colour) {
  ctx.font = `bold 13px ${FONT}`;
  // A label longer than the plot is cut, with a sign that it is.
  let text = label;
  const room = area.right - area.left - 16;
  while (text.length > 4 && ctx.measureText(text).width > room) text = `${text.slice(0, -2)}…`;
  const w = ctx.measureText(text).width + 10;
  let left = x + 10;
  if (left + w > area.right) left = x - 10 - w;
  left = Math.max(area.left + 2, left);
  const top = Math.max(area.top + 2, Math.min(area.bottom - 22, y - 30));
  ctx.fillStyle = 'rgba(255,255,255,0.92)';
  ctx.fillRect(left, top, w, 20);
  ctx.strokeStyle = colour;
  ctx.lineWidth = 1;
  ctx.setLineDash([]);
  ctx.strokeRect(left + 0.5, top + 0.5, w - 1, 19);
  ctx.fillStyle = colour;
  ctx.textAlign = 'left';
  ctx.textBaseline = 'middle';
  ctx.fillText(text, left + 5, top + 10);
}

// Draws the chart on `ctx` in a box of w by h:
//   current: the run's points [[x, y1, y2], ...] or null;
//   pins: [{points, dash}] drawn dashed behind it;
//   mark: {x, label}, the optimum to mark on the current blue curve;
//   cursor: index of the current run's point being read, or null.
export function paintChart(ctx, w, h, { current = null, pins = [], mark = null, cursor = null } = {}) {
  ctx.fillStyle = '#ffffff';
  ctx.fillRect(0, 0, w, h);
  const area = plotArea(w, h);

  ctx.fillStyle = BLUE;
  ctx.font = `13px ${FONT}`;
  ctx.textAlign = 'center';
  ctx.textBaseline = 'alphabetic';
  ctx.fillText(TITLE_LINE_1, w / 2, 18);
  ctx.fillText(TITLE_LINE_2, w / 2, 36);

  ctx.fillStyle = '#000000';
  ctx.font = `11px ${FONT}`;
  ctx.fillText(FOOT, (area.left + area.right) / 2, h - 12);
  ctx.save();
  ctx.translate(14, (area.top + area.bottom) / 2);
  ctx.rotate(-Math.PI / 2);
  ctx.fillText(LEFT_AXIS_TITLE, 0, 0);
  ctx.restore();

  // Grid and labels every 0.1 on both axes.
  ctx.lineWidth = 1;
  for (let i = 0; i <= 10; ++i) {
    const label = (i / 10).toFixed(1);
    const x = Math.round(toX(area, i / 10)) + 0.5;
    const y = Math.round(toY(area, i / 10)) + 0.5;
    const edge = i === 0 || i === 10;
    ctx.setLineDash(edge ? [] : [1, 3]);
    // Vertical grid lines grey, horizontal ones black, as the desktop chart has them.
    ctx.strokeStyle = edge ? '#000000' : '#b0b0b0';
    ctx.beginPath();
    ctx.moveTo(x, area.top);
    ctx.lineTo(x, area.bottom + (edge ? 0 : 4));
    ctx.stroke();
    ctx.strokeStyle = '#000000';
    ctx.beginPath();
    ctx.moveTo(area.left - (edge ? 0 : 4), y);
    ctx.lineTo(area.right, y);
    ctx.stroke();
    ctx.setLineDash([]);
    ctx.fillStyle = '#000000';
    ctx.textAlign = 'center';
    ctx.textBaseline = 'top';
    ctx.fillText(label, x, area.bottom + 6);
    ctx.textAlign = 'right';
    ctx.textBaseline = 'middle';
    ctx.fillText(label, area.left - 6, y);
  }

  for (const pin of pins) {
    const [p1, p2] = seriesOf(pin.points);
    drawSeries(ctx, area, p1, RED, pin.dash);
    drawSeries(ctx, area, p2, BLUE, pin.dash);
  }
  if (!current) return;
  const [s1, s2] = seriesOf(current);
  drawSeries(ctx, area, s1, RED, null);
  drawSeries(ctx, area, s2, BLUE, null);

  if (cursor !== null && s1[cursor]) {
    const x = toX(area, s1[cursor][0]);
    ctx.strokeStyle = '#555555';
    ctx.lineWidth = 1;
    ctx.setLineDash([3, 3]);
    ctx.beginPath();
    ctx.moveTo(Math.round(x) + 0.5, area.top);
    ctx.lineTo(Math.round(x) + 0.5, area.bottom);
    ctx.stroke();
    ctx.setLineDash([]);
    for (const [series, colour] of [
      [s1, RED],
      [s2, BLUE],
    ]) {
      const y = series[cursor][1];
      if (Number.isFinite(y) && y >= 0 && y <= 1) dot(ctx, x, toY(area, y), colour, 4.5);
    }
  }
  if (mark && Number.isFinite(mark.x)) {
    const y = yOnLine(s2, mark.x);
    if (y !== null && y >= 0 && y <= 1 && mark.x >= 0 && mark.x <= 1) {
      const px = toX(area, mark.x);
      const py = toY(area, y);
      dot(ctx, px, py, BLUE, 6);
      if (mark.label) tag(ctx, area, px, py, mark.label, BLUE);
    }
  }
}

// Draws on `canvas` at its CSS size (`size`, {w, h}, when the caller knows
// it), sharp on the screen's pixel ratio or at least `minRatio` (paper).
export function drawChart(canvas, view, size = null, minRatio = 1) {
  const w = size?.w || canvas.clientWidth || 420;
  const h = size?.h || canvas.clientHeight || 460;
  paintChart(sharpContext(canvas, w, h, Math.max(window.devicePixelRatio || 1, minRatio)), w, h, view);
}

// The 2D context of `canvas` drawing in CSS pixels, w by h of them, its
// backing store `ratio` times as fine (resized only when that changes).
export function sharpContext(canvas, w, h, ratio) {
  if (canvas.width !== Math.round(w * ratio) || canvas.height !== Math.round(h * ratio)) {
    canvas.width = Math.round(w * ratio);
    canvas.height = Math.round(h * ratio);
  }
  const ctx = canvas.getContext('2d');
  ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
  return ctx;
}

// The index of the drawn point nearest to the pointer at clientX, or null.
export function pointNear(canvas, points, clientX) {
  const [s1] = seriesOf(points);
  const box = canvas.getBoundingClientRect();
  const area = plotArea(box.width, box.height);
  const x = (clientX - box.left - area.left) / (area.right - area.left);
  let best = null;
  s1.forEach(([px], i) => {
    if (Number.isFinite(px) && (best === null || Math.abs(px - x) < Math.abs(s1[best][0] - x))) best = i;
  });
  return best;
}
