// The page as a player meets it: keyboard menus, the dialogs' controls, touch, small and dense
// screens, playing offline once installed, and what a broken page says.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { test } from 'node:test';
import { ids } from '../../tools/web/resource-ids.mjs';
import { start } from '../../tools/web/serve.mjs';
import path from 'node:path';
import {
    Driver,
    boardPoint,
    cellCentre,
    dealOf,
    openGame,
    pagePath,
    pageUrl,
    root,
    testTimeout,
    until,
    useBrowser,
    webDir,
} from './helpers.mjs';

const shared = useBrowser();
const options = { timeout: testTimeout };

const kSettings = ids.ID_GAME_SETTINGS;
const kSound = ids.ID_GAME_SOUND;
const kVersion = ids.ID_HELP_VERSION;
const kSettingsDialog = ids.IDD_SETTINGS;
const kVersionDialog = ids.IDD_VERSION;

// The commands of the open popup, and which of them carry a check mark.
function openPopup(page) {
    return page.evaluate(() => {
        const popup = [...document.querySelectorAll('.popup')].find((p) => p.checkVisibility());
        if (!popup) {
            return null;
        }
        const items = [...popup.querySelectorAll('.item')];
        return {
            commands: items.map((i) => Number(i.dataset.command)),
            checked: items
                .filter((i) => i.classList.contains('checked'))
                .map((i) => Number(i.dataset.command)),
        };
    });
}

function openDialog(page, template) {
    return page.locator(`.modal.dialog[data-template="${template}"]`);
}

function control(page, template, id) {
    const dialog = `.modal.dialog[data-template="${template}"]`;
    return page.locator(
        `${dialog} [data-control="${id}"] input, ${dialog} input[data-control="${id}"]`,
    );
}

test(
    'keyboard menus: Alt+G opens ゲーム, arrows and Enter or access keys choose, Escape closes; the board has the keys the menus and boxes leave',
    options,
    async (t) => {
        const game = await openGame(t, shared.browser);
        const page = game.page;
        const key = async (name) => {
            await page.keyboard.press(name);
            await game.idle();
        };
        await key('Alt+g');
        const games = await openPopup(page);
        assert.ok(
            games?.commands.includes(kSettings) && games.commands.includes(kSound),
            `Alt+G: ${JSON.stringify(games)}`,
        );
        const soundOn = games.checked.includes(kSound);
        await key('ArrowRight');
        assert.ok(
            (await openPopup(page))?.commands.includes(kVersion),
            'ArrowRight moves to その他',
        );
        await key('Escape');
        assert.equal(await openPopup(page), null, 'Escape closes the popup');
        await key('Escape');

        // Opened from the keyboard the popup highlights its first item; the second is サウンド.
        await key('Alt+g');
        await key('ArrowDown');
        await key('Enter');
        assert.equal(await openPopup(page), null, 'Enter chooses and closes');
        await key('Alt+g');
        assert.equal(
            (await openPopup(page)).checked.includes(kSound),
            !soundOn,
            'ArrowDown, Enter toggles サウンド',
        );
        await key('s');
        await key('Alt+g');
        assert.equal(
            (await openPopup(page)).checked.includes(kSound),
            soundOn,
            'the access key S toggles it back',
        );
        await key('Escape');
        await key('Escape');

        // The pointer resting where the popup opens highlights nothing: opened from the keyboard
        // it highlights its first item, as Windows does, and Enter chooses that.
        const rows = () =>
            page.evaluate(() =>
                [...document.querySelectorAll('.popup > div')].map((row) => {
                    const box = row.getBoundingClientRect();
                    return {
                        x: box.left + box.width / 2,
                        y: box.top + box.height / 2,
                        active: row.classList.contains('active'),
                    };
                }),
            );
        await key('Alt+g');
        const last = (await rows()).at(-1);
        await key('Escape');
        await key('Escape');
        await page.mouse.move(last.x, last.y);
        await game.idle();
        await key('Alt+g');
        await new Promise((resolve) => setTimeout(resolve, 300)); // the browser's hover update
        assert.deepEqual(
            (await rows()).map((row) => row.active),
            (await rows()).map((_, i) => i === 0),
            'the first item highlighted, not the one under the resting pointer',
        );
        await key('Escape');
        await key('Escape');

        // Alt+O, V: the version dialog; Enter presses its default button.
        await key('Alt+o');
        await key('v');
        await openDialog(page, kVersionDialog).waitFor({ state: 'visible', timeout: 10_000 });
        await key('Enter');
        assert.equal(
            await openDialog(page, kVersionDialog).first().isVisible(),
            false,
            'Enter closes the version dialog',
        );

        // The arrows and Enter above went to the menus and the dialog, not to the board; with
        // nothing open the board has them, and Space turns the card the focus is on.
        const flips = async () =>
            (await game.transcript()).filter((line) => line.startsWith('flip '));
        assert.deepEqual(await flips(), [], 'the menus and the dialog kept their keys');
        await key('ArrowRight');
        await key('ArrowDown');
        await key('Space');
        assert.deepEqual(
            (await flips()).map((line) => line.split(' ').slice(0, 4).join(' ')),
            ['flip 11 1 1'],
            'Right, Down, Space: the card at column 1, row 1',
        );
    },
);

