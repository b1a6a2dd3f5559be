// The WebAssembly core behind plain JavaScript calls. Nothing here computes:
// every number comes from the desktop core.

import { schemeCalls } from './scheme-engine.js';

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
  // Calls fn(ptr, given) with the values in engine memory; given has bit i
  // set for a value given (not null or undefined).
  const withValues = (values, fn) => {
    const ptr = M._malloc(8 * 10);
    try {
      let given = 0;
      values.forEach((v, i) => {
        if (v === null || v === undefined) return;
        M.HEAPF64[(ptr >> 3) + i] = v;
        given |= 1 << i;
      });
      return fn(ptr, given);
    } finally {
      M._free(ptr);
    }
  };

  function run(code, values) {
    if (values.length > 10) throw new Error('Не более 10 значений P1 ... P10');
    const taken = [...values];
    withValues(taken, (ptr, given) => {
      if (!M._reactopt_run(code, ptr, taken.length, given)) throw new Error(lastError());
    });
    let exact;
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
      // "Точное решение: CRmax = 0.3679 при Xa = 0.6321" where a task file
      // states the task, '' otherwise: made when first read, since it costs
      // a run of the task file.
      get exact() {
        if (exact === undefined) {
          exact = withValues(taken, (ptr, given) => M.UTF8ToString(M._reactopt_exact(code, ptr, taken.length, given)));
        }
        return exact;
      },
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

  // The same for a task file {name: 'dimer-tank.toml', text}.
  function kitSchemeFields(scheme) {
    return callJson(M._reactopt_kit_scheme_fields, scheme);
  }

  // The kit's files for {codes, schemes: [{name: 'dimer-tank.toml', text}],
  // count, seed, ranges: [{field, low, high}], tolerance, key, statements:
  // {code: text}}: [{name, text}], the very bytes (UTF-8) of reactopt-batch
  // --variants. Throws the message of a request the kit cannot meet.
  function kit(request) {
    const seed = request.seed === undefined ? undefined : String(request.seed);
    return callJson(M._reactopt_kit, { ...request, seed }).files;
  }

  // The same kit a task at a time, so that the page can say how far it is:
  // {codes, schemes, draw(codeOrName), files()}. draw takes a code or a task
  // file's name and gives the variants of that task, {code, name, fields:
  // [{slot, label}], variants: [{number, data: [text]}], study: the study
  // question {field, factor} where its variants ask it, else null} (code 0
  // and name the file's stem for a task file); files, once every task is drawn, the files
  // kit(request) gives. Each throws the kit's message.
  function kitInSteps(request) {
    const seed = request.seed === undefined ? undefined : String(request.seed);
    const { codes, schemes } = callJson(M._reactopt_kit_begin, { ...request, seed });
    const result = (json) => {
      if (!json) throw new Error(lastError());
      return JSON.parse(M.UTF8ToString(json));
    };
    return {
      codes,
      schemes,
      draw: (task) =>
        typeof task === 'string'
          ? withString(task, (ptr) => result(M._reactopt_kit_scheme(ptr)))
          : result(M._reactopt_kit_task(task)),
      files: () => result(M._reactopt_kit_files()).files,
    };
  }

  // A student's answers to a variant: {code, data: [text], answers: [text],
  // tolerance, reveal} (for a task file {scheme: text, name: 'x.toml', ...}
  // in place of code) gives [{label, number, right}], with value and
  // tolerance only when reveal is true, and low and high then too where the
  // exact optimum widens what is accepted.
  function check(request) {
    return callJson(M._reactopt_check, request).answers;
  }

  // The example task files shipped with the program: [{name, title, text}].
  function examples() {
    return JSON.parse(M.UTF8ToString(M._reactopt_examples()));
  }

  // Parameter studies. A request is {code} or {scheme, name}, with values
  // ([text | null], in field order), parameter (label, symbol or number),
  // low, high, count and log. plan gives {slot, label, key, current, labels,
  // questions, conversionAnswer, maximumAnswer, values}; points(request,
  // first, last) runs points [first, last) and gives [{value, ran, refusal,
  // conversion, answers}], so that a study can be drawn as it comes. Each
  // throws the message of a request the core refuses.
  const callStudy = (request, call) =>
    withString(JSON.stringify(request), (ptr) => {
      const answer = JSON.parse(M.UTF8ToString(call(ptr)));
      if (answer.error !== undefined) throw new Error(answer.error);
      return answer;
    });
  const study = {
    plan: (request) => callStudy(request, (ptr) => M._reactopt_study_plan(ptr)),
    points: (request, first, last) => callStudy(request, (ptr) => M._reactopt_study_points(ptr, first, last)).points,
  };

  // Task files: {parse(text, fileName), run(text, fileName, values)}.
  const scheme = schemeCalls(M, withString, lastError);
  const runScheme = (...args) => {
    const result = scheme.run(...args);
    return { ...result, text: decodeCp1251(result.report) };
  };

  return {
    taskCodes,
    fields,
    title,
    parse,
    run,
    kitFields,
    kitSchemeFields,
    kit,
    kitInSteps,
    check,
    examples,
    scheme: { ...scheme, run: runScheme },
    study,
  };
}
