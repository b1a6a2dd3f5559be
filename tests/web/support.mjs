// Shared by the browser tests: Debian's Chromium driven headless by
// playwright-core, the page opened from disk with the network cut off, and the
// native runner for the reference reports.

import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { createRequire } from 'node:module';

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, '..', '..');
const require = createRequire(path.join(root, 'web', 'package.json'));

export const htmlPath = process.env.REACTOPT_HTML || path.join(root, 'build-web', 'reactopt.html');
export const batchPath = process.env.REACTOPT_BATCH || path.join(root, 'build', 'reactopt-batch');
export const chromiumPath = process.env.REACTOPT_CHROMIUM || '/usr/bin/chromium';
export const tasksDir = path.join(root, 'tasks');

// Why a test cannot run here, or null.
export function missingPrerequisite() {
  if (!fs.existsSync(htmlPath)) return `${htmlPath} is missing: run "make web"`;
  if (!fs.existsSync(batchPath)) return `${batchPath} is missing: run "make build"`;
  if (!fs.existsSync(chromiumPath)) return `${chromiumPath} is missing: install chromium`;
  try {
    require.resolve('playwright-core');
  } catch {
    return 'playwright-core is missing: run "npm ci" in web/ (make web does)';
  }
  return null;
}

// Chromium with one profile; `options` are Playwright's context options
// (viewport, hasTouch, isMobile, ...).
export async function openBrowser(options = {}) {
  const { chromium } = require('playwright-core');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1280, height: 1000 },
    ...options,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
  });
  // No request may leave the machine: anything but the file itself fails.
  const requests = [];
  await context.route(/^(?!file:)/, (route) => {
    requests.push(route.request().url());
    return route.abort();
  });
  await context.setOffline(true);
  return {
    context,
    requests,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// The page's address on disk.
export const pageUrl = pathToFileURL(htmlPath).href;

// Opens the page (at `hash`, if given) and waits until it is ready; returns
// the page, the milliseconds from navigation to ready and the page's errors.
export async function openPage(browser, hash = '') {
  const page = await browser.context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  const t0 = Date.now();
  await page.goto(pageUrl + hash);
  await page.waitForFunction(() => document.body.dataset.ready === 'true', null, { timeout: 10000 });
  return { page, readyMs: Date.now() - t0, errors };
}

// The native runner's report and chart for `code` with `values` (texts as
// typed), run in a private copy of the task folder: {report, chart, csv}, or
// {refusal} with its message when the runner refuses the data.
export function nativeRun(code, values = []) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'reactopt-batch-'));
  try {
    fs.copyFileSync(path.join(tasksDir, 'DataFile.dat'), path.join(dir, 'DataFile.dat'));
    try {
      execFileSync(batchPath, ['--chart', 'chart.csv', String(code), ...values.map(String)], {
        cwd: dir,
        stdio: ['ignore', 'pipe', 'pipe'],
      });
    } catch (e) {
      if (e.status === 1) return { refusal: String(e.stderr).trim() };
      throw e;
    }
    const report = fs.readFileSync(path.join(dir, 'opt.out'));
    const csv = fs.readFileSync(path.join(dir, 'chart.csv'));
    const chart = String(csv)
      .trim()
      .split('\n')
      .slice(1)
      .map((line) => line.split(',').slice(1).map(Number));
    return { report, chart, csv };
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// What axe-core finds against WCAG 2.1 A and AA on `page` now: [{id, nodes}].
export async function axeViolations(page) {
  const source = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
  await page.evaluate(source);
  return page.evaluate(async () => {
    const r = await window.axe.run(document, { runOnly: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] });
    return r.violations.map((v) => ({ id: v.id, nodes: v.nodes.map((n) => n.target.join(' ')) }));
  });
}

// Saves what a click on `button` downloads; returns its bytes and name.
export async function downloadOf(page, button) {
  const [download] = await Promise.all([page.waitForEvent('download'), button.click()]);
  const file = await download.path();
  return { bytes: fs.readFileSync(file), name: download.suggestedFilename() };
}
