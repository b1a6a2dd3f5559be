// Parameter studies in the browser's engine (WebAssembly) against the native
// reactopt-batch --study: the same points and answers for built-in tasks and a
// task file, parts that add up to the whole, and the core's refusals.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { it } from 'node:test';
import { batchPath, root, tasksDir } from './support.mjs';

const enginePath = path.join(
  path.dirname(process.env.REACTOPT_HTML || path.join(root, 'build-web', 'x')),
  'reactopt-engine.js',
);
if (!fs.existsSync(enginePath)) {
  console.log(`skipped: ${enginePath} is missing: run "make web"`);
  process.exit(77);
}

const create = createRequire(import.meta.url)(enginePath);
const { loadEngine } = await import(path.join(root, 'web', 'src', 'engine.js'));
const engine = await loadEngine(create, fs.readFileSync(path.join(tasksDir, 'DataFile.dat')));
const dimer = fs.readFileSync(path.join(tasksDir, 'dimer-tank.toml'), 'utf8');

function nativeStudy(args) {
  return String(
    execFileSync(batchPath, args, {
      cwd: tasksDir,
      stdio: ['ignore', 'pipe', 'pipe'],
    }),
  );
}

// The engine's study as the CSV of reactopt-batch --study.
function engineCsv(request) {
  const plan = engine.study.plan(request);
  const points = [];
  for (let first = 0; first < plan.values.length; first += 7) {
    points.push(...engine.study.points(request, first, first + 7));
  }
  assert.deepEqual(
    points.map((p) => p.value),
    plan.values,
  );
  const quote = (text) => (/[",\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text);
  const lines = [[plan.key, ...plan.labels].map(quote).join(',')];
  for (const p of points) {
    const cells = p.ran ? p.answers.map(quote) : plan.labels.map(() => '');
    // The value as the shortest text that reads back as the very number.
    lines.push([String(p.value), ...cells].join(','));
  }
  return { csv: `${lines.join('\n')}\n`, plan, points };
}

it('gives the native study for built-in tasks and a task file, with gaps', () => {
  const cases = [
    {
      args: ['--study', 'k2=0.2:2:12', '101'],
      request: { code: 101, parameter: 'k2', low: 0.2, high: 2, count: 12 },
    },
    {
      args: ['--study', 'k1=0:2:9', '103', '0,4'],
      request: {
        code: 103,
        values: ['0,4'],
        parameter: 'k1',
        low: 0,
        high: 2,
        count: 9,
      },
    },
    {
      args: ['--study', '3=0.1:10:5:log', '117'],
      request: {
        code: 117,
        parameter: 3,
        low: 0.1,
        high: 10,
        count: 5,
        log: true,
      },
    },
    {
      args: ['--study', 'Ca0=0:2:6', 'dimer-tank.toml', '1.5'],
      request: {
        scheme: dimer,
        name: 'dimer-tank.toml',
        values: ['1.5'],
        parameter: 'Ca0',
        low: 0,
        high: 2,
        count: 6,
      },
    },
  ];
  for (const { args, request } of cases) {
    const { csv, points } = engineCsv(request);
    assert.equal(csv, nativeStudy(args), args.join(' '));
    if (request.low === 0) {
      assert.equal(points[0].ran, false, args.join(' '));
      assert.ok(points[0].refusal.length > 0);
    }
  }
});

it('names the parameter and the answers as the core does', () => {
  const plan = engine.study.plan({
    code: 101,
    values: [null, '0,7'],
    parameter: 'Конст. k2, 1/с',
    low: 0.5,
    high: 1,
  });
  assert.equal(plan.slot, 2);
  assert.equal(plan.key, 'k2');
  assert.equal(plan.current, 0.7);
  assert.deepEqual(plan.labels, ['CRmax', 'Xa', 'CS']);
  assert.equal(plan.labels[plan.maximumAnswer], 'CRmax');
  assert.equal(plan.labels[plan.conversionAnswer], 'Xa');
  assert.equal(plan.values.length, 11);
  assert.ok(plan.questions.every((q) => q.length > 0));
});

it('throws the core message of a request it refuses', () => {
  const base = { code: 101, parameter: 'k1', low: 0.5, high: 2, count: 5 };
  const cases = [
    [{ ...base, parameter: 'k9' }, /Нет поля «k9»/],
    [{ ...base, count: 1 }, /от 2 до 201/],
    [{ ...base, low: 3 }, /меньше верхней/],
    [{ ...base, low: 0, log: true }, /больше нуля/],
    [{ ...base, low: 'abc' }, /«abc» — не число/],
    [{ ...base, values: ['x'] }, /Значение поля 1 «x» — не число/],
    [{ ...base, code: 99 }, /Нет задачи 99/],
    [
      {
        scheme: 'title = 1',
        name: 'bad.toml',
        parameter: 'k1',
        low: 1,
        high: 2,
      },
      /bad\.toml/,
    ],
    [{ count: 3 }, /не разобран/],
  ];
  for (const [request, message] of cases) {
    assert.throws(() => engine.study.plan(request), message, JSON.stringify(request).slice(0, 80));
    assert.throws(() => engine.study.points(request, 0, 2), message);
  }
});
