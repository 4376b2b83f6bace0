#!/bin/sh
# The histogram and comparison tools from OK to the saved workbook: kvhost run --out/--dump, the
# .xlsx read back with openpyxl and its numbers recomputed from the data with numpy
# (check_result_workbook.py), the dump, repeatability, several workbooks' names, and a save that
# cannot be made leaving nothing behind.
# Arguments: kvhost, the bundled data folder.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2
own_settings
prices="$data/eu_stock_markets.csv"
curve="$data/yield_curve.csv"
python=/usr/bin/python3

hist() { # language, name, extra actions...
  lang=$1 name=$2
  shift 2
  "$kvhost" --lang "$lang" run hist --data "$prices" --select A2:A1861 --set faixas=20 \
    --click o_indicadores --click o_normal "$@" --ok --out "$out/$name.xlsx" \
    --dump "$out/$name.json" >"$out/$name.log" 2>&1
}
comparison() { # language, name, extra actions...
  lang=$1 name=$2
  shift 2
  "$kvhost" --lang "$lang" run cmp --data "$curve" --select A2:B13 "$@" --ok \
    --out "$out/$name.xlsx" --dump "$out/$name.json" >"$out/$name.log" 2>&1
}
verify() { verify_with check_result_workbook.py "$@"; } # description, checker arguments...

hist en hist-colour
check "histogram in colour" $? 0
verify "histogram in colour" hist "$out/hist-colour.xlsx" "$prices" DAX 20 en
hist pt hist-bw --click o_cores
check "histogram in black and white" $? 0
verify "histogram in black and white" hist "$out/hist-bw.xlsx" "$prices" DAX 20 pt bw
# The bin rules: the count numpy gives for the values histogrammed, the returns' when asked.
rule() { # language, name, rule item, extra actions...
  lang=$1 name=$2 item=$3
  shift 3
  "$kvhost" --lang "$lang" run hist --data "$prices" --select A2:A1861 --set c_regra="$item" \
    --click o_indicadores --click o_normal "$@" \
    --ok --out "$out/$name.xlsx" >"$out/$name.log" 2>&1
}
rule en hist-sturges 1
check "histogram by Sturges' rule" $? 0
verify "histogram by Sturges' rule" hist "$out/hist-sturges.xlsx" "$prices" DAX sturges en
rule pt hist-scott 2 --click o_retorno
check "histogram of returns by Scott's rule" $? 0
verify "histogram of returns by Scott's rule" hist "$out/hist-scott.xlsx" "$prices" DAX scott pt \
  returns
rule en hist-fd 3 --click o_retorno --click o_cores
check "histogram of returns by Freedman-Diaconis" $? 0
verify "histogram of returns by Freedman-Diaconis" hist "$out/hist-fd.xlsx" "$prices" DAX fd en \
  returns bw

comparison pt cmp-colour
check "comparison in colour" $? 0
verify "comparison in colour" cmp "$out/cmp-colour.xlsx" "$curve" pt
comparison en cmp-bw --click o_cores
check "comparison in black and white" $? 0
verify "comparison in black and white" cmp "$out/cmp-bw.xlsx" "$curve" en bw

# The dump is JSON, names the workbook's sheets, and a second run writes the same bytes.
if "$python" -c 'import json,sys; d=json.load(open(sys.argv[1])); assert [s["name"] for s in d["sheets"]] == ["CS x Exp", "Auxiliar"]' "$out/cmp-colour.json" 2>"$out/json.log"; then pass; else
  fail "the comparison's dump"; cat "$out/json.log"; fi
cp "$out/hist-colour.json" "$out/first.json"
cp "$out/hist-colour.xlsx" "$out/first.xlsx"
hist en hist-colour
if cmp -s "$out/first.json" "$out/hist-colour.json"; then pass; else fail "a second run dumps another model"; fi

# A save that cannot be made: the run says so, exits 2 and leaves nothing, not even a
# temporary file.
"$kvhost" run hist --data "$prices" --select A2:A100 --ok --out "$out/missing/book.xlsx" \
  >"$out/nodir.log" 2>&1
check "saving into a folder that does not exist" $? 2
contains "the reason" "$out/nodir.log" "missing/book.xlsx"
[ ! -e "$out/missing" ] && pass || fail "a folder or file was made"
[ -z "$(find "$out" -name '*.tmp*' -o -name '.~*')" ] && pass || fail "temporary files left"

# A cancelled dialog opens no workbook: nothing to save, said so.
"$kvhost" run hist --data "$prices" --select A2:A100 --cancel --out "$out/none.xlsx" \
  >"$out/cancel.log" 2>&1
check "cancelled" $? 0
contains "nothing saved" "$out/cancel.log" "opened no result workbook"
[ ! -e "$out/none.xlsx" ] && pass || fail "a workbook was saved for a cancelled dialog"

summary
