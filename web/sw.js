// The game offline: index.html holds everything it plays with, so the worker keeps that, the
// manifest and the icons, and answers from them first. The bundler fills in the version and a
// digest of the build, so each new build is a new worker with a cache of its own.
'use strict';

const CACHE = 'shinkei-@VERSION@-@BUILD@';
const FILES = [
    './index.html',
    './manifest.webmanifest',
    './icons/icon-192.png',
    './icons/icon-512.png',
];

self.addEventListener('install', (event) => {
    // Past the browser's HTTP cache, so the new cache holds the new build.
    event.waitUntil(
        caches
            .open(CACHE)
            .then((cache) =>
                cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' }))),
            )
            .then(() => self.skipWaiting()),
    );
});

self.addEventListener('activate', (event) => {
    event.waitUntil(
        caches
            .keys()
            .then((names) =>
                Promise.all(
                    names
                        .filter((name) => name.startsWith('shinkei-') && name !== CACHE)
                        .map((name) => caches.delete(name)),
                ),
            )
            .then(() => self.clients.claim()),
    );
});

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
        return;
    }
    // ?seed=N and ?transcript are read by the page itself: any query gets the same file.
    event.respondWith(
        caches.match(request, { ignoreSearch: true }).then(
            (hit) =>
                hit ||
                fetch(request).catch((error) => {
                    if (request.mode === 'navigate') {
                        return caches
                            .match('./index.html')
                            .then((page) => page || Promise.reject(error));
                    }
                    throw error;
                }),
        ),
    );
});
