// Task files in the browser's engine (WebAssembly, libc++) against the native
// reactopt-batch (libstdc++, glibc): the example files and 200 schemes drawn
// from a seed give the same report, chart and answers, byte for byte, or the
// same refusal.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { it } from 'node:test';
import { batchPath, root, tasksDir } from './support.mjs';

const enginePath = path.join(path.dirname(process.env.REACTOPT_HTML || path.join(root, 'build-web', 'x')), 'reactopt-engine.js');
if (!fs.existsSync(enginePath)) {
  console.log(`skipped: ${enginePath} is missing: run "make web"`);
  process.exit(77);
}

function nativeSchemeRun(dir, text, values) {
  fs.writeFileSync(path.join(dir, 'task.toml'), text);
  for (const name of ['opt.out', 'chart.csv', 'answers.csv']) fs.rmSync(path.join(dir, name), { force: true });
  try {
    execFileSync(batchPath, ['--chart', 'chart.csv', '--answer', 'answers.csv', 'task.toml', ...values], {
      cwd: dir,
      stdio: ['ignore', 'pipe', 'pipe'],
    });
  } catch (e) {
    if (e.status === 1) return { refusal: String(e.stderr).trim() };
    throw e;
  }
  const read = (name) => fs.readFileSync(path.join(dir, name));
  return { report: read('opt.out'), chart: String(read('chart.csv')), answers: String(read('answers.csv')) };
}

function engineOf(M) {
  const withString = (text, use) => {
    const size = M.lengthBytesUTF8(text) + 1;
    const ptr = M._malloc(size);
    try {
      M.stringToUTF8(text, ptr, size);
      return use(ptr);
    } finally {
      M._free(ptr);
    }
  };
  return {
    parse: (text) => withString(text, (t) => withString('task.toml', (n) => JSON.parse(M.UTF8ToString(M._reactopt_scheme_parse(t, n))))),
    run(text, values) {
      const ptr = M._malloc(8 * Math.max(1, values.length));
      try {
        values.forEach((v, i) => {
          M.HEAPF64[(ptr >> 3) + i] = Number(v);
        });
        const ok = withString(text, (t) => withString('task.toml', (n) => M._reactopt_scheme_run(t, n, ptr, values.length)));
        if (!ok) return { refusal: M.UTF8ToString(M._reactopt_error()).trim() };
      } finally {
        M._free(ptr);
      }
      const data = M._reactopt_scheme_report_data();
      return {
        report: Buffer.from(M.HEAPU8.slice(data, data + M._reactopt_scheme_report_size())),
        chart: M.UTF8ToString(M._reactopt_scheme_chart_csv()),
        answers: M.UTF8ToString(M._reactopt_scheme_answers_csv()),
      };
    },
  };
}

