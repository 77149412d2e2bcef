// The program's resource ids (res/resource.h) for the browser tools and tests, read from the
// header itself so that a number is written in one place only: ids.ID_GAME_SETTINGS.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const header = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../res/resource.h');

// The header holds comments, #pragma once and "#define NAME value" lines; anything else is
// refused rather than skipped, so that no id goes missing unnoticed.
function readIds(file) {
    const ids = {};
    const lines = fs.readFileSync(file, 'utf8').split('\n');
    for (const [i, text] of lines.entries()) {
        const line = text.trim();
        if (line === '' || line.startsWith('//') || line === '#pragma once') {
            continue;
        }
        const define = /^#define\s+([A-Z_][A-Z0-9_]*)\s+(0[xX][0-9a-fA-F]+|[0-9]+)$/.exec(line);
        if (!define || define[1] in ids) {
            throw new Error(`${file}:${i + 1}: not a new "#define NAME number": ${text}`);
        }
        ids[define[1]] = Number(define[2]);
    }
    return Object.freeze(ids);
}

// A misspelt name throws instead of giving undefined, which would quietly match nothing.
export const ids = new Proxy(readIds(header), {
    get(target, name) {
        if (typeof name === 'string' && /^[A-Z]/.test(name) && !(name in target)) {
            throw new Error(`res/resource.h defines no ${name}`);
        }
        return target[name];
    },
});
