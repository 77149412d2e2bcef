// Message boxes and dialogs, modal over the desktop, drawn as the host describes them: a box's
// icon, text and buttons; a dialog's controls in pixels. The program's state decides every
// check mark; a control the player works goes to the program, which sends the state back.
'use strict';

(function (page) {
    const { seam, $ } = page;
    const desktop = $('#desktop');
    const open = []; // the newest last
    const top = () => open[open.length - 1];
    const ICONS = {
        error: '<circle cx="16" cy="16" r="14" fill="#e00" stroke="#800"/><path d="M10 10l12 12M22 10L10 22" stroke="#fff" stroke-width="3"/>',
        question:
            '<circle cx="16" cy="16" r="14" fill="#fff" stroke="#000080"/><text x="16" y="23" font-size="20" text-anchor="middle" fill="#000080" font-family="serif" font-weight="bold">?</text>',
        warning:
            '<path d="M16 2L31 29H1z" fill="#ff0" stroke="#000"/><rect x="14.5" y="10" width="3" height="11" fill="#000"/><rect x="14.5" y="23" width="3" height="3" fill="#000"/>',
        information:
            '<circle cx="16" cy="16" r="14" fill="#fff" stroke="#000080"/><text x="16" y="24" font-size="20" text-anchor="middle" fill="#000080" font-family="serif" font-weight="bold">i</text>',
    };
    const px = (v) => `${v}px`;
    const answer = (serial, id) => page.post(seam.Input.answer, serial, id);

    function focusDefault(element) {
        const focus = element.querySelector('button.default') || element.querySelector('button');
        if (focus) focus.focus({ preventScroll: true });
    }

    function openModal(m) {
        page.menus.close();
        const element = document.createElement('div');
        element.className = `modal window ${m.kind}`;
        element.dataset.modal = m.serial;
        // A box is an alert to answer, named by its caption and described by its text.
        element.setAttribute('role', m.kind === 'box' ? 'alertdialog' : 'dialog');
        element.setAttribute('aria-modal', 'true');
        const blocker = document.createElement('div');
        blocker.className = 'blocker';
        const { caption, title } = page.screen.captionBar(m.caption);
        title.id = `modal-${m.serial}-caption`;
        element.setAttribute('aria-labelledby', title.id);
        const body = document.createElement('div');
        body.className = 'body';
        element.append(caption, body);
        if (m.kind === 'box') buildBox(m, element, body, caption);
        else buildDialog(m, element, body, caption);
        desktop.append(blocker, element);
        open.push({ serial: m.serial, cancel: m.cancel, element, blocker });
        desktop.classList.add('modal-open');
        place(element, m);
        focusDefault(element);
    }

    function closeButton(caption, serial, id) {
        const close = document.createElement('button');
        close.className = 'close';
        close.type = 'button';
        close.textContent = '×';
        close.title = page.words('閉じる', 'Close');
        close.addEventListener('click', () => answer(serial, id));
        caption.append(close);
    }

    function button(id, text, serial) {
        const b = document.createElement('button');
        b.type = 'button';
        b.dataset.id = id;
        page.labelled(b, text);
        b.addEventListener('click', () => answer(serial, id));
        return b;
    }

    function buildBox(m, element, body, caption) {
        element.dataset.type = m.type;
        const message = document.createElement('div');
        message.className = 'message';
        if (ICONS[m.icon]) {
            const icon = document.createElementNS('http://www.w3.org/2000/svg', 'svg');
            icon.setAttribute('viewBox', '0 0 32 32');
            icon.classList.add('icon');
            icon.innerHTML = ICONS[m.icon];
            message.append(icon);
        }
        const text = document.createElement('div');
        text.className = 'text';
        text.id = `modal-${m.serial}-text`;
        text.textContent = m.text;
        element.setAttribute('aria-describedby', text.id);
        message.append(text);
        const buttons = document.createElement('div');
        buttons.className = 'buttons';
        for (const b of m.buttons) {
            const made = button(b.id, b.text, m.serial);
            if (b.default) made.classList.add('default');
            buttons.append(made);
        }
        body.append(message, buttons);
        if (m.cancel) closeButton(caption, m.serial, m.cancel);
    }

    function buildDialog(m, element, body, caption) {
        element.dataset.template = m.template;
        const [, , width, height] = m.rect;
        const frame = m.frame;
        Object.assign(body.style, {
            width: px(width),
            height: px(height),
            left: px(frame),
            top: px(frame + m.captionHeight),
        });
        element.style.width = px(width + 2 * frame);
        element.style.height = px(height + 2 * frame + m.captionHeight);
        Object.assign(caption.style, { left: px(frame), top: px(frame), width: px(width) });
        const mincho = /明朝|Mincho/i.test(m.font.face);
        body.style.font = `${m.font.pixels}px ${mincho ? 'ShinkeiMincho, serif' : 'ShinkeiGothic, sans-serif'}`;
        closeButton(caption, m.serial, m.cancel);
        for (const c of m.controls) body.append(control(m, c));
        state(m.serial, m.state, element);
    }

    function control(m, c) {
        const e = document.createElement('div');
        e.className = `control ${c.kind}`;
        if (c.id !== -1) e.dataset.control = c.id;
        const [x, y, width, height] = c.rect;
        Object.assign(e.style, { left: px(x), top: px(y), width: px(width), height: px(height) });
        if (c.sunken) e.classList.add('sunken');
        if (c.kind === 'button') {
            const b = button(c.id, c.text, m.serial);
            b.className = 'push';
            if (c.default) b.classList.add('default');
            e.append(b);
        } else if (c.kind === 'checkbox' || c.kind === 'radio') {
            const label = document.createElement('label');
            const input = document.createElement('input');
            input.type = c.kind;
            input.dataset.control = c.id;
            input.disabled = !c.enabled;
            // The program's state decides; it comes back in state().
            input.addEventListener('click', () =>
                page.post(seam.Input.dialogControl, m.serial, c.id),
            );
            const text = document.createElement('span');
            page.labelled(text, c.text);
            label.append(input, text);
            e.append(label);
        } else if (c.kind === 'groupbox') {
            const label = document.createElement('span');
            label.className = 'label';
            page.labelled(label, c.text);
            e.append(label);
        } else if (c.kind === 'icon' || c.kind === 'bitmap') {
            const img = document.createElement('img');
            img.alt = '';
            if (c.kind === 'icon') {
                img.src = page.images.icon(c.image);
                img.width = width;
                img.height = height;
            } else {
                const canvas = page.images.canvas(c.image, 0, 0xc0c0c0); // a two-colour image on the dialog's grey
                if (canvas) img.src = canvas.toDataURL();
            }
            e.append(img);
        } else if (c.kind === 'text') {
            if (c.center) e.classList.add('center');
            if (c.wrap) e.classList.add('wrap');
            e.textContent = c.text.replace(/&(.)/g, '$1');
        }
        if (!c.enabled) e.classList.add('disabled');
        return e;
    }

    function state(serial, states, element) {
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

    // Message boxes come up in the middle of the main window, dialogs where their template puts
    // them.
    function place(element, m) {
        const [mainWidth, mainHeight] = page.screen.mainSize();
        const w = element.offsetWidth,
            h = element.offsetHeight;
        const x = m.kind === 'dialog' ? 30 + m.rect[0] : Math.round((mainWidth - w) / 2);
        const y = m.kind === 'dialog' ? 30 + m.rect[1] : Math.round((mainHeight - h) / 2);
        element.style.left = px(Math.max(0, x));
        element.style.top = px(Math.max(0, y));
    }

    function close(serial) {
        const i = open.findIndex((m) => m.serial === serial);
        if (i < 0) return;
        const [m] = open.splice(i, 1);
        m.element.remove();
        m.blocker.remove();
        desktop.classList.toggle('modal-open', open.length > 0);
        if (top()) focusDefault(top().element);
        else page.access.focus();
    }

    // The keys while a box or dialog is open: Enter presses the focused or default button,
    // Escape what the close box answers, a letter the button or control it underlines. Returns whether
    // a box or dialog took the key.
    function key(event) {
        const modal = top();
        if (!modal) return false;
        const buttons = [...modal.element.querySelectorAll('button[data-id]')];
        const underlined = (e) => (e.querySelector('u') || {}).textContent?.toLowerCase();
        if (event.key === 'Enter') {
            event.preventDefault();
            const focused = buttons.includes(document.activeElement)
                ? document.activeElement
                : buttons.find((b) => b.classList.contains('default'));
            if (focused) answer(modal.serial, Number(focused.dataset.id));
        } else if (event.key === 'Escape') {
            event.preventDefault();
            if (modal.cancel) answer(modal.serial, modal.cancel);
        } else if (event.key.length === 1) {
            const letter = event.key.toLowerCase();
            const b = buttons.find((x) => underlined(x) === letter);
            const c = [...modal.element.querySelectorAll('.control')].find(
                (x) => underlined(x) === letter,
            );
            if (b) answer(modal.serial, Number(b.dataset.id));
            else if (c && c.querySelector('input'))
                page.post(seam.Input.dialogControl, modal.serial, Number(c.dataset.control));
        }
        return true;
    }

    page.modals = {
        open: openModal,
        state,
        close,
        key,
        closeAll: () => [...open].forEach((m) => close(m.serial)),
    };
})(window.ShinkeiPage);
