// Velomar in the browser: loads the core and the timetables, draws the main screen the core
// lays out, and forwards every event to the core. No rule of the program lives here.

import {attachCompletion} from './completion.js';
import * as dialogs from './dialogs.js';
import {button, dropdown, edit, element, fillList, reportList, staticItem} from './draw.js';

const viewport = document.getElementById('viewport');
const screenNode = document.getElementById('screen');
// The screen's own controls; dialogs and the menu open above this layer, so a redraw (a
// turned phone) leaves them open.
const layer = element('div', 'layer');
screenNode.append(layer);
const page = {core: null, app: null, entries: null, screen: null, controls: {}, modals: null};

function form() {
    const c = page.controls;
    if (!c.departure) {
        return {departure: '', arrival: '', type: -1, hour: -1, minute: -1};
    }
    return {
        departure: c.departure.value,
        arrival: c.arrival.value,
        type: c.types.selectedIndex,
        hour: c.hours.selectedIndex,
        minute: c.minutes.selectedIndex,
    };
}

function failed(result) {
    if (result && result.error) {
        console.warn('Velomar:', result.error);
        return true;
    }
    return false;
}

// The screen's boxes for the viewport, scaled so the handheld fills its width.
function fitViewport() {
    const {screen} = page;
    screenNode.style.width = `${screen.width}px`;
    screenNode.style.height = `${screen.height}px`;
    screenNode.style.transform = `scale(${screen.scale})`;
    // No text smaller than 12 CSS pixels, whatever the scale.
    screenNode.style.setProperty('--min-text', `${(12.05 / screen.scale).toFixed(2)}px`);
    viewport.style.width = `${screen.width * screen.scale}px`;
    viewport.style.height = `${screen.height * screen.scale}px`;
}

function strip(className, top, height, fontPixels) {
    const node = element('div', `strip ${className}`);
    node.style.top = `${top}px`;
    node.style.height = `${height}px`;
    node.style.fontSize = `${fontPixels}px`;
    return node;
}

function drawChrome(screen) {
    const title = strip('title-strip', 0, screen.strip, screen.stripFontPixels);
    title.append(element('span', 'title', 'Velomar'), element('span', 'clock', page.app.clock()));
    const menuBar = strip('menu-bar', screen.height - screen.strip, screen.strip,
        screen.stripFontPixels);
    const menu = element('button', '', '메뉴');
    menu.type = 'button';
    menu.setAttribute('aria-haspopup', 'menu');
    menu.setAttribute('aria-expanded', 'false');
    menu.addEventListener('click', () => toggleMenu(menu));
    const about = element('button', '', '정보');
    about.type = 'button';
    about.addEventListener('click', () => showAbout());
    menuBar.append(menu, about);
    page.dateHost = menuBar;
    layer.append(title, menuBar);
}

// The day the screen answers for: in the menu bar upright, under the product line sideways.
// Only where the core says the timetables carry dates is there a control at all.
function showDate(date) {
    const c = page.controls;
    if (c.webAddress) {
        c.webAddress.hidden = date.shown;
    }
    if (!date.shown) {
        c.date?.remove();
        delete c.date;
        return;
    }
    if (!c.date) {
        c.date = dropdown({role: 'date', rect: page.screen.dateBox, enabled: true}, [], -1);
        c.date.addEventListener('change', () => pickDate(c.date.selectedIndex));
        page.dateHost.append(c.date);
    }
    c.date.replaceChildren(...date.entries.map((entry) => element('option', '', entry)));
    c.date.selectedIndex = date.selection;
}

// Like the hour, a picked day searches nothing; "날짜 선택" opens the days of the period.
async function pickDate(entry) {
    let date = page.app.pickDate(entry);
    if (failed(date)) {
        return;
    }
    if (date.openPicker) {
        date = page.app.pickDay(await dialogs.datePicker(page.modals, date));
    }
    if (!failed(date)) {
        showDate(date);
    }
}

