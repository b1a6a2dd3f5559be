// A task file of one's own on the page, at a laptop's and a phone's size:
// typed, run (the report that of reactopt-batch for the same file), pinned,
// linked with the text in the link, kept across a reload, opened from and
// saved to disk; a faulty file shows the core's message and its line.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, beforeEach, describe, it } from 'node:test';
import { batchPath, downloadOf, missingPrerequisite, openBrowser, openPage, pageUrl } from './support.mjs';

const missing = missingPrerequisite();
if (missing) {
  console.log(`skipped: ${missing}`);
  process.exit(77);
}

// A scheme none of the examples is: consecutive reactions in a plug-flow
// reactor with a given volume.
const SCHEME = `title = "Последовательные реакции с побочным продуктом"
reactor = "plug-flow"
key = "A"
target = "R"
reactions = ["A -> R : k1", "R -> S : k2", "A -> T : 0.1"]

[inlet]
A = "Ca0"

[flow]
volume = 2

[[parameter]]
name = "k1"
label = "Конст. k1, 1/с"
offered = [1, 0.5, 2]

[[parameter]]
name = "k2"
label = "Конст. k2, 1/с"
offered = [0.3, 0.1, 0.6]

[[parameter]]
name = "Ca0"
label = "Конц. A на входе, кмоль/м3"
offered = [1, 2, 3]
`;

