// Shared by the browser tests: one Chromium per test file, the game opened with its clock
// under the test's control, and the build's paths.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before } from 'node:test';
import { Driver, launchChromium, pageUrl, root, simPath } from '../../tools/web/play-script.mjs';

export { Driver, launchChromium, pageUrl, root, simPath };

export const webDir = path.resolve(process.env.SHINKEI_WEB_DIR ?? path.join(root, 'build/web'));
export const pagePath = path.join(webDir, 'index.html');

// A bound for every single test: a page that hangs fails, it does not stall the run.
export const testTimeout = 120_000;

// The file's browser: launched before its first test, closed after its last.
export function useBrowser() {
    const holder = { browser: null };
    before(async () => {
        assert.ok(
            fs.existsSync(pagePath),
            `no ${pagePath}: build the browser version first (make web)`,
        );
        holder.browser = await launchChromium();
    });
    after(async () => {
        await holder.browser?.close();
    });
    return holder;
}

// The game in a context of its own (closed by the test's end), seed 1 unless told, with its
// transcript kept and its clock paused.
export async function openGame(
    t,
    browser,
    { params = {}, context: options = {}, url = pagePath } = {},
) {
    const context = await browser.newContext(options);
    context.setDefaultTimeout(10_000);
    t.after(() => context.close());
    const driver = await Driver.open(
        context,
        pageUrl(url, { seed: 1, transcript: true, ...params }),
    );
    driver.context = context;
    return driver;
}

// The client point of the board's pixel (x, y), through the canvas's rectangle.
export function boardPoint(page, x, y) {
    return page.evaluate(
        ([x, y]) => {
            const canvas = document.getElementById('board-canvas');
            const rect = canvas.getBoundingClientRect();
            return {
                x: rect.left + ((x + 0.5) * rect.width) / canvas.width,
                y: rect.top + ((y + 0.5) * rect.height) / canvas.height,
            };
        },
        [x, y],
    );
}

// The centre of a card's cell, as the program lays the board out (board_frame.h).
export function cellCentre(column, row) {
    return { x: 12 + 60 * column + 24, y: 6 + 70 * row + 32 };
}

// The board dealt, from the transcript's "deal" line: 54 cells, index column * 6 + row.
export function dealOf(lines) {
    const deal = lines.find((line) => line.startsWith('deal '));
    assert.ok(deal, `no deal line in the transcript: ${lines.join(' | ')}`);
    const hex = deal.slice(5);
    assert.match(hex, /^[0-9a-f]{108}$/, deal);
    return Array.from({ length: 54 }, (_, i) => parseInt(hex.slice(2 * i, 2 * i + 2), 16));
}

// A P6 picture: { width, height, rgb } with three bytes a pixel.
export function readPpm(file) {
    const bytes = fs.readFileSync(file);
    const header = /^P6\s+(\d+)\s+(\d+)\s+(\d+)\s/.exec(bytes.subarray(0, 64).toString('latin1'));
    assert.ok(header && header[3] === '255', `${file} is no P6 picture with 255 levels`);
    const width = Number(header[1]);
    const height = Number(header[2]);
    const rgb = bytes.subarray(header[0].length);
    assert.equal(rgb.length, width * height * 3, `${file}: ${rgb.length} bytes of pixels`);
    return { width, height, rgb };
}

// A canvas's pixels, as { width, height, rgba }.
export async function canvasPixels(page, selector) {
    const { width, height, data } = await page.evaluate((selector) => {
        const canvas = document.querySelector(selector);
        const image = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        let text = '';
        for (let i = 0; i < image.data.length; i += 0x8000) {
            text += String.fromCharCode(...image.data.subarray(i, i + 0x8000));
        }
        return { width: canvas.width, height: canvas.height, data: btoa(text) };
    }, selector);
    return { width, height, rgba: Buffer.from(data, 'base64') };
}

// Waits, in real time but bounded, for a condition in the page.
export async function until(page, fn, arg, { timeout = 15_000, what = 'the condition' } = {}) {
    const deadline = Date.now() + timeout;
    for (;;) {
        const value = await page.evaluate(fn, arg);
        if (value) {
            return value;
        }
        if (Date.now() > deadline) {
            throw new Error(`timed out after ${timeout} ms waiting for ${what}`);
        }
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
}
