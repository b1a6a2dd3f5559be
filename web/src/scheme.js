// Task files on the page: the examples shipped with the program and «Своя
// задача», a task file typed, pasted or opened from disk, each in the task
// list beside the built-in tasks and run like them. The text box shows the
// file with the core's message (and the faulty line) under it; the fields
// come from the file's parameters.

import { MAX_PACKED_LENGTH, packScheme } from './address.js';
import { $, notify } from './dom.js';
import { saveText } from './downloads.js';
import { inputsOf } from './fields.js';
import { loadScheme, saveScheme } from './storage.js';
import { currentCode, keysNow, selectTask, taskOf } from './task.js';

// The id of «Своя задача» in the list, the runs and the teacher's panel.
export const OWN = 'own';
const OWN_NAME = 'своя.toml';
// A file larger than a task statement may be is not read: the program's
// own are about 2 KB.
export const MAX_FILE_BYTES = 64 * 1024;
// How long typing pauses before the text is read again.
const PARSE_DELAY_MS = 300;

const state = {
  engine: null,
  own: null, // the task «Своя задача»
  parseTimer: null,
  packed: new Map(), // text -> its form in a link
  linked: '', // the form of the own text last put in the address
  onPacked: () => {}, // the address rewritten once a text is packed
};

export const isSchemeTask = (task) => Boolean(task && task.scheme);
// The text of «Своя задача» now: {name, text}.
export const ownScheme = () => ({ ...state.own.scheme });
const stemOf = (fileName) => fileName.replace(/\.toml$/i, '');

// "своя" of "своя.toml": what a run's caption and a kit's files are named by.
export const schemeStem = (task) => stemOf(task.scheme.name);

// What a file's parse gives for the task list and the statement panel.
function describe(task, parsed) {
  const title = parsed && !parsed.error ? parsed.title : '';
  task.title = title || stemOf(task.scheme.name);
  task.statement = (parsed && !parsed.error && parsed.statement) || task.title;
  task.heading = task.code === OWN ? `Своя задача: ${task.title}` : `Пример ${stemOf(task.scheme.name)}: ${task.title}`;
}

// The task list's entries for `examples` ([{name: "dimer-tank", text}])
// and «Своя задача», its text the one kept from the last visit or the first
// example's.
export function schemeTasks(engine, examples) {
  state.engine = engine;
  const tasks = examples.map((e) => {
    const task = { code: `ex:${e.name}`, fileName: `${e.name}.toml`, scheme: { name: `${e.name}.toml`, text: e.text } };
    describe(task, engine.scheme.parse(e.text, task.scheme.name));
    return task;
  });
  const kept = loadScheme();
  const start = kept || { name: OWN_NAME, text: examples[0]?.text ?? '' };
  state.linked = kept?.linked ?? '';
  state.own = { code: OWN, fileName: start.name, scheme: { name: start.name, text: start.text } };
  describe(state.own, engine.scheme.parse(start.text, start.name));
  return [...tasks, state.own];
}

// The label of a task in the list.
export const listLabel = (task) =>
  task.code === OWN ? 'Своя задача (файл .toml)' : `Пример: ${stemOf(task.scheme.name)}`;

// The fields of a task file as the engine gives a built-in task's:
// {slots, fields: [{slot, label, name, values}]}, or no fields and the
// core's {error, line, column} for a file it refuses.
export function schemeFields(engine, task) {
  const parsed = engine.scheme.parse(task.scheme.text, task.scheme.name);
  describe(task, parsed);
  if (parsed.error) return { slots: 0, fields: [], error: parsed };
  return {
    slots: parsed.fields.length,
    fields: parsed.fields.map((f, i) => ({
      slot: i + 1,
      label: f.label,
      name: f.name,
      values: f.offered.map((v) => String(v)),
    })),
  };
}

