#!/usr/bin/env python3
"""Reads Google Benchmark's JSON output and prints the engine-against-baseline ratios: for each
pair the ratio of each repetition, then the median and the spread (lowest to highest)."""
import json
import statistics
import sys

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(paths):
    benchmarks = []
    for path in paths:
        with open(path) as f:
            benchmarks += json.load(f).get("benchmarks", [])
    runs = {}
    for b in benchmarks:
        if b.get("run_type") != "iteration" or b.get("error_occurred"):
            continue
        name = b["run_name"]
        runs.setdefault(name, []).append(b["real_time"] * UNIT[b.get("time_unit", "ns")])
    return runs


def find(runs, prefix):
    for name, times in runs.items():
        if name == prefix or name.startswith(prefix + "/"):
            return times
    return None


def paired(a, b, f):
    n = min(len(a), len(b))
    return [f(a[i], b[i]) for i in range(n)]


def fmt(values, pattern="{:.2f}"):
    if not values:
        return "n/a"
    med = statistics.median(values)
    lo, hi = min(values), max(values)
    return (pattern.format(med) + " (" + pattern.format(lo) + " .. " + pattern.format(hi) + ")")


def main():
    runs = load(sys.argv[1:])
    rows = []

    def ratio(label, a, b, goal, f=lambda x, y: x / y, pattern="{:.2f}"):
        ta, tb = find(runs, a), find(runs, b)
        if ta is None or tb is None:
            rows.append((label, "not run", goal))
            return None
        values = paired(ta, tb, f)
        rows.append((label, fmt(values, pattern), goal))
        return statistics.median(values)

    def median_ms(name):
        t = find(runs, name)
        return statistics.median(t) * 1e3 if t else None

    ratio("1 frame: engine / plain GL replay", "frame/engine/1", "frame/replay/1", "<= 1.10")
    ec, ef = find(runs, "frame/engine_cpu/1"), find(runs, "frame/engine/1")
    if ec and ef:
        n = min(len(ec), len(ef))
        rows.append(("2 engine CPU share of the frame, %",
                     fmt([100.0 * ec[i] / ef[i] for i in range(n)], "{:.1f}"), "<= 5"))
    else:
        rows.append(("2 engine CPU share of the frame, %", "not run", "<= 5"))
    es, rs = find(runs, "frame/engine_submit/1"), find(runs, "frame/replay_submit/1")
    if es and rs and ef:
        n = min(len(es), len(rs), len(ef))
        rows.append(("  (engine - replay submission) / frame, %",
                     fmt([100.0 * (es[i] - rs[i]) / ef[i] for i in range(n)], "{:.1f}"), ""))
        rows.append(("  engine submission incl. GL driver, %",
                     fmt([100.0 * es[i] / ef[i] for i in range(n)], "{:.1f}"), ""))
    c1, c100 = median_ms("frame/engine_cpu/1"), median_ms("frame/engine_cpu/100")
    if c1 is not None and c100 is not None:
        rows.append(("  engine CPU per extra character, us", f"{1000 * (c100 - c1) / 99:.1f}", ""))
    counts = [1, 10, 50, 100]
    per = {}
    for n in counts:
        r = ratio(f"3 scale {n:>3}: replay / engine speed", f"frame/engine/{n}",
                  f"frame/replay/{n}", ">= 0.90", f=lambda e, p: p / e)
        ms = median_ms(f"frame/engine/{n}")
        if ms is not None:
            per[n] = ms
    if len(per) == len(counts):
        slope = (per[100] - per[1]) / 99.0
        worst = max(abs((per[n] - per[1]) - slope * (n - 1)) / max(per[n], 1e-9)
                    for n in counts)
        rows.append(("3 scale: ms at 1/10/50/100",
                     " / ".join(f"{per[n]:.1f}" for n in counts), "linear"))
        rows.append(("  ms per extra character; worst deviation %",
                     f"{slope:.2f}; {100 * worst:.0f}", ""))
    for model in ("character", "large"):
        ratio(f"4 load {model}: BNE / ASE speed", f"load/{model}_ase", f"load/{model}_bne",
              ">= 10")
        if find(runs, f"load/{model}_assimp"):
            ratio(f"4 load {model}: Orix ASE / assimp speed", f"load/{model}_assimp",
                  f"load/{model}_ase", ">= 2")
        for fmt_name in ("ase", "bne", "assimp"):
            t = find(runs, f"load/{model}_{fmt_name}")
            mb = None
            for b in json.load(open(sys.argv[1]))["benchmarks"]:
                if b.get("run_name") == f"load/{model}_{fmt_name}" and "file_MB" in b:
                    mb = b["file_MB"]
                    break
            if t and mb:
                label = "assimp ASE" if fmt_name == "assimp" else fmt_name.upper()
                rows.append((f"  {model} {label} MB/s ({mb:.1f} MB)",
                             fmt([mb / x for x in t], "{:.0f}"), ""))
    ratio("5 skinning: SkinDeform / array copy", "skin/deform_50k", "skin/copy_floor_50k",
          "<= 3")
    ratio("6 keyframes: live / baked per bone", "keyframe/live_30_bones",
          "keyframe/baked_30_bones", "(none)")

    ratio("7 present 640x480: offscreen driver / primary in window", "present/offscreen_window",
          "present/primary_window", "(none)")
    ratio("  extra ms a frame over the primary's window", "present/offscreen_window",
          "present/primary_window", "<= 0.5", f=lambda a, b: (a - b) * 1e3)
    ratio("  ms a frame shown beside kept offscreen", "present/offscreen_window",
          "present/offscreen", "", f=lambda a, b: (a - b) * 1e3)

    width = max(len(r[0]) for r in rows)
    vwidth = max(len(r[1]) for r in rows)
    print()
    print("Summary (median over repetitions, spread lowest .. highest)")
    print(f"{'measure':<{width}}  {'value':<{vwidth}}  goal")
    for label, value, goal in rows:
        print(f"{label:<{width}}  {value:<{vwidth}}  {goal}")


if __name__ == "__main__":
    main()
