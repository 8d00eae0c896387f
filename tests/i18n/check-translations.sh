#!/usr/bin/env bash
# Checks that every translation is complete. lupdate, run over the program's sources on a
# copy of each .ts file with the options of the update_translations target, must leave it
# as it is: no text of the sources is missing, none that the sources lost is kept. No
# message may be unfinished, and lrelease must compile every one.
# usage: check-translations.sh LUPDATE LRELEASE SOURCES_LIST TS_FILE...
# (LUPDATE_OPTIONS in the environment, separated by blanks.)
set -euo pipefail
lupdate=${1:?usage: check-translations.sh LUPDATE LRELEASE SOURCES_LIST TS_FILE...}
lrelease=$2
sources=$3
shift 3
[ $# -gt 0 ] || { echo "no translation to check"; exit 1; }
read -r -a options <<< "${LUPDATE_OPTIONS:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$@"; do
  name=$(basename "$ts")
  copy="$work/$name"
  cp "$ts" "$copy"
  "$lupdate" -silent "${options[@]}" "@$sources" -ts "$copy" > /dev/null
  if ! cmp -s "$ts" "$copy"; then
    echo "$name does not hold the texts of the sources: build the update_translations target"
    echo "and translate what it adds. The difference:"
    diff "$ts" "$copy" | head -n 40 || true
    status=1
  fi
  unfinished=$(grep -B2 'type="unfinished"\|type="vanished"\|type="obsolete"' "$copy" |
    sed -n 's|.*<source>\(.*\)</source>.*|  \1|p' || true)
  if [ -n "$unfinished" ]; then
    echo "$name leaves texts untranslated:"
    echo "$unfinished"
    status=1
  fi
  report=$("$lrelease" "$ts" -qm "$work/${name%.ts}.qm" 2>&1)
  if ! grep -q ' 0 unfinished)' <<< "$report" || grep -q 'untranslated' <<< "$report"; then
    echo "lrelease on $name: $report"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "translations complete: $*"
exit "$status"
