// A student's self-check of a variant from the teacher's link: one field per
// quantity of the optimum, labelled as the report labels it. The core says
// whether each typed answer is right within the tolerance; the right values
// are shown only when the student asks for them.

const $ = (id) => document.getElementById(id);

// The verdict on one answer, as the core gives it.
function verdictOf(a, typed) {
  if (a.right) return { text: 'верно', right: true };
  if (!a.number) return { text: typed.trim() ? 'не число' : 'нет ответа', right: false };
  return { text: 'неверно', right: false };
}

// Sets the form up for `variant` ({code, number, data: [text] in slot order,
// tolerance: text, params: ["label = text"]}) and shows it. Returns null, or
// the message of data the core refuses (then the form stays hidden).
export function startSelfCheck(engine, variant) {
  const request = (answers, reveal = false) =>
    engine.check({ code: variant.code, data: variant.data, answers, tolerance: variant.tolerance, reveal });
  let quantities;
  try {
    // Unanswered, the check names the quantities and gives away nothing.
    quantities = request([]);
  } catch (e) {
    $('check').hidden = true;
    return e.message;
  }
  $('check-title').textContent = `Проверить ответы: задача ${variant.code}, вариант ${variant.number}`;
  const precision = variant.tolerance
    ? `с допуском ${variant.tolerance} от значения`
    : 'с точностью до половины единицы последнего знака';
  $('check-note').textContent =
    `Решите задачу и введите ответы (точка или запятая): «Проверить» сверит каждый с отчётом программы ${precision}, ` +
    `не показывая правильных значений. Сверяется с данными варианта: ${variant.params.join('; ')}. ` +
    'Оптимум скрыт, пока вы не нажмёте «Рассчитать» или «Показать ответ».';
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
    label.textContent = q.label;
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
      right === checked.length ? `Все ответы верны (${right} из ${checked.length}).` : `Верно ${right} из ${checked.length}.`;
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
  };
  $('check').hidden = false;
  return null;
}

export function endSelfCheck() {
  $('check').hidden = true;
  $('check-fields').replaceChildren();
}
