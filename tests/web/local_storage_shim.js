// node has no local storage: a small one in memory, with the two ways a browser says no,
// which the tests switch on: storage refused (SecurityError) and storage full
// (QuotaExceededError once the items would hold more than `room` characters).
// Plain old JavaScript: emscripten's optimiser passes over it.
if (typeof globalThis.localStorage === 'undefined') {
    (function () {
        var items = new Map();
        var control = {refuse: false, room: Infinity};
        function refuse() {
            if (control.refuse) {
                throw new Error('SecurityError');
            }
        }
        globalThis.velomarStorageControl = control;
        globalThis.localStorage = {
            getItem: function (name) {
                refuse();
                return items.has(name) ? items.get(name) : null;
            },
            setItem: function (name, value) {
                refuse();
                var size = name.length + String(value).length;
                items.forEach(function (text, other) {
                    size += other === name ? 0 : other.length + text.length;
                });
                if (size > control.room) {
                    throw new Error('QuotaExceededError');
                }
                items.set(name, String(value));
            },
            removeItem: function (name) {
                refuse();
                items.delete(name);
            },
            clear: function () {
                refuse();
                items.clear();
            },
            key: function (index) {
                var names = Array.from(items.keys());
                return index < names.length ? names[index] : null;
            },
        };
        Object.defineProperty(globalThis.localStorage, 'length', {
            get: function () {
                return items.size;
            },
        });
    })();
}
