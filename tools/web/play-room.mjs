// play-room: plays a session script in a room of K pages, each in a browser context of its own
// (its own storage, as separate devices), on a rooms server it starts on free ports, and prints
// the host's transcript, the same as `shinkei-sim script --seed N SCRIPT`.
//   node tools/web/play-room.mjs --seed N --devices K [--lang en] SCRIPT
//                                [--page build/web/index.html] [--log FILE] [--verbose]
// The first page makes the room ("オンライン") and is its host, with its clock faked and run only
// from here; the others join by the room's link, in order, and take Player１, Player２... Each
// `click` and `key` is pressed on the device that holds the seat whose turn it is (the host's when a
// computer has it or no other device holds it); commands and dialogs on the host; each box's
// answer on the device of the player it names (the host's for the others). After each line the
// driver waits until every device's program has reached the host's time.
// Exit status: 0 played, every device alike; 1 a device's transcript differs (the first such line
// is named; sound lines aside), or the page, the browser or the server failed; 2 a bad command
// line or script. --log writes the room's log as the server keeps it, with a last `mark` at the
// host's time, for `shinkei-sim room`.
import fs from 'node:fs';
import path from 'node:path';
import {
    Driver,
    checkScript,
    kKeyNames,
    launchChromium,
    pageUrl,
    pressBoard,
    root,
    runAsCommand,
} from './play-script.mjs';
import { pageUser, retry, startServers } from './rooms-servers.mjs';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A guest's state in one look: its program's time, and whether it has nothing left to do.
function guestState(page) {
    return page.evaluate(async () => {
        const idle = await Promise.race([
            window.shinkei.idle().then(() => true),
            new Promise((resolve) => setTimeout(() => resolve(false), 50)),
        ]);
        return {
            time: window.shinkei.programTime(),
            idle,
            ended: window.shinkei.ended,
            room: window.ShinkeiPage.room.state(),
        };
    });
}

// The host's driver: the script's lines as Driver plays them, each input on the device whose
// seat it is, and every guest brought to the host's time after each.
export class RoomDriver extends Driver {
    constructor(page, options) {
        super(page, options);
        this.guests = []; // { page, dev }
    }

    // The host's program idle. While its clock is held by an input the server has not yet
    // acknowledged, its timers run (its program cannot pass the held time): the client's own
    // retries and reconnections need them.
    async hostIdle() {
        const done = this.page.evaluate(() => window.shinkei.idle()).then(() => true);
        const deadline = Date.now() + this.timeout;
        for (;;) {
            if (await Promise.race([done, sleep(10).then(() => false)])) return;
            if (Date.now() > deadline) throw new Error(`the host stays busy (${this.errors})`);
            const held = await this.page.evaluate(() => window.ShinkeiPage.room?.state().held ?? 0);
            await this.page.clock.runFor(held ? 100 : 0);
        }
    }

    async idle() {
        const deadline = Date.now() + this.timeout;
        for (;;) {
            await this.hostIdle();
            const target = await this.page.evaluate(() => window.shinkei.programTime());
            let behind = null;
            for (const guest of this.guests) {
                if (guest.away) continue; // cut off by a test: it catches up when it is back
                const state = await guestState(guest.page);
                // Caught up: free to run to the host's time, with nothing left to do before it.
                if (!state.ended && (state.room.limit < target || !state.idle)) {
                    behind = { ...guest, ...state };
                }
            }
            const now = await this.page.evaluate(() => window.shinkei.programTime());
            if (!behind && now === target) return;
            if (Date.now() > deadline) {
                const room = await this.page.evaluate(() => window.ShinkeiPage.room.state());
                throw new Error(
                    `device ${behind.dev} stays at ${behind.time} ms, behind the host's ${target} ` +
                        `(it: ${JSON.stringify(behind.room)}; the host: ${JSON.stringify(room)})`,
                );
            }
            await sleep(5);
        }
    }

    deviceOf(dev) {
        return dev === 0 ? this.page : this.guests.find((guest) => guest.dev === dev).page;
    }

    async clickBoard(x, y, pointerType = 'mouse') {
        const dev = await this.page.evaluate(() => window.ShinkeiPage.room.turnHolder());
        await this.say(`click ${x} ${y} on device ${dev}`);
        await pressBoard(this.deviceOf(dev), x, y, pointerType);
        await this.idle();
        await this.tend();
    }

    async pressKey(virtualKey) {
        const dev = await this.page.evaluate(() => window.ShinkeiPage.room.turnHolder());
        if (dev === 0) return super.pressKey(virtualKey);
        await this.say(`key ${virtualKey} on device ${dev}`);
        await this.deviceOf(dev).keyboard.press(kKeyNames.get(virtualKey));
        await this.idle();
        await this.tend();
    }

    async answer(top) {
        if (!top.modal.dialog) {
            const dev = await this.page.evaluate(
                (serial) => window.ShinkeiPage.room.answerer(serial),
                top.serial,
            );
            if (dev !== 0) {
                await this.say(
                    `box ${top.serial} (${top.modal.text}): ${top.answer.button} on device ${dev}`,
                );
                const button = `.modal[data-modal="${top.serial}"] button[data-id="${top.answer.button}"]`;
                await this.deviceOf(dev).locator(button).click({ timeout: this.timeout });
                return this.idle();
            }
        }
        return super.answer(top);
    }

    // Every device's transcript, the host's first.
    async transcripts() {
        const all = [await this.transcript()];
        for (const guest of this.guests) {
            all.push(await guest.page.evaluate(() => window.shinkei.transcript.slice()));
        }
        return all;
    }
}

