#!/bin/sh
# The add-in exports its entry points and the procedures it registers, and nothing else.
set -eu
# The list, one name a line, is exports.txt beside this script; the firewall test reads it too.
addin=$1
expected=$(LC_ALL=C sort "$(dirname "$0")/exports.txt" | tr '\n' ' ' | sed 's/ $//')
actual=$(nm -D --defined-only "$addin" | awk '$2 ~ /^[TtWwDdBbVvRr]$/ {print $3}' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "exports of $addin differ"
  echo "expected: $expected"
  echo "actual:   $actual"
  exit 1
fi
echo "exports: $actual"
