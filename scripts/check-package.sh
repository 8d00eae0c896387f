#!/usr/bin/env bash
# Checks a built Debian package: its control fields and files, then installs it, runs the
# programs from it and removes it again (as root).
set -euo pipefail
deb=${1:?usage: check-package.sh PACKAGE.deb}

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6 qt6-qpa-plugins; do
  grep -q "$lib" <<< "$depends" || { echo "Depends lacks $lib: $depends"; exit 1; }
done
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/tabulon ./usr/bin/tabulon-cli ./usr/share/tabulon/Tabulon-en.html \
  ./usr/share/applications/org.tabulon.Tabulon.desktop \
  ./usr/share/metainfo/org.tabulon.Tabulon.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/org.tabulon.Tabulon.svg \
  ./usr/share/man/man1/tabulon-cli.1; do
  grep -qx "$f" <<< "$files" || { echo "the package lacks $f"; exit 1; }
done

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$(realpath "$deb")" > /dev/null
/usr/bin/tabulon --version
/usr/bin/tabulon-cli --version
dpkg -r tabulon > /dev/null
[ ! -e /usr/bin/tabulon ] && [ ! -e /usr/share/tabulon ] || { echo "removal left files"; exit 1; }
echo "package sound: $(basename "$deb")"
