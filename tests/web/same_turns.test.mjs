// The same turns in the browser: each script played on the page through real DOM events, with
// the page's clock run by the driver, gives the simulator's transcript line for line.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { promisify } from 'node:util';
import { pagePath, root, simPath, testTimeout } from './helpers.mjs';

const run = promisify(execFile);
const driver = path.join(root, 'tools/web/play-script.mjs');
const scripts = path.join(root, 'tests/scripts');

// Exit status and output of a command, whatever the status.
async function outcome(command, args, options = {}) {
    try {
        const { stdout, stderr } = await run(command, args, {
            timeout: 300_000,
            maxBuffer: 64 << 20,
            ...options,
        });
        return { code: 0, stdout, stderr };
    } catch (error) {
        if (error.code === undefined || typeof error.code !== 'number') {
            throw error;
        }
        return { code: error.code, stdout: error.stdout, stderr: error.stderr };
    }
}

for (const name of fs
    .readdirSync(scripts)
    .filter((f) => f.endsWith('.txt'))
    .sort()) {
    test(`${name}: the browser plays the simulator's turns`, { timeout: 300_000 }, async () => {
        const file = path.join(scripts, name);
        const text = fs.readFileSync(file, 'utf8');
        const seed = /^# seed (\d+)/.exec(text)?.[1];
        assert.ok(seed, `${name}: the first line says no "# seed N"`);
        const language = /^# lang en$/m.test(text) ? ['--lang', 'en'] : [];
        assert.ok(
            fs.existsSync(simPath),
            `no ${simPath}: build the native preset first (make native)`,
        );
        assert.ok(
            fs.existsSync(pagePath),
            `no ${pagePath}: build the browser version first (make web)`,
        );
        const sim = await outcome(simPath, ['script', '--seed', seed, ...language, file]);
        assert.equal(sim.code, 0, sim.stderr);
        const web = await outcome(process.execPath, [
            driver,
            '--seed',
            seed,
            ...language,
            file,
            '--page',
            pagePath,
        ]);
        assert.equal(web.code, 0, web.stderr);
        const expected = sim.stdout.split('\n');
        const actual = web.stdout.split('\n');
        const first = expected.findIndex((line, i) => line !== actual[i]);
        assert.ok(expected.length > 5, `${name}: the simulator says almost nothing`);
        assert.deepEqual(
            actual,
            expected,
            first < 0 ? 'the browser says more' : `first difference at line ${first + 1}`,
        );
    });
}

// Malformed scripts: the simulator's reader (shinkei-sim check) refuses them for the driver,
// which stops before any browser (there is none to launch here) with the same message and status.
test(
    "a malformed script stops the driver with the simulator's message, naming the line",
    { timeout: testTimeout },
    async (t) => {
        assert.ok(
            fs.existsSync(simPath),
            `no ${simPath}: build the native preset first (make native)`,
        );
        const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'shinkei-script-'));
        t.after(() => fs.rmSync(folder, { recursive: true, force: true }));
        const cases = {
            'hex-wait': '# seed 1\r\nclick 36 38\r\nwait 0x10\r\n',
            'bom-bad-verb': '\xEF\xBB\xBFjump 3\n',
            'after-too-long': 'answer 6 after 86400001\n',
            'click-range': '\n\nclick 36 32768\n',
            'dialog-bits': 'dialog 1 0x10\n',
            'dialog-cancel-extra': 'dialog cancel 2\n',
            'key-name': 'key Tab\n',
            overflow: 'wait 9223372036854775808\n',
            'trailing-word': 'command 40018 # settings\n',
        };
        for (const [name, text] of Object.entries(cases)) {
            const file = path.join(folder, `${name}.txt`);
            fs.writeFileSync(file, Buffer.from(text, 'latin1'));
            const sim = await outcome(simPath, ['script', '--seed', '1', file], {
                encoding: 'latin1',
            });
            const web = await outcome(process.execPath, [driver, '--seed', '1', file], {
                encoding: 'latin1',
                env: { ...process.env, SHINKEI_CHROMIUM: '/nonexistent/chromium' },
            });
            assert.equal(sim.code, 2, `${name}: ${sim.stderr}`);
            assert.equal(web.code, 2, `${name}: ${web.stderr}`);
            assert.match(web.stderr, /: line \d+: /, name);
            assert.equal(
                web.stderr.replace(/^play-script: /, ''),
                sim.stderr.replace(/^shinkei-sim: /, ''),
                name,
            );
            assert.equal(web.stdout, '', name);
        }
        const alone = await outcome(
            process.execPath,
            [driver, '--seed', '1', path.join(scripts, 'two-humans.txt')],
            {
                env: {
                    ...process.env,
                    SHINKEI_SIM: path.join(folder, 'no-shinkei-sim'),
                    SHINKEI_CHROMIUM: '/nonexistent/chromium',
                },
            },
        );
        assert.equal(alone.code, 1, 'no simulator to read the script');
        assert.match(
            alone.stderr,
            /^play-script: no simulator .*: build it first \(make native\)\n$/,
        );
    },
);
