#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the tree file by file: the programs,
# the user guides where "&Help" finds them, the translation where start-up finds it, the menu
# entry, the icons, the software-centre
# description with its picture, the manual pages, the copyright file and the changelog; the
# entry, the description and the manual pages pass their validators.
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
fail() { echo "$*"; exit 1; }

expected="bin/tabulon
bin/tabulon-cli
share/applications/org.tabulon.Tabulon.desktop
share/doc/tabulon/changelog.Debian.gz
share/doc/tabulon/copyright
share/icons/hicolor/128x128/apps/org.tabulon.Tabulon.png
share/icons/hicolor/16x16/apps/org.tabulon.Tabulon.png
share/icons/hicolor/22x22/apps/org.tabulon.Tabulon.png
share/icons/hicolor/24x24/apps/org.tabulon.Tabulon.png
share/icons/hicolor/256x256/apps/org.tabulon.Tabulon.png
share/icons/hicolor/32x32/apps/org.tabulon.Tabulon.png
share/icons/hicolor/48x48/apps/org.tabulon.Tabulon.png
share/icons/hicolor/64x64/apps/org.tabulon.Tabulon.png
share/icons/hicolor/scalable/apps/org.tabulon.Tabulon.svg
share/lintian/overrides/tabulon
share/man/man1/tabulon-cli.1.gz
share/man/man1/tabulon.1.gz
share/metainfo/org.tabulon.Tabulon.metainfo.xml
share/tabulon/Tabulon-en.html
share/tabulon/Tabulon.DE
share/tabulon/Tabulon.html
share/tabulon/screenshots/main-window.png
share/tabulon/translations/tabulon_de.qm"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$(echo "$expected" | LC_ALL=C sort)" ]; then
  echo "installed files differ from the expected ones:"
  diff <(echo "$expected" | LC_ALL=C sort) <(echo "$actual") || true
  exit 1
fi

for size in 16 22 24 32 48 64 128 256; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/org.tabulon.Tabulon.png" |
    grep -q "PNG image data, $size x $size" || fail "icon $size is not ${size}x$size"
done

# The guides as the build tree has them: the German one with its (empty) marker.
for guide in Tabulon-en.html Tabulon.html Tabulon.DE; do
  cmp -s "$source_dir/help/$guide" "$prefix/share/tabulon/$guide" || fail "$guide differs"
  cmp -s "$source_dir/help/$guide" "$build/$guide" || fail "$guide is not beside the executable"
done
grep -q '<html lang="de">' "$prefix/share/tabulon/Tabulon.html" || fail "Tabulon.html is not German"

# The translation as the build tree has it beside the executable; the installed program
# finds it in share/tabulon/translations for a German user, and speaks English to others.
cmp -s "$build/tabulon_de.qm" "$prefix/share/tabulon/translations/tabulon_de.qm" ||
  fail "tabulon_de.qm is not beside the executable as installed"
help_in() { env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$1" "$prefix/bin/tabulon" --help | sed -n 1p; }
[ "$(help_in de_DE.UTF-8)" = "Aufruf: tabulon [ARCHIV]" ] || fail "tabulon --help is not German"
[ "$(help_in C)" = "usage: tabulon [ARCHIVE]" ] || fail "tabulon --help is not English"

# Manual pages: compressed without name or time (gzip -9n), titled, free of formatter
# warnings, and each naming the other under SEE ALSO.
for page in tabulon tabulon-cli; do
  gz="$prefix/share/man/man1/$page.1.gz"
  [ "$(od -An -tx1 -j3 -N5 "$gz" | tr -d ' ')" = "0000000000" ] ||
    fail "$page.1.gz keeps a name or a time"
  other=$([ "$page" = tabulon ] && echo tabulon-cli || echo tabulon)
  zcat "$gz" | head -n 1 | grep -q "^\.TH ${page^^} 1 " || fail "$page(1) has no title line"
  zcat "$gz" | sed -n '/^\.SH SEE ALSO/,$p' | grep -q "${other//-/\\\\-}" ||
    fail "$page(1) does not name $other(1) under SEE ALSO"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$gz" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "$page(1): $warnings"
done

# The copyright file in the machine-readable format, with the licence of LICENSE word for
# word; the changelog a Debian changelog of this version.
copyright="$prefix/share/doc/tabulon/copyright"
head -n 1 "$copyright" |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"
grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")" "$copyright" ||
  fail "the copyright file lacks the copyright line of LICENSE"
licence=$(awk '/^License: Expat$/ { n = NR } { line[NR] = $0 }
  END { for (i = n + 1; i <= NR; i++) print line[i] }' "$copyright" | sed 's/^ //; s/^\.$//')
[ "$licence" = "$(sed -n '/^Copyright (c)/,$p' "$source_dir/LICENSE" | tail -n +3)" ] ||
  fail "the copyright file's licence differs from LICENSE"
version=$("$prefix/bin/tabulon" --version | sed 's/^Tabulon //')
changes=$(zcat "$prefix/share/doc/tabulon/changelog.Debian.gz")
[ "$(dpkg-parsechangelog -l- -S Version <<< "$changes")" = "$version-1" ] ||
  fail "the changelog's newest entry is not version $version-1"

# The picture of the main window, as large as the description says, with the name the
# description's address ends in.
metainfo="$prefix/share/metainfo/org.tabulon.Tabulon.metainfo.xml"
image=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/\([^/<]*\)</image>.*|\1 x \2 \3|p' "$metainfo")
shot="$prefix/share/tabulon/screenshots/${image##* }"
file "$shot" | grep -q "PNG image data, ${image% *}," || fail "screenshot: $(file "$shot"), described: $image"
[ "$(stat -c %s "$shot")" -gt 20000 ] || fail "the screenshot shows next to nothing"

"$prefix/bin/tabulon" --version | grep -q '^Tabulon ' || fail "tabulon --version"
"$prefix/bin/tabulon-cli" --version | grep -q '^tabulon-cli ' || fail "tabulon-cli --version"
desktop-file-validate "$prefix/share/applications/org.tabulon.Tabulon.desktop"
grep -qx 'Categories=Utility;FileTools;' "$prefix/share/applications/org.tabulon.Tabulon.desktop" ||
  fail "the menu entry is not in Utility;FileTools;"
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "$report"
! grep -qE '^[EW]: ' <<< "$report" || fail "$report"
echo "install tree sound"
