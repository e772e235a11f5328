#!/usr/bin/env python3
"""Writes the key tables of README.md and docs/quorvel.1.in from the help's
list of keys.

The keys of Quorvel's windows are kept in one place,
src/resources/help/keys.txt: the program's help window (F1) shows them in
Russian, and this script puts them, in English, into README.md (tables) and
into the KEYS section of the manual page, each between its two marker lines.

    scripts/readme-keys.py           rewrite both
    scripts/readme-keys.py --check   exit 1 when either is not current (a test runs this)
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
KEYS = ROOT / "src/resources/help/keys.txt"
MARK = "keys: made by scripts/readme-keys.py from src/resources/help/keys.txt"
SEPARATOR = re.compile(r"(, | / )")


def read_sections(text):
    """[(English title, [(keys column, English text)])] in the list's order."""
    sections = []
    for raw in text.splitlines():
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        columns = [column.strip() for column in line.lstrip("=").split("|")]
        if line.startswith("="):
            sections.append((columns[2], []))
        elif sections and len(columns) >= 3:
            sections[-1][1].append((columns[0], columns[2]))
    return sections


def keys_of(column, key, words):
    """The keys column in English: each key through key(), separators kept;
    a column of words through words()."""
    if " ~ " in column:
        return words(column.split(" ~ ", 1)[1].strip())
    return "".join(part if SEPARATOR.fullmatch(part) else key(part) for part in SEPARATOR.split(column))


def markdown(sections):
    lines = []
    for title, rows in sections:
        lines += ["", f"### {title}", "", "| keys | what they do |", "|---|---|"]
        lines += [f"| {keys_of(keys, lambda k: f'`{k}`', str)} | {text} |" for keys, text in rows]
    return lines + [""]


def man(sections):
    def escaped(text):
        return text.replace("\\", "\\e")

    def key(part):
        return "\\fB" + escaped(part).replace("-", "\\-") + "\\fR"

    lines = []
    for title, rows in sections:
        lines += [f'.SS "{title}"']
        for keys, text in rows:
            lines += [".TP", keys_of(keys, key, lambda w: "\\fI" + escaped(w) + "\\fR"), escaped(text)]
    return lines


# Each file: where the tables go, between a begin and an end line.
TARGETS = [
    (ROOT / "README.md", f"<!-- {MARK} -->", "<!-- keys: end -->", markdown),
    (ROOT / "docs/quorvel.1.in", f'.\\" {MARK}', '.\\" keys: end', man),
]


def current(text, begin, end, made):
    first, last = text.find(begin), text.find(end)
    if first < 0 or last < first:
        sys.exit(f"no place for the key tables ({begin} ... {end})")
    return text[: first + len(begin)] + "\n" + "\n".join(made) + "\n" + text[last:]


def main():
    sections = read_sections(KEYS.read_text(encoding="utf-8"))
    stale = []
    for path, begin, end, render in TARGETS:
        text = path.read_text(encoding="utf-8")
        wanted = current(text, begin, end, render(sections))
        if wanted == text:
            continue
        stale.append(path.relative_to(ROOT))
        if "--check" not in sys.argv[1:]:
            path.write_text(wanted, encoding="utf-8")
    if stale and "--check" in sys.argv[1:]:
        sys.exit(f"{', '.join(map(str, stale))}: the keys differ from {KEYS.relative_to(ROOT)}; "
                 "run scripts/readme-keys.py")


if __name__ == "__main__":
    main()
