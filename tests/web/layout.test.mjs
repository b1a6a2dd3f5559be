// The page on a student's screens: on a laptop the data, Run, the optimum and
// the chart on one screen; on a phone one column that never scrolls sideways,
// fingers' targets and a report whose every line can be reached, the teacher's
// panel and the self-check form likewise; axe-core finding nothing against
// WCAG 2.1 AA; a printed run on one A4 sheet.

import assert from 'node:assert/strict';
import { after, before, describe, it } from 'node:test';
import { axeViolations, missingPrerequisite, openBrowser, openPage } from './support.mjs';

const missing = missingPrerequisite();
if (missing) {
  console.log(`skipped: ${missing}`);
  process.exit(77);
}

const LAPTOPS = [
  [1366, 768],
  [1280, 720],
];
const PHONE = { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true, deviceScaleFactor: 2 };

// Ids of the elements among `ids` that are not wholly inside the viewport.
const outsideViewport = (page, ids) =>
  page.evaluate(
    (list) =>
      list.filter((id) => {
        const r = document.getElementById(id).getBoundingClientRect();
        return !(r.width > 0 && r.top >= 0 && r.left >= 0 && r.bottom <= innerHeight && r.right <= innerWidth);
      }),
    ids,
  );

const IN_VIEW = ['fields', 'run', 'optimum', 'chart'];

// What a finger cannot hit on `page`: visible targets under 44×44 px.
const smallTargets = (page) =>
  page.evaluate(() =>
    Array.from(document.querySelectorAll('button, select, input[type="text"], .toggle, .kit-task, summary, a'))
      .filter((e) => e.offsetParent)
      .map((e) => [e.id || e.textContent.trim(), e.getBoundingClientRect()])
      .filter(([, r]) => r.width < 44 || r.height < 44)
      .map(([name, r]) => `${name} ${Math.round(r.width)}×${Math.round(r.height)}`),
  );

const scrollsSideways = (page) => page.evaluate(() => document.documentElement.scrollWidth > innerWidth);

async function run(page, code, k2) {
  await page.getByLabel('Задачи', { exact: true }).selectOption(String(code));
  if (k2) await page.locator('#field2').fill(k2);
  await page.getByRole('button', { name: 'Рассчитать', exact: true }).click();
  // The page settles (scrolls to the answer, marks a wide report) a frame later.
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
}

describe('on a laptop', () => {
  let browser;
  before(async () => {
    browser = await openBrowser();
  });
  after(async () => browser.close());

  // The built-in task with the most fields, and one's own task file (its
  // text box above its five fields).
  for (const code of [103, 'own']) {
    for (const [width, height] of LAPTOPS) {
      it(`shows fields, Run, the optimum and the chart of ${code} together at ${width}×${height}, before and after Run`, async () => {
        const { page } = await openPage(browser);
        await page.setViewportSize({ width, height });
        await page.getByLabel('Задачи', { exact: true }).selectOption(String(code));
        assert.deepEqual(await outsideViewport(page, IN_VIEW), []);
        await run(page, code);
        assert.deepEqual(await outsideViewport(page, IN_VIEW), []);
        assert.equal(await page.evaluate(() => scrollY), 0);
        await page.close();
      });
    }
  }

  it('prints a run on one A4 page without lists, buttons or fields', async () => {
    const { page } = await openPage(browser);
    await run(page, 101);
    await page.emulateMedia({ media: 'print' });
    assert.deepEqual(
      await page.evaluate(() =>
        ['tasks', 'run', 'fields', 'statement', 'download-chart'].filter(
          (id) => document.getElementById(id).offsetParent,
        ),
      ),
      [],
    );
    for (const [code, most] of [
      [101, 1],
      [112, 2], // the longest and widest report
    ]) {
      await page.emulateMedia({ media: 'screen' });
      await run(page, code);
      await page.emulateMedia({ media: 'print' });
      const pdf = String(await page.pdf({ format: 'A4' }));
      const pages = (pdf.match(/\/Type\s*\/Page[^s]/g) || []).length;
      assert.ok(pages >= 1 && pages <= most, `task ${code} prints on ${pages} pages`);
    }
    await page.close();
  });

  it('prints the chart the width of the sheet, its labels at print size, without the read-out', async () => {
    const { page } = await openPage(browser);
    await run(page, 103);
    const printed = async () => {
      await page.emulateMedia({ media: 'print' });
      const chart = await page.evaluate(() => {
        const canvas = document.querySelector('canvas:not(#chart)');
        const r = canvas?.getBoundingClientRect();
        return canvas && r.width > 0
          ? { w: r.width, h: r.height, pixels: canvas.width / r.width, image: canvas.toDataURL() }
          : null;
      });
      await page.emulateMedia({ media: 'screen' });
      return chart;
    };
    const before = await printed();
    assert.ok(before, 'a chart is printed');
    // 180 mm or more across (96 px to the inch), and drawn at that size, so
    // that its 11 px labels print at 8 pt, not shrunk.
    assert.ok(before.w >= (180 * 96) / 25.4, `printed ${before.w} px wide`);
    assert.ok(before.h >= (90 * 96) / 25.4, `printed ${before.h} px high`);
    assert.ok(Number.isInteger(before.pixels) && before.pixels >= 2, `${before.pixels} pixels per CSS pixel`);
    const box = await page.locator('#chart').boundingBox();
    await page.mouse.move(box.x + box.width * 0.4, box.y + box.height / 2);
    await page.locator('#readout').filter({ hasText: 'Xa =' }).waitFor();
    assert.equal((await printed()).image, before.image, 'the read-out is not printed');
    await page.close();
  });

  it('has no accessibility violations with a result, pins and a message', async () => {
    const { page } = await openPage(browser);
    await run(page, 101);
    await page.getByRole('button', { name: 'Закрепить для сравнения' }).click();
    await run(page, 101, '0.3');
    await page.locator('#field1').fill('abc');
    await page.getByRole('button', { name: 'Рассчитать', exact: true }).click();
    assert.deepEqual(await axeViolations(page), []);
    await page.emulateMedia({ colorScheme: 'dark' });
    assert.deepEqual(await axeViolations(page), [], 'in dark mode too');
    await page.close();
  });
});

