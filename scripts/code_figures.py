#!/usr/bin/env python3
"""The largest source files and the longest functions of the tree.

    python3 scripts/code_figures.py [--top N] [--under DIR ...]

A file's size is its number of lines. A function's length runs from the first line of its
signature to the line of its closing brace; lambdas count with the function around them.
Functions are found by a small scanner, not a compiler: comments, strings and preprocessor
lines are skipped, and a brace block counts as a function when the text before it ends like
a parameter list (")", "const", "override", ...). Good enough for this code base's style.
"""

import argparse
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SOURCE_SUFFIXES = (".cpp", ".h")
DEFAULT_FOLDERS = ("src", "tests", "tools", "bench", "fuzz")

_FUNCTION_END = re.compile(
    r"\)\s*(?:const|override|final|noexcept|mutable|&|&&|->\s*[\w:<>,\s*&]+?|\s)*$")
# A constructor whose initialiser list ends with a braced member: ") : m_a(a), m_b{b}".
_INITIALISERS_END = re.compile(r"\)\s*:\s*[\w:]+\s*[({].*[)}]\s*$", re.S)
_SCOPE_WORD = re.compile(r"\b(namespace|class|struct|union|enum)\b|\bextern\s*$")


def source_files(folders=DEFAULT_FOLDERS):
    """C++ sources below the folders, as paths relative to the root."""
    paths = [p for f in folders for p in (ROOT / f).rglob("*")
             if p.suffix in SOURCE_SUFFIXES and p.is_file()]
    return sorted(p.relative_to(ROOT) for p in paths)


def line_count(path):
    with open(ROOT / path, encoding="utf-8", errors="replace") as f:
        return sum(1 for _ in f)


def _blank_out(text):
    """The text with comments, string and character literals and preprocessor lines
    replaced by spaces; line breaks stay, so positions keep their line numbers."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            # A directive, with its continuation lines.
            while i < n and not (text[i] == "\n" and text[i - 1] != "\\"):
                out.append("\n" if text[i] == "\n" else " ")
                i += 1
            continue
        if c == "/" and text.startswith("//", i):
            while i < n and text[i] != "\n":
                out.append(" ")
                i += 1
            continue
        if c == "/" and text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.extend("\n" if ch == "\n" else " " for ch in text[i:end])
            i = end
            continue
        raw = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', text[i:i + 40])
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            end = text.find(")" + raw.group(1) + '"', i + raw.end())
            end = n if end < 0 else end + len(raw.group(1)) + 2
            out.extend("\n" if ch == "\n" else " " for ch in text[i:end])
            i = end
            continue
        if c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isdigit() and text[i + 1:i + 2].isalnum():
                out.append(" ")  # a digit separator: 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(" " * (min(j, n - 1) - i + 1))
            i = j + 1
            continue
        out.append(c)
        line_start = c == "\n" or (line_start and c in " \t")
        i += 1
    return "".join(out)


def _function_name(header):
    """The name before the parameter list; a test macro keeps its arguments."""
    match = re.search(r"([~\w:]+(?:operator\s*[^\s(]+)?)\s*\(", header)
    if not match:
        return "?"
    name = match.group(1)
    if name.startswith("TEST"):
        arguments = header[match.end():].split(")")[0]
        return f"{name}({' '.join(arguments.split())})"
    return name


def functions(path):
    """(name, first line, last line) of every function body in the file."""
    with open(ROOT / path, encoding="utf-8", errors="replace") as f:
        text = _blank_out(f.read())
    found = []
    stack = []  # kinds of the open blocks: "scope", "function" or "data"
    header_start = 0  # where the text before the next brace of this scope begins
    line = 1
    for i, c in enumerate(text):
        if c == "\n":
            line += 1
        in_function = "function" in stack
        if c == ";" and not in_function and (not stack or stack[-1] == "scope"):
            header_start = i + 1
        elif c == "{":
            if in_function or (stack and stack[-1] == "data"):
                stack.append("data")
                continue
            header = text[header_start:i]
            before_parameters = re.sub(r"operator\s*[^\s(]+\s*\(", "(", header).split("(")[0]
            if (_FUNCTION_END.search(header) or _INITIALISERS_END.search(header)) and \
                    "=" not in before_parameters:
                stripped = header.lstrip()
                first = line - stripped.count("\n")
                stack.append("function")
                found.append([_function_name(stripped), first, None])
            elif _SCOPE_WORD.search(header) and "(" not in header and "=" not in header:
                stack.append("scope")
                header_start = i + 1
            else:
                stack.append("data")
        elif c == "}":
            if not stack:
                continue
            kind = stack.pop()
            if kind == "function" and "function" not in stack:
                found[-1][2] = line
            if kind in ("function", "scope") and "function" not in stack:
                header_start = i + 1
    return [(name, first, last) for name, first, last in found if last is not None]


def _print_table(title, rows):
    print(title)
    for size, where in rows:
        print(f"  {size:5d}  {where}")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--top", type=int, default=10, help="how many of each (default 10)")
    parser.add_argument("--under", nargs="+", default=list(DEFAULT_FOLDERS),
                        help="folders to look in (default: %(default)s)")
    args = parser.parse_args(argv)
    files = source_files(args.under)
    sizes = sorted(((line_count(p), str(p)) for p in files), reverse=True)
    lengths = sorted(((last - first + 1, f"{p}:{first} {name}")
                      for p in files for name, first, last in functions(p)), reverse=True)
    _print_table(f"Largest files (lines), {len(files)} files:", sizes[:args.top])
    _print_table(f"Longest functions (lines), {len(lengths)} functions:", lengths[:args.top])
    return 0


if __name__ == "__main__":
    sys.exit(main())
