// What the browser tests, the screenshots and the benchmark share: a static server for the
// built app on 127.0.0.1, Debian's Chromium driven by puppeteer-core, and the page's controls
// found by the roles the core gives them.
import {mkdtemp, readFile, rm} from 'node:fs/promises';
import {createServer} from 'node:http';
import {tmpdir} from 'node:os';
import {extname, join, normalize, resolve} from 'node:path';
import puppeteer from 'puppeteer-core';

const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.webmanifest': 'application/manifest+json',
    '.png': 'image/png',
    '.pack': 'application/octet-stream',
};

// Serves `folder` on a free port of 127.0.0.1; counts what it sends.
export async function serve(folder) {
    const root = resolve(folder);
    const served = [];
    const server = createServer(async (request, response) => {
        const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
        if (!file.startsWith(root)) {
            response.writeHead(403).end();
            return;
        }
        try {
            const body = await readFile(file);
            served.push({path, bytes: body.length});
            response.writeHead(200, {
                'Content-Type': types[extname(file)] ?? 'application/octet-stream',
                'Cache-Control': 'no-cache',
            });
            response.end(body);
        } catch {
            response.writeHead(404).end();
        }
    });
    await new Promise((done) => server.listen(0, '127.0.0.1', done));
    const url = `http://127.0.0.1:${server.address().port}/`;
    return {url, served, close: () => new Promise((done) => server.close(done))};
}

export const chromiumPath = process.env.VELOMAR_CHROMIUM ?? '/usr/lib/chromium/chromium';

// A fresh profile each time: no service worker, storage or cache from an earlier run.
export async function launch() {
    const profile = await mkdtemp(join(tmpdir(), 'velomar-chromium-'));
    const browser = await puppeteer.launch({
        executablePath: chromiumPath,
        headless: true,
        userDataDir: profile,
        args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--lang=ko-KR'],
    });
    return {
        browser,
        close: async () => {
            await browser.close();
            await rm(profile, {recursive: true, force: true});
        },
    };
}

// A page that records every console error and uncaught exception.
export async function openPage(browser, viewport) {
    const page = await browser.newPage();
    const errors = [];
    page.on('console', (message) => {
        if (message.type() === 'error') {
            errors.push(message.text());
        }
    });
    page.on('pageerror', (error) => errors.push(error.message));
    await page.setViewport(viewport);
    return {page, errors};
}

export async function ready(page) {
    await page.waitForFunction(() => document.documentElement.dataset.ready === 'true');
}

// The form's control of a role ("search", "departure", ...), or a dialog's.
export const role = (name) => `#screen [data-role="${name}"]`;
export const dialog = '#screen .dialog';
export const topDialog = '#screen .modal:last-child .dialog';

export async function tap(page, selector) {
    await page.waitForSelector(selector, {visible: true});
    await page.tap(selector);
}

export async function setField(page, selector, text) {
    await page.$eval(selector, (field, value) => {
        field.value = value;
    }, text);
}

export async function choose(page, selector, index) {
    await page.$eval(selector, (list, entry) => {
        list.selectedIndex = entry;
        list.dispatchEvent(new Event('change', {bubbles: true}));
    }, index);
}

// The result list's rows: [train, departure, arrival, type] each.
export async function resultRows(page) {
    return page.$$eval(`${role('results')} .row.item`,
        (rows) => rows.map((row) => [...row.children].map((cell) => cell.textContent)));
}

// Closes the message box on top and gives its text.
export async function closeMessage(page) {
    const text = await page.$eval(`${topDialog} [data-role="text"]`, (node) => node.textContent);
    await tap(page, `${topDialog} [data-role="ok"]`);
    return text;
}
