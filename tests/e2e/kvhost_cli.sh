#!/bin/sh
# kvhost end to end: what a person sees on the command line, and the exit codes.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
addin=$2


"$kvhost" info >"$out/info" 2>"$out/info.err"
check "info" $? 0
contains "long name" "$out/info" "Add-in: Kavenlor - Metrics for Financial Market"
# Every row is offered; Excel registers the procedures the add-in exports, refuses the rest.
contains_re "function count" "$out/info" "^Worksheet functions \(([0-9]+) registered(, [0-9]+ refused)?\)$"
contains "skew" "$out/info" "KV.SKEW(Data, Returns, Sample, Type, Intervals)"
# Excel 2007 and later call the Excel 12 procedure with its Excel 12 records; Excel 2003 the
# Excel 4 one.
contains "skew procedure" "$out/info" "procedure: skew12   type text: QQAAII   category: Kavenlor"
"$kvhost" --excel-version 11.0 info >"$out/info11" 2>"$out/info11.err"
check "info as Excel 2003" $? 0
contains "skew procedure before 12" "$out/info11" "procedure: skew   type text: PPAAII   category: Kavenlor"
contains "ewv help" "$out/info" "help: Returns volatility and mean values for data using exponentially weighting and also tolerance"
contains_re "command count" "$out/info" "^Commands \([0-9]+ registered(, [0-9]+ refused)?\)$"
[ "$(grep -cE '^  KV\.[A-Z]+\(' "$out/info")" -eq 5 ] && pass || fail "not 5 functions"
[ "$(grep -cE '^  kv_menu_[a-z]+ -> kv_chama_' "$out/info")" -eq 12 ] && pass || fail "not 12 commands"
contains "command" "$out/info" "kv_menu_sobre -> kv_chama_sobre"

# Global options before or after the subcommand.
"$kvhost" info --addin "$addin" >"$out/after" 2>&1
check "--addin after the subcommand" $? 0
"$kvhost" --addin "$addin" info >"$out/before" 2>&1
check "--addin before the subcommand" $? 0
cmp -s "$out/after" "$out/before" && pass || fail "option position changed the output"

"$kvhost" addin add >"$out/add" 2>"$out/add.err"
check "addin add" $? 0
contains "add alert" "$out/add.err" "[Alert] KAVENLOR add-in - Metrics for Financial Market - will be added!"
contains_re "add offers skew" "$out/add" "registered KV.SKEW -> skew12 \(QQAAII\), function|refused REGISTER of skew12 \(KV.SKEW\)"

"$kvhost" addin remove >"$out/remove" 2>"$out/remove.err"
check "addin remove" $? 0
contains "remove alert" "$out/remove.err" "[Alert] KAVENLOR add-in - Metrics for Financial Market - will be removed!"
contains_re "remove hides" "$out/remove" "registered KV.KURT -> kurt12 \(QQAA\), hidden function|refused REGISTER of kurt12 \(KV.KURT\)"
contains "close deletes" "$out/remove" "deleted name kv_menu_hist"
contains "close deletes the last name" "$out/remove" "deleted name kv_menu_sobre"

"$kvhost" --addin /nonexistent/kavenlor.so info >"$out/missing" 2>&1
check "missing add-in" $? 2
contains "missing names the file" "$out/missing" "/nonexistent/kavenlor.so"
lines "missing add-in, one line" "$out/missing" 1

echo "not a library" >"$out/fake.so"
"$kvhost" --addin "$out/fake.so" info >"$out/fake" 2>&1
check "file that is not a library" $? 2
contains "fake names the file" "$out/fake" "$out/fake.so"

# An add-in cut short anywhere is refused with one line, never a crash in the loader; a FIFO
# given as the add-in or as the settings file stops nothing.
size=$(wc -c <"$addin")
step=$((size / 40))
cut=1000
while [ "$cut" -lt "$size" ]; do
  head -c "$cut" "$addin" >"$out/cut.so"
  "$kvhost" --addin "$out/cut.so" info >/dev/null 2>"$out/cut"
  status=$?
  if [ "$status" -ne 2 ] || [ "$(wc -l <"$out/cut")" -ne 1 ]; then
    fail "the add-in cut at $cut bytes (exit $status)"; cat "$out/cut"
  else pass; fi
  cut=$((cut + step))
done
mkfifo "$out/fifo.so" "$out/fifo-registry"
timeout 20 "$kvhost" --addin "$out/fifo.so" info >/dev/null 2>"$out/fifo"
check "a FIFO as the add-in" $? 2
contains "why" "$out/fifo" "it is not a regular file"
KAVENLOR_REGISTRY="$out/fifo-registry" timeout 20 "$kvhost" menu >/dev/null 2>&1
check "a FIFO as the settings file" $? 0

"$kvhost" nosuchcommand >/dev/null 2>&1
check "unknown subcommand" $? 2
"$kvhost" addin toggle >/dev/null 2>&1
check "unknown addin action" $? 2
# Excel refusing the add-in's calls: counted on the last line of standard error, and from the
# first call on, the menu is never built.
"$kvhost" --count-calls menu >/dev/null 2>"$out/count"
check "--count-calls" $? 0
tail -1 "$out/count" >"$out/last"
contains_re "the count, last" "$out/last" '^[1-9][0-9]* callbacks$'
"$kvhost" --fail-calls-from 1 menu >"$out/refused" 2>&1
check "every call refused" $? 0
contains "no menu" "$out/refused" 'No "Kavenlor" menu on bar 10.'
"$kvhost" --fail-call 0 menu >/dev/null 2>&1
check "--fail-call 0" $? 2

# Output that cannot be written is a failed run, said once on standard error.
if [ -w /dev/full ]; then
  "$kvhost" info >/dev/full 2>"$out/full"
  check "standard output on a full disk" $? 2
  contains "why" "$out/full" "cannot write the standard output"
fi
"$kvhost" --help >"$out/help" 2>&1
check "--help" $? 0
contains "help lists info" "$out/help" "info"

summary
