// A parameter study on a canvas: the optimum's conversion (red, left axis 0
// to 1) and the maximised answer (blue, right axis from 0) against the
// parameter on a linear or a logarithmic axis, the current value marked, and
// each point the task refuses left as a gap (a grey band with a cross), never
// as a number. Also the study as a picture to keep.

import { BLUE, RED, sharpContext } from './chart.js';

const FONT = 'Arial, "Liberation Sans", sans-serif';
const GREY = '#9a9a9a';

// A number as an axis or a table shows it: at most 6 significant digits,
// without trailing zeros.
export function shortNumber(v) {
  if (!Number.isFinite(v)) return '';
  return String(Number(v.toPrecision(6)));
}

// About `want` round ticks from lo to hi (steps of 1, 2 or 5 times a power of
// ten).
export function linearTicks(lo, hi, want = 6) {
  const span = hi - lo;
  if (!(span > 0) || !Number.isFinite(span)) return [lo];
  const magnitude = 10 ** Math.floor(Math.log10(span / want));
  const step = [1, 2, 5, 10].map((m) => m * magnitude).find((s) => span / s <= want) ?? 10 * magnitude;
  const ticks = [];
  for (let k = Math.ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; ++k)
    ticks.push(Number((k * step).toPrecision(12)));
  return ticks;
}

// The powers of ten from lo to hi, with 2 and 5 between them when the range
// spans fewer than three decades; the ends where no tick falls inside.
export function logTicks(lo, hi) {
  if (!(lo > 0 && hi > lo)) return [lo];
  const first = Math.floor(Math.log10(lo));
  const last = Math.ceil(Math.log10(hi));
  const steps = last - first < 3 ? [1, 2, 5] : [1];
  const ticks = [];
  for (let e = first; e <= last; ++e)
    for (const m of steps) {
      const t = Number((m * 10 ** e).toPrecision(12));
      if (t >= lo * (1 - 1e-9) && t <= hi * (1 + 1e-9)) ticks.push(t);
    }
  return ticks.length >= 2 ? ticks : [lo, hi];
}

function plotArea(w, h) {
  return { left: 56, top: 44, right: w - 70, bottom: h - 54 };
}

// Where value v stands across the plot (0 at the left, 1 at the right).
function share(v, { low, high, log }) {
  if (log) return (Math.log(v) - Math.log(low)) / (Math.log(high) - Math.log(low));
  return (v - low) / (high - low);
}

// The top of the right axis: the first round tick at or above the largest
// maximum, 1 when there is none yet.
export function rightTop(maxima) {
  const top = Math.max(0, ...maxima.filter(Number.isFinite));
  if (top === 0) return 1;
  const ticks = linearTicks(0, top, 5);
  const last = ticks.at(-1);
  return last >= top ? last : last + (ticks[1] - ticks[0]);
}

