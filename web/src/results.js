// What a run shows besides its report: the optimum in large type, the legend
// of the chart with every pinned run, the read-out of one point, and the
// chart's text alternative. Every number here is one the core gave.

import { PIN_DASHES, seriesOf } from './chart.js';

// The optimum of a run as the core states it, the one place that knows where:
// {items: [{label, value, text, maximum}], conversion: Xa to mark, or null},
// the maximum the task asks for first, the others in the report's order.
export function optimumOf(result) {
  const stated = Array.isArray(result.optimum) ? result.optimum : [];
  const m = stated.findIndex((q) => q.maximum);
  const items = m > 0 ? [stated[m], ...stated.slice(0, m), ...stated.slice(m + 1)] : stated;
  const x = result.optimumConversion;
  return { items, conversion: typeof x === 'number' && Number.isFinite(x) ? x : null };
}

// "CRmax = 0.250".
export const statement = (q) => `${q.label} = ${q.value}`;

// The optimum's mark on the chart: a dot at its conversion on the yield
// curve, labelled with the maximum the task asks for and the conversion it is
// at ("оптимум CRmax = 0.250 при Xa = 0.500"), since the maximum is often no
// height of the curve (103's is a production rate); null when the core gives
// no conversion.
export function markOf(result) {
  const { items, conversion } = optimumOf(result);
  if (conversion === null || !items.length) return null;
  const x = items.find((q) => /^X[aA]$/.test(q.label));
  const at = x ? statement(x) : `Xa = ${conversion.toFixed(3)}`;
  const maximum = items.find((q) => q.maximum);
  return { x: conversion, label: maximum ? `оптимум ${statement(maximum)} при ${at}` : `оптимум при ${at}` };
}

// The data of `run` as a legend gives it beside the run `shown`: a pin of the
// same task with what differs from it, anything else with all its data.
export function dataBeside(run, shown) {
  if (!shown || run === shown || run.code !== shown.code) return run.params.join('; ');
  const differ = run.params.filter((p, i) => p !== shown.params[i]);
  return differ.length ? differ.join('; ') : 'те же данные';
}

// The quantities in large type, the first (the one the task asks for) the
// largest; a label that is a whole phrase (task 112) takes a line of its own.
export function renderOptimum(box, items) {
  box.replaceChildren();
  if (!items.length) {
    const p = document.createElement('p');
    p.className = 'quiet';
    p.textContent = 'Оптимум и значения при нём — в итоговых строках отчёта.';
    box.append(p);
    return;
  }
  const list = document.createElement('ul');
  for (const q of items) {
    const li = document.createElement('li');
    if (q.label.length > 12) li.className = 'long';
    li.textContent = statement(q);
    list.append(li);
  }
  box.append(list);
}

function svgSwatch(dash) {
  const ns = 'http://www.w3.org/2000/svg';
  const svg = document.createElementNS(ns, 'svg');
  svg.setAttribute('width', '36');
  svg.setAttribute('height', '14');
  svg.setAttribute('aria-hidden', 'true');
  for (const [colour, y] of [
    ['#ff0000', 4],
    ['#0000ff', 10],
  ]) {
    const line = document.createElementNS(ns, 'line');
    line.setAttribute('x1', '0');
    line.setAttribute('x2', '36');
    line.setAttribute('y1', String(y));
    line.setAttribute('y2', String(y));
    line.setAttribute('stroke', colour);
    line.setAttribute('stroke-width', '2');
    if (dash) line.setAttribute('stroke-dasharray', dash.join(' '));
    svg.append(line);
  }
  return svg;
}

// The legend under the chart: the run shown (solid), then every pinned run
// with its data and a button that removes it; pins of another task are listed
// but not drawn. `onUnpin(run)` removes a pin.
export function renderLegend(list, shown, pins, onUnpin) {
  list.replaceChildren();
  const item = (dash, caption, data, extra) => {
    const li = document.createElement('li');
    const text = document.createElement('span');
    const strong = document.createElement('strong');
    strong.textContent = caption;
    text.append(strong, `: ${data}${extra || ''}`);
    li.append(svgSwatch(dash), text);
    list.append(li);
    return li;
  };
  if (shown) {
    const li = item(null, shown.caption, shown.params.join('; '));
    const key = document.createElement('span');
    key.className = 'key';
    key.innerHTML = '<span class="red">красная</span>: селективность, <span class="blue">синяя</span>: выход';
    li.prepend(key);
  }
  pins.forEach((pin, i) => {
    const drawn = shown && pin.code === shown.code && pin !== shown;
    const note = drawn ? '' : pin === shown ? ' (показан)' : ` (задача ${pin.code}, на этом графике не видна)`;
    const li = item(PIN_DASHES[i % PIN_DASHES.length], pin.caption, dataBeside(pin, shown), note);
    const remove = document.createElement('button');
    remove.type = 'button';
    remove.className = 'unpin';
    remove.textContent = '✕';
    remove.title = 'Открепить';
    remove.setAttribute('aria-label', `Открепить ${pin.caption}`);
    remove.addEventListener('click', () => onUnpin(pin));
    li.append(remove);
  });
}

// Three decimals; a value a hair below zero reads 0.000, not -0.000.
const num = (v) => (Number.isFinite(v) ? v.toFixed(3).replace(/^-(0\.0+)$/, '$1') : '—');

// "Xa = 0.350: селективность 0.712, выход 0.249" for point i of `points`.
export function readoutText(points, i) {
  const [s1, s2] = seriesOf(points);
  if (!s1[i]) return '';
  return `Xa = ${num(s1[i][0])}: селективность ${num(s1[i][1])}, выход ${num(s2[i][1])}`;
}

// The chart's text alternative, naming the optimum.
export function chartDescription(run, items) {
  const what = 'График: селективность (красная линия) и выход (синяя) от степени конверсии';
  if (!run) return what;
  const opt = items.length ? `; оптимум: ${items.map(statement).join(', ')}` : '';
  return `${what}, ${run.caption}${opt}. Стрелки влево и вправо читают точки графика.`;
}