// A menu command, and Yes to the question the settings command asks before its dialog.
async function chooseAndAgree(game, command) {
    assert.ok(await game.choose(command));
    const question = game.page.locator('.modal.box button[data-id="6"]');
    if (command === kSettings) {
        await question.click({ timeout: 10_000 });
        await game.idle();
    }
}

// The switch above the game: English on the player's word, the page remembers it on the next
// visit, and the address can ask for Japanese again.
test(
    'the language switch: English chosen and remembered, Japanese back by the address',
    options,
    async (t) => {
        const game = await openGame(t, shared.browser, { params: {} });
        const page = game.page;
        const menus = () =>
            page.evaluate(() =>
                [...document.querySelectorAll('#menubar .menu')].map((m) => m.textContent),
            );
        const caption = () => page.evaluate(() => document.title);
        assert.deepEqual(await menus(), ['ゲーム(G)', 'その他(O)']);
        await Promise.all([
            page.waitForURL(/lang=en/),
            page.locator('#language [data-lang="en"]').click(),
        ]);
        await game.ready();
        assert.deepEqual(await menus(), ['Game', 'Other']);
        assert.match(await caption(), /^Shinkei \(Concentration\)/);
        await page.goto(pageUrl(pagePath, { seed: 1, transcript: true }));
        await game.ready();
        assert.deepEqual(await menus(), ['Game', 'Other'], 'remembered without ?lang');
        await page.goto(pageUrl(pagePath, { seed: 1, transcript: true, lang: 'ja' }));
        await game.ready();
        assert.deepEqual(await menus(), ['ゲーム(G)', 'その他(O)']);
        assert.match(await caption(), /^神経衰弱/);
    },
);

test(
    'the settings dialog: one radio button of the group, check boxes toggle, the disabled one stays, OK keeps them',
    options,
    async (t) => {
        const game = await openGame(t, shared.browser);
        const page = game.page;
        const radios = [
            ids.IDC_HUMANS_1,
            ids.IDC_HUMANS_2,
            ids.IDC_HUMANS_3,
            ids.IDC_HUMANS_4,
            ids.IDC_HUMANS_NONE,
        ];
        const boxes = [
            ids.IDC_COMPUTER_01,
            ids.IDC_COMPUTER_02,
            ids.IDC_COMPUTER_04,
            ids.IDC_COMPUTER_08,
        ];
        const states = (controls) =>
            Promise.all(controls.map((id) => control(page, kSettingsDialog, id).isChecked()));
        const click = async (id, force = false) => {
            await control(page, kSettingsDialog, id).click({ timeout: 10_000, force });
            await game.idle();
        };
        await chooseAndAgree(game, kSettings);
        await openDialog(page, kSettingsDialog).waitFor({ state: 'visible', timeout: 10_000 });
        for (const id of [ids.IDC_HUMANS_2, ids.IDC_HUMANS_NONE, ids.IDC_HUMANS_4]) {
            await click(id);
            assert.deepEqual(
                await states(radios),
                radios.map((r) => r === id),
                `after clicking ${id}`,
            );
        }
        const before = await states(boxes);
        for (const id of boxes) {
            await click(id);
        }
        assert.deepEqual(
            await states(boxes),
            before.map((on) => !on),
            'each check box toggles',
        );
        await click(ids.IDC_COMPUTER_01);
        assert.deepEqual(
            await states(boxes),
            before.map((on, i) => (i === 0 ? on : !on)),
            'and toggles back',
        );
        const battle = control(page, kSettingsDialog, ids.IDC_BATTLE_MODE);
        assert.ok(await battle.isDisabled(), 'the battle mode check box is disabled');
        const battleBefore = await battle.isChecked();
        await click(ids.IDC_BATTLE_MODE, true);
        assert.equal(
            await battle.isChecked(),
            battleBefore,
            'a click leaves the disabled check box',
        );

        // Two people and 作者 only: OK, answer what the game asks, and the dialog opens with them.
        await click(ids.IDC_HUMANS_2);
        for (const [id, on] of boxes.map((id) => [id, id === ids.IDC_COMPUTER_02])) {
            if ((await control(page, kSettingsDialog, id).isChecked()) !== on) {
                await click(id);
            }
        }
        await page
            .locator(`.modal.dialog[data-template="${kSettingsDialog}"] button[data-id="1"]`)
            .click({ timeout: 10_000 });
        await game.idle();
        await game.settle();
        await chooseAndAgree(game, kSettings);
        await openDialog(page, kSettingsDialog).waitFor({ state: 'visible', timeout: 10_000 });
        assert.deepEqual(
            await states(radios),
            radios.map((r) => r === ids.IDC_HUMANS_2),
            'humans kept',
        );
        assert.deepEqual(
            await states(boxes),
            boxes.map((b) => b === ids.IDC_COMPUTER_02),
            'computers kept',
        );
        await page
            .locator(`.modal.dialog[data-template="${kSettingsDialog}"] button[data-id="2"]`)
            .click({ timeout: 10_000 });
        await game.idle();
        assert.equal(
            await openDialog(page, kSettingsDialog).first().isVisible(),
            false,
            'Cancel closes it',
        );
    },
);

