#!/usr/bin/env bash
# Installs what building, running and testing Tabulon needs on Debian 12 (as root).
# Only missing packages are installed, so a prepared machine goes straight on.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  fonts-dejavu-core xdg-utils
)
if [ "${1:-}" = "--test" ]; then
  packages+=(
    clang libclang-rt-14-dev clang-format
    python3-dbfread libdbd-xbase-perl tzdata
    sqlite3 libsqlite3-dev xvfb xauth
    appstream desktop-file-utils dpkg-dev file lintian man-db
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
