// The page as a student works it: by labels, buttons and the keyboard, opened
// from disk with the network cut off.

import assert from 'node:assert/strict';
import { after, before, beforeEach, describe, it } from 'node:test';
import { downloadOf, missingPrerequisite, nativeRun, openBrowser, openPage } from './support.mjs';

const missing = missingPrerequisite();
if (missing) {
  console.log(`skipped: ${missing}`);
  process.exit(77);
}

let browser;
let page;
let pageErrors;

before(async () => {
  browser = await openBrowser();
});
after(async () => {
  assert.deepEqual(browser.requests, [], 'the page asked for nothing from the network');
  await browser.close();
});
beforeEach(async () => {
  if (page) await page.close();
  ({ page, errors: pageErrors } = await openPage(browser));
});

const tasks = () => page.getByLabel('Задачи', { exact: true });
const runButton = () => page.getByRole('button', { name: 'Run', exact: true });
const runs = () => page.getByLabel('Runs');
const report = () => page.getByRole('region', { name: 'Report', exact: true });
const runCaptions = () => runs().locator('option').allTextContents();

async function chooseTask(code) {
  await tasks().selectOption(String(code));
  await page.getByRole('heading', { name: `InitialData Task №${code}` }).waitFor();
}

describe('opened from disk', () => {
  it('lists the 25 tasks by code and title and shows the statement chosen', async () => {
    const options = await tasks().locator('option').allTextContents();
    assert.equal(options.length, 25);
    assert.match(options[0], /^101\s+Последовательные реакции первого порядка в реакторе смешения$/);
    assert.match(options[24], /^125\s+/);
    await chooseTask(117);
    assert.match(await page.getByRole('region', { name: 'Statement' }).textContent(), /^Задача 117/);
    assert.equal(page.url().startsWith('file://'), true);
    assert.deepEqual(pageErrors, []);
  });

  it('offers each field of the data file under its label with its three values', async () => {
    await chooseTask(102);
    const k1 = page.getByLabel('Конст. k1, 1/с', { exact: true });
    assert.equal(await k1.inputValue(), '1.00000');
    const offered = await k1.evaluate((input) => Array.from(input.list.options).map((o) => o.value));
    assert.deepEqual(offered, ['1.00000', '0.50000', '2.00000']);
    assert.equal(await page.locator('#fields input').count(), 5);
    await page.getByRole('button', { name: 'Конст. k1, 1/с = 2.00000' }).click();
    assert.equal(await k1.inputValue(), '2.00000');
  });
});

