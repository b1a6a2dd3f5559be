// The page's scripts run in the browser; the build and the browser tests in
// Node, and the tests' functions handed to the page in the browser too. Run
// from the repository's top (eslint -c web/eslint.config.js), which holds
// both web/ and tests/web/.

import js from '@eslint/js';
import globals from 'globals';

export default [
  { ignores: ['web/node_modules/**'] },
  js.configs.recommended,
  {
    files: ['web/src/**/*.js'],
    languageOptions: { sourceType: 'module', globals: globals.browser },
  },
  {
    files: ['web/*.js', 'web/*.mjs', 'tests/web/**/*.mjs'],
    languageOptions: { sourceType: 'module', globals: { ...globals.node } },
  },
  {
    files: ['tests/web/**/*.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
];
