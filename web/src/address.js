// The page's address: "#103?k1=1&k2=0,5" names a task and the texts of its
// fields, so that a link opens the task with the data one ran. Every reading
// and writing of the address is here.

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

// {code, values: Map key -> text} of an address such as location.hash, or
// null when it names no task. Pairs that cannot be decoded are left out.
export function parseAddress(hash) {
  const m = /^#?(\d{3})(?:\?(.*))?$/s.exec(hash || '');
  if (!m) return null;
  const values = new Map();
  for (const pair of (m[2] || '').split('&')) {
    const at = pair.indexOf('=');
    if (at <= 0) continue;
    try {
      values.set(decodeURIComponent(pair.slice(0, at)), decodeURIComponent(pair.slice(at + 1)));
    } catch {
      // A broken escape is one bad value, not a bad link.
    }
  }
  return { code: Number(m[1]), values };
}

// The text for field i of `fields` in `values`, by its key or by "P<slot>".
export function valueFor(values, fields, keys, i) {
  if (values.has(keys[i])) return values.get(keys[i]);
  const bySlot = `P${fields[i].slot}`;
  return values.has(bySlot) ? values.get(bySlot) : null;
}
