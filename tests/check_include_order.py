#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder that comes later in the
layer order: a folder may include only itself and the folders before it.

Usage: check_include_order.py SOURCE_ROOT
       check_include_order.py --self-test
"""

import os
import re
import sys
import tempfile

# The layer order. app/frame is a folder of its own, low in the order; the rest of app/
# comes after editor. imaging/pack belongs to imaging.
ORDER = [
    "platform", "document", "app/frame", "imaging", "drawing", "objects", "paper", "album",
    "library", "printing", "scanner", "editor", "app", "colormatch", "tools", "tests", "bench",
]
RANK = {folder: i for i, folder in enumerate(ORDER)}
# Folders whose files may include any header of the project.
UNCHECKED = {"tests", "bench"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def folder_of(relpath):
    """The layer a project path belongs to, or None when it is outside the layers."""
    parts = relpath.replace(os.sep, "/").split("/")
    if len(parts) >= 2 and parts[0] == "app" and parts[1] == "frame":
        return "app/frame"
    return parts[0] if parts[0] in RANK else None


def violations(root):
    found = []
    for top in ORDER:
        if top in UNCHECKED or top == "app/frame":
            continue  # app/ is walked once; its frame subfolder is told apart per file
        base = os.path.join(root, top)
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames.sort()
            for name in sorted(filenames):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, root)
                own = folder_of(rel)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = folder_of(m.group(1))
                        if target is None or not os.path.exists(os.path.join(root, m.group(1))):
                            continue  # a sibling, generated or outside header
                        if RANK[target] > RANK[own]:
                            found.append(f"{rel}:{number}: {own}/ includes \"{m.group(1)}\" "
                                         f"of the later folder {target}/")
    return found


def self_test():
    """Checks the checker on a small tree with known good and bad includes."""
    files = {
        "platform/Base.h": "",
        "document/Doc.h": '#include "platform/Base.h"\n',
        "app/frame/Frame.h": '#include "document/Doc.h"\n',
        "imaging/pack/Pack.h": '#include "app/frame/Frame.h"\n',
        "drawing/Draw.cpp": '#include "imaging/pack/Pack.h"\n#include <vector>\n',
        "app/Main.cpp": '#include "drawing/Draw.cpp"\n#include "ui_Main.h"\n',
        "tests/AnyTest.cpp": '#include "app/Main.cpp"\n',
        "bench/AnyBench.cpp": '#include "tools/Tool.h"\n',
        "tools/Tool.h": '#include "app/Main.cpp"\n',
        # The bad ones: upwards across the layers.
        "platform/Bad.cpp": '#include "document/Doc.h"\n',
        "app/frame/Bad.h": '  #  include "app/Main.cpp"\n',
        "imaging/Bad.h": '#include "tests/AnyTest.cpp"\n',
        "app/Bad.cpp": '#include "tools/Tool.h"\n',
    }
    with tempfile.TemporaryDirectory() as root:
        for rel, text in files.items():
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        found = sorted(v.split(":")[0] for v in violations(root))
    expected = sorted(["platform/Bad.cpp", "app/frame/Bad.h", "imaging/Bad.h", "app/Bad.cpp"])
    if found != expected:
        print(f"self-test: found {found}, expected {expected}")
        return 1
    return 0


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return self_test()
    if len(argv) != 2:
        print(__doc__.strip())
        return 2
    found = violations(argv[1])
    for v in found:
        print(v)
    if found:
        print(f"{len(found)} include(s) against the folder order")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
