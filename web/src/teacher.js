// The teacher's panel: variants of the chosen tasks for a class, drawn by the
// core from a seed, their files (answer keys, sheets, a Moodle quiz) and a
// self-check link into this page for every variant, all in one zip. The page
// draws no number and writes no byte of the kit's files: it passes the
// request on, says how far the core is, and offers what it made.

import { fieldKeys, linkTo, packScheme, pageBase, variantAddress } from './address.js';
import { saveText, saveZip, zipOf } from './downloads.js';
import { $ } from './dom.js';
import { chosenSchemes, setUpKitSchemes, tickAllSchemes, tickScheme } from './teacher-schemes.js';

// The next frame drawn, so that the progress shows between two tasks; a
// hidden tab draws no frames, and then a moment is enough.
const afterPaint = () =>
  new Promise((resolve) => {
    let done = false;
    const go = () => {
      if (done) return;
      done = true;
      resolve();
    };
    requestAnimationFrame(() => setTimeout(go, 0));
    setTimeout(go, 100);
  });

// "dimer-tank" of "dimer-tank.toml".
const stemOf = (fileName) => fileName.replace(/\.toml$/i, '');

// A drawn task by its code, or a task file's by its name.
const taskName = (task) => (task.code ? String(task.code) : task.name);

const escapeHtml = (text) =>
  String(text).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);

// A seed to offer: six digits are easy to note and type again.
function freshSeed() {
  const word = new Uint32Array(1);
  crypto.getRandomValues(word);
  return String(100000 + (word[0] % 900000));
}

// The page's own file name as the address has it, for a base that names
// only a folder.
const pageFile = () => location.pathname.split('/').pop() || 'reactopt.html';

const LOCAL_WARNING =
  'Ссылки ведут в файл на этом компьютере (file:): у студентов они не откроются. Выложите страницу на сайт ' +
  'и укажите её адрес в поле «Адрес страницы для ссылок».';

// The base of the links for what the teacher typed (empty: this page):
// {base, local: whether the links open on this computer only, note: what
// was made of the text}; throws a message naming what is wrong.
function linksBase(typed) {
  const text = typed.trim() || pageBase();
  let url;
  try {
    url = new URL(text);
  } catch {
    url = null;
  }
  if (!url || !['http:', 'https:', 'file:'].includes(url.protocol))
    throw new Error(
      `Адрес страницы для ссылок «${text}» — не адрес страницы (например, https://example.org/reactopt.html)`,
    );
  url.hash = '';
  let note = '';
  // A folder's address would open its listing, not the page.
  if (url.pathname.endsWith('/')) {
    url.pathname += pageFile();
    note = `«${text}» — адрес папки: ссылки ведут на страницу ${url.href} в ней.`;
  }
  return { base: url.href, local: url.protocol === 'file:', note };
}

// The self-check link of every variant: [{code, name, title, labels, rows:
// [{number, data, url}]}]. `schemes` are the task files asked for, each
// with its text `packed` for its links, which carry it.
function linksOf(drawn, engine, tasks, base, tolerance, schemes) {
  return drawn.map((task) => {
    const scheme = task.code ? null : schemes.find((s) => stemOf(s.name) === task.name);
    const fields = scheme
      ? scheme.fields.map((f, i) => ({ ...f, name: scheme.keys[i] }))
      : engine.fields(task.code).fields;
    const keys = fieldKeys(fields);
    const keyOf = new Map(fields.map((f, i) => [f.slot, keys[i]]));
    return {
      code: task.code,
      name: task.name,
      title: scheme ? scheme.title : tasks.find((t) => t.code === task.code)?.title || '',
      labels: task.fields.map((f) => f.label),
      rows: task.variants.map((v) => ({
        number: v.number,
        data: v.data,
        url: linkTo(
          base,
          variantAddress(
            scheme ? { packed: scheme.packed, name: task.name } : task.code,
            task.fields.map((f, i) => [keyOf.get(f.slot) || `P${f.slot}`, v.data[i]]),
            v.number,
            tolerance,
            task.study,
          ),
        ),
      })),
    };
  });
}

