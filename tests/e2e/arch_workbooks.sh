#!/bin/sh
# The conditional-volatility (ARCH family) tool from OK to the saved workbook: kvhost run --out,
# the .xlsx read back with openpyxl against the likelihood, tests, volatilities and criteria
# recomputed with numpy and scipy, and against scipy's maxima and R fGarch on the DAX log returns
# (check_arch_workbook.py, which first tests itself against tests/reference/data/arch.json).
# Arguments: kvhost, the bundled data folder.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2
own_settings
prices="$data/eu_stock_markets.csv"

# The DAX prices, A2:A1861: 1859 log returns (returns and log returns are the dialog's defaults).
arch() { # language, name, selection, actions...
  lang=$1 name=$2 range=$3
  shift 3
  "$kvhost" --lang "$lang" run arch --data "$prices" --select "$range" "$@" --ok \
    --out "$out/$name.xlsx" >"$out/$name.log" 2>&1
}
verify() { verify_with check_arch_workbook.py "$@"; } # description, checker arguments...

arch en garch A2:A1861 --set r_grupo=1 --click o_graf
check "GARCH(1,1) with its chart" $? 0
verify "GARCH(1,1) with its chart" "$out/garch.xlsx" "$prices" 0 --model 1 --q 1 --p 1 --chart
arch pt gjr A2:A1861 --set r_grupo=4
check "GJR(1,1) in Portuguese" $? 0
verify "GJR(1,1) in Portuguese" "$out/gjr.xlsx" "$prices" 0 --model 4 --q 1 --p 1 --lang pt
arch en egarch A2:A1861 --set r_grupo=3
check "EGARCH(1,1)" $? 0
verify "EGARCH(1,1)" "$out/egarch.xlsx" "$prices" 0 --model 3 --q 1 --p 1
arch en arch2 A2:A1861 --set r_grupo=0 --set c_q=1
check "ARCH(2)" $? 0
verify "ARCH(2)" "$out/arch2.xlsx" "$prices" 0 --model 0 --q 2
# EGARCH(2,2) stops at the search's limit of passes; the polish after it reaches a maximum, so
# nothing is told and the status row stays empty.
arch en egarch22 A2:A1861 --set r_grupo=3 --set c_q=1 --set c_p=1
check "EGARCH(2,2) polished" $? 0
verify "EGARCH(2,2) polished" "$out/egarch22.xlsx" "$prices" 0 --model 3 --q 2 --p 2
# 30 values on which neither the search nor the polish of EGARCH(1,1) converges: told, and
# shown as it stands (--keep-partial: a run that ends with its message saves only when asked).
/usr/bin/python3 -c '
import math
print("x")
print("\n".join(repr(math.sin(t * 2.7) + 0.4 * math.cos(0.37 * t * t)) for t in range(30)))' \
  >"$out/rough.csv"
"$kvhost" run arch --data "$out/rough.csv" --select A2:A31 --set r_grupo=3 --click o_retorno \
  --ok --keep-partial --out "$out/rough.xlsx" >"$out/rough.log" 2>&1
check "EGARCH(1,1) not converged ends with its message" $? 1
contains "the non-convergence message" "$out/rough.log" "[Warning] No convergence!"
verify "EGARCH(1,1) not converged" "$out/rough.xlsx" "$out/rough.csv" 0 --model 3 \
  --treatment none --log-box on --not-converged
# Best model over ARCH, GARCH and GJR with the orders 0 .. 1, by BIC: GARCH(1,1) on these data.
arch en best A2:A1861 --click o_melhor --click o_arch --click o_garch --click o_gjr \
  --set c_q=1 --set c_p=1 --set r_akaike=2
check "best model by BIC" $? 0
verify "best model by BIC" "$out/best.xlsx" "$prices" 0 --best bic --models 0,1,4 --qmax 2 \
  --pmax 2
# Its progress on the status bar: ARCH (1), three GARCH and three GJR candidates.
count "a status line per candidate" "$out/best.log" "[Status] Best ARCH model: " 7
contains "the last candidate" "$out/best.log" "[Status] Best ARCH model: 7 of 7 — "

# Short series: 199 returns, a stationary fit charts them all and 13 projected points; a GJR
# fit, not stationary, its 199 observations only.
arch pt garch-short A2:A201 --set r_grupo=1 --click o_graf
check "GARCH(1,1) on 199 returns" $? 0
verify "GARCH(1,1) on 199 returns" "$out/garch-short.xlsx" "$prices" 0 --rows 200 --model 1 \
  --chart --lang pt