// The native runner's report of `text` with `values`, in a folder of its own.
function nativeReport(text, values) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-own-'));
  try {
    fs.writeFileSync(path.join(dir, 'своя.toml'), text);
    execFileSync(batchPath, ['своя.toml', ...values], { cwd: dir, stdio: ['ignore', 'pipe', 'pipe'] });
    return fs.readFileSync(path.join(dir, 'opt.out'));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

const SIZES = [
  ['laptop', { viewport: { width: 1366, height: 768 } }],
  ['phone', { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true, deviceScaleFactor: 2 }],
];

for (const [size, options] of SIZES) {
  describe(`one's own task file on a ${size}`, () => {
    let browser;
    let page;
    let errors;
    before(async () => {
      browser = await openBrowser(options);
    });
    after(async () => {
      assert.deepEqual(browser.requests, [], 'the page asked for nothing from the network');
      await browser.close();
    });
    beforeEach(async () => {
      if (page) {
        await page.evaluate(() => localStorage.clear());
        await page.close();
      }
      ({ page, errors } = await openPage(browser));
    });

    const box = () => page.getByLabel('Текст файла задачи');
    const field = (label) => page.getByLabel(label, { exact: true });
    const run = () => page.getByRole('button', { name: 'Рассчитать', exact: true }).click();
    const reportBytes = () =>
      downloadOf(page, page.getByRole('button', { name: 'Скачать отчёт' })).then((d) => d.bytes);
    const optimumText = () => page.locator('#optimum').textContent();

    // Chooses «Своя задача» and types SCHEME into its box; resolves once the
    // core has read it (its three parameters).
    async function typeScheme(text) {
      await page.getByLabel('Задачи', { exact: true }).selectOption('own');
      await box().fill(text);
      await page.locator('#scheme-message', { hasText: 'параметров — 3' }).waitFor();
    }

    async function runShows(caption) {
      await run();
      await page.locator('#result-caption', { hasText: caption }).waitFor();
    }

    it('offers an example in the box, runs a scheme typed there as reactopt-batch does, and pins it', async () => {
      await page.getByLabel('Задачи', { exact: true }).selectOption('own');
      assert.match(await box().inputValue(), /^title = "Реакция A \+ B -> R/);
      await typeScheme(SCHEME);
      await field('Конст. k1, 1/с').waitFor();
      assert.equal(await field('Конст. k2, 1/с').inputValue(), '0.3');
      await field('Конст. k2, 1/с').fill('0,2');
      await run();
      await page.locator('#result-caption', { hasText: 'своя.out( 1)' }).waitFor();
      assert.match(await optimumText(), /^YR = 0\.\d{4}Xa = 0\.\d{4}t = /);
      assert.deepEqual(await reportBytes(), nativeReport(SCHEME, ['1', '0,2']));
      await page.getByRole('button', { name: 'Закрепить для сравнения' }).click();
      await field('Конст. k1, 1/с').fill('2');
      await run();
      await page.locator('#result-caption', { hasText: 'своя.out( 2)' }).waitFor();
      const drawn = await page.evaluate(() => globalThis.ReactOpt.drawn());
      assert.equal(drawn.pins.length, 1);
      assert.equal(drawn.pins[0].caption, 'своя.out( 1)');
      assert.deepEqual(await reportBytes(), nativeReport(SCHEME, ['2', '0,2']));
      assert.deepEqual(errors, []);
    });

    it('keeps the text, the runs and the pins across a reload, each run with the text it ran', async () => {
      await typeScheme(SCHEME);
      await field('Конст. k1, 1/с').fill('0.5');
      await runShows('своя.out( 1)');
      await page.getByRole('button', { name: 'Закрепить для сравнения' }).click();
      const first = await reportBytes();
      // The text changes after the run: the run keeps the text it ran.
      await box().fill(SCHEME.replace('0.1"]', '0.2"]'));
      await page.waitForFunction(() => /Схема прочитана/.test(document.getElementById('scheme-message').textContent));
      await page.reload();
      await page.waitForFunction(() => document.body.dataset.ready === 'true');
      assert.equal(await box().inputValue(), SCHEME.replace('0.1"]', '0.2"]'));
      assert.deepEqual(await page.getByLabel('Расчёты').locator('option').allTextContents(), ['своя.out( 1)']);
      assert.deepEqual(await reportBytes(), first);
      assert.equal((await page.evaluate(() => globalThis.ReactOpt.drawn())).current.caption, 'своя.out( 1)');
    });

    it('makes a link that carries the text and the values, and the link opens them in another tab', async () => {
      await typeScheme(SCHEME);
      await field('Конст. k1, 1/с').fill('1,5');
      await page.getByRole('button', { name: 'Копировать ссылку' }).click();
      await page.locator('#notice', { hasText: '#s:' }).waitFor();
      const link = /(file:\S+)/.exec(await page.locator('#notice').textContent())[1];
      assert.match(link, /#s:[A-Za-z0-9_-]+\?k1=1,5&k2=0\.3&Ca0=1$/);
      assert.ok(link.length < 1000, `a link of ${link.length} characters`);
      await page.waitForFunction((l) => location.href === l, link);
      await page.evaluate(() => localStorage.clear());
      const other = await openPage(browser, link.slice(link.indexOf('#')));
      assert.equal(await other.page.getByLabel('Текст файла задачи').inputValue(), SCHEME);
      assert.equal(await other.page.getByLabel('Конст. k1, 1/с', { exact: true }).inputValue(), '1,5');
      await other.page.getByRole('button', { name: 'Рассчитать', exact: true }).click();
      await other.page.locator('#result-caption', { hasText: 'своя.out( 1)' }).waitFor();
      const bytes = (await downloadOf(other.page, other.page.getByRole('button', { name: 'Скачать отчёт' }))).bytes;
      assert.deepEqual(bytes, nativeReport(SCHEME, ['1,5']));
      assert.deepEqual(other.errors, []);
      await other.page.close();
    });

    it('opens an example by name with the values of its link, its text read-only until copied', async () => {
      await page.goto(`${pageUrl}#ex:dimer-tank?k1=2&Cb0=1`);
      await page.waitForFunction(() => document.body.dataset.ready === 'true');
      assert.equal(await page.getByLabel('Задачи', { exact: true }).inputValue(), 'ex:dimer-tank');
      assert.equal(await field('Конст. k1, м3/(кмоль*с)').inputValue(), '2');
      assert.equal(await field('Конц. B на входе, кмоль/м3').inputValue(), '1');
      assert.equal(await box().getAttribute('readonly'), '');
      await runShows('dimer-tank.out( 1)');
      await page.getByRole('button', { name: 'Изменить как свою задачу' }).click();
      assert.equal(await page.getByLabel('Задачи', { exact: true }).inputValue(), 'own');
      assert.equal(await box().getAttribute('readonly'), null);
      assert.equal(await field('Конст. k1, м3/(кмоль*с)').inputValue(), '2');
    });
  });
}

describe('a faulty task file or link', () => {
  let browser;
  let page;
  before(async () => {
    browser = await openBrowser({ viewport: { width: 1366, height: 768 } });
    ({ page } = await openPage(browser));
  });
  after(() => browser.close());

  // [what is wrong, the text, the message's words, the line quoted]
  const FAULTS = [
    ['an undefined parameter', SCHEME.replace('"A -> T : 0.1"', '"A -> T : k9"'), /строка 5\b.*«k9»/, 'reactions ='],
    ['a Cyrillic letter for A', SCHEME.replace('key = "A"', 'key = А'), /строка 3\b.*«А»/, 'key = А'],
    ['two offered values', SCHEME.replace('[1, 2, 3]', '[1, 2]'), /строка 26\b.*три предлагаемых/, 'offered = [1, 2]'],
  ];
  for (const [what, text, message, line] of FAULTS) {
    it(`names the line of ${what} under the text, with no fields to run`, async () => {
      await page.getByLabel('Задачи', { exact: true }).selectOption('own');
      await page.getByLabel('Текст файла задачи').fill(text);
      await page.locator('#scheme-message.error', { hasText: message }).waitFor();
      assert.match(
        await page.locator('#scheme-line').textContent(),
        new RegExp(`^\\d+: ${line.replace(/[[\]]/g, '\\$&')}`),
      );
      assert.equal(await page.getByRole('button', { name: 'Рассчитать', exact: true }).isVisible(), false);
      // Mended, the fields are back.
      await page.getByLabel('Текст файла задачи').fill(SCHEME);
      await page.getByLabel('Конст. k1, 1/с', { exact: true }).waitFor();
    });
  }

  it('makes no link of a file too large for one, and says to send the file', async () => {
    // 40 KB of a statement that deflate cannot shrink much.
    let seed = 7;
    const noise = Array.from({ length: 40000 }, () => {
      seed ^= seed << 13;
      seed ^= seed >>> 17;
      seed ^= seed << 5;
      return 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-'[(seed >>> 0) % 64];
    }).join('');
    await page.getByLabel('Задачи', { exact: true }).selectOption('own');
    await page.getByLabel('Текст файла задачи').fill(`statement = """${noise}"""\n${SCHEME}`);
    await page.locator('#scheme-message', { hasText: 'параметров — 3' }).waitFor();
    const before = page.url();
    await page.getByRole('button', { name: 'Копировать ссылку' }).click();
    await page.locator('#notice', { hasText: 'слишком велик для ссылки' }).waitFor();
    assert.equal(page.url(), before);
  });

  // [what, the address after "#", the message]
  const LINKS = [
    ['cut short', 's:q1Yq', /повреждена/],
    ['too long', `s:${'A'.repeat(30000)}`, /слишком большую задачу/],
    // "A" a million times packs into a few hundred bytes.
    ['unpacking past the limit', 'huge', /больше 64 КБ/],
  ];
  for (const [what, hash, message] of LINKS) {
    it(`refuses a link that is ${what} with a message`, async () => {
      let address = hash;
      if (hash === 'huge') {
        address = await page.evaluate(async () => {
          const bytes = new TextEncoder().encode('A'.repeat(1 << 20));
          const packed = new Uint8Array(
            await new Response(
              new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate-raw')),
            ).arrayBuffer(),
          );
          return `s:${btoa(String.fromCharCode(...packed))
            .replace(/\+/g, '-')
            .replace(/\//g, '_')
            .replace(/=+$/, '')}`;
        });
      }
      await page.evaluate((a) => (location.hash = a), address);
      await page.locator('#message', { hasText: message }).waitFor();
    });
  }
});

describe('a task file on disk', () => {
  let browser;
  let page;
  before(async () => {
    browser = await openBrowser({ viewport: { width: 1366, height: 768 } });
    ({ page } = await openPage(browser));
  });
  after(() => browser.close());

  it('opens a .toml into «Своя задача» under its name and saves the text back as that file', async () => {
    await page.getByLabel('Задачи', { exact: true }).selectOption('own');
    await page.locator('#scheme-file').setInputFiles({
      name: 'цепочка.toml',
      mimeType: 'text/plain',
      buffer: Buffer.from(`\uFEFF${SCHEME}`),
    });
    await page.locator('#scheme-name', { hasText: 'цепочка.toml' }).waitFor();
    assert.equal(await page.getByLabel('Текст файла задачи').inputValue(), SCHEME);
    await page.getByRole('button', { name: 'Рассчитать', exact: true }).click();
    await page.locator('#result-caption', { hasText: 'цепочка.out( 1)' }).waitFor();
    const saved = await downloadOf(page, page.getByRole('button', { name: 'Сохранить файл' }));
    assert.equal(saved.name, 'цепочка.toml');
    assert.equal(String(saved.bytes), SCHEME);
  });

  it('refuses a file that is not UTF-8 and keeps the text', async () => {
    const before = await page.getByLabel('Текст файла задачи').inputValue();
    await page.locator('#scheme-file').setInputFiles({
      name: 'cp1251.toml',
      mimeType: 'text/plain',
      buffer: Buffer.from([0x74, 0x69, 0xf2, 0xeb, 0x65]),
    });
    await page.locator('#notice', { hasText: 'не в кодировке UTF-8' }).waitFor();
    assert.equal(await page.getByLabel('Текст файла задачи').inputValue(), before);
  });
});
