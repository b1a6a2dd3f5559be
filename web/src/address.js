// The page's address: "#103?k1=1&k2=0,5" names a task and the texts of its
// fields, so that a link opens the task with the data one ran;
// "&variant=7&tolerance=0.01" after them makes it a student's variant with
// the form that checks the answers ("&study=k2&factor=2" with the teacher's
// study question); "#variants" is the teacher's panel.
// A task file travels in the address itself, "#s:" and its text compressed
// (deflate, base64url), before the same pairs; an example shipped with the
// program goes by name, "#ex:dimer-tank?k1=2". Every reading and writing of
// the address is here.

export const KIT_ADDRESS = '#variants';

export const isKitAddress = (hash) => hash === KIT_ADDRESS;

// Names no field takes: the fields' symbols are a letter or two with an index
// ("k1", "CA0", "V").
const VARIANT = 'variant';
const TOLERANCE = 'tolerance';
// A task file's name without ".toml", in a link that carries the file.
const FILE = 'file';
// The study question's field and factor.
const STUDY = 'study';
const FACTOR = 'factor';
const RESERVED = [VARIANT, TOLERANCE, FILE, STUDY, FACTOR];

// The short name of each field in links: the symbol its label gives ("k1" of
// "Конст. k1, 1/с", "V" of "Объем V, м3"), or "P<slot>" where labels would
// give none or the same name twice.
export function fieldKeys(fields) {
  const keys = fields.map((f) => {
    // A task file's parameters have names of their own.
    if (f.name) return RESERVED.includes(f.name) ? `P${f.slot}` : f.name;
    const head = f.label.split(',')[0].trim().split(/\s+/).pop() || '';
    return /^[A-Za-z][A-Za-z0-9()+-]*$/.test(head) ? head : `P${f.slot}`;
  });
  return keys.map((k, i) => (keys.indexOf(k) === i && keys.lastIndexOf(k) === i ? k : `P${fields[i].slot}`));
}

// Commas stay readable: "0,5" rather than "0%2C5".
const encode = (text) => encodeURIComponent(text).replace(/%2C/gi, ',');

// What stands for a task in the address: its code, "ex:NAME" for an example
// (the task's own id), "s:PACKED" for a task file of one's own given as
// {packed, name}, its name (without ".toml") the first pair.
const taskPart = (code) => (typeof code === 'object' && code !== null ? `s:${code.packed}` : String(code));

// "#103?k1=1&k2=0,5" for task `code` and [[key, text], ...].
export function formatAddress(code, pairs) {
  if (code?.name) pairs = [[FILE, code.name], ...pairs];
  const query = pairs.map(([k, v]) => `${encode(k)}=${encode(v.trim())}`).join('&');
  return `#${taskPart(code)}${query ? `?${query}` : ''}`;
}

// The address of variant `number` of task `code` with its data [[key,
// text], ...], the teacher's tolerance (empty: the kit's own) and study
// question ({field, factor} or null).
export function variantAddress(code, pairs, number, tolerance = '', study = null) {
  const extra = [[VARIANT, String(number)]];
  if (tolerance.trim()) extra.push([TOLERANCE, tolerance]);
  if (study) extra.push([STUDY, study.field], [FACTOR, study.factor]);
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
// study: {field, factor} or null, tooLong: [key]} of an address such as location.hash, or null when it names
// no task. Pairs that cannot be decoded are left out; so are the values
// longer than MAX_VALUE_LENGTH, their names in tooLong.
// A task file in a link is read only up to these sizes: the address (as
// base64url) and the text it unpacks to, the limit of a task statement.
export const MAX_PACKED_LENGTH = 24000;
export const MAX_SCHEME_BYTES = 64 * 1024;

// `code` is a task code, an example's "ex:NAME", or, for a task file in the
// link, {packed, name} (its text still compressed, see unpackScheme; the
// name without ".toml", or '' where the link gives none).
export function parseAddress(hash) {
  const m = /^#?(\d{3}|ex:[A-Za-z0-9_-]{1,60}|s:[A-Za-z0-9_-]*)(?:\?(.*))?$/s.exec(hash || '');
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
  const file = values.get(FILE) || '';
  const study = values.get(STUDY) ? { field: values.get(STUDY), factor: values.get(FACTOR) || '2' } : null;
  for (const name of RESERVED) values.delete(name);
  const variant = /^\d{1,4}$/.test(number || '') && Number(number) > 0 ? Number(number) : null;
  // A name that could not be a file's is no name.
  const fileLike = file.length <= 60 && !/^\.|[/\\]/.test(file) && ![...file].some((c) => c.charCodeAt(0) < 32);
  const name = fileLike ? file : '';
  const code = /^\d/.test(m[1]) ? Number(m[1]) : m[1].startsWith('s:') ? { packed: m[1].slice(2), name } : m[1];
  return { code, values, variant, tolerance, study, tooLong };
}

// The text for field i of `fields` in `values`, by its key or by "P<slot>".
export function valueFor(values, fields, keys, i) {
  if (values.has(keys[i])) return values.get(keys[i]);
  const bySlot = `P${fields[i].slot}`;
  return values.has(bySlot) ? values.get(bySlot) : null;
}

// ---- a task file in the address ---------------------------------------------

const toBase64Url = (bytes) => {
  let raw = '';
  for (let i = 0; i < bytes.length; i += 0x8000) raw += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(raw).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
};

async function streamed(bytes, transform) {
  const stream = new Blob([bytes]).stream().pipeThrough(transform);
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// The text of a task file as it stands in a link: UTF-8, deflated, base64url.
export async function packScheme(text) {
  return toBase64Url(await streamed(new TextEncoder().encode(text), new CompressionStream('deflate-raw')));
}

// The text that packScheme packed; throws a message for the student when the
// link is too long, cut or not a text.
export async function unpackScheme(packed) {
  if (packed.length > MAX_PACKED_LENGTH)
    throw new Error(`Ссылка несёт слишком большую задачу (${packed.length} знаков, не более ${MAX_PACKED_LENGTH})`);
  const broken = new Error('Ссылка на задачу повреждена (обрезана при копировании?): схему из неё не прочесть');
  let bytes;
  try {
    const raw = atob(packed.replace(/-/g, '+').replace(/_/g, '/'));
    bytes = Uint8Array.from(raw, (c) => c.charCodeAt(0));
  } catch {
    throw broken;
  }
  // Read in pieces, so that a small link that unpacks to gigabytes is
  // stopped at the limit rather than filling the memory.
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const parts = [];
  let size = 0;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      size += value.length;
      if (size > MAX_SCHEME_BYTES) {
        reader.cancel().catch(() => {});
        throw new Error(`Задача в ссылке больше ${MAX_SCHEME_BYTES / 1024} КБ: такую ссылку не открыть`);
      }
      parts.push(value);
    }
  } catch (e) {
    throw e.message?.startsWith('Задача в ссылке') ? e : broken;
  }
  const all = new Uint8Array(size);
  let at = 0;
  for (const p of parts) {
    all.set(p, at);
    at += p.length;
  }
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(all);
  } catch {
    throw broken;
  }
}
