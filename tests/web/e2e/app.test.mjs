// The web app end to end in Debian's headless Chromium, on three phones and a desktop, with
// a fresh browser profile each: a search, Next and Prev, a train's stops, the options, the
// favourites, the station list under a field, the stored pair after a reload, and a start
// with the network off. No console error anywhere.
//
//   node --test tests/web/e2e/app.test.mjs   (VELOMAR_WEB_APP=build/web)
import assert from 'node:assert/strict';
import {after, before, describe, test} from 'node:test';
import {
    choose, closeMessage, launch, openPage, ready, resultRows, role, serve, setField, tap,
    topDialog,
} from './harness.mjs';

const app = process.env.VELOMAR_WEB_APP ?? 'build/web';
const viewports = [
    {name: 'phone 360x640', width: 360, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true},
    {name: 'phone 390x844', width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true},
    {name: 'phone 412x915', width: 412, height: 915, deviceScaleFactor: 2, isMobile: true, hasTouch: true},
    {name: 'desktop 1280x800', width: 1280, height: 800, deviceScaleFactor: 1},
];

const minutes = (time) => Number(time.slice(0, 2)) * 60 + Number(time.slice(3, 5));

async function search(page, departure, arrival, hour) {
    await setField(page, role('departure'), departure);
    await setField(page, role('arrival'), arrival);
    await choose(page, role('hours'), hour);
    await tap(page, role('search'));
    return resultRows(page);
}

async function menu(page, entry) {
    await tap(page, '#screen .menu-bar button[aria-haspopup]');
    const items = await page.$$('#screen .menu [role="menuitem"]');
    for (const item of items) {
        if (await item.evaluate((node) => node.textContent) === entry) {
            await item.tap();
            return;
        }
    }
    throw new Error(`no menu entry ${entry}`);
}

// Texts at least 12 CSS pixels, controls at least `reach` high, nothing wider than the viewport.
async function checkFit(page, reach = 24) {
    const problems = await page.evaluate((reach) => {
        const found = [];
        const root = document.documentElement;
        if (root.scrollWidth > root.clientWidth) {
            found.push(`scrolls sideways: ${root.scrollWidth} > ${root.clientWidth}`);
        }
        const scale = document.getElementById('screen').getBoundingClientRect().width /
            document.getElementById('screen').offsetWidth;
        for (const node of document.querySelectorAll('#screen *')) {
            const own = [...node.childNodes].some((c) => c.nodeType === 3 && c.textContent.trim());
            const size = parseFloat(getComputedStyle(node).fontSize) * scale;
            if ((own || node.matches('input[type="text"], select')) && size < 12) {
                found.push(`text ${size.toFixed(1)}px: ${node.textContent.slice(0, 20)}`);
            }
            const box = node.getBoundingClientRect();
            if (node.matches('button, select, input, .row.item') && box.height < reach) {
                found.push(`control ${box.height.toFixed(1)}px high: ${node.textContent.slice(0, 20)}`);
            }
        }
        return found;
    }, reach);
    assert.deepEqual(problems, []);
}