describe('Run', () => {
  it('shows the report and numbers the runs per task as the desktop does', async () => {
    await chooseTask(101);
    await runButton().click();
    await runButton().click();
    await chooseTask(102);
    await runButton().click();
    await chooseTask(101);
    await runButton().click();
    assert.deepEqual(await runCaptions(), ['zad101.out( 1)', 'zad101.out( 2)', 'zad102.out( 1)', 'zad101.out( 3)']);
    assert.equal(await page.getByRole('img', { name: 'Chart' }).count(), 1);
    const native = nativeRun(101, []);
    assert.equal(await report().textContent(), new TextDecoder('windows-1251').decode(native.report).replace(/\r\n/g, '\n'));
    // An earlier run can be shown again.
    await runs().selectOption({ label: 'zad102.out( 1)' });
    assert.match(await report().textContent(), /Исходные данные/);
    assert.equal(await page.getByRole('heading', { name: 'zad102.out( 1)' }).count(), 1);
    const { bytes } = await downloadOf(page, page.getByRole('button', { name: 'Download report' }));
    assert.ok(bytes.equals(nativeRun(102, []).report));
  });

  it('saves the chart as a PNG', async () => {
    await runButton().click();
    const { bytes, name } = await downloadOf(page, page.getByRole('button', { name: 'Download chart' }));
    assert.match(name, /\.png$/);
    assert.deepEqual([...bytes.subarray(0, 8)], [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
    assert.ok(bytes.length > 2000);
  });

  it('refuses a text that is not a number, naming the field, and changes nothing', async () => {
    await chooseTask(101);
    await runButton().click();
    const before = await report().textContent();
    const k2 = page.getByLabel('Конст. k2, 1/с', { exact: true });
    await k2.fill('1,000.5');
    await runButton().click();
    assert.equal(await page.getByRole('alert').textContent(), 'Недопустимое числовое значение в поле «Конст. k2, 1/с»: «1,000.5»');
    assert.equal(await k2.evaluate((el) => el === document.activeElement), true, 'the field takes the focus');
    assert.deepEqual(await runCaptions(), ['zad101.out( 1)']);
    assert.equal(await report().textContent(), before);
    assert.equal(await k2.inputValue(), '1,000.5', 'the text typed stays');
    // Blanks around a number do no harm.
    await k2.fill('  0.25 ');
    await runButton().click();
    assert.equal(await page.getByRole('alert').isHidden(), true);
    assert.deepEqual(await runCaptions(), ['zad101.out( 1)', 'zad101.out( 2)']);
    assert.match(await report().textContent(), /k2 = 0\.250/);
  });

  it('refuses data the task cannot take with the desktop message, and changes nothing', async () => {
    await chooseTask(101);
    await runButton().click();
    const before = await report().textContent();
    await page.getByLabel('Конст. k1, 1/с', { exact: true }).fill('0');
    await runButton().click();
    const refusal = nativeRun(101, ['0']).refusal;
    assert.equal(refusal, 'Недопустимые исходные данные: k1 = 0');
    assert.equal(await page.getByRole('alert').textContent(), refusal);
    assert.deepEqual(await runCaptions(), ['zad101.out( 1)']);
    assert.equal(await report().textContent(), before);
    const { bytes } = await downloadOf(page, page.getByRole('button', { name: 'Download report' }));
    assert.ok(bytes.equals(nativeRun(101, []).report), 'the report saved is still the last good one');
  });
});

describe('from the keyboard alone', () => {
  it('chooses a task, edits a value, runs, and reaches the report', async () => {
    await tasks().focus();
    await page.keyboard.press('ArrowDown'); // 102
    await page.keyboard.press('ArrowDown'); // 103
    await page.getByRole('heading', { name: 'InitialData Task №103' }).waitFor();
    // Tab through the statement to the first field.
    await page.keyboard.press('Tab');
    await page.keyboard.press('Tab');
    const focused = () => page.evaluate(() => document.activeElement.labels?.[0]?.textContent ?? document.activeElement.textContent);
    assert.equal(await focused(), 'k1,м3/(кмоль*с)');
    await page.keyboard.press('Control+A');
    await page.keyboard.type('0.8');
    await page.keyboard.press('Enter');
    assert.deepEqual(await runCaptions(), ['zad103.out( 1)']);
    const native = nativeRun(103, ['0.8']);
    const { bytes } = await downloadOf(page, page.getByRole('button', { name: 'Download report' }));
    assert.ok(bytes.equals(native.report));
    // Every control can be reached with Tab.
    const reached = new Set();
    for (let i = 0; i < 60; ++i) {
      await page.keyboard.press('Tab');
      reached.add(await page.evaluate(() => document.activeElement.id || document.activeElement.textContent));
    }
    for (const id of ['tasks', 'run', 'live', 'runs', 'report', 'download-report', 'download-chart', 'pin']) {
      assert.ok(reached.has(id), `${id} is reached with Tab`);
    }
  });
});

describe('live mode', () => {
  it('re-runs at every value that parses, without Run and without a new numbered run', async () => {
    await chooseTask(101);
    await runButton().click();
    await page.getByLabel('Live mode').check();
    const k2 = page.getByLabel('Конст. k2, 1/с', { exact: true });
    await k2.fill('');
    await k2.pressSequentially('0.3');
    await page.waitForFunction(() => /k2 = 0\.300/.test(document.getElementById('report').textContent));
    const native = nativeRun(101, ['1', '0.3']);
    const { bytes } = await downloadOf(page, page.getByRole('button', { name: 'Download report' }));
    assert.ok(bytes.equals(native.report));
    const drawn = await page.evaluate(() => window.ReactOpt.drawn().current.series2.map((p) => p[1]));
    assert.deepEqual(drawn, native.chart.map((p) => p[2]));
    // A text that does not parse leaves the last live result as it is.
    await k2.fill('0.3x');
    await page.getByRole('alert').filter({ hasText: '«Конст. k2, 1/с»: «0.3x»' }).waitFor();
    assert.match(await report().textContent(), /k2 = 0\.300/);
    assert.equal(await k2.evaluate((el) => el === document.activeElement), true, 'the focus stays in the field');
    assert.deepEqual(await runCaptions(), ['zad101.out( 1)']);
    // Off again: typing changes nothing until Run.
    await page.getByLabel('Live mode').uncheck();
    await k2.fill('0.4');
    await page.waitForTimeout(100);
    assert.match(await report().textContent(), /k2 = 0\.300/);
  });
});

describe('compare', () => {
  it('draws the pinned run dashed beside later runs of the same task, with both data sets', async () => {
    await chooseTask(101);
    await runButton().click();
    await page.getByRole('button', { name: 'Pin for comparison' }).click();
    await page.getByLabel('Конст. k2, 1/с', { exact: true }).fill('0.2');
    await runButton().click();
    const drawn = await page.evaluate(() => window.ReactOpt.drawn());
    assert.equal(drawn.pinned.caption, 'zad101.out( 1)');
    assert.equal(drawn.current.caption, 'zad101.out( 2)');
    assert.notDeepEqual(drawn.pinned.series2, drawn.current.series2);
    const legend = await page.locator('#compare').textContent();
    assert.match(legend, /zad101\.out\( 1\)[\s\S]*Конст\. k2, 1\/с = 1\.00000/);
    assert.match(legend, /zad101\.out\( 2\)[\s\S]*Конст\. k2, 1\/с = 0\.2/);
    // Another task is not compared with the pin.
    await chooseTask(102);
    await runButton().click();
    assert.equal((await page.evaluate(() => window.ReactOpt.drawn())).pinned, null);
    await page.getByRole('button', { name: 'Unpin' }).click();
    assert.equal(await page.locator('#compare').isHidden(), true);
  });
});

describe('window.ReactOpt.run', () => {
  it('runs a task with missing values taking the first offered value', async () => {
    const result = await page.evaluate(async () => {
      const r = await window.ReactOpt.run(104, [0.7]);
      return { report: Array.from(r.report), text: r.text, chart: r.chart };
    });
    const native = nativeRun(104, ['0.7']);
    assert.ok(Buffer.from(result.report).equals(native.report));
    assert.equal(result.text, new TextDecoder('windows-1251').decode(native.report));
    assert.deepEqual(result.chart, native.chart);
  });

  it('rejects with the refusal message', async () => {
    const messages = await page.evaluate(async () => {
      const m = [];
      for (const args of [[101, [0]], [99, []], [101, ['abc']]]) {
        await window.ReactOpt.run(...args).then(() => m.push('ran'), (e) => m.push(e.message));
      }
      return m;
    });
    assert.equal(messages[0], 'Недопустимые исходные данные: k1 = 0');
    assert.match(messages[1], /99/);
    assert.match(messages[2], /abc/);
  });
});
