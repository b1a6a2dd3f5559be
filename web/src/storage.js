// The runs kept in the browser's storage, so that a reload loses none. Only
// what a run was made of is kept (task, number, the texts typed, which runs
// are pinned, a task file's text): the same data give the same report, so a
// run is computed again when it is shown. The text in the box of «Своя
// задача» is kept too.

const KEY = 'reactopt.runs.1';
// Enough for a long lesson; the oldest unpinned runs go first beyond it.
export const MAX_KEPT = 300;
// The largest run number a caption shows ("zad101.out(999999)"); anything
// larger in the storage was not written by this page.
export const MAX_RUN_NUMBER = 999999;

const isRunNumber = (n) => Number.isInteger(n) && n >= 1 && n <= MAX_RUN_NUMBER;

// A task file as kept: {name, text}, no larger than a file the page opens.
const MAX_SCHEME_TEXT = 64 * 1024;
const isScheme = (s) =>
  s !== null &&
  typeof s === 'object' &&
  typeof s.name === 'string' &&
  s.name.length <= 200 &&
  typeof s.text === 'string' &&
  s.text.length <= MAX_SCHEME_TEXT;
// A task's id: a code, or a task file's ("own", "ex:NAME").
const isTaskId = (code) =>
  Number.isInteger(code) || (typeof code === 'string' && /^(own|ex:[A-Za-z0-9_-]{1,60})$/.test(code));

// `runs` without their oldest unpinned ones beyond MAX_KEPT, in one pass:
// a list grown long elsewhere must not cost a pass per run.
export function keptOf(runs, isPinned) {
  let excess = runs.length - MAX_KEPT;
  if (excess <= 0) return runs;
  return runs.filter((r) => {
    if (excess > 0 && !isPinned(r)) {
      --excess;
      return false;
    }
    return true;
  });
}

function store() {
  try {
    return globalThis.localStorage || null;
  } catch {
    // Storage refused (a private window, a policy, file:// in some browsers).
    return null;
  }
}

// {counters: {code: n}, runs: [{code, n, caption, params, texts, pinned}]}, or
// the same empty when nothing is kept or what is kept cannot be read.
export function loadRuns() {
  const empty = { counters: {}, runs: [] };
  const s = store();
  if (!s) return empty;
  try {
    const data = JSON.parse(s.getItem(KEY) || 'null');
    if (!data || typeof data !== 'object' || !Array.isArray(data.runs)) return empty;
    // The texts of task files, each once however many runs ran it.
    const schemes = Array.isArray(data.schemes) ? data.schemes : [];
    for (const r of data.runs) if (r && Number.isInteger(r.s)) r.scheme = isScheme(schemes[r.s]) ? schemes[r.s] : null;
    const runs = data.runs.filter(
      (r) =>
        r &&
        isTaskId(r.code) &&
        (typeof r.code === 'number' || r.scheme) &&
        isRunNumber(r.n) &&
        typeof r.caption === 'string' &&
        r.caption.length <= 40 &&
        Array.isArray(r.params) &&
        Array.isArray(r.texts) &&
        r.texts.every(
          (t) => Array.isArray(t) && Number.isInteger(t[0]) && t[0] >= 1 && t[0] <= 10 && typeof t[1] === 'string',
        ),
    );
    const counters = {};
    for (const [code, n] of Object.entries(data.counters || {})) if (isRunNumber(n)) counters[code] = n;
    return { counters, runs: keptOf(runs, (r) => r.pinned === true) };
  } catch {
    return empty;
  }
}

// Keeps `runs` (numbered runs in order) and `counters`; false when the
// browser would not keep them. One setItem: another tab's save replaces this
// one whole, never half of it.
export function saveRuns(counters, runs, isPinned) {
  const s = store();
  if (!s) return false;
  const schemes = [];
  const index = new Map(); // name and text -> place in schemes
  const schemeIndex = (s) => {
    const key = `${s.name}\n${s.text}`;
    if (!index.has(key)) index.set(key, schemes.push({ name: s.name, text: s.text }) - 1);
    return index.get(key);
  };
  const data = {
    counters,
    runs: keptOf(runs, isPinned).map((r) => ({
      code: r.code,
      n: r.n,
      caption: r.caption,
      params: r.params,
      texts: r.texts,
      pinned: isPinned(r),
      ...(r.scheme ? { s: schemeIndex(r.scheme) } : {}),
    })),
    schemes,
  };
  try {
    s.setItem(KEY, JSON.stringify(data));
    return true;
  } catch {
    return false;
  }
}

const SCHEME_KEY = 'reactopt.scheme.1';

// The text of «Своя задача» as last left ({name, text, linked}: linked the
// form of a text that this page last put in the address), or null.
export function loadScheme() {
  const s = store();
  if (!s) return null;
  try {
    const kept = JSON.parse(s.getItem(SCHEME_KEY) || 'null');
    if (!isScheme(kept)) return null;
    const linked = typeof kept.linked === 'string' && kept.linked.length <= 100000 ? kept.linked : '';
    return { name: kept.name, text: kept.text, linked };
  } catch {
    return null;
  }
}

// Keeps `scheme` ({name, text}) and `linked`; false when the browser would
// not.
export function saveScheme(scheme, linked = '') {
  const s = store();
  if (!s || !isScheme(scheme)) return false;
  try {
    s.setItem(SCHEME_KEY, JSON.stringify({ name: scheme.name, text: scheme.text, linked }));
    return true;
  } catch {
    return false;
  }
}
