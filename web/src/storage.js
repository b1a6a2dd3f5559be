// The runs kept in the browser's storage, so that a reload loses none. Only
// what a run was made of is kept (task, number, the texts typed, which runs
// are pinned): the same data give the same report, so a run is computed
// again when it is shown.

const KEY = 'reactopt.runs.1';
// Enough for a long lesson; the oldest unpinned runs go first beyond it.
export const MAX_KEPT = 300;

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
        Number.isInteger(r.n) &&
        typeof r.caption === 'string' &&
        Array.isArray(r.params) &&
        Array.isArray(r.texts) &&
        r.texts.every((t) => Array.isArray(t) && Number.isInteger(t[0]) && t[0] >= 1 && t[0] <= 10 && typeof t[1] === 'string'),
    );
    const counters = {};
    for (const [code, n] of Object.entries(data.counters || {})) if (Number.isInteger(n)) counters[code] = n;
    return { counters, runs };
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
  let kept = runs;
  while (kept.length > MAX_KEPT) {
    const oldest = kept.findIndex((r) => !isPinned(r));
    if (oldest < 0) break;
    kept = kept.filter((_, i) => i !== oldest);
  }
  const data = {
    counters,
    runs: kept.map((r) => ({
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
