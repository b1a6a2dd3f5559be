// The chart as a picture to keep or hand in: the task, the run and its data,
// the optimum, the chart, and a legend of every curve on it, each pinned run
// with its data.

import { BLUE, RED, paintChart } from './chart.js';

const WIDTH = 900;
const CHART_HEIGHT = 600;
const PAD = 20;
const FONT = 'Arial, "Liberation Sans", sans-serif';

// `text` cut into lines no wider than `width` at blanks.
function wrap(ctx, text, width) {
  const lines = [];
  let line = '';
  for (const word of text.split(' ')) {
    const next = line ? `${line} ${word}` : word;
    if (line && ctx.measureText(next).width > width) {
      lines.push(line);
      line = word;
    } else {
      line = next;
    }
  }
  if (line) lines.push(line);
  return lines;
}

function swatch(ctx, x, y, dash) {
  ctx.lineWidth = 2;
  ctx.setLineDash(dash || []);
  for (const [colour, dy] of [
    [RED, -4],
    [BLUE, 4],
  ]) {
    ctx.strokeStyle = colour;
    ctx.beginPath();
    ctx.moveTo(x, y + dy);
    ctx.lineTo(x + 40, y + dy);
    ctx.stroke();
  }
  ctx.setLineDash([]);
}

// A canvas holding the picture of `view`:
//   task: "Задача 101. ..."; run: {caption, params: ["k1 = 1", ...]};
//   optimum: [{label, value}]; pins: [{caption, data, points, dash}], data
//   the text beside the caption;
//   points, mark: as paintChart takes them.
export function chartPicture(view) {
  const canvas = document.createElement('canvas');
  const ctx = canvas.getContext('2d');
  const textWidth = WIDTH - 2 * PAD;
  const blocks = []; // [font, colour, lines, indent, dash]
  const add = (font, colour, text, indent = 0, dash) => {
    ctx.font = font;
    blocks.push([font, colour, wrap(ctx, text, textWidth - indent), indent, dash]);
  };
  const bold = `bold 17px ${FONT}`;
  const plain = `15px ${FONT}`;
  add(bold, '#000000', view.task);
  add(plain, '#000000', `${view.run.caption}: ${view.run.params.join('; ')}`);
  if (view.optimum.length) add(bold, BLUE, `Оптимум: ${view.optimum.map((q) => `${q.label} = ${q.value}`).join('; ')}`);
  const legend = [];
  ctx.font = plain;
  legend.push([null, wrap(ctx, `красная: селективность, синяя: выход; сплошные: ${view.run.caption}`, textWidth - 56)]);
  for (const pin of view.pins) legend.push([pin.dash, wrap(ctx, `${pin.caption}: ${pin.data}`, textWidth - 56)]);

  const line = 21;
  const head = blocks.reduce((h, b) => h + b[2].length * line, 0) + PAD + 6;
  const legendHeight = legend.reduce((h, [, lines]) => h + lines.length * line + 4, 0) + 10;
  canvas.width = WIDTH;
  canvas.height = head + CHART_HEIGHT + legendHeight + PAD;
  ctx.fillStyle = '#ffffff';
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  ctx.textBaseline = 'top';
  ctx.textAlign = 'left';
  let y = PAD;
  for (const [font, colour, lines] of blocks) {
    ctx.font = font;
    ctx.fillStyle = colour;
    for (const l of lines) {
      ctx.fillText(l, PAD, y);
      y += line;
    }
  }
  ctx.save();
  ctx.translate(0, head);
  paintChart(ctx, WIDTH, CHART_HEIGHT, {
    current: view.points,
    pins: view.pins.map((p) => ({ points: p.points, dash: p.dash })),
    mark: view.mark,
  });
  ctx.restore();
  y = head + CHART_HEIGHT + 10;
  ctx.font = plain;
  for (const [dash, lines] of legend) {
    swatch(ctx, PAD, y + 10, dash);
    ctx.fillStyle = '#000000';
    ctx.textBaseline = 'top';
    ctx.textAlign = 'left';
    for (const l of lines) {
      ctx.fillText(l, PAD + 56, y);
      y += line;
    }
    y += 4;
  }
  return canvas;
}