// One browser for each viewport, its steps in order.
function viewportSuite(viewport) {
    describe(viewport.name, {concurrency: 1}, () => {
        let server;
        let browser;
        let page;
        let errors;
        before(async () => {
            server = await serve(app);
            browser = await launch();
            ({page, errors} = await openPage(browser.browser, viewport));
            await page.goto(server.url);
            await ready(page);
        });
        after(async () => {
            await browser?.close();
            await server?.close();
        });

        test('starts with the stored defaults and fits the screen', async () => {
            assert.equal(await page.$eval(role('departure'), (f) => f.value), '서울');
            assert.equal(await page.$eval(role('arrival'), (f) => f.value), '대전');
            await checkFit(page);
        });

        test('search, Next and Prev page through the day', async () => {
            const first = await search(page, '서울', '대전', 6);
            assert.equal(first.length, 14);
            assert.ok(minutes(first[0][1]) >= 6 * 60, first[0][1]);
            await tap(page, role('next'));
            const second = await resultRows(page);
            assert.ok(minutes(second[0][1]) > minutes(first[0][1]));
            await tap(page, role('prev'));
            const back = await resultRows(page);
            assert.ok(minutes(back[0][1]) < minutes(second[0][1]));
            await checkFit(page);
        });

        test('a tap on a row shows its stops', async () => {
            const rows = await search(page, '서울', '대전', 8);
            await tap(page, `${role('results')} .row.item:nth-of-type(2)`);
            await page.waitForSelector(`${topDialog} .list.stops`);
            const stops = await page.$$eval(`${topDialog} .row.item`,
                (lines) => lines.map((line) => [...line.children].map((c) => c.textContent)));
            assert.deepEqual(stops[0], ['서울', rows[0][1]]);
            assert.deepEqual(stops.at(-1), ['대전', rows[0][2]]);
            await checkFit(page);
            await tap(page, `${topDialog} .close`);
        });

        test('options change the page size', async () => {
            await menu(page, '옵션');
            await choose(page, `${topDialog} [data-role="list"]`, 0);
            await tap(page, `${topDialog} [data-role="ok"]`);
            assert.equal((await search(page, '서울', '부산', 7)).length, 5);
            await menu(page, '옵션');
            await choose(page, `${topDialog} [data-role="list"]`, 9);
            await tap(page, `${topDialog} [data-role="ok"]`);
            assert.equal((await search(page, '서울', '부산', 7)).length, 14);
        });

        test('favourites are added, chosen and deleted', async () => {
            await menu(page, '즐겨찾기');
            const dialog = topDialog;
            await setField(page, `${dialog} [data-role="departure"]`, '부산');
            await setField(page, `${dialog} [data-role="arrival"]`, '동대구');
            await tap(page, `${dialog} [data-role="add"]`);
            await page.waitForSelector(`${dialog} .row.item`);
            await checkFit(page);
            await tap(page, `${dialog} .row.item`);
            await tap(page, `${dialog} [data-role="ok"]`);
            assert.equal(await page.$eval(role('departure'), (f) => f.value), '부산');
            assert.equal(await page.$eval(role('arrival'), (f) => f.value), '동대구');

            await menu(page, '즐겨찾기');
            await tap(page, `${dialog} .row.item`);
            await tap(page, `${dialog} [data-role="delete"]`);
            assert.equal((await page.$$(`${dialog} .row.item`)).length, 0);
            await tap(page, `${dialog} [data-role="cancel"]`);
        });

        test('typing initials offers the station', async () => {
            await setField(page, role('departure'), '');
            await page.focus(role('departure'));
            await page.keyboard.type('ㄷㄷㄱ');
            await page.waitForSelector('#screen .completions button');
            const offered = await page.$$eval('#screen .completions button',
                (options) => options.map((o) => o.textContent));
            assert.ok(offered.includes('동대구'), offered.join(','));
            await checkFit(page);
            const index = offered.indexOf('동대구') + 1;
            await tap(page, `#screen .completions button:nth-of-type(${index})`);
            assert.equal(await page.$eval(role('departure'), (f) => f.value), '동대구');
        });

        test('a reload keeps the pair of the last search', async () => {
            assert.ok((await search(page, '동대구', '부산', 9)).length > 0);
            await page.reload();
            await ready(page);
            assert.equal(await page.$eval(role('departure'), (f) => f.value), '동대구');
            assert.equal(await page.$eval(role('arrival'), (f) => f.value), '부산');
        });

        test('starts and searches with the network off', async () => {
            await page.evaluate(async () => {
                await navigator.serviceWorker.ready;
            });
            if (!(await page.evaluate(() => Boolean(navigator.serviceWorker.controller)))) {
                await page.reload();
                await ready(page);
            }
            await page.setOfflineMode(true);
            await page.reload();
            await ready(page);
            assert.equal((await search(page, '서울', '대전', 10)).length, 14);
            await page.setOfflineMode(false);
        });

        test('no console error', () => {
            assert.deepEqual(errors, []);
        });
    });
}