// `engine` with task files among its tasks: fields(code) and run(code,
// values, scheme) take the id of a task file too, the run its text as
// `scheme` ({name, text}: a kept run's) or the task's own now.
export function withSchemes(engine, taskOfCode) {
  const schemeOf = (code) => taskOfCode(code)?.scheme ?? null;
  return {
    ...engine,
    fields: (code) => {
      const task = taskOfCode(code);
      return isSchemeTask(task) ? schemeFields(engine, task) : engine.fields(code);
    },
    run: (code, values, scheme) => {
      const s = scheme || schemeOf(code);
      if (!s) return engine.run(code, values);
      // The values up to the first one not given; the rest take the first
      // offered (a kept run gives them all).
      const gap = values.findIndex((v) => v === null || v === undefined);
      return engine.scheme.run(s.text, s.name, gap < 0 ? values : values.slice(0, gap));
    },
  };
}

// ---- the text box -----------------------------------------------------------

// The text's line `line` (from 1), or ''.
const lineOf = (text, line) => (line >= 1 ? (text.split(/\r?\n/)[line - 1] ?? '') : '');

function showParse(task, fields) {
  const error = fields.error;
  $('scheme-message').textContent = error
    ? error.error
    : `Схема прочитана: параметров — ${fields.slots}. Ниже — их поля и «Рассчитать».`;
  $('scheme-message').classList.toggle('error', Boolean(error));
  $('scheme-text').setAttribute('aria-invalid', error ? 'true' : 'false');
  const bad = error ? lineOf(task.scheme.text, error.line) : '';
  $('scheme-line').hidden = !bad;
  $('scheme-line').textContent = bad ? `${error.line}: ${bad}` : '';
}

// Called for every task shown: the box shows a task file's text (read-only
// for an example) and says what the core makes of it; a built-in task hides
// it.
export function showSchemeOf(task, fields) {
  const scheme = isSchemeTask(task);
  $('scheme').hidden = !scheme;
  // The note on the statements' Data Edit is about the built-in tasks.
  $('data-note').hidden = scheme;
  if (!scheme) return;
  const own = task.code === OWN;
  $('scheme-title').textContent = own ? 'Своя задача: файл задачи' : `Пример: ${task.scheme.name}`;
  if ($('scheme-text').value !== task.scheme.text) $('scheme-text').value = task.scheme.text;
  $('scheme-text').readOnly = !own;
  $('scheme-edit').hidden = own;
  $('scheme-open').hidden = !own;
  $('scheme-name').textContent = task.scheme.name;
  $('statement-title').textContent = 'Условие задачи';
  showParse(task, fields);
}

// What the fields hold, by parameter name, to keep across a new parse:
// only for a parameter that `fields` (the new ones) has with the same
// offered values, so that another file's data do not creep in.
function typedValues(fields = null) {
  const keys = keysNow();
  const before = new Map(inputsOf($('fields')).map((input, i) => [keys[i], input]));
  const kept = new Map();
  for (const f of fields ? fields.fields : []) {
    const input = before.get(f.name);
    if (input && input.parentElement.querySelector('.choices')?.textContent === f.values.join('')) {
      kept.set(f.name, input.value);
    }
  }
  if (!fields) for (const [k, input] of before) kept.set(k, input.value);
  return kept;
}

const sameFields = (a, b) => JSON.stringify(a?.fields ?? null) === JSON.stringify(b?.fields ?? null);

// The own task's text is now `text` (named `name`): kept, read again, and
// its fields rebuilt where its parameters changed, keeping what was typed.
export function setOwnText(text, name = state.own.scheme.name) {
  const own = state.own;
  const fieldsBefore = currentCode() === OWN ? schemeFields(state.engine, own) : null;
  own.scheme = { name, text };
  own.fileName = name;
  saveScheme(own.scheme, state.linked);
  const fields = schemeFields(state.engine, own);
  updateListEntry(own);
  if (currentCode() === OWN) {
    if (fieldsBefore && !fields.error && !fieldsBefore.error && sameFields(fields, fieldsBefore)) {
      // The same parameters: what was typed in the fields stays as it is.
      showParse(own, fields);
      $('statement').textContent = own.statement;
      $('task-line').textContent = own.heading;
    } else {
      selectTask(OWN, { link: typedValues(fields) });
    }
  }
  state.onPacked();
}

