// The page of 神経衰弱: a screen, a clock, a speaker and a mouse for the program, which runs
// unchanged on the simulated desktop compiled to WebAssembly (shinkei.js). The program calls
// Module.host (below) to show its windows, paints, boxes and dialogs and to play sounds; the page
// queues the player's input and hands it over only while the program waits.
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const assets = window.SHINKEI_ASSETS || {};
  const $ = (selector, root) => (root || document).querySelector(selector);

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
    } catch { /* no storage (a private window): the address alone decides */ }
    return asked === 'en' ? 'en' : 'ja';
  }
  const language = chosenLanguage();
  document.documentElement.lang = language;
  for (const choice of document.querySelectorAll('#language [data-lang]')) {
    choice.setAttribute('aria-pressed', String(choice.dataset.lang === language));
    choice.addEventListener('click', () => {
      if (choice.dataset.lang === language) return;
      const url = new URL(location.href);
      url.searchParams.set('lang', choice.dataset.lang);
      location.assign(url.href.replace(/=(?=&|$)/g, ''));
    });
  }

  // --- Test hooks and what a player's session shows of itself.
  const shinkei = (window.shinkei = {
    transcript: params.has('transcript') ? [] : null,
    audioLog: [],
    ended: false,
    now: () => clockNow(),
    nextWake: () => nextWake,
    idle: () => idlePromise(),
  });
  let markReady;
  shinkei.ready = new Promise((resolve) => (markReady = resolve));

  // Audio, started by the player's first gesture (below).
  let audio = null;
  const buffers = new Map();
  const music = { wanted: false, source: null, timer: 0 };

  // --- Errors: one clear sentence, never a blank page or a hang.
  let failed = false;
  function fail(japanese, english) {
    if (failed) return;
    failed = true;
    const box = $('#error');
    box.textContent = '';
    for (const [text, lang] of [[japanese, 'ja'], [english, 'en']]) {
      const p = document.createElement('p');
      p.lang = lang;
      p.textContent = text;
      box.append(p);
    }
    box.hidden = false;
    $('#loading').hidden = true;
    stopMusic();
  }

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    fail('このブラウザーは WebAssembly に対応していないため、神経衰弱を遊べません。新しいブラウザーで開いてください。',
      'This browser cannot run WebAssembly, which the game needs: please open the page in a current browser.');
    return;
  }

  // --- Assets: every one must be there and decode, or the page says which is damaged.
  function damaged(name) {
    fail(`ゲームのファイルが壊れています (${name})。index.html を入れ直してください。`,
      `The game's file is damaged: "${name}" is missing or corrupt. Please get index.html again.`);
  }
  function assetBytes(key) {
    const url = assets[key];
    const comma = typeof url === 'string' && url.startsWith('data:') ? url.indexOf(',') : -1;
    if (comma < 0 || !/;base64$/.test(url.slice(0, comma))) throw new Error(key);
    const text = atob(url.slice(comma + 1));
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
    return bytes;
  }

  // An uncompressed Windows bitmap of 1, 4, 8 or 24 bits per pixel, as the program's resources are.
  function decodeBitmap(b) {
    const u32 = (at) => (b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24)) >>> 0;
    if (b.length < 54 || b[0] !== 0x42 || b[1] !== 0x4d) throw new Error('not a bitmap');
    const bits = u32(10), header = u32(14), width = u32(18) | 0, signedHeight = u32(22) | 0;
    const depth = b[28] | (b[29] << 8), height = Math.abs(signedHeight);
    if (u32(30) !== 0 || width <= 0 || height <= 0 || ![1, 4, 8, 24].includes(depth)) throw new Error('unsupported bitmap');
    const palette = [];
    if (depth <= 8) {
      const colours = u32(46) || 1 << depth;
      for (let i = 0; i < colours; i++) {
        const at = 14 + header + 4 * i;
        palette.push([b[at + 2], b[at + 1], b[at]]);
      }
    }
    const stride = Math.floor((width * depth + 31) / 32) * 4;
    if (bits + stride * height > b.length) throw new Error('truncated bitmap');
    const rgba = new Uint8ClampedArray(width * height * 4);
    const ink = new Uint8Array(width * height); // two-colour images: 1 where the bit is black
    for (let y = 0; y < height; y++) {
      const row = bits + stride * (signedHeight < 0 ? y : height - 1 - y);
      for (let x = 0; x < width; x++) {
        let c;
        if (depth === 24) {
          const at = row + 3 * x;
          c = [b[at + 2], b[at + 1], b[at]];
        } else {
          const bit = x * depth;
          const index = (b[row + (bit >> 3)] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1);
          c = palette[index] || [0, 0, 0];
        }
        const p = y * width + x;
        rgba.set([c[0], c[1], c[2], 255], p * 4);
        ink[p] = c[0] === 0 && c[1] === 0 && c[2] === 0 ? 1 : 0;
      }
    }
    return { width, height, twoColour: depth === 1, rgba, ink, tinted: new Map() };
  }

  const bitmaps = new Map();
  const icons = new Map();
  const sounds = new Map(); // name -> data URL, decoded once audio may start
  try {
    for (const key of Object.keys(assets)) {
      const [kind, name] = key.split(':');
      if (kind === 'bitmap') {
        try {
          bitmaps.set(Number(name), decodeBitmap(assetBytes(key)));
        } catch (_) {
          throw new Error(key);
        }
      }
      if (kind === 'icon') icons.set(Number(name), assets[key]);
    }
    for (const key of ['sound:open.wav', 'sound:OK.wav', 'sound:NO.wav']) {
      if (!/^data:audio\/[\w.+-]+;base64,[A-Za-z0-9+/]{64}/.test(assets[key] || '')) throw new Error(key);
      sounds.set(key.slice(key.indexOf(':') + 1), assets[key]);
    }
    for (const key of ['font:gothic', 'font:mincho', 'font:fixed']) assetBytes(key);
    if (bitmaps.size === 0) throw new Error('bitmap');
  } catch (error) {
    damaged(String(error.message || error));
  }

  // The canvas for a bitmap as a blit shows it: a two-colour image in the text and background
  // colours of the context it is drawn into.
  function bitmapCanvas(id, textColor, bkColor) {
    const image = bitmaps.get(id);
    if (!image) {
      damaged(`bitmap:${id}`); // the program loads every bitmap it has
      return null;
    }
    const key = image.twoColour ? `${textColor}/${bkColor}` : '';
    let canvas = image.tinted.get(key);
    if (canvas) return canvas;
    canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const data = new ImageData(new Uint8ClampedArray(image.rgba), image.width, image.height);
    if (image.twoColour) {
      const t = rgb(textColor), k = rgb(bkColor);
      for (let p = 0; p < image.ink.length; p++) data.data.set(image.ink[p] ? t : k, p * 4);
    }
    canvas.getContext('2d').putImageData(data, 0, 0);
    image.tinted.set(key, canvas);
    return canvas;
  }
  // Each image in black and in red ink on white, made while the player looks at the new board,
  // so that the first card turned is drawn within its frame.
  function warmImages() {
    for (const [id, image] of bitmaps) {
      bitmapCanvas(id, 0x000000, 0xffffff);
      if (image.twoColour) bitmapCanvas(id, 0x0000ff, 0xffffff);
    }
  }
  const rgb = (c) => [c & 255, (c >>> 8) & 255, (c >>> 16) & 255, 255];
  const css = (c) => `rgb(${c & 255},${(c >>> 8) & 255},${(c >>> 16) & 255})`;

  // --- The clock: the program's time is the page's, in whole milliseconds since it started.
  const origin = performance.now();
  const clockNow = () => Math.floor(performance.now() - origin);

  // --- Input: queued as it comes, taken by the program only while it waits.
  const queue = [];
  let waiting = null; // the program's wait: {resolve, timer}
  let nextWake = Infinity;
  const idleWaiters = [];
  function idlePromise() {
    if (failed || shinkei.ended || (waiting && queue.length === 0)) return Promise.resolve();
    return new Promise((resolve) => idleWaiters.push(resolve));
  }
  function wake() {
    if (!waiting) return;
    const { resolve, timer } = waiting;
    waiting = null;
    clearTimeout(timer);
    resolve();
  }
  function post(kind, ...fields) {
    if (shinkei.ended || failed) return;
    queue.push({ kind, fields });
    wake();
  }
  const Input = { click: 1, command: 2, answer: 3, dialogControl: 4, close: 5, musicEnded: 6 };

  // --- Audio: Web Audio, started by the player's first gesture, as browsers require.
  // The context is made once the board is up (making it takes a while, too long for a click to
  // wait), and it may play from the player's first click or key on.
  let unlocked = false;
  function prepareAudio() {
    if (audio || !window.AudioContext) return;
    // The music's script comes last in the page, after the program has started.
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', prepareAudio, { once: true });
      return;
    }
    const music = assets['music:vormidal.mid'];
    if (!/^data:audio\/[\w.+-]+;base64,[A-Za-z0-9+/]{64}/.test(music || '')) return damaged('music:vormidal.mid');
    sounds.set('vormidal.mid', music);
    audio = new AudioContext();
    for (const [name, url] of sounds) {
      const decoded = fetch(url)
        .then((response) => response.arrayBuffer())
        .then((bytes) => audio.decodeAudioData(bytes));
      decoded.catch(() => damaged(name));
      buffers.set(name, decoded.catch(() => null));
    }
  }
  function unlockAudio() {
    prepareAudio();
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
  function logAudio(name) {
    if (shinkei.audioLog.length >= 1000) shinkei.audioLog.splice(0, 500);
    shinkei.audioLog.push({ time: clockNow(), name });
  }

  // The piece's end is timed on the page's clock, so that it comes when the program's time says
  // it does; the program's own notify handler then starts it again.
  function startMusic() {
    if (!unlocked) return; // starts at the first click or key
    stopMusic();
    const source = playBuffer('vormidal.mid');
    if (!source) return;
    music.source = source;
    const startedAt = clockNow();
    logAudio('music');
    buffers.get('vormidal.mid').then((buffer) => {
      if (!buffer || music.source !== source) return;
      music.timer = setTimeout(() => {
        if (music.source !== source) return;
        stopMusic();
        post(Input.musicEnded, 1); // MCI_NOTIFY_SUCCESSFUL
      }, Math.max(0, startedAt + buffer.duration * 1000 - clockNow()));
    });
  }
  function stopMusic() {
    const source = music.source;
    music.source = null;
    clearTimeout(music.timer);
    if (source) {
      try { source.stop(); } catch (_) { /* not started yet */ }
    }
  }

  // --- Windows on the desktop.
  const desktop = $('#desktop');
  const windows = new Map(); // id -> {element, canvas, ctx, info, clipped}
  let boardId = 0;
  let boardEnabled = true;

  // A caption bar with its title.
  function captionBar(text) {
    const caption = document.createElement('div');
    caption.className = 'caption';
    const title = document.createElement('span');
    title.className = 'title';
    title.textContent = text;
    caption.append(title);
    return { caption, title };
  }

  function windowFor(info) {
    let w = windows.get(info.id);
    if (w) return w;
    const element = document.createElement('div');
    element.className = 'window';
    element.id = info.main ? 'board' : 'score';
    const { caption, title } = captionBar('');
    if (info.icon && icons.has(info.icon)) {
      const icon = document.createElement('img');
      icon.className = 'icon';
      icon.alt = '';
      icon.src = icons.get(info.icon);
      caption.append(icon);
    }
    caption.append(title); // after the icon
    if (info.main) {
      const close = document.createElement('button');
      close.className = 'close';
      close.type = 'button';
      close.textContent = '×';
      close.title = '閉じる';
      close.addEventListener('click', () => post(Input.close, info.id));
      caption.append(close);
    } else {
      dragBy(caption, element);
    }
    const canvas = document.createElement('canvas');
    canvas.id = info.main ? 'board-canvas' : 'score-canvas';
    canvas.addEventListener('pointerdown', (event) => {
      if (event.button !== 0) return;
      event.preventDefault();
      unlockAudio();
      const box = canvas.getBoundingClientRect();
      const x = Math.floor(((event.clientX - box.left) * canvas.width) / box.width);
      const y = Math.floor(((event.clientY - box.top) * canvas.height) / box.height);
      post(Input.click, info.id, x, y);
    });
    canvas.addEventListener('contextmenu', (event) => event.preventDefault());
    element.append(caption, canvas);
    if (info.main) {
      const bar = document.createElement('div');
      bar.id = 'menubar';
      element.append(bar);
    }
    desktop.append(element);
    w = { element, canvas, ctx: canvas.getContext('2d', { alpha: false }), title, info: null, clipped: false, moved: null };
    w.ctx.imageSmoothingEnabled = false;
    windows.set(info.id, w);
    return w;
  }

  // Frames as classic Windows draws them: the caption, the menu bar, then the client area.
  function place(w, info, board) {
    const [l, t, r, b] = info.rect;
    const [, , cw, ch] = info.client;
    const frame = (r - l - cw) / 2;
    const top = b - t - ch - frame;
    const left = w.moved ? w.moved[0] : l - board.rect[0];
    const topAt = w.moved ? w.moved[1] : t - board.rect[1];
    Object.assign(w.element.style, { left: `${left}px`, top: `${topAt}px`, width: `${r - l}px`, height: `${b - t}px` });
    w.element.hidden = !info.visible;
    const caption = w.element.querySelector('.caption');
    Object.assign(caption.style, { left: `${frame}px`, top: `${frame}px`, width: `${r - l - 2 * frame}px` });
    if (w.canvas.width !== cw || w.canvas.height !== ch) {
      w.canvas.width = cw;
      w.canvas.height = ch;
      w.ctx.imageSmoothingEnabled = false;
      w.ctx.fillStyle = '#fff';
      w.ctx.fillRect(0, 0, cw, ch);
      w.clipped = false;
    }
    Object.assign(w.canvas.style, { left: `${frame}px`, top: `${top}px`, width: `${cw}px`, height: `${ch}px` });
    const bar = w.element.querySelector('#menubar');
    if (bar) Object.assign(bar.style, { left: `${frame}px`, top: `${frame + 18}px`, width: `${cw}px` });
  }

  function showWindows(list) {
    const board = list.find((info) => info.main) || list[0];
    if (!board) return;
    boardId = board.id;
    boardEnabled = board.enabled;
    for (const info of list) {
      const w = windowFor(info);
      w.info = info;
      w.title.textContent = info.caption;
      place(w, info, board);
      if (info.main) {
        document.title = info.caption || '神経衰弱';
        showMenuBar(info.menu);
      }
    }
    for (const [id, w] of windows) {
      if (!list.some((info) => info.id === id)) {
        w.element.remove();
        windows.delete(id);
      }
    }
    desktop.hidden = false;
    $('#loading').hidden = true;
    fit();
  }

  // The score window moves by its caption, as on Windows.
  function dragBy(handle, element) {
    handle.addEventListener('pointerdown', (event) => {
      const w = [...windows.values()].find((v) => v.element === element);
      const start = [event.clientX, event.clientY, parseFloat(element.style.left), parseFloat(element.style.top)];
      handle.setPointerCapture(event.pointerId);
      const move = (e) => {
        const s = scale || 1;
        w.moved = [Math.round(start[2] + (e.clientX - start[0]) / s), Math.round(start[3] + (e.clientY - start[1]) / s)];
        element.style.left = `${w.moved[0]}px`;
        element.style.top = `${w.moved[1]}px`;
      };
      const up = () => {
        handle.removeEventListener('pointermove', move);
        handle.removeEventListener('pointerup', up);
        handle.removeEventListener('pointercancel', up);
      };
      handle.addEventListener('pointermove', move);
      handle.addEventListener('pointerup', up);
      handle.addEventListener('pointercancel', up);
    });
  }

  // The board keeps its pixel size where it fits, grows in whole device pixels on large or dense
  // screens, and shrinks to fit a phone.
  let scale = 1;
  function fit() {
    const board = windows.get(boardId);
    if (!board || !board.info) return;
    let width = 0, height = 0;
    const [bl, bt] = board.info.rect;
    for (const w of windows.values()) {
      if (!w.info || !w.info.visible) continue;
      width = Math.max(width, w.info.rect[2] - bl);
      height = Math.max(height, w.info.rect[3] - bt);
    }
    const ratio = window.devicePixelRatio || 1;
    const screen = $('#screen');
    const across = screen.clientWidth, down = screen.clientHeight;  // the window, less the switch
    const steps = Math.floor(Math.min((across * ratio) / width, (down * ratio) / height));
    scale = steps >= 1 ? steps / ratio : Math.min(across / width, down / height);
    if (steps >= 1 && scale < 1 && ratio > 1) scale = Math.min(1, Math.max(scale, 1 / ratio));
    desktop.style.transform = `scale(${scale})`;
    desktop.style.width = `${width}px`;
    desktop.style.height = `${height}px`;
    desktop.style.left = `${Math.max(0, Math.floor((across - width * scale) / 2))}px`;
    desktop.style.top = `${Math.max(0, Math.floor((down - height * scale) / 2))}px`;
  }
  window.addEventListener('resize', fit);

  // --- Paints, as the program makes them: clipped to the update region, pixel for pixel.
  function beginPaint(id, rects, erase) {
    const w = windows.get(id);
    if (!w) return;
    const ctx = w.ctx;
    if (w.clipped) ctx.restore();
    ctx.save();
    ctx.beginPath();
    for (let i = 0; i < rects.length; i += 4) ctx.rect(rects[i], rects[i + 1], rects[i + 2] - rects[i], rects[i + 3] - rects[i + 1]);
    ctx.clip();
    w.clipped = true;
    if (erase) {
      ctx.fillStyle = '#fff';
      for (let i = 0; i < rects.length; i += 4) ctx.fillRect(rects[i], rects[i + 1], rects[i + 2] - rects[i], rects[i + 3] - rects[i + 1]);
    }
  }

  function draw(id, f, text) {
    const w = windows.get(id);
    if (!w) return;
    const ctx = w.ctx;
    const [kind, l, t, r, b] = f;
    const width = r - l, height = b - t;
    if (kind === 0) {
      // A blit: the source's pixels; outside the source, black, as an empty context gives.
      const source = bitmapCanvas(f[5], f[8], f[9]);
      const sx = f[6], sy = f[7];
      ctx.fillStyle = '#000';
      const inside = source && sx < source.width && sy < source.height && sx + width > 0 && sy + height > 0;
      if (!inside) return ctx.fillRect(l, t, width, height);
      const x0 = Math.max(sx, 0), y0 = Math.max(sy, 0);
      const x1 = Math.min(sx + width, source.width), y1 = Math.min(sy + height, source.height);
      if (x0 > sx || y0 > sy || x1 < sx + width || y1 < sy + height) ctx.fillRect(l, t, width, height);
      ctx.drawImage(source, x0, y0, x1 - x0, y1 - y0, l + x0 - sx, t + y0 - sy, x1 - x0, y1 - y0);
    } else if (kind === 1) {
      // Text on its background, in the system font: half-width characters 8 pixels, others 16.
      ctx.fillStyle = css(f[9]);
      ctx.fillRect(l, t, width, height);
      ctx.fillStyle = css(f[8]);
      ctx.font = '16px ShinkeiFixed, monospace';
      ctx.textBaseline = 'top';
      let x = l;
      for (const ch of text) {
        const code = ch.codePointAt(0);
        const half = code < 0x80 || (code >= 0xff61 && code <= 0xff9f);
        if (ch !== ' ') ctx.fillText(ch, x, t + 1);
        x += half ? 8 : 16;
      }
    } else if (kind === 2) {
      // A rectangle: the pen's one-pixel edge around the brush.
      ctx.fillStyle = css(f[11]);
      ctx.fillRect(l, t, width, height);
      if (width > 2 && height > 2) {
        ctx.fillStyle = css(f[10]);
        ctx.fillRect(l + 1, t + 1, width - 2, height - 2);
      }
    }
  }

  // --- The menu bar, from the program's menu resource and its check marks and grayed items.
  let menuItems = [];
  let openMenu = -1;
  let activeItem = -1;
  const accessKey = (label) => {
    const m = /&(.)/.exec(label);
    return m ? m[1].toLowerCase() : '';
  };
  function labelled(element, label) {
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
  }
  function showMenuBar(items) {
    const json = JSON.stringify(items);
    if (json === JSON.stringify(menuItems)) return;
    menuItems = items;
    const bar = $('#menubar');
    bar.textContent = '';
    items.forEach((popup, index) => {
      const menu = document.createElement('div');
      menu.className = 'menu';
      menu.dataset.index = index;
      const label = document.createElement('span');
      labelled(label, popup.label);
      menu.append(label);
      menu.addEventListener('pointerdown', (event) => {
        if (event.target.closest('.popup')) return; // a press on one of its items
        event.preventDefault();
        unlockAudio();
        if (openMenu === index) closeMenus();
        else openPopup(index, -1);
      });
      menu.addEventListener('pointerenter', () => {
        if (openMenu >= 0 && openMenu !== index) openPopup(index, -1);
      });
      bar.append(menu);
    });
    if (openMenu >= 0) openPopup(openMenu, activeItem);
  }
  function openPopup(index, active) {
    if (!boardEnabled) return; // a box or dialog is open: the board takes no commands
    closeMenus();
    const menu = $(`#menubar .menu[data-index="${index}"]`);
    if (!menu) return;
    openMenu = index;
    activeItem = active;
    menu.classList.add('open');
    const popup = document.createElement('div');
    popup.className = 'popup';
    popup.setAttribute('role', 'menu');
    menuItems[index].items.forEach((item, i) => {
      const row = document.createElement('div');
      if (item.separator) {
        row.className = 'separator';
      } else {
        row.className = 'item';
        row.setAttribute('role', 'menuitem');
        row.dataset.command = item.id;
        if (item.checked) row.classList.add('checked');
        if (item.grayed) row.classList.add('grayed');
        if (i === active) row.classList.add('active');
        labelled(row, item.label);
        row.addEventListener('pointerenter', () => highlight(i));
        row.addEventListener('click', (event) => {
          event.stopPropagation();
          choose(item);
        });
      }
      popup.append(row);
    });
    menu.append(popup);
  }
  function highlight(i) {
    activeItem = i;
    document.querySelectorAll('#menubar .popup > div').forEach((row, k) => row.classList.toggle('active', k === i));
  }
  function closeMenus() {
    document.querySelectorAll('#menubar .popup').forEach((p) => p.remove());
    document.querySelectorAll('#menubar .menu.open').forEach((m) => m.classList.remove('open'));
    openMenu = -1;
    activeItem = -1;
  }
  function choose(item) {
    closeMenus();
    unlockAudio();
    if (!item.grayed) post(Input.command, item.id);
  }
  document.addEventListener('pointerdown', (event) => {
    if (openMenu >= 0 && !event.target.closest('#menubar')) closeMenus();
  });

  // Keyboard: Alt and the underlined letter opens a menu; arrows, Enter, letters and Escape as on
  // Windows; Enter and Escape answer boxes and dialogs.
  document.addEventListener('keydown', (event) => {
    unlockAudio();
    const modal = topModal();
    if (modal) return modalKey(modal, event);
    const key = event.key.toLowerCase();
    if (event.altKey && !event.ctrlKey) {
      const index = menuItems.findIndex((popup) => accessKey(popup.label) === key);
      if (index >= 0) {
        event.preventDefault();
        openPopup(index, firstItem(index, 0, 1));
      }
      return;
    }
    if (event.key === 'F10') {
      event.preventDefault();
      return openPopup(0, firstItem(0, 0, 1));
    }
    if (openMenu < 0) return;
    event.preventDefault();
    const items = menuItems[openMenu].items;
    if (event.key === 'Escape') closeMenus();
    else if (event.key === 'ArrowDown') highlight(firstItem(openMenu, activeItem + 1, 1));
    else if (event.key === 'ArrowUp') highlight(firstItem(openMenu, activeItem < 0 ? items.length - 1 : activeItem - 1, -1));
    else if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
      const next = (openMenu + (event.key === 'ArrowRight' ? 1 : menuItems.length - 1)) % menuItems.length;
      openPopup(next, firstItem(next, 0, 1));
    } else if (event.key === 'Enter' && activeItem >= 0) choose(items[activeItem]);
    else {
      const item = items.find((it) => !it.separator && accessKey(it.label) === key);
      if (item) choose(item);
    }
  });
  function firstItem(menu, from, step) {
    const items = menuItems[menu].items;
    for (let k = 0, i = from; k < items.length; k++, i += step) {
      i = (i + items.length) % items.length;
      if (!items[i].separator) return i;
    }
    return -1;
  }

  // --- Boxes and dialogs.
  const modals = []; // open, the newest last
  const topModal = () => modals[modals.length - 1];
  const BUTTONS = { 0: [1], 1: [1, 2], 3: [6, 7, 2], 4: [6, 7], 5: [4, 2] };
  const BUTTON_TEXT = language === 'en'
    ? { 1: 'OK', 2: 'Cancel', 4: '&Retry', 6: '&Yes', 7: '&No' }
    : { 1: 'OK', 2: 'キャンセル', 4: '再試行(&R)', 6: 'はい(&Y)', 7: 'いいえ(&N)' };
  const ICONS = {
    0x10: '<circle cx="16" cy="16" r="14" fill="#e00" stroke="#800"/><path d="M10 10l12 12M22 10L10 22" stroke="#fff" stroke-width="3"/>',
    0x20: '<circle cx="16" cy="16" r="14" fill="#fff" stroke="#000080"/><text x="16" y="23" font-size="20" text-anchor="middle" fill="#000080" font-family="serif" font-weight="bold">?</text>',
    0x30: '<path d="M16 2L31 29H1z" fill="#ff0" stroke="#000"/><rect x="14.5" y="10" width="3" height="11" fill="#000"/><rect x="14.5" y="23" width="3" height="3" fill="#000"/>',
    0x40: '<circle cx="16" cy="16" r="14" fill="#fff" stroke="#000080"/><text x="16" y="24" font-size="20" text-anchor="middle" fill="#000080" font-family="serif" font-weight="bold">i</text>',
  };

  function openModal(m) {
    closeMenus();
    const element = document.createElement('div');
    element.className = `modal window ${m.kind}`;
    element.dataset.modal = m.serial;
    element.setAttribute('role', 'dialog');
    element.setAttribute('aria-modal', 'true');
    const blocker = document.createElement('div');
    blocker.className = 'blocker';
    const { caption } = captionBar(m.caption);
    const body = document.createElement('div');
    body.className = 'body';
    element.append(caption, body);
    if (m.kind === 'box') buildBox(m, element, body, caption);
    else buildDialog(m, element, body, caption);
    desktop.append(blocker, element);
    modals.push({ serial: m.serial, kind: m.kind, type: m.type, element, blocker });
    desktop.classList.add('modal-open');
    centre(element, m);
    const focus = element.querySelector('button.default') || element.querySelector('button');
    if (focus) focus.focus({ preventScroll: true });
  }

  function closeButton(caption, serial, id) {
    const close = document.createElement('button');
    close.className = 'close';
    close.type = 'button';
    close.textContent = '×';
    close.addEventListener('click', () => post(Input.answer, serial, id));
    caption.append(close);
  }

  function buildBox(m, element, body, caption) {
    element.dataset.type = m.type;
    const message = document.createElement('div');
    message.className = 'message';
    const iconBits = m.type & 0xf0;
    if (ICONS[iconBits]) {
      const icon = document.createElementNS('http://www.w3.org/2000/svg', 'svg');
      icon.setAttribute('viewBox', '0 0 32 32');
      icon.classList.add('icon');
      icon.innerHTML = ICONS[iconBits];
      message.append(icon);
    }
    const text = document.createElement('div');
    text.className = 'text';
    text.textContent = m.text;
    message.append(text);
    const buttons = document.createElement('div');
    buttons.className = 'buttons';
    const ids = BUTTONS[m.type & 0xf] || [1];
    ids.forEach((id, i) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.id = id;
      labelled(button, BUTTON_TEXT[id]);
      if (i === 0) button.classList.add('default');
      button.addEventListener('click', () => post(Input.answer, m.serial, id));
      buttons.append(button);
    });
    body.append(message, buttons);
    if (ids.includes(2) || ids.length === 1) closeButton(caption, m.serial, ids.includes(2) ? 2 : 1);
  }

  // A dialog laid out from its template's dialog units: 2 pixels across and 2.25 down for the
  // 12-point font, as Windows shows these dialogs.
  const DLU_X = 2, DLU_Y = 2.25;
  function buildDialog(m, element, body, caption) {
    element.dataset.template = m.template;
    const [l, t, r, b] = m.rect;
    const width = Math.round((r - l) * DLU_X), height = Math.round((b - t) * DLU_Y);
    Object.assign(body.style, { width: `${width}px`, height: `${height}px` });
    element.style.width = `${width + 6}px`;
    element.style.height = `${height + 6 + 18}px`;
    Object.assign(caption.style, { left: '3px', top: '3px', width: `${width}px` });
    Object.assign(body.style, { left: '3px', top: '21px' });
    closeButton(caption, m.serial, 2);
    for (const c of m.controls) body.append(dialogControl(m, c));
    dialogState(m.serial, m.state, element);
  }

  function dialogControl(m, c) {
    const e = document.createElement('div');
    e.className = `control ${c.kind}`;
    if (c.id !== -1) e.dataset.control = c.id;
    const [l, t, r, b] = c.rect;
    Object.assign(e.style, {
      left: `${Math.round(l * DLU_X)}px`, top: `${Math.round(t * DLU_Y)}px`,
      width: `${Math.round((r - l) * DLU_X)}px`, height: `${Math.round((b - t) * DLU_Y)}px`,
    });
    const styleKind = c.style & 0x1f;
    if ((c.style & 0x1000) || (c.exStyle & 0x20000)) e.classList.add('sunken'); // SS_SUNKEN, WS_EX_STATICEDGE
    if (c.kind === 'button' || c.kind === 'default-button') {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'push';
      button.dataset.id = c.id;
      if (c.kind === 'default-button') button.classList.add('default');
      labelled(button, c.text);
      button.addEventListener('click', () => post(Input.answer, m.serial, c.id));
      e.append(button);
    } else if (c.kind === 'checkbox' || c.kind === 'radio') {
      const label = document.createElement('label');
      const input = document.createElement('input');
      input.type = c.kind;
      input.dataset.control = c.id;
      input.disabled = c.disabled;
      // The program's state decides; it comes back in dialogState.
      input.addEventListener('click', () => post(Input.dialogControl, m.serial, c.id));
      const text = document.createElement('span');
      labelled(text, c.text);
      label.append(input, text);
      e.append(label);
    } else if (c.kind === 'groupbox') {
      const label = document.createElement('span');
      label.className = 'label';
      labelled(label, c.text);
      e.append(label);
    } else if (c.kind === 'icon' || (c.className === 'Static' && styleKind === 0x0e)) {
      // An icon, or a bitmap (SS_BITMAP) at its own size.
      const id = Number(c.text);
      const img = document.createElement('img');
      img.alt = '';
      if (c.kind === 'icon') {
        img.src = icons.get(id) || '';
        img.width = img.height = 32;
      } else {
        const canvas = bitmapCanvas(id, 0, 0xc0c0c0); // a two-colour image on the dialog's grey
        if (canvas) img.src = canvas.toDataURL();
        e.classList.add('bitmap');
        e.style.width = e.style.height = '';
      }
      e.className = e.className.replace(' text', '');
      e.append(img);
    } else if (c.className === 'Static' && styleKind === 0x08) {
      e.classList.add('grayframe');
    } else {
      e.classList.add('text');
      if (c.keyword === 'CTEXT') e.classList.add('center');
      if (c.text.includes('\n') === false && (b - t) > 12) e.classList.add('wrap');
      e.textContent = c.text.replace(/&(.)/g, '$1');
    }
    if (c.disabled) e.classList.add('disabled');
    return e;
  }

  function dialogState(serial, states, element) {
    const root = element || document.querySelector(`.modal[data-modal="${serial}"]`);
    if (!root) return;
    for (const s of states) {
      const input = root.querySelector(`input[data-control="${s.id}"]`);
      if (input) {
        input.checked = s.checked;
        input.disabled = !s.enabled;
        input.closest('.control').classList.toggle('disabled', !s.enabled);
      }
    }
  }

  // Message boxes come up in the middle of the board, dialogs where their template puts them.
  function centre(element, m) {
    const board = windows.get(boardId);
    const bw = board && board.info ? board.info.rect[2] - board.info.rect[0] : 560;
    const bh = board && board.info ? board.info.rect[3] - board.info.rect[1] : 480;
    const w = element.offsetWidth, h = element.offsetHeight;
    const x = m.kind === 'dialog' ? 30 + Math.round(m.rect[0] * DLU_X) : Math.round((bw - w) / 2);
    const y = m.kind === 'dialog' ? 30 + Math.round(m.rect[1] * DLU_Y) : Math.round((bh - h) / 2);
    element.style.left = `${Math.max(0, x)}px`;
    element.style.top = `${Math.max(0, y)}px`;
  }

  function closeModal(serial) {
    const i = modals.findIndex((m) => m.serial === serial);
    if (i < 0) return;
    const [m] = modals.splice(i, 1);
    m.element.remove();
    m.blocker.remove();
    desktop.classList.toggle('modal-open', modals.length > 0);
    const next = topModal();
    if (next) {
      const focus = next.element.querySelector('button.default') || next.element.querySelector('button');
      if (focus) focus.focus({ preventScroll: true });
    }
  }

  function modalKey(modal, event) {
    const buttons = [...modal.element.querySelectorAll('button[data-id]')];
    if (event.key === 'Enter') {
      event.preventDefault();
      const focused = buttons.includes(document.activeElement) ? document.activeElement : buttons.find((b) => b.classList.contains('default'));
      if (focused) post(Input.answer, modal.serial, Number(focused.dataset.id));
    } else if (event.key === 'Escape') {
      event.preventDefault();
      const cancel = buttons.find((b) => b.dataset.id === '2') || (buttons.length === 1 ? buttons[0] : null);
      if (cancel) post(Input.answer, modal.serial, Number(cancel.dataset.id));
    } else if (event.key.length === 1) {
      const key = event.key.toLowerCase();
      const button = buttons.find((b) => (b.querySelector('u') || {}).textContent?.toLowerCase() === key);
      const control = [...modal.element.querySelectorAll('.control')].find((c) => (c.querySelector('u') || {}).textContent?.toLowerCase() === key);
      if (button) post(Input.answer, modal.serial, Number(button.dataset.id));
      else if (control && control.querySelector('input')) post(Input.dialogControl, modal.serial, Number(control.dataset.control));
    }
  }

  // --- The program's end.
  function ended() {
    shinkei.ended = true;
    stopMusic();
    desktop.hidden = true; // the program's windows go with it
    for (const m of [...modals]) closeModal(m.serial);
    $('#ended').hidden = false;
    idleWaiters.splice(0).forEach((resolve) => resolve());
  }
  $('#restart').addEventListener('click', () => location.reload());

  // --- What the program calls.
  const host = {
    now: clockNow,
    seed() {
      const fixed = params.get('seed');
      if (fixed !== null && /^\d+$/.test(fixed)) return Number(fixed) % 4294967296;
      return Math.floor(Date.now() / 1000); // the calendar time, as the Windows program seeds
    },
    wantsTranscript: () => shinkei.transcript !== null,
    wait(wakeAt) {
      return new Promise((resolve) => {
        // For the test driver: when, by Date.now(), the program wakes by itself.
        nextWake = Number.isFinite(wakeAt) ? Date.now() + Math.max(0, wakeAt - clockNow()) : Infinity;
        if (failed) return; // the program stays where it is, for good
        if (queue.length > 0) return resolve();
        const timer = Number.isFinite(wakeAt) ? setTimeout(wake, Math.max(0, wakeAt - clockNow())) : 0;
        waiting = { resolve, timer };
        if (!markReady.done) {
          markReady.done = true;
          shinkei.firstPaintAt = performance.now(); // since the page began to load
          markReady();
          Promise.resolve().then(prepareAudio).then(warmImages);
        }
        idleWaiters.splice(0).forEach((r) => r());
      });
    },
    nextInput: () => queue.shift() || null,
    beginPaint,
    draw,
    sound(name) {
      if (!unlocked) return; // before the first gesture nothing sounds
      if (playBuffer(name)) logAudio(name);
    },
    music(command) {
      const [verb] = command.split(' ');
      if (verb === 'play') {
        music.wanted = true;
        startMusic();
      } else if (verb === 'stop' || verb === 'close') {
        music.wanted = false;
        stopMusic();
      }
    },
    windows: showWindows,
    openModal,
    dialogState,
    closeModal,
    transcript(line) {
      if (shinkei.transcript) shinkei.transcript.push(line);
    },
    ended,
  };

  // Fonts first: the score window's first paint writes text.
  const fonts = [['ShinkeiGothic', 'font:gothic'], ['ShinkeiMincho', 'font:mincho'], ['ShinkeiFixed', 'font:fixed']].map(([family, key]) => {
    const face = new FontFace(family, `url(${assets[key]})`);
    document.fonts.add(face);
    return face.load();
  });
  // The program's module began compiling before the assets were read; it starts once both it
  // and the fonts are ready, whichever comes last.
  function start() {
    Promise.all(fonts).then(
      () => {
        if (!failed) Module.callMain(language === 'en' ? ['/lang:en'] : []);
      },
      () => damaged('font'),
    );
  }
  Object.assign(window.Module, {
    host,
    onRuntimeInitialized: start,
    onAbort(what) {
      fail('ゲームが止まりました。ページを読み込み直してください。', `The game stopped (${what}). Please reload the page.`);
    },
  });
  if (Module.calledRun) start();

  if (/^https?:$/.test(location.protocol) && 'serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch(() => { /* plays without offline support */ });
  }
})();
