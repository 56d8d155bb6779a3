#!/usr/bin/env python3
"""Runs two builds of `orix` over the same models and reports every output that differs.

usage: compare_outputs.py BEFORE_ORIX AFTER_ORIX RESULTS_DIR [MODEL...]
           [--res DIR] [--no-render]

Builds nothing. For the demo's models (RES/girl-t.bne with RES/girl.skn, RES/gland.bne, and
their ASE sources) and every MODEL given, each binary runs info, info --json, pose at the
first, middle and last frame with --vertices, convert (ASE sources only), export to .glb and
.gltf, and render FILE at the first, middle and last frame. Each binary runs in its own copy of
the same folder layout under RESULTS_DIR (before/, after/), so outputs that name a path name
the same one. Every stdout, stderr, exit status and written file is compared byte for byte
(render's stdout holds timings and is kept but not compared). Exit 1 when anything differs.
"""
import filecmp
import json
import os
import shutil
import subprocess
import sys

TIMEOUT_S = 300


def usage(message):
    sys.stderr.write("compare_outputs: %s\n%s" % (message, __doc__.split("\n\n")[1] + "\n"))
    sys.exit(2)


def parse_args(argv):
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "res")
    render = True
    positional = []
    i = 0
    while i < len(argv):
        a = argv[i]
        if a == "--res" and i + 1 < len(argv):
            res = argv[i + 1]
            i += 1
        elif a == "--no-render":
            render = False
        elif a.startswith("-"):
            usage("unknown option " + a)
        else:
            positional.append(a)
        i += 1
    if len(positional) < 3:
        usage("needs two orix binaries and a results folder")
    return positional[0], positional[1], positional[2], positional[3:], os.path.abspath(res), render


def models(res, extra):
    """(case name, model path, model options, is ASE) for every model compared."""
    cases = [
        ("girl-t", os.path.join(res, "girl-t.bne"), ["--skin", os.path.join(res, "girl.skn")]),
        ("gland", os.path.join(res, "gland.bne"), []),
        ("girl-ase", os.path.join(res, "girl.ase"), ["--skin", os.path.join(res, "girl.skn")]),
        ("gland-ase", os.path.join(res, "gland.ase"), []),
    ]
    seen = {c[0] for c in cases}
    for path in extra:
        name = os.path.basename(path).replace(".", "_")
        while name in seen:
            name += "_"
        seen.add(name)
        cases.append((name, os.path.abspath(path), []))
    return [(n, p, o) for n, p, o in cases if os.path.isfile(p)]


def run(orix, folder, tag, args, compared=True):
    """Runs orix in folder; its stdout, stderr and status go to files named after tag."""
    try:
        done = subprocess.run([orix] + args, cwd=folder, capture_output=True, timeout=TIMEOUT_S)
        out, err, status = done.stdout, done.stderr, str(done.returncode)
    except subprocess.TimeoutExpired as e:
        out, err, status = e.stdout or b"", e.stderr or b"", "timeout"
    suffix = "" if compared else ".log"
    with open(os.path.join(folder, tag + ".stdout" + suffix), "wb") as f:
        f.write(out)
    with open(os.path.join(folder, tag + ".stderr"), "wb") as f:
        f.write(err)
    with open(os.path.join(folder, tag + ".status"), "w") as f:
        f.write(status + "\n")
    return out if status == "0" else None


def middle_frame(info_json):
    """The middle of the model's frames from `info --json`, or None."""
    try:
        frames = json.loads(info_json.decode("utf-8", "replace")).get("frames", {})
        first, last = int(frames["first"]), int(frames["last"])
    except (ValueError, KeyError, TypeError, AttributeError):
        return None
    return str((first + last) // 2)


def run_case(orix, folder, path, options, render):
    os.makedirs(folder, exist_ok=True)
    info = run(orix, folder, "info-json", ["info", path, "--json"] + options)
    run(orix, folder, "info", ["info", path] + options)
    frames = ["first", "last"]
    middle = middle_frame(info) if info else None
    if middle is not None:
        frames.insert(1, middle)
    for f in frames:
        run(orix, folder, "pose-" + f, ["pose", path, "--frame", f, "--vertices"] + options)
    if path.lower().endswith(".ase"):
        run(orix, folder, "convert", ["convert", path, "converted.bne"] + options)
    os.makedirs(os.path.join(folder, "glb"), exist_ok=True)
    os.makedirs(os.path.join(folder, "gltf"), exist_ok=True)
    run(orix, folder, "export-glb", ["export", path, "glb/model.glb"] + options)
    run(orix, folder, "export-gltf", ["export", path, "gltf/model.gltf"] + options)
    if render:
        for f in frames:
            run(orix, folder, "render-" + f,
                ["render", path, "--frame", f, "--size", "320x240", "--out", "render-" + f]
                + options, compared=False)


def all_files(root):
    found = set()
    for folder, _, names in os.walk(root):
        for n in names:
            found.add(os.path.relpath(os.path.join(folder, n), root))
    return found


def main():
    before, after, results, extra, res, render = parse_args(sys.argv[1:])
    for b in (before, after):
        if not os.access(b, os.X_OK):
            usage(b + " is no program")
    cases = models(res, extra)
    if not cases:
        usage("no models found (looked in %s)" % res)
    results = os.path.abspath(results)
    sides = {"before": os.path.abspath(before), "after": os.path.abspath(after)}
    for side, orix in sides.items():
        shutil.rmtree(os.path.join(results, side), ignore_errors=True)
        for name, path, options in cases:
            run_case(orix, os.path.join(results, side, name), path, options, render)
    b_root, a_root = os.path.join(results, "before"), os.path.join(results, "after")
    b_files, a_files = all_files(b_root), all_files(a_root)
    differ = []
    for rel in sorted(b_files | a_files):
        if rel.endswith(".log"):
            continue
        if rel not in b_files or rel not in a_files:
            differ.append(rel + " (only " + ("before" if rel in b_files else "after") + ")")
        elif not filecmp.cmp(os.path.join(b_root, rel), os.path.join(a_root, rel), shallow=False):
            differ.append(rel)
    compared = len([r for r in b_files | a_files if not r.endswith(".log")])
    for rel in differ:
        print("differs: " + rel)
    print("compare_outputs: %d of %d outputs differ over %d models (%s)"
          % (len(differ), compared, len(cases), results))
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
