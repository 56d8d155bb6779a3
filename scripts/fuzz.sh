#!/usr/bin/env bash
# Fuzzes every libFuzzer target (or the ones named, e.g. `scripts/fuzz.sh bne_reader_fuzz`) for
# ORIX_FUZZ_SECONDS each (default 600), ORIX_FUZZ_JOBS at a time (default 2), from its committed
# corpus, then prints executions per second, corpus size and coverage per target.
# New inputs go to build-fuzz/work/<target>/, logs and any crash, leak or timeout input to
# build-fuzz/findings/<target>/. Needs clang (installed by scripts/setup.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORIX_FUZZ_BUILD:-$root/build-fuzz}
seconds=${ORIX_FUZZ_SECONDS:-600}
jobs=${ORIX_FUZZ_JOBS:-2}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in "$root"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORIX_FUZZ=ON -DORIX_BUILD_TESTS=OFF -DORIX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

fuzz_one() {
  local target=$1 name=${1%_fuzz}
  local work="$build/work/$name" findings="$build/findings/$name"
  mkdir -p "$work" "$findings"
  local dict=()
  case $name in
    ase_reader) dict=(-dict="$root/fuzz/dict/ase.dict") ;;
    vue_reader) dict=(-dict="$root/fuzz/dict/vue.dict") ;;
    skin_file_reader) dict=(-dict="$root/fuzz/dict/skin.dict") ;;
  esac
  # -timeout=1: an input that takes over a second counts as a hang.
  (cd "$findings" && ORIX_PROFILE="$findings/profile.ini" "$build/fuzz/$target" \
    -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1 \
    "${dict[@]}" "$work" "$root/fuzz/corpus/$name" >"$findings/log.txt" 2>&1) ||
    echo "$target: stopped with a finding, see $findings/log.txt" >&2
}
export -f fuzz_one
export build root seconds
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'fuzz_one "$@"' _ {}

printf '\n%-24s %10s %10s %12s %8s %s\n' target "exec/s" "inputs" "corpus size" "edges" result
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  log="$build/findings/$name/log.txt"
  [ -f "$log" ] || continue
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
  last=$(grep -E '^#[0-9]+[[:space:]]' "$log" | tail -1 || true)
  line=${done_line:-$last}
  execs=$(grep -oE 'stat::average_exec_per_sec: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo "?")
  edges=$(echo "$line" | grep -oE 'cov: [0-9]+' | grep -oE '[0-9]+' || echo "?")
  corpus=$(echo "$line" | grep -oE 'corp: [0-9]+/[0-9]+[a-zA-Z]*' | sed 's/corp: //' || echo "?")
  files=${corpus%%/*}
  size=${corpus#*/}
  result=clean
  if ls "$build/findings/$name" | grep -qE '^(crash|leak|timeout|oom|slow-unit)-'; then
    result="FINDINGS in $build/findings/$name"
  fi
  printf '%-24s %10s %10s %12s %8s %s\n' "$target" "$execs" "$files" "$size" "$edges" "$result"
done
