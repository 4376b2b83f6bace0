#!/bin/sh
# The Windows add-in run by kvhost through its helper under Wine gives what the Linux add-in
# gives: the same registrations, menus, add-in manager sequences, formula values, message boxes
# and exit statuses.
#   xll_matches_so.sh KVHOST KAVENLOR_SO KAVENLOR_XLL WINE_PREFIX_DIR DATA_DIR
# Skipped (77) when the Windows build has not been made.
kvhost=$1 so=$2 xll=$3 prefix=$4 data=$5
[ -f "$xll" ] || { echo "no Windows build at $xll (cmake --build --preset mingw64)"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/checks.sh"
# Neither add-in sees the settings of the person running the tests.
export KAVENLOR_REGISTRY="$out/no-settings/registry"

# Runs kvhost once with each add-in; both outputs, errors and statuses must agree. The module's
# file name differs by nature (a Linux path, a Windows one): it is left out.
agree() { # description, kvhost arguments...
  what=$1
  shift
  "$kvhost" --addin "$so" "$@" >"$out/so" 2>"$out/so.err"
  so_status=$?
  "$here/wine_run.sh" "$prefix" "$kvhost" --addin "$xll" "$@" >"$out/xll" 2>"$out/xll.err"
  xll_status=$?
  sed -i '/^File: /d' "$out/so" "$out/xll"
  check "$what: status" "$xll_status" "$so_status"
  same "$what: output" "$out/xll" "$(cat "$out/so")"
  same "$what: messages" "$out/xll.err" "$(cat "$out/so.err")"
}

# The Windows add-in's settings live in the prefix's registry: none at the start, as for the
# Linux add-in.
"$here/wine_run.sh" "$prefix" wine reg delete 'HKLM\Software\Kavenlor' /f >/dev/null 2>&1

agree "info" info
agree "menu" menu
agree "menu --close" menu --close
agree "add-in manager tick" addin add
agree "add-in manager untick" addin remove
agree "worksheet functions" eval --precision 12 --data "$data/eu_stock_markets.csv" \
  --data "$data/yield_curve.csv" "KV.SKEW(eu_stock_markets!A2:A1861,1)" \
  "KV.KURT(eu_stock_markets!B2:B1861,1,0)" "KV.CSPLINE(yield_curve!B2:B13,yield_curve!A2:B13)" \
  "KV.EWV(eu_stock_markets!A2:A1861,0.94)" "KV.SKEW(eu_stock_markets!A2:A1861,1,0,2,10)"
agree "a launch refused with a message box" run pca --data "$data/eu_stock_markets.csv" \
  --select A2:A5,C2:C5
contains "the message box was read from the Windows window" "$out/xll.err" \
  "[Warning] Please, select a range of adjacent cells!"

# Launches refused for what the selected cells hold: the add-in read them one by one.
agree "a launch refused for its cells" --lang en run ewv --data "$data/eu_stock_markets.csv" \
  --select A1:A41
agree "a launch refused for its cells, in Portuguese" --lang pt run rlm \
  --data "$data/eu_stock_markets.csv" --select A2:C3
# A selection of 1860 numbers reaches the tool's dialog: no refusal for its cells.
"$here/wine_run.sh" "$prefix" "$kvhost" --addin "$xll" --lang en run hist \
  --data "$data/eu_stock_markets.csv" --select A2:A1861 --cancel >"$out/xll" 2>&1
absent "1860 numbers read through the helper" "$out/xll" "select more than one cell"
agree "a run in Portuguese (--lang)" --lang pt run hist --data "$data/eu_stock_markets.csv" \
  --select B7
contains "accents read from the Windows message box" "$out/xll.err" "[Atenção] Selecione mais"
agree "a menu in Portuguese" --lang pt menu
agree "a command that changes a setting" command kv_menu_exibir
agree "the setting changed, seen by the next run" command kv_menu_exibir
# --lang leaves the stored settings as they were: only SHOW, which the command stored.
"$here/wine_run.sh" "$prefix" wine reg query 'HKLM\Software\Kavenlor' >"$out/reg" 2>&1
absent "IDIOMA put back after --lang" "$out/reg" "IDIOMA"
absent "PATH put back after --lang" "$out/reg" "PATH"
contains "SHOW stored by the command" "$out/reg" "SHOW"

# The Windows file name the add-in knows itself by is what Excel registers it under.
"$here/wine_run.sh" "$prefix" "$kvhost" --addin "$xll" info >"$out/xll" 2>&1
contains_re "module name" "$out/xll" '^File: Z:\\.*\\kavenlor\.xll$'

# Files that are no x86-64 Windows add-in are refused on one line, exit 2.
printf 'MZ but no module' >"$out/fake.xll"
"$here/wine_run.sh" "$prefix" "$kvhost" --addin "$out/fake.xll" info >"$out/fake" 2>&1
check "not a module" $? 2
contains "not a module: why" "$out/fake" "kvhost: cannot load add-in $out/fake.xll: "
KVHOST_XLL_HELPER=/nonexistent/kvxlbridge.exe "$kvhost" --addin "$xll" info >"$out/nohelper" 2>&1
check "no helper" $? 2
contains "no helper: why" "$out/nohelper" "its helper /nonexistent/kvxlbridge.exe is missing"
summary
