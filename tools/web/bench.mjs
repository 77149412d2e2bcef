// The browser version's figures, from the built page (make web) in Debian's Chromium:
//   node tools/web/bench.mjs [--games N]
// - start: from opening index.html from disk to the first full board paint, median of 10 loads;
// - click: from a press on a card to its face drawn on the canvas, over 20 cards;
// - idle: the script time of a page with nothing due, over 10 s;
// - memory: the page's JavaScript heap, DOM nodes and wasm memory while four computers play N
//   games (default 100) on Playwright's clock.
// A benchmark, not a test: it prints figures and asserts nothing.
import path from 'node:path';
import { Driver, launchChromium, pageUrl, root } from './play-script.mjs';
import { ids } from './resource-ids.mjs';

const page = path.join(root, 'build/web/index.html');
const games = Number(process.argv[process.argv.indexOf('--games') + 1]) || 100;
const median = (values) => {
    const sorted = [...values].sort((a, b) => a - b);
    const middle = sorted.length >> 1;
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const browser = await launchChromium();

try {
    const starts = [];
    for (let i = 0; i < 10; ++i) {
        const context = await browser.newContext();
        const tab = await context.newPage();
        await tab.goto(pageUrl(page));
        await tab.evaluate(() => window.shinkei.ready);
        starts.push(await tab.evaluate(() => window.shinkei.firstPaintAt));
        await context.close();
    }
    console.log(
        `start to first board paint: median ${median(starts).toFixed(0)} ms ` +
            `(${starts.map((t) => t.toFixed(0)).join(' ')})`,
    );

    {
        const context = await browser.newContext();
        const tab = await context.newPage();
        await tab.goto(pageUrl(page, { seed: 5 }));
        await tab.evaluate(() => window.shinkei.ready);
        const clicks = [];
        for (let i = 0; i < 20; ++i) {
            clicks.push(
                await tab.evaluate(async (cell) => {
                    const canvas = document.getElementById('board-canvas');
                    const context = canvas.getContext('2d');
                    const drawImage = context.drawImage;
                    let drawn = 0;
                    context.drawImage = function (...args) {
                        drawn = performance.now();
                        return drawImage.apply(this, args);
                    };
                    // The card's centre, in CSS pixels of the canvas as the page scaled it.
                    const box = canvas.getBoundingClientRect();
                    const x = box.left + ((36 + 60 * (cell % 9)) * box.width) / canvas.width;
                    const y =
                        box.top + ((38 + 70 * Math.floor(cell / 9)) * box.height) / canvas.height;
                    const pressed = performance.now();
                    canvas.dispatchEvent(
                        new PointerEvent('pointerdown', {
                            bubbles: true,
                            button: 0,
                            clientX: x,
                            clientY: y,
                        }),
                    );
                    await window.shinkei.idle();
                    context.drawImage = drawImage;
                    return drawn ? drawn - pressed : NaN; // NaN: the press turned nothing
                }, i),
            );
            await tab.waitForTimeout(i % 2 ? 1600 : 10); // a turn resolves between pairs
        }
        console.log(
            `press to face: median ${median(clicks).toFixed(1)} ms, first ${clicks[0].toFixed(1)} ms, ` +
                `longest ${Math.max(...clicks).toFixed(1)} ms`,
        );
        await context.close();
    }

    {
        // One human at the board and nothing due: the page should run no script at all.
        const context = await browser.newContext();
        const tab = await context.newPage();
        const cdp = await context.newCDPSession(tab);
        await cdp.send('Performance.enable');
        await tab.goto(pageUrl(page));
        await tab.evaluate(() => window.shinkei.ready);
        await tab.waitForTimeout(1000);
        const scriptTime = async () => {
            const { metrics } = await cdp.send('Performance.getMetrics');
            return metrics.find((m) => m.name === 'ScriptDuration').value * 1000;
        };
        const before = await scriptTime();
        await tab.waitForTimeout(10_000);
        console.log(
            `idle for 10 s: ${((await scriptTime()) - before).toFixed(1)} ms of script, ` +
                `next wake ${await tab.evaluate(() => window.shinkei.nextWake())}`,
        );
        await context.close();
    }

    {
        const context = await browser.newContext();
        const driver = await Driver.open(context, pageUrl(page, { seed: 3, transcript: true }));
        const tab = driver.page;
        const cdp = await context.newCDPSession(tab);
        await cdp.send('Performance.enable');
        // Games are counted from the transcript's winners lines, which are let go as they are read.
        let won = 0;
        const count = async () => {
            won += await tab.evaluate(() => {
                const lines = window.shinkei.transcript.splice(0);
                return lines.filter((line) => line.startsWith('winners ')).length;
            });
            return won;
        };
        await driver.choose(ids.ID_GAME_SETTINGS);
        await driver.click('.modal.box button[data-id="6"]');
        driver.dialogAnswers.push({ cancel: false, humans: 0, bits: 0x0f, delay: 0 });
        await driver.tend();
        await driver.settle();
        const measure = async () => {
            await cdp.send('HeapProfiler.collectGarbage');
            const { metrics } = await cdp.send('Performance.getMetrics');
            const metric = (name) => metrics.find((m) => m.name === name).value;
            return (
                `${await count()} games: JS heap ${(metric('JSHeapUsedSize') / 1e6).toFixed(2)} MB, ` +
                `${metric('Nodes')} DOM nodes, wasm memory ${await tab.evaluate(() => HEAP8.length / 1048576)} MiB`
            );
        };
        console.log(await measure());
        for (let checkpoint = games / 4; ; checkpoint += games / 4) {
            while ((await count()) < checkpoint) {
                await tab.clock.runFor(600_000);
                await driver.idle();
            }
            console.log(await measure());
            if (checkpoint >= games) {
                break;
            }
        }
        await context.close();
    }
} finally {
    await browser.close();
}
