// The page's elements by id, for every module of the page.
export const $ = (id) => document.getElementById(id);

// The page's message line: what went wrong (empty: nothing).
export function showMessage(text) {
  $('message').textContent = text;
  $('message').hidden = !text;
}

// A short word in the status line (copied link, a full set of pins).
export function notify(text) {
  $('notice').textContent = text;
}
