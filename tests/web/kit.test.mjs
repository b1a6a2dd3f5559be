// The teacher's kit in the browser engine: the same request gives the very
// bytes reactopt-batch --variants writes, the quiz is well-formed XML, the
// sheets print one A4 page per variant, and the self-check takes a decimal
// comma and catches a wrong last digit without showing the key.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { after, before, describe, it } from 'node:test';
import { pathToFileURL } from 'node:url';
import { batchPath, missingPrerequisite, openBrowser, root, tasksDir } from './support.mjs';

const enginePath = path.join(path.dirname(process.env.REACTOPT_HTML || path.join(root, 'build-web', 'x')),
  'reactopt-engine.js');
const missing = missingPrerequisite() || (fs.existsSync(enginePath) ? null : `${enginePath} is missing`);
if (missing) {
  console.log(`skipped: ${missing}`);
  process.exit(77);
}

const require = createRequire(import.meta.url);
const { loadEngine } = await import(pathToFileURL(path.join(root, 'web', 'src', 'engine.js')).href);
const CODES = Array.from({ length: 25 }, (_, i) => 101 + i);
const cp1251 = new TextDecoder('windows-1251');
const statements = Object.fromEntries(
  CODES.map((code) => [code, cp1251.decode(fs.readFileSync(path.join(tasksDir, `zad${code}.txt`)))]));

describe('the teacher kit in the browser engine', () => {
  let engine;
  let out;
  before(async () => {
    engine = await loadEngine(require(enginePath), fs.readFileSync(path.join(tasksDir, 'DataFile.dat')));
    out = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-kit-'));
  });
  after(() => fs.rmSync(out, { recursive: true, force: true }));

  it('gives the command line\'s bytes for the same seed', () => {
    for (const seed of ['1', '2', '18446744073709551615']) {
      const folder = path.join(out, seed);
      execFileSync(batchPath, ['--variants', '30', '--seed', seed, '--key', '--out', folder, 'all'],
        { cwd: tasksDir });
      const t0 = performance.now();
      const files = engine.kit({ codes: CODES, count: 30, seed, key: true, statements });
      const ms = performance.now() - t0;
      if (seed === '1') console.log(`engine: 750 variants with their files in ${ms.toFixed(0)} ms`);
      assert.deepEqual(files.map((f) => f.name).sort(), fs.readdirSync(folder).sort());
      for (const f of files) {
        assert.ok(Buffer.from(f.text, 'utf8').equals(fs.readFileSync(path.join(folder, f.name))), `${seed} ${f.name}`);
      }
    }
    const ranged = { codes: [102], count: 5, seed: 4, tolerance: '0.02', ranges: [{ field: '5', low: '0.1', high: '0.9' }],
      statements };
    const folder = path.join(out, 'ranged');
    execFileSync(batchPath, ['--variants', '5', '--seed', '4', '--tolerance', '0.02', '--range', '5=0.1:0.9',
      '--out', folder, '102'], { cwd: tasksDir });
    for (const f of engine.kit(ranged)) {
      assert.ok(Buffer.from(f.text, 'utf8').equals(fs.readFileSync(path.join(folder, f.name))), f.name);
    }
    assert.deepEqual(engine.kitFields(101).map((f) => [f.label, f.low, f.high]),
      [['Конст. k1, 1/с', '0.5', '2'], ['Конст. k2, 1/с', '0.2', '1']]);
    assert.throws(() => engine.kit({ codes: [101], count: 5, ranges: [{ field: '2', low: '0.5', high: '0.5' },
      { field: '1', low: '1', high: '2' }] }), /Задача 101: из заданных диапазонов получено только 2/);
  });

  it('writes a quiz that is well-formed XML', () => {
    const file = path.join(out, '1', 'moodle.xml');
    execFileSync('xmllint', ['--noout', file]);
  });

  it('prints the sheets one A4 page per variant', async () => {
    const browser = await openBrowser();
    try {
      const page = await browser.context.newPage();
      await page.goto(pathToFileURL(path.join(out, '1', 'sheets.html')).href);
      const pdf = path.join(out, 'sheets.pdf');
      await page.pdf({ path: pdf, format: 'A4', preferCSSPageSize: true });
      const info = execFileSync('pdfinfo', [pdf]).toString();
      assert.match(info, /Pages:\s+750\n/);
      assert.match(info, /Page size:\s+59\d\.\d+ x 84\d\.\d+ pts \(A4\)/);
    } finally {
      await browser.close();
    }
  });

  it('checks a student\'s answers without showing the key', () => {
    // Task 101, k1 = 1, k2 = 0.5: CRmax = 0.343, Xa = 0.586, CS = 0.243.
    const request = { code: 101, data: ['1', '0,5'], answers: ['0,343', '0.587', ''] };
    assert.deepEqual(engine.check(request), [
      { label: 'CRmax', number: true, right: true },
      { label: 'Xa', number: true, right: false },
      { label: 'CS', number: false, right: false },
    ]);
    assert.deepEqual(engine.check({ ...request, reveal: true })[1],
      { label: 'Xa', number: true, right: false, value: '0.586', tolerance: '0.0005' });
    assert.throws(() => engine.check({ code: 101, data: ['0', '1'], answers: [] }), /Недопустимые исходные данные/);
  });
});
