#!/usr/bin/env bash
# Checks a built Debian package: lintian finds no error and no warning in it, its control
# fields and files are there, then it is installed, the programs run from it and it is
# removed again (as root).
set -euo pipefail
deb=${1:?usage: check-package.sh PACKAGE.deb}

# Informational tags are shown; an error or a warning fails the package.
command -v lintian > /dev/null || { echo "lintian is missing: bash scripts/deps.sh --test"; exit 1; }
report=$(lintian --info "$deb" 2>&1 | grep -v '^running with root privileges' || true)
if grep -qE '^[EW]: ' <<< "$report"; then
  echo "lintian: errors or warnings in $(basename "$deb"):"
  echo "$report"
  exit 1
fi
grep -E '^[IPX]: ' <<< "$report" || true

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6 qt6-qpa-plugins; do
  grep -q "$lib" <<< "$depends" || { echo "Depends lacks $lib: $depends"; exit 1; }
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for p in xdg-utils qt6-translations-l10n; do
  grep -q "$p" <<< "$recommends" || { echo "Recommends lacks $p: $recommends"; exit 1; }
done
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/tabulon ./usr/bin/tabulon-cli ./usr/share/tabulon/Tabulon-en.html \
  ./usr/share/applications/org.tabulon.Tabulon.desktop \
  ./usr/share/metainfo/org.tabulon.Tabulon.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/org.tabulon.Tabulon.svg \
  ./usr/share/tabulon/Tabulon.html ./usr/share/tabulon/Tabulon.DE \
  ./usr/share/tabulon/screenshots/main-window.png \
  ./usr/share/tabulon/translations/tabulon_de.qm \
  ./usr/share/doc/tabulon/copyright ./usr/share/doc/tabulon/changelog.Debian.gz \
  ./usr/share/man/man1/tabulon.1.gz ./usr/share/man/man1/tabulon-cli.1.gz; do
  grep -qx "$f" <<< "$files" || { echo "the package lacks $f"; exit 1; }
done

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$(realpath "$deb")" > /dev/null
/usr/bin/tabulon --version
german=$(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=de_DE.UTF-8 /usr/bin/tabulon --help)
[ "${german%%$'\n'*}" = "Aufruf: tabulon [ARCHIV]" ] ||
  { echo "the installed program does not speak German to a German user"; exit 1; }
/usr/bin/tabulon-cli --version
dpkg -r tabulon > /dev/null
[ ! -e /usr/bin/tabulon ] && [ ! -e /usr/share/tabulon ] || { echo "removal left files"; exit 1; }
echo "package sound: $(basename "$deb")"
