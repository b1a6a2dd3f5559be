// The page in Firefox, the other browser students use: it opens from disk,
// every task's report with its default data is the desktop program's byte for
// byte with the same chart points, a refusal brings the desktop's message, and
// Run from the keyboard shows the report. Debian's Firefox ESR is driven over
// WebDriver BiDi by puppeteer-core (Playwright drives only its own Firefox).

import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';
import { after, before, describe, it } from 'node:test';
import { execFileSync } from 'node:child_process';
import { batchPath, htmlPath, missingPrerequisite, nativeRun, root, tasksDir } from './support.mjs';

const firefoxPath = process.env.REACTOPT_FIREFOX || '/usr/bin/firefox-esr';
const require = createRequire(path.join(root, 'web', 'package.json'));

let why = missingPrerequisite();
if (!why && !fs.existsSync(firefoxPath)) why = `${firefoxPath} is missing: install firefox-esr`;
if (!why) {
  try {
    require.resolve('puppeteer-core');
  } catch {
    why = 'puppeteer-core is missing: run "npm ci" in web/ (make web does)';
  }
}
if (why) {
  console.log(`skipped: ${why}`);
  process.exit(77);
}

const CODES = Array.from({ length: 25 }, (_, i) => 101 + i);

describe('the page in Firefox', () => {
  let browser;
  let page;
  let profile;
  const errors = [];
  const requests = [];
  before(async () => {
    const puppeteer = require('puppeteer-core');
    profile = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-firefox-'));
    browser = await puppeteer.launch({
      browser: 'firefox',
      executablePath: firefoxPath,
      headless: true,
      userDataDir: profile,
      // No request may leave the machine.
      extraPrefsFirefox: { 'network.proxy.type': 1, 'network.proxy.http': '127.0.0.1', 'network.proxy.http_port': 9 },
    });
    page = await browser.newPage();
    page.on('pageerror', (e) => errors.push(String(e)));
    page.on('request', (r) => {
      if (!r.url().startsWith('file:') && !r.url().startsWith('data:')) requests.push(r.url());
    });
    await page.goto(pathToFileURL(htmlPath).href);
    await page.waitForFunction(() => document.body.dataset.ready === 'true', { timeout: 15000 });
  });
  after(async () => {
    await browser?.close();
    if (profile) fs.rmSync(profile, { recursive: true, force: true });
  });

  it('makes the desktop reports and chart points for every task', async () => {
    for (const code of CODES) {
      const web = await page.evaluate(async (c) => {
        const r = await window.ReactOpt.run(c, []);
        return { report: Array.from(r.report), chart: r.chart };
      }, code);
      const native = nativeRun(code);
      assert.ok(Buffer.from(web.report).equals(native.report), `report of task ${code}`);
      assert.deepEqual(web.chart, native.chart, `chart of task ${code}`);
    }
  });

  it('refuses data the formulas cannot take with the desktop message', async () => {
    const message = await page.evaluate(() =>
      window.ReactOpt.run(101, [0, 1]).then(
        () => 'ran',
        (e) => String(e.message ?? e),
      ),
    );
    assert.equal(message, nativeRun(101, [0, 1]).refusal);
  });

  it('runs a task chosen and run from the keyboard', async () => {
    const list = await page.$('select');
    await list.focus();
    await page.keyboard.press('Home');
    const run = await page.$('::-p-aria(Рассчитать)');
    await run.focus();
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => /Исходные данные/.test(document.body.innerText), { timeout: 5000 });
    const report = await page.$eval('::-p-aria([name="Отчёт"][role="region"])', (e) => e.textContent);
    assert.match(report, /Результаты расчета/);
    assert.deepEqual(errors, []);
    assert.deepEqual(requests, []);
  });

  it("lets every task's whole title be read from its list, by pointer and by keyboard", async () => {
    await page.setViewport({ width: 1280, height: 720 });
    const titles = await page.$$eval('#tasks option', (options) =>
      options.map((o) => [o.value, o.textContent, o.title]),
    );
    assert.equal(titles.length, 29); // the 25, the three examples and one's own
    for (const [code, text, title] of titles) assert.equal(title, text, `the title of ${code} on hover`);
    // Firefox cuts the options at the list's width: the line under it gives
    // the whole title of the one under the pointer, then of the one chosen.
    const full = () => page.$eval('#task-full', (e) => (e.getBoundingClientRect().height > 0 ? e.textContent : ''));
    const title = (code) => titles.find(([c]) => c === String(code))[1];
    await page.hover('#tasks option[value="103"]');
    await page.waitForFunction(() => /^103 /.test(document.getElementById('task-full').textContent));
    assert.equal(await full(), title(103));
    assert.ok(title(103).length > 40);
    await page.select('#tasks', '110');
    await page.focus('#tasks');
    await page.mouse.move(1000, 700);
    await page.keyboard.press('ArrowDown');
    await page.waitForFunction(() => /^111 /.test(document.getElementById('task-full').textContent));
    assert.equal(await full(), title(111));
  });

  it('shows fields, Run, the optimum and the chart on a laptop screen, and stays one column wide on a phone', async () => {
    const outside = () =>
      page.evaluate(() =>
        ['fields', 'run', 'optimum', 'chart'].filter((id) => {
          const r = document.getElementById(id).getBoundingClientRect();
          return !(r.width > 0 && r.top >= 0 && r.bottom <= innerHeight && r.right <= innerWidth);
        }),
      );
    const run = () => page.evaluate(() => document.getElementById('run').click());
    await page.setViewport({ width: 1280, height: 720 });
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.select('#tasks', '103');
    await run();
    assert.deepEqual(await outside(), []);
    await page.setViewport({ width: 390, height: 844 });
    await page.select('#tasks', '101');
    for (let i = 0; i < 5; ++i) {
      await page.evaluate(
        (k2) => {
          document.getElementById('field2').value = k2;
          document.getElementById('run').click();
          document.getElementById('pin').click();
        },
        `0.${i + 2}`,
      );
    }
    assert.equal(await page.evaluate(() => window.ReactOpt.drawn().pins.length), 4);
    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= innerWidth));
  });

  it("lays one's own task file out as Chromium does: on a laptop with its fields and Run, on a phone one column wide", async () => {
    const outside = () =>
      page.evaluate(() =>
        ['scheme-text', 'fields', 'run', 'optimum', 'chart'].filter((id) => {
          const r = document.getElementById(id).getBoundingClientRect();
          return !(r.width > 0 && r.top >= 0 && r.bottom <= innerHeight && r.right <= innerWidth);
        }),
      );
    await page.setViewport({ width: 1280, height: 720 });
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.select('#tasks', 'own');
    await page.evaluate(() => document.getElementById('run').click());
    await page.waitForFunction(() => /своя\.out/.test(document.getElementById('result-caption').textContent));
    await page.evaluate(() => window.scrollTo(0, 0));
    assert.deepEqual(await outside(), []);
    await page.setViewport({ width: 390, height: 844 });
    // A faulty line, long and unbroken, stays inside its panel.
    await page.evaluate(() => {
      const box = document.getElementById('scheme-text');
      box.value = `${box.value}\nreactor = "${'x'.repeat(200)}"\n`;
      box.dispatchEvent(new Event('input', { bubbles: true }));
    });
    await page.waitForFunction(() => !document.getElementById('scheme-line').hidden);
    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= innerWidth));
    assert.deepEqual(errors, []);
  });

  it("computes a study in the page's workers with the desktop's digits", async () => {
    const study = await browser.newPage();
    await study.goto(`${pathToFileURL(htmlPath).href}#103`);
    await study.waitForFunction(() => document.body.dataset.ready === 'true', { timeout: 15000 });
    await study.focus('#study-count');
    await study.waitForFunction(() => Number(document.getElementById('study').dataset.workersReady) > 0);
    await study.evaluate(() => {
      document.getElementById('study-low').value = '0.25';
      document.getElementById('study-high').value = '4';
      document.getElementById('study-count').value = '41';
      document.getElementById('study-run').click();
    });
    await study.waitForFunction(() => document.getElementById('study').dataset.state === 'done');
    const shown = await study.evaluate(() => ({
      workers: Number(document.getElementById('study').dataset.workers),
      rows: Array.from(document.querySelectorAll('#study-table tbody tr'), (tr) =>
        [tr.dataset.value, ...Array.from(tr.querySelectorAll('td'), (td) => td.textContent)].join(','),
      ),
    }));
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-study-'));
    fs.copyFileSync(path.join(tasksDir, 'DataFile.dat'), path.join(dir, 'DataFile.dat'));
    const native = execFileSync(batchPath, ['--study', '1=0.25:4:41', '103'], { cwd: dir }).toString();
    fs.rmSync(dir, { recursive: true, force: true });
    assert.ok(shown.workers > 0, `workers ${shown.workers}`);
    assert.deepEqual(shown.rows, native.trim().split('\n').slice(1));
    await study.close();
  });
});
