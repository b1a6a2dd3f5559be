// The address and the page: what an address opens (a task with its data, a
// student's variant, the teacher's panel), the address kept in step with the
// fields, and the link to copy.

import { formatAddress, isKitAddress, pageBase, parseAddress, unpackScheme } from './address.js';
import { $, notify, showMessage } from './dom.js';
import { inputsOf, readFields } from './fields.js';
import { OWN, addressCodeOf, openOwnFromLink, readyToLink, tooLargeToLink } from './scheme.js';
import { startSelfCheck } from './selfcheck.js';
import { clearShown } from './shown.js';
import {
  currentCode,
  endVariant,
  engineNow,
  fieldsNow,
  keysNow,
  selectTask,
  setVariant,
  taskOf,
  tasksNow,
  variantNow,
} from './task.js';

const route = {
  addressTimer: null, // the address rewritten soon
  pending: Promise.resolve(), // a link's task file being unpacked
  showKit: () => {}, // shows the teacher's panel
};

// The address of the task shown with what its fields hold; null while the
// text of «Своя задача» is being packed for it.
export function addressNow() {
  const inputs = inputsOf($('fields'));
  const keys = keysNow();
  const code = addressCodeOf(currentCode());
  if (code === null) return null;
  return formatAddress(
    code,
    inputs.map((input, i) => [keys[i], input.value]),
  );
}

export function updateAddress() {
  // A variant's link stays as the teacher made it, and the panel keeps its
  // own address.
  if (!currentCode() || variantNow() || !$('kit').hidden) return;
  clearTimeout(route.addressTimer);
  const address = addressNow();
  // Packed soon, and then written (see scheme.js).
  if (address !== null) history.replaceState(null, '', address);
}

// The same a little later: rewriting the address takes longer than a run.
export function updateAddressSoon() {
  clearTimeout(route.addressTimer);
  route.addressTimer = setTimeout(updateAddress, 400);
}

// Opens what the address names, and again whenever it changes; `showKit`
// shows the teacher's panel. False when the address names no task.
export function startRouting({ showKit }) {
  route.showKit = showKit;
  window.addEventListener('hashchange', () => openAddress());
  return openAddress();
}

function openAddress() {
  const kit = isKitAddress(location.hash);
  $('page').hidden = kit;
  $('kit').hidden = !kit;
  if (kit) {
    const tasks = tasksNow();
    if (!currentCode() && tasks.length) selectTask(tasks[0].code);
    route.showKit();
    return true;
  }
  const link = parseAddress(location.hash);
  if (link && typeof link.code === 'object') return openSchemeLink(link);
  if (!link || !taskOf(link.code)) return false;
  if (!selectTask(link.code, { link: link.values })) return false;
  return openedLink(link);
}

// The text a link to «Своя задача» carries, once unpacked.
const unpacked = new Map();

// What `openAddress` opens of a link that carries a task file: the text is
// unpacked (soon: the browser's decompression is asynchronous, and
// `waitForAddress` lets the start wait for it), then opened like any link.
function openSchemeLink(link) {
  const { packed } = link.code;
  if (!unpacked.has(packed)) {
    const pending = unpackScheme(packed).then(
      (text) => ({ text }),
      (e) => ({ error: e.message }),
    );
    unpacked.set(packed, pending);
    route.pending = pending.then((got) => {
      unpacked.set(packed, got);
      if (parseAddress(location.hash)?.code?.packed === packed) openAddress();
    });
    return true;
  }
  const got = unpacked.get(packed);
  if (got instanceof Promise) return true;
  if (got.error) {
    // The message stands under the fields: a task with fields shows it.
    if (!currentCode() || $('data').hidden) selectTask(tasksNow()[0].code);
    showMessage(got.error);
    return true;
  }
  if (!openOwnFromLink(got.text, link.values, link.code.name, packed)) return false;
  return openedLink({ ...link, code: OWN });
}

// Resolves once a link being opened is open.
export const waitForAddress = () => route.pending;

function openedLink(link) {
  if (link.tooLong.length)
    showMessage(`Слишком длинное значение в ссылке: ${link.tooLong.join(', ')} (оставлено предлагаемое)`);
  if (link.variant) openVariant(link);
  else endVariant();
  return true;
}

// A variant's link: its data in the fields, the form that checks the
// answers, and no optimum on screen until the student runs the task or asks
// for the answer.
function openVariant(link) {
  const engine = engineNow();
  const fields = fieldsNow();
  const read = readFields($('fields'), fields.slots, engine.parse);
  if (read.error) {
    showMessage(read.error);
    return;
  }
  const bySlot = new Map(read.texts);
  const data = Array.from({ length: fields.slots }, (_, j) => bySlot.get(j + 1) ?? '');
  const scheme = taskOf(link.code)?.scheme;
  const variant = {
    code: link.code,
    number: link.variant,
    data,
    tolerance: link.tolerance,
    study: link.study,
    params: read.params,
    scheme: scheme ? { ...scheme } : undefined,
  };
  setVariant(variant);
  clearShown();
  const refused = startSelfCheck(engine, variant);
  if (refused) {
    setVariant(null);
    showMessage(refused);
  }
}

export async function copyLink() {
  await readyToLink();
  if (tooLargeToLink()) {
    notify('Файл задачи слишком велик для ссылки: сохраните его («Сохранить файл») и отправьте файлом.');
    return;
  }
  updateAddress();
  // The link of what the fields hold, whatever the address shows.
  const url = pageBase() + addressNow();
  try {
    await navigator.clipboard.writeText(url);
    notify(`Ссылка скопирована: ${url}`);
  } catch {
    // Without the clipboard the link is shown to be copied by hand.
    notify(`Ссылка на эту задачу с этими данными: ${url}`);
  }
}
