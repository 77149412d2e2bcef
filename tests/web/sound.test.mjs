// The sounds of the browser version: every cue and the music decode, a card turned plays its
// cue, サウンド off silences the cues, and the music starts again when it ends.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { ids } from '../../tools/web/resource-ids.mjs';
import { boardPoint, cellCentre, openGame, testTimeout, useBrowser } from './helpers.mjs';

const shared = useBrowser();
const options = { timeout: testTimeout };

const kSound = ids.ID_GAME_SOUND;

// A real click (a user gesture, which lets audio start) at the centre of a cell.
async function clickCell(game, column, row) {
    const { x, y } = cellCentre(column, row);
    const point = await boardPoint(game.page, x, y);
    await game.page.mouse.click(point.x, point.y);
    await game.idle();
    await game.tend();
}

const audioLog = (game) =>
    game.page.evaluate(() => window.shinkei.audioLog.map((entry) => entry.name));

test('every cue and the music decode to sound', options, async (t) => {
    const game = await openGame(t, shared.browser);
    const decoded = await game.page.evaluate(async () => {
        const result = {};
        for (const [key, url] of Object.entries(window.SHINKEI_ASSETS)) {
            if (!key.startsWith('sound:') && !key.startsWith('music:')) {
                continue;
            }
            const bytes = await (await fetch(url)).arrayBuffer();
            try {
                const audio = await new OfflineAudioContext(1, 1, 44100).decodeAudioData(bytes);
                let peak = 0;
                for (let c = 0; c < audio.numberOfChannels; ++c) {
                    for (const v of audio.getChannelData(c)) {
                        peak = Math.max(peak, Math.abs(v));
                    }
                }
                result[key] = { seconds: audio.duration, peak };
            } catch (error) {
                result[key] = { error: String(error) };
            }
        }
        return result;
    });
    assert.deepEqual(Object.keys(decoded).sort(), [
        'music:vormidal.mid',
        'sound:NO.wav',
        'sound:OK.wav',
        'sound:open.wav',
    ]);
    for (const [key, sound] of Object.entries(decoded)) {
        assert.ok(
            !sound.error && sound.seconds > 0.05 && sound.peak > 0.01,
            `${key}: ${JSON.stringify(sound)}`,
        );
    }
    assert.ok(decoded['music:vormidal.mid'].seconds > 10, 'the music is a piece, not a cue');
});

test('a card turned plays its cue; with サウンド off nothing does', options, async (t) => {
    const game = await openGame(t, shared.browser);
    let before = (await audioLog(game)).length;
    await clickCell(game, 0, 0);
    assert.ok(
        (await audioLog(game)).slice(before).includes('open.wav'),
        'the first card plays open.wav',
    );
    before = (await audioLog(game)).length;
    await clickCell(game, 1, 0);
    const second = (await audioLog(game)).slice(before).filter((name) => name !== 'music');
    assert.equal(second.length, 1, `the second card: ${second}`);
    assert.match(second[0], /^(OK|NO)\.wav$/);
    await game.wait(1700);

    await game.command(kSound);
    await game.settle();
    before = (await audioLog(game)).length;
    for (const [column, row] of [
        [0, 1],
        [1, 1],
    ]) {
        await clickCell(game, column, row);
    }
    await game.wait(1700);
    const transcript = await game.transcript();
    assert.ok(
        transcript.filter((line) => /^flip [0-9a-f]{2} [01] 1 /.test(line)).length === 2,
        'both cards turned',
    );
    const after = (await audioLog(game)).slice(before).filter((name) => name !== 'music');
    assert.deepEqual(after, [], 'no cue with サウンド off');
});

test('the music starts again when it ends, once', options, async (t) => {
    const game = await openGame(t, shared.browser);
    await clickCell(game, 0, 0); // a gesture, in case the music waits for one
    const seconds = await game.page.evaluate(async () => {
        const bytes = await (
            await fetch(window.SHINKEI_ASSETS['music:vormidal.mid'])
        ).arrayBuffer();
        return (await new OfflineAudioContext(1, 1, 44100).decodeAudioData(bytes)).duration;
    });
    const count = async () => (await audioLog(game)).filter((name) => name === 'music').length;
    const started = await count();
    assert.ok(started >= 1, 'the music plays');
    await game.wait(Math.ceil(seconds * 1000) + 2000);
    assert.equal(await count(), started + 1, `after ${seconds} s of music`);
});
