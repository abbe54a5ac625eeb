#!/usr/bin/env bash
# Installs the Debian packages the game, the editor and their tests need.
# Idempotent: does nothing (and prints nothing) when everything is present.
#
#   tools/setup.sh          what ./play.sh and ./test.sh need
#   tools/setup.sh --web    and what the web build and its browser test need:
#                           emscripten, chromium, stb, and puppeteer-core
#                           (from npm, into tests/web/node_modules)
set -euo pipefail
cd "$(dirname "$0")/.."

web=0
case "${1:-}" in
  "") ;;
  --web) web=1 ;;
  *) echo "setup: unknown option $1 (only --web)" >&2; exit 2 ;;
esac

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev
  libfontconfig-dev libpng-dev qt6-base-dev nlohmann-json3-dev
  fonts-ipafont-gothic fonts-ipafont-mincho timgm6mb-soundfont fluidsynth vorbis-tools libvorbis-dev
  qt6-tools-dev qt6-l10n-tools
  xvfb xauth libgtest-dev libbenchmark-dev zenity desktop-file-utils
  dpkg-dev file lintian appstream man-db mandoc strace python3
)
if [ "$web" -eq 1 ]; then
  packages+=(emscripten libstb-dev chromium)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# The browser test's driver; Debian's chromium is the browser, nothing is
# downloaded besides the npm packages themselves.
install_web_modules() {
  [ "$web" -eq 1 ] || return 0
  if [ ! -d tests/web/node_modules/puppeteer-core ] ||
     [ tests/web/package-lock.json -nt tests/web/node_modules/.package-lock.json ]; then
    (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  install_web_modules
  exit 0
fi

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
install_web_modules
