// Rooms as players meet them: real pages in Chromium, each device a browser context of its own,
// on nats-servers of their own. Every device's transcript must equal the host's, and the
// simulator replaying the room's log must give the same: the room played the real game.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { connect } from '@nats-io/transport-node';
import { checkScript, launchChromium, root, simPath } from '../../tools/web/play-script.mjs';
import { firstDifference, joinRoom, openRoom, readRoomLog } from '../../tools/web/play-room.mjs';
import { pageUser, startRelay, startServers } from '../../tools/web/rooms-servers.mjs';

const page = path.join(root, 'build/web/index.html');
const ID_GAME_SETTINGS = 40018;
const ID_GAME_NEW = 40001;

let browser;
before(async () => {
    browser = await launchChromium();
});
after(() => browser?.close());

// A room on `servers`: the host and `devices - 1` guests; the settings dialog then gives
// `humans` players and the computers of `bits`.
async function room(servers, { devices = 3, humans = 2, bits = 0x01, seed = 11 } = {}) {
    const host = await openRoom(browser, {
        page,
        server: servers.map((s) => s.wsUrl).join(','),
        seed,
        devices,
    });
    await host.play([
        { kind: 'dialog', a: humans, b: bits, delay: 0 },
        { kind: 'command', a: ID_GAME_SETTINGS },
    ]);
    return host;
}

const roomState = (host) => host.page.evaluate(() => window.ShinkeiPage.room.state());

// The board as the transcript tells it: the last deal, less the cells of each pair taken.
function board(lines) {
    const start = lines.findLastIndex((line) => line.startsWith('deal '));
    const deal = lines[start]
        .slice(5)
        .match(/../g)
        .map((h) => parseInt(h, 16));
    const taken = new Set();
    let flips = [];
    for (const line of lines.slice(start + 1)) {
        const [what, , column, row] = line.split(' ');
        if (what === 'flip') flips.push(Number(column) * 6 + Number(row));
        if (what === 'pair') flips.slice(-2).forEach((cell) => taken.add(cell));
        if (what === 'pair' || what === 'miss') flips = [];
    }
    return { deal, taken };
}

// A human's turn played well: two cells of one rank, at their cards' centres.
async function takePair(host) {
    const { deal, taken } = board(await host.transcript());
    const rank = (cell) => deal[cell] & 0x0f;
    const left = [...deal.keys()].filter((cell) => !taken.has(cell));
    const first = left.find((a) => left.some((b) => b !== a && rank(b) === rank(a)));
    const second = left.find((b) => b !== first && rank(b) === rank(first));
    for (const cell of [first, second]) {
        await host.clickBoard(36 + 60 * Math.floor(cell / 6), 38 + 70 * (cell % 6));
    }
}

// A human's turn missed: two cells of different ranks.
async function missPair(host) {
    const { deal, taken } = board(await host.transcript());
    const left = [...deal.keys()].filter((cell) => !taken.has(cell));
    const second = left.find((b) => (deal[b] & 0x0f) !== (deal[left[0]] & 0x0f));
    for (const cell of [left[0], second]) {
        await host.clickBoard(36 + 60 * Math.floor(cell / 6), 38 + 70 * (cell % 6));
    }
}

// Plays on until `done(transcript)`: humans take pairs on their own devices, computers think.
async function playUntil(host, done, steps = 200) {
    for (let step = 0; step < steps; ++step) {
        if (done(await host.transcript())) return;
        const { turn } = await roomState(host);
        if ((turn & 0xf0) === 0x10) await takePair(host);
        await host.wait(1700);
    }
    assert.fail('the game did not get there');
}
const won = (lines) => lines.some((line) => line.startsWith('winners '));
const pairs = (count) => (lines) =>
    lines.filter((line) => line.startsWith('pair ')).length >= count;

// Every device alike, and the simulator's replay of the room's log alike too.
async function assertOneGame(host, servers, lang = 'ja') {
    const transcripts = await host.transcripts();
    assert.equal(firstDifference(transcripts), null);
    const id = await host.page.evaluate(() => window.ShinkeiPage.room.id);
    const time = await host.page.evaluate(() => window.shinkei.programTime());
    const log = await readRoomLog(
        servers.map((s) => s.url),
        id,
    );
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'room-')), 'log.txt');
    fs.writeFileSync(file, [...log, `mark ${time}`].join('\n') + '\n');
    const replay = spawnSync(simPath, ['room', '--lang', lang, file], { encoding: 'utf8' });
    assert.equal(replay.status, 0, replay.stderr);
    assert.deepEqual(replay.stdout.trimEnd().split('\n'), transcripts[0]);
    return { transcripts, log };
}