function squareSuite() {
    describe('square screen (a phone held sideways)', {concurrency: 1}, () => {
        test('the square screen runs first; 취소 leaves the portrait form', async () => {
            const server = await serve(app);
            const browser = await launch();
            try {
                const {page, errors} = await openPage(browser.browser,
                    {width: 640, height: 360, deviceScaleFactor: 2, isMobile: true, hasTouch: true});
                await page.goto(server.url);
                await ready(page);
                assert.equal(await page.$$eval('#screen .strip', (strips) => strips.length), 0);
                assert.equal((await search(page, '서울', '대전', 6)).length, 9);
                // The handheld's square screen whole on a phone held sideways: its stylus-sized
                // controls stay small (the upright phone is the phone's layout).
                await checkFit(page, 15);
                await tap(page, role('cancel'));
                await page.waitForSelector('#screen .menu-bar');
                assert.equal(await page.$eval(role('departure'), (f) => f.value), '서울');
                assert.deepEqual(errors, []);
            } finally {
                await browser.close();
                await server.close();
            }
        });
    });
}

// Storage the browser refuses or that is full: every settings operation fails, the app goes
// on with the built-in pair, and nothing stored before is lost. And the app installs.
function storageSuite() {
    describe('storage refused or full, installing', {concurrency: 1}, () => {
        let server;
        let browser;
        before(async () => {
            server = await serve(app);
            browser = await launch();
        });
        after(async () => {
            await browser?.close();
            await server?.close();
        });

        test('refused storage: the defaults, searches, no favourite, no error', async () => {
            const {page, errors} = await openPage(browser.browser, viewports[1]);
            await page.evaluateOnNewDocument(() => {
                Object.defineProperty(window, 'localStorage', {
                    get() {
                        throw new DOMException('storage is off', 'SecurityError');
                    },
                });
            });
            await page.goto(server.url);
            await ready(page);
            assert.equal((await search(page, '동대구', '부산', 8)).length, 14);
            await menu(page, '즐겨찾기');
            await tap(page, `${topDialog} [data-role="add"]`);
            assert.equal((await page.$$(`${topDialog} .row.item`)).length, 0);
            await tap(page, `${topDialog} [data-role="cancel"]`);
            assert.deepEqual(errors, []);
            await page.close();
        });

        test('full storage: the search runs, the stored pair stays', async () => {
            const {page, errors} = await openPage(browser.browser, viewports[1]);
            await page.goto(server.url);
            await ready(page);
            await search(page, '동대구', '부산', 8);
            await page.evaluate(() => {
                Storage.prototype.setItem = () => {
                    throw new DOMException('full', 'QuotaExceededError');
                };
            });
            assert.equal((await search(page, '서울', '대전', 8)).length, 14);
            await page.reload();
            await ready(page);
            assert.equal(await page.$eval(role('departure'), (f) => f.value), '동대구');
            assert.equal(await page.$eval(role('arrival'), (f) => f.value), '부산');
            assert.deepEqual(errors, []);
            await page.close();
        });

        test('the smallest phone (320x568): rows a finger high, the list scrolls', async () => {
            const {page, errors} = await openPage(browser.browser,
                {...viewports[0], width: 320, height: 568});
            await page.goto(server.url);
            await ready(page);
            assert.equal((await search(page, '서울', '대전', 6)).length, 14);
            await checkFit(page);
            assert.deepEqual(errors, []);
            await page.close();
        });

        test('meets Chromium\'s rules for installing', async () => {
            const {page} = await openPage(browser.browser, viewports[0]);
            await page.goto(server.url);
            await ready(page);
            await page.evaluate(() => navigator.serviceWorker.ready);
            const cdp = await page.createCDPSession();
            const manifest = await cdp.send('Page.getAppManifest');
            assert.deepEqual(manifest.errors, []);
            const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
            assert.deepEqual(installabilityErrors, []);
            await page.close();
        });
    });
}

// Two browsers at a time: the machine's two cores.
describe('web app', {concurrency: 2}, () => {
    viewports.forEach(viewportSuite);
    squareSuite();
    storageSuite();
});
