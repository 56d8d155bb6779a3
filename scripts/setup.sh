#!/usr/bin/env bash
# Installs the Debian packages Orix builds, tests and runs with, and the Khronos glTF validator
# (npm, into .npm/ of the checkout, which git ignores) that the export tests run. Idempotent:
# when everything is already there it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang
  libsdl2-dev libsdl2-ttf-dev libx11-dev
  libjpeg62-turbo-dev libpng-dev libstb-dev
  libegl-dev libgl-dev libegl1-mesa-dev libgl1-mesa-dri libglx-mesa0 mesa-utils
  libinih-dev libtinygltf-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev libassimp-dev assimp-utils
  fonts-dejavu-core fonts-nanum
  xvfb xauth xdotool
  doxygen
)

# Debian's node and npm only where the machine has none of its own.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} > 0)); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The validator is a library; tests/export/validate_gltf.js calls it.
validator_version=2.0.0-dev.3.10
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
installed=$(node -p "require('$root/.npm/node_modules/gltf-validator/package.json').version" \
  2>/dev/null || true)
if [[ "$installed" != "$validator_version" ]]; then
  echo "setup: installing gltf-validator $validator_version into .npm/"
  npm install --prefix "$root/.npm" --no-audit --no-fund --no-save \
    "gltf-validator@$validator_version"
fi
