// The browser's pictures in docs/screenshots, from the built page (make web), as a player sees it:
//   node tools/web/screenshots.mjs [OUTDIR]
// web-board.png (a desktop window, four computers playing) and web-en-board.png (the same in
// English), web-phone.png and web-phone-sideways.png (a phone held upright and sideways),
// web-settings.png and web-version.png (the dialogs), web-room.png (a room's host on a desktop,
// its invitation open) and web-room-phone.png (a guest of that room on a phone).
import path from 'node:path';
import { Driver, launchChromium, pageUrl, root } from './play-script.mjs';
import { joinRoom, openRoom } from './play-room.mjs';
import { ids } from './resource-ids.mjs';
import { startServers } from './rooms-servers.mjs';

const out = path.resolve(process.argv[2] ?? path.join(root, 'docs/screenshots'));
const page = path.join(root, 'build/web/index.html');
const kSettings = ids.ID_GAME_SETTINGS;
const kVersion = ids.ID_HELP_VERSION;

async function open(browser, contextOptions, params = {}) {
    const context = await browser.newContext(contextOptions);
    const driver = await Driver.open(context, pageUrl(page, { seed: 11, ...params }));
    return { context, driver };
}

const browser = await launchChromium();
try {
    for (const [lang, name] of [
        ['ja', 'web-board.png'],
        ['en', 'web-en-board.png'],
    ]) {
        // Four computers, a minute into their game.
        const { context, driver } = await open(
            browser,
            { viewport: { width: 640, height: 520 } },
            { lang },
        );
        await driver.choose(kSettings);
        driver.dialogAnswers.push({ cancel: false, humans: 0, bits: 0x0f, delay: 0 });
        await driver.tend();
        await driver.settle();
        await driver.wait(61_000);
        await driver.page.screenshot({ path: path.join(out, name) });
        await context.close();
    }
    for (const [width, height, name] of [
        [390, 844, 'web-phone.png'],
        [844, 390, 'web-phone-sideways.png'],
    ]) {
        const { context, driver } = await open(browser, {
            viewport: { width, height },
            deviceScaleFactor: 2,
            isMobile: true,
            hasTouch: true,
        });
        await driver.clickBoard(36, 38, 'touch');
        await driver.clickBoard(96, 108, 'touch');
        await driver.page.screenshot({ path: path.join(out, name) });
        await context.close();
    }
    for (const [command, name] of [
        [kSettings, 'web-settings.png'],
        [kVersion, 'web-version.png'],
    ]) {
        const { context, driver } = await open(browser, { viewport: { width: 640, height: 520 } });
        await driver.choose(command);
        if (command === kSettings) {
            await driver.click('.modal.box button[data-id="6"]'); // Yes: stop the game and choose
        }
        await driver.page.screenshot({ path: path.join(out, name) });
        await context.close();
    }
    // A room: two people, each on their own device, and a computer.
    const servers = await startServers(1);
    try {
        const host = await openRoom(browser, {
            page,
            server: servers[0].wsUrl,
            seed: 11,
            devices: 1,
            contextOptions: { viewport: { width: 900, height: 560 } },
        });
        const invite = await host.page.evaluate(() => window.ShinkeiPage.room.inviteUrl());
        const phone = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 2 };
        const guest = await joinRoom(
            browser,
            host,
            invite,
            1,
            {},
            { ...phone, isMobile: true, hasTouch: true },
        );
        await host.play([
            { kind: 'dialog', a: 2, b: 0x01, delay: 0 },
            { kind: 'command', a: kSettings },
            { kind: 'wait', a: 20_000 },
        ]);
        await host.clickBoard(36, 38);
        // Everyone's hellos heard (the host's clock is this script's: it runs on a little).
        await new Promise((resolve) => setTimeout(resolve, 2500));
        await host.page.clock.runFor(2000);
        await guest.page.screenshot({ path: path.join(out, 'web-room-phone.png') });
        await host.page.locator('#room button').first().click();
        await host.page.screenshot({ path: path.join(out, 'web-room.png') });
    } finally {
        await servers.stop();
    }
} finally {
    await browser.close();
}
console.log(`screenshots in ${out}`);
