// The task's initial data: one field per value of "DataFile.dat" under its
// label, its three offered values as buttons, and the arrow keys stepping a
// value by one unit of its last digit.

// `text` stepped by `dir` (+1 or -1) units of its last digit, written the
// same way (separator and decimals kept, never below zero), or null when it
// is not a plain decimal number. Done on the digits, so 0.1 + 0.2 never shows
// as 0.30000000000000004.
export function stepText(text, dir) {
  const m = /^(\s*)(\d*)([.,]?)(\d*)(\s*)$/.exec(text);
  if (!m || (!m[2] && !m[4])) return null;
  const [, lead, whole, sep, frac, trail] = m;
  const scale = frac.length;
  const units = BigInt((whole || '0') + frac) + BigInt(dir);
  if (units < 0n) return null;
  let digits = units.toString().padStart(scale + 1, '0');
  const head = digits.slice(0, digits.length - scale);
  digits = scale ? `${head}${sep}${digits.slice(-scale)}` : `${head}${sep}`;
  return `${lead}${digits}${trail}`;
}

// Builds the rows of `fields` in `box`; `onEdit` is called after every change
// of a value.
export function fillFields(box, fields, onEdit) {
  box.replaceChildren();
  for (const field of fields.fields) {
    const row = document.createElement('div');
    row.className = 'field';
    const id = `field${field.slot}`;
    const label = document.createElement('label');
    label.htmlFor = id;
    label.textContent = field.label.trim();
    const input = document.createElement('input');
    input.id = id;
    input.type = 'text';
    input.inputMode = 'decimal';
    input.autocomplete = 'off';
    input.spellcheck = false;
    input.dataset.slot = String(field.slot);
    input.dataset.default = field.values[0].trim();
    input.value = input.dataset.default;
    input.setAttribute('aria-describedby', 'field-hint');
    const set = (text) => {
      input.value = text;
      input.dispatchEvent(new Event('input', { bubbles: true }));
    };
    input.addEventListener('keydown', (e) => {
      if ((e.key !== 'ArrowUp' && e.key !== 'ArrowDown') || e.altKey || e.ctrlKey || e.metaKey) return;
      const next = stepText(input.value, e.key === 'ArrowUp' ? 1 : -1);
      e.preventDefault();
      if (next !== null) set(next);
    });
    // The three offered values as buttons: they work from the keyboard and
    // under a finger on every browser. One Tab stop per field, the arrows
    // between them, so that Tab goes from field to field.
    const choices = document.createElement('span');
    choices.className = 'choices';
    choices.setAttribute('role', 'toolbar');
    choices.setAttribute('aria-label', `Предлагаемые значения: ${label.textContent}`);
    field.values.forEach((v, i) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = v.trim();
      b.tabIndex = i === 0 ? 0 : -1;
      b.setAttribute('aria-label', `${label.textContent} = ${v.trim()}`);
      b.addEventListener('click', () => set(v.trim()));
      choices.append(b);
    });
    choices.addEventListener('keydown', (e) => {
      const buttons = Array.from(choices.children);
      const at = buttons.indexOf(document.activeElement);
      if (at < 0 || e.altKey || e.ctrlKey || e.metaKey) return;
      const last = buttons.length - 1;
      const to = {
        ArrowRight: Math.min(at + 1, last),
        ArrowDown: Math.min(at + 1, last),
        ArrowLeft: Math.max(at - 1, 0),
        ArrowUp: Math.max(at - 1, 0),
        Home: 0,
        End: last,
      }[e.key];
      if (to === undefined) return;
      e.preventDefault();
      buttons.forEach((b, i) => (b.tabIndex = i === to ? 0 : -1));
      buttons[to].focus();
    });
    input.addEventListener('input', onEdit);
    row.append(label, input, choices);
    box.append(row);
  }
}

export const inputsOf = (box) => Array.from(box.querySelectorAll('input[data-slot]'));

// Every field back to its first offered value, as the dialog's Cancel does.
export function resetFields(box) {
  for (const input of inputsOf(box)) input.value = input.dataset.default;
}

// The values of the fields in slot order, read by the core's `parse`: {values,
// texts: [[slot, text]], params: ["label = text"]}, or {error, input} naming
// the first field whose text is not a number.
export function readFields(box, slots, parse) {
  const values = new Array(slots).fill(null);
  const texts = [];
  const params = [];
  for (const input of inputsOf(box)) {
    const slot = Number(input.dataset.slot);
    const label = input.labels[0].textContent;
    if (slot > slots) continue; // shown but never stored, as on the desktop
    const value = parse(input.value);
    if (value === null) {
      // A text pasted by mistake may be long: the message quotes its start.
      const shown = input.value.length > 60 ? `${input.value.slice(0, 60)}…` : input.value;
      return { error: `Недопустимое числовое значение в поле «${label}»: «${shown}»`, input };
    }
    values[slot - 1] = value;
    texts.push([slot, input.value.trim()]);
    params.push(`${label} = ${input.value.trim()}`);
  }
  return { values, texts, params };
}
