// A student's self-check from a teacher's link, on laptops, a phone and in
// Firefox: the answer fields first on screen, where the optimum would stand,
// labelled with the core's questions, «Проверить» the primary action;
// «Показать ответ» brings the optimum, a run puts the form back under the
// data; a link the core refuses says why in the form.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { describe, it } from 'node:test';
import { pathToFileURL } from 'node:url';
import { htmlPath, missingPrerequisite, openBrowser, openPage, root, tasksDir } from './support.mjs';

const enginePath = path.join(path.dirname(htmlPath), 'reactopt-engine.js');
const missing = missingPrerequisite() || (fs.existsSync(enginePath) ? null : `${enginePath} is missing`);
if (missing) {
  console.log(`skipped: ${missing}`);
  process.exit(77);
}
const require = createRequire(path.join(root, 'web', 'package.json'));
const { loadEngine } = await import(pathToFileURL(path.join(root, 'web', 'src', 'engine.js')).href);
const engine = await loadEngine(require(enginePath), fs.readFileSync(path.join(tasksDir, 'DataFile.dat')));

// Task 103 asks for seven quantities under six fields: the longest way down.
const LINK = '#103?k1=1&k2=0.5&variant=3';
const data = engine.fields(103).fields.map((f, i) => ['1', '0.5'][i] ?? f.values[0].trim());
const check = (extra = {}) => engine.check({ code: 103, data, answers: [], ...extra });

// Where the form stands and how its buttons look, read in the page.
const formNow = (page) =>
  page.evaluate(() => {
    const box = (id) => document.getElementById(id).getBoundingClientRect();
    const look = (id) => getComputedStyle(document.getElementById(id)).backgroundColor;
    return {
      firstTop: box('answer1').top,
      buttonBottom: box('check-answers').bottom,
      runBottom: box('run').bottom,
      chartTop: box('chart').top,
      height: innerHeight,
      primary: look('check-answers') !== look('reveal') && look('run') === look('reveal'),
      labels: Array.from(document.querySelectorAll('#check-fields label'), (l) => l.textContent),
      inResults: document.getElementById('check').parentElement.id === 'results',
    };
  });

// The form first: in the results column inside the screen on a laptop, right
// under Run on a phone, above the chart either way.
function assertFirst(form, phone) {
  assert.deepEqual(
    form.labels,
    check().map((q) => q.question || q.label),
  );
  assert.equal(form.primary, true, '«Проверить» stands out, «Рассчитать» does not');
  assert.ok(form.buttonBottom < form.chartTop, JSON.stringify(form));
  if (phone) assert.ok(form.firstTop > form.runBottom, JSON.stringify(form));
  else assert.ok(form.inResults && form.buttonBottom <= form.height, JSON.stringify(form));
}

describe("a student's self-check", () => {
  for (const [screen, options] of [
    ['laptop 1366x768', { viewport: { width: 1366, height: 768 } }],
    ['laptop 1280x720', { viewport: { width: 1280, height: 720 } }],
    ['phone 390x844', { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true, deviceScaleFactor: 2 }],
  ]) {
    it(`puts the questions first, with «Проверить» the primary action, on a ${screen}`, async () => {
      const browser = await openBrowser(options);
      try {
        const { page, errors } = await openPage(browser, LINK);
        assertFirst(await formNow(page), options.hasTouch);
        assert.deepEqual(errors, []);
      } finally {
        await browser.close();
      }
    });
  }

  it('shows the optimum after «Показать ответ» or a run, and only for the variant', async () => {
    const browser = await openBrowser({ viewport: { width: 1366, height: 768 } });
    try {
      const { page } = await openPage(browser, LINK);
      assert.equal(await page.locator('#answer').isVisible(), false);
      await page.getByRole('button', { name: 'Показать ответ', exact: true }).click();
      const key = check({ reveal: true }).map((a) => `${a.label} = ${a.value}`);
      assert.deepEqual(await page.locator('#optimum li').allTextContents(), key);
      assert.equal(await page.locator('#report-box').isHidden(), true, 'the answer alone, not the report');
      await page.getByLabel('Задачи', { exact: true }).selectOption('102');
      assert.match(await page.locator('#optimum').textContent(), /^Нажмите «Рассчитать»/, 'another task');

      const { page: again } = await openPage(browser, LINK);
      await again.getByRole('button', { name: 'Рассчитать', exact: true }).click();
      await again.locator('#report-box').waitFor();
      assert.equal((await formNow(again)).inResults, false, 'the form is back under the data');
      assert.ok((await again.locator('#answer').boundingBox()).y < 100, 'the optimum at the top again');
    } finally {
      await browser.close();
    }
  });

  it("keeps another variant's link in the address when it is followed from a variant", async () => {
    const browser = await openBrowser();
    try {
      const { page } = await openPage(browser, '#101?k1=1&k2=0.5&variant=7');
      await page.evaluate((link) => (location.hash = link), LINK);
      await page.waitForFunction(() => document.getElementById('check').textContent.includes('задача 103'));
      assert.equal(await page.evaluate(() => location.hash), LINK, 'a reload opens the same variant');
    } finally {
      await browser.close();
    }
  });

  it("shows in the form why a link's tolerance cannot be used", async () => {
    const browser = await openBrowser();
    try {
      const { page } = await openPage(browser);
      for (const tolerance of ['2', '-0.1', 'abc', '0.7', '0.01']) {
        let refusal = null;
        try {
          engine.check({ code: 101, data: ['1', '0.5'], answers: [], tolerance });
        } catch (e) {
          refusal = e.message;
        }
        await page.goto(`${page.url().split('#')[0]}#101?k1=1&k2=0.5&variant=7&tolerance=${tolerance}`);
        await page.locator('#check').waitFor();
        assert.equal(
          (await page.locator('#check-error').isVisible()) && (await page.locator('#check-error').textContent()),
          refusal || false,
          tolerance,
        );
        assert.equal(await page.locator('#check-fields input').count(), refusal ? 0 : 3, tolerance);
      }
    } finally {
      await browser.close();
    }
  });

  it('puts the questions first, with «Проверить» the primary action, in Firefox', async (t) => {
    const firefox = process.env.REACTOPT_FIREFOX || '/usr/bin/firefox-esr';
    if (!fs.existsSync(firefox)) return t.skip(`${firefox} is missing`);
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-firefox-'));
    const browser = await require('puppeteer-core').launch({
      browser: 'firefox',
      executablePath: firefox,
      headless: true,
      userDataDir: profile,
      extraPrefsFirefox: { 'network.proxy.type': 1, 'network.proxy.http': '127.0.0.1', 'network.proxy.http_port': 9 },
    });
    try {
      const page = await browser.newPage();
      await page.setViewport({ width: 1366, height: 768 });
      await page.goto(pathToFileURL(htmlPath).href + LINK);
      await page.waitForFunction(() => document.body.dataset.ready === 'true', { timeout: 15000 });
      assertFirst(await formNow(page), false);
    } finally {
      await browser.close();
      fs.rmSync(profile, { recursive: true, force: true });
    }
  });
});