function drawForm(screen) {
    const area = element('div', 'area');
    area.style.top = `${screen.strip}px`;
    area.style.height = `${screen.height - 2 * screen.strip}px`;
    area.style.fontSize = `${screen.fontPixels}px`;
    const lists = {types: page.entries.types, hours: page.entries.hours,
        minutes: page.entries.minutes};
    const c = {};
    for (const control of screen.controls) {
        let node;
        if (lists[control.role]) {
            node = dropdown(control, lists[control.role], -1);
        } else if (control.kind === 'edit') {
            node = edit(control, '');
        } else if (control.kind === 'button') {
            node = button(control);
            if (control.role.endsWith('Label')) {
                node.classList.add('label');
                node.tabIndex = -1;
            }
        } else if (control.kind === 'list') {
            node = reportList(control, screen.list, []);
        } else {
            node = staticItem(control);
        }
        c[control.role] = node;
        area.append(node);
    }
    if (screen.strip === 0) {
        page.dateHost = area;
    }
    layer.append(area);
    page.controls = c;
    wireForm(c, screen);
}

function wireForm(c, screen) {
    const act = (call) => () => apply(call(form()));
    // As on the handheld, the focus moves to the result list before a search.
    const searching = (call) => () => {
        page.controls.results.focus({preventScroll: true});
        return apply(call(form()));
    };
    c.search.addEventListener('click', searching((f) => page.app.search(f)));
    c.prev.addEventListener('click', searching((f) => page.app.prev(f)));
    c.next.addEventListener('click', searching((f) => page.app.next(f)));
    c.results.tabIndex = -1;
    c.departureButton.addEventListener('click', () => pickStation(true));
    c.arrivalButton.addEventListener('click', () => pickStation(false));
    for (const field of [c.departure, c.arrival]) {
        attachCompletion(field, page.core, Math.round(screen.fontPixels * 1.25),
            searching((f) => page.app.search(f)));
    }
    c.ok?.addEventListener('click', act((f) => page.app.closeSquare(true, f)));
    c.cancel?.addEventListener('click', act((f) => page.app.closeSquare(false, f)));
}

function drawScreen() {
    page.screen = page.app.screen();
    if (failed(page.screen)) {
        return;
    }
    layer.replaceChildren();
    fitViewport();
    if (page.screen.strip > 0) {
        drawChrome(page.screen);
    }
    drawForm(page.screen);
}

function showRows(rows) {
    const {screen} = page;
    const cells = rows.map((row) => [row.trainNo, row.departure, row.arrival, row.type]);
    // Every page is read from its first row.
    fillList(page.controls.results, screen.list, cells, (line, index) => {
        line.addEventListener('click', () => showDetail(rows[index].slot));
    });
}

// Shows what the core says the main screen holds now, then its messages one by one.
async function apply(view) {
    if (failed(view)) {
        return;
    }
    if (view.ended) {
        end();
        return;
    }
    if (view.layout !== page.screen.layout) {
        drawScreen();
    }
    const c = page.controls;
    c.departure.value = view.form.departure;
    c.arrival.value = view.form.arrival;
    c.types.selectedIndex = view.form.type;
    c.hours.selectedIndex = view.form.hour;
    c.minutes.selectedIndex = view.form.minute;
    showDate(view.date);
    showRows(view.rows);
    await dialogs.messages(page.modals, page.app, view.messages);
}

async function pickStation(departure) {
    const opened = page.app.openPicker(departure, false);
    if (failed(opened)) {
        return;
    }
    const accepted = await dialogs.picker(page.modals, page.app, page.entries.groups, opened);
    await apply(page.app.closePickerOnMain(accepted, form()));
}

async function showDetail(slot) {
    const shown = page.app.detail(form(), slot);
    if (failed(shown)) {
        return;
    }
    await dialogs.messages(page.modals, page.app, shown.messages);
    if (shown.open) {
        await dialogs.detail(page.modals, shown);
    }
}

async function showAbout() {
    const shown = page.app.about();
    if (!failed(shown)) {
        await dialogs.about(page.modals, shown);
    }
}

async function showFavorites() {
    const opened = page.app.openFavorites();
    if (failed(opened)) {
        return;
    }
    const closed = await dialogs.favorites(page.modals, page.app, page.core, page.entries.groups,
        opened);
    await apply(page.app.closeFavorites(closed.accepted, closed.departure, closed.arrival, form()));
}

