#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the tree file by file: the programs,
# the user guide where "&Help" finds it, the menu entry, the icons, the software-centre
# description and the manual page; the entry and the description pass their validators.
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null

expected="bin/tabulon
bin/tabulon-cli
share/applications/org.tabulon.Tabulon.desktop
share/icons/hicolor/128x128/apps/org.tabulon.Tabulon.png
share/icons/hicolor/16x16/apps/org.tabulon.Tabulon.png
share/icons/hicolor/22x22/apps/org.tabulon.Tabulon.png
share/icons/hicolor/24x24/apps/org.tabulon.Tabulon.png
share/icons/hicolor/256x256/apps/org.tabulon.Tabulon.png
share/icons/hicolor/32x32/apps/org.tabulon.Tabulon.png
share/icons/hicolor/48x48/apps/org.tabulon.Tabulon.png
share/icons/hicolor/64x64/apps/org.tabulon.Tabulon.png
share/icons/hicolor/scalable/apps/org.tabulon.Tabulon.svg
share/man/man1/tabulon-cli.1
share/metainfo/org.tabulon.Tabulon.metainfo.xml
share/tabulon/Tabulon-en.html"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$(echo "$expected" | LC_ALL=C sort)" ]; then
  echo "installed files differ from the expected ones:"
  diff <(echo "$expected" | LC_ALL=C sort) <(echo "$actual") || true
  exit 1
fi

for size in 16 22 24 32 48 64 128 256; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/org.tabulon.Tabulon.png" |
    grep -q "PNG image data, $size x $size" || { echo "icon $size is not ${size}x$size"; exit 1; }
done
head -n 1 "$prefix/share/man/man1/tabulon-cli.1" | grep -q '^\.TH TABULON-CLI 1' ||
  { echo "the manual page has no title line"; exit 1; }
"$prefix/bin/tabulon" --version | grep -q '^Tabulon ' || { echo "tabulon --version"; exit 1; }
"$prefix/bin/tabulon-cli" --version | grep -q '^tabulon-cli ' || { echo "tabulon-cli --version"; exit 1; }
desktop-file-validate "$prefix/share/applications/org.tabulon.Tabulon.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.tabulon.Tabulon.metainfo.xml" > /dev/null
echo "install tree sound"
