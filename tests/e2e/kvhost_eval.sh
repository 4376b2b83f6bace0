#!/bin/sh
# kvhost eval end to end: formulas on CSV data, what is printed, and the exit codes.
# Arguments: kvhost, the fixture add-in (probe functions), the real add-in.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
fixture=$2
addin=$3
tab=$(printf '\t')


printf 'x,name,flag\n1,a,TRUE\n,"12",#DIV/0!\n2.5,b c,false\n' >"$out/prices.csv"
printf '10,20\n30,40\n' >"$out/rates 2.csv"

# One line per formula, arrays one row per line with tab-separated cells.
"$kvhost" --addin "$fixture" eval --data "$out/prices.csv" --data "$out/rates 2.csv" \
  'FIX.ECHO(A2:C3)' '=fix.echo(prices!$B$3)' "FIX.ECHO('rates 2'!A1:B2)" 'FIX.COLUMN(0.5)' \
  'FIX.NOT(C2)' 'FIX.RATIO(A4, 2)' >"$out/eval" 2>"$out/eval.err"
check "eval" $? 0
same "results" "$out/eval" "1${tab}a${tab}TRUE
0${tab}12${tab}#DIV/0!
12
10${tab}20
30${tab}40
0.5
x
TRUE
FALSE
1.25"
[ -s "$out/eval.err" ] && fail "no messages expected: $(cat "$out/eval.err")" || pass

# Error values are results: printed, exit 0, and why on standard error.
"$kvhost" --addin "$fixture" eval --data "$out/prices.csv" 'NO.SUCH(A1)' 'FIX.ECHO(A1' \
  'FIX.NOT(TRUE,TRUE)' 'FIX.ECHO(nowhere!A1)' 'FIX.HALF(40000)' 'FIX.RATIO(C3,1)' \
  'FIX.RATIO(1,0)' 'FIX.NULL()' 'FIX.COMMAND()' >"$out/errors" 2>"$out/errors.err"
check "error values" $? 0
same "error names" "$out/errors" "#NAME?
#NAME?
#VALUE!
#REF!
#NUM!
#DIV/0!
#NUM!
#NUM!
#NAME?"
contains "unknown function explained" "$out/errors.err" "NO.SUCH(A1): no worksheet function is registered as NO.SUCH"
contains "bad sheet explained" "$out/errors.err" 'there is no sheet named "nowhere"'

# Precision, and the option's place.
"$kvhost" eval --precision 4 'FIX.RATIO(2,3)' 'FIX.RATIO(1e20,1)' --addin "$fixture" >"$out/precision" 2>&1
check "precision" $? 0
same "four digits" "$out/precision" "0.6667
1E+20"
"$kvhost" --addin "$fixture" eval 'FIX.RATIO(2,3)' >"$out/default" 2>&1
same "fifteen digits by default" "$out/default" "0.666666666666667"
"$kvhost" --addin "$fixture" eval --precision 0 'FIX.RATIO(2,3)' >/dev/null 2>&1
check "precision 0" $? 2
"$kvhost" --addin "$fixture" eval >/dev/null 2>&1
check "no formula" $? 2

# Input that cannot be used: one line naming the file, exit 2.
"$kvhost" --addin "$fixture" eval --data "$out/absent.csv" 'FIX.NOT(TRUE)' >"$out/absent" 2>&1
check "unreadable file" $? 2
contains "unreadable names the file" "$out/absent" "$out/absent.csv"
lines "unreadable" "$out/absent" 1
mkdir "$out/other" && cp "$out/prices.csv" "$out/other/Prices.csv"
"$kvhost" --addin "$fixture" eval --data "$out/prices.csv" --data "$out/other/Prices.csv" 'FIX.NOT(TRUE)' >"$out/twice" 2>&1
check "two files, one sheet name" $? 2
contains "same stem names the file" "$out/twice" "$out/other/Prices.csv"
lines "same stem" "$out/twice" 1
awk 'BEGIN { for (i = 0; i < 16400; i++) printf "1,"; print "" }' >"$out/wide.csv"
"$kvhost" --addin "$fixture" eval --data "$out/wide.csv" 'FIX.NOT(TRUE)' >"$out/wide" 2>&1
check "wider than the grid" $? 2
contains "wide names the file" "$out/wide" "$out/wide.csv"

