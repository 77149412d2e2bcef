// The JavaScript's linter: the page's plain scripts, its service worker, and the tools and tests
// that run under node (whose page.evaluate callbacks run in the browser).
import js from '@eslint/js';
import globals from 'globals';

export default [
    { ignores: ['build/', 'node_modules/'] },
    js.configs.recommended,
    {
        rules: {
            'no-unused-vars': ['error', { args: 'after-used', caughtErrors: 'none' }],
            eqeqeq: 'error',
            'no-var': 'error',
            'prefer-const': 'error',
        },
    },
    {
        files: ['web/**/*.js'],
        languageOptions: {
            sourceType: 'script',
            globals: { ...globals.browser, Module: 'writable' },
        },
    },
    { files: ['web/sw.js'], languageOptions: { globals: globals.serviceworker } },
    {
        files: ['**/*.mjs', 'eslint.config.js'],
        languageOptions: {
            sourceType: 'module',
            globals: { ...globals.node, ...globals.browser, Module: 'readonly', HEAP8: 'readonly' },
        },
    },
];
