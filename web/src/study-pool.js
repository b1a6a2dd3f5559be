// The workers that compute a study's points beside the page, each with an
// engine of its own made from the page's: the same WebAssembly, so the same
// digits, on as many cores as the machine offers (up to four). Where workers
// cannot be had (an old browser, a policy), `broken` says so and the page
// computes the points itself.

const MAX_WORKERS = 4;

export function createStudyPool({ engineText, workerText, dataFile, onIdle }) {
  const pool = { broken: false, started: false, workers: [] };
  let url = null;

  function drop(worker) {
    worker.handle.terminate();
    pool.workers = pool.workers.filter((w) => w !== worker);
    // A job it held goes back to whoever asked for it.
    worker.job?.lost();
    worker.job = null;
    if (pool.workers.length === 0) pool.broken = true;
    onIdle();
  }

  function make() {
    const worker = { handle: new Worker(url), ready: false, job: null };
    worker.handle.onmessage = ({ data }) => {
      if (data.ready) {
        worker.ready = true;
        onIdle();
      } else if (data.failed !== undefined) {
        drop(worker);
      } else if (worker.job && data.id === worker.job.id) {
        const { done } = worker.job;
        worker.job = null;
        done(data);
        onIdle();
      }
    };
    worker.handle.onerror = (e) => {
      e.preventDefault();
      drop(worker);
    };
    worker.handle.postMessage({ dataFile: dataFile.slice() });
    return worker;
  }

  // Makes the workers, once; the page computes meanwhile.
  pool.start = () => {
    if (pool.started) return;
    pool.started = true;
    try {
      if (!engineText() || !workerText()) throw new Error('no engine to start workers with');
      url = URL.createObjectURL(new Blob([engineText(), '\n;\n', workerText()], { type: 'text/javascript' }));
      const count = Math.max(1, Math.min(MAX_WORKERS, navigator.hardwareConcurrency || 2));
      for (let i = 0; i < count; ++i) pool.workers.push(make());
    } catch {
      pool.broken = true;
      for (const w of pool.workers) w.handle.terminate();
      pool.workers = [];
    }
  };

  // The workers ready for a job now.
  pool.idle = () => pool.workers.filter((w) => w.ready && !w.job);
  pool.readyCount = () => pool.workers.filter((w) => w.ready).length;

  let nextId = 0;
  // Gives `worker` points [first, last) of `request`; done({points} or
  // {error}) when they come, lost() if the worker is gone first.
  pool.send = (worker, request, first, last, { done, lost }) => {
    worker.job = { id: ++nextId, done, lost };
    worker.handle.postMessage({ id: worker.job.id, request, first, last });
  };
  return pool;
}
