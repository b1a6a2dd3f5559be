// How fast the page is: from opening the file to ready, and one Run of each
// task with its default data, report and chart redraw included. Prints the
// figures. The aims are ready within 1 s and a Run within one frame of 16 ms;
// the test fails at twice and three times them, since a shared machine makes
// single timings noisy, and when the typical task needs more than a frame.

import assert from 'node:assert/strict';
import { after, before, it } from 'node:test';
import { missingPrerequisite, openBrowser, openPage } from './support.mjs';

const missing = missingPrerequisite();
if (missing) {
  console.log(`skipped: ${missing}`);
  process.exit(77);
}

const REPEATS = 5;
const READY_LIMIT_MS = Number(process.env.REACTOPT_READY_LIMIT_MS || 2000);
const RUN_LIMIT_MS = Number(process.env.REACTOPT_RUN_LIMIT_MS || 48);
const FRAME_MS = 16;

let browser;
before(async () => {
  browser = await openBrowser();
});
after(async () => browser.close());

const median = (xs) => xs.slice().sort((a, b) => a - b)[Math.floor(xs.length / 2)];

it('is ready soon after opening from disk', async () => {
  const times = [];
  for (let i = 0; i < 3; ++i) {
    const { page, readyMs } = await openPage(browser);
    // The page's own figure: navigation start to ready.
    const own = await page.evaluate(() => Number(document.body.dataset.readyMs));
    times.push(Number.isFinite(own) ? own : readyMs);
    await page.close();
  }
  console.log(
    `ready after opening: median ${median(times).toFixed(0)} ms (${times.map((t) => t.toFixed(0)).join(', ')})`,
  );
  assert.ok(median(times) < READY_LIMIT_MS, `ready in ${median(times)} ms`);
});

it('runs every task, report and chart included, quickly', async () => {
  const { page } = await openPage(browser);
  const rows = [];
  for (let code = 101; code <= 125; ++code) {
    await page.getByLabel('Задачи', { exact: true }).selectOption(String(code));
    // A Run press as the user makes it; the handler writes the report and
    // draws the chart before it returns, so the time to the next frame is
    // what the user waits.
    const times = await page.evaluate(async (repeats) => {
      const out = [];
      const button = document.getElementById('run');
      for (let i = 0; i < repeats; ++i) {
        const t0 = performance.now();
        button.click();
        out.push(performance.now() - t0);
        await new Promise((r) => requestAnimationFrame(() => r()));
      }
      return out;
    }, REPEATS);
    rows.push({ code, ms: median(times) });
  }
  const worst = rows.reduce((a, b) => (b.ms > a.ms ? b : a));
  const within = rows.filter((r) => r.ms <= 16).length;
  console.log(`Run, median of ${REPEATS} per task (ms): ${rows.map((r) => `${r.code} ${r.ms.toFixed(1)}`).join(', ')}`);
  console.log(
    `Run: ${within} of 25 tasks within 16 ms; slowest ${worst.code} at ${worst.ms.toFixed(1)} ms; median over tasks ${median(rows.map((r) => r.ms)).toFixed(1)} ms`,
  );
  assert.ok(worst.ms < RUN_LIMIT_MS, `task ${worst.code} took ${worst.ms} ms`);
  assert.ok(median(rows.map((r) => r.ms)) <= FRAME_MS, 'the typical task needs more than a frame');
  await page.close();
});
