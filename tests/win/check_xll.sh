#!/bin/sh
# kavenlor.xll exports Excel's entry points under undecorated names, imports Excel4/Excel4v
# from XLCALL32.DLL, and needs no MinGW runtime DLL beside it.
set -eu
objdump=$1
xll=$2
dump=$("$objdump" -p "$xll")
fail=0

exports=$(printf '%s\n' "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^\t\[/ {print $NF} on && /^$/ {on=0}' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
expected=$(LC_ALL=C sort "$(dirname "$0")/../e2e/exports.txt" | tr '\n' ' ' | sed 's/ $//')
if [ "$exports" != "$expected" ]; then
  echo "exports differ: expected '$expected', found '$exports'"
  # The list is the Linux add-in's, written by its own test; this build must export the same.
  echo "(tests/e2e/exports.txt: a deliberate change is written from the Linux add-in with"
  echo " KV_UPDATE_GOLDEN=1 ctest --preset default -L golden)"; fail=1
fi

# Import section: the functions listed under "DLL Name: XLCALL32.DLL".
xlcall=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {dll=$3} dll=="XLCALL32.DLL" && /^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ {print $3}' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$xlcall" != "Excel4 Excel4v" ]; then
  echo "imports from XLCALL32.DLL: expected 'Excel4 Excel4v', found '$xlcall'"; fail=1
fi

dlls=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')
case "$dlls" in
  *libstdc++*|*libgcc*|*libwinpthread*) echo "needs a MinGW runtime DLL: $dlls"; fail=1 ;;
esac
echo "exports: $exports"
echo "imports: $dlls (XLCALL32.DLL: $xlcall)"
exit $fail
