// Drawing the handheld's controls from the layouts the core sends. Every box is in handheld
// pixels; nothing here decides what a control does.

const svgNs = 'http://www.w3.org/2000/svg';

export function element(tag, className, text) {
    const node = document.createElement(tag);
    if (className) {
        node.className = className;
    }
    if (text !== undefined) {
        node.textContent = text;
    }
    return node;
}

export function place(node, rect) {
    node.style.left = `${rect.x}px`;
    node.style.top = `${rect.y}px`;
    node.style.width = `${rect.width}px`;
    node.style.height = `${rect.height}px`;
    return node;
}

// A bent arrow: up from the lower end, then across, the head pointing back or forward.
function arrow(direction) {
    const svg = document.createElementNS(svgNs, 'svg');
    svg.setAttribute('viewBox', '0 0 40 20');
    svg.setAttribute('aria-hidden', 'true');
    const path = document.createElementNS(svgNs, 'path');
    const shape = direction === 'back'
        ? 'M32 20 V6 H10 M4 6 L12 0 V12 Z'
        : 'M8 20 V6 H30 M36 6 L28 0 V12 Z';
    path.setAttribute('d', shape);
    path.setAttribute('fill', 'currentColor');
    path.setAttribute('stroke', 'currentColor');
    path.setAttribute('stroke-width', '3');
    svg.append(path);
    return svg;
}

// A button drawn as its tile, or a plain button with its template text.
export function button(control) {
    const node = element('button', 'control');
    node.type = 'button';
    node.dataset.role = control.role;
    const tile = control.tile;
    if (tile) {
        node.classList.add('tile');
        node.classList.toggle('grey', tile.grey);
        node.classList.toggle('black-ink', tile.blackInk);
        if (tile.arrow) {
            node.append(arrow(tile.arrow));
        }
        // As the tiles are drawn on the desktop: the lettering sized by the tile's height; never
        // below the page's smallest legible text.
        const lettering = element('span', '', tile.lettering);
        const size = Math.round(control.rect.height * (tile.arrow ? 0.3 : 0.55));
        lettering.style.fontSize = `max(${size}px, var(--min-text))`;
        node.append(lettering);
        node.setAttribute('aria-label', tile.lettering);
    } else {
        node.classList.add('plain');
        node.textContent = control.text;
    }
    node.disabled = !control.enabled;
    return place(node, control.rect);
}

export function dropdown(control, entries, selected) {
    const node = element('select', 'control');
    node.dataset.role = control.role;
    for (const entry of entries) {
        node.append(element('option', '', entry));
    }
    node.selectedIndex = selected;
    node.disabled = !control.enabled;
    return place(node, control.rect);
}

export function edit(control, text) {
    const node = element('input', 'control');
    node.type = 'text';
    node.dataset.role = control.role;
    node.value = text;
    node.autocomplete = 'off';
    node.spellcheck = false;
    node.setAttribute('autocapitalize', 'off');
    return place(node, control.rect);
}

export function staticItem(control) {
    if (control.kind === 'icon') {
        const icon = element('img', 'control');
        icon.src = 'icon-192.png';
        icon.alt = '';
        return place(icon, control.rect);
    }
    const node = element('div', `control static${control.kind === 'group' ? ' group-box' : ''}`,
        control.text);
    node.dataset.role = control.role;
    return place(node, control.rect);
}

// A report list: a header and rows of cells in fixed column widths. `rows` holds arrays of
// cell texts; `decorate(row, index)` may add to a row (a check box, a mark).
export function reportList(control, list, rows, decorate) {
    const node = place(element('div', 'control list'), control.rect);
    node.dataset.role = control.role;
    node.setAttribute('role', 'grid');
    fillList(node, list, rows, decorate);
    return node;
}

// The list's header and rows again, in the same element (it keeps its place and focus).
export function fillList(node, list, rows, decorate) {
    const line = (cells, className, height) => {
        const row = element('div', `row ${className}`);
        row.style.height = row.style.lineHeight = `${height}px`;
        cells.forEach((text, column) => {
            const cell = element('span', '', text);
            cell.style.width = `${list.widths[column] ?? 0}px`;
            row.append(cell);
        });
        return row;
    };
    const lines = list.widths.length > 0 ? [line(list.headers, 'head', list.headerHeight)] : [];
    rows.forEach((cells, index) => {
        const row = line(list.widths.length > 0 ? cells : [], 'item', list.rowHeight);
        row.dataset.index = index;
        row.setAttribute('role', 'row');
        if (decorate) {
            decorate(row, index);
        }
        lines.push(row);
    });
    node.replaceChildren(...lines);
    node.scrollTop = 0;
}

function closeIcon() {
    const svg = document.createElementNS(svgNs, 'svg');
    svg.setAttribute('viewBox', '0 0 10 10');
    svg.setAttribute('aria-hidden', 'true');
    const path = document.createElementNS(svgNs, 'path');
    path.setAttribute('d', 'M1 1 L9 9 M9 1 L1 9');
    path.setAttribute('stroke', 'currentColor');
    path.setAttribute('stroke-width', '1.6');
    svg.append(path);
    return svg;
}

// A dialog's frame: the caption strip with its title and close box, and the client area.
export function dialogFrame(dialog) {
    const root = place(element('div', 'dialog'), dialog.frame);
    root.setAttribute('role', 'dialog');
    root.setAttribute('aria-label', dialog.caption);
    root.style.fontSize = `${dialog.fontPixels}px`;
    const caption = element('div', 'caption');
    caption.style.height = `${dialog.captionHeight}px`;
    caption.style.fontSize = `${dialog.captionFontPixels}px`;
    caption.append(element('span', '', dialog.caption));
    const close = element('button', 'close');
    close.type = 'button';
    close.setAttribute('aria-label', '닫기');
    close.append(closeIcon());
    caption.append(close);
    const client = element('div', 'client');
    client.style.top = `${dialog.captionHeight}px`;
    client.style.height = `${dialog.frame.height - dialog.captionHeight}px`;
    root.append(caption, client);
    return {root, client, close};
}

export function findRole(controls, role) {
    return controls.find((control) => control.role === role);
}