// links.html: per task a table of its variants, their data and links.
function linksPage(links, seed, local) {
  const parts = [
    '<!doctype html>\n<html lang="ru">\n<head>\n<meta charset="utf-8">\n',
    '<title>ReactOpt: ссылки для самопроверки</title>\n',
    '<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse;margin-bottom:2em}',
    'th,td{border:1px solid #999;padding:2px 6px;text-align:left}td a{word-break:break-all}',
    '.warning{border:2px solid #900;color:#900;padding:6px 8px;font-weight:bold}</style>\n',
    '</head>\n<body>\n<h1>Ссылки для самопроверки</h1>\n',
    `<p>Зерно ${escapeHtml(seed)}. Ссылка открывает задачу с данными варианта и формой «Проверить ответы»: `,
    'студент вводит свои ответы и узнаёт, верны ли они; правильные значения видны только по кнопке «Показать ответ».</p>\n',
  ];
  if (local) parts.push(`<p class="warning">${escapeHtml(LOCAL_WARNING)}</p>\n`);
  for (const task of links) {
    parts.push(
      `<h2>Задача ${escapeHtml(taskName(task))}. ${escapeHtml(task.title)}</h2>\n<table>\n<thead><tr><th>Вариант</th>`,
    );
    for (const label of task.labels) parts.push(`<th>${escapeHtml(label)}</th>`);
    parts.push('<th>Ссылка</th></tr></thead>\n<tbody>\n');
    for (const row of task.rows) {
      parts.push(`<tr><td>${row.number}</td>`);
      for (const value of row.data) parts.push(`<td>${escapeHtml(value)}</td>`);
      parts.push(`<td><a href="${escapeHtml(row.url)}">${escapeHtml(row.url)}</a></td></tr>\n`);
    }
    parts.push('</tbody>\n</table>\n');
  }
  parts.push('</body>\n</html>\n');
  return parts.join('');
}

// "Задача 101, вариант 7: URL", one line a variant ("Задача dimer-tank" for
// a task file).
const linksText = (links) =>
  links.flatMap((t) => t.rows.map((r) => `Задача ${taskName(t)}, вариант ${r.number}: ${r.url}`)).join('\n');

// "в задаче 120", "в задачах 101, 102, 105–114": runs of three or more
// codes as a span.
function inTasks(all) {
  const codes = all.filter((c) => typeof c === 'number');
  const names = all.filter((c) => typeof c !== 'number');
  const runs = [];
  for (const code of codes) {
    const last = runs.at(-1);
    if (last && code === last[1] + 1) last[1] = code;
    else runs.push([code, code]);
  }
  const text = runs
    .flatMap(([a, b]) => (b - a >= 2 ? [`${a}–${b}`] : b > a ? [String(a), String(b)] : [String(a)]))
    .join(', ');
  const listed = [text, ...names].filter(Boolean).join(', ');
  return all.length === 1 ? `в задаче ${listed}` : `в задачах ${listed}`;
}

const sizeText = (text) => {
  const kb = new Blob([text]).size / 1024;
  return kb < 10 ? `${kb.toFixed(1).replace('.', ',')} КБ` : `${Math.round(kb)} КБ`;
};

// ---- the range table --------------------------------------------------------

