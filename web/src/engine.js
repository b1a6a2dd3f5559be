// The WebAssembly core behind plain JavaScript calls. Nothing here computes:
// every number comes from the desktop core.

const decoder = new TextDecoder('windows-1251');

export function decodeCp1251(bytes) {
  return decoder.decode(bytes);
}

export async function loadEngine(createModule, dataFileBytes) {
  const M = await createModule();
  const buffer = M._reactopt_data_file_buffer(dataFileBytes.length);
  M.HEAPU8.set(dataFileBytes, buffer);

  const lastError = () => M.UTF8ToString(M._reactopt_error());
  const withString = (text, use) => {
    const size = M.lengthBytesUTF8(text) + 1;
    const ptr = M._malloc(size);
    try {
      M.stringToUTF8(text, ptr, size);
      return use(ptr);
    } finally {
      M._free(ptr);
    }
  };

  // The codes of the tasks the engine solves, ascending.
  function taskCodes() {
    return JSON.parse(M.UTF8ToString(M._reactopt_task_codes()));
  }

  // {slots, fields: [{slot, label, values: [text, text, text]}]}
  function fields(code) {
    const json = M._reactopt_task_fields(code);
    if (!json) throw new Error(lastError());
    return JSON.parse(M.UTF8ToString(json));
  }

  // The title of a task statement, as the core names the task.
  function title(statement) {
    return withString(String(statement), (ptr) => M.UTF8ToString(M._reactopt_statement_title(ptr)));
  }

  // The value of a typed text as the dialog's OK reads it, or null.
  function parse(text) {
    return withString(String(text), (ptr) => {
      const out = M._malloc(8);
      try {
        if (!M._reactopt_parse_number(ptr, out)) return null;
        return M.HEAPF64[out >> 3];
      } finally {
        M._free(out);
      }
    });
  }

  // Runs `code` with `values` in slot order (null or undefined: the default).
  // Returns {report, text, chart, csv, optimum, optimumConversion}; throws
  // the refusal's message.
  function run(code, values) {
    if (values.length > 10) throw new Error('Не более 10 значений P1 ... P10');
    const ptr = M._malloc(8 * 10);
    try {
      let given = 0;
      values.forEach((v, i) => {
        if (v === null || v === undefined) return;
        M.HEAPF64[(ptr >> 3) + i] = v;
        given |= 1 << i;
      });
      if (!M._reactopt_run(code, ptr, values.length, given)) throw new Error(lastError());
    } finally {
      M._free(ptr);
    }
    const optimum = JSON.parse(M.UTF8ToString(M._reactopt_optimum()));
    const data = M._reactopt_report_data();
    const report = M.HEAPU8.slice(data, data + M._reactopt_report_size());
    const last = M._reactopt_chart_last();
    const base = M._reactopt_chart_points() >> 3;
    const chart = [];
    for (let i = 0; i <= last; ++i) {
      chart.push([M.HEAPF64[base + 3 * i], M.HEAPF64[base + 3 * i + 1], M.HEAPF64[base + 3 * i + 2]]);
    }
    return {
      report,
      text: decodeCp1251(report),
      chart,
      // The points as CSV, the bytes of "reactopt-batch --chart".
      csv: M.UTF8ToString(M._reactopt_chart_csv()),
      // The answer as the report states it: [{label, value, text}], and the
      // conversion of the optimum.
      optimum: optimum.quantities,
      optimumConversion: optimum.conversion,
    };
  }

  // The teacher's kit and the students' self-check: the core draws the
  // variants, writes the files and compares the answers; nothing is computed
  // here.
  const callJson = (fn, request) =>
    withString(JSON.stringify(request), (ptr) => {
      const json = fn(ptr);
      if (!json) throw new Error(lastError());
      return JSON.parse(M.UTF8ToString(json));
    });

  // The fields a kit draws for `code`: [{slot, label, low, high}], the ranges
  // being the span of the offered values.
  function kitFields(code) {
    const json = M._reactopt_kit_fields(code);
    if (!json) throw new Error(lastError());
    return JSON.parse(M.UTF8ToString(json));
  }

  // The kit's files for {codes, count, seed, ranges: [{field, low, high}],
  // tolerance, key, statements: {code: text}}: [{name, text}], the very bytes
  // (UTF-8) of reactopt-batch --variants. Throws the message of a request the
  // kit cannot meet.
  function kit(request) {
    const seed = request.seed === undefined ? undefined : String(request.seed);
    return callJson(M._reactopt_kit, { ...request, seed }).files;
  }

  // The same kit a task at a time, so that the page can say how far it is:
  // {codes, draw(code), files()}. draw gives the variants of one task,
  // {code, fields: [{slot, label}], variants: [{number, data: [text]}]};
  // files, once every code is drawn, the files kit(request) gives. Each
  // throws the kit's message.
  function kitInSteps(request) {
    const seed = request.seed === undefined ? undefined : String(request.seed);
    const { codes } = callJson(M._reactopt_kit_begin, { ...request, seed });
    const result = (json) => {
      if (!json) throw new Error(lastError());
      return JSON.parse(M.UTF8ToString(json));
    };
    return {
      codes,
      draw: (code) => result(M._reactopt_kit_task(code)),
      files: () => result(M._reactopt_kit_files()).files,
    };
  }

  // A student's answers to a variant: {code, data: [text], answers: [text],
  // tolerance, reveal} gives [{label, number, right}], with value and
  // tolerance only when reveal is true.
  function check(request) {
    return callJson(M._reactopt_check, request).answers;
  }

  return { taskCodes, fields, title, parse, run, kitFields, kit, kitInSteps, check };
}
