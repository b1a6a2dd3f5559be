// «Исследовать» on a laptop and a phone: a study drawn with its table, whose
// rows are the single runs of their points, within the screen and the WCAG;
// a refused point a gap; the CSV the runner's bytes, and a picture; a
// request the core refuses said in the panel; live mode drawing the study
// again; a newer request cancelling an older one halfway.

import assert from 'node:assert/strict';
import { after, before, describe, it } from 'node:test';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  axeViolations,
  batchPath,
  downloadOf,
  missingPrerequisite,
  openBrowser,
  openPage,
  pageUrl,
  tasksDir,
} from './support.mjs';

const missing = missingPrerequisite();
if (missing) {
  console.log(`skipped: ${missing}`);
  process.exit(77);
}

const SCREENS = {
  laptop: { viewport: { width: 1366, height: 768 } },
  phone: {
    viewport: { width: 390, height: 844 },
    hasTouch: true,
    isMobile: true,
    deviceScaleFactor: 2,
  },
};

// Fills the request and presses «Исследовать»; waits until it is done.
async function study(page, { parameter, low, high, count, log = false }) {
  if (parameter) await page.selectOption('#study-parameter', parameter);
  if (low !== undefined) await page.fill('#study-low', low);
  if (high !== undefined) await page.fill('#study-high', high);
  if (count !== undefined) await page.fill('#study-count', String(count));
  await page.setChecked('#study-log', log);
  await page.click('#study-run');
  await page.waitForFunction(() => document.getElementById('study').dataset.state === 'done');
}

// The table as the page shows it: [{value, cells, gap}].
const tableNow = (page) =>
  page.evaluate(() =>
    Array.from(document.querySelectorAll('#study-table tbody tr'), (tr) => ({
      value: Number(tr.dataset.value),
      cells: Array.from(tr.querySelectorAll('td'), (td) => td.textContent),
      gap: tr.classList.contains('gap'),
    })),
  );
const labelsNow = (page) =>
  page.evaluate(() => Array.from(document.querySelectorAll('#study-table thead th'), (th) => th.textContent).slice(1));

// Pixels of the chart's canvas near red and near blue.
const inkOf = (page) =>
  page.evaluate(() => {
    const c = document.getElementById('study-chart');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let red = 0;
    let blue = 0;
    for (let i = 0; i < d.length; i += 4) {
      if (d[i] > 200 && d[i + 1] < 60 && d[i + 2] < 60) ++red;
      if (d[i] < 60 && d[i + 1] < 60 && d[i + 2] > 200) ++blue;
    }
    return { red, blue };
  });

// What reactopt-batch --study writes for `args`, run in a copy of the tasks'
// data.
function nativeStudy(args) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-study-'));
  try {
    fs.copyFileSync(path.join(tasksDir, 'DataFile.dat'), path.join(dir, 'DataFile.dat'));
    return execFileSync(batchPath, ['--study', ...args], { cwd: dir });
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// The optimum a single run of `code` gives with `values`, by label.
const singleRun = (page, code, values) =>
  page.evaluate(
    async ([c, v]) => Object.fromEntries((await window.ReactOpt.run(c, v)).optimum.map((q) => [q.label, q.value])),
    [code, values],
  );

for (const [screen, options] of Object.entries(SCREENS)) {
  describe(`study on a ${screen}`, () => {
    let browser;
    before(async () => (browser = await openBrowser(options)));
    after(() => browser.close());

    it('draws both curves and a table whose rows are the single runs of their points', async () => {
      const { page, errors } = await openPage(browser, '#103');
      // The offered range: half of the least to twice the greatest offered k1.
      assert.equal(await page.inputValue('#study-low'), '0.25');
      assert.equal(await page.inputValue('#study-high'), '4');
      await study(page, { parameter: '2', low: '0.1', high: '1', count: 11 });
      const rows = await tableNow(page);
      assert.equal(rows.length, 11);
      assert.deepEqual([rows[0].value, rows[10].value], [0.1, 1]);
      const labels = await labelsNow(page);
      const defaults = await page.evaluate(() =>
        Array.from(document.querySelectorAll('#fields input'), (i) => i.value),
      );
      for (const i of [3, 8]) {
        const values = defaults.map((v) => Number(v));
        values[1] = rows[i].value;
        const single = await singleRun(page, 103, values);
        assert.deepEqual(
          rows[i].cells,
          labels.map((l) => single[l]),
          `point ${i}`,
        );
      }
      const ink = await inkOf(page);
      assert.ok(ink.red > 200 && ink.blue > 200, JSON.stringify(ink));
      assert.equal(await page.isDisabled('#study-csv'), false);
      // Nothing wider than the screen, on a phone too, and nothing against
      // WCAG 2.1 AA with the study drawn.
      assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= innerWidth));
      assert.deepEqual(await axeViolations(page), []);
      assert.deepEqual(errors, []);
      await page.close();
    });

    it('leaves a point the task refuses as a gap', async () => {
      const { page } = await openPage(browser, '#101');
      // k1 = 0 is data task 101 refuses; the other points run.
      await study(page, { parameter: '1', low: '0', high: '2', count: 5 });
      const rows = await tableNow(page);
      assert.deepEqual(
        rows.map((r) => r.gap),
        [true, false, false, false, false],
      );
      assert.match(rows[0].cells[0], /^пробел: Недопустимые исходные данные: k1 = 0/);
      assert.match(await page.textContent('#study-status'), /1 — пробелы/);
      // Saved: the runner's CSV byte for byte, and a picture.
      const csv = await downloadOf(page, page.locator('#study-csv'));
      assert.equal(csv.name, 'study-101-k1.csv');
      assert.deepEqual(csv.bytes, nativeStudy(['1=0:2:5', '101']));
      const png = await downloadOf(page, page.locator('#study-png'));
      assert.equal(png.name, 'study-101-k1.png');
      assert.deepEqual([...png.bytes.subarray(1, 4)], [...Buffer.from('PNG')]);
      assert.equal(png.bytes.readUInt32BE(16), 900);
      await page.close();
    });
  });
}

