// The page's elements by id, for every module of the page.
export const $ = (id) => document.getElementById(id);
