#!/usr/bin/env python3
"""Writes the key tables of README.md from the help's list of keys.

The keys of Quorvel's windows are kept in one place,
src/resources/help/keys.txt: the program's help window (F1) shows them in
Russian, and this script puts them into README.md in English, between the
lines KEYS_BEGIN and KEYS_END below.

    scripts/readme-keys.py           rewrite README.md's tables
    scripts/readme-keys.py --check   exit 1 when README.md is not current (a test runs this)
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
KEYS = ROOT / "src/resources/help/keys.txt"
README = ROOT / "README.md"
KEYS_BEGIN = "<!-- keys: made by scripts/readme-keys.py from src/resources/help/keys.txt -->"
KEYS_END = "<!-- keys: end -->"
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


def english_keys(column):
    """The keys as code (`Ctrl+L`), separators kept; words in their English form."""
    if " ~ " in column:
        return column.split(" ~ ", 1)[1].strip()
    parts = SEPARATOR.split(column)
    return "".join(part if SEPARATOR.fullmatch(part) else f"`{part}`" for part in parts)


def tables(sections):
    lines = [KEYS_BEGIN]
    for title, rows in sections:
        lines += ["", f"### {title}", "", "| keys | what they do |", "|---|---|"]
        lines += [f"| {english_keys(keys)} | {text} |" for keys, text in rows]
    lines += ["", KEYS_END]
    return "\n".join(lines)


def current_readme(readme, made):
    begin, end = readme.find(KEYS_BEGIN), readme.find(KEYS_END)
    if begin < 0 or end < begin:
        sys.exit(f"README.md has no place for the key tables ({KEYS_BEGIN} ... {KEYS_END})")
    return readme[:begin] + made + readme[end + len(KEYS_END):]


def main():
    readme = README.read_text(encoding="utf-8")
    wanted = current_readme(readme, tables(read_sections(KEYS.read_text(encoding="utf-8"))))
    if "--check" in sys.argv[1:]:
        if wanted != readme:
            sys.exit("README.md's key tables differ from src/resources/help/keys.txt: run scripts/readme-keys.py")
        return
    if wanted != readme:
        README.write_text(wanted, encoding="utf-8")


if __name__ == "__main__":
    main()
