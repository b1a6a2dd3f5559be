// The task on the page: the list of tasks, the statement, the fields of its
// initial data, Run and live mode, and the variant being checked.

import { fieldKeys, valueFor } from './address.js';
import { $, notify, showMessage } from './dom.js';
import { fillFields, inputsOf, readFields } from './fields.js';
import { updateAddress, updateAddressSoon } from './routing.js';
import { endSelfCheck } from './selfcheck.js';
import { listLabel, showSchemeOf } from './scheme.js';
import { numberRun, runStem } from './runs.js';
import { showRun } from './shown.js';

// A refusal in live mode waits this long after the last key: "0," on the way
// to "0,5" is no mistake.
const LIVE_REFUSAL_MS = 700;

const page = {
  engine: null,
  tasks: [], // {code, fileName, statement, title}
  code: 0, // the task shown (0: none yet)
  fields: null, // fields of the current task
  keys: [], // their names in links
  variant: null, // the variant being checked: {code, number, data, tolerance, params}
  live: false,
  liveQueued: false, // a live run waits for the next frame
  refusalTimer: null, // a live run's refusal said soon
};

export const engineNow = () => page.engine;
export const tasksNow = () => page.tasks;
export const taskOf = (code) => page.tasks.find((t) => t.code === code);
export const currentCode = () => page.code;
export const fieldsNow = () => page.fields;
export const keysNow = () => page.keys;
export const variantNow = () => page.variant;
export const setVariant = (variant) => (page.variant = variant);
// The task of a list entry's value: a code, or a task file's id ("ex:NAME").
export const taskIdOf = (value) => (/^\d+$/.test(value) ? Number(value) : value);

// Who follows the task: told when a task is shown and when a value moves in
// live mode.
const followers = { shown: [], moved: [] };
export const whenTaskShown = (fn) => followers.shown.push(fn);
export const whenLiveValuesMoved = (fn) => followers.moved.push(fn);

// The tasks the engine computes, in the list.
export function setTasks(engine, tasks) {
  page.engine = engine;
  page.tasks = tasks;
  const list = $('tasks');
  for (const task of tasks) {
    const option = document.createElement('option');
    option.value = String(task.code);
    option.textContent = task.scheme ? listLabel(task) : `${task.code}  ${task.title}`;
    option.title = option.textContent;
    list.append(option);
  }
  const full = (option) => ($('task-full').textContent = option?.textContent ?? '');
  list.addEventListener('mouseover', (e) => e.target instanceof HTMLOptionElement && full(e.target));
  list.addEventListener('mouseleave', () => full(list.selectedOptions[0]));
}

// Leaves the variant being checked, if any.
export function endVariant() {
  if (page.variant === null) return;
  page.variant = null;
  endSelfCheck();
}

// Shows task `code` with its default data, or with the texts given: `slots`,
// a Map slot -> text, or `link`, a Map of a link's names -> text. False when
// there is no such task.
export function selectTask(code, { slots = null, link = null } = {}) {
  const task = taskOf(code);
  if (!task) return false;
  showMessage('');
  const leftVariant = page.variant !== null && page.variant.code !== code;
  if (leftVariant) endVariant();
  let fields;
  try {
    fields = page.engine.fields(code);
  } catch (e) {
    showMessage(e.message);
    return false;
  }
  page.code = code;
  page.fields = fields;
  page.keys = fieldKeys(fields.fields);
  $('tasks').value = String(code);
  $('task-full').textContent = $('tasks').selectedOptions[0]?.textContent ?? '';
  $('statement').textContent = task.statement;
  $('task-line').textContent = task.heading ?? `Задача ${code}. ${task.title}`;
  showSchemeOf(task, fields);
  fillFields($('fields'), fields, onValueEdited);
  const inputs = inputsOf($('fields'));
  fields.fields.forEach((f, i) => {
    const text = link ? valueFor(link, fields.fields, page.keys, i) : slots?.get(f.slot);
    if (text !== null && text !== undefined) inputs[i].value = text;
  });
  // A task file the core refuses has no fields: its message says why.
  $('data').hidden = Boolean(fields.error);
  followers.shown.forEach((fn) => fn());
  // The variant's link goes at once: a reload now opens this task. An
  // address followed (another variant's link, say) stays as it is.
  if (leftVariant && !link) updateAddress();
  if (page.live) runTask({ live: true });
  return true;
}

function refuse(text, live) {
  clearTimeout(page.refusalTimer);
  if (live) page.refusalTimer = setTimeout(() => showMessage(text), LIVE_REFUSAL_MS);
  else showMessage(text);
}

export function runTask({ live }) {
  const task = taskOf(page.code);
  if (!task) return false;
  const read = readFields($('fields'), page.fields.slots, page.engine.parse);
  if (read.error) {
    refuse(read.error, live);
    // While typing in live mode the focus stays where the student types.
    if (!live) read.input.focus();
    return false;
  }
  let result;
  try {
    result = page.engine.run(task.code, read.values);
  } catch (e) {
    // A refused run changes nothing: the runs and the report shown stay.
    refuse(e.message, live);
    return false;
  }
  clearTimeout(page.refusalTimer);
  showMessage('');
  // A word about an earlier pin or link is not about this run.
  if (!live) notify('');
  const run = {
    caption: `${runStem(task)}.out (живой)`,
    code: task.code,
    n: 0,
    params: read.params,
    texts: read.texts,
    // A task file's run keeps the text it ran: the box may change after.
    scheme: task.scheme ? { ...task.scheme } : undefined,
    result,
  };
  if (!live) numberRun(run);
  showRun(run, { announce: true, checking: page.variant !== null });
  if (!live) {
    updateAddressSoon();
    requestAnimationFrame(bringResultIntoView);
  }
  return true;
}

// After Run the answer is on screen: on a phone it is below the fields.
function bringResultIntoView() {
  const answer = $('answer').getBoundingClientRect();
  const chart = $('chart').getBoundingClientRect();
  if (answer.top < 0 || chart.bottom > window.innerHeight) $('answer').scrollIntoView({ block: 'start' });
}

export function setLive(live) {
  page.live = live;
  if (live) runTask({ live: true });
}

export function onValueEdited() {
  if (!page.live) return;
  clearTimeout(page.refusalTimer); // still typing
  if (page.liveQueued) return;
  // One run per frame however fast the typing: the last values win.
  page.liveQueued = true;
  requestAnimationFrame(() => {
    page.liveQueued = false;
    if (!page.live) return;
    runTask({ live: true });
    followers.moved.forEach((fn) => fn());
  });
}
