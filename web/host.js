// What the program calls on the page (Module.host, every call declared in the seam), the clock
// the program's time follows, the queue of the player's input, and the hooks tests read.
'use strict';

(function (page) {
    const { seam, params } = page;

    // --- The clock: the program's time is the page's, in whole milliseconds since it started.
    const origin = performance.now();
    const clockNow = () => Math.floor(performance.now() - origin);
    page.clockNow = clockNow;

    // --- Input: queued as it comes, taken by the program only while it waits.
    const queue = [];
    let waiting = null; // the program's wait: {resolve, timer}
    let nextWake = Infinity;
    const idleWaiters = [];
    const settled = () => page.failed || shinkei.ended || (waiting && queue.length === 0);
    function idle() {
        return settled() ? Promise.resolve() : new Promise((resolve) => idleWaiters.push(resolve));
    }
    page.releaseIdle = () => idleWaiters.splice(0).forEach((resolve) => resolve());
    function wake() {
        if (!waiting) return;
        const { resolve, timer } = waiting;
        waiting = null;
        clearTimeout(timer);
        resolve();
    }
    // One input for the program: a kind of seam.Input and its numbers.
    page.post = function (kind, ...fields) {
        if (shinkei.ended || page.failed) return;
        queue.push({ kind, fields });
        wake();
    };

    // --- Test hooks and what a player's session shows of itself.
    const shinkei = (window.shinkei = {
        transcript: params.has('transcript') ? [] : null,
        audioLog: [],
        ended: false,
        now: clockNow,
        nextWake: () => nextWake,
        idle,
    });
    let markReady;
    shinkei.ready = new Promise((resolve) => (markReady = resolve));
    let started = false;

    function wait(wakeAt) {
        return new Promise((resolve) => {
            // For the test driver: when, by Date.now(), the program wakes by itself.
            nextWake = Number.isFinite(wakeAt)
                ? Date.now() + Math.max(0, wakeAt - clockNow())
                : Infinity;
            if (page.failed) return; // the program stays where it is, for good
            if (queue.length > 0) return resolve();
            const timer = Number.isFinite(wakeAt)
                ? setTimeout(wake, Math.max(0, wakeAt - clockNow()))
                : 0;
            waiting = { resolve, timer };
            if (!started) {
                started = true;
                shinkei.firstPaintAt = performance.now(); // since the page began to load
                markReady();
                Promise.resolve().then(page.audio.prepare).then(page.images.warm);
            }
            page.releaseIdle();
        });
    }

    // The asset the program asks for, kept between its two calls (its size, then its bytes).
    let lastAsset = { key: null, bytes: null };
    function assetSize(key) {
        try {
            lastAsset = { key, bytes: page.assetBytes(key) };
            return lastAsset.bytes.length;
        } catch {
            return -1;
        }
    }
    function assetCopy(key, into) {
        if (lastAsset.key !== key) assetSize(key);
        into.set(lastAsset.bytes);
        lastAsset = { key: null, bytes: null };
    }

    page.host = {
        now: clockNow,
        seed() {
            const fixed = params.get('seed');
            if (fixed !== null && /^\d+$/.test(fixed)) return Number(fixed) % 4294967296;
            return Math.floor(Date.now() / 1000); // the calendar time, as the Windows program seeds
        },
        wantsTranscript: () => shinkei.transcript !== null,
        wait,
        nextInput: () => queue.shift() || null,
        assetSize,
        assetCopy,
        bitmap: (...args) => page.images.add(...args),
        damaged: (key) => page.damaged(key),
        beginPaint: (...args) => page.paint.begin(...args),
        draw: (...args) => page.paint.draw(...args),
        sound: (name) => page.audio.sound(name),
        music: (command) => page.audio.music(command),
        windows: (list) => page.screen.show(list),
        openModal: (modal) => page.modals.open(modal),
        dialogState: (serial, states) => page.modals.state(serial, states),
        closeModal: (serial) => page.modals.close(serial),
        transcript(line) {
            if (shinkei.transcript) shinkei.transcript.push(line);
        },
        ended: (code) => page.end(code),
    };
    // The page answers every call the program makes, and no other.
    const offered = Object.keys(page.host).sort().join(' ');
    if (offered !== [...seam.calls].sort().join(' ')) {
        throw new Error(
            `the page's calls (${offered}) are not the seam's (${seam.calls.join(' ')})`,
        );
    }
})(window.ShinkeiPage);
