// play-script: plays a script on the browser build through real DOM events, with the page's
// clock faked and run only from here, and prints the same transcript as
// `shinkei-sim script --seed N SCRIPT`.
//   node tools/web/play-script.mjs --seed N [--lang en] SCRIPT [--page build/web/index.html]
//                                  [--verbose]
// Exit status: 0 played, 1 the page or the browser failed, 2 a bad command line or script.
// The script is read by the simulator (`shinkei-sim check`; env SHINKEI_SIM, else
// build/native/shinkei-sim). As a module it gives the browser launch and the Driver to the
// tests.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { ids } from './resource-ids.mjs';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');

// --- The script ------------------------------------------------------------------------------
// The simulator reads it (`shinkei-sim check`) and hands over the parsed lines as JSON, so the
// browser plays exactly what the simulator would, and refuses what it refuses in its words.

export const simPath = process.env.SHINKEI_SIM ?? path.join(root, 'build/native/shinkei-sim');

// { seed, lang, lines } from the check, or { code, message } when the driver must stop first.
export function checkScript(file, { seed = null, lang = null } = {}) {
    if (!fs.existsSync(simPath)) {
        return {
            code: 1,
            message: `play-script: no simulator ${simPath}: build it first (make native)\n`,
        };
    }
    const args = [
        'check',
        ...(seed === null ? [] : ['--seed', seed]),
        ...(lang === null ? [] : ['--lang', lang]),
        file,
    ];
    const run = spawnSync(simPath, args, { maxBuffer: 64 << 20 });
    if (run.error) {
        return { code: 1, message: `play-script: cannot run ${simPath}: ${run.error.message}\n` };
    }
    if (run.status !== 0) {
        // Bytes as they came (a line is quoted byte for byte), only the speaker renamed.
        const message = run.stderr.toString('latin1').replace(/^shinkei-sim: /gm, 'play-script: ');
        return { code: run.status === 2 ? 2 : 1, message: Buffer.from(message, 'latin1') };
    }
    return JSON.parse(run.stdout.toString('utf8'));
}

const IDOK = 1;
const IDCANCEL = 2;
const IDYES = 6;

// A script's keys, by their virtual keys, as the player presses them on the page.
export const kKeyNames = new Map([
    [0x25, 'ArrowLeft'],
    [0x27, 'ArrowRight'],
    [0x26, 'ArrowUp'],
    [0x28, 'ArrowDown'],
    [0x20, 'Space'],
    [0x0d, 'Enter'],
]);

// --- The browser -----------------------------------------------------------------------------

export const chromiumArgs = [
    '--headless',
    '--no-sandbox',
    '--disable-gpu',
    '--disable-quic',
    '--no-first-run',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
];

// Playwright gives each launch a new empty --user-data-dir of its own and removes it on close.
export async function launchChromium(options = {}) {
    const { chromium } = await import('playwright-core');
    return chromium.launch({
        executablePath: process.env.SHINKEI_CHROMIUM || '/usr/bin/chromium',
        headless: true,
        timeout: 30_000,
        ...options,
        args: [...chromiumArgs, ...(options.args ?? [])],
    });
}

// Any fixed instant: the program counts its time from its own start.
export const clockStart = Date.UTC(2024, 0, 1);

