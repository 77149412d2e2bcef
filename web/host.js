// What the program calls on the page (Module.host, every call declared in the seam), the clock
// the program's time follows, the queue of the player's input, and the hooks tests read.
'use strict';

(function (page) {
    const { seam, params } = page;

    // --- The clock: the program's time is the page's, in whole milliseconds since it started.
    // In a room (room.js) it is the room's: page.clock then says how far the program may run
    // ({ now(), realDelay(wakeAt) }), and calls page.clockMoved() whenever that changes.
    const origin = performance.now();
    const clockNow = () => Math.floor(performance.now() - origin);
    page.clockNow = clockNow;
    page.clock = null;

    // --- Input: queued as it comes, taken by the program only while it waits. A room's input
    // carries the time it applies at (`at`): the program's time stops there until it is taken.
    const queue = [];
    let given = 0; // the time the program was last given
    function programNow() {
        let now = page.clock ? page.clock.now() : clockNow();
        if (queue.length > 0 && queue[0].at !== undefined) now = Math.min(now, queue[0].at);
        given = Math.max(given, now);
        return given;
    }
    page.programTime = () => given;
    const due = (input) => input.at === undefined || input.at <= given;
    let waiting = null; // the program's wait: {resolve, timer, wakeAt}
    let nextWake = Infinity;
    const idleWaiters = [];
    const settled = () =>
        page.failed ||
        shinkei.ended ||
        (waiting && queue.length === 0 && !(page.room && page.room.busy()));
    function idle() {
        return settled() ? Promise.resolve() : new Promise((resolve) => idleWaiters.push(resolve));
    }
    page.releaseIdle = () => {
        if (settled()) idleWaiters.splice(0).forEach((resolve) => resolve());
    };
    function wake() {
        if (!waiting) return;
        const { resolve, timer } = waiting;
        waiting = null;
        clearTimeout(timer);
        resolve();
    }
    // Something for the program now: an input due, or its wake-up time reached.
    function ready(wakeAt) {
        const head = queue[0];
        if (!page.clock) return head !== undefined;
        const now = page.clock.now();
        if (head) return head.at === undefined || head.at <= now;
        return now >= wakeAt && now > given;
    }
    // A room's clock moved on, or its input arrived.
    page.clockMoved = () => {
        if (waiting && ready(waiting.wakeAt)) wake();
    };
    // One input for the program: a kind of seam.Input and its numbers. In a room, the room
    // decides (room.js replaces this with its own).
    page.post = function (kind, ...fields) {
        page.enqueue({ kind, fields });
    };
    page.enqueue = function (input) {
        if (shinkei.ended || page.failed) return;
        queue.push(input);
        if (waiting && ready(waiting.wakeAt)) wake();
    };

    // --- Test hooks and what a player's session shows of itself.
    const shinkei = (window.shinkei = {
        transcript: params.has('transcript') ? [] : null,
        audioLog: [],
        ended: false,
        now: clockNow,
        programTime: () => given,
        nextWake: () => nextWake,
        idle,
    });
    let markReady;
    shinkei.ready = new Promise((resolve) => (markReady = resolve));
    let started = false;

    function wait(wakeAt) {
        return new Promise((resolve) => {
            // For the test driver: when, by Date.now(), the program wakes by itself.
            const delay = page.clock ? page.clock.realDelay(wakeAt) : wakeAt - clockNow();
            nextWake = Number.isFinite(delay) ? Date.now() + Math.max(0, delay) : Infinity;
            if (page.failed) return; // the program stays where it is, for good
            if (ready(wakeAt)) return resolve();
            const timer = Number.isFinite(delay) ? setTimeout(wake, Math.max(0, delay)) : 0;
            waiting = { resolve, timer, wakeAt };
            if (!started) {
                started = true;
                shinkei.firstPaintAt = performance.now(); // since the page began to load
                markReady();
                Promise.resolve().then(page.audio.prepare).then(page.images.warm);
            }
            page.room?.waiting(given);
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
        now: programNow,
        seed() {
            if (page.room) return page.room.seed;
            const fixed = params.get('seed');
            if (fixed !== null && /^\d+$/.test(fixed)) return Number(fixed) % 4294967296;
            return Math.floor(Date.now() / 1000); // the calendar time, as the Windows program seeds
        },
        wantsTranscript: () => shinkei.transcript !== null || Boolean(page.room),
        wait,
        nextInput() {
            if (queue.length === 0 || !due(queue[0])) return null;
            const input = queue.shift();
            return input.take ? input.take() : input; // a room's input may be completed only now
        },
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
        access: (news) => page.access.access(news),
        transcript(line) {
            if (shinkei.transcript) shinkei.transcript.push(line);
            page.room?.heard(line);
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
