// The browser's engine (WebAssembly, libc++) against the native runner
// (x87 or software extended type, libstdc++), without a browser: the named
// cases, which include runs that use the routines' pseudo-random sequence,
// give the same report and chart points, or the same refusal.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { it } from 'node:test';
import { nativeRun, root, tasksDir } from './support.mjs';

const enginePath = path.join(
  path.dirname(process.env.REACTOPT_HTML || path.join(root, 'build-web', 'x')),
  'reactopt-engine.js',
);
if (!fs.existsSync(enginePath)) {
  console.log(`skipped: ${enginePath} is missing: run "make web"`);
  process.exit(77);
}

it('gives the native reports and chart points for the named cases', async () => {
  const create = createRequire(import.meta.url)(enginePath);
  const { loadEngine } = await import(path.join(root, 'web', 'src', 'engine.js'));
  const engine = await loadEngine(create, fs.readFileSync(path.join(tasksDir, 'DataFile.dat')));
  const cases = fs
    .readFileSync(path.join(root, 'tests', 'precision', 'regression_cases.txt'), 'utf8')
    .split('\n')
    .map((line) => line.replace(/#.*/, '').trim())
    .filter(Boolean)
    .map((line) => line.split(/\s+/));
  assert.ok(cases.length > 30);
  for (const [code, ...values] of cases) {
    const native = nativeRun(code, values);
    const name = `${code} ${values.join(' ')}`;
    if (native.refusal) {
      assert.throws(() => engine.run(Number(code), values.map(Number)), { message: native.refusal }, name);
      continue;
    }
    const run = engine.run(Number(code), values.map(Number));
    assert.deepEqual(Buffer.from(run.report), native.report, name);
    assert.deepEqual(run.chart, native.chart, name);
  }
});
