// The speaker: the cues and the music through Web Audio, started by the player's first gesture,
// as browsers require. The context is made once the board is up (making it takes a while, too
// long for a click to wait), and it may play from the player's first click or key on.
'use strict';

(function (page) {
    const { seam } = page;
    let audio = null;
    let unlocked = false;
    const buffers = new Map(); // file name -> Promise of its decoded buffer (null if it failed)
    const music = { wanted: false, file: '', source: null, timer: 0 };
    let muted = false; // in a room, this device's own silence

    function prepare() {
        if (audio || !window.AudioContext || page.failed) return;
        // The music comes last in the page, after the program has started, as text: one
        // "KEY DATA-URL" a line.
        if (document.readyState === 'loading') {
            document.addEventListener('DOMContentLoaded', prepare, { once: true });
            return;
        }
        for (const block of document.querySelectorAll('script.assets')) {
            for (const line of block.textContent.split('\n')) {
                const space = line.indexOf(' ');
                if (space > 0) page.assets[line.slice(0, space)] = line.slice(space + 1);
            }
        }
        let sounds;
        try {
            sounds = new Map([...page.audioAssets('sound'), ...page.audioAssets('music')]);
        } catch (error) {
            return page.damaged(String(error.message || error));
        }
        audio = new AudioContext();
        for (const [name, url] of sounds) {
            const decoded = fetch(url)
                .then((response) => response.arrayBuffer())
                .then((bytes) => audio.decodeAudioData(bytes));
            decoded.catch(() => page.damaged(name));
            buffers.set(
                name,
                decoded.catch(() => null),
            );
        }
    }

    function unlock() {
        prepare();
        if (!audio) return;
        if (audio.state === 'suspended') audio.resume();
        if (unlocked) return;
        unlocked = true;
        if (music.wanted) startMusic();
    }

    function playBuffer(name, onEnded) {
        const pending = audio && buffers.get(name);
        if (!pending) return null;
        const source = audio.createBufferSource();
        pending.then((buffer) => {
            if (!buffer) return;
            source.buffer = buffer;
            source.connect(audio.destination);
            if (onEnded) source.onended = onEnded;
            source.start();
        });
        return source;
    }

    // What the speaker played last, for the tests: a bounded log.
    function log(name) {
        const entries = window.shinkei.audioLog;
        if (entries.length >= 1000) entries.splice(0, 500);
        entries.push({ time: page.clockNow(), name });
    }

    // The piece's end is timed on the page's clock, so that it comes when the program's time says
    // it does; the program's own notify handler then starts it again.
    function startMusic() {
        if (!unlocked || muted) return; // starts at the first click or key
        stopMusic();
        if (audio && !buffers.has(music.file)) return page.damaged(`music:${music.file}`);
        const source = playBuffer(music.file);
        if (!source) return;
        music.source = source;
        const startedAt = page.clockNow();
        log('music');
        buffers.get(music.file).then((buffer) => {
            if (!buffer || music.source !== source) return;
            music.timer = setTimeout(
                () => {
                    if (music.source !== source) return;
                    stopMusic();
                    page.post(seam.Input.musicEnded, seam.Notify.successful);
                },
                Math.max(0, startedAt + buffer.duration * 1000 - page.clockNow()),
            );
        });
    }

    function stopMusic() {
        const source = music.source;
        music.source = null;
        clearTimeout(music.timer);
        if (source) {
            try {
                source.stop();
            } catch {
                // not started yet
            }
        }
    }

    page.audio = {
        prepare,
        unlock,
        stop: stopMusic,
        mute(on) {
            muted = on;
            if (muted) stopMusic();
            else if (music.wanted) startMusic();
        },
        sound(name) {
            if (!unlocked || muted || page.room?.replaying()) return; // before the first gesture nothing sounds
            if (playBuffer(name)) log(name);
        },
        // A music command as the program sends it: "play FILE notify", "stop FILE", ...
        music(command) {
            const [verb, file] = command.split(' ');
            if (verb === 'play') {
                music.wanted = true;
                music.file = file || music.file;
                startMusic();
            } else if (verb === 'stop' || verb === 'close') {
                music.wanted = false;
                stopMusic();
            }
        },
    };
})(window.ShinkeiPage);
