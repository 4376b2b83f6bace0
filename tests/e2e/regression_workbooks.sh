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
"$kvhost" --lang pt run ewv --data "$prices" --select A2:A1861 --ok --out "$out/ewv.xlsx" \
  >"$out/ewv.log" 2>&1
check "best decay" $? 0
verify "best decay's forecast block against numpy" ewv "$out/ewv.xlsx" "$prices" 0

summary
