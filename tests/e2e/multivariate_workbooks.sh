#!/bin/sh
# The PCA and ICA tools from OK to the saved workbook: kvhost run --out, the .xlsx read back with
# openpyxl and checked against numpy (check_multivariate_workbook.py), in both languages and both
# colour modes, the ICA's convergence report against a numpy run of the FastICA rule, the scores
# sheet at its size limit, and a second run writing the same model.
# Arguments: kvhost, the bundled data folder.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2
own_settings
prices="$data/eu_stock_markets.csv"

tool() { # tool, language, name, actions...
  which=$1 lang=$2 name=$3
  shift 3
  "$kvhost" --lang "$lang" run "$which" --data "$prices" --select A2:D1861 "$@" --ok \
    --out "$out/$name.xlsx" --dump "$out/$name.json" >"$out/$name.log" 2>&1
}
verify() { verify_with check_multivariate_workbook.py "$@"; } # description, checker arguments...

tool pca pt pca-colour
check "PCA in colour" $? 0
verify "PCA in colour" pca "$out/pca-colour.xlsx" "$prices" 4 pt
tool pca en pca-bw --click o_cores --set r_grupo=1 --set perc=95
check "PCA in black and white, proportion criterion" $? 0
verify "PCA in black and white" pca "$out/pca-bw.xlsx" "$prices" 4 en bw 95
for lang in pt en; do
  tool pca $lang pca-options-$lang --click o_escores --click o_adequacao --click o_paralela
  check "PCA with scores, adequacy and parallel analysis ($lang)" $? 0
  verify "PCA with every option ($lang)" pca "$out/pca-options-$lang.xlsx" "$prices" 4 $lang options
done
tool ica en ica-colour --click o_ica
check "ICA in colour" $? 0
verify "ICA in colour" ica "$out/ica-colour.xlsx" "$prices" 4 en
tool ica pt ica-bw --click o_ica --click o_cores
check "ICA in black and white" $? 0
verify "ICA in black and white" ica "$out/ica-bw.xlsx" "$prices" 4 pt bw
tool ica pt ica-convergencia --click o_ica --click o_convergencia
check "ICA with its convergence report" $? 0
verify "ICA with its convergence report" ica "$out/ica-convergencia.xlsx" "$prices" 4 pt convergence
tool ica en ica-convergence --click o_ica --click o_cores --click o_convergencia
check "ICA with its convergence report, in black and white" $? 0
verify "ICA with its convergence report, in black and white" ica "$out/ica-convergence.xlsx" \
  "$prices" 4 en bw convergence

# As Excel before version 12, whose sheet has 65536 rows: 65535 observations fill the scores
# sheet below its header; 65536 leave no row for it: refused before anything is written, with a
# message that says so.
awk 'BEGIN { for (i = 1; i <= 65536; i++) print (i % 7) + i / 1000 "," (i % 5) "," (i % 11) }' \
  >"$out/rows.csv"
excel4() { "$kvhost" --excel-version 11.0 "$@"; }
excel4 run pca --data "$out/rows.csv" --select A1:C65535 --click o_escores --ok \
  --out "$out/pca-rows.xlsx" >"$out/pca-full.log" 2>&1
check "a scores sheet of 65535 observations" $? 0
absent "a scores sheet of 65535 observations, no message" "$out/pca-full.log" "[Warning]"
/usr/bin/python3 - "$out/pca-rows.xlsx" <<'PY'
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1], read_only=True)["Scores"]
rows = list(ws.iter_rows(min_col=1, max_col=1, values_only=True))
sys.exit(0 if len(rows) == 65536 and rows[0][0] == "Obs." and rows[-1][0] == 65535 else 1)
PY
check "the scores sheet's header and its 65535 observations" $? 0
rm -f "$out/pca-rows.xlsx"
excel4 run pca --data "$out/rows.csv" --select A1:C65536 --click o_escores --ok \
  --out "$out/pca-rows.xlsx" >"$out/pca-rows.log" 2>&1
contains "a scores sheet too long for the sheet" "$out/pca-rows.log" \
  "The scores sheet has 65536 rows and holds at most 65535 observations, but the data range has 65536"
if [ -e "$out/pca-rows.xlsx" ]; then fail "a refused run saved its workbook"; else pass; fi
# Today's Excel takes all 65536 of them.
"$kvhost" run pca --data "$out/rows.csv" --select A1:C65536 --click o_escores --ok \
  --out "$out/pca-rows.xlsx" >"$out/pca-rows.log" 2>&1
check "a scores sheet of 65536 observations on today's sheet" $? 0

# Repeatable: a second run dumps the same model.
cp "$out/ica-colour.json" "$out/first.json"
tool ica en ica-colour --click o_ica
if cmp -s "$out/first.json" "$out/ica-colour.json"; then pass; else fail "a second ICA run dumps another model"; fi

summary
