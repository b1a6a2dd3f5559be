// A student's self-check of a variant from the teacher's link: one field per
// quantity of the optimum, labelled with the question the core asks (or the
// report's label where it gives none). The core says whether each typed
// answer is right within the tolerance; the right values are shown only when
// the student asks for them.
//
// Until the student runs the task the form stands where the optimum would,
// at the top of the results, so that answering comes before running; once a
// run is shown it goes back under the data and the optimum takes its place.

import { renderOptimum } from './results.js';
import { $ } from './dom.js';

// What the student reads for an answer: the question, or the label.
const askedFor = (q) => (typeof q.question === 'string' && q.question.trim() ? q.question : q.label);

// The verdict on one answer, as the core gives it.
function verdictOf(a, typed) {
  if (a.right) return { text: 'верно', right: true };
  if (!a.number) return { text: typed.trim() ? 'не число' : 'нет ответа', right: false };
  return { text: 'неверно', right: false };
}

let runOnScreen = false;
// What the optimum's panel says before any run, to say again when the
// student leaves a variant whose answer it shows.
const idleOptimum = $('optimum').cloneNode(true).childNodes;

// The form in the optimum's place (before a run) or under the data (after).
function place(beforeRun) {
  const check = $('check');
  if (beforeRun) $('results').prepend(check);
  else $('work').append(check);
  $('answer').hidden = beforeRun;
}

// "101", or a task file's name without ".toml".
const taskName = (variant) => (variant.scheme ? variant.scheme.name.replace(/\.toml$/i, '') : variant.code);

function showRefusal(variant, message) {
  $('check-title').textContent = `Проверить ответы: задача ${taskName(variant)}, вариант ${variant.number}`;
  $('check-note').textContent = 'Ответы по этой ссылке проверить нельзя: попросите у преподавателя новую ссылку.';
  $('check-fields').replaceChildren();
  $('check-error').textContent = message;
  $('check-error').hidden = false;
  $('check-form').hidden = true;
  $('check-summary').textContent = '';
}

// Sets the form up for `variant` ({code, number, data: [text] in slot order,
// tolerance: text, study: the study question's {field, factor} or null,
// params: ["label = text"], and for a task file its scheme: {name, text}})
// and shows it. Data or a
// tolerance the core refuses are shown in the form, with nothing to check.
// Returns null.
export function startSelfCheck(engine, variant) {
  // A task file's variant is checked against the file's text itself.
  const which = variant.scheme ? { scheme: variant.scheme.text, name: variant.scheme.name } : { code: variant.code };
  const request = (answers, reveal = false) =>
    engine.check({
      ...which,
      data: variant.data,
      answers,
      tolerance: variant.tolerance,
      reveal,
      ...(variant.study ? { study: variant.study } : {}),
    });
  runOnScreen = false;
  document.body.classList.add('self-check');
  place(true);
  $('check').hidden = false;
  let quantities;
  try {
    // Unanswered, the check names the quantities and gives away nothing.
    quantities = request([]);
  } catch (e) {
    showRefusal(variant, e.message);
    return null;
  }
  $('check-error').hidden = true;
  $('check-form').hidden = false;
  $('check-title').textContent = `Проверить ответы: задача ${taskName(variant)}, вариант ${variant.number}`;
  const precision = variant.tolerance
    ? `с допуском ${variant.tolerance} от значения`
    : 'с точностью до половины единицы последнего знака';
  $('check-note').textContent =
    `Решите задачу, введите ответы (точка или запятая) и нажмите «Проверить»: каждый сверяется с отчётом программы ${precision}, ` +
    'правильные значения не показываются. «Рассчитать» покажет оптимум, график и отчёт.';
  $('check-data').textContent =
    `Данные варианта: ${variant.params.join('; ')}. Ответы сверяются с ними, даже если поля изменить.`;
  const box = $('check-fields');
  box.replaceChildren();
  const inputs = [];
  const verdicts = [];
  const keys = [];
  quantities.forEach((q, i) => {
    const row = document.createElement('div');
    row.className = 'field answer';
    const label = document.createElement('label');
    label.htmlFor = `answer${i + 1}`;
    label.textContent = askedFor(q);
    const input = document.createElement('input');
    input.type = 'text';
    input.id = label.htmlFor;
    input.inputMode = 'decimal';
    input.autocomplete = 'off';
    input.spellcheck = false;
    const verdict = document.createElement('span');
    verdict.className = 'verdict';
    verdict.id = `verdict${i + 1}`;
    const key = document.createElement('span');
    key.className = 'key';
    key.id = `key${i + 1}`;
    input.setAttribute('aria-describedby', `${verdict.id} ${key.id}`);
    // A verdict on a text since changed would mislead.
    input.addEventListener('input', () => {
      verdict.textContent = '';
      verdict.className = 'verdict';
    });
    row.append(label, input, verdict, key);
    box.append(row);
    inputs.push(input);
    verdicts.push(verdict);
    keys.push(key);
  });
  $('check-summary').textContent = '';

  const answers = () => inputs.map((input) => input.value);
  $('check-form').onsubmit = (e) => {
    e.preventDefault();
    let checked;
    try {
      checked = request(answers());
    } catch (err) {
      $('check-summary').textContent = err.message;
      return;
    }
    let right = 0;
    checked.forEach((a, i) => {
      const v = verdictOf(a, inputs[i].value);
      verdicts[i].textContent = v.text;
      verdicts[i].className = `verdict ${v.right ? 'right' : 'wrong'}`;
      if (v.right) ++right;
    });
    $('check-summary').textContent =
      right === checked.length
        ? `Все ответы верны (${right} из ${checked.length}).`
        : `Верно ${right} из ${checked.length}.`;
  };
  $('reveal').onclick = () => {
    let shown;
    try {
      shown = request(answers(), true);
    } catch (err) {
      $('check-summary').textContent = err.message;
      return;
    }
    shown.forEach((a, i) => {
      keys[i].textContent = `ответ ${a.value} (±${a.tolerance})`;
    });
    $('check-summary').textContent = `Ответ: ${shown.map((a) => `${a.label} = ${a.value}`).join(', ')}.`;
    // The optimum the student asked for, without the chart and the report
    // that only a run gives; a run on screen already shows it.
    if (runOnScreen) return;
    renderOptimum(
      $('optimum'),
      shown.map((a) => ({ label: a.label, value: a.value })),
    );
    // Which of them the task maximises only a run says: none stands out.
    $('optimum').querySelector('ul')?.classList.add('revealed');
    const where = document.createElement('p');
    where.className = 'quiet';
    where.textContent = `Ответ варианта ${variant.number}. «Рассчитать» покажет график и отчёт.`;
    $('optimum').append(where);
    $('answer').hidden = false;
  };
  return null;
}

// A run of the task is on screen: the optimum is back in its place.
export function selfCheckRunShown() {
  if ($('check').hidden || runOnScreen) return;
  runOnScreen = true;
  place(false);
}

export function endSelfCheck() {
  if (!runOnScreen) $('optimum').replaceChildren(...Array.from(idleOptimum, (n) => n.cloneNode(true)));
  runOnScreen = false;
  place(false);
  document.body.classList.remove('self-check');
  $('check').hidden = true;
  $('check-fields').replaceChildren();
}