function updateListEntry(task) {
  const option = Array.from($('tasks').options).find((o) => o.value === task.code);
  if (option) option.textContent = option.title = listLabel(task);
}

// The own scheme in a link (its text `packed` there): the text it carries
// takes the box, under the name the link gives. A reload of an address this
// page wrote before the text's last change keeps the newer text.
export function openOwnFromLink(text, values, name, packed) {
  if (packed === state.linked && text !== state.own.scheme.text) return selectTask(OWN, { link: values });
  setOwnText(text, name ? `${name}.toml` : state.own.scheme.name);
  return selectTask(OWN, { link: values });
}

async function openFile(file) {
  if (file.size > MAX_FILE_BYTES) {
    notify(`Файл ${file.name} больше ${MAX_FILE_BYTES / 1024} КБ: это не файл задачи`);
    return;
  }
  let text;
  try {
    text = new TextDecoder('utf-8', { fatal: true }).decode(await file.arrayBuffer());
  } catch {
    notify(`Файл ${file.name} не в кодировке UTF-8: сохраните его как UTF-8 и откройте снова`);
    return;
  }
  const name = /\.toml$/i.test(file.name) ? file.name : `${file.name}.toml`;
  setOwnText(text.replace(/^\uFEFF/, ''), name);
  selectTask(OWN);
  state.onPacked();
  notify(`Открыт файл ${file.name}.`);
}

export function wireSchemeBox({ onChanged }) {
  state.onPacked = onChanged;
  $('scheme-text').addEventListener('input', () => {
    clearTimeout(state.parseTimer);
    state.parseTimer = setTimeout(() => {
      state.parseTimer = null;
      setOwnText($('scheme-text').value);
    }, PARSE_DELAY_MS);
  });
  $('scheme-edit').addEventListener('click', () => {
    const task = taskOf(currentCode());
    if (!isSchemeTask(task)) return;
    setOwnText(task.scheme.text, OWN_NAME);
    selectTask(OWN, { link: typedValues() });
    onChanged();
    notify('Пример скопирован в «Свою задачу»: правьте его текст.');
    $('scheme-text').focus();
  });
  $('scheme-open').addEventListener('click', () => $('scheme-file').click());
  $('scheme-file').addEventListener('change', () => {
    const file = $('scheme-file').files[0];
    $('scheme-file').value = '';
    if (file) openFile(file);
  });
  $('scheme-save').addEventListener('click', () => {
    const task = taskOf(currentCode());
    if (isSchemeTask(task)) saveText({ name: task.scheme.name, text: $('scheme-text').value });
  });
}

// Flushes a pending edit: a link or a run takes the text as it stands.
export function flushSchemeEdit() {
  if (state.parseTimer === null) return;
  clearTimeout(state.parseTimer);
  state.parseTimer = null;
  if (currentCode() === OWN && $('scheme-text').value !== state.own.scheme.text) setOwnText($('scheme-text').value);
}

// ---- the task file in the address ---------------------------------------------

// Whether the own text is too large for a link that the page would open.
export const tooLargeToLink = () => (state.packed.get(state.own.scheme.text)?.length ?? 0) > MAX_PACKED_LENGTH;

// How the task `code` stands in an address: the code itself, or for the own
// task {packed}; null while its text is being packed (`onPacked` is called
// once it is) or when it is too large for a link.
export function addressCodeOf(code) {
  if (code !== OWN) return code;
  const text = state.own.scheme.text;
  if (state.packed.has(text)) {
    if (tooLargeToLink()) return null;
    const packed = state.packed.get(text);
    if (packed !== state.linked) {
      state.linked = packed;
      saveScheme(state.own.scheme, packed);
    }
    return { packed, name: stemOf(state.own.scheme.name) };
  }
  packScheme(text).then((packed) => {
    state.packed.set(text, packed);
    if (state.own.scheme.text === text) state.onPacked();
  });
  return null;
}

// Resolves once the own text's link form is ready.
export async function readyToLink() {
  flushSchemeEdit();
  if (currentCode() !== OWN) return;
  const text = state.own.scheme.text;
  if (!state.packed.has(text)) state.packed.set(text, await packScheme(text));
}
