#!/usr/bin/env python3
"""Reads Google Benchmark's JSON output and prints each goal with its measure: the median over
the repetitions, the spread (lowest .. highest), the widest repetition's distance from the
median in per cent (a figure is steady enough to judge by when that is within 10 %), the goal
and whether the median meets it (a goal whose repetitions spread more is still judged when every
repetition lies on the same side of it).

The suites that run on one thread (load, skin, keyframe) are compared by CPU time, which other
processes on a busy machine do not inflate; the frame suites, whose driver draws on threads of
its own, by wall time (the engine's CPU figures are already this thread's CPU time). The frame
goals are judged on engine and replay frames timed in alternating blocks (frame/paired/N), and the
loading goals on loads of each kind in turn (load/<model>_paired), whose ratios a drifting
machine cannot tilt; the ratios of the separate runs are shown beside them."""
import json
import operator
import statistics
import sys

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
CPU_TIMED = ("load/", "import/", "skin/", "keyframe/", "export/")
STEADY = 10.0  # per cent


def load(paths):
    benchmarks = []
    for path in paths:
        with open(path) as f:
            benchmarks += json.load(f).get("benchmarks", [])
    runs, counters, repeated = {}, {}, {}
    for b in benchmarks:
        if b.get("run_type") != "iteration" or b.get("error_occurred"):
            continue
        name = b["run_name"]
        key = "cpu_time" if name.startswith(CPU_TIMED) else "real_time"
        runs.setdefault(name, []).append(b[key] * UNIT[b.get("time_unit", "ns")])
        counters.setdefault(name, b)
        repeated.setdefault(name, []).append(b)
    return runs, counters, repeated


def find(table, prefix):
    for name, value in table.items():
        if name == prefix or name.startswith(prefix + "/"):
            return value
    return None


def paired(a, b, f):
    n = min(len(a), len(b))
    return [f(a[i], b[i]) for i in range(n)]


def spread_percent(values):
    med = statistics.median(values)
    if med == 0:
        return 0.0
    return 100.0 * max(abs(v - med) for v in values) / abs(med)


def fmt(values, pattern="{:.2f}"):
    if not values:
        return "n/a"
    med = statistics.median(values)
    return (pattern.format(med) + " (" + pattern.format(min(values)) + " .. " +
            pattern.format(max(values)) + ")")


GOALS = {"<=": operator.le, ">=": operator.ge}


def verdict(values, goal):
    """'met' / 'MISSED' for a goal such as '<= 1.05' ('' for none), with '?' when the
    repetitions spread more than STEADY per cent around their median."""
    parts = goal.split()
    if not values or len(parts) != 2 or parts[0] not in GOALS:
        return ""
    meets = GOALS[parts[0]]
    ok = meets(statistics.median(values), float(parts[1]))
    word = "met" if ok else "MISSED"
    if spread_percent(values) <= STEADY:
        return word
    # A difference near zero spreads widely in per cent; when every repetition falls on the same
    # side of the goal, the spread cannot change the verdict.
    if all(meets(v, float(parts[1])) == ok for v in values):
        return word + " (every repetition)"
    return word + " (unsteady)"