describe('on a phone', () => {
  let browser;
  let page;
  before(async () => {
    browser = await openBrowser(PHONE);
    ({ page } = await openPage(browser));
  });
  after(async () => browser.close());

  it('brings the answer into view after Run, in one column: data, Run, optimum, chart, report', async () => {
    await run(page, 101);
    assert.deepEqual(await outsideViewport(page, ['optimum']), []);
    const tops = await page.evaluate(() =>
      ['fields', 'run', 'optimum', 'chart', 'report'].map(
        (id) => document.getElementById(id).getBoundingClientRect().top,
      ),
    );
    assert.deepEqual(
      tops,
      tops.slice().sort((a, b) => a - b),
    );
  });

  it('never scrolls sideways, even with four pinned runs, and every target takes a finger', async () => {
    for (const k2 of ['0.2', '0.3', '0.4', '0.6']) {
      await run(page, 101, k2);
      await page.getByRole('button', { name: 'Закрепить для сравнения' }).click();
    }
    await run(page, 101, '0.7');
    assert.equal(await page.evaluate(() => window.ReactOpt.drawn().pins.length), 4);
    assert.equal(await scrollsSideways(page), false);
    assert.deepEqual(await smallTargets(page), []);
  });

  it('lets every report line be read: the panel scrolls sideways and says so', async () => {
    for (const code of [101, 112]) {
      await run(page, code);
      const report = await page.evaluate(() => {
        const pre = document.getElementById('report');
        const sign = document.getElementById('report-sign');
        return {
          wider: pre.scrollWidth > pre.clientWidth,
          scrolls: getComputedStyle(pre).overflowX === 'auto',
          sign: sign.offsetParent !== null && sign.getBoundingClientRect().width > 0,
        };
      });
      assert.deepEqual(report, { wider: true, scrolls: true, sign: true }, `task ${code}`);
    }
    assert.deepEqual(await axeViolations(page), []);
  });

  it("fits one's own task file, its faulty line shown, to a finger without sideways scrolling", async () => {
    await run(page, 'own');
    const box = page.getByLabel('Текст файла задачи');
    await box.fill(`${await box.inputValue()}\n[[parameter]]\nname = "k_with_a_rather_long_name_that_goes_on"\n`);
    await page.locator('#scheme-message.error').waitFor();
    assert.equal(await scrollsSideways(page), false);
    assert.deepEqual(await smallTargets(page), []);
    assert.deepEqual(await axeViolations(page), []);
  });

  it("fits the teacher's panel with its files, and the self-check form, to a finger without sideways scrolling", async () => {
    await page.goto(`${page.url().split('#')[0]}#variants`);
    await page.getByRole('button', { name: 'Все', exact: true }).click();
    await page.getByLabel('Вариантов каждой задачи').fill('2');
    await page.locator('#kit-ranges summary').click();
    await Promise.all([
      page.waitForEvent('download'),
      page.getByRole('button', { name: 'Создать', exact: true }).click(),
    ]);
    const link = (await page.locator('#kit-links').inputValue()).split('\n')[0];
    for (const shown of ['panel', 'self-check']) {
      if (shown === 'self-check') {
        await page.goto(link.slice(link.indexOf(': ') + 2));
        await page.locator('#answer1').fill('0,5');
        await page.getByRole('button', { name: 'Проверить', exact: true }).click();
        await page.getByRole('button', { name: 'Показать ответ', exact: true }).click();
      }
      assert.equal(await scrollsSideways(page), false, shown);
      assert.deepEqual(await smallTargets(page), [], shown);
      assert.deepEqual(await axeViolations(page), [], shown);
    }
  });
});
