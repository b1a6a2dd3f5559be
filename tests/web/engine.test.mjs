// The browser's engine (WebAssembly, libc++) against the native runner
// (x87 or software extended type, libstdc++), without a browser: the named
// cases, which include runs that use the routines' pseudo-random sequence,
// give the same report and chart points, or the same refusal.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { it } from 'node:test';
import { nativeRun, root, tasksDir } from './support.mjs';

const enginePath = path.join(
  path.dirname(process.env.REACTOPT_HTML || path.join(root, 'build-web', 'x')),
  'reactopt-engine.js',
);
if (!fs.existsSync(enginePath)) {
  console.log(`skipped: ${enginePath} is missing: run "make web"`);
  process.exit(77);
}

it('gives the native reports and chart points for the named cases', async () => {
  const create = createRequire(import.meta.url)(enginePath);
  const { loadEngine } = await import(path.join(root, 'web', 'src', 'engine.js'));
  const engine = await loadEngine(create, fs.readFileSync(path.join(tasksDir, 'DataFile.dat')));
  const cases = fs
    .readFileSync(path.join(root, 'tests', 'precision', 'regression_cases.txt'), 'utf8')
    .split('\n')
    .map((line) => line.replace(/#.*/, '').trim())
    .filter(Boolean)
    .map((line) => line.split(/\s+/));
  assert.ok(cases.length > 30);
  for (const [code, ...values] of cases) {
    const native = nativeRun(code, values);
    const name = `${code} ${values.join(' ')}`;
    if (native.refusal) {
      assert.throws(() => engine.run(Number(code), values.map(Number)), { message: native.refusal }, name);
      continue;
    }
    const run = engine.run(Number(code), values.map(Number));
    assert.deepEqual(Buffer.from(run.report), native.report, name);
    assert.deepEqual(run.chart, native.chart, name);
  }
});

it('answers a request it cannot read with a message naming what is wrong', async () => {
  const M = await createRequire(import.meta.url)(enginePath)();
  const data = fs.readFileSync(path.join(tasksDir, 'DataFile.dat'));
  M.HEAPU8.set(data, M._reactopt_data_file_buffer(data.length));
  const call = (fn, text) => {
    const size = M.lengthBytesUTF8(text) + 1;
    const ptr = M._malloc(size);
    M.stringToUTF8(text, ptr, size);
    const answer = fn(ptr);
    M._free(ptr);
    return answer ? { json: JSON.parse(M.UTF8ToString(answer)) } : { error: M.UTF8ToString(M._reactopt_error()) };
  };
  const deep = '['.repeat(40) + ']'.repeat(40);
  const cases = [
    [M._reactopt_kit, '', 'Запрос не в формате JSON (символ 1)'],
    [M._reactopt_kit, '{"codes":[101],}', 'Запрос не в формате JSON (символ 16)'],
    [M._reactopt_kit, '{"codes":[101],"count":3} x', 'Запрос не в формате JSON (символ 27)'],
    [M._reactopt_kit, deep, 'Запрос не в формате JSON (слишком глубокая вложенность)'],
    [M._reactopt_kit, 'null', 'В запросе нет целого числа вариантов'],
    [M._reactopt_kit, '[1]', 'В запросе нет целого числа вариантов'],
    [M._reactopt_kit, '{"codes":[101],"count":3.5}', 'В запросе нет целого числа вариантов'],
    [M._reactopt_kit, '{"codes":[101],"count":-3}', 'В запросе нет целого числа вариантов'],
    [M._reactopt_kit, '{"codes":"101","count":3}', 'Не выбрано ни одной задачи'],
    [M._reactopt_kit, '{"codes":[101],"count":3,"seed":true}', 'Зерно должно быть целым числом от 0 до 2^64-1: '],
    [M._reactopt_kit_begin, '{"codes":[101],"count":3,"seed":-1}', 'Зерно должно быть целым числом от 0 до 2^64-1: -1'],
    [M._reactopt_check, '"101"', 'В запросе нет целого числа задачи'],
    [M._reactopt_check, '{"code":99,"data":[],"answers":[]}', 'Нет задачи 99'],
  ];
  for (const [fn, text, message] of cases) assert.deepEqual(call(fn, text), { error: message }, text.slice(0, 40));

  // Numbers and strings holding them are read alike, and text passes whole.
  const byNumber = call(M._reactopt_check, '{"code":101,"data":[1,0.5],"answers":[0.25],"reveal":true}');
  const byText = call(M._reactopt_check, '{"code":"101","data":["1","0.5"],"answers":["0.25"],"reveal":true}');
  assert.deepEqual(byNumber, byText);
  assert.ok(byText.json.answers.length > 1 && byText.json.answers[0].value);
  const statement = 'Задача 101\r\nКавычки "q", обратная косая \\ и\tтабуляция\r\n';
  const kit = call(
    M._reactopt_kit,
    JSON.stringify({
      codes: [101],
      count: 2,
      seed: '5',
      statements: { 101: statement },
    }),
  );
  const sheets = kit.json.files.find((f) => f.name === 'sheets.html').text;
  assert.ok(sheets.includes('обратная косая \\ и\tтабуляция'), 'the statement reaches the sheets whole');
});
