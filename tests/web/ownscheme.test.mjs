// A task file of one's own on the page, at a laptop's and a phone's size:
// typed, run (the report that of reactopt-batch for the same file), pinned,
// linked with the text in the link, kept across a reload, opened from and
// saved to disk; a faulty file shows the core's message and its line.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { after, before, beforeEach, describe, it } from 'node:test';
import {
  batchPath,
  downloadOf,
  missingPrerequisite,
  openBrowser,
  openPage,
  pageUrl,
  root,
  tasksDir,
} from './support.mjs';

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
      assert.match(link, /#s:[A-Za-z0-9_-]+\?file=%D1%81%D0%B2%D0%BE%D1%8F&k1=1,5&k2=0\.3&Ca0=1$/);
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

describe("task files in the teacher's panel", () => {
  let browser;
  let page;
  before(async () => {
    browser = await openBrowser({ viewport: { width: 1366, height: 768 } });
    ({ page } = await openPage(browser, '#variants'));
  });
  after(() => browser.close());

  // The fields of each line of a CSV the kit writes.
  const rows = (text) =>
    text
      .trim()
      .split('\n')
      .map((line) => Array.from(line.matchAll(/("(?:[^"]|"")*"|[^,]*)(?:,|$)/g), (m) => m[1]).slice(0, -1));

  it('draws a task file beside a code as reactopt-batch does, its links carrying the file, its self-check marking', async () => {
    const { unzipSync } = createRequire(path.join(root, 'web', 'package.json'))('fflate');
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-kit-own-'));
    execFileSync(batchPath, ['--variants', '3', '--seed', '5', '--out', folder, 'dimer-tank.toml', '111'], {
      cwd: tasksDir,
    });
    await page.getByRole('button', { name: 'Ни одной', exact: true }).click();
    await page.locator('#kit-task-list input[value="111"]').check();
    await page.getByLabel(/^dimer-tank\.toml /).check();
    await page.getByLabel('Вариантов каждой задачи').fill('3');
    await page.getByLabel('Зерно (начальное число)').fill('5');
    // The file's fields join the range table, named by the file.
    await page.locator('#kit-ranges summary').click();
    assert.match(await page.locator('#kit-range-rows').textContent(), /Конц\. B на входе.*в задаче dimer-tank/);
    const [download] = await Promise.all([
      page.waitForEvent('download'),
      page.getByRole('button', { name: 'Создать', exact: true }).click(),
    ]);
    const files = unzipSync(fs.readFileSync(await download.path()));
    for (const name of fs.readdirSync(folder)) {
      assert.ok(Buffer.from(files[name]).equals(fs.readFileSync(path.join(folder, name))), name);
    }
    const links = (await page.locator('#kit-links').inputValue()).split('\n');
    assert.equal(links.length, 6);
    assert.match(
      links[3],
      /^Задача dimer-tank, вариант 1: file:\S+#s:[A-Za-z0-9_-]+\?file=dimer-tank&k1=.*&variant=1$/,
    );
    const key = rows(fs.readFileSync(path.join(folder, 'answers-dimer-tank.csv'), 'utf8'));
    fs.rmSync(folder, { recursive: true, force: true });

    // The student opens the link in a browser of their own: the file comes
    // with it, and the form marks the key right and a last digit off wrong.
    const student = await openBrowser({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
    try {
      const url = links[3].slice(links[3].indexOf(': ') + 2);
      const { page: form, errors } = await openPage(student, url.slice(url.indexOf('#')));
      await form.locator('#check-title', { hasText: 'задача dimer-tank, вариант 1' }).waitFor();
      assert.equal(await form.getByLabel('Конст. k1, м3/(кмоль*с)', { exact: true }).inputValue(), key[1][1]);
      const answers = key[1].slice(6);
      for (const [i, value] of answers.entries()) await form.locator(`#answer${i + 1}`).fill(value);
      await form.getByRole('button', { name: 'Проверить', exact: true }).click();
      await form
        .locator('.verdict.right')
        .nth(answers.length - 1)
        .waitFor();
      const off = answers[0].replace(/\d$/, (d) => String((Number(d) + 2) % 10));
      await form.locator('#answer1').fill(off);
      await form.getByRole('button', { name: 'Проверить', exact: true }).click();
      await form.locator('.verdict.wrong').first().waitFor();
      assert.deepEqual(errors, []);
    } finally {
      await student.close();
    }
  });

  it("adds «Своя задача» and files from disk, and names a faulty file's line", async () => {
    await page.getByRole('button', { name: 'Добавить «Свою задачу»' }).click();
    assert.equal(await page.getByLabel(/^своя\.toml /).isChecked(), true);
    await page.locator('#kit-scheme-file').setInputFiles({
      name: 'broken.toml',
      mimeType: 'text/plain',
      buffer: Buffer.from(SCHEME.replace('"A -> T : 0.1"', '"A -> T : k9"')),
    });
    await page.locator('#kit-scheme-message', { hasText: /broken\.toml, строка 5\b.*«k9»/ }).waitFor();
    assert.equal(await page.getByLabel(/^broken\.toml /).count(), 0);
    await page.locator('#kit-scheme-file').setInputFiles({
      name: 'chain.toml',
      mimeType: 'text/plain',
      buffer: Buffer.from(SCHEME),
    });
    await page.getByLabel(/^chain\.toml /).waitFor();
    assert.equal(await page.getByLabel(/^chain\.toml /).isChecked(), true);
    assert.equal(await page.locator('#kit-scheme-message').isVisible(), false);
  });
});
