#!/bin/sh
# The add-in exports its entry points and the procedures it registers, and nothing else.
set -eu
# The list, one name a line in C order, is exports.txt beside this script; the firewall test
# reads it too, and the Windows check holds kavenlor.xll to it. With KV_UPDATE_GOLDEN set the
# list is written from this add-in instead of compared.
addin=$1
list="$(dirname "$0")/exports.txt"
names=$(nm -D --defined-only "$addin" | awk '$2 ~ /^[TtWwDdBbVvRr]$/ {print $3}' | LC_ALL=C sort)
# nm's failure does not reach past the pipe: an empty list is one, and is never written.
if [ -z "$names" ]; then echo "no exports read from $addin"; exit 1; fi
if [ -n "${KV_UPDATE_GOLDEN+set}" ]; then
  printf '%s\n' "$names" >"$list"
  echo "KV_UPDATE_GOLDEN is set: wrote $list, not compared"
  exit 0
fi
expected=$(LC_ALL=C sort "$list" | tr '\n' ' ' | sed 's/ $//')
actual=$(printf '%s\n' "$names" | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "exports of $addin differ from $list"
  echo "expected: $expected"
  echo "actual:   $actual"
  echo "(a deliberate change: KV_UPDATE_GOLDEN=1 ctest --preset default -L golden, then read git diff before committing)"
  exit 1
fi
echo "exports: $actual"
