#!/usr/bin/env python3
"""Fails when a folder of src/ includes a header of a folder it may not use.

Reads every #include "FOLDER/..." line of the sources under src/ (or the
directory given) and checks it against the one graph below: a layer uses
itself and the layers it names, nothing above. The build links each layer
only to the one below; this catches the include that would compile anyway
(a header-only call, a template, an inline function).

    scripts/check-layers.py [SRCDIR]
    scripts/check-layers.py --self-test   the check itself, on a planted tree

Prints every forbidden include as FILE:LINE: FOLDER may not include TARGET,
and exits with 1 when there is one.
"""
import pathlib
import re
import sys
import tempfile

# What each top folder of src/ may include besides itself.
ALLOWED = {
    "core": set(),
    "msgbase": {"core"},
    "model": {"msgbase", "core"},
    "text": {"model", "msgbase", "core"},
    "settings": {"core"},
    "nodelist": {"core"},
    "tools": {"text", "model", "msgbase", "core", "settings", "nodelist"},
    "ui": {"text", "model", "msgbase", "core", "settings", "nodelist"},
    "resources": set(),
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}


def forbidden_includes(src):
    """Yields (file, line number, folder, included folder) of each bad include."""
    for path in sorted(src.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        folder = path.relative_to(src).parts[0]
        allowed = ALLOWED.get(folder)
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1)
            if target == folder:
                continue
            if allowed is None or target not in allowed:
                yield path, number, folder, target


def self_test():
    """The check finds what it must on a small planted tree, and only that."""
    plants = {
        "model/Fine.h": '#include "msgbase/MsgBase.h"\n#include "model/TArea.h"\n#include <QString>\n',
        "model/Upwards.cpp": '// #include "ui/Commented.h" is no include\n#include "text/Reflow.h"\n',
        "core/Sideways.h": '#  include "settings/QtText.h"\n',
        "ui/AreaF/Deep.cpp": '#include "ui/Dialogs.h"\n#include "settings/QtText.h"\n#include "../core/Startup.h"\n',
        "tools/Fine.cpp": '#include "settings/IniSettingsStore.h"\n#include "text/Reflow.h"\n',
        "stray/Any.cpp": '#include "core/Startup.h"\n',
    }
    expected = [
        ("core/Sideways.h", 1, "core", "settings"),
        ("model/Upwards.cpp", 2, "model", "text"),
        ("stray/Any.cpp", 1, "stray", "core"),
        ("ui/AreaF/Deep.cpp", 3, "ui", ".."),
    ]
    with tempfile.TemporaryDirectory() as scratch:
        src = pathlib.Path(scratch)
        for name, text in plants.items():
            (src / name).parent.mkdir(parents=True, exist_ok=True)
            (src / name).write_text(text, encoding="utf-8")
        found = [(str(path.relative_to(src)), number, folder, target)
                 for path, number, folder, target in forbidden_includes(src)]
    if found != expected:
        print(f"self-test: found {found}, expected {expected}")
        return 1
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = pathlib.Path(__file__).resolve().parent.parent
    src = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root / "src"
    if not src.is_dir():
        print(f"{src}: no such directory", file=sys.stderr)
        return 2
    bad = list(forbidden_includes(src))
    for path, number, folder, target in bad:
        where = path.relative_to(src)
        if folder not in ALLOWED:
            print(f"{where}:{number}: the folder {folder} has no place in the layers (scripts/check-layers.py)")
        else:
            print(f"{where}:{number}: {folder} may not include {target}/")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
