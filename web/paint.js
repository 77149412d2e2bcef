// Paints, as the program makes them: each clipped to its update region, drawn pixel for pixel
// into the window's canvas, operation by operation as the seam lays them out.
'use strict';

(function (page) {
    const { seam } = page;

    function beginPaint(id, rects, erase) {
        const w = page.screen.window(id);
        if (!w) return;
        const ctx = w.ctx;
        if (w.clipped) ctx.restore();
        ctx.save();
        ctx.beginPath();
        for (let i = 0; i < rects.length; i += 4) {
            ctx.rect(rects[i], rects[i + 1], rects[i + 2] - rects[i], rects[i + 3] - rects[i + 1]);
        }
        ctx.clip();
        w.clipped = true;
        if (erase) {
            ctx.fillStyle = '#fff';
            for (let i = 0; i < rects.length; i += 4) {
                ctx.fillRect(
                    rects[i],
                    rects[i + 1],
                    rects[i + 2] - rects[i],
                    rects[i + 3] - rects[i + 1],
                );
            }
        }
    }

    const { PaintField, BlitField, TextField, RectangleField, Paint } = seam;
    function draw(id, f, text, advances) {
        const w = page.screen.window(id);
        if (!w) return;
        const ctx = w.ctx;
        const l = f[PaintField.left],
            t = f[PaintField.top];
        const width = f[PaintField.right] - l,
            height = f[PaintField.bottom] - t;
        const kind = f[PaintField.kind];
        if (kind === Paint.blit) {
            // The source's pixels; outside the source, black, as an empty context gives.
            const source = page.images.canvas(
                f[BlitField.bitmap],
                f[BlitField.textColor],
                f[BlitField.backColor],
            );
            const sx = f[BlitField.sourceX],
                sy = f[BlitField.sourceY];
            ctx.fillStyle = '#000';
            const inside =
                source &&
                sx < source.width &&
                sy < source.height &&
                sx + width > 0 &&
                sy + height > 0;
            if (!inside) return ctx.fillRect(l, t, width, height);
            const x0 = Math.max(sx, 0),
                y0 = Math.max(sy, 0);
            const x1 = Math.min(sx + width, source.width),
                y1 = Math.min(sy + height, source.height);
            if (x0 > sx || y0 > sy || x1 < sx + width || y1 < sy + height)
                ctx.fillRect(l, t, width, height);
            ctx.drawImage(
                source,
                x0,
                y0,
                x1 - x0,
                y1 - y0,
                l + x0 - sx,
                t + y0 - sy,
                x1 - x0,
                y1 - y0,
            );
        } else if (kind === Paint.text) {
            // Text on its background, in the system font, each character where the host says.
            ctx.fillStyle = page.css(f[TextField.backColor]);
            ctx.fillRect(l, t, width, height);
            ctx.fillStyle = page.css(f[TextField.textColor]);
            ctx.font = '16px ShinkeiFixed, monospace';
            ctx.textBaseline = 'top';
            let x = l,
                i = 0;
            for (const ch of text) {
                if (ch !== ' ') ctx.fillText(ch, x, t + 1);
                x += advances[i++];
            }
        } else if (kind === Paint.rectangle) {
            // The pen's one-pixel edge around the brush.
            ctx.fillStyle = page.css(f[RectangleField.penColor]);
            ctx.fillRect(l, t, width, height);
            if (width > 2 && height > 2) {
                ctx.fillStyle = page.css(f[RectangleField.brushColor]);
                ctx.fillRect(l + 1, t + 1, width - 2, height - 2);
            }
        } else if (kind === Paint.focusRect) {
            // The keyboard focus: every pixel of the one-pixel edge whose x + y is odd inverted,
            // within the clip; drawn twice in one place, it is gone.
            ctx.save();
            ctx.globalCompositeOperation = 'difference';
            ctx.fillStyle = '#fff';
            const r = l + width - 1,
                b = t + height - 1;
            const dot = (x, y) => (x + y) % 2 !== 0 && ctx.fillRect(x, y, 1, 1);
            for (let x = l; x <= r; x++) {
                dot(x, t);
                if (b > t) dot(x, b);
            }
            for (let y = t + 1; y < b; y++) {
                dot(l, y);
                if (r > l) dot(r, y);
            }
            ctx.restore();
        }
    }

    page.paint = { begin: beginPaint, draw };
})(window.ShinkeiPage);
