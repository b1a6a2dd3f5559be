// What the page saves: the report with the desktop's bytes, the chart's
// points as the runner writes them, and the chart as a picture.

import { chartPicture } from './picture.js';

function download(blob, name) {
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
