#!/usr/bin/env bash
# The Windows packages as a user gets them: both zips hold the same files, each .xll is built for
# its Excel, and the 64-bit one, unpacked into a fresh folder and installed with its
# install.cmd, loads in kvhost under Wine with its toolbar pictures and computes.
# Run under wine_run.sh:  wine_run.sh PREFIX dist_check.sh KVHOST LINUX_ADDIN DIST_DIR DATA
set -uo pipefail
. "$(dirname "$0")/../e2e/checks.sh"
kvhost=$1 linux_addin=$2 dist=$3 data=$4
# The package holds the add-in alone: kvhost's helper comes from the build, found through
# KVHOST_XLL_HELPER (the add-in's XLCALL32.DLL is beside the helper).
helper=$(cd "$(dirname "$kvhost")/../../mingw64/bin" 2>/dev/null && pwd)/kvxlbridge.exe
export KVHOST_XLL_HELPER="${KVHOST_XLL_HELPER:-$helper}"

zip64=$(ls "$dist"/kavenlor-*-win64.zip 2>/dev/null | head -1)
zip32=$(ls "$dist"/kavenlor-*-win32.zip 2>/dev/null | head -1)
[ -n "$zip64" ] && [ -n "$zip32" ] || { echo "no packages in $dist (./kv dist)"; exit 1; }

files() { unzip -Z1 "$1" | sed 's|^[^/]*/||' | LC_ALL=C sort; }
files "$zip32" >"$out/files32"
files "$zip64" >"$out/files64"
same "the two packages hold the same files" "$out/files32" "$(cat "$out/files64")"
tr '\n' ' ' <"$out/files64" >"$out/files"
same "what a package holds" "$out/files" \
  " LEIA-ME.txt README.txt img/ img/arc.bmp img/cmp.bmp img/ewv.bmp img/hist.bmp img/hlp.bmp img/ica.bmp img/pca.bmp img/rlm.bmp img/welcome.jpg install.cmd kavenlor.xll "

unzip -q "$zip64" -d "$out/unpacked64"
unzip -q "$zip32" -d "$out/unpacked32"
xll64=$(ls "$out"/unpacked64/*/kavenlor.xll)
xll32=$(ls "$out"/unpacked32/*/kavenlor.xll)
case "$(file -b "$xll64")" in *PE32+*x86-64*) pass ;; *) fail "win64 package: $(file -b "$xll64")" ;; esac
case "$(file -b "$xll32")" in *PE32\ *Intel\ 80386*) pass ;; *) fail "win32 package: $(file -b "$xll32")" ;; esac
case "$(file -b "$out"/unpacked64/*/LEIA-ME.txt)" in *ISO-8859*CRLF*|*Non-ISO*CRLF*) pass ;;
  *) fail "LEIA-ME.txt: $(file -b "$out"/unpacked64/*/LEIA-ME.txt)" ;; esac

# install.cmd records the unpacked folder, as a user running it would.
own_settings
wine reg delete 'HKLM\Software\Kavenlor' /f >/dev/null 2>&1
folder=$(dirname "$xll64")
(cd "$folder" && wine cmd /c install.cmd) >"$out/install" 2>&1
check "install.cmd" $? 0
wine reg query 'HKLM\Software\Kavenlor' /v PATH | tr -d '\r' >"$out/path"
if grep -qF "$(winepath -w "$folder")" "$out/path"; then pass; else fail "PATH: $(cat "$out/path")"; fi

"$kvhost" --addin "$xll64" menu >"$out/menu" 2>"$out/menu.err"
check "menu of the unpacked add-in" $? 0
count "toolbar pictures" "$out/menu" "picture 16x16" 8
empty "no message" "$out/menu.err"
formula="KV.SKEW(eu_stock_markets!A2:A1861,1)"
"$kvhost" --addin "$xll64" eval --data "$data/eu_stock_markets.csv" "$formula" >"$out/skew" 2>&1
check "a worksheet function of the unpacked add-in" $? 0
"$kvhost" --addin "$linux_addin" eval --data "$data/eu_stock_markets.csv" "$formula" >"$out/skew.linux" 2>&1
/usr/bin/python3 "$(dirname "$0")/compare_outputs.py" "$out/skew.linux" "$out/skew" && pass ||
  fail "KV.SKEW differs from the Linux add-in's"
wine reg delete 'HKLM\Software\Kavenlor' /f >/dev/null 2>&1
summary
