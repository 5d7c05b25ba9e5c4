#!/usr/bin/env bash
# Installs the Debian packages the build and tests need; runs apt-get update only
# when something is missing, so a second run costs nothing.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config ccache
          libgtest-dev libgmock-dev libbenchmark-dev
          zlib1g-dev libminizip-dev libpng-dev libjpeg-dev
          libopenal-dev libvorbis-dev
          libsdl2-dev libgl-dev libgl1-mesa-dri libegl1 libegl-mesa0)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