// Opens a room: the host's page makes it, then each guest joins in turn. `params` go to every
// page (e.g. { lang: 'en' }); the host's also get `seed`.
export async function openRoom(
    browser,
    { page, server, seed, devices, params = {}, log, timeout, contextOptions = {} },
) {
    const hostContext = await browser.newContext(contextOptions);
    const hostUrl = pageUrl(page, { ...params, seed, transcript: true, server });
    const host = await RoomDriver.open(hostContext, hostUrl, { log, timeout });
    await host.page.locator('#online').click({ timeout: host.timeout });
    await host.page.waitForURL(/[?&]room=[0-9a-f]{32}/, { timeout: host.timeout });
    await host.ready();
    const invite = await host.page.evaluate(() => window.ShinkeiPage.room.inviteUrl());
    for (let dev = 1; dev < devices; ++dev) {
        await joinRoom(browser, host, invite, dev, params);
    }
    return host;
}

// A guest's device: a browser context of its own, opening the invitation; waits until it holds
// device number `dev` and its program has caught up.
export async function joinRoom(browser, host, invite, dev, params = {}, contextOptions = {}) {
    const context = await browser.newContext(contextOptions);
    const page = await context.newPage();
    page.on('pageerror', (error) => host.errors.push(`device ${dev}: ${error}`));
    await page.goto(pageUrl(invite, { ...params, transcript: true }), { timeout: host.timeout });
    await page.waitForFunction((d) => window.ShinkeiPage?.room?.state().dev === d, dev, {
        timeout: host.timeout,
    });
    const guest = { page, dev, context };
    host.guests.push(guest);
    await host.idle();
    return guest;
}

// The room's log as the server keeps it, one entry a line, through a client of its own.
export async function readRoomLog(natsUrl, roomId) {
    return retry(() => readRoomLogOnce(natsUrl, roomId));
}
async function readRoomLogOnce(natsUrl, roomId) {
    const { connect } = await import('@nats-io/transport-node');
    const { jetstream } = await import('@nats-io/jetstream');
    const nc = await connect({ servers: natsUrl, ...pageUser });
    try {
        const consumer = await jetstream(nc).consumers.get(`ROOM_${roomId}`);
        const lines = [];
        const messages = await consumer.consume();
        for await (const message of messages) {
            lines.push(message.string());
            if (message.info.pending === 0) break;
        }
        return lines;
    } finally {
        await nc.close();
    }
}

// The first line where a device's transcript differs from the host's, sound lines aside.
export function firstDifference(transcripts) {
    const strip = (lines) => lines.filter((line) => !line.startsWith('sound '));
    const [host, ...guests] = transcripts.map(strip);
    for (const [i, lines] of guests.entries()) {
        const length = Math.max(host.length, lines.length);
        for (let n = 0; n < length; ++n) {
            if (host[n] !== lines[n]) {
                return {
                    device: i + 1,
                    line: n + 1,
                    host: host[n] ?? '(none)',
                    got: lines[n] ?? '(none)',
                };
            }
        }
    }
    return null;
}

function usage(why) {
    if (why) process.stderr.write(`play-room: ${why}\n`);
    process.stderr.write(
        'usage: play-room.mjs --seed N --devices K [--lang en] SCRIPT [--page PATH/index.html]\n' +
            '                     [--log FILE] [--verbose]\n',
    );
    return 2;
}

async function main(args) {
    let seed = null;
    let lang = null;
    let devices = null;
    let file = null;
    let logFile = null;
    let page = path.join(root, 'build/web/index.html');
    let verbose = false;
    for (let i = 0; i < args.length; ++i) {
        const hasValue = i + 1 < args.length;
        if (args[i] === '--seed' && hasValue) seed = args[++i];
        else if (args[i] === '--lang' && hasValue) lang = args[++i];
        else if (args[i] === '--devices' && hasValue) devices = args[++i];
        else if (args[i] === '--page' && hasValue) page = args[++i];
        else if (args[i] === '--log' && hasValue) logFile = args[++i];
        else if (args[i] === '--verbose') verbose = true;
        else if (file === null && !args[i].startsWith('--')) file = args[i];
        else return usage();
    }
    if (file === null || devices === null) return usage();
    if (!/^[1-8]$/.test(devices)) return usage(`--devices takes 1 to 8, not '${devices}'`);
    const checked = checkScript(file, { seed, lang });
    if (checked.code) {
        process.stderr.write(String(checked.message).replace(/^play-script: /gm, 'play-room: '));
        return checked.code;
    }
    if (!fs.existsSync(page)) {
        process.stderr.write(`play-room: no page ${page}: build it first (make web)\n`);
        return 1;
    }
    const servers = await startServers(1);
    const browser = await launchChromium();
    try {
        const log = verbose ? (text) => process.stderr.write(`play-room: ${text}\n`) : null;
        const host = await openRoom(browser, {
            page,
            server: servers[0].wsUrl,
            seed: checked.seed,
            devices: Number(devices),
            params: { lang: checked.lang },
            log,
        });
        await host.play(checked.lines);
        const transcripts = await host.transcripts();
        process.stdout.write(transcripts[0].map((line) => line + '\n').join(''));
        if (logFile) {
            const roomId = await host.page.evaluate(() => window.ShinkeiPage.room.id);
            const time = await host.page.evaluate(() => window.shinkei.programTime());
            const lines = await readRoomLog(servers[0].url, roomId);
            fs.writeFileSync(logFile, [...lines, `mark ${time}`].join('\n') + '\n');
        }
        const difference = firstDifference(transcripts);
        if (difference) {
            process.stderr.write(
                `play-room: device ${difference.device} differs at line ${difference.line}: ` +
                    `the host has "${difference.host}", it has "${difference.got}"\n`,
            );
            return 1;
        }
        return 0;
    } finally {
        await browser.close();
        await servers.stop();
    }
}

runAsCommand(import.meta.url, 'play-room', main);
