#!/usr/bin/env bash
# Sets up, builds and runs what Orix has to show.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "${ORIX_JOBS:-2}"
if [[ -x build/orixapp ]]; then
  exec build/orixapp
fi
build/tools/orix --version
