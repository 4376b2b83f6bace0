#!/bin/sh
# `cmake --install` under a prefix of no importance: exactly the files of the GNU layout, and a
# kvhost there that finds its add-in, the add-in its pictures, and the user the bundled data,
# all relative to where the tree was put.
# usage: install_tree.sh CMAKE BUILD-DIR VERSION
set -u
cmake=$1 build=$2 version=$3
failures=0
check() { # description, then the command that must succeed
  what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/some where/opt"
export KAVENLOR_REGISTRY="$work/registry"

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; echo "FAILED: cmake --install"; exit 1; }
(cd "$prefix" && find . -type f | sed 's#^\./##' | sort) >"$work/files"
check "the files of the layout, and no others" diff -u - "$work/files" <<'EOF'
bin/kvhost
lib/kavenlor/kavenlor.so
lib/kavenlor/libkvplatform.so
lib/kavenlor/libxlcall32.so
share/bash-completion/completions/kvhost
share/doc/kavenlor/changelog.gz
share/doc/kavenlor/copyright
share/kavenlor/data/README.md
share/kavenlor/data/dem2gbp.csv
share/kavenlor/data/eu_stock_markets.csv
share/kavenlor/data/yield_curve.csv
share/kavenlor/img/arc.bmp
share/kavenlor/img/cmp.bmp
share/kavenlor/img/ewv.bmp
share/kavenlor/img/hist.bmp
share/kavenlor/img/hlp.bmp
share/kavenlor/img/ica.bmp
share/kavenlor/img/pca.bmp
share/kavenlor/img/rlm.bmp
share/kavenlor/img/welcome.jpg
share/man/man1/kvhost.1.gz
EOF

kvhost="$prefix/bin/kvhost"
cd "$work" || exit 1
check "kvhost --version: kvhost $version, and the add-in installed with it" \
  test "$("$kvhost" --version)" = "kvhost $version
kavenlor.so $version ($prefix/lib/kavenlor/kavenlor.so)"
check "kvhost info loads it" \
  sh -c '"$1" info | grep -qxF "File: $2/lib/kavenlor/kavenlor.so"' sh "$kvhost" "$prefix"
check "a histogram of the installed data, saved" \
  "$kvhost" --lang en run hist --data "$prefix/share/kavenlor/data/eu_stock_markets.csv" \
  --select A2:A1861 --ok --out "$work/histogram.xlsx"
check "the saved workbook is there" test -s "$work/histogram.xlsx"
check "the toolbar's eight pictures come from share/kavenlor/img" \
  sh -c '"$1" --lang en menu | grep -c "picture 16x16" | grep -qx 8' sh "$kvhost"
check "the manual page is compressed roff" \
  sh -c 'gzip -dc "$1/share/man/man1/kvhost.1.gz" | grep -q "^\.TH \"*kvhost"' sh "$prefix"
# Moved elsewhere, the tree still works: nothing in it names the prefix.
mv "$work/some where" "$work/moved"
check "moved to another prefix, kvhost still finds the add-in" \
  sh -c '"$1" --version | grep -q "($2/lib/kavenlor/kavenlor.so)"' sh "$work/moved/opt/bin/kvhost" \
  "$work/moved/opt"

echo "install_tree: $failures failed"
[ "$failures" -eq 0 ]
