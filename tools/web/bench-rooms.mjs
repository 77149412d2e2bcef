// The rooms' figures on this machine, with the built page (make web) in Debian's Chromium and a
// nats-server of its own:
//   node tools/web/bench-rooms.mjs
// - press: a guest's press on a card to its face painted on every device's canvas (the page's
//   paint call for it), real clocks everywhere, a host and two guests, over 20 presses;
// - replay: a device joining after a whole game of four computers, from the log's first entry
//   to its program at the host's time, median of 5 joins.
// A benchmark, not a test: it prints figures and asserts nothing.
import path from 'node:path';
import { launchChromium, pageUrl, root } from './play-script.mjs';
import { joinRoom, openRoom } from './play-room.mjs';
import { startServers } from './rooms-servers.mjs';

const page = path.join(root, 'build/web/index.html');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const percentile = (values, p) =>
    [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(values.length * p))];

// Each page notes when a flip line comes from its program (Date.now(), one clock for all).
const watchFlips = (tab) =>
    tab.evaluate(() => {
        const lines = window.shinkei.transcript;
        const push = lines.push.bind(lines);
        window.flipsAt = [];
        lines.push = (line) => {
            if (line.startsWith('flip ')) window.flipsAt.push(Date.now());
            return push(line);
        };
    });

async function press(browser, server) {
    // Real clocks: the host is opened by hand, not by the driver (which fakes its clock).
    const hostTab = await (await browser.newContext()).newPage();
    await hostTab.goto(pageUrl(page, { seed: 5, transcript: true, server }));
    await hostTab.evaluate(() => window.shinkei.ready);
    await hostTab.locator('#online').click();
    await hostTab.waitForURL(/room=/);
    await hostTab.waitForFunction(() => window.ShinkeiPage.room?.state().logSeq > 0);
    const invite = await hostTab.evaluate(() => window.ShinkeiPage.room.inviteUrl());
    const guests = [];
    for (let dev = 1; dev <= 2; ++dev) {
        const tab = await (await browser.newContext()).newPage();
        await tab.goto(pageUrl(invite, { transcript: true }));
        await tab.waitForFunction((d) => window.ShinkeiPage.room?.state().dev === d, dev);
        guests.push(tab);
    }
    const tabs = [hostTab, ...guests];
    for (const tab of tabs) await watchFlips(tab);
    // The game at start has one human, Player１: the first guest's.
    const player = guests[0];
    const delays = [];
    for (let n = 0; n < 20; ++n) {
        const cell = n % 54;
        const [x, y] = [36 + 60 * Math.floor(cell / 6), 38 + 70 * (cell % 6)];
        const seen = await Promise.all(
            tabs.map((tab) => tab.evaluate(() => window.flipsAt.length)),
        );
        const pressedAt = Date.now();
        await player.evaluate(
            ([x, y]) => {
                const canvas = document.getElementById('board-canvas');
                const rect = canvas.getBoundingClientRect();
                const at = {
                    bubbles: true,
                    clientX: rect.left + ((x + 0.5) * rect.width) / canvas.width,
                    clientY: rect.top + ((y + 0.5) * rect.height) / canvas.height,
                    pointerId: 1,
                    isPrimary: true,
                };
                canvas.dispatchEvent(new PointerEvent('pointerdown', { ...at, buttons: 1 }));
                canvas.dispatchEvent(new PointerEvent('pointerup', at));
            },
            [x, y],
        );
        for (const [i, tab] of tabs.entries()) {
            await tab.waitForFunction((count) => window.flipsAt.length > count, seen[i]);
            const at = await tab.evaluate((count) => window.flipsAt[count], seen[i]);
            delays.push(at - pressedAt);
        }
        if (n % 2 === 1) {
            // The pair is resolved; a box that says whose turn it is, Player１ closes.
            await sleep(1700);
            const ok = player.locator('.modal button[data-id="1"]');
            if (await ok.count()) await ok.click();
            await sleep(100);
        }
    }
    console.log(
        `press to face on every device (${delays.length} paints): median ${median(delays)} ms, ` +
            `90th percentile ${percentile(delays, 0.9)} ms, most ${Math.max(...delays)} ms`,
    );
}

async function replay(browser, server) {
    const host = await openRoom(browser, { page, server, seed: 9, devices: 1 });
    await host.play([
        { kind: 'dialog', a: 0, b: 0x0f, delay: 0 },
        { kind: 'command', a: 40018 },
    ]);
    while (!(await host.transcript()).some((line) => line.startsWith('winners '))) {
        await host.wait(10_000);
    }
    const time = await host.page.evaluate(() => window.shinkei.programTime());
    const lines = (await host.transcript()).length;
    const invite = await host.page.evaluate(() => window.ShinkeiPage.room.inviteUrl());
    const times = [];
    for (let dev = 1; dev <= 5; ++dev) {
        const guest = await joinRoom(browser, host, invite, dev);
        times.push(
            await guest.page.evaluate(
                (target) =>
                    new Promise((resolve) => {
                        const check = () =>
                            window.shinkei.programTime() >= target
                                ? resolve(
                                      performance.now() - window.ShinkeiPage.room.firstEntryAt(),
                                  )
                                : setTimeout(check, 1);
                        check();
                    }),
                time,
            ),
        );
        await guest.context.close();
        host.guests.pop();
    }
    console.log(
        `late joiner's replay of a whole four-computer game (${Math.round(time / 1000)} s of play, ` +
            `${lines} transcript lines): median ${median(times).toFixed(0)} ms ` +
            `(${times.map((t) => t.toFixed(0)).join(', ')})`,
    );
}

const servers = await startServers(1);
const browser = await launchChromium();
try {
    await press(browser, servers[0].wsUrl);
    await replay(browser, servers[0].wsUrl);
} finally {
    await browser.close();
    await servers.stop();
}
