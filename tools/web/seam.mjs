// The page's side of the seam with the browser host, written from the one declaration of it,
// src/framework/web/seam.h:
//   node tools/web/seam.mjs src/framework/web/seam.h OUT.js
// As a module it gives the reader to the seam's test.
import fs from 'node:fs';
import { pathToFileURL } from 'node:url';

const lowerFirst = (name) => name[0].toLowerCase() + name.slice(1);

// The calls (kPageCalls) and every enum with its numbers; a malformed entry is an error, not a
// guess.
export function readSeam(header) {
    const text = header.replace(/\/\/[^\n]*/g, '');
    const calls = /kPageCalls\[\]\s*=\s*\{([^}]*)\}/.exec(text);
    if (!calls) {
        throw new Error('seam.h declares no kPageCalls');
    }
    const seam = { calls: [...calls[1].matchAll(/"(\w+)"/g)].map((m) => m[1]) };
    const constant = /kInputFields\s*=\s*(\d+)/.exec(text);
    if (!constant) {
        throw new Error('seam.h declares no kInputFields');
    }
    seam.inputFields = Number(constant[1]);
    for (const [, name, body] of text.matchAll(/enum\s+class\s+(\w+)\s*:\s*int\s*\{([^}]*)\}/g)) {
        const values = {};
        for (const entry of body
            .split(',')
            .map((e) => e.trim())
            .filter(Boolean)) {
            const match = /^(\w+)\s*=\s*(\d+)$/.exec(entry);
            if (!match) {
                throw new Error(`seam.h: ${name}: "${entry}" has no number of its own`);
            }
            values[lowerFirst(match[1])] = Number(match[2]);
        }
        seam[name] = values;
    }
    return seam;
}

export function seamScript(seam) {
    const frozen = (value) =>
        Array.isArray(value) || typeof value !== 'object'
            ? JSON.stringify(value)
            : `Object.freeze({ ${Object.entries(value)
                  .map(([key, v]) => `${key}: ${frozen(v)}`)
                  .join(', ')} })`;
    return (
        '// Written by tools/web/seam.mjs from src/framework/web/seam.h: change that, not this.\n' +
        `'use strict';\nwindow.ShinkeiPage = { seam: ${frozen(seam)} };\n`
    );
}

if (import.meta.url === pathToFileURL(process.argv[1] ?? '').href) {
    const [header, out] = process.argv.slice(2);
    if (!header || !out) {
        process.stderr.write('usage: seam.mjs SEAM.h OUT.js\n');
        process.exit(2);
    }
    fs.writeFileSync(out, seamScript(readSeam(fs.readFileSync(header, 'utf8'))));
}
