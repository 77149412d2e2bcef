// Rooms: a game played together, each player on their own device. Every device runs the same
// program from the room's seed and feeds it one log of inputs, kept by a NATS server
// (JetStream). The host's page checks each request, stamps it with the time it applies at,
// appends it to the log, and is the room's clock; a guest never lets its program run past the
// latest stamp or clock mark. docs/rooms.md gives the protocol.
'use strict';

(function (page) {
    const { params, seam, $ } = page;
    const say = page.words;
    const HEX32 = /^[0-9a-f]{32}$/;
    const asked = params.get('room');
    const roomId = asked !== null && HEX32.test(asked) ? asked : null;

    // The room's words, in the system's font (the game's fonts hold only the game's characters).
    const WORDS = {
        online: ['オンライン', 'Online'], // system font
        connecting: ['接続中…', 'Connecting…'], // system font
        waitingHost: ['ホストを待っています', 'Waiting for the host'], // system font
        offline: ['接続が切れました。再接続しています…', 'Connection lost. Reconnecting…'], // system font
        noServer: ['サーバーに接続できません', 'Cannot reach the server'], // system font
        invite: ['招待', 'Invite'], // system font
        copy: ['リンクをコピー', 'Copy link'], // system font
        watchLink: ['観戦用リンク', 'Spectator link'], // system font
        host: ['ホスト', 'Host'], // system font
        guest: ['ゲスト', 'Guest'], // system font
        you: ['あなた', 'you'], // system font
        away: ['離席', 'away'], // system font
        watching: ['観戦中', 'Watching'], // system font
        'not-your-turn': ['あなたの番ではありません', 'It is not your turn'], // system font
        'not-your-box': ['この箱は他のプレイヤーが閉じます', 'Another player closes this box'], // system font
        'host-only': ['ホストだけができます', 'Only the host can do that'], // system font
        'outside-board': ['盤の外です', 'Outside the board'], // system font
        'unknown-command': ['知らないコマンドです', 'Unknown command'], // system font
        'not-in-room': ['このルームの席がありません', 'No seat in this room'], // system font
        malformed: ['読めない要求です', 'Malformed request'], // system font
        flood: ['要求が多すぎます', 'Too many requests'], // system font
        'no-host': ['ホストが応答しません', 'The host does not answer'], // system font
    };
    const word = (key) => say(...WORDS[key]);

    // --- What may cross: each input's name in the log, its seam kind and its count of numbers
    // as the page gives them. A click and a close are the board's, whose window number the log
    // leaves out, as a script does: the log then reads as one.
    const INPUTS = [
        ['click', seam.Input.click, 3],
        ['command', seam.Input.command, 1],
        ['answer', seam.Input.answer, 2],
        ['control', seam.Input.dialogControl, 2],
        ['close', seam.Input.close, 1],
        ['music', seam.Input.musicEnded, 1],
        ['key', seam.Input.key, 1],
    ];
    const onBoard = (verb) => verb === 'click' || verb === 'close';
    const verbOf = new Map(INPUTS.map(([verb, kind]) => [kind, verb]));
    const inputOf = new Map(INPUTS.map(([verb, kind, count]) => [verb, { kind, count }]));
    const ID_GAME_SOUND = 40009;
    const MB_TYPE = 0x0f;
    const FLOOD_PER_SECOND = 20;

    const randomHex = () =>
        [...crypto.getRandomValues(new Uint8Array(16))]
            .map((b) => b.toString(16).padStart(2, '0'))
            .join('');

    function servers() {
        const listed = (params.get('server') || '')
            .split(',')
            .filter((s) => /^wss?:\/\/[^\s/]+/.test(s));
        if (listed.length > 0) return listed;
        if (location.protocol === 'https:') return [`wss://${location.hostname}`];
        if (location.protocol === 'http:') return [`ws://${location.hostname}:8080`];
        return ['ws://127.0.0.1:8080'];
    }

    // The NATS client, read from its data block only when a room is played.
    let library = null;
    function lib() {
        if (!library) {
            const script = document.createElement('script');
            script.textContent = document.getElementById('room-lib').textContent;
            document.head.append(script);
            library = window.ShinkeiRoomLib;
        }
        return library;
    }
    function connect() {
        return lib().wsconnect({
            servers: servers(),
            user: 'page',
            pass: 'shinkei-page',
            maxReconnectAttempts: -1,
            reconnectTimeWait: 500,
            waitOnFirstConnect: true,
        });
    }
    const streamName = (id) => `ROOM_${id}`;
    const subject = (id, what) => `room.${id}.${what}`;
    const storageKey = (id) => `shinkei.room.${id}`;
    function remembered(id) {
        try {
            return JSON.parse(localStorage.getItem(storageKey(id))) || {};
        } catch {
            return {};
        }
    }
    function remember(id, value) {
        try {
            localStorage.setItem(storageKey(id), JSON.stringify(value));
        } catch {
            // no storage: the seat lasts as long as the page
        }
    }
    // A room's address: this page's, with the room and its server. The host's own page keeps its
    // other parameters (its language, a transcript); an invitation carries only the room.
    const roomUrl = (id, extra = {}, own = false) => {
        const url = new URL(location.href);
        url.hash = '';
        if (!own) url.search = '';
        url.searchParams.delete('seed');
        url.searchParams.set('room', id);
        if (params.get('server')) url.searchParams.set('server', params.get('server'));
        for (const [key, value] of Object.entries(extra)) url.searchParams.set(key, value);
        return url.href.replace(/=(?=&|$)/g, '');
    };

    // --- The strip above the game.
    const strip = document.createElement('div');
    strip.id = 'room';
    $('#language').prepend(strip);
    const status = document.createElement('span');
    status.className = 'status';
    status.setAttribute('role', 'status');
    function show(text) {
        status.textContent = text;
    }
    let noticeTimer = 0;
    function notice(text) {
        show(text);
        clearTimeout(noticeTimer);
        noticeTimer = setTimeout(showSeats, 4000);
    }

    // --- Alone: one button makes a room on the server and opens it as its host.
    if (roomId === null) {
        const online = document.createElement('button');
        online.type = 'button';
        online.id = 'online';
        online.textContent = word('online');
        strip.append(online, status);
        online.addEventListener('click', async () => {
            online.disabled = true;
            show(word('connecting'));
            try {
                const id = randomHex();
                const nc = await connect();
                const replicas = Number(params.get('replicas')) || (servers().length >= 3 ? 3 : 1);
                await lib()
                    .jetstreamManager(nc)
                    .then((jsm) => jsm.streams.add(lib().roomStream(id, replicas)));
                const seed = page.host.seed();
                await lib()
                    .jetstream(nc)
                    .publish(subject(id, 'log'), `room ${seed}`, {
                        msgID: `${id}.1`,
                        expect: { lastSequence: 0 },
                    });
                await nc.close();
                remember(id, { token: randomHex(), host: true, dev: 0 });
                location.assign(roomUrl(id, {}, true));
            } catch {
                online.disabled = false;
                show(word('noServer'));
            }
        });
        return;
    }

    // --- In a room.
    const kept = remembered(roomId);
    const role = kept.host ? 'host' : params.has('watch') ? 'watch' : 'guest';
    const token = kept.token || (role === 'guest' ? randomHex() : null);
    let myDev = role === 'host' ? 0 : (kept.dev ?? null);
    if (role === 'guest') remember(roomId, { ...kept, token });

    let nc = null;
    let js = null;
    let seed = null;
    let logSeq = 0; // log entries received (or, on the host, appended)
    let lastStamp = 0;
    let limit = 0; // how far a guest's program may run
    let caughtUp = false;
    let pendingMark = null; // {at, seq}: a mark whose log entries have not all arrived
    const devices = []; // guests in the order they joined: their numbers (1, 2, ...)
    const seen = new Map(); // device -> when it last said hello (Date.now())
    let humans = 1;
    let turn = 0x11;
    const owners = new Map(); // open box or dialog serial -> the seat that answers it (0: host)
    let muted = false;
    let connected = true;

    let markStarted;
    const started = new Promise((resolve) => (markStarted = resolve));

    // Seat n (1 to 4) is held by the n-th guest to join, while there are that many human
    // players; the host holds the rest.
    const holder = (seat) => (seat >= 1 && seat <= humans && devices[seat - 1]) || 0;
    const turnSeat = () => ((turn & 0xf0) === 0x10 ? turn & 0x0f : 0);
    const deviceName = (dev) =>
        dev === myDev ? word('you') : dev === 0 ? word('host') : `${word('guest')}${dev}`;
    // Away: not heard from for 6 s (a device not yet heard from, once the page has had time to).
    const pageStarted = Date.now();
    const away = (dev) => dev !== myDev && Date.now() - (seen.get(dev) ?? pageStarted) > 6000;

    function showSeats() {
        if (!nc) return;
        if (!connected) return show(word('offline'));
        const parts = [];
        for (let s = 1; s <= humans; ++s) {
            const dev = holder(s);
            parts.push(`Player${s}: ${deviceName(dev)}${away(dev) ? ` (${word('away')})` : ''}`);
        }
        if (role !== 'host' && away(0)) parts.push(`${word('host')} (${word('away')})`);
        // A spectator, or a guest with no seat while there are fewer players than guests.
        const seated = [1, 2, 3, 4].some((s) => s <= humans && holder(s) === myDev);
        if (role === 'watch' || (role === 'guest' && myDev !== null && !seated)) {
            parts.unshift(word('watching'));
        }
        show(parts.join(' · '));
    }

    // What the program says, heard for the seats: who plays, whose turn it is.
    function heard(line) {
        const [what, ...rest] = line.split(' ');
        if (what === 'order') {
            const codes = rest.map((h) => parseInt(h, 16));
            humans = codes.filter((c) => (c & 0xf0) === 0x10).length;
            turn = codes[0];
            showSeats();
        } else if (what === 'miss') {
            turn = parseInt(rest[1], 16);
        }
    }

    // A box that names one human player is that player's to close; every other one is the
    // host's. Every device reads the same box, so all agree.
    function ownerOf(modal) {
        if (modal.kind !== 'box') return 0;
        const named = [...(modal.text || '').matchAll(/Player\s?([1-4１-４])/g)];
        if (named.length !== 1 || (modal.type & MB_TYPE) !== 0) return 0;
        return ('1234１２３４'.indexOf(named[0][1]) % 4) + 1;
    }
    const openModal = page.modals.open;
    page.modals.open = function (modal) {
        const owner = ownerOf(modal);
        owners.set(modal.serial, owner);
        openModal(modal);
        const mine = role === 'host' ? holder(owner) === 0 : holder(owner) === myDev && owner;
        const element = document.querySelector(`.modal[data-modal="${modal.serial}"]`);
        if (element && !mine) {
            element.classList.add('not-mine');
            for (const control of element.querySelectorAll('button, input')) {
                control.disabled = true;
            }
        }
    };
    const closeModal = page.modals.close;
    page.modals.close = function (serial) {
        owners.delete(serial);
        closeModal(serial);
    };

    // --- The host: checks a request, stamps it and appends it to the log.
    const tokens = new Map(kept.tokens || []); // guest token -> device
    const asks = new Map(); // device -> [times of its recent requests]
    const inflight = []; // stamps appended but not yet acknowledged
    let origin = 0; // the room's time is page.clockNow() - origin
    let appending = Promise.resolve();
    let lastMark = -1;

    function refuse(why) {
        return { ok: false, why };
    }
    // Counted on the room's clock, which is the page's own (and a test's, when it runs it).
    function flooding(dev) {
        const now = page.clockNow();
        const recent = (asks.get(dev) || []).filter((t) => now - t < 1000);
        recent.push(now);
        asks.set(dev, recent);
        return recent.length > FLOOD_PER_SECOND;
    }
    // Why `dev` may not give this input now, or null when it may.
    function check(dev, verb, fields) {
        const main = page.screen.mainInfo();
        if (verb === 'key') {
            // The board's focus is one for the room: it moves for the player whose turn it is.
            return holder(turnSeat()) === dev ? null : 'not-your-turn';
        }
        if (verb === 'click') {
            const [, , width, height] = main ? main.client : [0, 0, 0, 0];
            const [window, x, y] = fields;
            if (!main || window !== main.id || x < 0 || y < 0 || x >= width || y >= height)
                return 'outside-board';
            const seat = turnSeat();
            return holder(seat) === dev ? null : 'not-your-turn';
        }
        if (verb === 'close') {
            return fields[0] === main?.id && dev === 0 ? null : 'host-only';
        }
        if (verb === 'answer' || verb === 'control') {
            if (!owners.has(fields[0])) return 'not-your-box';
            if (verb === 'control') return dev === 0 ? null : 'host-only';
            return holder(owners.get(fields[0])) === dev ? null : 'not-your-box';
        }
        if (verb === 'command') {
            const known = (main?.menu || []).some((menu) =>
                menu.items.some((item) => item.id === fields[0]),
            );
            if (!known) return 'unknown-command';
        }
        return dev === 0 ? null : 'host-only';
    }

    function append(text) {
        const expected = ++logSeq;
        const publish = () =>
            js.publish(subject(roomId, 'log'), text, {
                msgID: `${roomId}.${expected}`,
                timeout: 2000,
            });
        // Until the server has it: a server that died or a stream that is electing its leader
        // means trying again, and the same message id keeps a second copy out.
        const attempt = () =>
            publish().catch(
                () => new Promise((resolve) => setTimeout(() => attempt().then(resolve), 250)),
            );
        appending = appending.then(attempt);
        return appending;
    }

    function stamp(dev, verb, fields) {
        const { kind } = inputOf.get(verb);
        const at = Math.max(page.clockNow() - origin, lastStamp, page.programTime());
        lastStamp = at;
        inflight.push(at);
        const logged = onBoard(verb) ? fields.slice(1) : fields;
        return append(['at', at, verb, ...logged].join(' ')).then(() => {
            inflight.shift();
            page.enqueue({ kind, fields, at });
            page.clockMoved();
        });
    }

    function hostRequest(dev, verb, fields) {
        const why = check(dev, verb, fields);
        if (why) return Promise.resolve(refuse(why));
        return stamp(dev, verb, fields).then(() => ({ ok: true }));
    }

    function join(guestToken) {
        if (tokens.has(guestToken)) return Promise.resolve(tokens.get(guestToken));
        const dev = devices.length + 1;
        devices.push(dev);
        tokens.set(guestToken, dev);
        remember(roomId, { ...remembered(roomId), tokens: [...tokens] });
        showSeats();
        return append(`join ${dev}`).then(() => dev);
    }

    async function serveRequests() {
        const sub = nc.subscribe(subject(roomId, 'req'));
        for await (const message of sub) {
            let request = null;
            try {
                request = JSON.parse(message.string());
            } catch {
                // answered below
            }
            const valid =
                request &&
                typeof request.token === 'string' &&
                HEX32.test(request.token) &&
                (request.k === 'join' ||
                    (request.k === 'input' &&
                        inputOf.has(request.i) &&
                        Array.isArray(request.f) &&
                        request.f.length === inputOf.get(request.i).count &&
                        request.f.every((n) => Number.isSafeInteger(n) && Math.abs(n) < 2 ** 32)));
            const dev = valid ? tokens.get(request.token) : undefined;
            let answer;
            if (flooding(dev ?? (valid ? request.token : 'unknown'))) {
                answer = refuse('flood');
            } else if (!valid) {
                answer = refuse('malformed');
            } else if (request.k === 'join') {
                answer = { ok: true, dev: await join(request.token) };
            } else if (dev === undefined) {
                answer = refuse('not-in-room');
            } else {
                answer = await hostRequest(dev, request.i, request.f);
            }
            message.respond(JSON.stringify(answer));
        }
    }

    // The room's clock moves on each time the host's program settles: a mark says how far it
    // ran, and how much of the log it had taken by then.
    function sendMark(at) {
        if (at <= lastMark || !nc || nc.isClosed()) return;
        lastMark = at;
        remember(roomId, { ...remembered(roomId), mark: at });
        nc.publish(subject(roomId, 'clock'), `${at} ${logSeq}`);
    }

    // --- Every device: the log, read from its start, then followed.
    let firstEntryAt = 0;
    function entry(text) {
        firstEntryAt ||= performance.now();
        logSeq += 1;
        const words = text.split(' ');
        if (words[0] === 'room' && seed === null) {
            seed = Number(words[1]) >>> 0;
            markStarted();
        } else if (words[0] === 'join') {
            const dev = Number(words[1]);
            if (!devices.includes(dev)) devices.push(dev);
            showSeats();
        } else if (words[0] === 'at' && inputOf.has(words[2])) {
            const at = Number(words[1]);
            const verb = words[2];
            const fields = words.slice(3).map(Number);
            lastStamp = Math.max(lastStamp, at);
            limit = Math.max(limit, at);
            const input = { kind: inputOf.get(verb).kind, fields, at };
            // The board's window number, once the program has made its board.
            if (onBoard(verb))
                input.take = () => ({
                    ...input,
                    fields: [page.screen.mainInfo()?.id ?? 0, ...fields],
                });
            page.enqueue(input);
        }
        if (pendingMark && pendingMark.seq <= logSeq) takeMark(pendingMark);
        page.clockMoved();
    }
    function takeMark(mark) {
        if (mark.seq > logSeq) {
            pendingMark = mark;
            return;
        }
        pendingMark = null;
        limit = Math.max(limit, mark.at);
        page.clockMoved();
    }

    // Reads the log from the entry after the last one taken, each entry once and in order, and
    // returns at a gap, or once caught up when asked to. A reader whose consumer was lost with
    // its server (a consumer lives on one server of a cluster) is stopped by the watch below.
    let reader = null;
    let lastProgress = 0;
    async function readLog(untilCaughtUp) {
        const consumer = await lib()
            .jetstream(nc)
            .consumers.get(streamName(roomId), {
                opt_start_seq: logSeq + 1,
                inactive_threshold: 30_000,
            });
        // Short pulls, so that a reader whose server died notices within seconds.
        const messages = await consumer.consume({ expires: 4000 });
        reader = messages;
        try {
            for await (const message of messages) {
                if (message.seq !== logSeq + 1) {
                    if (message.seq > logSeq + 1) break; // a gap: read again from the first missing
                    continue; // had already
                }
                lastProgress = Date.now();
                entry(message.string());
                if (message.info.pending === 0) {
                    if (!caughtUp) {
                        caughtUp = true;
                        page.releaseIdle();
                    }
                    if (untilCaughtUp) break;
                }
            }
        } finally {
            messages.stop();
            reader = null;
        }
    }
    // A guest follows the log for good, reading it again whenever its reader ends or fails.
    async function follow() {
        for (;;) {
            lastProgress = Date.now();
            try {
                await readLog(false);
            } catch {
                // the server or the stream is not there yet: try again
            }
            await new Promise((resolve) => setTimeout(resolve, 250));
        }
    }
    // A mark shows entries this device lacks, and nothing came for a while: its reader is stuck.
    function watchReader() {
        const lacking = pendingMark && pendingMark.seq > logSeq;
        if (lacking && Date.now() - lastProgress > 3000 && reader) {
            lastProgress = Date.now();
            reader.stop();
        }
    }

    // A request from this device: the host checks its own as it checks a guest's.
    async function request(kind, fields) {
        const verb = verbOf.get(kind);
        if (verb === 'command' && fields[0] === ID_GAME_SOUND) {
            // Muting is this device's own: the program, and so everyone's game, is untouched.
            muted = !muted;
            page.audio.mute(muted);
            return;
        }
        if (verb === 'music' && role !== 'host') return; // the host's music keeps the time
        if (role === 'watch') return notice(word('watching'));
        if (role === 'host') {
            const answer = await hostRequest(0, verb, fields);
            if (!answer.ok) notice(word(answer.why));
            return;
        }
        busyRequests += 1;
        try {
            const reply = await nc.request(
                subject(roomId, 'req'),
                JSON.stringify({ token, k: 'input', i: verb, f: fields }),
                { timeout: 5000 },
            );
            const answer = JSON.parse(reply.string());
            if (!answer.ok) notice(word(answer.why));
        } catch {
            notice(word('no-host'));
        } finally {
            busyRequests -= 1;
            page.releaseIdle();
        }
    }
    let busyRequests = 0;

    async function askForSeat() {
        for (;;) {
            try {
                const reply = await nc.request(
                    subject(roomId, 'req'),
                    JSON.stringify({ token, k: 'join' }),
                    { timeout: 3000 },
                );
                const answer = JSON.parse(reply.string());
                if (answer.ok) {
                    myDev = answer.dev;
                    remember(roomId, { ...remembered(roomId), token, dev: myDev });
                    showSeats();
                    return;
                }
            } catch {
                show(word('waitingHost'));
                await new Promise((resolve) => setTimeout(resolve, 1000));
            }
        }
    }

    // `back`: this device has just come, or come back, and wants the room's time.
    function sayHello(back = false) {
        if (nc && !nc.isClosed()) {
            nc.publish(subject(roomId, 'hello'), JSON.stringify({ dev: myDev, role, back }));
        }
    }
    async function hearHellos() {
        for await (const message of nc.subscribe(subject(roomId, 'hello'))) {
            try {
                const hello = JSON.parse(message.string());
                if (Number.isInteger(hello.dev)) seen.set(hello.dev, Date.now());
                // A device that has just come (or come back) hears how far the room's time is;
                // the others have heard each mark as it was sent.
                if (hello.back === true && role === 'host' && caughtUp && lastMark >= 0) {
                    nc.publish(subject(roomId, 'clock'), `${lastMark} ${logSeq}`);
                }
            } catch {
                // not a hello
            }
        }
    }
    async function hearClock() {
        for await (const message of nc.subscribe(subject(roomId, 'clock'))) {
            const [at, seq] = message.string().split(' ').map(Number);
            if (Number.isSafeInteger(at) && Number.isSafeInteger(seq)) takeMark({ at, seq });
        }
    }
    async function watchConnection() {
        for await (const s of nc.status()) {
            if (s.type === 'disconnect') {
                connected = false;
                show(word('offline'));
            } else if (s.type === 'reconnect') {
                connected = true;
                showSeats();
                sayHello(true);
            }
        }
    }

    async function begin() {
        show(word('connecting'));
        // The client's text comes last in the page.
        if (document.readyState === 'loading') {
            await new Promise((resolve) =>
                document.addEventListener('DOMContentLoaded', resolve, { once: true }),
            );
        }
        nc = await connect();
        js = lib().jetstream(nc);
        watchConnection();
        hearHellos();
        if (role === 'host') {
            // The log so far (after a reload), then the room's time goes on from where it was.
            page.clock = { now: () => limit, realDelay: () => Infinity };
            for (let tries = 0; !caughtUp; ++tries) {
                try {
                    await readLog(true);
                } catch (error) {
                    if (tries >= 20) throw error;
                    await new Promise((resolve) => setTimeout(resolve, 250));
                }
            }
            const resume = Math.max(lastStamp, kept.mark ?? 0);
            origin = page.clockNow() - resume;
            lastMark = kept.mark ?? -1;
            caughtUp = true;
            page.clock = {
                now: () => Math.min(page.clockNow() - origin, inflight[0] ?? Infinity),
                realDelay: (wakeAt) =>
                    inflight.length ? Infinity : wakeAt - (page.clockNow() - origin),
            };
            serveRequests();
        } else {
            page.clock = { now: () => limit, realDelay: () => Infinity };
            hearClock();
            follow();
            setInterval(watchReader, 1000);
            if (role === 'guest' && myDev === null) askForSeat();
        }
        sayHello(true);
        setInterval(sayHello, 2000);
        setInterval(showSeats, 2000);
        page.clockMoved();
        showSeats();
    }

    page.post = (kind, ...fields) => {
        request(kind, fields);
    };
    page.room = {
        id: roomId,
        role,
        started,
        get seed() {
            return seed;
        },
        heard,
        checked: (item) => (item.id === ID_GAME_SOUND ? !muted : item.checked),
        waiting(at) {
            if (role === 'host' && caughtUp) sendMark(at);
        },
        // When the first entry of the log came (performance.now()), for the figures.
        firstEntryAt: () => firstEntryAt,
        busy: () => !caughtUp || inflight.length > 0 || busyRequests > 0,
        // Who acts now: the device that holds the seat whose turn it is, and the one that
        // answers an open box (0: the host's).
        turnHolder: () => holder(turnSeat()),
        answerer: (serial) => holder(owners.get(serial) ?? 0),
        // For tests: the log as this page has it, and the seats.
        state: () => ({
            role,
            dev: myDev,
            devices: [...devices],
            humans,
            turn,
            logSeq,
            limit,
            connected: Boolean(nc) && !nc.isClosed() && connected,
            held: inflight.length,
        }),
        replaying: () => !caughtUp,
        inviteUrl: () => roomUrl(roomId),
        // Out of the room, to play alone again.
        leave() {
            const url = new URL(location.href);
            for (const key of ['room', 'watch', 'replicas']) url.searchParams.delete(key);
            location.assign(url.href.replace(/=(?=&|$)/g, ''));
        },
    };

    // The invitation: the room's link and its QR code for phones at the same table.
    const inviteButton = document.createElement('button');
    inviteButton.type = 'button';
    inviteButton.textContent = word('invite');
    const panel = document.createElement('div');
    panel.id = 'invite';
    panel.hidden = true;
    inviteButton.addEventListener('click', () => {
        panel.hidden = !panel.hidden;
        if (panel.hidden || panel.childElementCount) return;
        const link = roomUrl(roomId);
        const qr = lib().qrcode(0, 'M');
        qr.addData(link);
        qr.make();
        const code = document.createElement('div');
        code.className = 'qr';
        code.innerHTML = qr.createSvgTag({ cellSize: 4, margin: 4, scalable: true });
        const anchor = document.createElement('a');
        anchor.href = link;
        anchor.textContent = link;
        const copy = document.createElement('button');
        copy.type = 'button';
        copy.textContent = word('copy');
        copy.addEventListener('click', () => navigator.clipboard?.writeText(link));
        const watch = document.createElement('a');
        watch.href = roomUrl(roomId, { watch: '' });
        watch.textContent = word('watchLink');
        panel.append(code, anchor, copy, watch);
    });
    strip.append(inviteButton, status);
    document.body.append(panel);

    begin().catch((error) => {
        console.warn(`room: ${error}`);
        show(word('noServer'));
    });
})(window.ShinkeiPage);
