// The web app's figures for docs/performance.md (`make bench-web`, part of `make bench`):
// what a phone downloads on its first visit, compressed; the time from navigation to the
// first search possible, first and later visits; one search in the page.
//   node bench.mjs APPDIR DOC [RUNS]
import {readFile, readdir, writeFile} from 'node:fs/promises';
import {cpus, loadavg} from 'node:os';
import {join} from 'node:path';
import {brotliCompressSync, constants, gzipSync} from 'node:zlib';
import {chromiumPath, launch, openPage, ready, serve} from './harness.mjs';

const [app, doc, runsText = '15'] = process.argv.slice(2);
const runs = Number(runsText);
const viewport = {width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true};
const pairs = [['서울', '부산'], ['서울', '대전'], ['용산', '목포'], ['청량리', '강릉'], ['동대구', '부산']];
const limits = {bytes: 1_000_000, startMs: 1000, searchMs: 5};

const median = (values) => {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[Math.floor((sorted.length - 1) / 2)];
};
const max = (values) => Math.max(...values);
const kind = (name) => (name === 'velomar.wasm' ? 'core (wasm)'
    : name === 'velomar.js' ? 'core loader (velomar.js)'
        : name === 'timetables.pack' ? 'timetables (samples)'
            : name.endsWith('.png') ? 'icons' : 'page (HTML, CSS, JS, manifest, worker)');

async function sizes() {
    const groups = new Map();
    for (const name of (await readdir(app)).sort()) {
        const body = await readFile(join(app, name));
        const entry = groups.get(kind(name)) ?? {raw: 0, gzip: 0, brotli: 0};
        entry.raw += body.length;
        entry.gzip += gzipSync(body, {level: 9}).length;
        entry.brotli += brotliCompressSync(body,
            {params: {[constants.BROTLI_PARAM_QUALITY]: 11}}).length;
        groups.set(kind(name), entry);
    }
    return groups;
}

// Milliseconds from the start of navigation to the page's mark that a search is possible.
async function readyTime(page, url) {
    await page.goto(url);
    await ready(page);
    return page.evaluate(() => performance.getEntriesByName('velomar-ready')[0].startTime);
}

async function startTimes(url) {
    const first = [];
    const later = [];
    for (let run = 0; run < runs; ++run) {
        const {browser, close} = await launch();
        const {page} = await openPage(browser, viewport);
        first.push(await readyTime(page, url));
        await page.evaluate(() => navigator.serviceWorker.ready);
        later.push(await readyTime(page, url));
        await close();
    }
    return {first, later};
}

// The page's own core, as the app uses it: the search call with its settings writes.
async function searchTimes(url) {
    const {browser, close} = await launch();
    const {page} = await openPage(browser, viewport);
    await page.goto(url);
    await ready(page);
    const times = await page.evaluate(async (pairs, rounds) => {
        const core = await VelomarCore();
        const pack = await (await fetch('timetables.pack')).arrayBuffer();
        core.installTimetables(new Uint8Array(pack));
        const app = new core.WebApp();
        app.start(innerWidth, innerHeight);
        const out = {};
        for (const [departure, arrival] of pairs) {
            const form = {departure, arrival, type: 0, hour: 7, minute: 0};
            app.search(form);
            const each = [];
            for (let round = 0; round < rounds; ++round) {
                const start = performance.now();
                app.search(form);
                each.push(performance.now() - start);
            }
            out[`${departure} → ${arrival}`] = each;
        }
        // A tap on the Search button: the same search and the rows drawn.
        const button = document.querySelector('#screen [data-role="search"]');
        const taps = [];
        for (let round = 0; round < rounds; ++round) {
            const start = performance.now();
            button.click();
            taps.push(performance.now() - start);
        }
        out['Search tapped (서울 → 대전, rows drawn)'] = taps;
        return out;
    }, pairs, runs * 10);
    await close();
    return times;
}