// Draws `view` on `ctx` in a box of w by h:
//   low, high, log: the parameter's axis; key, label: its symbol and label;
//   points: [{value, ran, conversion, maximum}] as far as they are computed;
//   current: the value the fields give the parameter (marked when inside);
//   maximumLabel: the label of the maximised answer ("" when there is none).
export function paintStudy(ctx, w, h, view) {
  const area = plotArea(w, h);
  ctx.fillStyle = '#ffffff';
  ctx.fillRect(0, 0, w, h);
  ctx.textBaseline = 'alphabetic';
  ctx.setLineDash([]);
  const points = view.points || [];
  const ok = points.filter((p) => p.ran);
  const top = rightTop(ok.map((p) => p.maximum));
  const xOf = (v) => area.left + share(v, view) * (area.right - area.left);
  const yOf = (y, scale) => area.bottom - (y / scale) * (area.bottom - area.top);

  ctx.font = `bold 13px ${FONT}`;
  ctx.textAlign = 'center';
  ctx.fillStyle = '#000000';
  ctx.fillText(`Оптимум в зависимости от ${view.key}`, w / 2, 18);

  // The gaps first, under everything else: half-way to each neighbour.
  points.forEach((p, i) => {
    if (p.ran) return;
    const x = xOf(p.value);
    const before = i > 0 ? (xOf(points[i - 1].value) + x) / 2 : x - 4;
    const after = i + 1 < points.length ? (xOf(points[i + 1].value) + x) / 2 : x + 4;
    const from = Math.max(area.left, Math.min(before, x - 2));
    const to = Math.min(area.right, Math.max(after, x + 2));
    ctx.fillStyle = 'rgba(150,150,150,0.22)';
    ctx.fillRect(from, area.top, to - from, area.bottom - area.top);
    ctx.strokeStyle = GREY;
    ctx.lineWidth = 2;
    ctx.beginPath();
    ctx.moveTo(x - 4, area.bottom - 12);
    ctx.lineTo(x + 4, area.bottom - 4);
    ctx.moveTo(x + 4, area.bottom - 12);
    ctx.lineTo(x - 4, area.bottom - 4);
    ctx.stroke();
  });

  // Grid, the bottom axis with its ticks, the two value axes.
  ctx.font = `11px ${FONT}`;
  ctx.lineWidth = 1;
  const xTicks = view.log ? logTicks(view.low, view.high) : linearTicks(view.low, view.high, 6);
  for (const t of xTicks) {
    const x = Math.round(xOf(t)) + 0.5;
    if (x < area.left - 1 || x > area.right + 1) continue;
    ctx.strokeStyle = '#d0d0d0';
    ctx.setLineDash([1, 3]);
    ctx.beginPath();
    ctx.moveTo(x, area.top);
    ctx.lineTo(x, area.bottom);
    ctx.stroke();
    ctx.setLineDash([]);
    ctx.fillStyle = '#000000';
    ctx.textAlign = 'center';
    ctx.textBaseline = 'top';
    ctx.fillText(shortNumber(t), x, area.bottom + 6);
  }
  for (let i = 0; i <= 5; ++i) {
    const y = Math.round(yOf(i / 5, 1)) + 0.5;
    ctx.strokeStyle = i === 0 ? '#000000' : '#e0e0e0';
    ctx.beginPath();
    ctx.moveTo(area.left, y);
    ctx.lineTo(area.right, y);
    ctx.stroke();
    ctx.textBaseline = 'middle';
    ctx.textAlign = 'right';
    ctx.fillStyle = RED;
    ctx.fillText((i / 5).toFixed(1), area.left - 6, y);
    if (view.maximumLabel) {
      ctx.textAlign = 'left';
      ctx.fillStyle = BLUE;
      ctx.fillText(shortNumber((top * i) / 5), area.right + 6, y);
    }
  }
  ctx.strokeStyle = '#000000';
  ctx.strokeRect(area.left + 0.5, area.top + 0.5, area.right - area.left, area.bottom - area.top);
  ctx.textBaseline = 'alphabetic';
  ctx.textAlign = 'center';
  ctx.fillStyle = '#000000';
  ctx.fillText(`${view.label}${view.log ? ' (логарифмическая шкала)' : ''}`, (area.left + area.right) / 2, h - 10);
  const vertical = (text, x, colour) => {
    ctx.save();
    ctx.translate(x, (area.top + area.bottom) / 2);
    ctx.rotate(-Math.PI / 2);
    ctx.fillStyle = colour;
    ctx.fillText(text, 0, 0);
    ctx.restore();
  };
  vertical('Xa оптимума', 12, RED);
  if (view.maximumLabel) {
    ctx.save();
    ctx.translate(w - 8, (area.top + area.bottom) / 2);
    ctx.rotate(-Math.PI / 2);
    ctx.fillStyle = BLUE;
    ctx.fillText(view.maximumLabel, 0, 0);
    ctx.restore();
  }

  // The current value: a dashed line with its value.
  if (Number.isFinite(view.current) && view.current >= view.low && view.current <= view.high) {
    const x = Math.round(xOf(view.current)) + 0.5;
    ctx.strokeStyle = '#333333';
    ctx.setLineDash([5, 4]);
    ctx.lineWidth = 1.5;
    ctx.beginPath();
    ctx.moveTo(x, area.top);
    ctx.lineTo(x, area.bottom);
    ctx.stroke();
    ctx.setLineDash([]);
    ctx.font = `bold 12px ${FONT}`;
    const text = `сейчас ${view.key} = ${shortNumber(view.current)}`;
    const width = ctx.measureText(text).width;
    const left = Math.min(area.right - width - 4, Math.max(area.left + 4, x - width / 2));
    ctx.fillStyle = 'rgba(255,255,255,0.9)';
    ctx.fillRect(left - 3, area.top - 18, width + 6, 16);
    ctx.fillStyle = '#333333';
    ctx.textAlign = 'left';
    ctx.textBaseline = 'middle';
    ctx.fillText(text, left, area.top - 10);
  }

  // The curves: a line through the points that ran, broken at every gap.
  const curve = (pick, scale, colour) => {
    ctx.save();
    ctx.beginPath();
    ctx.rect(area.left, area.top - 1, area.right - area.left, area.bottom - area.top + 2);
    ctx.clip();
    ctx.strokeStyle = colour;
    ctx.fillStyle = colour;
    ctx.lineWidth = 2;
    ctx.beginPath();
    let pen = false;
    for (const p of points) {
      const y = p.ran ? pick(p) : NaN;
      if (!Number.isFinite(y)) {
        pen = false;
        continue;
      }
      const px = xOf(p.value);
      const py = yOf(y, scale);
      if (pen) ctx.lineTo(px, py);
      else ctx.moveTo(px, py);
      pen = true;
    }
    ctx.stroke();
    // Dots where they stay apart; a lone point between gaps shows too.
    const apart = points.length <= 1 || (area.right - area.left) / points.length >= 6;
    for (let i = 0; i < points.length; ++i) {
      const p = points[i];
      const y = p.ran ? pick(p) : NaN;
      if (!Number.isFinite(y)) continue;
      const alone = !points[i - 1]?.ran && !points[i + 1]?.ran;
      if (!apart && !alone) continue;
      ctx.beginPath();
      ctx.arc(xOf(p.value), yOf(y, scale), 2.8, 0, 2 * Math.PI);
      ctx.fill();
    }
    ctx.restore();
  };
  curve((p) => p.conversion, 1, RED);
  if (view.maximumLabel) curve((p) => p.maximum, top, BLUE);
}

