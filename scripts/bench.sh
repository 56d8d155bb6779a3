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
cmake --build "$build" -j2 --target orix_bench orix_res

export ORIX_OFFSCREEN=1
json="$build/bench-results.json"
"$build/bench/orix_bench" --benchmark_repetitions="$reps" \
  --benchmark_out="$json" --benchmark_out_format=json "$@"
python3 "$root/scripts/bench_summary.py" "$json"
