// The board's pixels in the browser, pixel for pixel as the simulated desktop shows them, in
// the board states of tests/contract/screens.h (the native tests write those screens).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import {
    canvasPixels,
    cellCentre,
    dealOf,
    openGame,
    readPpm,
    root,
    testTimeout,
    useBrowser,
} from './helpers.mjs';

const kSeed = 1234;
const kJoker = 0xfe;
const kResolveDelayMs = 1500;
// The keys of the state played from the keyboard, as screens::kFocusKeys.
const kFocusKeys = ['ArrowRight', 'ArrowDown', 'Space', 'ArrowRight'];
const screens = path.resolve(process.env.SHINKEI_SCREENS_DIR ?? path.join(root, 'build/screens'));
const shared = useBrowser();

// The cells a player turns for each state, chosen from the deal as screens::Clicks does.
function clicks(state, cells) {
    const suit = (i) => cells[i] >> 4;
    const rank = (i) => cells[i] & 0x0f;
    const red = (i) => suit(i) === 2 || suit(i) === 4;
    const black = (i) => suit(i) === 1 || suit(i) === 3;
    for (let i = 0; i < cells.length; ++i) {
        for (let j = 0; j < cells.length; ++j) {
            if (state === 'RedAndBlack' && red(i) && black(j) && rank(i) !== rank(j)) {
                return [i, j];
            }
            if (state === 'PairRemoved' && i < j && rank(i) === rank(j) && cells[i] !== kJoker) {
                return [i, j];
            }
        }
        if (state === 'JokerFace' && cells[i] === kJoker) {
            return [i];
        }
    }
    return [];
}

// The last case starts every handle past generation 2047, where a window's handle no longer fits
// a signed 32-bit number, as in a page that has run a long while.
const cases = [
    ['NewBoard'],
    ['RedAndBlack'],
    ['PairRemoved'],
    ['JokerFace'],
    ['KeyFocus'],
    ['RedAndBlack', 3000],
];
for (const [state, generation] of cases) {
    const late = generation ? `, its windows made past handle generation ${generation}` : '';
    test(
        `${state}${late}: the board canvas shows the simulated desktop's pixels`,
        { timeout: testTimeout },
        async (t) => {
            const file = path.join(screens, `board-${state}.ppm`);
            assert.ok(fs.existsSync(file), `no ${file}: the native tests write it (make native)`);
            const expected = readPpm(file);
            const params = generation
                ? { seed: kSeed, 'handle-generation': generation }
                : { seed: kSeed };
            const game = await openGame(t, shared.browser, { params });
            const cells = clicks(state, dealOf(await game.transcript()));
            assert.equal(
                cells.length === 0,
                state === 'NewBoard' || state === 'KeyFocus',
                `the deal has no cells for ${state}`,
            );
            for (const cell of cells) {
                const { x, y } = cellCentre(Math.floor(cell / 6), cell % 6);
                await game.clickBoard(x, y);
            }
            for (const key of state === 'KeyFocus' ? kFocusKeys : []) {
                await game.page.keyboard.press(key);
                await game.idle();
            }
            if (state === 'PairRemoved') {
                await game.wait(kResolveDelayMs);
            }
            await game.settle();
            const actual = await canvasPixels(game.page, '#board-canvas');
            assert.deepEqual(
                [actual.width, actual.height],
                [expected.width, expected.height],
                'the canvas size',
            );
            let differences = 0;
            let first = null;
            for (let i = 0; i < expected.width * expected.height; ++i) {
                const want = expected.rgb.subarray(3 * i, 3 * i + 3);
                const got = actual.rgba.subarray(4 * i, 4 * i + 4);
                if (
                    got[0] !== want[0] ||
                    got[1] !== want[1] ||
                    got[2] !== want[2] ||
                    got[3] !== 255
                ) {
                    ++differences;
                    first ??= {
                        x: i % expected.width,
                        y: Math.floor(i / expected.width),
                        want: [...want],
                        got: [...got],
                    };
                }
            }
            assert.equal(
                differences,
                0,
                first &&
                    `${differences} pixels differ; the first at ${first.x},${first.y}: ` +
                        `simulated rgb(${first.want}), browser rgba(${first.got})`,
            );
        },
    );
}
