// The runs kept in the browser's storage, so that a reload loses none. Only
// what a run was made of is kept (task, number, the texts typed, which runs
// are pinned): the same data give the same report, so a run is computed
// again when it is shown.

const KEY = 'reactopt.runs.1';
// Enough for a long lesson; the oldest unpinned runs go first beyond it.
export const MAX_KEPT = 300;
// The largest run number a caption shows ("zad101.out(999999)"); anything
// larger in the storage was not written by this page.
export const MAX_RUN_NUMBER = 999999;

const isRunNumber = (n) => Number.isInteger(n) && n >= 1 && n <= MAX_RUN_NUMBER;

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
    const runs = data.runs.filter(
      (r) =>
        r &&
        Number.isInteger(r.code) &&
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
  const data = {
    counters,
    runs: keptOf(runs, isPinned).map((r) => ({
      code: r.code,
      n: r.n,
      caption: r.caption,
      params: r.params,
      texts: r.texts,
      pinned: isPinned(r),
    })),
  };
  try {
    s.setItem(KEY, JSON.stringify(data));
    return true;
  } catch {
    return false;
  }
}
