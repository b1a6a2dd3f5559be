// Timing of one run of the six-species scheme of schemes_bench.cpp in the
// browser's engine (WebAssembly under Node): node schemes_bench.mjs ENGINE.js

import { createRequire } from 'node:module';
import path from 'node:path';

const create = createRequire(import.meta.url)(path.resolve(process.argv[2]));
const M = await create();

function text(reactor) {
  return (
    `title = "Шесть веществ, пять реакций"\nreactor = "${reactor}"\nkey = "A"\ntarget = "R"\n` +
    'reactions = ["A + B -> R : k1", "R + B -> S : k2", "2A -> T : k3", "R <=> U : k4, k5", "S -> U : k3"]\n' +
    '[inlet]\nA = 1\nB = 1.5\n[flow]\nfeed = 0.01\n' +
    [['k1', 1], ['k2', 0.5], ['k3', 0.2], ['k4', 0.3], ['k5', 0.1]]
      .map(([name, v]) => `[[parameter]]\nname = "${name}"\noffered = [${v}, 1, 1]\n`)
      .join('')
  );
}

function cString(s) {
  const size = M.lengthBytesUTF8(s) + 1;
  const ptr = M._malloc(size);
  M.stringToUTF8(s, ptr, size);
  return ptr;
}

const name = cString('six.toml');
for (const reactor of ['plug-flow', 'stirred-tank']) {
  const file = cString(text(reactor));
  const run = () => {
    if (!M._reactopt_scheme_run(file, name, 0, 0)) throw new Error(M.UTF8ToString(M._reactopt_error()));
  };
  for (let i = 0; i < 20; ++i) run();
  const runs = 200;
  const start = process.hrtime.bigint();
  for (let i = 0; i < runs; ++i) run();
  const ms = Number(process.hrtime.bigint() - start) / 1e6 / runs;
  console.log(`RunSixSpecies/${reactor} (browser engine, Node ${process.version}): ${ms.toFixed(2)} ms`);
  M._free(file);
}