// A small, well-known generator, so that a seed names its schemes.
function mulberry32(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// A random scheme: A is the key and R the target of the first reaction, up
// to six species and five reactions, each constant a number or a parameter.
function randomScheme(random) {
  const pick = (list) => list[Math.floor(random() * list.length)];
  const species = ['A', 'B', 'R', 'S', 'T', 'U'].slice(0, 2 + Math.floor(random() * 5));
  const value = () => (0.05 + random() * 3).toFixed(3);
  const parameters = [];
  const constant = () => {
    if (parameters.length < 8 && random() < 0.6) {
      const name = `k${parameters.length + 1}`;
      parameters.push({ name, offered: [value(), value(), value()] });
      return name;
    }
    return value();
  };
  const side = (first) => {
    const names = [first];
    if (random() < 0.4) names.push(pick(species.filter((s) => s !== first)));
    return names.map((s) => `${random() < 0.25 ? '2' : ''}${s}`).join(' + ');
  };
  const reactions = [];
  const count = 1 + Math.floor(random() * 5);
  for (let i = 0; i < count; ++i) {
    const left = i === 0 ? `A${species.includes('B') && random() < 0.5 ? ' + B' : ''}` : side(pick(species));
    const right = i === 0 ? 'R' : side(pick(species));
    if (random() < 0.3) reactions.push(`"${left} <=> ${right} : ${constant()}, ${constant()}"`);
    else reactions.push(`"${left} -> ${right} : ${constant()}"`);
  }
  // B is fed where the first reaction needs it, and now and then otherwise.
  const inlet = ['A = "Ca0"'];
  const usesB = reactions.some((r) => /\bB\b|[0-9]B\b/.test(r));
  if (usesB && (reactions[0].includes('B') || random() < 0.5)) inlet.push(`B = ${value()}`);
  parameters.push({ name: 'Ca0', offered: ['1', '0.5', '2'] });
  const flow = pick(['', '[flow]\nfeed = 0.01\n', '[flow]\nvolume = 2\n']);
  const text =
    `title = "Случайная схема"\nreactor = "${pick(['plug-flow', 'stirred-tank'])}"\nkey = "A"\ntarget = "R"\n` +
    `reactions = [${reactions.join(', ')}]\n${flow}[inlet]\n${inlet.join('\n')}\n` +
    parameters.map((p) => `[[parameter]]\nname = "${p.name}"\nlabel = "Параметр ${p.name}"\noffered = [${p.offered.join(', ')}]\n`).join('');
  const given = parameters.slice(0, Math.floor(random() * (parameters.length + 1))).map(() => value());
  return { text, values: given };
}

it('gives the native reports, charts and answers of task files', async () => {
  const create = createRequire(import.meta.url)(enginePath);
  const engine = engineOf(await create());
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-schemes-'));
  try {
    const cases = fs
      .readdirSync(tasksDir)
      .filter((name) => name.endsWith('.toml'))
      .map((name) => ({ name, text: fs.readFileSync(path.join(tasksDir, name), 'utf8'), values: [] }));
    assert.ok(cases.length >= 3);
    const random = mulberry32(20261209);
    for (let i = 0; i < 200; ++i) cases.push({ name: `random ${i}`, ...randomScheme(random) });
    let ran = 0;
    for (const c of cases) {
      const native = nativeSchemeRun(dir, c.text, c.values);
      const browser = engine.run(c.text, c.values);
      const name = `${c.name}\n${c.text}values ${c.values.join(' ')}`;
      if (native.refusal) {
        if (process.env.SHOW_REFUSALS) console.log(native.refusal);
        assert.equal(browser.refusal, native.refusal, name);
        continue;
      }
      ++ran;
      assert.equal(browser.refusal, undefined, name);
      assert.deepEqual(browser.report, native.report, name);
      assert.equal(browser.chart, native.chart, name);
      assert.equal(browser.answers, native.answers, name);
    }
    // Most random schemes run; the rest are refused alike.
    assert.ok(ran > 150, `only ${ran} of ${cases.length} ran`);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

it('names the line of a refused file as the native runner does', async () => {
  const create = createRequire(import.meta.url)(enginePath);
  const engine = engineOf(await create());
  const text = 'title = "x"\nreactor = "plug-flow"\nkey = "A"\ntarget = "R"\nreactions = ["A -> R : k1"]\n[inlet]\nA = 1\n';
  const parsed = engine.parse(text);
  assert.equal(parsed.line, 5);
  assert.match(parsed.error, /^task\.toml, строка 5/);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-schemes-'));
  try {
    assert.equal(engine.run(text, []).refusal, nativeSchemeRun(dir, text, []).refusal);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
  const good = engine.parse(fs.readFileSync(path.join(tasksDir, 'dimer-tank.toml'), 'utf8'));
  assert.deepEqual(good.fields.map((f) => f.name), ['k1', 'k2', 'Ca0', 'Cb0', 'W0']);
  assert.deepEqual(good.fields[4].offered, [0.01, 0.005, 0.02]);
});