// One row per label of the chosen tasks' fields, with the spans the data
// file offers; a range applies to every chosen task with that label. What
// was typed in a row stays while rows come and go.
function rangeTable(engine) {
  const typed = new Map(); // label -> [low, high]
  return function fillRanges(codes, schemes) {
    for (const row of $('kit-range-rows').querySelectorAll('.kit-range')) {
      const [low, high] = row.querySelectorAll('input');
      typed.set(row.dataset.label, [low.value, high.value]);
    }
    const spans = new Map(); // label -> Map span -> [code]
    const tasksOf = [
      ...codes.map((code) => [code, engine.kitFields(code)]),
      ...schemes.map((s) => [stemOf(s.name), s.fields]),
    ];
    for (const [code, fields] of tasksOf) {
      for (const f of fields) {
        const span = `${f.low} – ${f.high}`;
        if (!spans.has(f.label)) spans.set(f.label, new Map());
        const of = spans.get(f.label);
        if (!of.has(span)) of.set(span, []);
        of.get(span).push(code);
      }
    }
    const rows = $('kit-range-rows');
    rows.replaceChildren();
    let i = 0;
    for (const [label, offered] of spans) {
      ++i;
      const row = document.createElement('div');
      row.className = 'kit-range';
      row.dataset.label = label;
      const name = document.createElement('span');
      name.className = 'kit-range-name';
      name.id = `kit-range-${i}`;
      name.textContent = label;
      const span = document.createElement('span');
      span.className = 'kit-range-span';
      // Labels alike (k1 in 1/с and in м3/(кмоль*с)) are told apart by their tasks.
      span.textContent = `предлагаются ${Array.from(offered, ([text, codes]) => `${text} ${inTasks(codes)}`).join('; ')}`;
      row.append(name, span);
      const [low, high] = typed.get(label) || ['', ''];
      for (const [word, value] of [
        ['от', low],
        ['до', high],
      ]) {
        const id = `kit-range-${i}-${word === 'от' ? 'low' : 'high'}`;
        const caption = document.createElement('label');
        caption.htmlFor = id;
        caption.id = `${id}-caption`;
        caption.textContent = word;
        const input = document.createElement('input');
        input.type = 'text';
        input.id = id;
        input.inputMode = 'decimal';
        input.autocomplete = 'off';
        input.value = value;
        input.setAttribute('aria-labelledby', `${name.id} ${caption.id}`);
        row.append(caption, input);
      }
      rows.append(row);
    }
    $('kit-no-ranges').hidden = spans.size > 0;
    fillStudyFields([...spans.keys()]);
  };
}

// The study question's field list: the chosen tasks' labels, the one chosen
// kept while it stays.
function fillStudyFields(labels) {
  const select = $('kit-study-field');
  const chosen = select.value;
  select.replaceChildren(
    ...labels.map((label) => {
      const option = document.createElement('option');
      option.value = label;
      option.textContent = label;
      return option;
    }),
  );
  if (labels.includes(chosen)) select.value = chosen;
}

// The study question of the form, or none when it is not asked.
function studyOf() {
  if (!$('kit-study').checked) return undefined;
  const field = $('kit-study-field').value;
  if (!field) throw new Error('Вопрос об исследовании: не выбрано поле');
  return { field, factor: $('kit-study-factor').value.trim() || '2' };
}

// ---- the request ------------------------------------------------------------

// The request of the form for the tasks `codes` of `tasks`, or a message
// naming what is wrong with it.
function requestOf(codes, tasks, schemes) {
  const count = $('kit-count').value.trim();
  if (!/^\d{1,6}$/.test(count)) throw new Error(`Вариантов каждой задачи: «${count}» — не целое число`);
  const ranges = [];
  for (const row of $('kit-range-rows').querySelectorAll('.kit-range')) {
    const [low, high] = Array.from(row.querySelectorAll('input'), (input) => input.value.trim());
    if (!low && !high) continue;
    if (!low || !high) throw new Error(`Диапазон поля «${row.dataset.label}»: нужны обе границы`);
    ranges.push({ field: row.dataset.label, low, high });
  }
  const study = studyOf();
  const base = linksBase($('kit-base').value);
  return {
    codes,
    schemes: schemes.map(({ name, text }) => ({ name, text })),
    count: Number(count),
    seed: $('kit-seed').value.trim(),
    ranges,
    tolerance: $('kit-tolerance').value.trim(),
    key: $('kit-key').checked,
    ...(study ? { study } : {}),
    statements: Object.fromEntries(tasks.filter((t) => codes.includes(t.code)).map((t) => [t.code, t.statement])),
    base,
  };
}

