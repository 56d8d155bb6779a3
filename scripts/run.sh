#!/usr/bin/env bash
# Sets up, builds and runs the demo. With a display it opens the demo's window (close it to
# end); without one (or with --headless, or ORIX_OFFSCREEN=1) it renders a few seconds of the
# demo offscreen and writes the frames as PNG under build/demo-frames/.
set -euo pipefail
cd "$(dirname "$0")/.."

headless=0
if [[ "${1:-}" == "--headless" ]]; then headless=1; fi
if [[ "${ORIX_OFFSCREEN:-}" == "1" || ( -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ) ]]; then
  headless=1
fi

bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The demo, the tool and the resource folder the demo reads (build/res).
cmake --build build -j "${ORIX_JOBS:-2}" --target orixapp orix_tool orix_res

if ((headless == 0)); then
  # The demo moves into res/ under the folder it starts in: build/ holds the built one.
  echo "run: starting the demo in a window (close the window or press Alt+F4 to end)"
  cd build
  exec ./orixapp
fi

out=build/demo-frames
rm -rf "$out"
echo "run: no display here, so the demo is drawn offscreen: 5 seconds at 30 frames a second"
build/tools/orix render --frames 150 --every 15 --out "$out"
echo "run: the frames are in $(cd "$out" && pwd)/ (frame-0015.png ... frame-0150.png)"
