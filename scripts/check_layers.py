#!/usr/bin/env python3
"""Checks the layering of the folders by their #include lines, and ends non-zero when a folder
includes a folder above it or beside it, or when the folders' includes go round in a circle.

The layers, top to bottom (a folder may include its own headers and those of the layers below):

    app, tools, bridge     the programs
    windows                the tool windows and dialogs; they implement the shell's interfaces
    shell                  the tray shell and its menu model
    checker, exchange      the update checker; the bookmark exchange
    browser                the browser link
    store                  the records and their files
    resources              menus, strings and icons as data
    platform               the thin layer over the OS

Folders of one layer do not include each other. tests/, bench/ and build folders are not checked:
they may include anything. A folder the table does not place fails the check until it is placed.

    python3 scripts/check_layers.py [ROOT]
"""

import pathlib
import re
import sys

LAYERS = [
    ["platform"],
    ["resources"],
    ["store"],
    ["browser"],
    ["checker", "exchange"],
    ["shell"],
    ["windows"],
    ["app", "tools", "bridge"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
UNCHECKED = {"tests", "bench", "docs", "cmake", "scripts"}

# Includes known to break the layering, each with the reason it stays for now:
# (including folder, included folder).
KNOWN_EXCEPTIONS = set()

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}


def source_files(root):
    for path in sorted(root.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        top = path.relative_to(root).parts[0]
        if top in UNCHECKED or top.startswith(("build", ".")):
            continue
        yield top, path


def folder_includes(root):
    """{(from, to): first 'file:line' where `from` includes a header of `to`}."""
    edges = {}
    for top, path in source_files(root):
        with open(path, encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if match and match.group(1) != top and (root / match.group(1)).is_dir():
                    edges.setdefault((top, match.group(1)), f"{path.relative_to(root)}:{number}")
    return edges


def layer_faults(edges):
    faults = []
    for (source, target), where in sorted(edges.items()):
        if (source, target) in KNOWN_EXCEPTIONS:
            continue
        for folder in (source, target):
            if folder not in RANK:
                faults.append(f"{where}: folder {folder}/ has no layer in scripts/check_layers.py")
        if source in RANK and target in RANK and RANK[target] >= RANK[source]:
            side = "above" if RANK[target] > RANK[source] else "beside"
            faults.append(f"{where}: {source}/ includes {target}/, which is {side} it")
    return faults


def circles(edges):
    """Each include circle between folders once, as a list of folders."""
    graph = {}
    for source, target in edges:
        graph.setdefault(source, set()).add(target)
    found, seen = [], set()

    def walk(folder, path):
        for following in sorted(graph.get(folder, ())):
            if following in path:
                circle = path[path.index(following):]
                key = frozenset(circle)
                if key not in seen:
                    seen.add(key)
                    found.append(circle + [following])
            else:
                walk(following, path + [following])

    for start in sorted(graph):
        walk(start, [start])
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    edges = folder_includes(root)
    faults = layer_faults(edges)
    faults += ["include circle: " + " -> ".join(circle) for circle in circles(edges)]
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        print(f"{len(faults)} layering faults; the layers are listed in scripts/check_layers.py", file=sys.stderr)
        return 1
    print(f"The includes between folders ({len(edges)} pairs) keep to the layers.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
