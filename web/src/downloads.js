// What the page saves: the report with the desktop's bytes, the chart's
// points as the runner writes them, the chart as a picture, and the
// teacher's files, each alone or all in one zip.

import { zipSync } from 'fflate';
import { chartPicture } from './picture.js';

export function download(blob, name) {
  const url = URL.createObjectURL(blob);
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// "zad101-3" of "zad101.out( 3)".
const fileStem = (run) => run.caption.replace(/[^0-9A-Za-z.]+/g, '').replace(/\.out/, '-') || 'chart';

export function saveReport(run) {
  download(new Blob([run.result.report], { type: 'application/octet-stream' }), 'opt.out');
}

export function saveTable(run) {
  download(new Blob([run.result.csv], { type: 'text/csv' }), `${fileStem(run)}.csv`);
}

// `view` as chartPicture takes it.
export function savePicture(run, view) {
  chartPicture(view).toBlob((blob) => blob && download(blob, `${fileStem(run)}.png`), 'image/png');
}

const utf8 = new TextEncoder();

const typeOf = (name) =>
  ({ csv: 'text/csv', html: 'text/html', xml: 'application/xml' })[name.split('.').pop()] || 'text/plain';

// One text file, UTF-8.
export function saveText({ name, text }) {
  download(new Blob([utf8.encode(text)], { type: `${typeOf(name)};charset=utf-8` }), name);
}

// A fixed date in the archive, so that the same files give the same zip.
const ZIP_DATE = new Date(2000, 0, 1);

// `files` ([{name, text}]) as the bytes of one zip, each compressed.
export function zipOf(files) {
  const entries = {};
  for (const f of files) entries[f.name] = [utf8.encode(f.text), { mtime: ZIP_DATE }];
  return zipSync(entries, { level: 6 });
}

export function saveZip(bytes, name) {
  download(new Blob([bytes], { type: 'application/zip' }), name);
}
