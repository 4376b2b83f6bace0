#!/bin/sh
# What only today's Excel can hold, from the selection to the saved workbook: a PCA of 300
# variables, an ICA of 100000 observations with their sources, a regression on 300 regressors,
# each read back with openpyxl and checked against numpy (check_multivariate_workbook.py,
# check_regression_workbook.py); the same data refused as Excel before version 12, whose sheet
# ends at IV65536; and a sheet named outside code page 1252, read by the worksheet functions and
# the tools alike through both interfaces.
# Arguments: kvhost.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
own_settings
py=/usr/bin/python3

"$py" - "$out" <<'PY' || { echo "FAIL: the data generator"; exit 1; }
import sys
import numpy as np
import openpyxl
out = sys.argv[1]
rng = np.random.default_rng(20261208)

def save(name, x, header):
    np.savetxt(f"{out}/{name}", x, delimiter=",", fmt="%.12g", header=",".join(header), comments="")

# Five factors behind 300 variables, 2000 observations.
x = rng.standard_normal((2000, 5)) @ rng.standard_normal((5, 300)) + rng.standard_normal((2000, 300))
save("pca300.csv", x, [f"v{j}" for j in range(300)])
# Four independent signals mixed, 100000 observations.
t = np.arange(100000)
s = np.c_[np.sin(t / 37.0), np.sign(np.sin(t / 91.0)), rng.laplace(size=t.size),
          rng.uniform(-1, 1, t.size)]
save("ica100k.csv", s @ rng.standard_normal((4, 4)).T, list("abcd"))
# y on 300 regressors, 2000 observations.
regressors = rng.standard_normal((2000, 300))
y = 1.5 + regressors @ rng.standard_normal(300) + 3 * rng.standard_normal(2000)
save("rlm300.csv", np.c_[y, regressors], ["y"] + [f"x{j}" for j in range(300)])

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Ελληνικά 中文 😀"
ws["B1"] = "收益率 📈"
for i, v in enumerate(rng.standard_normal(100) ** 3):
    ws.cell(i + 1, 1, float(v))
wb.save(f"{out}/unicode.xlsx")
PY

run() { # name, tool, selection, actions... (today's Excel)
  name=$1 which=$2 select=$3
  shift 3
  "$kvhost" --lang en run "$which" --data "$out/$name.csv" --select "$select" "$@" --ok \
    --out "$out/$name.xlsx" >"$out/$name.log" 2>&1
}

run pca300 pca A2:KN2001
check "a PCA of 300 variables" $? 0
verify_with check_multivariate_workbook.py "a PCA of 300 variables against numpy" \
  pca "$out/pca300.xlsx" "$out/pca300.csv" 300 en kaiser
run ica100k ica A2:D100001 --click o_ica
check "an ICA of 100000 observations with their sources" $? 0
verify_with check_multivariate_workbook.py "an ICA of 100000 observations against numpy" \
  ica "$out/ica100k.xlsx" "$out/ica100k.csv" 4 en
run rlm300 rlm A2:KO2001
check "a regression on 300 regressors" $? 0
verify_with check_regression_workbook.py "a regression on 300 regressors against numpy" \
  rlm "$out/rlm300.xlsx" "$out/rlm300.csv" 301

# Excel before version 12 cannot hold the data at all.
"$kvhost" --excel-version 11.0 run pca --data "$out/pca300.csv" --select A2:IV2001 --ok \
  >"$out/pca-excel4.log" 2>&1
check "300 columns as Excel before version 12" $? 2
contains "the old grid named" "$out/pca-excel4.log" "has more than 256 columns"

# A sheet named in Greek, Chinese and an emoji: the same skewness through either interface, and
# the histogram of its cells the same workbook.
sheet="Ελληνικά 中文 😀"
for version in 16.0 11.0; do
  "$kvhost" --excel-version $version eval --data "$out/unicode.xlsx" --precision 17 \
    "KV.SKEW('$sheet'!A1:A100,0)" >"$out/skew-$version" 2>&1
  check "KV.SKEW on the sheet '$sheet' as Excel $version" $? 0
  "$kvhost" --excel-version $version run hist --data "$out/unicode.xlsx" --sheet "$sheet" \
    --select A1:B100 --ok --dump "$out/hist-$version.json" >"$out/hist-$version.log" 2>&1
  check "a histogram of the sheet '$sheet' as Excel $version" $? 0
done
"$py" - "$out/unicode.xlsx" "$(cat "$out/skew-16.0")" <<'PY'
import sys
import openpyxl
from scipy import stats
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
x = [ws.cell(r, 1).value for r in range(1, 101)]
expected = stats.skew(x, bias=False)
sys.exit(0 if abs(float(sys.argv[2]) - expected) <= 1e-12 * abs(expected) else 1)
PY
check "KV.SKEW of the sheet '$sheet' against scipy" $? 0
same "the same skewness through both interfaces" "$out/skew-11.0" "$(cat "$out/skew-16.0")"
if cmp -s "$out/hist-16.0.json" "$out/hist-11.0.json"; then pass; else
  fail "the histogram differs between the interfaces"; fi

summary
