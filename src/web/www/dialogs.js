// The handheld's dialogs, drawn from the layouts the core sends and driven through the core:
// each opens modally over the screen and resolves when it closes.

import {attachCompletion} from './completion.js';
import {
    button, dialogFrame, dropdown, edit, element, findRole, place, reportList, staticItem,
} from './draw.js';

export class Modals {
    constructor(screen, onLastClosed) {
        this.screen = screen;
        this.onLastClosed = onLastClosed;
        this.open = 0;
    }

    get active() {
        return this.open > 0;
    }

    // Shows a dialog frame over everything; `build(frame, close)` fills it. Resolves with what
    // close() was given; the close box and Escape give `dismissed`.
    show(layout, build, dismissed) {
        return new Promise((resolve) => {
            const cover = element('div', 'modal');
            const frame = dialogFrame(layout);
            cover.append(frame.root);
            this.screen.append(cover);
            this.open += 1;
            const close = (result) => {
                cover.remove();
                this.open -= 1;
                resolve(result);
                if (this.open === 0) {
                    this.onLastClosed();
                }
            };
            frame.close.addEventListener('click', () => close(dismissed));
            // Escape closes as the close box does; Enter presses the dialog's default button
            // (a dialog without one closes).
            frame.root.addEventListener('keydown', (event) => {
                if (event.key === 'Escape') {
                    close(dismissed);
                } else if (event.key === 'Enter' && !event.isComposing &&
                           !event.target.matches('button, select')) {
                    event.preventDefault();
                    const ok = frame.client.querySelector('[data-role="ok"]');
                    ok ? ok.click() : close(dismissed);
                }
            });
            build(frame, close);
            frame.root.querySelector('button:not(.close), select, input')?.focus({preventScroll: true});
        });
    }
}

function lineHeight(layout) {
    return Math.round(layout.fontPixels * 1.25);
}

export function message(modals, app, text, caption) {
    const layout = app.messageBox(caption);
    return modals.show(layout, (frame, close) => {
        for (const control of layout.controls) {
            if (control.role === 'ok') {
                const ok = button(control);
                ok.addEventListener('click', () => close());
                frame.client.append(ok);
            } else {
                frame.client.append(staticItem({...control, text}));
            }
        }
    });
}

export async function messages(modals, app, all) {
    for (const shown of all ?? []) {
        await message(modals, app, shown.text, shown.caption);
    }
}

// The station picker; resolves true for "선택".
export function picker(modals, app, groups, opened) {
    const layout = opened.dialog;
    return modals.show(layout, (frame, close) => {
        for (const control of layout.controls) {
            if (control.role === 'group') {
                const list = dropdown(control, groups[control.group],
                    opened.shownRows[control.group]);
                list.dataset.group = control.group;
                list.addEventListener('change', () => app.pick(control.group, list.selectedIndex));
                frame.client.append(list);
            } else if (control.role === 'endLabel') {
                const label = button(control);
                label.classList.add('label');
                label.tabIndex = -1;
                frame.client.append(label);
            } else if (control.kind === 'button') {
                const choice = button(control);
                choice.addEventListener('click', () => close(control.role === 'ok'));
                frame.client.append(choice);
            } else {
                frame.client.append(staticItem(control));
            }
        }
    }, false);
}

export function options(modals, app, opened) {
    const layout = opened.dialog;
    return modals.show(layout, (frame, close) => {
        for (const control of layout.controls) {
            if (control.role === 'list') {
                const list = dropdown(control, opened.entries, opened.selection);
                list.addEventListener('change', () => app.optionsSelect(list.selectedIndex));
                frame.client.append(list);
            } else if (control.kind === 'button') {
                const choice = button(control);
                choice.addEventListener('click', () => close(control.role === 'ok'));
                frame.client.append(choice);
            } else {
                frame.client.append(staticItem(control));
            }
        }
    }, false);
}

