// Keeps every file of the app, so that after the first visit it starts and searches with no
// network. The build writes the version (a digest of every file) and the file list; a new
// build replaces the old copy as a whole.
const version = '@VERSION@';
const files = @FILES@;
const cacheName = `velomar-${version}`;

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(cacheName)
        // Asked again of the server, which answers "not modified" for what the page just
        // downloaded.
        .then((cache) => cache.addAll(files.map((file) => new Request(file, {cache: 'no-cache'}))))
        .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names
            .filter((name) => name.startsWith('velomar-') && name !== cacheName)
            .map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
        return;
    }
    event.respondWith(caches.open(cacheName).then(async (cache) => {
        const kept = await cache.match(request, {ignoreSearch: true}) ??
            (request.mode === 'navigate' ? await cache.match('./') : undefined);
        return kept ?? fetch(request);
    }));
});
