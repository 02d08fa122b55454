#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the media scripts need.
# Only what is missing is installed; apt-get update runs at most once.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl1.2-dev libsdl-mixer1.2-dev libpng-dev zlib1g-dev liblzo2-dev
  libgl-dev libglu1-mesa-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils imagemagick mesa-utils
  sox libsox-fmt-mp3 lame python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
