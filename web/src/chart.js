// The result chart as the desktop draws it: selectivity-type series in red,
// yield-type series in blue, against the conversion, on fixed 0 to 1 axes with
// steps of 0.1. Drawn on a canvas by hand: the axes never rescale and there is
// nothing to zoom, so a chart library would add weight and nothing else.

export const TITLE_LINE_1 = 'Зависимость селективности (выхода)';
export const TITLE_LINE_2 = ' от степени конверсии';
export const FOOT = 'Степень конверсии';
export const LEFT_AXIS_TITLE = 'Селективность (выход)';
const RED = '#ff0000';
const BLUE = '#0000ff';

// Adds (x, y) after every point whose X is not greater, as the desktop series
// do: points come out in ascending X, equal X in the order they came.
function addXY(series, x, y) {
  let pos = series.length;
  while (pos > 0 && series[pos - 1][0] > x) --pos;
  series.splice(pos, 0, [x, y]);
}

// The two series of a run's chart points [[x, y1, y2], ...].
export function seriesOf(points) {
  const s1 = [];
  const s2 = [];
  for (const [x, y1, y2] of points) {
    addXY(s1, x, y1);
    addXY(s2, x, y2);
  }
  return [s1, s2];
}

// Plot area inside a canvas of CSS size w by h.
function plotArea(w, h) {
  return { left: 64, top: 56, right: w - 18, bottom: h - 56 };
}

function drawSeries(ctx, area, series, colour, dashed) {
  const sx = (x) => area.left + x * (area.right - area.left);
  const sy = (y) => area.bottom - y * (area.bottom - area.top);
  ctx.save();
  ctx.beginPath();
  ctx.rect(area.left, area.top, area.right - area.left, area.bottom - area.top);
  ctx.clip();
  ctx.strokeStyle = colour;
  ctx.lineWidth = dashed ? 1.5 : 2;
  ctx.setLineDash(dashed ? [6, 4] : []);
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
    const px = Math.max(-1e6, Math.min(1e6, sx(x)));
    const py = Math.max(-1e6, Math.min(1e6, sy(y)));
    if (pen) ctx.lineTo(px, py);
    else ctx.moveTo(px, py);
    pen = true;
  }
  ctx.stroke();
  ctx.restore();
}

// Draws `current` (the run's points) and, when given, `pinned` (a pinned run's
// points, dashed) on `canvas`.
export function drawChart(canvas, current, pinned) {
  const w = canvas.clientWidth || 420;
  const h = canvas.clientHeight || 460;
  const ratio = window.devicePixelRatio || 1;
  if (canvas.width !== Math.round(w * ratio) || canvas.height !== Math.round(h * ratio)) {
    canvas.width = Math.round(w * ratio);
    canvas.height = Math.round(h * ratio);
  }
  const ctx = canvas.getContext('2d');
  ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
  ctx.fillStyle = '#ffffff';
  ctx.fillRect(0, 0, w, h);
  const area = plotArea(w, h);

  ctx.fillStyle = BLUE;
  ctx.font = '13px Arial, "Liberation Sans", sans-serif';
  ctx.textAlign = 'center';
  ctx.textBaseline = 'alphabetic';
  ctx.fillText(TITLE_LINE_1, w / 2, 20);
  ctx.fillText(TITLE_LINE_2, w / 2, 38);

  ctx.fillStyle = '#000000';
  ctx.font = '11px Arial, "Liberation Sans", sans-serif';
  ctx.fillText(FOOT, (area.left + area.right) / 2, h - 14);
  ctx.save();
  ctx.translate(16, (area.top + area.bottom) / 2);
  ctx.rotate(-Math.PI / 2);
  ctx.fillText(LEFT_AXIS_TITLE, 0, 0);
  ctx.restore();

  // Grid and labels every 0.1 on both axes.
  ctx.strokeStyle = '#000000';
  ctx.lineWidth = 1;
  for (let i = 0; i <= 10; ++i) {
    const label = (i / 10).toFixed(1);
    const x = Math.round(area.left + (i / 10) * (area.right - area.left)) + 0.5;
    const y = Math.round(area.bottom - (i / 10) * (area.bottom - area.top)) + 0.5;
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
    ctx.textAlign = 'center';
    ctx.textBaseline = 'top';
    ctx.fillText(label, x, area.bottom + 6);
    ctx.textAlign = 'right';
    ctx.textBaseline = 'middle';
    ctx.fillText(label, area.left - 6, y);
  }

  if (pinned) {
    const [p1, p2] = seriesOf(pinned);
    drawSeries(ctx, area, p1, RED, true);
    drawSeries(ctx, area, p2, BLUE, true);
  }
  if (current) {
    const [s1, s2] = seriesOf(current);
    drawSeries(ctx, area, s1, RED, false);
    drawSeries(ctx, area, s2, BLUE, false);
  }
}
