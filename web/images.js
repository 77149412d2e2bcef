// The program's bitmaps, as its host decoded them, and its icons: canvases to draw from, a
// two-colour image in the text and background colours of the context it is drawn into.
'use strict';

(function (page) {
    const bitmaps = new Map();
    const rgb = (c) => [c & 255, (c >>> 8) & 255, (c >>> 16) & 255, 255];
    page.css = (c) => `rgb(${c & 255},${(c >>> 8) & 255},${(c >>> 16) & 255})`;

    // A bitmap from the host: its pixels as RGBA, top row first.
    function add(id, width, height, twoColour, rgba) {
        const ink = new Uint8Array(width * height); // two-colour images: 1 where the bit is black
        for (let p = 0; p < ink.length; p++) {
            ink[p] = rgba[4 * p] === 0 && rgba[4 * p + 1] === 0 && rgba[4 * p + 2] === 0 ? 1 : 0;
        }
        bitmaps.set(id, {
            width,
            height,
            twoColour,
            rgba: new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length),
            ink,
            tinted: new Map(),
        });
    }

    // The canvas for a bitmap as a blit shows it.
    function canvas(id, textColor, bkColor) {
        const image = bitmaps.get(id);
        if (!image) {
            page.damaged(`bitmap:${id}`); // the host hands over every bitmap the program has
            return null;
        }
        const key = image.twoColour ? `${textColor}/${bkColor}` : '';
        let made = image.tinted.get(key);
        if (made) return made;
        made = document.createElement('canvas');
        made.width = image.width;
        made.height = image.height;
        const data = new ImageData(new Uint8ClampedArray(image.rgba), image.width, image.height);
        if (image.twoColour) {
            const t = rgb(textColor),
                k = rgb(bkColor);
            for (let p = 0; p < image.ink.length; p++) data.data.set(image.ink[p] ? t : k, p * 4);
        }
        made.getContext('2d').putImageData(data, 0, 0);
        image.tinted.set(key, made);
        return made;
    }

    // Each image in black and in red ink on white, made while the player looks at the new board,
    // so that the first card turned is drawn within its frame.
    function warm() {
        for (const [id, image] of bitmaps) {
            canvas(id, 0x000000, 0xffffff);
            if (image.twoColour) canvas(id, 0x0000ff, 0xffffff);
        }
    }

    // An icon resource as an image address ('' when the page has none).
    const icon = (id) => {
        const url = page.assets[`icon:${id}`];
        return typeof url === 'string' ? url : '';
    };

    page.images = { add, canvas, warm, icon };
})(window.ShinkeiPage);