# The add-in beside kvhost by default: its worksheet functions answer with numbers.
printf '1\n2\n3\n4\n10\n' >"$out/data.csv"
"$kvhost" eval --data "$out/data.csv" 'KV.KURT(A1:A5)' 'KV.SKEW(data!A1:A5,FALSE,TRUE)' >"$out/real" 2>"$out/real.err"
check "the real add-in" $? 0
lines "two formulas" "$out/real" 2
if grep -qvE '^-?[0-9.]+(E[-+][0-9]+)?$|^#[A-Z/0!?]+$' "$out/real"; then fail "not numbers or errors: $(cat "$out/real")"; else pass; fi
"$kvhost" --addin "$addin" eval 'KV.SKEW(A1:A5)' >"$out/explicit" 2>&1
check "--addin given explicitly" $? 0

# A CSV file as Excel saves it under Portuguese settings: ';' between fields, a decimal comma,
# '.' between groups of thousands, CR LF. Found in the file; forced with --csv-separator and
# --csv-decimal. The mean of B2:B4 (the second line of KV.EWV's answer) is
# (1605.54 + 1628.75 + 1600) / 3 = 1611.43.
printf 'Data;Preco\r\n01/01/2024;1605,54\r\n02/01/2024;1.628,75\r\n03/01/2024;1600\r\n' \
  >"$out/precos.csv"
"$kvhost" --addin "$fixture" eval --data "$out/precos.csv" 'FIX.ECHO(A1:B4)' >"$out/br" 2>&1
check "a ';' file" $? 0
same "decimal commas and thousands" "$out/br" "Data${tab}Preco
01/01/2024${tab}1605.54
02/01/2024${tab}1628.75
03/01/2024${tab}1600"
"$kvhost" --addin "$addin" eval --data "$out/precos.csv" 'KV.EWV(B2:B4,0.94,1,FALSE,FALSE)' \
  >"$out/br-ewv" 2>&1
check "KV.EWV on the ';' file" $? 0
sed -n 2p "$out/br-ewv" >"$out/br-mean"
same "the mean of the ';' file" "$out/br-mean" "1611.43"
"$kvhost" --addin "$fixture" eval --csv-separator , --data "$out/precos.csv" 'FIX.ECHO(A2:B2)' \
  >"$out/br-comma" 2>&1
same "--csv-separator , reads it as a comma file" "$out/br-comma" "01/01/2024;1605${tab}54"
"$kvhost" --addin "$fixture" eval --data "$out/precos.csv" --csv-decimal . 'FIX.ECHO(B2:B3)' \
  >"$out/br-point" 2>&1
same "--csv-decimal . leaves decimal commas texts" "$out/br-point" "1605,54
1.628,75"
printf 'x;y\n0,5;1,5\n' >"$out/tabs.csv"
"$kvhost" --addin "$fixture" eval --data "$out/tabs.csv" --csv-separator tab --csv-decimal , \
  'FIX.ECHO(A2)' >"$out/br-tab" 2>&1
same "--csv-separator tab" "$out/br-tab" "0,5;1,5"
"$kvhost" --addin "$fixture" eval --data "$out/precos.csv" --csv-separator , --csv-decimal , \
  'FIX.ECHO(A1)' >"$out/br-both" 2>&1
check "a decimal comma in a comma file" $? 2
lines "one line for the comma pair" "$out/br-both" 1
"$kvhost" --addin "$fixture" eval --data "$out/precos.csv" --csv-separator '|' 'FIX.ECHO(A1)' \
  >/dev/null 2>&1
check "a separator kvhost does not read" $? 2

# Data that has no end, or no data a sheet can hold: refused at once, one line each.
mkfifo "$out/pipe.csv"
head -c 200000 /dev/zero >"$out/zeros.csv"
for data in /dev/zero "$out/pipe.csv" "$out/zeros.csv"; do
  timeout 20 "$kvhost" --addin "$addin" eval --data "$data" 'KV.SKEW(A1:A3,1)' >/dev/null \
    2>"$out/endless"
  check "refused: $data" $? 2
  lines "one line for $data" "$out/endless" 1
done
/usr/bin/python3 -c "print('x' * 32767 + ',1')" >"$out/longest.csv"
"$kvhost" --addin "$addin" eval --data "$out/longest.csv" 'KV.SKEW(longest!A1:B1,1)' >/dev/null 2>&1
check "a text as long as a cell holds" $? 0

summary
