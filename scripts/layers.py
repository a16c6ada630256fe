#!/usr/bin/env python3
"""Checks the layout of src/ against the layers it is meant to have.

    python3 scripts/layers.py

Fails (exit status 1, one line per problem) when
  - a folder of src/ includes a header of a folder that is not below it in LAYERS,
    or a header by a relative path, or Qt outside the Qt folder;
  - a folder's library in src/FOLDER/CMakeLists.txt links other velomar libraries than
    the ones LAYERS allows it, or a folder of src/ is missing from LAYERS;
  - a source file is longer than MAX_FILE_LINES or a function longer than
    MAX_FUNCTION_LINES, outside the data tables listed below.
`make test` runs it (the CTest "source_layout").
"""

import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import code_figures  # noqa: E402  (same folder)

ROOT = code_figures.ROOT

# Each folder of src/ with the folders it may use. Arrows point down only: a folder never
# uses one that uses it, directly or through others.
LAYERS = {
    "platform": set(),
    "network": set(),
    "timetable": {"network", "platform"},
    "settings": {"platform"},
    "search": {"timetable", "network", "platform"},
    "travel": {"search", "timetable", "network", "platform"},
    "export": {"timetable", "network", "platform"},
    "import": {"timetable", "network", "platform"},
    "screens": {"search", "settings", "timetable", "network", "platform"},
    "cli": {"screens", "search", "travel", "export", "import", "settings", "timetable",
            "network", "platform"},
    "app": {"screens", "search", "settings", "timetable", "network", "platform"},
    "web": {"screens", "search", "settings", "timetable", "network", "platform"},
}
# The only folder that may include Qt.
QT_FOLDER = "app"
# The library each folder builds; the rest are velomar_FOLDER.
LIBRARY_NAMES = {"app": "velomar_ui"}

MAX_FILE_LINES = 350
MAX_FUNCTION_LINES = 60
# Tables of data, long by nature.
DATA_TABLES = {
    "src/network/route_table_data.cpp",
    "src/network/station_directory_data.cpp",
    "src/screens/dialog_template.cpp",
}
# Longer than the limits today and being split; an entry that fits again is reported so it
# can go.
WAITING_TO_BE_SPLIT = set()

_INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def library(folder):
    return LIBRARY_NAMES.get(folder, "velomar_" + folder)


def cycle_in(layers):
    """A folder that reaches itself through the table, or None."""
    def reaches(start, folder, seen):
        for used in layers.get(folder, ()):
            if used == start or (used not in seen and reaches(start, used, seen | {used})):
                return True
        return False
    return next((f for f in layers if reaches(f, f, {f})), None)


def include_problems(path, folder):
    text = (ROOT / path).read_text(encoding="utf-8", errors="replace")
    for match in _INCLUDE.finditer(text):
        line = text.count("\n", 0, match.start()) + 1
        quoted, name = match.group(1) == '"', match.group(2)
        where = f"{path}:{line}"
        if not quoted:
            if re.match(r"Q[A-Za-z]*(/|$)", name) and folder != QT_FOLDER:
                yield f"{where}: includes Qt <{name}>; only src/{QT_FOLDER} may"
            continue
        if name.startswith("."):
            yield f'{where}: includes "{name}" by a relative path; name it from src/'
            continue
        used = name.split("/")[0] if "/" in name else None
        if used is None:
            yield f'{where}: includes "{name}" without its folder'
        elif used not in LAYERS:
            place = "a folder not among the layers" if (ROOT / "src" / used).is_dir() else \
                "outside src/"
            yield f'{where}: includes "{name}" from {place}'
        elif used != folder and used not in LAYERS[folder]:
            yield f'{where}: src/{folder} may not use src/{used} ("{name}")'


def link_problems(folder):
    cmake = ROOT / "src" / folder / "CMakeLists.txt"
    if not cmake.is_file():
        yield f"src/{folder}: no CMakeLists.txt"
        return
    text = re.sub(r"#.*", "", cmake.read_text(encoding="utf-8"))
    own = library(folder)
    linked = set()
    for call in re.finditer(r"target_link_libraries\s*\(\s*(\S+)([^)]*)\)", text):
        if call.group(1) == own:
            linked |= set(re.findall(r"\bvelomar_\w+", call.group(2)))
    linked.discard("velomar_warnings")
    # A layer of the table that has no folder yet has no library to link either.
    allowed = {library(f) for f in LAYERS[folder] if (ROOT / "src" / f).is_dir()}
    for name in sorted(linked - allowed):
        yield f"src/{folder}/CMakeLists.txt: {own} links {name}, which the layers do not allow"
    for name in sorted(allowed - linked):
        yield f"src/{folder}/CMakeLists.txt: {own} does not link {name} that it may use"


def size_problems(path, notes, largest):
    key = path.as_posix()
    if key in DATA_TABLES:
        return
    lines = code_figures.line_count(path)
    lengths = [(last - first + 1, first, name) for name, first, last in code_figures.functions(path)]
    long_functions = [f for f in lengths if f[0] > MAX_FUNCTION_LINES]
    if key not in WAITING_TO_BE_SPLIT:
        largest["file"] = max(largest["file"], (lines, key))
        for length, first, name in lengths:
            largest["function"] = max(largest["function"], (length, f"{key}:{first} {name}"))
    if key in WAITING_TO_BE_SPLIT:
        if lines <= MAX_FILE_LINES and not long_functions:
            notes.append(f"{key}: within the limits now; take it off WAITING_TO_BE_SPLIT")
        return
    if lines > MAX_FILE_LINES:
        yield f"{key}: {lines} lines, more than {MAX_FILE_LINES}"
    for length, first, name in long_functions:
        yield f"{key}:{first}: {name} has {length} lines, more than {MAX_FUNCTION_LINES}"


def main():
    problems = []
    notes = []
    cycle = cycle_in(LAYERS)
    if cycle:
        problems.append(f"scripts/layers.py: src/{cycle} reaches itself through LAYERS")
    folders = sorted(p.name for p in (ROOT / "src").iterdir() if p.is_dir())
    for folder in folders:
        if folder not in LAYERS:
            problems.append(f"src/{folder}: not in LAYERS; give it its place among the layers")
            continue
        problems.extend(link_problems(folder))
    largest = {"file": (0, ""), "function": (0, "")}
    for path in code_figures.source_files(["src"]):
        folder = path.parts[1]
        if folder in LAYERS:
            problems.extend(include_problems(path, folder))
            problems.extend(size_problems(path, notes, largest))
    for line in notes:
        print("note: " + line)
    for line in problems:
        print(line)
    if problems:
        print(f"{len(problems)} problem(s); the layers are drawn in docs/architecture.md")
        print("largest file the limits apply to: {1} ({0} lines)".format(*largest["file"]))
        print("longest function: {1} ({0} lines)".format(*largest["function"]))
        return 1
    print(f"layers: {len(folders)} folders, arrows down only; files and functions within limits")
    print("largest file the limits apply to: {1} ({0} lines)".format(*largest["file"]))
    print("longest function: {1} ({0} lines)".format(*largest["function"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