test(
    'every text of the version and settings dialogs fits its control, in Japanese and in English',
    options,
    async (t) => {
        for (const lang of ['ja', 'en']) {
            const game = await openGame(t, shared.browser, { params: { lang } });
            const page = game.page;
            assert.equal(await page.evaluate(() => document.documentElement.lang), lang);
            for (const [command, template, texts] of [
                [kVersion, kVersionDialog, 7],
                [kSettings, kSettingsDialog, 5],
            ]) {
                await chooseAndAgree(game, command);
                await openDialog(page, template).waitFor({ state: 'visible', timeout: 10_000 });
                const measured = await page.evaluate(async (template) => {
                    await document.fonts.ready;
                    return [
                        ...document.querySelectorAll(
                            `.modal.dialog[data-template="${template}"] .control.text`,
                        ),
                    ]
                        .filter((e) => e.textContent.trim() !== '')
                        .map((e) => ({
                            text: e.textContent,
                            sw: e.scrollWidth,
                            cw: e.clientWidth,
                            sh: e.scrollHeight,
                            ch: e.clientHeight,
                        }));
                }, template);
                assert.ok(
                    measured.length >= texts,
                    `dialog ${template}: ${measured.length} texts, not ${texts}`,
                );
                const clipped = measured.filter((m) => m.sw > m.cw + 1 || m.sh > m.ch + 1);
                assert.deepEqual(
                    clipped,
                    [],
                    `dialog ${template}: texts larger than their controls`,
                );
                await page
                    .locator(
                        `.modal.dialog[data-template="${template}"] button[data-id="${template === kVersionDialog ? 1 : 2}"]`,
                    )
                    .click({ timeout: 10_000 });
                await game.idle();
                assert.equal(await openDialog(page, template).first().isVisible(), false);
            }
        }
    },
);