// What the links will open, said while the address is typed.
function noteBase() {
  let said = '';
  let local = false;
  try {
    const base = linksBase($('kit-base').value);
    said = [base.note, base.local ? LOCAL_WARNING : ''].filter(Boolean).join(' ');
    local = base.local;
  } catch {
    // Said in full on «Создать».
  }
  $('kit-base-note').textContent = said;
  $('kit-base-note').hidden = !said;
  $('kit-base-note').classList.toggle('warning', local);
}

// ---- the progress -----------------------------------------------------------

// Makes the kit of request `req` task by task, the progress shown between
// tasks: {files, zip, zipName, links, base, variants, tasks}; throws what
// the core refused.
async function makeKit(engine, tasks, req, schemes) {
  const { base, ...kit } = req;
  const progress = $('kit-progress');
  const steps = engine.kitInSteps(kit);
  // The built-in tasks first, then the task files, as the kit orders them.
  const order = [...steps.codes, ...(steps.schemes || [])];
  progress.max = order.length + 1;
  progress.value = 0;
  progress.hidden = false;
  const drawn = [];
  for (const [i, task] of order.entries()) {
    $('kit-status').textContent =
      `Задача ${typeof task === 'string' ? stemOf(task) : task}: ${i + 1} из ${order.length}…`;
    await afterPaint();
    drawn.push(steps.draw(task));
    progress.value = i + 1;
  }
  $('kit-status').textContent = 'Ключи, листы, тест и ссылки…';
  await afterPaint();
  // A task file's links carry its text.
  const packed = await Promise.all(schemes.map(async (s) => ({ ...s, packed: await packScheme(s.text) })));
  const links = linksOf(drawn, engine, tasks, base.base, kit.tolerance, packed);
  const files = [...steps.files(), { name: 'links.html', text: linksPage(links, kit.seed, base.local) }];
  const zipName = `reactopt-variants-${kit.seed}.zip`;
  const made = { files, zip: zipOf(files), zipName, links, base };
  progress.value = progress.max;
  made.variants = drawn.reduce((n, t) => n + t.variants.length, 0);
  made.tasks = drawn.length;
  return made;
}

// ---- the downloads ----------------------------------------------------------

// Each file of the kit to download alone, the archive and the links.
function showFiles(made) {
  const box = $('kit-file-list');
  box.replaceChildren();
  for (const file of made.files) {
    const li = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = file.name;
    button.addEventListener('click', () => saveText(file));
    const size = document.createElement('span');
    size.className = 'quiet';
    size.textContent = sizeText(file.text);
    li.append(button, ' ', size);
    box.append(li);
  }
  $('kit-zip').textContent = `Скачать всё одним архивом (${made.zipName})`;
  $('kit-links').value = linksText(made.links);
  const said = [made.base.note, made.base.local ? LOCAL_WARNING : ''].filter(Boolean).join(' ');
  $('kit-links-warning').textContent = said;
  $('kit-links-warning').hidden = !said;
  $('kit-files').hidden = false;
}

async function copyLinks(made) {
  try {
    await navigator.clipboard.writeText(linksText(made.links));
    $('kit-status').textContent = 'Ссылки скопированы.';
  } catch {
    // Without the clipboard the links are selected to be copied by hand.
    $('kit-links').select();
    $('kit-status').textContent = 'Ссылки выделены в поле ниже: скопируйте их (Ctrl+C).';
  }
}

// ---- the panel --------------------------------------------------------------