def main():
    runs, counters, repeated = load(sys.argv[1:])
    rows = []

    def row(label, values, goal="", pattern="{:.2f}"):
        if not values:
            rows.append((label, "not run", "", goal, ""))
            return
        rows.append((label, fmt(values, pattern), f"{spread_percent(values):.0f}", goal,
                     verdict(values, goal)))

    def ratio(label, a, b, goal, f=lambda x, y: x / y, pattern="{:.2f}"):
        ta, tb = find(runs, a), find(runs, b)
        if ta is None or tb is None:
            row(label, None, goal)
            return
        row(label, paired(ta, tb, f), goal, pattern)

    def per_run(label, name, scale, goal="", pattern="{:.1f}"):
        t = find(runs, name)
        row(label, [scale * x for x in t] if t else None, goal, pattern)

    def counter_row(label, name, counter, goal, f=lambda v: v):
        """A counter a suite sets (the paired suites' ratios, a median), one per repetition."""
        reps = find(repeated, name)
        row(label, [f(r[counter]) for r in reps or [] if r.get(counter)], goal)

    counter_row("1 frame: engine / plain GL replay", "frame/paired/1", "replay_per_engine",
                "<= 1.03", f=lambda v: 1.0 / v)
    ratio("  the same, from separate runs", "frame/engine/1", "frame/replay/1", "")
    # Against the paired suite's engine frames: a separate run's wall time drifts with the host.
    cpu, pairs = find(runs, "frame/engine_cpu/1"), find(repeated, "frame/paired/1")
    frames = [r["engine_ms"] * 1e-3 for r in pairs or [] if r.get("engine_ms")]
    row("2 engine CPU share of the frame, %",
        paired(cpu, frames, lambda c, e: 100.0 * c / e) if cpu and frames else None, "<= 5",
        "{:.1f}")
    ratio("  engine submission incl. GL driver, %", "frame/engine_submit/1", "frame/engine/1",
          "", f=lambda s, e: 100.0 * s / e, pattern="{:.1f}")
    counts = [1, 10, 50, 100, 200, 500, 1000]
    for n in counts:
        counter_row(f"3 scale {n:>4}: replay / engine speed", f"frame/paired/{n}",
                    "replay_per_engine", ">= 0.97")
    for n in counts:
        ratio(f"  scale {n:>4} from separate runs", f"frame/engine/{n}", f"frame/replay/{n}", "",
              f=lambda e, p: p / e)
    for n in (200, 1000):
        name = f"frame/character_cpu/{n}"
        counter_row(f"3 engine CPU per extra character at {n:>4}, us", name, "per_extra_us",
                    "<= 4")
        c = find(counters, name)
        per_run("  the same, mean of the frames", name,
                1e6 / c["extras"] if c and c.get("extras") else 0)
        counter_row("  the same, every character at its own fractional time (nothing shared)",
                    f"frame/character_cpu_unshared/{n}", "per_extra_us", "")
    for n in counts:
        per_run(f"  engine CPU, frame with {n:>4}, ms", f"frame/engine_cpu/{n}", 1e3)
    for n in counts:
        c = find(counters, f"frame/engine/{n}")
        if c and "pixels_off_replay" in c:
            rows.append((f"  pixels off the replay at {n:>4}", f"{c['pixels_off_replay']:.0f}", "",
                         "0", "met" if c["pixels_off_replay"] == 0 else "MISSED"))
        if c and "off_view" in c:
            rows.append((f"  characters not wholly in view at {n:>4}", f"{c['off_view']:.0f}", "",
                         "0", "met" if c["off_view"] == 0 else "MISSED"))
    for model in ("character", "large"):
        counter_row(f"4 load {model}: BNE / ASE speed", f"load/{model}_paired", "bne_per_ase",
                    ">= 10")
        counter_row(f"4 load {model}: Orix ASE / assimp speed", f"load/{model}_paired",
                    "ase_per_assimp", ">= 2")
        ratio(f"  the same from separate runs: BNE / ASE", f"load/{model}_ase",
              f"load/{model}_bne", "")
        ratio(f"  the same from separate runs: ASE / assimp", f"load/{model}_assimp",
              f"load/{model}_ase", "")
        for fmt_name in ("ase", "bne", "assimp"):
            t = find(runs, f"load/{model}_{fmt_name}")
            c = find(counters, f"load/{model}_{fmt_name}")
            if t and c and "file_MB" in c:
                mb = c["file_MB"]
                label = "assimp ASE" if fmt_name == "assimp" else fmt_name.upper()
                row(f"  {model} {label} MB/s ({mb:.1f} MB)", [mb / x for x in t], "", "{:.0f}")
    counter_row("4 import glTF 100k triangles: Orix / assimp speed", "import/gltf_paired",
                "orix_per_assimp", ">= 1")
    ratio("  the same from separate runs", "import/gltf_orix", "import/gltf_assimp", "",
          f=lambda o, a: a / o)
    ratio("5 skinning: SkinDeform / array copy", "skin/deform_50k", "skin/copy_floor_50k",
          "<= 3")
    ratio("6 keyframes: live / baked per bone", "keyframe/live_30_bones",
          "keyframe/baked_30_bones", "")

    ratio("8 export: per frame over 65,535 frames / over 1,000", "export/helper_frames/65535",
          "export/helper_frames/1000", "<= 1.5", f=lambda a, b: (a / 65536) / (b / 1001))

    ratio("7 present 640x480: offscreen driver / primary in window", "present/offscreen_window",
          "present/primary_window", "")
    ratio("  extra ms a frame over the primary's window", "present/offscreen_window",
          "present/primary_window", "<= 0.5", f=lambda a, b: (a - b) * 1e3)
    ratio("  ms a frame shown beside kept offscreen", "present/offscreen_window",
          "present/offscreen", "", f=lambda a, b: (a - b) * 1e3)

    counter_row("9 first frame: engine / baseline, start to read-back", "first_frame/paired",
                "engine_per_baseline", "<= 1.5")
    counter_row("  engine (orix render of the demo), ms", "first_frame/paired", "engine_ms", "")
    counter_row("  baseline (replay in a fresh process), ms", "first_frame/paired", "baseline_ms",
                "")
    c = find(counters, "first_frame/paired")
    if c and "pixels_off_engine" in c:
        off = c["pixels_off_engine"]
        rows.append(("  first frame: baseline pixels off the engine's", f"{off:.0f}", "", "0",
                     "met" if off == 0 else "MISSED"))

    header = ("measure", "median (lowest .. highest)", "spread %", "goal", "")
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(4)]
    print()
    print(f"Summary: spread % is the widest repetition's distance from the median; a goal is "
          f"judged on a median whose spread is within {STEADY:.0f} %")
    for r in [header] + rows:
        print("  ".join(f"{r[i]:<{widths[i]}}" for i in range(4)) + "  " + r[4])


if __name__ == "__main__":
    main()
