#!/usr/bin/env bash
# The installed package as a newcomer meets it: installs the build into a fresh prefix, compiles
# every installed header on its own, builds examples/ as a project of its own against the prefix
# (all with CMake's package, one also with pkg-config alone), runs each example offscreen for a
# few frames and checks that each exits 0 and that its picture shows its subject.
#
# usage: package_test.sh BUILD_DIR EXAMPLES_DIR
set -euo pipefail
build=$1
examples=$2
here=$(cd "$(dirname "$0")" && pwd)
jobs=${ORIX_JOBS:-2}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
export ORIX_OFFSCREEN=1

SECONDS=0
cmake --install "$build" --prefix "$prefix" >/dev/null
pcdir=$(dirname "$(find "$prefix" -name orix.pc)")
export PKG_CONFIG_PATH=$pcdir

# Each installed header alone, as <orix/...>, with the package's flags only (-O0: only whether
# it compiles matters).
cflags=$(pkg-config --cflags orix)
(cd "$prefix/include" && find orix -name '*.h' | sort) >"$work/headers"
echo "compiling $(wc -l <"$work/headers") installed headers on their own"
check_header() {
    printf '#include <%s>\n' "$1" | c++ -x c++ -fsyntax-only -Wall -Wextra $cflags - ||
        { echo "FAIL: <$1> does not compile on its own" >&2; return 1; }
}
export -f check_header
export cflags
xargs -P "$jobs" -I{} bash -c 'check_header "$1"' _ {} <"$work/headers"

echo "headers: ${SECONDS}s"
# All examples through the CMake package; optimisation is no part of what is tested.
cmake -S "$examples" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS=-O0 \
    >/dev/null
cmake --build "$work/cmake" -j "$jobs" >/dev/null

# One example through pkg-config alone.
c++ -O0 -DORIX_RES_DIR="\"$(pkg-config --variable=resdir orix)\"" \
    "$examples/spinning_mesh.cpp" -o "$work/spinning_mesh_pc" \
    $(pkg-config --cflags orix) $(pkg-config --static --libs orix)

echo "examples built: ${SECONDS}s"
# Each example with the colour it clears to (its SetBackground, as drawn at 32 bits), and the
# particles long enough for a burst to have risen.
failed=0
run() {
    local name=$1 program=$2 background=$3 frames=${4:-3}
    local out=$work/out/$name
    if ! "$program" --frames "$frames" --size 160x120 --out "$out" >"$work/$name.log" 2>&1; then
        echo "FAIL: $name exited with $?" >&2
        cat "$work/$name.log" >&2
        failed=1
        return
    fi
    local picture
    picture=$(find "$out" -name '*.png' | sort | tail -n 1)
    if [[ -z "$picture" ]]; then
        echo "FAIL: $name wrote no picture" >&2
        failed=1
    elif ! python3 "$here/subject_check.py" "$picture" "$background"; then
        echo "FAIL: $name's picture does not show its subject" >&2
        failed=1
    fi
}
run spinning_mesh "$work/cmake/spinning_mesh" 191e33
run spinning_mesh_pkgconfig "$work/spinning_mesh_pc" 191e33
run play_model "$work/cmake/play_model" 28282d
run crowd "$work/cmake/crowd" 59728c
run falling_particles "$work/cmake/falling_particles" 050714 40
run offscreen_frames "$work/cmake/offscreen_frames" f2f2e5
exit $failed
