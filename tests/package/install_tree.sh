#!/bin/sh
# `cmake --install` under a prefix of no importance: exactly the files of the GNU layout, and a
# kvhost there that finds its add-in, the add-in its pictures, and the user the bundled data,
# all relative to where the tree was put.
# usage: install_tree.sh CMAKE BUILD-DIR VERSION
set -u
# shellcheck source-path=SCRIPTDIR source=../e2e/checks.sh
. "$(dirname "$0")/../e2e/checks.sh"
cmake=$1 build=$2 version=$3
prefix="$out/some where/opt"
own_settings

"$cmake" --install "$build" --prefix "$prefix" >"$out/install.log" 2>&1 ||
  { cat "$out/install.log"; echo "FAILED: cmake --install"; exit 1; }
(cd "$prefix" && find . -type f | sed 's#^\./##' | sort) >"$out/files"
holds "the files of the layout, and no others" diff -u - "$out/files" <<'EOF'
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
cd "$out" || exit 1
holds "kvhost --version: kvhost $version, and the add-in installed with it" \
  test "$("$kvhost" --version)" = "kvhost $version
kavenlor.so $version ($prefix/lib/kavenlor/kavenlor.so)"
holds "kvhost info loads it" \
  sh -c '"$1" info | grep -qxF "File: $2/lib/kavenlor/kavenlor.so"' sh "$kvhost" "$prefix"
holds "a histogram of the installed data, saved" \
  "$kvhost" --lang en run hist --data "$prefix/share/kavenlor/data/eu_stock_markets.csv" \
  --select A2:A1861 --ok --out "$out/histogram.xlsx"
holds "the saved workbook is there" test -s "$out/histogram.xlsx"
holds "the toolbar's eight pictures come from share/kavenlor/img" \
  sh -c '"$1" --lang en menu | grep -c "picture 16x16" | grep -qx 8' sh "$kvhost"
holds "the manual page is compressed roff" \
  sh -c 'gzip -dc "$1/share/man/man1/kvhost.1.gz" | grep -q "^\.TH \"*kvhost"' sh "$prefix"
# Moved elsewhere, the tree still works: nothing in it names the prefix.
mv "$out/some where" "$out/moved"
holds "moved to another prefix, kvhost still finds the add-in" \
  sh -c '"$1" --version | grep -q "($2/lib/kavenlor/kavenlor.so)"' sh "$out/moved/opt/bin/kvhost" \
  "$out/moved/opt"

summary
