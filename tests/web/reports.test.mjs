// The page's reports and charts are the desktop program's: for every task, with
// its default data and with random textbook-style data typed into its fields,
// the downloaded "opt.out" equals the native runner's byte for byte, and the
// chart draws the runner's points.

import assert from 'node:assert/strict';
import { after, before, describe, it } from 'node:test';
import { downloadOf, missingPrerequisite, nativeRun, openBrowser, openPage } from './support.mjs';

const missing = missingPrerequisite();
if (missing) {
  console.log(`skipped: ${missing}`);
  process.exit(77);
}

const CODES = Array.from({ length: 25 }, (_, i) => 101 + i);
const RANDOM_SETS = 3;

// A small seeded generator, so that a failure can be run again.
const seed = Number(process.env.REACTOPT_SEED || Date.now() % 100000);
let state = seed >>> 0 || 1;
function random() {
  state ^= state << 13;
  state >>>= 0;
  state ^= state >>> 17;
  state ^= state << 5;
  state >>>= 0;
  return state / 2 ** 32;
}

// Textbook-style data: each value one of the offered ones scaled by 0.5 to 2,
// written with at most 4 significant digits, as a student would type it.
function randomText(offered) {
  const base = Number(offered[Math.floor(random() * offered.length)]);
  const value = base * (0.5 + 1.5 * random());
  return String(Number(value.toPrecision(3)));
}

// The chart series as the desktop chart keeps them: each point placed after
// every point whose X is not greater.
function desktopSeries(points, column) {
  const series = [];
  for (const p of points) {
    let pos = series.length;
    while (pos > 0 && series[pos - 1][0] > p[0]) --pos;
    series.splice(pos, 0, [p[0], p[column]]);
  }
  return series;
}

describe(`reports and charts match the desktop program (seed ${seed})`, () => {
  let browser;
  let page;
  before(async () => {
    browser = await openBrowser();
    ({ page } = await openPage(browser));
  });
  after(async () => {
    assert.deepEqual(browser.requests, [], 'the page asked for nothing from the network');
    await browser.close();
  });

  async function chooseTask(code) {
    await page.getByLabel('Задачи', { exact: true }).selectOption(String(code));
    await page.getByRole('heading', { name: new RegExp(`^Задача ${code}\\.`) }).waitFor();
  }

  // Runs the current task through the page and checks report and chart
  // against the native runner given the same texts.
  async function runAndCompare(code, texts) {
    const runsBefore = await page.getByLabel('Расчёты').locator('option').count();
    const native = nativeRun(code, texts);
    await page.getByRole('button', { name: 'Рассчитать' }).click();
    if (native.refusal) {
      assert.equal(await page.getByRole('alert').textContent(), native.refusal);
      assert.equal(await page.getByLabel('Расчёты').locator('option').count(), runsBefore, 'a refused run adds no run');
      return 'refused';
    }
    const { bytes, name } = await downloadOf(page, page.getByRole('button', { name: 'Скачать отчёт' }));
    assert.equal(name, 'opt.out');
    assert.ok(bytes.equals(native.report), `task ${code} (${texts.join(' ')}): downloaded report differs from opt.out`);

    const drawn = await page.evaluate(() => window.ReactOpt.drawn().current);
    assert.equal(drawn.series1.length, native.chart.length, `task ${code}: point count`);
    assert.deepEqual(drawn.series1, desktopSeries(native.chart, 1), `task ${code}: red series`);
    assert.deepEqual(drawn.series2, desktopSeries(native.chart, 2), `task ${code}: blue series`);
    return 'ran';
  }

  it('every task with its default data', async () => {
    for (const code of CODES) {
      await chooseTask(code);
      const fields = page.locator('#fields input');
      const slots = await fields.evaluateAll((inputs) => inputs.map((i) => Number(i.dataset.slot)));
      // The defaults go to the runner as it would take them itself: left out.
      assert.deepEqual(
        slots,
        slots.slice().sort((a, b) => a - b),
      );
      assert.ok(slots.length > 0, `task ${code} shows its fields`);
      assert.equal(await runAndCompare(code, []), 'ran', `task ${code} runs with its defaults`);
    }
  });

  it(`every task with ${RANDOM_SETS} random textbook-style data sets typed in`, async () => {
    let refused = 0;
    for (const code of CODES) {
      await chooseTask(code);
      const fields = page.locator('#fields input');
      const count = await fields.count();
      for (let set = 0; set < RANDOM_SETS; ++set) {
        const texts = [];
        for (let i = 0; i < count; ++i) {
          const field = fields.nth(i);
          const offered = await field.evaluate((input) =>
            Array.from(input.parentElement.querySelectorAll('.choices button')).map((b) => b.textContent),
          );
          const text = randomText(offered);
          await field.fill(text);
          texts.push({ slot: Number(await field.getAttribute('data-slot')), text });
        }
        // The runner takes the values in slot order; fields are in slot order.
        const args = [];
        for (const { slot, text } of texts) {
          while (args.length < slot - 1) args.push(null);
          args[slot - 1] = text;
        }
        if ((await runAndCompare(code, argsForRunner(code, args))) === 'refused') refused += 1;
      }
    }
    console.log(`random sets: ${CODES.length * RANDOM_SETS}, refused by both: ${refused}`);
  });
});

// The runner's arguments for values typed into the fields of slots 1..n. The
// runner has no way to skip a slot, so the fields must have none between them.
function argsForRunner(code, args) {
  assert.ok(
    args.every((a) => a !== null && a !== undefined),
    `task ${code}: fields without a gap`,
  );
  return args;
}
