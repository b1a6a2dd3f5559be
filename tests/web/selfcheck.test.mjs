// A student's self-check from a teacher's link, on a laptop, on a phone and in
// Firefox: the answer fields stand first on screen, where the optimum would,
// with «Проверить» the primary action; they are labelled with the core's
// questions; «Показать ответ» brings the optimum, a run puts the form back
// under the data; a link the core refuses says why in the form.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { after, before, describe, it } from 'node:test';
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
const engine = await loadEngine(createRequire(import.meta.url)(enginePath), fs.readFileSync(path.join(tasksDir, 'DataFile.dat')));

// Task 103 asks for seven quantities under six fields of data: the longest
// way down to the form.
const LINK = '#103?k1=1&k2=0.5&variant=3';
const DATA = ['1', '0.5'];
const askedFor = (q) => q.question || q.label;

// Where the form stands and how it looks, read in the page.
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
      primary: look('check-answers') !== look('reveal'),
      runPlain: look('run') === look('reveal'),
      labels: Array.from(document.querySelectorAll('#check-fields label'), (l) => l.textContent),
      inResults: document.getElementById('check').parentElement.id === 'results',
    };
  });

const SCREENS = [
  ['laptop 1366x768', { viewport: { width: 1366, height: 768 } }],
  ['laptop 1280x720', { viewport: { width: 1280, height: 720 } }],
  ['phone 390x844', { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true, deviceScaleFactor: 2 }],
];

describe('a student\'s self-check', () => {
  const fullData = () => {
    // The data the page's link leaves at their defaults, as the page reads them.
    const fields = engine.fields(103).fields;
    return fields.map((f, i) => DATA[i] ?? f.values[0].trim());
  };
  let quantities;
  before(() => {
    quantities = engine.check({ code: 103, data: fullData(), answers: [] });
  });

  for (const [screen, options] of SCREENS) {
    it(`puts the questions first, with «Проверить» the primary action, on a ${screen}`, async () => {
      const browser = await openBrowser(options);
      try {
        const { page, errors } = await openPage(browser, LINK);
        const form = await formNow(page);
        assert.deepEqual(form.labels, quantities.map(askedFor));
        assert.equal(form.primary, true, '«Проверить» stands out');
        assert.equal(form.runPlain, true, '«Рассчитать» does not');
        if (options.hasTouch) {
          // One column: the form follows Run, above the chart.
          assert.ok(form.firstTop > form.runBottom && form.buttonBottom < form.chartTop, JSON.stringify(form));
        } else {
          assert.equal(form.inResults, true);
          assert.ok(form.firstTop < form.chartTop && form.buttonBottom <= form.height, JSON.stringify(form));
        }
        assert.deepEqual(errors, []);
      } finally {
        await browser.close();
      }
    });
  }

  it('shows the optimum after «Показать ответ» and gives it its place back after a run', async () => {
    const browser = await openBrowser({ viewport: { width: 1366, height: 768 } });
    try {
      const { page } = await openPage(browser, LINK);
      assert.equal(await page.locator('#answer').isVisible(), false);
      await page.getByRole('button', { name: 'Показать ответ', exact: true }).click();
      const key = engine.check({ code: 103, data: fullData(), answers: [], reveal: true });
      assert.deepEqual(await page.locator('#optimum li').allTextContents(), key.map((a) => `${a.label} = ${a.value}`));
      assert.equal(await page.locator('#answer').isVisible(), true);
      assert.doesNotMatch(await page.locator('#optimum').textContent(), /скрыт/);
      assert.equal(await page.locator('#report-box').isHidden(), true, 'the answer alone, not the report');

      await page.getByRole('button', { name: 'Рассчитать', exact: true }).click();
      await page.locator('#report-box').waitFor();
      const after = await formNow(page);
      assert.equal(after.inResults, false, 'the form is back under the data');
      const answer = await page.locator('#answer').boundingBox();
      assert.ok(answer.y < 100, `the optimum at the top again: ${answer.y}`);
    } finally {
      await browser.close();
    }
  });

  it('leaves no word of the variant\'s answer when the student turns to another task', async () => {
    const browser = await openBrowser({ viewport: { width: 1280, height: 720 } });
    try {
      const { page } = await openPage(browser, LINK);
      await page.getByRole('button', { name: 'Показать ответ', exact: true }).click();
      await page.getByLabel('Задачи', { exact: true }).selectOption('102');
      assert.equal(await page.locator('#check').isHidden(), true);
      assert.match(await page.locator('#optimum').textContent(), /^Нажмите «Рассчитать»/);
    } finally {
      await browser.close();
    }
  });

  it('shows in the form why a link\'s tolerance cannot be used', async () => {
    const browser = await openBrowser({ viewport: { width: 1280, height: 720 } });
    try {
      const page = (await openPage(browser)).page;
      for (const tolerance of ['2', '-0.1', 'abc', '0.7', '0.01']) {
        let refusal = null;
        try {
          engine.check({ code: 101, data: ['1', '0.5'], answers: [], tolerance });
        } catch (e) {
          refusal = e.message;
        }
        await page.goto(`${page.url().split('#')[0]}#101?k1=1&k2=0.5&variant=7&tolerance=${tolerance}`);
        await page.waitForFunction(() => document.body.dataset.ready === 'true');
        assert.equal(await page.locator('#check').isVisible(), true, tolerance);
        if (refusal) {
          assert.equal(await page.locator('#check').getByRole('alert').textContent(), refusal);
          assert.equal(await page.locator('#check-fields input').count(), 0, tolerance);
        } else {
          assert.equal(await page.locator('#check-error').isHidden(), true, tolerance);
          assert.equal(await page.locator('#check-fields input').count(), 3, tolerance);
        }
      }
    } finally {
      await browser.close();
    }
  });
});

describe('a student\'s self-check in Firefox', () => {
  const firefoxPath = process.env.REACTOPT_FIREFOX || '/usr/bin/firefox-esr';
  let puppeteer = null;
  try {
    puppeteer = fs.existsSync(firefoxPath) ? require('puppeteer-core') : null;
  } catch {
    // without puppeteer-core the case below is skipped
  }
  let browser;
  let profile;
  before(async () => {
    if (!puppeteer) return;
    profile = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-firefox-'));
    browser = await puppeteer.launch({
      browser: 'firefox',
      executablePath: firefoxPath,
      headless: true,
      userDataDir: profile,
      extraPrefsFirefox: { 'network.proxy.type': 1, 'network.proxy.http': '127.0.0.1', 'network.proxy.http_port': 9 },
    });
  });
  after(async () => {
    await browser?.close();
    if (profile) fs.rmSync(profile, { recursive: true, force: true });
  });

  it('puts the questions first, with «Проверить» the primary action, on a laptop', { skip: !puppeteer && 'no Firefox' }, async () => {
    const page = await browser.newPage();
    await page.setViewport({ width: 1366, height: 768 });
    await page.goto(pathToFileURL(htmlPath).href + LINK);
    await page.waitForFunction(() => document.body.dataset.ready === 'true', { timeout: 15000 });
    const form = await formNow(page);
    assert.equal(form.inResults, true);
    assert.ok(form.firstTop < form.chartTop && form.buttonBottom <= form.height, JSON.stringify(form));
    assert.equal(form.primary && form.runPlain, true);
  });
});
