#!/usr/bin/env python3
"""Checks every #include "..." under src/ against the layer table (docs/ARCHITECTURE.md).

    scripts/check-layers.py [REPOSITORY]

Prints each include that points up or across the layers and exits with 1 when there is one.
The build runs it (target check-layers) and so does the test "layers"."""
import os
import re
import sys

FEATURES = ("config", "firmware", "operate", "settings", "maintenance")
INCLUDE = re.compile(r'\s*#\s*include\s+"([^"]+)"')


def unit(path):
    """The layer unit of a path under src/: ("model",), ("feature", "config"),
    ("page", "config"), ... or None for files that belong to no layer (resources)."""
    parts = path.split("/")
    if len(parts) < 3 or parts[0] != "src":
        return None
    top = parts[1]
    sub_ui = len(parts) > 3 and parts[2] == "ui"
    if top == "resources":
        return None  # the string and message tables every layer reads
    if top in FEATURES:
        return ("page", top) if sub_ui else ("feature", top)
    if top == "link":
        return ("page", "link") if sub_ui else ("link",)
    if top in ("platform", "model", "sim", "ui", "app", "cli"):
        return (top,)
    return ("service", top)  # the station server and any other service on the core


# What each kind of unit may include, besides its own unit.
BELOW_UI = {("platform",), ("model",), ("link",)}


def may_include(a, b):
    if b is None or a == b:
        return True
    kind, other = a[0], b[0]
    if kind == "platform":
        return other == "platform"
    if other == "platform":
        return True
    if kind == "model":
        return False
    if kind == "link":
        return other == "model"
    if kind == "feature":
        return b in BELOW_UI
    if kind == "sim":
        return b in BELOW_UI or other == "feature"
    if kind == "ui":
        return b in BELOW_UI or other == "feature"
    if kind == "page":
        # a feature page: the shared widgets and its own feature, never another feature's
        return b in BELOW_UI or other == "ui" or b == ("feature", a[1])
    if kind == "app":
        return other != "cli"
    if kind == "cli":
        return other not in ("app", "ui", "page")
    if kind == "service":
        return other not in ("app", "cli", "ui", "page")
    return False


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    os.chdir(root)
    breaches = []
    for folder, _, names in os.walk("src"):
        for name in sorted(names):
            if not name.endswith((".h", ".hpp", ".cpp", ".cc", ".inc")):
                continue
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    included = match.group(1)
                    target = "src/" + included
                    if not os.path.exists(target):
                        target = os.path.normpath(os.path.join(folder, included))
                        if not os.path.exists(target):
                            continue  # generated or from the system
                    if not may_include(unit(path), unit(target)):
                        breaches.append(f"{path}:{number}: includes {included}, which lies above or beside it")
    for breach in breaches:
        print(breach)
    print(f"{len(breaches)} includes against the layers")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
