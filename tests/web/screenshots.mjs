// Takes the browser edition's screenshots for the README:
//   node tests/web/screenshots.mjs [OUT_DIR]   (default docs/)

import path from 'node:path';
import { missingPrerequisite, openBrowser, openPage, root } from './support.mjs';

const missing = missingPrerequisite();
if (missing) {
  console.error(missing);
  process.exit(1);
}
const out = process.argv[2] || path.join(root, 'docs');

const browser = await openBrowser();
try {
  const { page } = await openPage(browser);
  await page.setViewportSize({ width: 1280, height: 760 });
  const tasks = page.getByLabel('Задачи', { exact: true });

  await tasks.selectOption('103');
  await page.getByLabel('k2,м3/(кмоль*с)', { exact: true }).fill('0.4');
  await page.screenshot({ path: path.join(out, 'web-task-and-data.png') });

  await page.getByRole('button', { name: 'Run', exact: true }).click();
  await page.locator('#results').scrollIntoViewIfNeeded();
  await page.locator('#results').screenshot({ path: path.join(out, 'web-result.png') });

  await tasks.selectOption('101');
  await page.getByRole('button', { name: 'Run', exact: true }).click();
  await page.getByRole('button', { name: 'Pin for comparison' }).click();
  await page.getByLabel('Конст. k2, 1/с', { exact: true }).fill('0.3');
  await page.getByRole('button', { name: 'Run', exact: true }).click();
  await page.locator('#results').screenshot({ path: path.join(out, 'web-compare.png') });
  console.log(`screenshots in ${out}`);
} finally {
  await browser.close();
}
