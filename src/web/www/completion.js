// The list of matching stations under a station field while the user types: the names are
// the core's (StationCompletions); picking one puts it into the field.

import {element} from './draw.js';

export function attachCompletion(input, core, lineHeight, onEnter) {
    let list = null;
    const hide = () => {
        list?.remove();
        list = null;
    };
    const show = () => {
        hide();
        const names = core.completions(input.value);
        if (!Array.isArray(names) || names.length === 0) {
            return;
        }
        list = element('div', 'completions');
        list.setAttribute('role', 'listbox');
        const top = input.offsetTop + input.offsetHeight;
        const room = input.offsetParent ? input.offsetParent.clientHeight - top : Infinity;
        list.style.left = `${input.offsetLeft}px`;
        list.style.top = `${top}px`;
        list.style.minWidth = `${input.offsetWidth}px`;
        list.style.maxHeight = `${Math.max(lineHeight, room)}px`;
        list.style.overflowY = 'auto';
        for (const name of names) {
            const option = element('button', '', name);
            option.type = 'button';
            option.setAttribute('role', 'option');
            option.style.height = `${lineHeight}px`;
            option.style.flex = 'none';
            // Before the field loses the focus, so the list is still there to be tapped.
            option.addEventListener('pointerdown', (event) => {
                event.preventDefault();
                input.value = name;
                hide();
            });
            list.append(option);
        }
        input.after(list);
    };
    input.addEventListener('input', show);
    input.addEventListener('blur', hide);
    input.addEventListener('keydown', (event) => {
        if (event.key === 'Escape') {
            hide();
        } else if (event.key === 'Enter' && !event.isComposing) {
            hide();
            onEnter?.();
        }
    });
    return {hide};
}
