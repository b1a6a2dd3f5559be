// Task files in the teacher's panel, ticked beside the built-in tasks: the
// examples shipped with the program, the page's «Своя задача» and files
// opened from disk. Each is checked by the core before it is listed, so a
// fault shows its line here rather than at «Создать».

import { $ } from './dom.js';
import { MAX_FILE_BYTES } from './scheme.js';

const kit = {
  engine: null,
  files: [], // {name: "dimer-tank.toml", text, title, fields: [{label, low, high}], box}
  onChange: () => {},
};

function showError(text) {
  $('kit-scheme-message').textContent = text;
  $('kit-scheme-message').hidden = !text;
}

// Lists `file` ({name, text}) ticked, or ticks the one of its name again
// with the new text; false, with the core's message shown, for a file the
// core refuses.
function addFile({ name, text }, { checked = true } = {}) {
  const parsed = kit.engine.scheme.parse(text, name);
  if (parsed.error) {
    showError(parsed.error);
    return false;
  }
  showError('');
  let entry = kit.files.find((f) => f.name === name);
  if (!entry) {
    entry = { name };
    const label = document.createElement('label');
    label.className = 'kit-task';
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.value = name;
    box.addEventListener('change', () => kit.onChange());
    const caption = document.createElement('span');
    label.append(box, caption);
    $('kit-scheme-list').append(label);
    entry.box = box;
    kit.files.push(entry);
  }
  // The fields as the kit draws them: [{slot, label, low, high}].
  const fields = kit.engine.kitSchemeFields({ name, text });
  Object.assign(entry, { text, title: parsed.title, fields, keys: parsed.fields.map((f) => f.name) });
  entry.box.nextElementSibling.textContent = `${name}  ${parsed.title}`;
  entry.box.checked = entry.box.checked || checked;
  kit.onChange();
  return true;
}

async function addFromDisk(files) {
  for (const file of files) {
    if (file.size > MAX_FILE_BYTES) {
      showError(`Файл ${file.name} больше ${MAX_FILE_BYTES / 1024} КБ: это не файл задачи`);
      return;
    }
    let text;
    try {
      text = new TextDecoder('utf-8', { fatal: true }).decode(await file.arrayBuffer());
    } catch {
      showError(`Файл ${file.name} не в кодировке UTF-8: сохраните его как UTF-8 и добавьте снова`);
      return;
    }
    const name = /\.toml$/i.test(file.name) ? file.name : `${file.name}.toml`;
    if (!addFile({ name, text: text.replace(/^\uFEFF/, '') })) return;
  }
}

// Sets the list up: `examples` ([{name: "dimer-tank", text}]) unticked,
// `ownNow()` the text of «Своя задача» ({name, text}) for its button;
// `onChange()` whenever the ticked files change.
export function setUpKitSchemes({ engine, examples, ownNow, onChange }) {
  kit.engine = engine;
  for (const e of examples) addFile({ name: `${e.name}.toml`, text: e.text }, { checked: false });
  kit.onChange = onChange;
  $('kit-schemes').hidden = false;
  $('kit-add-own').addEventListener('click', () => {
    const own = ownNow();
    if (addFile(own)) $('kit-status').textContent = `${own.name} добавлен и отмечен.`;
  });
  $('kit-add-file').addEventListener('click', () => $('kit-scheme-file').click());
  $('kit-scheme-file').addEventListener('change', () => {
    const files = Array.from($('kit-scheme-file').files);
    $('kit-scheme-file').value = '';
    addFromDisk(files);
  });
}

// The ticked files: [{name, text, title, fields, keys}], keys the
// parameters' names that links give their values by.
export const chosenSchemes = () => kit.files.filter((f) => f.box.checked);

// Ticks `scheme` ({name, text}), listing it where it is new.
export const tickScheme = (scheme) => addFile(scheme);

// Ticks every file or none.
export function tickAllSchemes(checked) {
  for (const f of kit.files) f.box.checked = checked;
}
