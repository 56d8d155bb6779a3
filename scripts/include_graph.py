#!/usr/bin/env python3
"""Draws the folder include graph of src/ and checks the layering.

A folder is src/<name> (src/platform/<sub> counts as platform). Prints each folder's outgoing
edges, then fails (exit 1) on a cycle of three or more folders, on more than one pair of folders
that include each other, on more than one pair of files in different folders that do, on more
than one include running up the layers below, on a folder missing from them, or on an OpenGL,
EGL or SDL header included outside the platform's sub-folders.
Usage: scripts/include_graph.py [--dot]   (run from anywhere; --dot prints Graphviz instead)
"""
import itertools
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
# The layers, lowest first (README, "Layout"); a folder includes only its own layer and below.
LAYERS = [["math", "files"], ["platform"], ["picture"], ["device"], ["render"], ["scene"],
          ["skin", "effects"], ["modelfile"], ["export", "import", "viewer"], ["app"]]
LEVEL = {name: level for level, names in enumerate(LAYERS) for name in names}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# OpenGL, EGL and SDL stay in the platform's sub-folders (its backends).
BACKEND = re.compile(r'^\s*#\s*include\s+<(SDL|EGL/|GL/)', re.M)


def folder_of(rel):
    return rel.split("/", 1)[0]


BACKEND_OUTSIDE = []


def read_files():
    files = {}
    for dirpath, _, names in os.walk(ROOT):
        for name in names:
            if name.endswith((".h", ".cpp")):
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, ROOT).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                files[rel] = INCLUDE.findall(text)
                if BACKEND.search(text) and not re.match(r"platform/[a-z_]+/", rel):
                    BACKEND_OUTSIDE.append(rel)
    return files


def file_edges(files):
    """File -> included files, the .cpp and its .h taken as one unit (the header's name)."""
    def unit(rel):
        return rel[:-4] + ".h" if rel.endswith(".cpp") else rel

    edges = {}
    for rel, incs in files.items():
        for inc in incs:
            if inc in files and unit(inc) != unit(rel):
                edges.setdefault(unit(rel), set()).add(unit(inc))
    return edges


def find_cycles(graph):
    """Strongly connected components of more than one node (Tarjan)."""
    index, low, stack, on, out = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in graph.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            comp = []
            while True:
                w = stack.pop()
                on.discard(w)
                comp.append(w)
                if w == v:
                    break
            if len(comp) > 1:
                out.append(sorted(comp))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return out


def main():
    files = read_files()
    folders = {}
    for rel, incs in files.items():
        src = folder_of(rel)
        folders.setdefault(src, set())
        for inc in incs:
            if inc in files and folder_of(inc) != src:
                folders[src].add(folder_of(inc))

    if "--dot" in sys.argv:
        print("digraph includes {")
        for src in sorted(folders):
            for dst in sorted(folders[src]):
                print(f'  "{src}" -> "{dst}";')
        print("}")
        return 0

    for src in sorted(folders):
        print(f"{src:10} -> {', '.join(sorted(folders[src])) or '-'}")

    folder_pairs = [(a, b) for a, b in itertools.combinations(sorted(folders), 2)
                    if b in folders[a] and a in folders[b]]
    edges = file_edges(files)
    file_pairs = [(a, b) for a, b in itertools.combinations(sorted(edges), 2)
                  if folder_of(a) != folder_of(b) and b in edges[a] and a in edges.get(b, ())]
    cycles = [c for c in find_cycles(folders) if len(c) > 2]
    unknown = sorted(f for f in folders if f not in LEVEL)
    upward = sorted(f"{a} -> {b}" for a in folders for b in folders[a]
                    if a in LEVEL and b in LEVEL and LEVEL[b] > LEVEL[a])

    print(f"folder pairs that include each other: {folder_pairs or 'none'}")
    print(f"file pairs across folders that include each other: {file_pairs or 'none'}")
    print(f"folder cycles of three or more: {cycles or 'none'}")
    print(f"includes running up the layers: {upward or 'none'}")
    print(f"folders outside the layers: {unknown or 'none'}")
    print(f"OpenGL, EGL or SDL outside the platform's sub-folders: {BACKEND_OUTSIDE or 'none'}")
    # The one pair allowed is also the one upward include allowed (mesh.h says why).
    ok = (not cycles and len(folder_pairs) <= 1 and len(file_pairs) <= 1 and len(upward) <= 1
          and not unknown and not BACKEND_OUTSIDE)
    print("include graph: " + ("ok" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