// "날짜 선택": the period's days in one list. Resolves with the chosen row, -1 when cancelled.
export function datePicker(modals, opened) {
    const layout = opened.dialog;
    return modals.show(layout, (frame, close) => {
        let list = null;
        for (const control of layout.controls) {
            if (control.role === 'list') {
                list = place(element('select', 'control days'), control.rect);
                list.size = Math.max(2, opened.days.length);
                for (const day of opened.days) {
                    list.append(element('option', '', day));
                }
                list.selectedIndex = opened.startRow;
                list.addEventListener('dblclick', () => close(list.selectedIndex));
                list.addEventListener('keydown', (event) => {
                    if (event.key === 'Enter' && !event.isComposing) {
                        event.preventDefault();
                        close(list.selectedIndex);
                    }
                });
                frame.client.append(list);
            } else if (control.kind === 'button') {
                const choice = button(control);
                choice.addEventListener('click',
                    () => close(control.role === 'ok' ? list.selectedIndex : -1));
                frame.client.append(choice);
            }
        }
        list?.options[opened.startRow]?.scrollIntoView({block: 'center'});
    }, -1);
}

export function detail(modals, shown) {
    const layout = shown.dialog;
    return modals.show(layout, (frame) => {
        const list = findRole(layout.controls, 'list');
        const rows = shown.stops.map((stop) => [stop.station, stop.time]);
        const node = reportList(list, layout.list, rows);
        node.classList.add('stops');
        frame.client.append(node);
    });
}

export function about(modals, shown) {
    const layout = shown.dialog;
    return modals.show(layout, (frame, close) => {
        for (const control of layout.controls) {
            if (control.role === 'ok') {
                const ok = button(control);
                ok.addEventListener('click', () => close());
                frame.client.append(ok);
            } else if (control.role === 'source') {
                frame.client.append(place(element('pre', 'control source', shown.source),
                    control.rect));
            } else {
                frame.client.append(staticItem(control));
            }
        }
    });
}

// The favourites dialog; resolves when it closes (the caller asks the core what it chose).
export function favorites(modals, app, core, groups, opened) {
    const layout = opened.dialog;
    return modals.show(layout, (frame, close) => {
        const fields = {};
        let listNode = null;
        const listControl = findRole(layout.controls, 'list');
        const showRows = (view) => {
            const rows = view.rows.map((pair) => [pair.departure, pair.arrival]);
            const node = reportList(listControl, layout.list, rows, (row, index) => {
                const box = element('input');
                box.type = 'checkbox';
                box.checked = view.checks[index];
                box.addEventListener('change', () => app.favoritesCheck(index, box.checked));
                row.prepend(box);
                row.classList.toggle('chosen', view.chosen === index);
                row.addEventListener('click', (event) => {
                    if (event.target !== box) {
                        showRows(app.favoritesClick(index));
                    }
                });
            });
            listNode ? listNode.replaceWith(node) : frame.client.append(node);
            listNode = node;
        };
        const showTexts = (view) => {
            fields.departure.value = view.departure;
            fields.arrival.value = view.arrival;
        };
        const after = async (view) => {
            showRows(view);
            await messages(modals, app, view.messages);
        };
        const find = async (departure) => {
            const chosen = await picker(modals, app, groups, app.openPicker(departure, true));
            const view = app.closePickerOnFavorites(chosen);
            showTexts(view);
            await after(view);
        };
        const actions = {
            findDeparture: () => find(true),
            findArrival: () => find(false),
            add: () => after(app.favoritesAdd(fields.departure.value, fields.arrival.value)),
            delete: () => after(app.favoritesDelete()),
            ok: () => close({accepted: true, ...texts()}),
            cancel: () => close({accepted: false, ...texts()}),
        };
        const texts = () => ({departure: fields.departure.value, arrival: fields.arrival.value});
        for (const control of layout.controls) {
            if (control.role === 'departure' || control.role === 'arrival') {
                const field = edit(control, opened[control.role]);
                fields[control.role] = field;
                frame.client.append(field);
                attachCompletion(field, core, lineHeight(layout));
            } else if (control.kind === 'button') {
                const action = button(control);
                action.addEventListener('click', actions[control.role]);
                frame.client.append(action);
            } else if (control.role !== 'list') {
                frame.client.append(staticItem(control));
            }
        }
        showRows(opened);
        messages(modals, app, opened.messages);
    }, {accepted: false, departure: '', arrival: ''});
}