async function showOptions() {
    const opened = page.app.openOptions();
    if (failed(opened)) {
        return;
    }
    const ok = await dialogs.options(page.modals, page.app, opened);
    await apply(page.app.closeOptions(ok));
}

function toggleMenu(menuButton) {
    const open = screenNode.querySelector('.menu');
    if (open) {
        open.parentElement.remove();
        menuButton.setAttribute('aria-expanded', 'false');
        return;
    }
    const {screen} = page;
    const cover = element('div', 'modal');
    const menu = element('div', 'menu');
    menu.setAttribute('role', 'menu');
    menu.style.left = '0px';
    menu.style.bottom = `${screen.strip}px`;
    menu.style.fontSize = `${screen.stripFontPixels}px`;
    const entry = (text, action) => {
        const item = element('button', '', text);
        item.type = 'button';
        item.setAttribute('role', 'menuitem');
        item.style.height = `${screen.strip}px`;
        item.addEventListener('click', (event) => {
            event.stopPropagation();
            cover.remove();
            menuButton.setAttribute('aria-expanded', 'false');
            action();
        });
        return item;
    };
    menu.append(entry('즐겨찾기', showFavorites), entry('옵션', showOptions), element('hr'),
        entry('종료', () => apply(page.app.end())));
    cover.append(menu);
    cover.addEventListener('click', () => toggleMenu(menuButton));
    screenNode.append(cover);
    menuButton.setAttribute('aria-expanded', 'true');
}

// "종료": the program has ended. A page cannot always close itself; it then stays dark, and
// a tap starts the program again.
function end() {
    window.close();
    const dark = element('div', 'ended');
    dark.addEventListener('click', () => location.reload());
    screenNode.replaceChildren(dark);
}

function focusReset() {
    if (!page.modals.active && page.controls.departure) {
        apply(page.app.focusReset(form()));
    }
}

function watchViewport() {
    let pending = 0;
    window.addEventListener('resize', () => {
        clearTimeout(pending);
        pending = setTimeout(() => {
            const view = page.app.resize(document.documentElement.clientWidth, window.innerHeight);
            drawScreen();
            apply(view);
        }, 100);
    });
    document.addEventListener('visibilitychange', () => {
        if (document.visibilityState === 'visible') {
            focusReset();
        }
    });
    setInterval(() => {
        const clock = screenNode.querySelector('.clock');
        if (clock) {
            clock.textContent = page.app.clock();
        }
    }, 15000);
}

// The offline copy is made once the screen is up, so it does not compete with the start.
function keepOffline() {
    if ('serviceWorker' in navigator) {
        navigator.serviceWorker.register('sw.js').catch((error) => {
            console.warn('Velomar: no offline copy:', error.message);
        });
    }
}

async function boot() {
    // Without its timetables the app still starts: each search then says it cannot read them.
    const timetables = fetch('timetables.pack')
        .then((response) => (response.ok ? response.arrayBuffer() : new ArrayBuffer(0)))
        .catch(() => new ArrayBuffer(0));
    // eslint-disable-next-line no-undef
    const loaded = VelomarCore().then((core) => {
        performance.mark('velomar-core');
        return core;
    });
    const [core, pack] = await Promise.all([loaded, timetables]);
    performance.mark('velomar-downloaded');
    const installed = core.installTimetables(new Uint8Array(pack));
    if (!installed.ok) {
        console.warn('Velomar: timetables not installed:', installed.error);
    }
    page.core = core;
    page.entries = core.entries();
    page.app = new core.WebApp();
    page.modals = new dialogs.Modals(screenNode, focusReset);
    const view = page.app.start(document.documentElement.clientWidth, window.innerHeight);
    performance.mark('velomar-started');
    drawScreen();
    watchViewport();
    const shown = apply(view);  // the form at once; then any messages, one by one
    document.documentElement.dataset.ready = 'true';
    performance.mark('velomar-ready');
    keepOffline();
    await shown;
}

boot().catch((error) => {
    // Nothing can run without the core: say so where the screen would be.
    screenNode.replaceChildren(element('p', 'static', `Velomar: ${error.message ?? error}`));
});
