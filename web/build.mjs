// Builds the one-file browser edition: the page's scripts bundled by esbuild,
// the WebAssembly engine (already inlined into its loader), the styles, the
// task statements and "DataFile.dat", all inside one HTML file.
//
//   node build.mjs --engine ENGINE_JS --tasks TASKS_DIR --out OUT_HTML

import { build } from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));

function option(name) {
  const i = process.argv.indexOf(name);
  if (i < 0 || i + 1 >= process.argv.length) {
    console.error(
      `build.mjs: missing ${name} (usage: node build.mjs --engine ENGINE_JS --tasks TASKS_DIR --out OUT_HTML)`,
    );
    process.exit(2);
  }
  return process.argv[i + 1];
}

// A script's text is safe inside <script> only without "</script" and "<!--".
function inlineScript(text) {
  return text.replace(/<\/(script)/gi, '<\\/$1').replace(/<!--/g, '<\\!--');
}

const enginePath = option('--engine');
const tasksDir = option('--tasks');
const outPath = option('--out');

// Every statement zadNNN.txt; the page lists those whose code the engine's
// table of tasks knows.
const tasks = fs
  .readdirSync(tasksDir)
  .filter((f) => /^zad\d\d\d\.txt$/i.test(f))
  .sort()
  .map((f) => ({
    code: Number(f.slice(3, 6)),
    fileName: f,
    statement: fs.readFileSync(path.join(tasksDir, f)).toString('base64'),
  }));
if (tasks.length === 0) {
  console.error(`build.mjs: no task statements zadNNN.txt in ${tasksDir}`);
  process.exit(1);
}
const data = {
  dataFile: fs.readFileSync(path.join(tasksDir, 'DataFile.dat')).toString('base64'),
  tasks,
};

const bundled = (entry) =>
  build({
    entryPoints: [path.join(here, 'src', entry)],
    bundle: true,
    format: 'iife',
    target: ['chrome100', 'firefox100', 'safari15'],
    minify: true,
    write: false,
    charset: 'utf8',
    legalComments: 'none',
  });
const bundle = await bundled('main.js');
// The study's workers: the page starts them from the engine's text and this
// one's, both kept in the page.
const worker = await bundled('study-worker.js');

const template = fs.readFileSync(path.join(here, 'src', 'page.html'), 'utf8');
const parts = {
  '/*STYLE*/': fs.readFileSync(path.join(here, 'src', 'style.css'), 'utf8'),
  // JSON in a script element: "<" escaped so that no text can end the element.
  '/*DATA*/': JSON.stringify(data).replace(/</g, '\\u003c'),
  '/*ENGINE*/': inlineScript(fs.readFileSync(enginePath, 'utf8')),
  '/*WORKER*/': inlineScript(worker.outputFiles[0].text),
  '/*PAGE*/': inlineScript(bundle.outputFiles[0].text),
};
// The npm packages bundled into the page keep their licence notices in it.
const notices = ['fflate'].map((name) => {
  const dir = path.join(here, 'node_modules', name);
  const { version, license } = JSON.parse(fs.readFileSync(path.join(dir, 'package.json'), 'utf8'));
  const text = fs.readFileSync(path.join(dir, 'LICENSE'), 'utf8').trim();
  return `${name} ${version} (${license}):\n${text}`;
});
// "--" may not stand inside an HTML comment.
parts['<!--NOTICES-->'] = `<!--\nBundled into this page:\n\n${notices.join('\n\n').replace(/--/g, '- -')}\n-->`;
let html = template;
for (const [mark, text] of Object.entries(parts)) {
  const at = html.indexOf(mark);
  if (at < 0) throw new Error(`page.html has no ${mark}`);
  // Spliced rather than String.replace, whose "$" patterns would bite.
  html = html.slice(0, at) + text + html.slice(at + mark.length);
}

// Written beside and renamed over, so that an interrupted build never leaves
// half a page.
fs.mkdirSync(path.dirname(path.resolve(outPath)), { recursive: true });
const tmp = `${outPath}.tmp-${process.pid}`;
fs.writeFileSync(tmp, html);
fs.renameSync(tmp, outPath);
console.log(`${outPath}: ${(html.length / 1024).toFixed(0)} KiB`);
