// Timing of parameter studies of 101 points in the browser's engine
// (WebAssembly under Node), as the page asks for them: the plan, then the
// points in parts of 5. node study_bench.mjs ENGINE.js TASKS_DIR

import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const here = path.dirname(new URL(import.meta.url).pathname);
const create = createRequire(import.meta.url)(path.resolve(process.argv[2]));
const tasks = path.resolve(process.argv[3] || path.join(here, '..', '..', 'tasks'));
const { loadEngine } = await import(path.join(here, '..', '..', 'web', 'src', 'engine.js'));
const engine = await loadEngine(create, fs.readFileSync(path.join(tasks, 'DataFile.dat')));

const requests = [
  ['Task103', { code: 103 }],
  ['Task101', { code: 101 }],
  [
    'dimer-tank.toml',
    {
      scheme: fs.readFileSync(path.join(tasks, 'dimer-tank.toml'), 'utf8'),
      name: 'dimer-tank.toml',
    },
  ],
];
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
for (const [name, subject] of requests) {
  const { current } = engine.study.plan({
    ...subject,
    parameter: 1,
    low: 1,
    high: 2,
  });
  const request = {
    ...subject,
    parameter: 1,
    low: current / 2,
    high: current * 2,
    count: 101,
  };
  const firsts = [];
  const totals = [];
  const cpus = [];
  for (let round = 0; round < 6; ++round) {
    // Each round a new request, as a moved value makes one.
    const r = { ...request, high: request.high * (1 + round * 1e-9) };
    const start = performance.now();
    const cpu = process.cpuUsage();
    const plan = engine.study.plan(r);
    engine.study.points(r, 0, 5);
    const first = performance.now() - start;
    for (let i = 5; i < plan.values.length; i += 5) engine.study.points(r, i, i + 5);
    if (round > 0) {
      firsts.push(first);
      totals.push(performance.now() - start);
      const used = process.cpuUsage(cpu);
      cpus.push((used.user + used.system) / 1000);
    }
  }
  console.log(
    `Study101/${name} (browser engine, Node ${process.version}): ${median(totals).toFixed(0)} ms ` +
      `(CPU ${median(cpus).toFixed(0)} ms), the plan and first 5 points ${median(firsts).toFixed(1)} ms`,
  );
}
