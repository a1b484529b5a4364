// Keeps the page's files, so that it opens and converts offline. Each request goes to the
// server first, so that a new build is taken as soon as it is there; the kept copy answers
// when the server cannot.
const cacheName = 'orvanthe';
const files = ['./', 'index.html', 'style.css', 'app.js', 'batch_worker.js', 'orvanthe.js',
    'orvanthe.wasm', 'manifest.webmanifest', 'icon.png'];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(cacheName)
        .then((cache) => cache.addAll(files))
        .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
        return;
    }
    event.respondWith((async () => {
        const cache = await caches.open(cacheName);
        try {
            const response = await fetch(request);
            if (response.ok) {
                await cache.put(request, response.clone());
            }
            return response;
        } catch (error) {
            const kept = await cache.match(request, {ignoreSearch: true});
            if (kept) {
                return kept;
            }
            throw error;
        }
    })());
});
