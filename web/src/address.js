// The page's address: "#103?k1=1&k2=0,5" names a task and the texts of its
// fields, so that a link opens the task with the data one ran;
// "&variant=7&tolerance=0.01" after them makes it a student's variant with
// the form that checks the answers; "#variants" is the teacher's panel.
// Every reading and writing of the address is here.

export const KIT_ADDRESS = '#variants';

export const isKitAddress = (hash) => hash === KIT_ADDRESS;

// Names no field takes: the fields' symbols are a letter or two with an index
// ("k1", "CA0", "V").
const VARIANT = 'variant';
const TOLERANCE = 'tolerance';

// The short name of each field in links: the symbol its label gives ("k1" of
// "Конст. k1, 1/с", "V" of "Объем V, м3"), or "P<slot>" where labels would
// give none or the same name twice.
export function fieldKeys(fields) {
  const keys = fields.map((f) => {
    const head = f.label.split(',')[0].trim().split(/\s+/).pop() || '';
    return /^[A-Za-z][A-Za-z0-9()+-]*$/.test(head) ? head : `P${f.slot}`;
  });
  return keys.map((k, i) => (keys.indexOf(k) === i && keys.lastIndexOf(k) === i ? k : `P${fields[i].slot}`));
}

// Commas stay readable: "0,5" rather than "0%2C5".
const encode = (text) => encodeURIComponent(text).replace(/%2C/gi, ',');

// "#103?k1=1&k2=0,5" for task `code` and [[key, text], ...].
export function formatAddress(code, pairs) {
  const query = pairs.map(([k, v]) => `${encode(k)}=${encode(v.trim())}`).join('&');
  return `#${code}${query ? `?${query}` : ''}`;
}

// The address of variant `number` of task `code` with its data [[key,
// text], ...] and the teacher's tolerance (empty: the kit's own).
export function variantAddress(code, pairs, number, tolerance = '') {
  const extra = [[VARIANT, String(number)]];
  if (tolerance.trim()) extra.push([TOLERANCE, tolerance]);
  return formatAddress(code, [...pairs, ...extra]);
}

// `base` (a page's address; anything from "#" on is dropped) followed by
// `hash`.
export const linkTo = (base, hash) => base.replace(/#.*$/s, '') + hash;

// The page's own address, the default base of its links.
export const pageBase = () => linkTo(location.href, '');

// A value longer than this (as written in the address) is no number a field
// takes: it is refused before it is decoded, parsed or put in a field.
export const MAX_VALUE_LENGTH = 100;
// More pairs than any task has fields, with room for the variant's.
const MAX_PAIRS = 40;

// {code, values: Map key -> text, variant: number or null, tolerance: text,
// tooLong: [key]} of an address such as location.hash, or null when it names
// no task. Pairs that cannot be decoded are left out; so are the values
// longer than MAX_VALUE_LENGTH, their names in tooLong.
export function parseAddress(hash) {
  const m = /^#?(\d{3})(?:\?(.*))?$/s.exec(hash || '');
  if (!m) return null;
  const values = new Map();
  const tooLong = [];
  for (const pair of (m[2] || '').split('&', MAX_PAIRS)) {
    const at = pair.indexOf('=');
    if (at <= 0) continue;
    if (pair.length - at - 1 > MAX_VALUE_LENGTH) {
      const name = pair.slice(0, Math.min(at, 20));
      tooLong.push(/^[A-Za-z0-9()+-]+$/.test(name) ? name : '?');
      continue;
    }
    try {
      values.set(decodeURIComponent(pair.slice(0, at)), decodeURIComponent(pair.slice(at + 1)));
    } catch {
      // A broken escape is one bad value, not a bad link.
    }
  }
  const number = values.get(VARIANT);
  const tolerance = values.get(TOLERANCE) || '';
  values.delete(VARIANT);
  values.delete(TOLERANCE);
  const variant = /^\d{1,4}$/.test(number || '') && Number(number) > 0 ? Number(number) : null;
  return { code: Number(m[1]), values, variant, tolerance, tooLong };
}

// The text for field i of `fields` in `values`, by its key or by "P<slot>".
export function valueFor(values, fields, keys, i) {
  if (values.has(keys[i])) return values.get(keys[i]);
  const bySlot = `P${fields[i].slot}`;
  return values.has(bySlot) ? values.get(bySlot) : null;
}
