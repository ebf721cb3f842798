#!/usr/bin/env python3
"""Fails on an include that goes up the program's layers or closes a cycle between folders.

The layers, lowest first: platform; shared state and resources (side by side, neither
includes the other); dialogs; tray (the main window, which opens the dialogs); win32. A file
may include its own folder and any lower layer. Tests, fuzzers and tools sit above all of them.
"""
import re
import subprocess
import sys

LAYERS = {"platform": 0, "state": 1, "resources": 1, "dialogs": 2, "tray": 3, "win32": 4}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def folder(path):
    top = path.split("/", 1)[0]
    return top if top in LAYERS else None


def main():
    files = subprocess.run(["git", "ls-files", "*.h", "*.cpp"], capture_output=True, text=True,
                           check=True).stdout.split()
    edges = {}
    problems = []
    for path in files:
        source = folder(path)
        if source is None:
            continue
        with open(path, encoding="utf-8") as text:
            for included in INCLUDE.findall(text.read()):
                target = folder(included)
                if target is None or target == source:
                    continue
                edges.setdefault(source, set()).add(target)
                if LAYERS[target] >= LAYERS[source]:
                    problems.append(f"{path}: includes {included}, which is not below {source}/")
    # A cycle needs an edge that is not downward, so the check above already rejects it; this
    # names the cycle as well, for whoever has to untangle it.
    def reaches(start, goal, seen):
        for nxt in edges.get(start, ()):
            if nxt == goal or (nxt not in seen and reaches(nxt, goal, seen | {nxt})):
                return True
        return False
    for start in sorted(edges):
        if reaches(start, start, {start}):
            problems.append(f"folder cycle through {start}/")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
