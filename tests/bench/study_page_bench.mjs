// Timing of parameter studies of 101 points in the page itself, headless
// Chromium: from the button to the last point, to the first point on screen,
// and the longest wait between two frames meanwhile. The workers start when
// the student comes to the form, as they do on the page; the first study
// after that is timed apart. node study_page_bench.mjs

import { openBrowser, openPage } from '../web/support.mjs';

const ROUNDS = 6;
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const browser = await openBrowser({ viewport: { width: 1366, height: 768 } });
for (const [name, hash] of [
  ['Task103', '#103'],
  ['Task104', '#104'],
  ['Task101', '#101'],
  ['dimer-tank.toml', '#ex:dimer-tank'],
]) {
  const { page } = await openPage(browser, hash);
  await page.focus('#study-count');
  const rounds = [];
  for (let round = 0; round < ROUNDS; ++round) {
    rounds.push(
      await page.evaluate(async (count) => {
        const box = document.getElementById('study');
        const list = document.getElementById('study-parameter');
        list.value = list.options[0].value;
        list.dispatchEvent(new Event('change'));
        document.getElementById('study-count').value = String(count);
        const rows = () => document.querySelectorAll('#study-table tbody tr').length;
        const t0 = performance.now();
        let first = null;
        let longest = 0;
        let last = t0;
        const frame = (t) => {
          longest = Math.max(longest, t - last);
          last = t;
          if (first === null && rows()) first = performance.now() - t0;
          if (box.dataset.state === 'running') requestAnimationFrame(frame);
        };
        document.getElementById('study-run').click();
        requestAnimationFrame(frame);
        await new Promise((done) => {
          const check = () => (box.dataset.state === 'running' ? setTimeout(check, 1) : done());
          check();
        });
        return { total: performance.now() - t0, first, longest, workers: Number(box.dataset.workers) };
      }, 101),
    );
  }
  const later = rounds.slice(1);
  const f = (x) => x.toFixed(0);
  console.log(
    `Study101/${name} (page, Chromium, ${rounds[0].workers}-${median(later.map((r) => r.workers))} workers): ` +
      `${f(median(later.map((r) => r.total)))} ms, first points ${f(median(later.map((r) => r.first)))} ms, ` +
      `longest frame ${f(median(later.map((r) => r.longest)))} ms; the first study ${f(rounds[0].total)} ms`,
  );
  await page.close();
}
await browser.close();
