// The screen: the program's top-level windows as classic Windows frames them (caption, menu bar,
// a canvas for the client area), placed as the host says, moved by the player, scaled to fit.
'use strict';

(function (page) {
    const { seam, $ } = page;
    const desktop = $('#desktop');
    const windows = new Map(); // id -> {element, canvas, ctx, title, info, clipped, moved}
    let mainId = 0;
    let scale = 1;

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
        element.id = info.name;
        const { caption, title } = captionBar('');
        const icon = page.images.icon(info.icon);
        if (icon) {
            const img = document.createElement('img');
            img.className = 'icon';
            img.alt = '';
            img.src = icon;
            caption.append(img);
        }
        caption.append(title); // after the icon
        if (info.closable) {
            const close = document.createElement('button');
            close.className = 'close';
            close.type = 'button';
            close.textContent = '×';
            close.title = page.words('閉じる', 'Close');
            close.addEventListener('click', () => page.post(seam.Input.close, info.id));
            caption.append(close);
        }
        if (!info.main) {
            element.classList.add('movable');
            dragBy(caption, element);
        }
        const canvas = document.createElement('canvas');
        canvas.id = `${info.name}-canvas`;
        canvas.addEventListener('pointerdown', (event) => {
            if (event.button !== 0) return;
            event.preventDefault();
            page.audio.unlock();
            const box = canvas.getBoundingClientRect();
            const x = Math.floor(((event.clientX - box.left) * canvas.width) / box.width);
            const y = Math.floor(((event.clientY - box.top) * canvas.height) / box.height);
            page.post(seam.Input.click, info.id, x, y);
        });
        canvas.addEventListener('contextmenu', (event) => event.preventDefault());
        element.append(caption, canvas);
        if (info.menuTop) {
            const bar = document.createElement('div');
            bar.id = 'menubar';
            element.append(bar);
        }
        desktop.append(element);
        const ctx = canvas.getContext('2d', { alpha: false });
        ctx.imageSmoothingEnabled = false;
        w = { element, canvas, ctx, title, info: null, clipped: false, moved: null };
        windows.set(info.id, w);
        return w;
    }

    // The frame, the caption, the menu bar and the client area where the host puts them, less
    // `band` of caption when the captions give way; a window the player moved stays put.
    function place(w, info, main, band) {
        const [l, t, r, b] = info.rect;
        const [, , cw, ch] = info.client;
        const px = (v) => `${v}px`;
        const left = w.moved ? w.moved[0] : l - main.rect[0];
        const top = w.moved ? w.moved[1] : t - main.rect[1];
        Object.assign(w.element.style, {
            left: px(left),
            top: px(top),
            width: px(r - l),
            height: px(b - t - band),
        });
        w.element.hidden = !info.visible;
        const caption = w.element.querySelector('.caption');
        Object.assign(caption.style, {
            left: px(info.frame),
            top: px(info.frame),
            width: px(r - l - 2 * info.frame),
        });
        if (w.canvas.width !== cw || w.canvas.height !== ch) {
            w.canvas.width = cw;
            w.canvas.height = ch;
            w.ctx.imageSmoothingEnabled = false;
            w.ctx.fillStyle = '#fff';
            w.ctx.fillRect(0, 0, cw, ch);
            w.clipped = false;
        }
        Object.assign(w.canvas.style, {
            left: px(info.frame),
            top: px(info.clientTop - band),
            width: px(cw),
            height: px(ch),
        });
        const bar = w.element.querySelector('#menubar');
        if (bar)
            Object.assign(bar.style, {
                left: px(info.frame),
                top: px(info.menuTop - band),
                width: px(cw),
            });
    }

    function show(list) {
        const main = list.find((info) => info.main) || list[0];
        if (!main) return;
        mainId = main.id;
        for (const info of list) {
            const w = windowFor(info);
            w.info = info;
            w.title.textContent = info.caption;
            if (info.main) {
                if (info.caption) document.title = info.caption;
                page.menus.show(info.menu, info.enabled);
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
        layout();
    }

    // A window moves by its caption, as on Windows.
    function dragBy(handle, element) {
        handle.addEventListener('pointerdown', (event) => {
            const w = [...windows.values()].find((v) => v.element === element);
            const start = [
                event.clientX,
                event.clientY,
                parseFloat(element.style.left),
                parseFloat(element.style.top),
            ];
            handle.setPointerCapture(event.pointerId);
            const move = (e) => {
                const s = scale || 1;
                w.moved = [
                    Math.round(start[2] + (e.clientX - start[0]) / s),
                    Math.round(start[3] + (e.clientY - start[1]) / s),
                ];
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

    // The windows as large as the screen allows, without smoothing: grown in whole device pixels
    // where that fills most of the space, otherwise by the largest scale that fits. On a phone
    // held sideways the captions give their height to the board; held upright, the board fills
    // the width and the page says that turning the phone makes the cards larger.
    const WHOLE_PIXELS_FILL = 0.85;
    function layout() {
        const main = windows.get(mainId);
        if (!main || !main.info) return;
        const extent = (band) => {
            let width = 0,
                height = 0;
            const [ml, mt] = main.info.rect;
            for (const w of windows.values()) {
                if (!w.info || !w.info.visible) continue;
                width = Math.max(width, w.info.rect[2] - ml);
                height = Math.max(height, w.info.rect[3] - mt - band);
            }
            return [width, height];
        };
        const view = document.documentElement;
        const sideways = view.clientWidth > view.clientHeight;
        const compact = sideways && view.clientHeight < extent(0)[1];
        document.body.classList.toggle('compact', compact);
        const band = compact ? main.info.captionHeight : 0;
        for (const w of windows.values()) if (w.info) place(w, w.info, main.info, band);
        const [width, height] = extent(band);
        const ratio = window.devicePixelRatio || 1;
        const screen = $('#screen');
        const across = screen.clientWidth,
            down = screen.clientHeight;
        const fits = Math.min(across / width, down / height);
        const whole = Math.floor(fits * ratio) / ratio;
        scale = fits >= 1 && whole >= WHOLE_PIXELS_FILL * fits ? whole : fits;
        desktop.style.transform = `scale(${scale})`;
        desktop.style.width = `${width}px`;
        desktop.style.height = `${height}px`;
        const left = Math.max(0, Math.floor((across - width * scale) / 2));
        const top = Math.max(0, Math.floor((down - height * scale) / 2));
        desktop.style.left = `${left}px`;
        desktop.style.top = `${top}px`;
        const hint = $('#turn-hint');
        hint.hidden = sideways || scale >= 1;
        // In the system's own font: these words stay out of the game's fonts, which are cut to
        // the characters the game shows (tools/web/assets.py).
        hint.textContent = page.words(
            '横向きにするとカードが大きくなります。', // system font
            'Turn the phone sideways for larger cards.', // system font
        );
        hint.style.top = `${top + Math.ceil(height * scale) + 8}px`;
    }
    window.addEventListener('resize', layout);

    page.screen = {
        show,
        captionBar,
        // The window's canvas context and paint state, for the paints.
        window: (id) => windows.get(id),
        // The main window as the host last described it (its id, client rect and menu).
        mainInfo: () => windows.get(mainId)?.info ?? null,
        // The main window's outer size, for boxes centred on it.
        mainSize() {
            const main = windows.get(mainId);
            return main && main.info
                ? [main.info.rect[2] - main.info.rect[0], main.info.rect[3] - main.info.rect[1]]
                : [560, 480];
        },
        hide() {
            desktop.hidden = true;
        },
    };
})(window.ShinkeiPage);