// The sizes a finger and an eye meet on each phone, in CSS pixels, after a search.
async function phoneSizes(url) {
    const {browser, close} = await launch();
    const rows = [];
    for (const [width, height] of [[320, 568], [360, 640], [390, 844], [412, 915], [640, 360]]) {
        const {page} = await openPage(browser,
            {width, height, deviceScaleFactor: 2, isMobile: true, hasTouch: true});
        await page.goto(url);
        await ready(page);
        await page.click('#screen [data-role="search"]');
        const sizes = await page.evaluate(() => {
            const screen = document.getElementById('screen');
            const scale = screen.getBoundingClientRect().width / screen.offsetWidth;
            const heights = (selector) => [...screen.querySelectorAll(selector)]
                .map((node) => node.getBoundingClientRect().height);
            const texts = [...screen.querySelectorAll('*')]
                .filter((node) => [...node.childNodes].some((c) => c.nodeType === 3 && c.textContent.trim()))
                .map((node) => parseFloat(getComputedStyle(node).fontSize) * scale);
            return {
                layout: screen.querySelector('.strip') ? 'portrait' : 'square',
                text: Math.min(...texts), formText: parseFloat(getComputedStyle(screen.querySelector('.area')).fontSize) * scale,
                rows: Math.min(...heights('.row.item')), fields: Math.min(...heights('select, input')),
                tiles: Math.min(...heights('.tile:not(.label)')),
            };
        });
        rows.push([`${width}x${height}`, sizes.layout, sizes.text.toFixed(1), sizes.formText.toFixed(1),
            sizes.rows.toFixed(1), sizes.fields.toFixed(1), sizes.tiles.toFixed(1)]);
        await page.close();
    }
    await close();
    return rows;
}

function table(header, rows) {
    return [`| ${header.join(' | ')} |`, `|${header.map(() => '---').join('|')}|`,
        ...rows.map((row) => `| ${row.join(' | ')} |`)].join('\n');
}

const verdict = (value, limit) => (value <= limit ? 'met' : `missed by ${(value / limit).toFixed(2)}×`);

const server = await serve(app);
try {
    const load = loadavg().map((x) => x.toFixed(2)).join(', ');
    const groups = await sizes();
    const start = await startTimes(server.url);
    const search = await searchTimes(server.url);
    const phones = await phoneSizes(server.url);
    const total = [...groups.values()].reduce((sum, g) => ({
        raw: sum.raw + g.raw, gzip: sum.gzip + g.gzip, brotli: sum.brotli + g.brotli,
    }), {raw: 0, gzip: 0, brotli: 0});
    const kb = (bytes) => (bytes / 1000).toFixed(1);
    const sizeRows = [...groups].map(([name, g]) => [name, kb(g.raw), kb(g.gzip), kb(g.brotli)]);
    sizeRows.push(['**everything (the first visit)**', kb(total.raw), kb(total.gzip), kb(total.brotli)]);
    const ms = (value) => value.toFixed(2);
    const searchRows = Object.entries(search).map(([name, each]) =>
        [name, ms(median(each)), ms(max(each)), each.length]);
    const worstSearch = max(Object.entries(search)
        .filter(([name]) => !name.startsWith('Search tapped')).map(([, each]) => median(each)));
    const text = [
        `- ${cpus()[0].model}; ${cpus().length} logical CPUs; load average at the start: ${load}`,
        `- ${chromiumPath} (headless), ${viewport.width}x${viewport.height} at device scale 2; ` +
            `app served from 127.0.0.1; run: ${new Date().toISOString().slice(0, 16)} UTC`,
        '',
        table(['what a phone downloads', 'kB', 'kB gzip -9', 'kB brotli'], sizeRows),
        '',
        table(['navigation to the first search possible', 'median ms', 'max ms', 'runs'], [
            ['first visit (fresh profile, nothing cached)', ms(median(start.first)), ms(max(start.first)), runs],
            ['later visit (from the service worker)', ms(median(start.later)), ms(max(start.later)), runs],
        ]),
        '',
        table(['one search in the page', 'median ms', 'max ms', 'searches'], searchRows),
        '',
        table(['viewport', 'layout', 'smallest text', 'form text', 'result row', 'list or field',
            'tile button'], phones),
        '',
        table(['target', 'measured', 'outcome'], [
            ['first visit ≤ 1 MB compressed (gzip)', `${kb(total.gzip)} kB`, verdict(total.gzip, limits.bytes)],
            ['navigation to first search ≤ 1 s (first visit, median)', `${ms(median(start.first))} ms`,
                verdict(median(start.first), limits.startMs)],
            ['a search ≤ 5 ms (slowest pair, median)', `${ms(worstSearch)} ms`, verdict(worstSearch, limits.searchMs)],
        ]),
    ].join('\n');
    const old = await readFile(doc, 'utf8');
    const marked = /(<!-- generated: web -->)[\s\S]*?(<!-- end generated: web -->)/;
    if (!marked.test(old)) {
        throw new Error(`${doc} has no "generated: web" markers`);
    }
    await writeFile(doc, old.replace(marked, (_, open, close) => `${open}\n${text}\n${close}`));
    console.log(text);
} finally {
    await server.close();
}
