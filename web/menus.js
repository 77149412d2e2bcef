// The menu bar, from the program's menu resource with its check marks and grayed items, and the
// keys: Alt and the underlined letter opens a menu; arrows, Enter, letters and Escape as on
// Windows; a box or dialog, when one is open, takes the keys instead, and with neither open the
// board has the arrows, Space and Enter.
'use strict';

(function (page) {
    const { seam, $ } = page;
    let items = [];
    let enabled = true; // the main window's: a box or dialog disables it
    let openMenu = -1;
    let activeItem = -1;
    const checkable = new Set();

    function show(menu, mainEnabled) {
        enabled = mainEnabled;
        if (JSON.stringify(menu) === JSON.stringify(items)) return;
        items = menu;
        const bar = $('#menubar');
        bar.textContent = '';
        bar.setAttribute('role', 'menubar');
        items.forEach((popup, index) => {
            const element = document.createElement('div');
            element.className = 'menu';
            element.dataset.index = index;
            element.setAttribute('role', 'menuitem');
            element.setAttribute('aria-haspopup', 'menu');
            element.setAttribute('aria-expanded', 'false');
            const label = document.createElement('span');
            page.labelled(label, popup.label);
            element.append(label);
            element.addEventListener('pointerdown', (event) => {
                if (event.target.closest('.popup')) return; // a press on one of its items
                event.preventDefault();
                page.audio.unlock();
                if (openMenu === index) close();
                else open(index, -1);
            });
            element.addEventListener('pointerenter', () => {
                if (openMenu >= 0 && openMenu !== index) open(index, -1);
            });
            bar.append(element);
        });
        if (openMenu >= 0) open(openMenu, activeItem);
    }

    function open(index, active) {
        if (!enabled) return; // a box or dialog is open: the board takes no commands
        close();
        const menu = $(`#menubar .menu[data-index="${index}"]`);
        if (!menu) return;
        openMenu = index;
        activeItem = active;
        menu.classList.add('open');
        menu.setAttribute('aria-expanded', 'true');
        const popup = document.createElement('div');
        popup.className = 'popup';
        popup.setAttribute('role', 'menu');
        items[index].items.forEach((item, i) => {
            const row = document.createElement('div');
            if (item.separator) {
                row.className = 'separator';
            } else {
                row.className = 'item';
                row.dataset.command = item.id;
                // In a room, the sound's check is this device's own.
                const checked = page.room ? page.room.checked(item) : item.checked;
                if (checked) {
                    row.classList.add('checked');
                    checkable.add(item.id);
                }
                // An item once checked is a check box for a reader, checked or not.
                row.setAttribute('role', checkable.has(item.id) ? 'menuitemcheckbox' : 'menuitem');
                if (checkable.has(item.id)) row.setAttribute('aria-checked', String(checked));
                if (item.grayed) {
                    row.classList.add('grayed');
                    row.setAttribute('aria-disabled', 'true');
                }
                if (i === active) row.classList.add('active');
                page.labelled(row, item.label);
                // Only a pointer that moves highlights: a popup opened from the keyboard under
                // a resting pointer keeps its first item, as on Windows.
                row.addEventListener('pointermove', () => {
                    if (activeItem !== i) highlight(i);
                });
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
        document
            .querySelectorAll('#menubar .popup > div')
            .forEach((row, k) => row.classList.toggle('active', k === i));
    }

    function close() {
        document.querySelectorAll('#menubar .popup').forEach((p) => p.remove());
        document.querySelectorAll('#menubar .menu.open').forEach((m) => {
            m.classList.remove('open');
            m.setAttribute('aria-expanded', 'false');
        });
        openMenu = -1;
        activeItem = -1;
    }

    function choose(item) {
        close();
        page.audio.unlock();
        if (!item.grayed) page.post(seam.Input.command, item.id);
    }

    // The first item that is not a separator, from `from` on in the direction of `step`.
    function firstItem(menu, from, step) {
        const list = items[menu].items;
        for (let k = 0, i = from; k < list.length; k++, i += step) {
            i = (i + list.length) % list.length;
            if (!list[i].separator) return i;
        }
        return -1;
    }

    document.addEventListener('pointerdown', (event) => {
        if (openMenu >= 0 && !event.target.closest('#menubar')) close();
    });

    // The board's keys, by their virtual keys.
    const boardKeys = new Map([
        ['ArrowLeft', 0x25],
        ['ArrowUp', 0x26],
        ['ArrowRight', 0x27],
        ['ArrowDown', 0x28],
        [' ', 0x20],
        ['Enter', 0x0d],
    ]);

    // A key for the board: not one for a control of the page (the language switch, the button
    // that plays again), and not one held with a modifier.
    function boardKey(event) {
        const virtualKey = boardKeys.get(event.key);
        if (virtualKey === undefined || event.altKey || event.ctrlKey || event.metaKey) return;
        if (event.target.closest?.('button, input, select, textarea, a[href]')) return;
        event.preventDefault(); // the arrows and Space scroll the page otherwise
        if (enabled) page.post(seam.Input.key, virtualKey);
    }

    document.addEventListener('keydown', (event) => {
        page.audio.unlock();
        if (page.modals.key(event)) return;
        const key = event.key.toLowerCase();
        if (event.altKey && !event.ctrlKey) {
            const index = items.findIndex((popup) => page.accessKey(popup.label) === key);
            if (index >= 0) {
                event.preventDefault();
                open(index, firstItem(index, 0, 1));
            }
            return;
        }
        if (event.key === 'F10') {
            event.preventDefault();
            return open(0, firstItem(0, 0, 1));
        }
        if (openMenu < 0) return boardKey(event);
        event.preventDefault();
        const list = items[openMenu].items;
        if (event.key === 'Escape') close();
        else if (event.key === 'ArrowDown') highlight(firstItem(openMenu, activeItem + 1, 1));
        else if (event.key === 'ArrowUp')
            highlight(firstItem(openMenu, activeItem < 0 ? list.length - 1 : activeItem - 1, -1));
        else if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
            const next =
                (openMenu + (event.key === 'ArrowRight' ? 1 : items.length - 1)) % items.length;
            open(next, firstItem(next, 0, 1));
        } else if (event.key === 'Enter' && activeItem >= 0) choose(list[activeItem]);
        else {
            const item = list.find((it) => !it.separator && page.accessKey(it.label) === key);
            if (item) choose(item);
        }
    });

    page.menus = { show, close };
})(window.ShinkeiPage);
