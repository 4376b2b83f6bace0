#!/bin/sh
# The regression and best-decay tools from OK to the saved workbook: kvhost run --out, the .xlsx
# read back with openpyxl against numpy and scipy (check_regression_workbook.py); the p-values
# come from kvhost's TDIST and FDIST, as the add-in asks Excel for them.
# Arguments: kvhost, the bundled data folder.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2
own_settings
prices="$data/eu_stock_markets.csv"

verify() { verify_with check_regression_workbook.py "$@"; } # description, checker arguments...

"$kvhost" run rlm --data "$prices" --select A2:D1861 --ok --out "$out/rlm.xlsx" >"$out/rlm.log" 2>&1
check "regression" $? 0
verify "regression against numpy and scipy" rlm "$out/rlm.xlsx" "$prices" 4
"$kvhost" run rlm --data "$prices" --select A2:D1861 --click o_cores --ok --out "$out/rlm-bw.xlsx" \
  >"$out/rlm-bw.log" 2>&1
check "regression in black and white" $? 0
verify "regression in black and white" rlm "$out/rlm-bw.xlsx" "$prices" 4
# Robust errors, diagnostics and the residuals sheet with its chart: every covariance, both
# languages and colour modes, the fewest observations RESET cannot take, and an exact fit.
cases="$(dirname "$0")/cases"
for errors in 1:HC0 2:HC1 3:HC2 4:HC3 5:NW; do
  "$kvhost" run rlm --data "$prices" --select A2:D1861 --set c_erros="${errors%%:*}" \
    --click o_diagnosticos --click o_residuos --ok --out "$out/rlm-${errors#*:}.xlsx" \
    >"$out/rlm-${errors#*:}.log" 2>&1
  check "regression with ${errors#*:} errors" $? 0
  verify "${errors#*:} errors, diagnostics and residuals against numpy" rlm-options \
    "$out/rlm-${errors#*:}.xlsx" "$prices" 4 "${errors#*:}" en
done
"$kvhost" --lang pt run rlm --data "$prices" --select A2:C300 --set c_erros=4 --click o_diagnosticos \
  --click o_residuos --click o_cores --ok --out "$out/rlm-pt.xlsx" >"$out/rlm-pt.log" 2>&1
check "regression with every option in Portuguese, black and white" $? 0
verify "every option in Portuguese" rlm-options "$out/rlm-pt.xlsx" "$prices" 3 HC3 pt 299
"$kvhost" run rlm --data "$prices" --select A2:D6 --set c_erros=5 --click o_diagnosticos \
  --click o_residuos --ok --out "$out/rlm-small.xlsx" >"$out/rlm-small.log" 2>&1
check "regression of n = k + 2 observations" $? 0
verify "RESET left empty for n = k + 2" rlm-options "$out/rlm-small.xlsx" "$prices" 4 NW en 5
"$kvhost" run rlm --data "$cases/exact.csv" --select A2:C13 --set c_erros=4 --click o_diagnosticos \
  --click o_residuos --ok --out "$out/rlm-exact.xlsx" >"$out/rlm-exact.log" 2>&1
check "regression of an exact fit" $? 0
verify "an exact fit's tests divide by zero" rlm-exact "$out/rlm-exact.xlsx" "$cases/exact.csv" 3
# As Excel before version 12, whose sheet has 65536 rows: 65535 observations fill the residuals
# sheet below its header; 65536 leave no row for it: refused before anything is written, with a
# message that says so.
awk 'BEGIN { for (i = 1; i <= 1048576; i++) print (i % 7) + i / 1000 "," (i % 5) }' >"$out/rows.csv"
head -n 65536 "$out/rows.csv" >"$out/rows-65536.csv"
excel4() { "$kvhost" --excel-version 11.0 "$@"; }
excel4 run rlm --data "$out/rows-65536.csv" --select A1:B65535 --click o_residuos --ok \
  >"$out/rlm-full.log" 2>&1
check "a residuals sheet of 65535 observations" $? 0
absent "a residuals sheet of 65535 observations, no message" "$out/rlm-full.log" "[Warning]"
excel4 run rlm --data "$out/rows-65536.csv" --select A1:B65536 --click o_residuos --ok \
  --out "$out/rlm-rows.xlsx" >"$out/rlm-rows.log" 2>&1
contains "a residuals sheet too long for the sheet" "$out/rlm-rows.log" \
  "The residuals sheet has 65536 rows and holds at most 65535 observations, but the data range has 65536"
if [ -e "$out/rlm-rows.xlsx" ]; then fail "a refused run saved its workbook"; else pass; fi
# Today's Excel: 70000 observations go past the old last row; the whole grid's 1048576 rows are
# one too many.
"$kvhost" run rlm --data "$out/rows.csv" --select A1:B70000 --click o_residuos --ok \
  --out "$out/rlm-70000.xlsx" >"$out/rlm-70000.log" 2>&1
check "a residuals sheet of 70000 observations" $? 0
/usr/bin/python3 - "$out/rlm-70000.xlsx" <<'PY'
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1], read_only=True).worksheets[1]
rows = list(ws.iter_rows(min_col=1, max_col=1, values_only=True))
sys.exit(0 if len(rows) == 70001 and rows[-1][0] == 70000 else 1)
PY
check "the residuals sheet's header and its 70000 observations" $? 0
"$kvhost" run rlm --data "$out/rows.csv" --select A1:B1048576 --click o_residuos --ok \
  --out "$out/rlm-grid.xlsx" >"$out/rlm-grid.log" 2>&1
contains "a residuals sheet too long for today's sheet" "$out/rlm-grid.log" \
  "The residuals sheet has 1048576 rows and holds at most 1048575 observations, but the data range has 1048576"
if [ -e "$out/rlm-grid.xlsx" ]; then fail "a refused run saved its workbook"; else pass; fi

"$kvhost" --lang pt run ewv --data "$prices" --select A2:A1861 --ok --out "$out/ewv.xlsx" \
  >"$out/ewv.log" 2>&1
check "best decay" $? 0
verify "best decay's forecast block against numpy" ewv "$out/ewv.xlsx" "$prices" 0

summary
