#!/bin/sh
# Crafted workbooks (make_hostile_workbooks.py) through kvhost eval: each refused with one line
# naming the file and the reason, exit 2, at once and in little memory; the one a reader can take
# (one long shared string shown by 76,800 cells) read in little memory.
# Arguments: kvhost, the generator, and "sanitized" when kvhost runs under the sanitizers (which
# reserve more address space than a memory limit leaves).
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
generator=$2
sanitized=${3:-}
own_settings

/usr/bin/python3 "$generator" files "$out" || { echo "FAIL: the generator"; exit 1; }

# The run's memory limit: far below what the faults took (a 32,767-character text copied into
# 76,800 cells is 2.5 GB), far above what kvhost needs to read these files.
limit_kb=1048576

refused() { # file, reason
  start=$(date +%s%N)
  if [ -z "$sanitized" ]; then
    (ulimit -v $limit_kb && "$kvhost" eval --data "$out/$1" 'KV.SKEW(Dados!A1:A3)') \
      >"$out/$1.out" 2>"$out/$1.err"
  else
    "$kvhost" eval --data "$out/$1" 'KV.SKEW(Dados!A1:A3)' >"$out/$1.out" 2>"$out/$1.err"
  fi
  status=$?
  elapsed_ms=$((($(date +%s%N) - start) / 1000000))
  check "$1 refused" $status 2
  lines "$1: one line" "$out/$1.err" 1
  contains "$1 named" "$out/$1.err" "$out/$1: "
  contains "$1's reason" "$out/$1.err" "$2"
  empty "$1: nothing printed" "$out/$1.out"
  # A second at most with the sanitizers' slowness; the release build takes a few hundredths.
  if [ $elapsed_ms -le 5000 ]; then pass; else fail "$1 took $elapsed_ms ms"; fi
}

refused long_token.xlsx "the part xl/worksheets/sheet1.xml holds a tag longer than 256 KiB"
refused long_inline.xlsx "sheet 'Dados' holds at A1 a value longer than 32767 characters"
refused long_shared.xlsx "the shared strings part's text 1 is longer than 32767 characters"
refused huge_number.xlsx "sheet 'Dados' holds \"1E5000\" at B2, a number beyond the largest"
refused two_values.xlsx "sheet 'Dados' holds more than one value at A1"
refused case_parts.xlsx "the package holds two parts named xl/worksheets/Sheet1.xml"

# Read: the add-in's skewness of 76,800 texts is its error for no numbers.
if [ -z "$sanitized" ]; then
  (ulimit -v $limit_kb && "$kvhost" eval --data "$out/shared_text.xlsx" 'KV.SKEW(Dados!A1:IV300)') \
    >"$out/shared.out" 2>"$out/shared.err"
else
  "$kvhost" eval --data "$out/shared_text.xlsx" 'KV.SKEW(Dados!A1:IV300)' >"$out/shared.out" \
    2>"$out/shared.err"
fi
check "one shared text in 76,800 cells read" $? 0
lines "one result" "$out/shared.out" 1
contains "an error value" "$out/shared.out" "#"
summary
