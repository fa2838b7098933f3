#!/usr/bin/env python3
"""Checks that includes go one way: no two modules (a .h with its .cpp and
platform files) and no two folders include each other, directly or round a
longer loop.  Prints the files and lines, the largest files and every loop;
exits 1 when there is one.  scripts/include-ties.py [FOLDER]"""
import collections
import os
import re
import subprocess
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
files = subprocess.check_output(["git", "ls-files", "*.cpp", "*.h"], cwd=root, text=True).split()
by_name = collections.defaultdict(list)
for f in files:
    by_name[os.path.basename(f)].append(f)


def target(including, name):
    """The file an #include "name" of `including` reaches: its own folder's first."""
    candidates = by_name.get(os.path.basename(name), [])
    same = [c for c in candidates if os.path.dirname(c) == os.path.dirname(including)]
    if same:
        return same[0]
    return candidates[0] if len(candidates) == 1 else None


def module(f):
    return re.sub(r"(-posix|-win32)?\.(h|cpp)$", "", f)


lines = {}
modules = collections.defaultdict(set)
folders = collections.defaultdict(set)
for f in files:
    text = open(os.path.join(root, f), encoding="utf-8").read()
    lines[f] = text.count("\n")
    for name in re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, re.M):
        t = target(f, name)
        if t and module(t) != module(f):
            modules[module(f)].add(module(t))
        if t and os.path.dirname(t) != os.path.dirname(f):
            folders[os.path.dirname(f)].add(os.path.dirname(t))


def loops(edges):
    """The strongly connected groups of more than one node (Tarjan)."""
    index, low, stack, on, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


print(f"{len(files)} files, {sum(lines.values())} lines")
print("largest:", ", ".join(f"{f} {n}" for n, f in sorted(((n, f) for f, n in lines.items()), reverse=True)[:5]))
ties = loops(modules) + loops(folders)
for group in ties:
    print("includes each other:", " <-> ".join(group))
sys.exit(1 if ties else 0)