// The board as large as each screen allows, whole on it, and a tap at a card's centre turns that
// card: phones held both ways (the cards at least as wide as a finger needs sideways; the width
// filled and a word about turning upright) and a large monitor, at device pixel ratios 1 to 3.
const screens = [
    // width, height, device pixel ratio, the least card width in CSS pixels, upright
    [360, 640, 2, 29, true],
    [390, 844, 3, 32, true],
    [640, 360, 2, 36, false],
    [844, 390, 3, 40, false],
    [1920, 1080, 1, 96, false],
];
test(
    'on every screen the cards are as large as it allows, and a tap turns the card under it',
    options,
    async (t) => {
        for (const [width, height, ratio, leastCard, upright] of screens) {
            const phone = width < 1000;
            const game = await openGame(t, shared.browser, {
                context: {
                    viewport: { width, height },
                    isMobile: phone,
                    hasTouch: phone,
                    deviceScaleFactor: ratio,
                },
            });
            const page = game.page;
            const screen = `${width}x${height}@${ratio}`;
            const fit = await page.evaluate(() => {
                const r = document.getElementById('board').getBoundingClientRect();
                const canvas = document.getElementById('board-canvas');
                const v = window.visualViewport;
                return {
                    left: r.left,
                    top: r.top,
                    right: r.right,
                    bottom: r.bottom,
                    card: (48 * canvas.getBoundingClientRect().width) / canvas.width,
                    hint: document.getElementById('turn-hint').checkVisibility(),
                    vRight: v.offsetLeft + v.width,
                    vBottom: v.offsetTop + v.height,
                };
            });
            const inside =
                fit.left >= -0.5 &&
                fit.top >= -0.5 &&
                fit.right <= fit.vRight + 0.5 &&
                fit.bottom <= fit.vBottom + 0.5;
            assert.ok(inside, `${screen}: the board window ${JSON.stringify(fit)}`);
            assert.ok(fit.card >= leastCard, `${screen}: cards ${fit.card} CSS pixels wide`);
            assert.equal(fit.hint, upright, `${screen}: the word about turning the phone`);
            if (upright) {
                assert.ok(fit.right - fit.left >= width - 2, `${screen}: the width filled`);
            }
            const { x, y } = cellCentre(4, 3);
            const point = await boardPoint(page, x, y);
            const lines = (await game.transcript()).length;
            if (phone) {
                await page.touchscreen.tap(point.x, point.y);
            } else {
                await page.mouse.click(point.x, point.y);
            }
            await game.idle();
            await game.settle();
            const added = (await game.transcript()).slice(lines);
            assert.ok(
                added.some((line) => /^flip [0-9a-f]{2} 4 3 [0-9a-f]{2}$/.test(line)),
                `${screen}: a tap at cell 4,3 gave ${JSON.stringify(added)}`,
            );
        }
    },
);

test(
    'at device scale factor 2 the canvases stay crisp: pixelated, whole device pixels',
    options,
    async (t) => {
        const game = await openGame(t, shared.browser, {
            context: { viewport: { width: 1280, height: 800 }, deviceScaleFactor: 2 },
        });
        const canvases = await game.page.evaluate(() =>
            ['board-canvas', 'score-canvas'].map((id) => {
                const c = document.getElementById(id);
                const r = c.getBoundingClientRect();
                const dpr = window.devicePixelRatio;
                return {
                    id,
                    rendering: getComputedStyle(c).imageRendering,
                    dpr,
                    scaleX: (r.width * dpr) / c.width,
                    scaleY: (r.height * dpr) / c.height,
                    left: r.left * dpr,
                    top: r.top * dpr,
                };
            }),
        );
        const whole = (v) => Math.abs(v - Math.round(v)) < 1e-3;
        for (const c of canvases) {
            assert.equal(c.dpr, 2);
            assert.equal(c.rendering, 'pixelated', c.id);
            assert.ok(
                whole(c.scaleX) && c.scaleX >= 1 && c.scaleY === c.scaleX,
                `${c.id}: ${JSON.stringify(c)}`,
            );
            assert.ok(
                whole(c.left) && whole(c.top),
                `${c.id} starts between device pixels: ${JSON.stringify(c)}`,
            );
        }
    },
);

test('once installed it plays offline', options, async (t) => {
    assert.ok(fs.existsSync(`${webDir}/sw.js`), `no ${webDir}/sw.js`);
    const server = await start(webDir);
    t.after(() => server.close());
    const context = await shared.browser.newContext();
    t.after(() => context.close());
    const game = await Driver.open(
        context,
        pageUrl(`${server.url}index.html`, { seed: 1, transcript: true }),
    );
    const page = game.page;
    await game.wait(1000);
    await until(
        page,
        () =>
            navigator.serviceWorker.getRegistration().then((r) => r?.active?.state === 'activated'),
        null,
        { timeout: 20_000, what: 'an activated service worker' },
    );
    if (!(await page.evaluate(() => Boolean(navigator.serviceWorker.controller)))) {
        await game.reload();
    }
    assert.ok(
        await page.evaluate(() => Boolean(navigator.serviceWorker.controller)),
        'the service worker controls the page',
    );
    await context.setOffline(true);
    await game.reload();
    for (const column of [0, 1]) {
        const { x, y } = cellCentre(column, 0);
        await game.clickBoard(x, y);
    }
    const flips = (await game.transcript()).filter((line) =>
        /^flip [0-9a-f]{2} [01] 0 /.test(line),
    );
    assert.equal(flips.length, 2, 'two cards turned offline');
});

