#!/usr/bin/env bash
# Installs the Debian packages Orix builds, tests and runs with. Idempotent: when every
# package is already there it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang
  libsdl2-dev libsdl2-ttf-dev libx11-dev
  libjpeg62-turbo-dev libpng-dev
  libegl-dev libgl-dev libegl1-mesa-dev libgl1-mesa-dri libglx-mesa0 mesa-utils
  libinih-dev
  libgtest-dev libgmock-dev libbenchmark-dev libassimp-dev
  fonts-dejavu-core fonts-nanum
  xvfb xauth xdotool
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