// Draws on `canvas` at its CSS size, sharp on the screen's pixel ratio.
export function drawStudy(canvas, view) {
  const w = canvas.clientWidth || 600;
  const h = canvas.clientHeight || 360;
  paintStudy(sharpContext(canvas, w, h, window.devicePixelRatio || 1), w, h, view);
}

// The study as a picture: `lines` of text over the chart of `view`, and a
// legend under it.
export function studyPicture(lines, view, legend) {
  const width = 900;
  const chartHeight = 520;
  const pad = 20;
  const line = 21;
  const canvas = document.createElement('canvas');
  const ctx = canvas.getContext('2d');
  const wrap = (text, font) => {
    ctx.font = font;
    const out = [];
    let now = '';
    for (const word of text.split(' ')) {
      const next = now ? `${now} ${word}` : word;
      if (now && ctx.measureText(next).width > width - 2 * pad) {
        out.push(now);
        now = word;
      } else now = next;
    }
    if (now) out.push(now);
    return out.map((t) => [font, t]);
  };
  const head = lines.flatMap(([text, bold]) => wrap(text, `${bold ? 'bold 17px' : '15px'} ${FONT}`));
  const foot = legend.flatMap((text) => wrap(text, `15px ${FONT}`));
  canvas.width = width;
  canvas.height = pad + head.length * line + 6 + chartHeight + 10 + foot.length * line + pad;
  ctx.fillStyle = '#ffffff';
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  let y = pad;
  const write = ([font, text]) => {
    ctx.font = font;
    ctx.fillStyle = '#000000';
    ctx.textAlign = 'left';
    ctx.textBaseline = 'top';
    ctx.fillText(text, pad, y);
    y += line;
  };
  head.forEach(write);
  y += 6;
  ctx.save();
  ctx.translate(0, y);
  paintStudy(ctx, width, chartHeight, view);
  ctx.restore();
  y += chartHeight + 10;
  foot.forEach(write);
  return canvas;
}