// What the page says when it cannot start: a sentence of its own for each cause.
test(
    'a missing or corrupt asset, or no WebAssembly, shows a clear sentence in #error',
    options,
    async (t) => {
        // The edits run in the page, which has no ids: IDB_CARD_BACK and IDB_RANK_STRIP.
        const causes = {
            'no card back': (assets) => {
                delete assets['bitmap:117'];
            },
            'a corrupt rank strip': (assets) => {
                assets['bitmap:132'] = 'data:image/bmp;base64,Qk0AAAAA';
            },
            'no WebAssembly': null,
        };
        const sentences = {};
        for (const [cause, edit] of Object.entries(causes)) {
            const context = await shared.browser.newContext();
            t.after(() => context.close());
            const page = await context.newPage();
            if (edit) {
                // The bundle assigns window.SHINKEI_ASSETS once; the edit happens on that assignment.
                await page.addInitScript((source) => {
                    const edit = (0, eval)(`(${source})`);
                    let value;
                    Object.defineProperty(window, 'SHINKEI_ASSETS', {
                        configurable: true,
                        get: () => value,
                        set: (assets) => {
                            edit(assets);
                            value = assets;
                            window.assetsEdited = true;
                        },
                    });
                }, edit.toString());
            } else {
                await page.addInitScript(() => {
                    delete window.WebAssembly;
                });
            }
            await page.goto(pageUrl(pagePath, { seed: 1 }), { timeout: 30_000 });
            const error = page.locator('#error');
            await error.waitFor({ state: 'visible', timeout: 20_000 }).catch((e) => {
                throw new Error(`${cause}: no #error shown (${e.message.split('\n')[0]})`);
            });
            const text = (await error.textContent()).trim();
            sentences[cause] = text;
            assert.match(text, /[.。!！]$/, `${cause}: a sentence: "${text}"`);
            assert.doesNotMatch(
                text,
                /undefined|\[object|^\w*Error:|\n\s+at /,
                `${cause}: "${text}"`,
            );
            if (edit) {
                assert.ok(
                    await page.evaluate(() => window.assetsEdited),
                    `${cause}: the page set no window.SHINKEI_ASSETS`,
                );
            }
        }
        assert.notEqual(
            sentences['no card back'],
            sentences['no WebAssembly'],
            'each cause its own sentence',
        );
    },
);

// axe-core's WCAG 2.1 A and AA rules, run in the page as it stands. It needs the page's own
// timers, so the page runs on the real clock.
async function wcagViolations(page) {
    if (!(await page.evaluate(() => Boolean(window.axe)))) {
        await page.addScriptTag({ path: path.join(root, 'node_modules/axe-core/axe.min.js') });
    }
    const found = await page.evaluate(async () => {
        const tags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'];
        const result = await window.axe.run(document, { runOnly: { type: 'tag', values: tags } });
        return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`);
    });
    return found;
}

test(
    'a screen reader finds the board as a grid of 54 named cells, the menu bar, boxes and dialogs by their roles, hears a game played with keys alone, and axe finds no WCAG 2.1 A or AA fault',
    options,
    async (t) => {
        const game = await openGame(t, shared.browser);
        const page = game.page;
        await page.evaluate(() => {
            window.pointerEvents = 0;
            document.addEventListener('pointerdown', () => ++window.pointerEvents, true);
        });
        const grid = page.getByRole('grid');
        assert.equal(await grid.getByRole('row').count(), 6);
        assert.equal(await grid.getByRole('gridcell').count(), 54);
        const snapshot = await page.locator('#board').ariaSnapshot();
        assert.match(snapshot, /- grid "神経衰弱[^"]*":\n\s+- row "裏向き, 1列 1行/, snapshot);
        assert.match(snapshot, /- gridcell "裏向き, 9列 6行"/, snapshot);
        assert.match(snapshot, /- menubar:\n\s+- menuitem "ゲーム/, snapshot);
        assert.match(
            await page.locator('#score').ariaSnapshot(),
            /- list "カード":\n\s+- '?listitem "Player１: 0枚"/,
        );
        assert.equal(
            await page.evaluate(() => document.activeElement.getAttribute('role')),
            'grid',
            'the grid has the keyboard',
        );

        // Every pair found from the deal, the focus moved to each card by the arrows and the
        // card turned with Space; one miss first.
        const deal = dealOf(await game.transcript());
        const at = { column: 0, row: 0 };
        const turn = async (cell) => {
            const column = Math.floor(cell / 6);
            const row = cell % 6;
            for (; at.column < column; ++at.column) await game.pressKey(0x27);
            for (; at.column > column; --at.column) await game.pressKey(0x25);
            for (; at.row < row; ++at.row) await game.pressKey(0x28);
            for (; at.row > row; --at.row) await game.pressKey(0x26);
            await game.pressKey(0x20);
        };
        const said = () => page.locator('#said').evaluate((e) => e.textContent);
        const joker = deal.indexOf(0xfe);
        const aceOfSpades = deal.indexOf(0x11);
        await turn(joker);
        const name = `ジョーカー, ${Math.floor(joker / 6) + 1}列 ${(joker % 6) + 1}行`;
        assert.equal(await grid.getByRole('gridcell', { name }).count(), 1);
        assert.equal(
            await grid.getAttribute('aria-activedescendant'),
            await grid.getByRole('gridcell', { name }).getAttribute('id'),
            'the focused cell is the active one',
        );
        await turn(aceOfSpades);
        await game.wait(1500);
        assert.match(await said(), /はずれ。Player１の番です。$/);
        const taken = new Set();
        for (let cell = 0; cell < 54; ++cell) {
            if (taken.has(cell)) continue;
            const partner = deal.findIndex(
                (card, other) =>
                    other !== cell && !taken.has(other) && (card & 15) === (deal[cell] & 15),
            );
            taken.add(cell).add(partner);
            await turn(cell);
            await turn(partner);
            await game.wait(1500);
            if (taken.size === 2) {
                assert.match(await said(), /Player１がペアを取りました。2枚です。$/);
                assert.match(
                    await grid.getByRole('gridcell').nth(0).getAttribute('aria-label'),
                    /^取られた, 1列 1行$/,
                );
            }
        }
        assert.match(await said(), /プレイヤー1 の勝利でした!!$/);
        assert.equal(await page.evaluate(() => window.pointerEvents), 0, 'no pointer at all');
        assert.equal(await grid.getByRole('gridcell', { name: '裏向き, 1列 1行' }).count(), 1);

        // On the real clock, for axe: the board, the menu open, a box, the settings dialog, the
        // version dialog.
        const realContext = await shared.browser.newContext();
        t.after(() => realContext.close());
        const real = await realContext.newPage();
        await real.goto(pageUrl(pagePath, { seed: 1 }));
        await real.waitForFunction(() => window.shinkei?.ready);
        await real.evaluate(() => window.shinkei.ready);
        const press = async (key) => {
            await real.keyboard.press(key);
            await real.evaluate(() => window.shinkei.idle());
        };
        assert.deepEqual(await wcagViolations(real), [], 'the board');
        await press('Alt+g');
        assert.match(await real.locator('#menubar').ariaSnapshot(), /- menu:\n\s+- menuitem "/);
        assert.deepEqual(await wcagViolations(real), [], 'a menu open');
        await press('Enter');
        const box = real.getByRole('alertdialog', { name: '人数・ｺﾝﾋﾟｭｰﾀｰ設定' });
        assert.equal(await box.count(), 1);
        assert.match(await box.getAttribute('aria-describedby'), /text$/);
        assert.deepEqual(await wcagViolations(real), [], 'a box');
        await press('Enter');
        assert.equal(await real.getByRole('dialog').count(), 1);
        assert.deepEqual(await wcagViolations(real), [], 'the settings dialog');
        await press('Escape');
        await press('Alt+o');
        await press('v');
        assert.equal(await real.getByRole('dialog').count(), 1);
        assert.deepEqual(await wcagViolations(real), [], 'the version dialog');

        // In English, the same words from the English string table.
        await real.goto(pageUrl(pagePath, { seed: 1, lang: 'en' }));
        await real.waitForFunction(() => window.shinkei?.ready);
        await real.evaluate(() => window.shinkei.ready);
        const cells = real.getByRole('grid').getByRole('gridcell');
        assert.equal(await cells.nth(0).getAttribute('aria-label'), 'face down, column 1, row 1');
        await press(' ');
        assert.match(await cells.nth(0).getAttribute('aria-label'), / of \w+, column 1, row 1$/);
        assert.equal(
            await real.locator('#said').evaluate((e) => e.textContent),
            await cells.nth(0).getAttribute('aria-label'),
        );
        await press('Alt+g');
        await press('Enter');
        assert.equal(
            await real.getByRole('alertdialog', { name: 'Players and Computers' }).count(),
            1,
        );
        assert.deepEqual(await wcagViolations(real), [], 'a box in English');
    },
);