// Sets the panel up in the page's #kit; `engine` is the page's engine,
// `tasks` its [{code, title, statement}], `currentCode()` the task open in
// the page (checked when the panel first opens).
export function setUpTeacherPanel({ engine, tasks, currentCode, examples, ownNow, currentScheme }) {
  const panel = {
    made: null, // what the last «Создать» made, to download again
    busy: false, // a kit is being made
    opened: false, // the panel has been shown
  };
  const list = $('kit-task-list');
  for (const task of tasks) {
    const label = document.createElement('label');
    label.className = 'kit-task';
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.value = String(task.code);
    const name = document.createElement('span');
    name.textContent = `${task.code}  ${task.title}`;
    label.append(box, name);
    list.append(label);
  }
  const boxes = () => Array.from(list.querySelectorAll('input[type="checkbox"]'));
  const chosen = () =>
    boxes()
      .filter((b) => b.checked)
      .map((b) => Number(b.value));
  const fillTable = rangeTable(engine);
  const fillRanges = () => fillTable(chosen(), chosenSchemes());
  setUpKitSchemes({ engine, examples, ownNow, onChange: fillRanges });

  function showError(text) {
    $('kit-message').textContent = text;
    $('kit-message').hidden = !text;
  }

  async function create() {
    if (panel.busy) return;
    showError('');
    $('kit-status').textContent = '';
    let req;
    try {
      req = requestOf(chosen(), tasks, chosenSchemes());
    } catch (e) {
      showError(e.message);
      return;
    }
    panel.busy = true;
    $('kit-create').disabled = true;
    $('kit-form').setAttribute('aria-busy', 'true');
    const t0 = performance.now();
    try {
      const made = await makeKit(engine, tasks, req, chosenSchemes());
      panel.made = made;
      const seconds = ((performance.now() - t0) / 1000).toFixed(1).replace('.', ',');
      $('kit-status').textContent =
        `Готово: ${made.variants} вариантов, задач: ${made.tasks}, за ${seconds} с. Архив ${made.zipName} скачивается.`;
      document.body.dataset.kitMs = String(Math.round(performance.now() - t0));
      showFiles(made);
      saveZip(made.zip, made.zipName);
      // The button was disabled under the focus: it goes to what was made.
      $('kit-status').focus();
    } catch (e) {
      // Nothing is offered from a request the kit could not meet.
      panel.made = null;
      $('kit-files').hidden = true;
      $('kit-status').textContent = '';
      showError(e.message);
    } finally {
      $('kit-progress').hidden = true;
      panel.busy = false;
      $('kit-create').disabled = false;
      $('kit-form').removeAttribute('aria-busy');
      if (!panel.made) $('kit-create').focus();
    }
  }

  $('kit-all').addEventListener('click', () => {
    boxes().forEach((b) => (b.checked = true));
    fillRanges();
  });
  $('kit-none').addEventListener('click', () => {
    boxes().forEach((b) => (b.checked = false));
    tickAllSchemes(false);
    fillRanges();
  });
  list.addEventListener('change', fillRanges);
  $('kit-study').addEventListener('change', () => {
    $('kit-study-field').disabled = !$('kit-study').checked;
    $('kit-study-factor').disabled = !$('kit-study').checked;
  });
  $('kit-new-seed').addEventListener('click', () => {
    $('kit-seed').value = freshSeed();
  });
  $('kit-form').addEventListener('submit', (e) => {
    e.preventDefault();
    create();
  });
  $('kit-zip').addEventListener('click', () => panel.made && saveZip(panel.made.zip, panel.made.zipName));
  $('kit-copy-links').addEventListener('click', () => panel.made && copyLinks(panel.made));
  $('kit-seed').value = freshSeed();
  $('kit-base').placeholder = pageBase();
  $('kit-base').addEventListener('input', noteBase);
  noteBase();

  // Called whenever the panel is shown. The task open on the page is ticked
  // the first time, and its box says so, lest a Space on it be taken for a
  // tick.
  return function onShow() {
    const code = currentCode();
    for (const b of boxes()) {
      const name = b.nextElementSibling;
      name.querySelector('.kit-current')?.remove();
      if (Number(b.value) !== code) continue;
      const mark = document.createElement('span');
      mark.className = 'kit-current';
      mark.textContent = panel.opened ? ' — открыта на странице' : ' — открыта на странице, отмечена заранее';
      name.append(mark);
    }
    if (panel.opened) return;
    panel.opened = true;
    for (const b of boxes()) b.checked = Number(b.value) === code;
    // A task file open on the page is ticked among the files.
    const scheme = currentScheme();
    if (scheme) tickScheme(scheme);
    fillRanges();
  };
}
