// The teacher's kit in the browser engine: the same request gives the very
// bytes reactopt-batch --variants writes, the quiz is well-formed XML, the
// sheets print one A4 page per variant, and the self-check takes a decimal
// comma and catches a wrong last digit without showing the key. Then the same
// through the page: the teacher's panel downloads those bytes in one zip, says
// what its links will open and which tasks each range row belongs to, gives
// the focus to what it made, and a variant's link opens the student's
// self-check.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { after, before, describe, it } from 'node:test';
import { pathToFileURL } from 'node:url';
import { batchPath, missingPrerequisite, openBrowser, openPage, root, tasksDir } from './support.mjs';

const enginePath = path.join(
  path.dirname(process.env.REACTOPT_HTML || path.join(root, 'build-web', 'x')),
  'reactopt-engine.js',
);
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
  CODES.map((code) => [code, cp1251.decode(fs.readFileSync(path.join(tasksDir, `zad${code}.txt`)))]),
);

describe('the teacher kit in the browser engine', () => {
  let engine;
  let out;
  before(async () => {
    engine = await loadEngine(require(enginePath), fs.readFileSync(path.join(tasksDir, 'DataFile.dat')));
    out = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-kit-'));
  });
  after(() => fs.rmSync(out, { recursive: true, force: true }));

  it("gives the command line's bytes for the same seed", () => {
    for (const seed of ['1', '2', '18446744073709551615']) {
      const folder = path.join(out, seed);
      execFileSync(batchPath, ['--variants', '30', '--seed', seed, '--key', '--out', folder, 'all'], { cwd: tasksDir });
      const t0 = performance.now();
      const files = engine.kit({
        codes: CODES,
        count: 30,
        seed,
        key: true,
        statements,
      });
      const ms = performance.now() - t0;
      if (seed === '1') console.log(`engine: 750 variants with their files in ${ms.toFixed(0)} ms`);
      assert.deepEqual(files.map((f) => f.name).sort(), fs.readdirSync(folder).sort());
      for (const f of files) {
        assert.ok(Buffer.from(f.text, 'utf8').equals(fs.readFileSync(path.join(folder, f.name))), `${seed} ${f.name}`);
      }
    }
    const ranged = {
      codes: [102],
      count: 5,
      seed: 4,
      tolerance: '0.02',
      ranges: [{ field: '5', low: '0.1', high: '0.9' }],
      statements,
    };
    const folder = path.join(out, 'ranged');
    execFileSync(
      batchPath,
      ['--variants', '5', '--seed', '4', '--tolerance', '0.02', '--range', '5=0.1:0.9', '--out', folder, '102'],
      { cwd: tasksDir },
    );
    for (const f of engine.kit(ranged)) {
      assert.ok(Buffer.from(f.text, 'utf8').equals(fs.readFileSync(path.join(folder, f.name))), f.name);
    }
    assert.deepEqual(
      engine.kitFields(101).map((f) => [f.label, f.low, f.high]),
      [
        ['Конст. k1, 1/с', '0.5', '2'],
        ['Конст. k2, 1/с', '0.2', '1'],
      ],
    );
    assert.throws(
      () =>
        engine.kit({
          codes: [101],
          count: 5,
          ranges: [
            { field: '2', low: '0.5', high: '0.5' },
            { field: '1', low: '1', high: '2' },
          ],
        }),
      /Задача 101: из заданных диапазонов получено только 2/,
    );
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

  it("checks a student's answers without showing the key", () => {
    // Task 101, k1 = 1, k2 = 0.5: CRmax = 0.343, Xa = 0.586, CS = 0.243.
    const request = {
      code: 101,
      data: ['1', '0,5'],
      answers: ['0,343', '0.587', ''],
    };
    const [CRmax, Xa, CS] = [
      'Максимальный выход продукта R, CRmax',
      'Степень конверсии A, при которой выход R максимален, Xa',
      'Относительная концентрация продукта S при максимальном выходе R, CS',
    ];
    assert.deepEqual(engine.check(request), [
      { label: 'CRmax', question: CRmax, number: true, right: true },
      { label: 'Xa', question: Xa, number: true, right: false },
      { label: 'CS', question: CS, number: false, right: false },
    ]);
    assert.deepEqual(engine.check({ ...request, reveal: true })[1], {
      label: 'Xa',
      question: Xa,
      number: true,
      right: false,
      value: '0.586',
      tolerance: '0.0005',
    });
    assert.throws(() => engine.check({ code: 101, data: ['0', '1'], answers: [] }), /Недопустимые исходные данные/);
  });

  it('asks in the optimum of a run what the sheets ask', () => {
    const sheets = fs
      .readFileSync(path.join(out, '1', 'sheets.html'), 'utf8')
      .split('<section class="sheet">')
      .slice(1);
    for (const code of CODES) {
      const sheet = sheets.find((s) => s.includes(`<span>Задача ${code}</span>`));
      const asked = Array.from(sheet.matchAll(/<tr><td>([^<]*)<\/td><td class="blank"><\/td><\/tr>/g), (m) => m[1]);
      assert.deepEqual(
        engine.run(code, []).optimum.map((q) => q.question),
        asked,
        `${code}`,
      );
    }
  });

  it('takes task files beside codes, with the bytes reactopt-batch gives, at once or a task at a time', () => {
    const folder = path.join(out, 'schemes');
    execFileSync(batchPath, ['--variants', '5', '--seed', '3', '--key', '--out', folder, 'dimer-tank.toml', '111'], {
      cwd: tasksDir,
    });
    const schemes = [
      {
        name: 'dimer-tank.toml',
        text: fs.readFileSync(path.join(tasksDir, 'dimer-tank.toml'), 'utf8'),
      },
    ];
    const request = {
      codes: [111],
      schemes,
      count: 5,
      seed: '3',
      key: true,
      statements,
    };
    const steps = engine.kitInSteps(request);
    assert.deepEqual([steps.codes, steps.schemes], [[111], ['dimer-tank.toml']]);
    const drawn = steps.draw('dimer-tank.toml');
    assert.deepEqual([drawn.code, drawn.name, drawn.variants.length], [0, 'dimer-tank', 5]);
    steps.draw(111);
    for (const files of [engine.kit(request), steps.files()]) {
      assert.deepEqual(
        files.map((f) => f.name),
        ['answers-111.csv', 'answers-dimer-tank.csv', 'sheets.html', 'moodle.xml'],
      );
      for (const f of files) {
        assert.ok(Buffer.from(f.text, 'utf8').equals(fs.readFileSync(path.join(folder, f.name))), f.name);
      }
    }
    assert.deepEqual(
      engine.kitSchemeFields(schemes[0]).map((f) => [f.slot, f.low, f.high]),
      [
        [1, '0.5', '2'],
        [2, '0.5', '2'],
        [3, '0.5', '2'],
        [4, '1', '2'],
        [5, '0.005', '0.02'],
      ],
    );
    assert.throws(
      () =>
        engine.kit({
          ...request,
          schemes: [{ name: 'bad.toml', text: 'key = A' }],
        }),
      /bad\.toml, строка 1/,
    );

    // The self-check of a task file's variant takes its key.
    const key = csvRows(fs.readFileSync(path.join(folder, 'answers-dimer-tank.csv'), 'utf8'))[1];
    const checked = engine.check({
      scheme: schemes[0].text,
      name: 'dimer-tank.toml',
      data: key.slice(1, 6),
      answers: key.slice(6),
    });
    assert.ok(checked.length === key.length - 6 && checked.every((a) => a.right));
  });

  it('states the exact optimum beside the run, and accepts it in the self-check', () => {
    const run = engine.run(111, []);
    assert.equal(run.exact, 'Точное решение: CRmax = 0.3679 при Xa = 0.6321');
    assert.equal(engine.run(112, []).exact, '');
    // Task 111 with its first offered data: printed CRmax = 0.367, exactly 0.36788.
    const data = ['1', '1'];
    const [CRmax] = engine.check({
      code: 111,
      data,
      answers: ['0.3679'],
      reveal: true,
    });
    assert.deepEqual([CRmax.right, CRmax.value, CRmax.low, CRmax.high], [true, '0.367', '0.3665', '0.36838']);
    assert.equal(engine.check({ code: 111, data, answers: ['0.3705'] })[0].right, false);
  });

  it("checks the study question's answer after the others", () => {
    // Task 103 with v = 0.04 halved: Fr = 0.00593 at v = 0.02.
    const request = { code: 103, data: ['1', '0.3', '0.2', '0.8', '3', '0.04'], study: { field: 'v', factor: '0.5' } };
    const asked = engine.check({ ...request, answers: [], reveal: true }).at(-1);
    assert.deepEqual([asked.label, asked.value], ['Fr при v × 0.5', '0.00593']);
    assert.match(asked.question, /, если уменьшить v вдвое \(v = 0,02\)\?$/);
    assert.equal(engine.check({ ...request, answers: [...Array(7).fill(''), '0,00593'] }).at(-1).right, true);
  });

  it('lists the examples shipped with the program', () => {
    const names = fs
      .readdirSync(tasksDir)
      .filter((f) => f.endsWith('.toml') && !f.startsWith('task'))
      .sort();
    const examples = engine.examples();
    assert.deepEqual(
      examples.map((e) => `${e.name}.toml`),
      names,
    );
    for (const e of examples) {
      assert.equal(e.text, fs.readFileSync(path.join(tasksDir, `${e.name}.toml`), 'utf8'));
      assert.ok(e.title.length > 0, e.name);
    }
  });
});

// The fields of each CSV line of `text` (a quoted field may hold commas).
const csvRows = (text) =>
  text
    .trim()
    .split('\n')
    .map((line) =>
      Array.from(line.matchAll(/(?:^|,)(?:"((?:[^"]|"")*)"|([^,]*))/g), (m) => m[2] ?? m[1].replace(/""/g, '"')),
    );

describe('the teacher kit in the page', () => {
  const { unzipSync } = createRequire(path.join(root, 'web', 'package.json'))('fflate');
  let browser;
  let page;
  let out;
  before(async () => {
    out = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-panel-'));
    browser = await openBrowser({ viewport: { width: 1366, height: 768 } });
    ({ page } = await openPage(browser, '#variants'));
  });
  after(async () => {
    fs.rmSync(out, { recursive: true, force: true });
    await browser.close();
  });

  const openRanges = async () => {
    if ((await page.locator('#kit-ranges').getAttribute('open')) === null)
      await page.locator('#kit-ranges summary').click();
  };

  // Fills the panel and creates; returns the files of the zip it downloads.
  async function create({ codes, count, seed, key = false, tolerance = '', ranges = {}, base = '', study = null }) {
    await page.getByRole('button', { name: 'Ни одной', exact: true }).click();
    if (codes === 'all') await page.getByRole('button', { name: 'Все', exact: true }).click();
    else for (const code of codes) await page.locator(`#kit-task-list input[value="${code}"]`).check();
    await page.getByLabel('Вариантов каждой задачи').fill(String(count));
    await page.getByLabel('Зерно (начальное число)').fill(seed);
    await page.getByLabel('Допуск ответа (доля значения)').fill(tolerance);
    await page.getByLabel('Ответы на листах заданий').setChecked(key);
    await page.getByLabel('Адрес страницы для ссылок').fill(base);
    await page.getByLabel('Вопрос об исследовании').setChecked(Boolean(study));
    if (study) {
      await page.getByLabel('Поле', { exact: true }).selectOption(study[0]);
      await page.getByLabel('Множитель', { exact: true }).fill(study[1]);
    }
    if (Object.keys(ranges).length) await openRanges();
    for (const [label, [low, high]] of Object.entries(ranges)) {
      await page.getByRole('textbox', { name: `${label} от`, exact: true }).fill(low);
      await page.getByRole('textbox', { name: `${label} до`, exact: true }).fill(high);
    }
    const t0 = performance.now();
    const [download] = await Promise.all([
      page.waitForEvent('download', { timeout: 60000 }),
      page.getByRole('button', { name: 'Создать', exact: true }).click(),
    ]);
    const ms = performance.now() - t0;
    const files = unzipSync(fs.readFileSync(await download.path()));
    return { files, ms, name: download.suggestedFilename() };
  }

  const sameAs = (files, folder) => {
    const names = Object.keys(files)
      .filter((n) => n !== 'links.html')
      .sort();
    assert.deepEqual(names, fs.readdirSync(folder).sort());
    for (const name of names) {
      assert.ok(Buffer.from(files[name]).equals(fs.readFileSync(path.join(folder, name))), name);
    }
  };

  let full;
  it('downloads in one zip the bytes reactopt-batch --variants writes, with a self-check link for every variant', async () => {
    const folder = path.join(out, 'all');
    execFileSync(batchPath, ['--variants', '30', '--seed', '2', '--key', '--out', folder, 'all'], { cwd: tasksDir });
    full = await create({ codes: 'all', count: 30, seed: '2', key: true });
    console.log(`panel: 750 variants with their files and zip in ${(full.ms / 1000).toFixed(1)} s`);
    assert.equal(full.name, 'reactopt-variants-2.zip');
    full.links = (await page.locator('#kit-links').inputValue()).split('\n');
    sameAs(full.files, folder);
    const links = Buffer.from(full.files['links.html']).toString();
    assert.equal(links.match(/<a href=/g).length, 750);

    const ranged = path.join(out, 'ranged');
    execFileSync(
      batchPath,
      [
        '--variants',
        '5',
        '--seed',
        '4',
        '--tolerance',
        '0.02',
        '--range',
        'Конст. k3, 1/с=0.1:0.9',
        '--out',
        ranged,
        '102',
        '107',
      ],
      { cwd: tasksDir },
    );
    const some = await create({
      codes: [102, 107],
      count: 5,
      seed: '4',
      tolerance: '0.02',
      ranges: { 'Конст. k3, 1/с': ['0.1', '0.9'] },
    });
    sameAs(some.files, ranged);
    assert.match(
      await page.locator('#kit-links').inputValue(),
      /^Задача 102, вариант 1: file:.*#102\?.*&variant=1&tolerance=0.02$/m,
    );
  });

  it('asks the study question that its box, field and factor give', async () => {
    const folder = path.join(out, 'study');
    execFileSync(
      batchPath,
      ['--variants', '3', '--seed', '5', '--study-question', 'Конст. k2, 1/с:3', '--out', folder, '101', '103'],
      { cwd: tasksDir },
    );
    const made = await create({ codes: [101, 103], count: 3, seed: '5', study: ['Конст. k2, 1/с', '3'] });
    sameAs(made.files, folder);
    assert.match(Buffer.from(made.files['sheets.html']).toString(), /если увеличить k2 втрое/);
    // A student's link asks it too, after the others, and marks its answer
    // as the key has it.
    const link = /^Задача 101, вариант 2: (\S+)$/m.exec(await page.locator('#kit-links').inputValue())[1];
    assert.match(link, /&study=/);
    const [header, , second] = fs.readFileSync(path.join(folder, 'answers-101.csv'), 'utf8').trim().split('\n');
    assert.match(header, /CRmax при k2 × 3$/);
    const student = await page.context().newPage();
    await student.goto(link);
    await student.waitForFunction(() => document.body.dataset.ready === 'true');
    const labels = await student.locator('#check-fields label').allTextContents();
    assert.equal(labels.length, 4);
    assert.match(labels[3], /если увеличить k2 втрое/);
    await student.fill('#answer4', second.split(',').at(-1));
    await student.getByRole('button', { name: 'Проверить', exact: true }).click();
    assert.equal(await student.textContent('#verdict4'), 'верно');
    await student.close();
    await page.getByLabel('Вопрос об исследовании').setChecked(false);
    assert.equal(await page.getByLabel('Поле', { exact: true }).isDisabled(), true);
  });

  it('says which ticked task is the one open on the page', async () => {
    const marked = page.getByRole('checkbox', { name: /открыта на странице/ });
    assert.equal(await marked.count(), 1);
    assert.equal(await marked.getAttribute('value'), '101');
  });

  it('names in each range row the tasks whose field it is', async () => {
    const cases = [
      [[101, 103], 'Конст. k1, 1/с', 'предлагаются 0.5 – 2 в задаче 101'],
      [[101, 103], 'k1,м3/(кмоль*с)', 'предлагаются 0.5 – 2 в задаче 103'],
      [[101, 120], 'Конст. k1, 1/с', 'предлагаются 0.5 – 2 в задаче 101; 0 – 1 в задаче 120'],
      [
        'all',
        'Конст. k1, 1/с',
        'предлагаются 0.5 – 2 в задачах 101, 102, 105–114, 117, 118, 121, 125; 0 – 1 в задаче 120',
      ],
      ['all', 'k1,м3/(кмоль*с)', 'предлагаются 0.5 – 2 в задачах 103, 104, 115, 116, 119, 122–124'],
    ];
    await openRanges();
    for (const [codes, label, offered] of cases) {
      await page.getByRole('button', { name: 'Ни одной', exact: true }).click();
      if (codes === 'all') await page.getByRole('button', { name: 'Все', exact: true }).click();
      else for (const code of codes) await page.locator(`#kit-task-list input[value="${code}"]`).check();
      const row = page.locator(`.kit-range[data-label="${label}"] .kit-range-span`);
      assert.equal(await row.textContent(), offered, `${codes} ${label}`);
    }
  });

  it('gives the focus to what «Создать» made', async () => {
    await create({ codes: [101], count: 1, seed: '3' });
    assert.equal(await page.evaluate(() => document.activeElement.id), 'kit-status');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'kit-zip');
  });

  it('makes links that open the page, and warns where they work on this computer only', async () => {
    const cases = [
      // [base typed, the links' start, what the panel says]
      ['', 'file:', /на этом компьютере/],
      ['file:///srv/class/', 'file:///srv/class/reactopt.html#101?', /на этом компьютере/],
      [
        'http://host/site/',
        'http://host/site/reactopt.html#101?',
        /адрес папки: ссылки ведут на страницу http:\/\/host\/site\/reactopt\.html/,
      ],
      ['https://example.org/reactopt.html', 'https://example.org/reactopt.html#101?', null],
    ];
    for (const [base, start, said] of cases) {
      const { files } = await create({
        codes: [101],
        count: 1,
        seed: '3',
        base,
      });
      const link = await page.locator('#kit-links').inputValue();
      assert.ok(link.startsWith(`Задача 101, вариант 1: ${start}`), `${base}: ${link}`);
      const html = Buffer.from(files['links.html']).toString();
      const local = start.startsWith('file:');
      assert.equal(/class="warning"[^<]*на этом компьютере/.test(html), local, `links.html for «${base}»`);
      for (const id of ['kit-base-note', 'kit-links-warning']) {
        const note = page.locator(`#${id}`);
        if (said) assert.match(await note.textContent(), said, `${id} for «${base}»`);
        else assert.equal(await note.isHidden(), true, `${id} for «${base}»`);
      }
    }
  });

  it("shows the kit's message and downloads nothing for ranges that cannot give the count", async () => {
    let downloads = 0;
    page.on('download', () => ++downloads);
    await page.getByRole('button', { name: 'Ни одной', exact: true }).click();
    await page.locator('#kit-task-list input[value="101"]').check();
    await openRanges();
    await page.getByRole('textbox', { name: 'Конст. k2, 1/с от', exact: true }).fill('0.5');
    await page.getByRole('textbox', { name: 'Конст. k2, 1/с до', exact: true }).fill('0.5');
    await page.getByRole('textbox', { name: 'Конст. k1, 1/с от', exact: true }).fill('1');
    await page.getByRole('textbox', { name: 'Конст. k1, 1/с до', exact: true }).fill('2');
    await page.getByLabel('Вариантов каждой задачи').fill('5');
    await page.getByRole('button', { name: 'Создать', exact: true }).click();
    assert.match(
      await page.getByRole('alert').textContent(),
      /^Задача 101 .*получено только 2 различных вариантов из 5/,
    );
    assert.equal(await page.locator('#kit-files').isHidden(), true);
    assert.equal(downloads, 0);
  });

  it("opens a variant's link with its data and checks the answers without showing the key until asked", async () => {
    const rows = csvRows(Buffer.from(full.files['answers-103.csv']).toString());
    const line = full.links.find((l) => l.startsWith('Задача 103, вариант 3: '));
    const student = await browser.context.newPage();
    await student.goto(line.slice(line.indexOf(': ') + 2));
    await student.waitForFunction(() => document.body.dataset.ready === 'true');
    const typed = await student.locator('#fields input').evaluateAll((l) => l.map((i) => i.value));
    const [, ...row] = rows[3]; // variant 3
    const fields = typed.length;
    const answers = row.slice(fields);
    assert.deepEqual(typed, row.slice(0, fields));
    const hidden = async () => ({
      report: await student.locator('#report-box').isHidden(),
      optimum: await student.locator('#optimum li').count(),
      key: (await student.locator('#check .key').allTextContents()).join(''),
    });
    assert.deepEqual(await hidden(), { report: true, optimum: 0, key: '' });

    const wrongLast = answers[1].replace(/\d$/, (d) => String((Number(d) + 1) % 10));
    await student.locator('#answer1').fill(answers[0].replace('.', ','));
    await student.locator('#answer2').fill(wrongLast);
    await student.getByRole('button', { name: 'Проверить', exact: true }).click();
    assert.deepEqual((await student.locator('#check .verdict').allTextContents()).slice(0, 2), ['верно', 'неверно']);
    assert.deepEqual(await hidden(), { report: true, optimum: 0, key: '' });

    await student.getByRole('button', { name: 'Показать ответ', exact: true }).click();
    const shown = await student.locator('#check .key').allTextContents();
    assert.deepEqual(
      shown.map((t) => t.match(/^ответ (\S+) /)[1]),
      answers,
    );
    assert.equal((await hidden()).report, true, 'the answer alone, not the report');
    await student.close();
  });
});
