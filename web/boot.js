// The page: a screen, a clock, a speaker and a mouse for the program, which runs unchanged on the
// simulated desktop compiled to WebAssembly (shinkei.js). It is plain scripts sharing one
// namespace, window.ShinkeiPage, each with one job, loaded in this order:
//   seam.js    the seam with the host, written from src/framework/web/seam.h
//   boot.js    the address's parameters, the language, errors, the assets, labels
//   host.js    what the program calls (Module.host), the clock, the input queue, the test hooks
//   images.js  the program's bitmaps and icons, as canvases
//   audio.js   the cues and the music, through Web Audio
//   screen.js  window frames, dragging, fitting to the screen
//   paint.js   the program's paints on the windows' canvases
//   menus.js   the menu bar, its popups and the keys
//   modals.js  message boxes and dialogs
//   room.js    rooms: play together, each on their own device, through a NATS server
//   start.js   fonts, starting the program, its end, the service worker
'use strict';

(function (page) {
    const params = new URLSearchParams(location.search);
    const assets = window.SHINKEI_ASSETS || {};
    const $ = (selector, root) => (root || document).querySelector(selector);
    Object.assign(page, { params, assets, $, failed: false });

    // --- The language: Japanese, unless the player asked for English (?lang=en, or the switch
    // above the game), which the page then remembers. The program itself is told on its command
    // line, as on Windows, and so changing it starts the game anew.
    const LANGUAGE_KEY = 'shinkei.language';
    function chosenLanguage() {
        const asked = params.get('lang');
        try {
            if (asked === 'en' || asked === 'ja') localStorage.setItem(LANGUAGE_KEY, asked);
            const kept = localStorage.getItem(LANGUAGE_KEY);
            if (kept === 'en' || kept === 'ja') return kept;
        } catch {
            // no storage (a private window): the address alone decides
        }
        return asked === 'en' ? 'en' : 'ja';
    }
    page.language = chosenLanguage();
    // A word the page itself shows, in the player's language.
    page.words = (japanese, english) => (page.language === 'en' ? english : japanese);
    document.documentElement.lang = page.language;
    for (const choice of document.querySelectorAll('#language [data-lang]')) {
        choice.setAttribute('aria-pressed', String(choice.dataset.lang === page.language));
        choice.addEventListener('click', () => {
            if (choice.dataset.lang === page.language) return;
            const url = new URL(location.href);
            url.searchParams.set('lang', choice.dataset.lang);
            location.assign(url.href.replace(/=(?=&|$)/g, ''));
        });
    }

    // --- Errors: one clear sentence in both languages, never a blank page or a hang.
    page.fail = function (japanese, english) {
        if (page.failed) return;
        page.failed = true;
        const box = $('#error');
        box.textContent = '';
        for (const [text, lang] of [
            [japanese, 'ja'],
            [english, 'en'],
        ]) {
            const p = document.createElement('p');
            p.lang = lang;
            p.textContent = text;
            box.append(p);
        }
        box.hidden = false;
        $('#loading').hidden = true;
        page.audio?.stop();
    };
    page.damaged = function (name) {
        page.fail(
            `ゲームのファイルが壊れています (${name})。index.html を入れ直してください。`,
            `The game's file is damaged: "${name}" is missing or corrupt. Please get index.html again.`,
        );
    };

    if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
        page.fail(
            'このブラウザーは WebAssembly に対応していないため、このゲームを遊べません。新しいブラウザーで開いてください。',
            'This browser cannot run WebAssembly, which the game needs: please open the page in a current browser.',
        );
    }

    // --- The assets: base64 data URLs, read as bytes on request.
    page.assetBytes = function (key) {
        const url = assets[key];
        const comma = typeof url === 'string' && url.startsWith('data:') ? url.indexOf(',') : -1;
        if (comma < 0 || !/;base64$/.test(url.slice(0, comma))) throw new Error(key);
        const text = atob(url.slice(comma + 1));
        const bytes = new Uint8Array(text.length);
        for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
        return bytes;
    };
    const isAudio = (url) => /^data:audio\/[\w.+-]+;base64,[A-Za-z0-9+/]{64}/.test(url || '');
    // The sounds and the music, by the file name the program plays them by.
    page.audioAssets = function (kind) {
        const found = new Map();
        for (const key of Object.keys(assets).filter((k) => k.startsWith(`${kind}:`))) {
            if (!isAudio(assets[key])) throw new Error(key);
            found.set(key.slice(kind.length + 1), assets[key]);
        }
        return found;
    };
    try {
        page.audioAssets('sound');
        // The fonts are decoded by the browser; a damaged one fails to load (below).
        for (const key of ['font:gothic', 'font:mincho', 'font:fixed']) {
            if (!/^data:font\/[\w.+-]+;base64,[A-Za-z0-9+/]{64}/.test(assets[key] || '')) {
                throw new Error(key);
            }
        }
    } catch (error) {
        page.damaged(String(error.message || error));
    }
    // The fonts begin to load at once: the score window's first paint writes text, and the
    // program starts once they are in (start.js). Given as bytes, a face is decoded right here,
    // rather than fetched from its data URL by the browser's loader some tens of milliseconds
    // later.
    page.fonts = page.failed
        ? []
        : [
              ['ShinkeiGothic', 'font:gothic'],
              ['ShinkeiMincho', 'font:mincho'],
              ['ShinkeiFixed', 'font:fixed'],
          ].map(([family, key]) => {
              const face = new FontFace(family, page.assetBytes(key));
              document.fonts.add(face);
              return face.load();
          });

    // --- Labels with an access key: "&Yes" shows Yes with the Y underlined.
    page.accessKey = (label) => {
        const m = /&(.)/.exec(label);
        return m ? m[1].toLowerCase() : '';
    };
    page.labelled = function (element, label) {
        element.textContent = '';
        const parts = label.split(/&(.)/);
        for (let i = 0; i < parts.length; i++) {
            if (i % 2 === 1) {
                const u = document.createElement('u');
                u.textContent = parts[i];
                element.append(u);
            } else if (parts[i]) {
                element.append(parts[i]);
            }
        }
    };
})(window.ShinkeiPage);
