// A static file server on 127.0.0.1 for the browser tests (service workers need http), and for
// the devices of one's own network to open the page (--host 0.0.0.0).
//   node tools/web/serve.mjs [FOLDER] [--port N] [--host ADDRESS]
//   (default: build/web, a free port, 127.0.0.1)
// As a module: const { url, close } = await start(folder).
import http from 'node:http';
import fs from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const mimeTypes = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.png': 'image/png',
    '.ico': 'image/x-icon',
    '.svg': 'image/svg+xml',
    '.wasm': 'application/wasm',
    '.txt': 'text/plain; charset=utf-8',
};

export async function start(folder, { port = 0, host = '127.0.0.1' } = {}) {
    const root = path.resolve(folder);
    const server = http.createServer(async (request, response) => {
        const fail = (status, text) => {
            response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8' });
            response.end(text + '\n');
        };
        if (request.method !== 'GET' && request.method !== 'HEAD') {
            return fail(405, 'method not allowed');
        }
        let name;
        try {
            name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        } catch {
            return fail(400, 'bad path');
        }
        if (name.endsWith('/')) {
            name += 'index.html';
        }
        const file = path.join(root, name);
        // Never outside the folder, whatever the request's dots say.
        if (file !== root && !file.startsWith(root + path.sep)) {
            return fail(403, 'forbidden');
        }
        let body;
        try {
            body = await fs.readFile(file);
        } catch {
            return fail(404, 'not found');
        }
        response.writeHead(200, {
            'Content-Type':
                mimeTypes[path.extname(file).toLowerCase()] ?? 'application/octet-stream',
            'Content-Length': body.length,
            'Cache-Control': 'no-cache',
        });
        response.end(request.method === 'HEAD' ? undefined : body);
    });
    await new Promise((resolve, reject) => {
        server.once('error', reject);
        server.listen(port, host, resolve);
    });
    const url = `http://${host === '0.0.0.0' ? '127.0.0.1' : host}:${server.address().port}/`;
    const close = () =>
        new Promise((resolve) => {
            server.closeAllConnections();
            server.close(() => resolve());
        });
    return { url, close };
}

if (import.meta.url === pathToFileURL(process.argv[1] ?? '').href) {
    const args = process.argv.slice(2);
    let folder = path.join(path.dirname(fileURLToPath(import.meta.url)), '../../build/web');
    let port = 0;
    let host = '127.0.0.1';
    for (let i = 0; i < args.length; ++i) {
        if (args[i] === '--port' && i + 1 < args.length) {
            port = Number(args[++i]);
        } else if (args[i] === '--host' && i + 1 < args.length) {
            host = args[++i];
        } else if (!args[i].startsWith('--')) {
            folder = args[i];
        } else {
            console.error('usage: serve.mjs [FOLDER] [--port N] [--host ADDRESS]');
            process.exit(2);
        }
    }
    const { url, close } = await start(folder, { port, host });
    console.log(`serving ${path.resolve(folder)} at ${url}`);
    const stop = () => close().then(() => process.exit(0));
    process.on('SIGINT', stop);
    process.on('SIGTERM', stop);
}