describe('study requests and their order', () => {
  let browser;
  before(async () => (browser = await openBrowser(SCREENS.laptop)));
  after(() => browser.close());

  it('says what is wrong with a request and draws nothing', async () => {
    const cases = [
      [{ low: 'abc' }, /«От»: «abc»/],
      [{ low: '3', high: '1' }, /должна быть меньше верхней/],
      [{ count: 500 }, /от 2 до 201/],
      [{ low: '0', log: true }, /логарифмической/],
    ];
    const { page } = await openPage(browser, '#101');
    for (const [request, message] of cases) {
      await page.click('#reset');
      await page.selectOption('#study-parameter', '1');
      await page.fill('#study-low', request.low ?? '0.25');
      await page.fill('#study-high', request.high ?? '4');
      await page.fill('#study-count', String(request.count ?? 5));
      await page.setChecked('#study-log', request.log ?? false);
      // From the keyboard: Enter in a field asks for the study.
      await page.press('#study-count', 'Enter');
      await page.waitForSelector('#study-message:not([hidden])');
      assert.match(await page.textContent('#study-message'), message, JSON.stringify(request));
      assert.equal(await page.isHidden('#study-result'), true);
    }
    await page.close();
  });

  it('draws the study again when a value moves in live mode', async () => {
    const { page } = await openPage(browser, '#101');
    await study(page, { parameter: '1', count: 5 });
    const before = await tableNow(page);
    await page.check('#live');
    await page.fill('#field2', '0.9');
    await page.waitForFunction((first) => {
      const s = document.getElementById('study');
      const row = document.querySelector('#study-table tbody tr td');
      return s.dataset.state === 'done' && row && row.textContent !== first;
    }, before[0].cells[0]);
    const rows = await tableNow(page);
    const defaults = await page.evaluate(() => Array.from(document.querySelectorAll('#fields input'), (i) => i.value));
    const values = defaults.map(Number);
    values[0] = rows[2].value;
    const single = await singleRun(page, 101, values);
    assert.deepEqual(
      rows[2].cells,
      (await labelsNow(page)).map((l) => single[l]),
    );
    await page.close();
  });

  it('computes the points beside the page, in workers, with the digits of the page alone', async () => {
    // 101 points of task 103, the slowest: with the workers the page starts
    // when the student comes to the form, and in a browser without workers.
    const expected = nativeStudy(['1=0.25:4:101', '103']);
    for (const withWorkers of [true, false]) {
      const page = await browser.context.newPage();
      if (!withWorkers) await page.addInitScript(() => delete window.Worker);
      await page.goto(`${pageUrl}#103`);
      await page.waitForFunction(() => document.body.dataset.ready === 'true');
      await page.focus('#study-count');
      if (withWorkers)
        await page.waitForFunction(() => Number(document.getElementById('study').dataset.workersReady) > 0);
      await study(page, { parameter: '1', low: '0.25', high: '4', count: 101 });
      const workers = Number(await page.getAttribute('#study', 'data-workers'));
      assert.ok(withWorkers ? workers > 0 : workers === 0, `workers ${workers}`);
      const csv = await downloadOf(page, page.locator('#study-csv'));
      assert.deepEqual(csv.bytes, expected, withWorkers ? 'with workers' : 'without');
      await page.close();
    }
  });

  it('cancels an older request for a newer one', async () => {
    const { page } = await openPage(browser, '#103');
    await page.selectOption('#study-parameter', '2');
    await page.fill('#study-low', '0.01');
    await page.fill('#study-high', '10');
    await page.fill('#study-count', '201');
    await page.check('#study-log');
    // The long study drawn as it goes, with its progress; the page answers
    // meanwhile (what is typed goes in while the study is computing), and a
    // short study asked for before it ends takes its place.
    await page.click('#study-run');
    await page.fill('#study-count', '6');
    const halfway = await page.evaluate(() => ({
      rows: document.querySelectorAll('#study-table tbody tr').length,
      progress: !document.getElementById('study-progress').hidden,
      state: document.getElementById('study').dataset.state,
      typed: document.getElementById('study-count').value,
    }));
    assert.deepEqual([halfway.state, halfway.progress, halfway.typed], ['running', true, '6']);
    assert.ok(halfway.rows > 0 && halfway.rows < 201, JSON.stringify(halfway));
    await page.uncheck('#study-log');
    await page.fill('#study-low', '0.2');
    await page.fill('#study-high', '0.7');
    await page.click('#study-run');
    await page.waitForFunction(() => document.getElementById('study').dataset.state === 'done');
    // A few frames later nothing of the older study has come in.
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    assert.deepEqual(
      (await tableNow(page)).map((r) => r.value),
      [0.2, 0.3, 0.4, 0.5, 0.6, 0.7],
    );
    await page.close();
  });
});