// Every session script, played in a room, each press and box on the device whose it is.
describe('the session scripts in rooms of 2 to 4 devices', () => {
    const scripts = fs
        .readdirSync(path.join(root, 'tests/scripts'))
        .filter((f) => f.endsWith('.txt'));
    for (const [i, name] of scripts.entries()) {
        const devices = 2 + (i % 3);
        test(`${name} on ${devices} devices: the simulator's transcript on every device`, async (t) => {
            const file = path.join(root, 'tests/scripts', name);
            // The seed and language a script's head names, as its own comments say.
            const head = fs.readFileSync(file, 'utf8');
            const seed = /^# seed (\d+)/m.exec(head)?.[1] ?? '1';
            const lang = /^# lang (\w+)/m.exec(head)?.[1] ?? 'ja';
            const checked = checkScript(file, { seed, lang });
            const servers = await startServers(1, { t });
            const host = await openRoom(browser, {
                page,
                server: servers[0].wsUrl,
                seed: checked.seed,
                devices,
                params: { lang: checked.lang },
            });
            await host.play(checked.lines);
            const args = ['script', '--seed', checked.seed, '--lang', checked.lang, file];
            const expected = spawnSync(simPath, args, { encoding: 'utf8' }).stdout;
            assert.deepEqual((await host.transcript()).join('\n'), expected.trimEnd());
            await assertOneGame(host, servers, checked.lang);
        });
    }
});

describe('a room on one server', () => {
    test('host and two guests play two humans and a computer to the winners, all alike', async (t) => {
        const servers = await startServers(1, { t });
        const host = await room(servers);
        await playUntil(host, won);
        const { transcripts, log } = await assertOneGame(host, servers);
        // Both humans played on their own devices: each guest's presses are in the log.
        assert.ok(transcripts[0].some((line) => line.startsWith('flip 12 ')));
        assert.ok(log.filter((line) => / click /.test(line)).length >= 4);
    });

    test('a guest cut off for 10 s catches up: nothing lost, nothing twice', async (t) => {
        const servers = await startServers(1, { t });
        const relay = await startRelay(servers[0].wsPort);
        t.after(() => relay.close());
        const host = await openRoom(browser, {
            page,
            server: servers[0].wsUrl,
            seed: 12,
            devices: 1,
        });
        const invite = await host.page.evaluate(() => window.ShinkeiPage.room.inviteUrl());
        const cut = await joinRoom(browser, host, invite, 1, { server: relay.wsUrl });
        await host.play([
            { kind: 'dialog', a: 1, b: 0x06, delay: 0 },
            { kind: 'command', a: ID_GAME_SETTINGS },
        ]);
        await playUntil(host, pairs(2));
        cut.away = true;
        relay.cut();
        await cut.page.waitForFunction(() => !window.ShinkeiPage.room.state().connected);
        // The computers play on; Player１'s turn, or its box, waits for its device.
        for (let second = 0; second < 10; ++second) {
            await host.page.clock.runFor(1000);
            await new Promise((resolve) => setTimeout(resolve, 1000));
        }
        relay.restore();
        cut.away = false;
        await host.settle();
        await playUntil(host, pairs(8));
        const { log } = await assertOneGame(host, servers);
        assert.ok(log.length > 10);
    });

    test("a late joiner after 20 pairs replays the log: its board is the host's, pixel for pixel", async (t) => {
        const servers = await startServers(1, { t });
        const host = await room(servers, { devices: 1, humans: 0, bits: 0x0f });
        await playUntil(host, pairs(20));
        const invite = await host.page.evaluate(() => window.ShinkeiPage.room.inviteUrl());
        const late = await joinRoom(browser, host, invite, 1);
        const pixels = (p) =>
            p.evaluate(() => {
                const canvas = document.getElementById('board-canvas');
                const data = canvas
                    .getContext('2d')
                    .getImageData(0, 0, canvas.width, canvas.height);
                return [canvas.width, canvas.height, Array.from(data.data).join(',')].join(':');
            });
        assert.equal(await pixels(late.page), await pixels(host.page));
        await assertOneGame(host, servers);
    });

    test('bad requests are refused with their reasons; the game goes on', async (t) => {
        const servers = await startServers(1, { t });
        const host = await room(servers, { devices: 2, humans: 2, bits: 0 });
        const id = await host.page.evaluate(() => window.ShinkeiPage.room.id);
        const guest = host.guests[0];
        const token = await guest.page.evaluate(
            (key) => JSON.parse(localStorage.getItem(key)).token,
            `shinkei.room.${id}`,
        );
        const board = await host.page.evaluate(() => window.ShinkeiPage.screen.mainInfo().id);
        const nc = await connect({ servers: servers[0].url, ...pageUser });
        t.after(() => nc.close());
        const ask = async (body) => {
            const reply = await nc.request(`room.${id}.req`, body, { timeout: 5000 });
            return JSON.parse(reply.string()).why ?? 'ok';
        };
        const input = (i, f, who = token) => JSON.stringify({ token: who, k: 'input', i, f });
        const cases = [
            ['not json', '{"token":', 'malformed'],
            ['a verb it does not know', input('explode', [1]), 'malformed'],
            ['too few numbers', input('click', [board, 36]), 'malformed'],
            [
                'a token of no device',
                input('click', [board, 36, 38], 'ab'.repeat(16)),
                'not-in-room',
            ],
            ['a point outside the board', input('click', [board, 36, 9000]), 'outside-board'],
            ['another window', input('click', [board + 1, 36, 38]), 'outside-board'],
            ['a command of no menu', input('command', [12345]), 'unknown-command'],
            ["a command of the host's", input('command', [ID_GAME_NEW]), 'host-only'],
            ['a box that is not open', input('answer', [99, 1]), 'not-your-box'],
        ];
        for (const [what, body, why] of cases) {
            assert.equal(await ask(body), why, what);
        }
        // Someone else's seat: the guest (Player１) presses while the host's Player２ has the turn.
        for (let step = 0; (await roomState(host)).turn !== 0x12; ++step) {
            assert.ok(step < 20, 'Player２ never had the turn');
            await missPair(host);
            await host.wait(1700);
        }
        assert.equal(await ask(input('click', [board, 36, 38])), 'not-your-turn');
        // A flood: past the limit in one second, the rest are refused.
        const burst = await Promise.all(
            Array.from({ length: 30 }, () => ask(input('command', [ID_GAME_NEW]))),
        );
        assert.ok(burst.includes('flood'), burst.join(' '));
        // None of it reached the program, and the game goes on.
        const log = await readRoomLog(servers[0].url, id);
        assert.ok(!log.some((line) => / (9000|12345)\b/.test(line)));
        await host.wait(1000); // a new second of the room's clock: the flood is over
        await playUntil(host, pairs(6));
        await assertOneGame(host, servers);
    });

    test('a spectator sees the game and cannot act', async (t) => {
        const servers = await startServers(1, { t });
        const host = await room(servers, { devices: 2, humans: 1, bits: 0x01 });
        const invite = await host.page.evaluate(() => window.ShinkeiPage.room.inviteUrl());
        const context = await browser.newContext();
        const watcher = await context.newPage();
        await watcher.goto(`${invite}&watch&transcript`);
        await watcher.waitForFunction(() => window.ShinkeiPage?.room?.state().logSeq > 0);
        const spectator = { page: watcher, dev: -1 };
        host.guests.push(spectator);
        await host.idle();
        const before = await readRoomLog(
            servers[0].url,
            await host.page.evaluate(() => window.ShinkeiPage.room.id),
        );
        const { pressBoard } = await import('../../tools/web/play-script.mjs');
        await pressBoard(watcher, 36, 38);
        await host.idle();
        const afterwards = await readRoomLog(
            servers[0].url,
            await host.page.evaluate(() => window.ShinkeiPage.room.id),
        );
        assert.deepEqual(afterwards, before);
        assert.match(await watcher.locator('#room .status').textContent(), /観戦中/);
        await playUntil(host, pairs(2));
        await assertOneGame(host, servers);
    });
});

