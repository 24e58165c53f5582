#!/usr/bin/env python3
"""Every product source includes only headers of its own target and of the
targets that target depends on, as the build declares them.

  check-includes.py LAYERS ROOT

LAYERS is written by the build (tests/tools/CMakeLists.txt): for each target
of the product folders its folder, its sources and the libraries it links.
An include "x/y.h" belongs to the target that compiles x/y.cpp, or, for a
header without a source, to the folder's targets that every other target
of that folder builds on. Fails closed: a LAYERS file without targets, an
unreadable source, or an include of a target outside the including target's
dependencies fails the check.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
NAME = re.compile(r"[A-Za-z0-9_.+-]+")


def read_layers(path):
    targets = {}  # name -> {"dir", "sources", "links"}
    current = None
    with open(path, encoding="utf-8") as f:
        for line in f:
            kind, _, value = line.rstrip("\n").partition(" ")
            if kind == "target":
                name, _, folder = value.partition(" ")
                current = targets.setdefault(name, {"dir": folder, "sources": set(), "links": []})
            elif kind == "source" and current is not None:
                current["sources"].add(os.path.normpath(value))
            elif kind == "link" and current is not None:
                current["links"].append(value)
    return targets


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    layers, root = sys.argv[1], os.path.abspath(sys.argv[2])
    targets = read_layers(layers)
    if not targets:
        print(f"includes: no targets in {layers}")
        return 1

    # Direct dependencies among our own targets; generator expressions and
    # system libraries name no target of ours and drop out.
    deps = {}
    for name, t in targets.items():
        deps[name] = set()
        for link in t["links"]:
            for word in NAME.findall(link):
                if word in targets and word != name:
                    deps[name].add(word)

    closure = {}

    def below(name, seen=()):
        if name in closure:
            return closure[name]
        out = set()
        for d in deps[name]:
            if d not in seen:
                out |= {d} | below(d, seen + (name,))
        closure[name] = out
        return out

    for name in targets:
        below(name)

    # Owner of each source file; a file several targets compile is held to
    # what every one of them may reach.
    owners = {}
    for name, t in targets.items():
        for s in t["sources"]:
            owners.setdefault(os.path.relpath(s, root), set()).add(name)

    by_folder = {}
    for name, t in targets.items():
        by_folder.setdefault(t["dir"], set()).add(name)

    def folder_base(folder):
        # The targets of a folder that the folder's other targets build on
        # (ui for ui/ and ui_qt); with none such, all of them must agree.
        names = by_folder.get(folder, set())
        base = {n for n in names if all(n == m or n in closure[m] for m in names)}
        return base or names

    def owner_of(rel):
        if rel in owners:
            return owners[rel]
        stem, ext = os.path.splitext(rel)
        for e in (".cpp", ".c"):
            if stem + e in owners:
                return owners[stem + e]
        folder = os.path.dirname(rel)
        while folder and folder not in by_folder:
            folder = os.path.dirname(folder)
        return folder_base(folder) if folder else set()

    checked = 0
    problems = []
    product = sorted({t["dir"] for t in targets.values()}, key=len, reverse=True)
    for folder in sorted(by_folder):
        base = os.path.join(root, folder)
        for entry in sorted(os.listdir(base)):
            if not entry.endswith((".cpp", ".c", ".h")):
                continue
            rel = os.path.join(folder, entry)
            who = owner_of(rel)
            if not who:
                continue
            try:
                with open(os.path.join(root, rel), encoding="utf-8") as f:
                    lines = f.readlines()
            except OSError as e:
                problems.append(f"{rel}: cannot be read: {e}")
                continue
            checked += 1
            for number, line in enumerate(lines, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                inc = os.path.normpath(m.group(1))
                if not os.path.exists(os.path.join(root, inc)):
                    continue  # generated, or beside the file: not a folder of ours
                if not any(inc.startswith(p + "/") for p in product):
                    continue
                theirs = owner_of(inc)
                for mine in who:
                    allowed = {mine} | closure[mine]
                    if theirs and not (theirs & allowed):
                        problems.append(
                            f"{rel}:{number}: includes {inc} of {'/'.join(sorted(theirs))}, "
                            f"which {mine} does not depend on")
    if checked == 0:
        print("includes: no product source was checked")
        return 1
    if problems:
        print("includes that go against the targets' dependencies:")
        for p in problems:
            print("  " + p)
        return 1
    print(f"includes: {checked} sources include only what their targets depend on")
    return 0


if __name__ == "__main__":
    sys.exit(main())