export function pageUrl(page, params = {}) {
    const url = /^[a-z]+:\/\//.test(page) ? new URL(page) : pathToFileURL(path.resolve(page));
    for (const [key, value] of Object.entries(params)) {
        url.searchParams.set(key, value === true ? '' : String(value));
    }
    // "?seed=7&transcript", not "transcript=": the page reads a bare flag.
    url.search = url.search.replace(/=(?=&|$)/g, '');
    return url.href;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The settings dialog's controls.
const kHumanRadios = [
    ids.IDC_HUMANS_NONE,
    ids.IDC_HUMANS_1,
    ids.IDC_HUMANS_2,
    ids.IDC_HUMANS_3,
    ids.IDC_HUMANS_4,
];
const kComputerBoxes = [
    [ids.IDC_COMPUTER_01, 0x01],
    [ids.IDC_COMPUTER_02, 0x02],
    [ids.IDC_COMPUTER_04, 0x04],
    [ids.IDC_COMPUTER_08, 0x08],
];

// Plays on a page whose clock this driver alone runs. Every input is followed by idle(), so
// the program has handled it, and tend(), which answers the boxes and dialogs it opened.
export class Driver {
    constructor(page, { timeout = 20_000, log = null } = {}) {
        this.page = page;
        this.timeout = timeout; // real ms for anything the page must do by itself
        this.log = log;
        this.boxAnswers = [];
        this.dialogAnswers = [];
        this.stack = []; // the open boxes and dialogs, in the order they opened
        this.seen = new Set();
        this.errors = []; // uncaught exceptions in the page, for the messages
        page.on('pageerror', (error) => this.errors.push(String(error)));
    }

    // Opens the game in a new page of `context` with the clock paused from before its first
    // script runs.
    static async open(context, url, options = {}) {
        const page = await context.newPage();
        const driver = new this(page, options);
        // Time flows between the two calls: pausing a minute on is never in the past.
        await page.clock.install({ time: clockStart });
        await page.clock.pauseAt(clockStart + 60_000);
        await page.goto(url, { timeout: driver.timeout });
        await driver.ready();
        return driver;
    }

    async ready() {
        const deadline = Date.now() + this.timeout;
        for (;;) {
            const state = await this.page.evaluate(() => {
                const error = document.getElementById('error');
                return {
                    hooks: typeof window.shinkei?.ready?.then === 'function',
                    error: error && error.checkVisibility() ? error.textContent.trim() : '',
                };
            });
            if (state.error) {
                throw new Error(`the page shows an error: ${state.error}`);
            }
            if (state.hooks) {
                break;
            }
            if (Date.now() > deadline) {
                throw new Error('the page has no window.shinkei.ready');
            }
            await sleep(20);
        }
        await this.pagePromise(() => window.shinkei.ready, 'shinkei.ready');
        await this.idle();
        await this.tend();
    }

    // The page loaded again (its clock stays where it was): a new run of the program.
    async reload() {
        this.stack = [];
        this.seen.clear();
        await this.page.reload({ timeout: this.timeout });
        await this.ready();
    }

    // Awaits a promise the page makes; while it is pending, lets timers already due run (the
    // clock stays where it is), in case the page's own machinery uses zero-delay timers.
    async pagePromise(fn, what) {
        const done = this.page.evaluate(fn).then(() => true);
        const deadline = Date.now() + this.timeout;
        for (let pause = 2; ; pause = Math.min(pause * 2, 100)) {
            if (await Promise.race([done, sleep(pause).then(() => false)])) {
                return;
            }
            if (Date.now() > deadline) {
                const errors = this.errors.length
                    ? ` (page errors: ${this.errors.join('; ')})`
                    : '';
                throw new Error(`${what} did not resolve within ${this.timeout} ms${errors}`);
            }
            if (pause >= 16) {
                const error = await this.page.evaluate(() => {
                    const e = document.getElementById('error');
                    return e && e.checkVisibility() ? e.textContent.trim() : '';
                });
                if (error) {
                    throw new Error(`the page shows an error: ${error}`);
                }
                await this.page.clock.runFor(0);
            }
        }
    }

    idle() {
        return this.pagePromise(() => window.shinkei.idle(), 'shinkei.idle()');
    }

    // Everything the driver decides on, in one look.
    state() {
        return this.page.evaluate(() => {
            const modals = [...document.querySelectorAll('.modal')]
                .filter((m) => m.checkVisibility())
                .map((m) => ({
                    serial: Number(m.dataset.modal),
                    dialog: m.classList.contains('dialog'),
                    template: Number(m.dataset.template ?? -1),
                    type: m.dataset.type === undefined ? null : Number(m.dataset.type),
                    buttons: [...m.querySelectorAll('button[data-id]')].map((b) =>
                        Number(b.dataset.id),
                    ),
                    text:
                        (m.querySelector('.caption .title')?.textContent ?? '') +
                        ': ' +
                        (m.querySelector('.text')?.textContent ?? ''),
                }));
            return {
                now: Date.now(),
                wake: window.shinkei.nextWake(),
                ended: Boolean(window.shinkei.ended),
                modals,
            };
        });
    }

    async say(text) {
        if (this.log) {
            this.log(`[${await this.page.evaluate(() => window.shinkei.now())}] ${text}`);
        }
    }

    // Gives each newly opened box or dialog its answer (the front of its queue, or the default)
    // and answers the newest one once its time has come; only the newest can close first.
    async tend() {
        for (let guard = 0; guard < 1000; ++guard) {
            const state = await this.state();
            if (state.ended) {
                this.stack = [];
                return state;
            }
            const open = new Set(state.modals.map((m) => m.serial));
            this.stack = this.stack.filter((entry) => open.has(entry.serial));
            for (const modal of state.modals.sort((x, y) => x.serial - y.serial)) {
                if (!this.seen.has(modal.serial)) {
                    this.seen.add(modal.serial);
                    this.stack.push(this.take(modal, state.now));
                }
            }
            const top = this.stack.at(-1);
            if (!top || top.due > state.now) {
                return state;
            }
            if (top.answered) {
                throw new Error(
                    `the ${top.modal.dialog ? 'dialog' : 'box'} ${top.serial} ` +
                        `(${top.modal.text}) stayed open after its answer`,
                );
            }
            top.answered = true;
            await this.answer(top);
        }
        throw new Error('boxes keep opening');
    }

    // `dialog` lines fill the settings dialog; any other dialog (the version) is closed with OK
    // and takes none.
    take(modal, now) {
        if (modal.dialog && modal.template !== ids.IDD_SETTINGS) {
            return { serial: modal.serial, modal, answer: { ok: true }, due: now };
        }
        if (modal.dialog) {
            const answer = this.dialogAnswers.shift() ?? {
                cancel: true,
                humans: 0,
                bits: 0,
                delay: 0,
            };
            return { serial: modal.serial, modal, answer, due: now + answer.delay };
        }
        let answer = this.boxAnswers.shift();
        if (!answer) {
            // The default button: Yes in an MB_YESNO box, else OK.
            const yesNo =
                modal.type !== null ? (modal.type & 0x0f) === 4 : modal.buttons.includes(IDYES);
            answer = { button: yesNo ? IDYES : IDOK, delay: 0 };
        }
        return { serial: modal.serial, modal, answer, due: now + answer.delay };
    }

    async click(selector) {
        await this.page.locator(selector).click({ timeout: this.timeout });
        await this.idle();
    }

    async answer({ serial, modal, answer }) {
        const within = `.modal[data-modal="${serial}"]`;
        if (!modal.dialog) {
            await this.say(`box ${serial} (${modal.text}): ${answer.button}`);
            if (!modal.buttons.includes(answer.button)) {
                throw new Error(`the box ${serial} (${modal.text}) has no button ${answer.button}`);
            }
            return this.click(`${within} button[data-id="${answer.button}"]`);
        }
        if (answer.ok) {
            await this.say(`dialog ${serial}: OK`);
            return this.click(`${within} button[data-id="${IDOK}"]`);
        }
        if (answer.cancel) {
            await this.say(`dialog ${serial}: cancel`);
            if (modal.buttons.includes(IDCANCEL)) {
                return this.click(`${within} button[data-id="${IDCANCEL}"]`);
            }
            await this.page.keyboard.press('Escape');
            return this.idle();
        }
        await this.say(`dialog ${serial}: humans ${answer.humans} computers ${answer.bits}`);
        const input = (id) =>
            `${within} [data-control="${id}"] input, ${within} input[data-control="${id}"]`;
        await this.click(input(kHumanRadios[answer.humans]));
        for (const [id, bit] of kComputerBoxes) {
            const checked = await this.page.locator(input(id)).isChecked({ timeout: this.timeout });
            if (checked !== ((answer.bits & bit) !== 0)) {
                await this.click(input(id));
            }
        }
        return this.click(`${within} button[data-id="${IDOK}"]`);
    }

    // Runs the clock wake by wake until `end` (page time), and further while a box is open
    // and not yet answered, as a user answering late holds the program there.
    async runClock(end) {
        for (let still = 0; ;) {
            const state = await this.tend();
            const top = this.stack.at(-1);
            if (state.ended || (!top && state.now >= end)) {
                return;
            }
            const to = Math.min(top ? top.due : end, state.wake);
            still = to <= state.now ? still + 1 : 0;
            if (still > 100) {
                throw new Error(
                    `the program's next wake (${state.wake}) stays at or before now (${state.now})`,
                );
            }
            await this.page.clock.runFor(Math.max(0, to - state.now));
            await this.idle();
        }
    }

    async now() {
        return this.page.evaluate(() => Date.now());
    }

    async wait(ms) {
        await this.runClock((await this.now()) + ms);
    }

    // Until no box or dialog is open: after each line of a script.
    async settle() {
        await this.runClock(-Infinity);
    }

    // A press on the board at its client pixel (x, y).
    async clickBoard(x, y, pointerType = 'mouse') {
        await pressBoard(this.page, x, y, pointerType);
        await this.idle();
        await this.tend();
    }

    // A key pressed on the page's keyboard, its virtual key `virtualKey`, with the page's focus
    // where a player's would be.
    async pressKey(virtualKey) {
        const name = kKeyNames.get(virtualKey);
        if (!name) {
            throw new Error(`no key for the virtual key ${virtualKey}`);
        }
        await this.page.keyboard.press(name);
        await this.idle();
        await this.tend();
    }

    // A menu command as a player chooses it: its popup opened from the menu bar, the item
    // clicked (a grayed one too: it does nothing). A command in no menu is ignored. Leaves what
    // it opens unanswered; command() answers it.
    async choose(id) {
        const item = `.popup .item[data-command="${id}"]`;
        const menus = await this.page.locator('#menubar .menu').count();
        for (let i = 0; i < menus; ++i) {
            await this.click(`#menubar .menu >> nth=${i}`);
            await this.page
                .locator('.popup')
                .first()
                .waitFor({ state: 'visible', timeout: this.timeout });
            if (await this.page.locator(item).count()) {
                await this.say(`command ${id}`);
                await this.page.locator(item).click({ timeout: this.timeout, force: true });
                await this.idle();
                return true;
            }
            await this.page.keyboard.press('Escape');
            await this.idle();
        }
        await this.say(`command ${id}: in no menu`);
        return false;
    }

    async command(id) {
        await this.choose(id);
        await this.tend();
    }

    async transcript() {
        return this.page.evaluate(() => (window.shinkei.transcript ?? []).slice());
    }

    // A whole script, line by line, as RunScript plays it.
    async play(script) {
        for (const line of script) {
            if ((await this.state()).ended) {
                break;
            }
            switch (line.kind) {
                case 'click':
                    await this.say(`click ${line.a} ${line.b}`);
                    await this.clickBoard(line.a, line.b);
                    break;
                case 'key':
                    await this.say(`key ${kKeyNames.get(line.a)}`);
                    await this.pressKey(line.a);
                    break;
                case 'wait':
                    await this.say(`wait ${line.a}`);
                    await this.wait(line.a);
                    break;
                case 'command':
                    await this.command(line.a);
                    break;
                case 'answer':
                    this.boxAnswers.push({ button: line.a, delay: line.delay });
                    break;
                case 'dialog':
                    this.dialogAnswers.push({
                        cancel: false,
                        humans: line.a,
                        bits: line.b,
                        delay: line.delay,
                    });
                    break;
                case 'dialog-cancel':
                    this.dialogAnswers.push({
                        cancel: true,
                        humans: 0,
                        bits: 0,
                        delay: line.delay,
                    });
                    break;
            }
            await this.settle();
        }
        return this.transcript();
    }
}

// A press on the board at its client pixel (x, y), dispatched on the canvas itself, so points
// the score window covers still reach the board.
export function pressBoard(page, x, y, pointerType = 'mouse') {
    return page.evaluate(
        ([x, y, pointerType]) => {
            const canvas = document.getElementById('board-canvas');
            const rect = canvas.getBoundingClientRect();
            const init = {
                bubbles: true,
                cancelable: true,
                composed: true,
                clientX: rect.left + ((x + 0.5) * rect.width) / canvas.width,
                clientY: rect.top + ((y + 0.5) * rect.height) / canvas.height,
                button: 0,
                pointerId: 1,
                pointerType,
                isPrimary: true,
            };
            canvas.dispatchEvent(new PointerEvent('pointerdown', { ...init, buttons: 1 }));
            canvas.dispatchEvent(new PointerEvent('pointerup', { ...init, buttons: 0 }));
        },
        [x, y, pointerType],
    );
}

// --- The command ------------------------------------------------------------------------------

function usage(why) {
    if (why) {
        process.stderr.write(`play-script: ${why}\n`);
    }
    process.stderr.write(
        'usage: play-script.mjs --seed N [--lang en] SCRIPT [--page PATH/index.html] [--verbose]\n',
    );
    return 2;
}

async function main(args) {
    let seed = null;
    let lang = null;
    let file = null;
    let page = path.join(root, 'build/web/index.html');
    let verbose = false;
    for (let i = 0; i < args.length; ++i) {
        const hasValue = i + 1 < args.length;
        // The seed and the language are the simulator's to judge, as its script command does.
        if (args[i] === '--seed' && hasValue) {
            seed = args[++i];
        } else if (args[i] === '--lang' && hasValue) {
            lang = args[++i];
        } else if (args[i] === '--page' && hasValue) {
            page = args[++i];
        } else if (args[i] === '--verbose') {
            verbose = true;
        } else if (file === null && !args[i].startsWith('--')) {
            file = args[i];
        } else {
            return usage();
        }
    }
    if (file === null) {
        return usage();
    }
    const checked = checkScript(file, { seed, lang });
    if (checked.code) {
        process.stderr.write(checked.message);
        return checked.code;
    }
    if (!/^[a-z]+:\/\//.test(page) && !fs.existsSync(page)) {
        process.stderr.write(`play-script: no page ${page}: build it first (make web)\n`);
        return 1;
    }
    const browser = await launchChromium();
    try {
        const context = await browser.newContext();
        const log = verbose ? (text) => process.stderr.write(`play-script: ${text}\n`) : null;
        const params = { seed: checked.seed, transcript: true, lang: checked.lang };
        const driver = await Driver.open(context, pageUrl(page, params), { log });
        const lines = await driver.play(checked.lines);
        process.stdout.write(lines.map((line) => line + '\n').join(''));
        return 0;
    } finally {
        await browser.close();
    }
}

// Runs `main` as the command `name` when `moduleUrl` is the script node was started with: its
// status is main's answer, 1 with the message for an error, and 1 after 10 minutes whatever a
// page does.
export function runAsCommand(moduleUrl, name, main) {
    if (moduleUrl !== pathToFileURL(process.argv[1] ?? '').href) return;
    const watchdog = setTimeout(() => {
        process.stderr.write(`${name}: gave up after 10 minutes\n`);
        process.exit(1);
    }, 600_000);
    watchdog.unref();
    main(process.argv.slice(2)).then(
        (code) => {
            process.exitCode = code;
        },
        (error) => {
            process.stderr.write(`${name}: ${error.message}\n`);
            process.exitCode = 1;
        },
    );
}

runAsCommand(import.meta.url, 'play-script', main);
