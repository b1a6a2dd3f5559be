// The core's engine of task files behind plain calls, as engine.js does for
// the built-in tasks: the page hands over the file's text with each call, and
// every number it shows comes from the core's report, chart and answers.

// The rows of a CSV the core writes (a header first; a field with a comma
// or a quote in quotes, its quotes doubled).
export function csvRows(text) {
  const rows = [];
  for (const line of text.split('\n')) {
    if (!line) continue;
    const row = [];
    let at = 0;
    while (at <= line.length) {
      if (line[at] === '"') {
        let field = '';
        let i = at + 1;
        for (;;) {
          const q = line.indexOf('"', i);
          if (q < 0) {
            field += line.slice(i);
            i = line.length;
            break;
          }
          field += line.slice(i, q);
          if (line[q + 1] === '"') {
            field += '"';
            i = q + 2;
          } else {
            i = q + 1;
            break;
          }
        }
        row.push(field);
        at = i + 1;
      } else {
        const comma = line.indexOf(',', at);
        const end = comma < 0 ? line.length : comma;
        row.push(line.slice(at, end));
        at = end + 1;
      }
    }
    rows.push(row);
  }
  return rows.slice(1);
}

// The optimum of a task file's run as the built-in tasks' runs give it:
// [{label, value, maximum}], the target's yield (the second answer, after
// Xa) being what the run maximises; and the conversion of the optimum.
export function schemeOptimum(answersCsv) {
  const optimum = csvRows(answersCsv).map(([label, value], i) => ({
    label,
    value,
    maximum: i === 1 && /^Y/.test(label),
  }));
  const xa = optimum.find((q) => q.label === 'Xa');
  const conversion = xa ? Number(xa.value) : NaN;
  return { optimum, optimumConversion: Number.isFinite(conversion) ? conversion : null };
}

// The chart's points [[x, y1, y2]] of the CSV "k,x,y1,y2", 17 digits each.
export const schemeChart = (csv) => csvRows(csv).map((r) => [Number(r[1]), Number(r[2]), Number(r[3])]);

// `M` the engine's module; `withString(text, use)` and `lastError()` as
// engine.js has them.
export function schemeCalls(M, withString, lastError) {
  const both = (text, fileName, use) => withString(text, (t) => withString(fileName, (n) => use(t, n)));

  // {title, statement, reactor, species, fields: [{name, label, offered}]},
  // or {error, line, column} for a file the core refuses.
  function parse(text, fileName) {
    return both(text, fileName, (t, n) => JSON.parse(M.UTF8ToString(M._reactopt_scheme_parse(t, n))));
  }

  // The run of `text` with `values` (every parameter's, in order) as
  // engine.run gives a built-in task's; throws the core's message.
  function run(text, fileName, values) {
    const ptr = M._malloc(8 * Math.max(1, values.length));
    try {
      values.forEach((v, i) => (M.HEAPF64[(ptr >> 3) + i] = v));
      if (!both(text, fileName, (t, n) => M._reactopt_scheme_run(t, n, ptr, values.length)))
        throw new Error(lastError());
    } finally {
      M._free(ptr);
    }
    const data = M._reactopt_scheme_report_data();
    const report = M.HEAPU8.slice(data, data + M._reactopt_scheme_report_size());
    const csv = M.UTF8ToString(M._reactopt_scheme_chart_csv());
    return { report, chart: schemeChart(csv), csv, ...schemeOptimum(M.UTF8ToString(M._reactopt_scheme_answers_csv())) };
  }

  return { parse, run };
}
