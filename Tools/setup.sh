#!/usr/bin/env bash
# Installs every Debian package the game, its content tools and its tests need.
# Idempotent: does nothing (and prints nothing) when everything is already there.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config
  libsdl2-dev libgl-dev libegl-dev libopengl-dev libgl1-mesa-dri libegl-mesa0
  libopenal-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libfreetype-dev nlohmann-json3-dev libimgui-dev libstb-dev libassimp-dev
  fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev libxdamage-dev xvfb xauth xdotool openbox ffmpeg
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