arch en gjr-short A2:A201 --set r_grupo=4 --click o_graf --click o_cores
check "GJR(1,1) on 199 returns, black and white" $? 0
verify "GJR(1,1) on 199 returns" "$out/gjr-short.xlsx" "$prices" 0 --rows 200 --model 4 --chart

# Simple returns of the data in reverse order.
arch en simple A2:A1861 --set r_grupo=1 --click o_log --click o_inversa
check "simple returns, reverse order" $? 0
verify "simple returns, reverse order" "$out/simple.xlsx" "$prices" 0 --model 1 \
  --treatment simple --reversed

# The log returns as data, without treatment: the log box stays ticked (disabled), so the
# volatilities are still turned into simple-return terms.
/usr/bin/python3 -c '
import json, sys
e = json.load(open(sys.argv[1]))["dax_log_returns"]
print("r")
print("\n".join(repr(v) for v in e))' "$(dirname "$0")/../reference/data/arch.json" >"$out/returns.csv"
"$kvhost" run arch --data "$out/returns.csv" --select A2:A1860 --set r_grupo=1 --click o_retorno \
  --ok --out "$out/none.xlsx" >"$out/none.log" 2>&1
check "returns as data" $? 0
verify "returns as data, log box still ticked" "$out/none.xlsx" "$out/returns.csv" 0 --model 1 \
  --treatment none --log-box on

# Error distributions, standard errors, the forecast and VaR, the backtest: every number
# recomputed from the sheet's parameters and the data (check_arch_distribution_workbook.py).
verify_dist() { verify_with check_arch_distribution_workbook.py "$@"; }
arch en garch-t A2:A1861 --set r_grupo=1 --set c_dist=1 --click o_erros --set horizonte=10 \
  --click o_backtest --click o_graf
check "GARCH(1,1) with Student's t, errors, forecast, backtest" $? 0
verify_dist "GARCH(1,1)-t" "$out/garch-t.xlsx" "$prices" 0 --model 1 --q 1 --p 1 --dist std \
  --errors --horizon 10 --backtest --log-returns
arch pt egarch-ged A2:A1861 --set r_grupo=3 --set c_dist=2 --click o_erros --set horizonte=5 \
  --click o_backtest
check "EGARCH(1,1) with the GED, in Portuguese" $? 0
verify_dist "EGARCH(1,1)-GED in Portuguese" "$out/egarch-ged.xlsx" "$prices" 0 --model 3 --q 1 \
  --p 1 --dist ged --errors --horizon 5 --backtest --log-returns --lang pt
arch en gjr-t A2:A1861 --set r_grupo=4 --set c_dist=1 --set horizonte=3 --click o_backtest
check "GJR(1,1) with Student's t" $? 0
verify_dist "GJR(1,1)-t" "$out/gjr-t.xlsx" "$prices" 0 --model 4 --q 1 --p 1 --dist std \
  --horizon 3 --backtest --log-returns
arch en igarch-n A2:A1861 --set r_grupo=2 --set horizonte=4 --click o_erros
check "IGARCH(1,1), Gaussian, errors and forecast" $? 0
verify_dist "IGARCH(1,1) Gaussian" "$out/igarch-n.xlsx" "$prices" 0 --model 2 --q 1 --p 1 \
  --errors --horizon 4 --log-returns
# Best model under every distribution: three fits per candidate, each told; the winner's
# distribution on the sheet.
arch en best-all A2:A1861 --click o_melhor --click o_garch --click o_gjr --set c_q=1 \
  --set c_p=1 --set c_dist=3
check "best model, all distributions" $? 0
count "a status line per candidate and distribution" "$out/best-all.log" \
  "[Status] Best ARCH model: " 18
/usr/bin/python3 - "$out/best-all.xlsx" >"$out/best-all.txt" <<'PY'
import sys, openpyxl
ws = next(s for s in openpyxl.load_workbook(sys.argv[1]).worksheets if s.sheet_state == "visible")
print(ws.cell(4, 1).value)
PY
contains "the winner's distribution" "$out/best-all.txt" "Distribution: "

# A price that is not positive: the logarithm message.
printf 'p\n100\n101\n-5\n102\n103\n' >"$out/negative.csv"
"$kvhost" run arch --data "$out/negative.csv" --select A2:A6 --set r_grupo=1 --ok \
  --out "$out/negative.xlsx" >"$out/negative.log" 2>&1
contains "the logarithm message" "$out/negative.log" "Some errors occurred during log calculations."

summary
