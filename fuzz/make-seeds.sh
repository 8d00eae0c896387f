#!/usr/bin/env bash
# Writes starting inputs for the fuzz targets: small sound catalogues made by tabulon-cli,
# so that a short run starts from files that get past the headers into the records and
# the trees, instead of from nothing.
#
#   fuzz/make-seeds.sh TABULON-CLI OUTDIR
#
# OUTDIR/fuzz_mdx/ gets the index files; OUTDIR/fuzz_dbf/ gets inputs in that target's
# form: a first byte with bit 0 set (and bit 1 to ask for a pack), the table's length in
# two bytes, little-endian, then the table and its index. OUTDIR/fuzz_indexwalk/ gets the
# index of the 100 rows, which that target makes its table of.
set -euo pipefail
cli=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/fuzz_mdx" "$out/fuzz_dbf" "$out/fuzz_indexwalk"

# 12 records: one leaf per tag; 60: a root over several leaves; 100: two levels over the
# leaves; all under 64 KB of table.
for n in 12 60 100; do
  /usr/bin/python3 - "$n" > "$work/rows$n.tsv" <<'EOF'
import sys
n = int(sys.argv[1])
for i in range(n):
    folder = "ARCHIV\\" if i % 3 else "ARCHIV\\JAHR%02d\\" % (i % 7)
    name = "Bild_%04d.jpg" % ((i * 37) % 1000)
    date = "" if i % 5 == 0 else "2020%02d%02d" % (i % 12 + 1, i % 28 + 1)
    note = "" if i % 4 == 0 else "Notiz %d" % (i * 13 % 50)
    code = "AB" if i % 6 == 0 else ""
    print("\t".join([folder, name, date, note, code, "%d K" % (i + 1)]))
EOF
  "$cli" create "$work/c$n.dbf" > /dev/null
  "$cli" import "$work/c$n.dbf" "$work/rows$n.tsv" > /dev/null
  "$cli" check "$work/c$n.dbf" > /dev/null
  cp "$work/c$n.mdx" "$out/fuzz_mdx/catalogue$n"
  if [ "$n" = 100 ]; then
    cp "$work/c$n.mdx" "$out/fuzz_indexwalk/catalogue$n"
  fi
  /usr/bin/python3 - "$work/c$n.dbf" "$work/c$n.mdx" "$out/fuzz_dbf/catalogue$n" <<'EOF'
import sys
table = open(sys.argv[1], "rb").read()
index = open(sys.argv[2], "rb").read()
assert len(table) < 65536
for first, suffix in ((1, ""), (3, "-pack")):
    with open(sys.argv[3] + suffix, "wb") as f:
        f.write(bytes([first, len(table) & 0xFF, len(table) >> 8]) + table + index)
EOF
done