describe('a room when servers fail', () => {
    test('the server killed and restarted mid-game: the room goes on with nothing lost', async (t) => {
        const servers = await startServers(1, { t });
        const host = await room(servers);
        await playUntil(host, pairs(3));
        await outage(host, async () => {
            await servers[0].kill();
            servers[0].start();
            await servers[0].ready();
        });
        await playUntil(host, pairs(8));
        await assertOneGame(host, servers);
    });

    test('a cluster of three, one server killed mid-game: play goes on', async (t) => {
        const servers = await startServers(3, { t });
        const host = await room(servers);
        await playUntil(host, pairs(3));
        await outage(host, () => servers[0].kill());
        await playUntil(host, pairs(8));
        await assertOneGame(host, servers.slice(1));
    });
});

// The servers go down (`down`) under every device, and the room goes on once every page is
// connected again; the guests catch up meanwhile.
async function outage(host, down) {
    for (const guest of host.guests) guest.away = true;
    await down();
    await reconnect(host);
    for (const guest of host.guests) guest.away = false;
    await host.idle();
}

// Until every page is connected again. The host's clock is the test's, so its reconnection
// timers run only as the test runs it (the game holds while nothing is stamped).
async function reconnect(host) {
    const deadline = Date.now() + 30_000;
    for (;;) {
        const pages = [host.page, ...host.guests.map((g) => g.page)];
        const states = await Promise.all(
            pages.map((p) => p.evaluate(() => window.ShinkeiPage.room.state().connected)),
        );
        if (states.every(Boolean)) return;
        assert.ok(Date.now() < deadline, 'the pages did not reconnect');
        await host.page.clock.runFor(100);
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
}
