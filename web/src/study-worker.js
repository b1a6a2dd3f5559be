// A study's points computed off the page's thread: the page's own engine,
// started again inside a worker, runs the slices the page hands it. The
// page keeps the order, the drawing and the cancelling; a worker only
// answers each job with its points or the core's message.
//
// Messages in: {dataFile: Uint8Array} once, then {id, request, first, last}.
// Messages out: {ready: true} once the engine is up (or {failed: why}), then
// {id, points} or {id, error}.

import { loadEngine } from './engine.js';

let engine = null;
const waiting = [];

function answer({ id, request, first, last }) {
  try {
    self.postMessage({ id, points: engine.study.points(request, first, last) });
  } catch (e) {
    self.postMessage({ id, error: e.message });
  }
}

self.onmessage = ({ data }) => {
  if (data.dataFile) {
    loadEngine(self.createReactOptEngine, data.dataFile).then(
      (loaded) => {
        engine = loaded;
        self.postMessage({ ready: true });
        waiting.splice(0).forEach(answer);
      },
      (e) => self.postMessage({ failed: String(e?.message ?? e) }),
    );
  } else if (engine) {
    answer(data);
  } else {
    waiting.push(data);
  }
};
