#!/usr/bin/env python3
"""The include graph of app/: which folder takes what from which, and the circles.

A unit is a header with its source file (a.h and a.cpp). Unit A needs unit B when a file of A
includes B's header. The script prints, per folder, its lines and the folders it needs, then
every circle of units (two or more units that need each other, directly or around a loop), and
every include a folder's rule forbids (views never take the card's or the window's code; the
store takes only what ONLY_FROM lists). With --check it exits 1 when there is a circle or a
forbidden include, so that the tests keep the tree as it is drawn here.

Usage: include_graph.py [--check] [app folder]
"""
import os
import re
import sys

# Folders that draw, print, store or compute from a test's data: they read that data and
# never the card's code.
VIEWS = {"chart", "printing", "records", "results", "series", "testlog"}
FORBIDDEN_FOR_VIEWS = {"acquisition", "control", "shell", "headless"}
# Folders that may include only the folders listed: the store stands below every view.
ONLY_FROM = {"store": {"store", "settings", "common", "run"}}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def source_files(app):
    for folder, _, names in os.walk(app):
        for name in sorted(names):
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(folder, name), app)


def unit_of(path):
    return os.path.splitext(path)[0]


def resolve(including, written, known):
    """The app/ path an include names, or None for a header from outside app/."""
    beside = os.path.normpath(os.path.join(os.path.dirname(including), written))
    for candidate in (written, beside):
        if candidate in known:
            return candidate
    return None


def graph(app):
    files = list(source_files(app))
    known = set(files)
    needs = {unit_of(f): set() for f in files}
    lines = {}
    for path in files:
        with open(os.path.join(app, path), encoding="utf-8") as source:
            text = source.read()
        lines[path] = text.count("\n")
        for written in INCLUDE.findall(text):
            target = resolve(path, written, known)
            if target is not None and unit_of(target) != unit_of(path):
                needs[unit_of(path)].add(unit_of(target))
    return needs, lines


def circles(needs):
    """The strongly connected groups of more than one unit (Tarjan)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(unit):
        index[unit] = low[unit] = len(index)
        stack.append(unit)
        on_stack.add(unit)
        for other in sorted(needs.get(unit, ())):
            if other not in index:
                visit(other)
                low[unit] = min(low[unit], low[other])
            elif other in on_stack:
                low[unit] = min(low[unit], index[other])
        if low[unit] == index[unit]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == unit:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    sys.setrecursionlimit(10000)
    for unit in sorted(needs):
        if unit not in index:
            visit(unit)
    return groups


def folder_of(unit):
    return unit.split("/", 1)[0] if "/" in unit else "."


def main(argv):
    check = "--check" in argv
    rest = [a for a in argv if a != "--check"]
    app = rest[0] if rest else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app")
    needs, lines = graph(app)

    folders = sorted({folder_of(u) for u in needs})
    print("folder        lines  needs")
    for folder in folders:
        count = sum(n for path, n in lines.items() if folder_of(unit_of(path)) == folder)
        used = sorted({folder_of(t) for u, ts in needs.items() if folder_of(u) == folder
                       for t in ts} - {folder})
        print(f"{folder:<12} {count:>6}  {', '.join(used) if used else '-'}")
    print(f"{'all':<12} {sum(lines.values()):>6}")

    folder_needs = {}
    for unit, targets in needs.items():
        folder_needs.setdefault(folder_of(unit), set()).update(
            folder_of(t) for t in targets if folder_of(t) != folder_of(unit))
    print("folders that need each other: "
          + ("; ".join(" <-> ".join(g) for g in circles(folder_needs)) or "none"))

    found = circles(needs)
    print(f"\ncircles: {len(found)}")
    for group in found:
        print("  " + " <-> ".join(group))

    forbidden = sorted(
        f"{u} -> {t}" for u, ts in needs.items() for t in ts
        if folder_of(u) in VIEWS and folder_of(t) in FORBIDDEN_FOR_VIEWS)
    print(f"views taking the card's or the window's code: {len(forbidden)}")
    for line in forbidden:
        print("  " + line)

    outside = sorted(
        f"{u} -> {t}" for u, ts in needs.items() for t in ts
        if folder_of(u) in ONLY_FROM and folder_of(t) not in ONLY_FROM[folder_of(u)])
    print(f"includes outside a folder's allowed list: {len(outside)}")
    for line in outside:
        print("  " + line)
    return 1 if check and (found or forbidden or outside) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
