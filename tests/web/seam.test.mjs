// The seam between the browser host and the page: both sides make and answer exactly the calls
// src/framework/web/seam.h declares, and the page names only inputs, paint operations, fields
// and notify codes that it declares.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { readSeam, seamScript } from '../../tools/web/seam.mjs';
import { openGame, root, testTimeout, useBrowser } from './helpers.mjs';

const shared = useBrowser();
const seam = readSeam(fs.readFileSync(path.join(root, 'src/framework/web/seam.h'), 'utf8'));
const sources = (folder, extension) =>
    fs
        .readdirSync(path.join(root, folder))
        .filter((name) => name.endsWith(extension))
        .map((name) => ({ name, text: fs.readFileSync(path.join(root, folder, name), 'utf8') }));

test(
    'the host calls on the page exactly what the seam declares, and the page answers each',
    { timeout: testTimeout },
    async (t) => {
        const made = new Set();
        for (const { text } of sources('src/framework/web', '.cpp')) {
            for (const [, name] of text.matchAll(/Module\.host\.(\w+)/g)) made.add(name);
        }
        assert.deepEqual([...made].sort(), [...seam.calls].sort(), 'the calls host.cpp makes');
        const generated = fs.readFileSync(path.join(root, 'build/web-gen/seam.js'), 'utf8');
        assert.equal(
            generated,
            seamScript(seam),
            'the built page has the seam as seam.h now declares it',
        );
        const game = await openGame(t, shared.browser);
        const answered = await game.page.evaluate(() => Object.keys(Module.host).sort());
        assert.deepEqual(answered, [...seam.calls].sort(), 'the calls the page answers');
    },
);

test('the page names only the inputs, paints, fields and codes the seam declares', () => {
    const enums = Object.keys(seam).filter(
        (key) => typeof seam[key] === 'object' && !Array.isArray(seam[key]),
    );
    let uses = 0;
    for (const { name, text } of sources('web', '.js')) {
        for (const e of enums) {
            for (const [use, member] of text.matchAll(new RegExp(`\\b${e}\\.(\\w+)`, 'g'))) {
                assert.ok(member in seam[e], `${name}: ${use} is not in seam.h`);
                ++uses;
            }
        }
        // Every input the page queues is a named kind, never a bare number.
        for (const [call, kind] of text.matchAll(/\bpost\(\s*([^,)]+)/g)) {
            assert.match(kind, /^seam\.Input\.\w+$/, `${name}: ${call}`);
        }
    }
    assert.ok(uses >= 10, `only ${uses} uses of the seam's names in the page`);
});
