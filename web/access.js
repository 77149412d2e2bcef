// What a screen reader finds in the board: a grid over the canvas, a cell for each of the
// program's cells with the name the program gives it, the keyboard's cell as the grid's active
// one, and a live region saying each change as the program says it. Only output: the grid takes
// the same keys as the page (menus.js sends them to the program), and a cell activated by a
// reader presses the card's centre, as a pointer would.
'use strict';

(function (page) {
    const { seam, $ } = page;
    const grids = new Map(); // window id -> {grid, cells}
    const KEEP_SAID = 4; // the last sentences kept in the live region

    const said = document.createElement('div');
    said.id = 'said';
    said.className = 'reader-only';
    said.setAttribute('role', 'log');
    said.setAttribute('aria-live', 'polite');
    $('#screen').append(said);

    // A board's cells in rows are a grid that takes the keyboard; a window's lines without
    // rows (the score window's) a plain list.
    function gridFor(news, w) {
        let g = grids.get(news.id);
        if (g && g.columns === news.columns && g.cells.length === news.cells.length) return g;
        g?.grid.remove();
        const table = news.columns > 0;
        const grid = document.createElement('div');
        grid.className = 'cells';
        grid.id = `${w.canvas.id}-cells`;
        grid.setAttribute('role', table ? 'grid' : 'list');
        if (table) grid.tabIndex = 0;
        const cells = [];
        let row = grid;
        news.cells.forEach((cell, i) => {
            if (table && i % news.columns === 0) {
                row = document.createElement('div');
                row.setAttribute('role', 'row');
                grid.append(row);
            }
            const element = document.createElement('div');
            element.id = `${grid.id}-${i + 1}`;
            element.setAttribute('role', table ? 'gridcell' : 'listitem');
            if (table) {
                element.addEventListener('click', () => {
                    const [l, t, r, b] = cells[i].rect;
                    page.post(seam.Input.click, news.id, (l + r) >> 1, (t + b) >> 1);
                });
            }
            row.append(element);
            cells.push({ element, rect: cell.rect });
        });
        w.element.append(grid);
        g = { grid, cells, columns: news.columns };
        grids.set(news.id, g);
        const free = !document.activeElement || document.activeElement === document.body;
        if (table && free) grid.focus({ preventScroll: true });
        return g;
    }

    function access(news) {
        const w = page.screen.window(news?.id);
        if (!w) return;
        if (news.cells.length > 0) {
            const g = gridFor(news, w);
            for (const prop of ['left', 'top', 'width', 'height']) {
                g.grid.style[prop] = w.canvas.style[prop];
            }
            g.grid.setAttribute('aria-label', w.info?.caption ?? '');
            news.cells.forEach((cell, i) => {
                const c = g.cells[i];
                c.rect = cell.rect;
                c.element.setAttribute('aria-label', cell.name);
                const [l, t, r, b] = cell.rect;
                Object.assign(c.element.style, {
                    left: `${l}px`,
                    top: `${t}px`,
                    width: `${r - l}px`,
                    height: `${b - t}px`,
                });
            });
            const focused = g.cells[news.focus - 1];
            if (focused) g.grid.setAttribute('aria-activedescendant', focused.element.id);
        }
        if (news.event === 'said' && news.said) {
            const line = document.createElement('p');
            line.textContent = news.said;
            said.append(line);
            while (said.childElementCount > KEEP_SAID) said.firstElementChild.remove();
        }
    }

    // After a box or dialog, the keyboard comes back to the board.
    function focus() {
        const g = [...grids.values()].find((v) => v.columns > 0);
        if (g && (!document.activeElement || document.activeElement === document.body)) {
            g.grid.focus({ preventScroll: true });
        }
    }

    page.access = { access, focus };
})(window.ShinkeiPage);
