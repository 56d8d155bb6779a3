#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench/) and runs them offscreen, each several times,
# then prints the engine-against-baseline ratios (medians, with the spread over repetitions).
# Arguments go to the benchmark program, e.g. --benchmark_filter=skin.
# ORIX_BENCH_REPS sets the repetitions (default 5); ORIX_BENCH_PNG=folder writes the frames.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORIX_BENCH_BUILD:-$root/build-bench}
reps=${ORIX_BENCH_REPS:-5}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORIX_BUILD_TESTS=OFF \
  -DORIX_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target orix_bench orix_present_bench orix_res orix_tool \
  orix_first_frame_capture orix_first_frame_baseline
# The first-frame suite replays the demonstration's first frame from a capture made here, by this
# build (it is not kept in the sources); without one that suite reports an error and the rest run.
rm -f "$build/first-frame/demo.capture"
"$build/bench/orix_first_frame_capture" "$build/first-frame/demo.capture" ||
  echo "bench.sh: the first frame could not be captured" >&2

json="$build/bench-results.json"
ORIX_OFFSCREEN=1 "$build/bench/orix_bench" --benchmark_repetitions="$reps" \
  --benchmark_out="$json" --benchmark_out_format=json "$@"
# Showing frames in a window needs an X display: Xvfb at 640 x 480 where it is installed.
present="$build/present-results.json"
rm -f "$present"
if command -v xvfb-run >/dev/null; then
  # Repetitions interleaved: the host's speed drifts over seconds, and the goal is a difference.
  xvfb-run -a -s "-screen 0 640x480x24" "$build/bench/orix_present_bench" \
    --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
    --benchmark_out="$present" --benchmark_out_format=json "$@" ||
    rm -f "$present"
fi
results=("$json")
[[ -s "$present" ]] && results+=("$present")
python3 "$root/scripts/bench_summary.py" "${results[@]}"
