#!/usr/bin/env bash
# Installs the Debian packages the game, the editor and their tests need.
# Idempotent: does nothing (and prints nothing) when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev
  libfontconfig-dev libpng-dev qt6-base-dev nlohmann-json3-dev
  fonts-ipafont-gothic fonts-ipafont-mincho timgm6mb-soundfont fluidsynth vorbis-tools libvorbis-dev
  qt6-tools-dev qt6-l10n-tools
  xvfb xauth libgtest-dev libbenchmark-dev zenity desktop-file-utils
  dpkg-dev file lintian appstream man-db mandoc strace python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "setup: need root or sudo to install: ${missing[*]}" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
