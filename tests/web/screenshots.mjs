// Takes the browser edition's screenshots for the README:
//   node tests/web/screenshots.mjs [OUT_DIR]   (default docs/)
// web-task-and-data.png: a laptop screen with a task, its data and its result;
// web-compare.png: three runs of one task on one chart; web-phone.png: the
// answer on a phone after Run; web-teacher.png: the teacher's panel with the
// files it made (three tasks and a task file); web-self-check.png: a student's answers checked on a phone;
// web-own-scheme.png: one's own task file run on a laptop, two runs pinned;
// web-own-scheme-phone.png: a faulty task file's line on a phone;
// web-study.png: how the optimum of task 101 moves with k1, one point a gap.

import path from 'node:path';
import { missingPrerequisite, openBrowser, openPage, root } from './support.mjs';

const missing = missingPrerequisite();
if (missing) {
  console.error(missing);
  process.exit(1);
}
const out = process.argv[2] || path.join(root, 'docs');
const settle = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));

async function run(page, code, values = {}) {
  await page.getByLabel('Задачи', { exact: true }).selectOption(String(code));
  for (const [id, text] of Object.entries(values)) await page.locator(`#${id}`).fill(text);
  await page.getByRole('button', { name: 'Рассчитать', exact: true }).click();
  await settle(page);
}

// Task 101's k1 from 0, where the task refuses it, to 4 in 41 points.
async function study(page, code) {
  await page.getByLabel('Задачи', { exact: true }).selectOption(String(code));
  await page.locator('#study-low').fill('0');
  await page.locator('#study-high').fill('4');
  await page.locator('#study-count').fill('41');
  await page.getByRole('button', { name: 'Исследовать', exact: true }).click();
  await page.waitForFunction(() => document.getElementById('study').dataset.state === 'done');
  await page.locator('#study').scrollIntoViewIfNeeded();
}

const laptop = await openBrowser({ viewport: { width: 1280, height: 720 } });
try {
  const { page } = await openPage(laptop);
  await run(page, 103, { field2: '0,4' });
  await page.screenshot({ path: path.join(out, 'web-task-and-data.png') });

  for (const k2 of ['1', '0.3']) {
    await run(page, 101, { field2: k2 });
    await page.getByRole('button', { name: 'Закрепить для сравнения' }).click();
  }
  await run(page, 101, { field2: '0.15' });
  const chart = await page.locator('#chart').boundingBox();
  await page.mouse.move(chart.x + chart.width * 0.45, chart.y + chart.height / 2);
  await page.locator('#results').screenshot({ path: path.join(out, 'web-compare.png') });

  await study(page, 101);
  await page.locator('#study').screenshot({ path: path.join(out, 'web-study.png') });
  await page.setViewportSize({ width: 1366, height: 768 });
  await page.getByLabel('Задачи', { exact: true }).selectOption('own');
  await page.getByLabel('Конст. k2, м3/(кмоль*с)', { exact: true }).fill('2');
  await page.getByRole('button', { name: 'Рассчитать', exact: true }).click();
  await page.getByRole('button', { name: 'Закрепить для сравнения' }).click();
  await run(page, 'own', { field2: '0,5' });
  await page.evaluate(() => scrollTo(0, 0));
  await settle(page);
  await page.screenshot({ path: path.join(out, 'web-own-scheme.png') });

  await page.setViewportSize({ width: 1280, height: 1000 });
  await page.goto(`${page.url().split('#')[0]}#variants`);
  for (const code of ['101', '103', '107']) await page.locator(`#kit-task-list input[value="${code}"]`).check();
  await page.getByLabel(/^dimer-tank\.toml /).check();
  await page.getByLabel('Зерно (начальное число)').fill('2024');
  await page.getByLabel('Адрес страницы для ссылок').fill('https://example.org/reactopt.html');
  await page.locator('#kit-ranges summary').click();
  await page.getByRole('textbox', { name: 'Конст. k1, 1/с от', exact: true }).fill('0.5');
  await page.getByRole('textbox', { name: 'Конст. k1, 1/с до', exact: true }).fill('1.5');
  await Promise.all([
    page.waitForEvent('download'),
    page.getByRole('button', { name: 'Создать', exact: true }).click(),
  ]);
  await page.evaluate(() => document.activeElement.blur());
  await page.screenshot({ path: path.join(out, 'web-teacher.png') });
} finally {
  await laptop.close();
}

const phone = await openBrowser({
  viewport: { width: 390, height: 844 },
  hasTouch: true,
  isMobile: true,
  deviceScaleFactor: 2,
});
try {
  const { page } = await openPage(phone);
  await run(page, 101);
  await page.screenshot({ path: path.join(out, 'web-phone.png') });

  await page.getByLabel('Задачи', { exact: true }).selectOption('own');
  const box = page.getByLabel('Текст файла задачи');
  await box.fill((await box.inputValue()).replace('"2R -> S : k2"', '"2R -> S : k3"'));
  await page.locator('#scheme-message.error').waitFor();
  await page.locator('#scheme').scrollIntoViewIfNeeded();
  await page.screenshot({ path: path.join(out, 'web-own-scheme-phone.png') });

  // Task 101, k1 = 1, k2 = 0.5: CRmax = 0.343, Xa = 0.586, CS = 0.243.
  await page.goto(`${page.url().split('#')[0]}#101?k1=1&k2=0.5&variant=7`);
  await page.locator('#answer1').fill('0,343');
  await page.locator('#answer2').fill('0,59');
  await page.locator('#answer3').fill('0,243');
  await page.getByRole('button', { name: 'Проверить', exact: true }).click();
  await page.locator('#check').scrollIntoViewIfNeeded();
  await page.screenshot({ path: path.join(out, 'web-self-check.png') });
} finally {
  await phone.close();
}
console.log(`screenshots in ${out}`);
