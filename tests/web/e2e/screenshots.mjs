// The phone screens for the README, made in headless Chromium with the clock held at 07:00:
//   node tests/web/e2e/screenshots.mjs build/web docs/screenshots
import {join} from 'node:path';
import {choose, launch, openPage, ready, role, serve, setField, tap, topDialog} from './harness.mjs';

const [app = 'build/web', out = 'docs/screenshots'] = process.argv.slice(2);
const phone = (width, height) => ({width, height, deviceScaleFactor: 1, isMobile: true, hasTouch: true});

async function start(browser, viewport) {
    const {page, errors} = await openPage(browser, viewport);
    await page.evaluateOnNewDocument(() => {
        const fixed = new Date(2010, 9, 1, 7, 0).getTime();
        Date.now = () => fixed;
    });
    await page.goto(server.url);
    await ready(page);
    return {page, errors};
}

async function searched(page, hour) {
    await setField(page, role('departure'), '서울');
    await setField(page, role('arrival'), '부산');
    await choose(page, role('hours'), hour);
    await tap(page, role('search'));
}

async function shot(page, name) {
    // A tapped button's pressed look fades first.
    await new Promise((done) => setTimeout(done, 300));
    await page.screenshot({path: join(out, `web-${name}.png`)});
    console.log(`web-${name}.png`);
}

const server = await serve(app);
const {browser, close} = await launch();
const scenes = [
    [phone(360, 640), 'portrait-360x640-search', async (page) => searched(page, 7)],
    [phone(390, 844), 'portrait-390x844-detail', async (page) => {
        await searched(page, 9);
        await tap(page, `${role('results')} .row.item:nth-of-type(3)`);
    }],
    [phone(412, 915), 'portrait-412x915-picker', async (page) => tap(page, role('arrivalButton'))],
    [phone(390, 844), 'portrait-390x844-stations', async (page) => {
        await setField(page, role('arrival'), '');
        await page.focus(role('arrival'));
        await page.keyboard.type('ㄷㄷㄱ');
        await page.waitForSelector('#screen .completions button');
    }],
    [phone(360, 640), 'portrait-360x640-menu', async (page) => tap(page, '#screen .menu-bar button')],
    [phone(390, 844), 'portrait-390x844-favorites', async (page) => {
        await tap(page, '#screen .menu-bar button');
        await tap(page, '#screen .menu [role="menuitem"]');
        for (const [from, to] of [['서울', '부산'], ['용산', '목포'], ['청량리', '강릉']]) {
            await setField(page, `${topDialog} [data-role="departure"]`, from);
            await setField(page, `${topDialog} [data-role="arrival"]`, to);
            await tap(page, `${topDialog} [data-role="add"]`);
        }
        await tap(page, `${topDialog} .row.item:nth-of-type(3)`);
    }],
    [phone(412, 915), 'portrait-412x915-options', async (page) => {
        await tap(page, '#screen .menu-bar button');
        await tap(page, '#screen .menu [role="menuitem"]:nth-of-type(2)');
    }],
    [phone(360, 640), 'portrait-360x640-about', async (page) => tap(page, '#screen .menu-bar button:nth-of-type(2)')],
    [phone(640, 360), 'square-640x360-search', async (page) => searched(page, 7)],
];
try {
    for (const [viewport, name, scene] of scenes) {
        const {page, errors} = await start(browser, viewport);
        await scene(page);
        await shot(page, name);
        if (errors.length > 0) {
            throw new Error(`${name}: ${errors.join('; ')}`);
        }
        await page.close();
    }
} finally {
    await close();
    await server.close();
}
