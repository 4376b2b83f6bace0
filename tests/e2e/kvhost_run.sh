#!/bin/sh
# kvhost run end to end: the seven tool commands launched on a selection as a person launches
# them, their dialogs as they open in both languages (dialogs/<tool>.txt), the messages that
# stop a launch, and the dialogs' handlers driven by --set, --click, --up and --down.
# Arguments: kvhost, the bundled data folder, the folder of the dialogs as they open, and the
# fixture add-in (an add-in of other command names, and no menu).
# The dialog files are what `kvhost --lang pt|en run TOOL --data ... --select ... --show-dialog
# --cancel` prints, in the two languages one after the other (see `opened` below); with
# KV_UPDATE_GOLDEN set they are written rather than compared.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2
dialogs=$3
fixture=$4
# Nothing outside this folder: the settings file, the configuration folders.
export KAVENLOR_REGISTRY="$out/registry" HOME="$out/home" XDG_CONFIG_HOME="$out/config"
mkdir -p "$HOME"

# What --show-dialog printed once the actions were done.
after() { sed -n '/^After the actions:$/,$p' "$1" >"$1.after"; echo "$1.after"; }

prices="$data/eu_stock_markets.csv"
curve="$data/yield_curve.csv"

# --- Every dialog as it opens, in Portuguese then in English.
opened() { # tool, data file, selection
  for lang in pt en; do
    "$kvhost" --lang "$lang" run "$1" --data "$2" --select "$3" --show-dialog --cancel
  done
}
for launch in "hist $prices A2:A100" "cmp $curve A2:B13" "pca $prices A2:D100" \
  "ica $prices A2:D100" "rlm $prices A2:D100" "ewv $prices A2:A100" "arch $prices A2:A6"; do
  set -- $launch
  opened "$1" "$2" "$3" >"$out/$1" 2>"$out/$1.err"
  check "$1 opens in both languages" $? 0
  golden "$1: the dialogs as they open" "$out/$1" "$dialogs/$1.txt"
  if [ -s "$out/$1.err" ]; then fail "$1: messages"; cat "$out/$1.err"; else pass; fi
done

# --- Selections that stop a launch: its message, no dialog, exit 1.
"$kvhost" --lang pt run hist --data "$prices" --select B7 >"$out/one" 2>"$out/one.err"
check "histogram of one cell" $? 1
same "its message" "$out/one.err" "[Atenção] Selecione mais de uma célula para o histograma de dados!

Para fazer um histograma é necessário selecionar mais de uma célula contendo dados numéricos.
Textos e células vazias são ignoradas!"
same "no dialog" "$out/one" ""
"$kvhost" --lang en run pca --data "$prices" --select A2:A5,C2:C5 >/dev/null 2>"$out/areas.err"
check "several areas" $? 1
same "adjacent cells" "$out/areas.err" "[Warning] Please, select a range of adjacent cells!"
"$kvhost" --lang pt run cmp --data "$prices" --data "$curve" --select yield_curve!A2:B13 \
  >/dev/null 2>"$out/elsewhere.err"
check "cells of another sheet" $? 1
same "adjacent cells, in Portuguese" "$out/elsewhere.err" \
  "[Atenção] Selecione apenas regiões contíguas de células!"

# Two numbers among texts are enough for a histogram of at most one bin.
printf 'price\n10\nn/a\n12\n' >"$out/two.csv"
"$kvhost" run hist --data "$out/two.csv" --select A1:A4 --show-dialog >"$out/two" 2>&1
check "two numbers" $? 0
contains "one bin" "$out/two" 'faixas: masked edit, text "1"'
contains "no more" "$out/two" "position 1, from 1 to 1"

# The range's letters and anchors.
awk 'BEGIN { for (r = 1; r <= 2; r++) { line = ""; for (c = 1; c <= 53; c++) line = line (c > 1 ? "," : "") c * r; print line } }' >"$out/wide.csv"
for range in 'Z1:AA2 =$Z$1:AA$2' 'AZ1:BA2 =$AZ$1:BA$2' 'A1:A10 =$A$1:A$10'; do
  set -- $range
  "$kvhost" run hist --data "$out/wide.csv" --data "$prices" --select "$1" --show-dialog \
    >"$out/letters" 2>&1
  contains "range $1" "$out/letters" "intervalo: edit, text \"$2\""
done

# The yield curve: rows of a rate and at least one workday.
printf '0.10,1\n0.11,0.5\n0.12,0\nrate,21\n' >"$out/curve1.csv"
"$kvhost" --lang en run cmp --data "$out/curve1.csv" --select A1:B4 >/dev/null 2>"$out/curve1.err"
check "one vertex" $? 1
same "pair 2" "$out/curve1.err" "[Warning] Please, select a range of cells with at least 2 rows and exactly 2 columns for Brazilian yield curve: interest rate (base 252) in the first column and workdays in the second one!

Text cells, empty cells or workdays lesser than 1 are disregarded!"
printf '0.10,1\n0.11,0.5\n0.12,0\n0.13,21\n' >"$out/curve2.csv"
"$kvhost" run cmp --data "$out/curve2.csv" --select A1:B4 >"$out/curve2" 2>&1
check "the 1 and the 21 workdays" $? 0
printf '0.10,21\n0.12,21\n' >"$out/curve3.csv"
"$kvhost" run cmp --data "$out/curve3.csv" --select A1:B2 >"$out/curve3" 2>&1
# Two rows of equal workdays pass the launch's count of rows but make one vertex: no curve to
# interpolate, and the tool says so when OK is pressed.
check "two rows of equal workdays" $? 1
contains "one vertex after merging" "$out/curve3" "[Warning] Some errors occurred during comparative chart setup."
"$kvhost" --lang pt run cmp --data "$out/curve2.csv" --select A1:A4 >/dev/null 2>"$out/column.err"
check "one column" $? 1
same "pair 1" "$out/column.err" "[Atenção] Selecione um intervalo de células com pelo menos 2 linhas e exatamente 2 colunas para a curva de juros: taxas de juros ao ano base 252 na primeira coluna e dias úties na segunda coluna!"

# Best decay needs more than 40 numbers.
"$kvhost" --lang en run ewv --data "$prices" --select A1:A41 >/dev/null 2>"$out/forty.err"
check "40 numbers" $? 1
same "more than 40" "$out/forty.err" "[Warning] Please, select a range greater than 40 cells with numeric data for  best exponentially weighting calculation!
Text cells and empty cells are disregarded!"
"$kvhost" run ewv --data "$prices" --select A1:A42 >/dev/null 2>&1
check "41 numbers" $? 0

# ARCH orders: below the number of values, at most 7.
"$kvhost" run arch --data "$prices" --select A2:A21 --show-dialog >"$out/orders" 2>&1
contains "order 7" "$out/orders" '      6 "7"'
absent "no order 8" "$out/orders" '"8"'

# PCA offers the correlation-matrix box for a square block within [-1, 1] only.
printf '1,0.5,-0.2\n0.5,1,0.3\n-0.2,0.3,1\n' >"$out/corr.csv"
printf '1,0.5,-0.2\n0.5,1,1.5\n-0.2,0.3,1\n' >"$out/notcorr.csv"
"$kvhost" run pca --data "$out/corr.csv" --select A1:C3 --show-dialog >"$out/corr" 2>&1
contains "correlation matrix" "$out/corr" 'o_correl: check box "Range of cells represents correlation matrix", enabled'
"$kvhost" run pca --data "$out/notcorr.csv" --select A1:C3 --show-dialog >"$out/notcorr" 2>&1
contains "1.5 is no correlation" "$out/notcorr" 'o_correl: check box "Range of cells represents correlation matrix", disabled'
"$kvhost" --lang pt run rlm --data "$out/corr.csv" --select A1:C3 >/dev/null 2>"$out/square.err"
check "regression needs more rows than columns" $? 1
same "regression's pair 1" "$out/square.err" "[Atenção] Selecione um intervalo de células com pelo menos 2 colunas e com um número de linhas maior do que o número de colunas."
"$kvhost" run rlm --data "$prices" --select A2:C30 --show-dialog >"$out/three" 2>&1
contains "3 columns: no cross correlations" "$out/three" 'o_combinada: check box "Show cross correlations", disabled'
printf 'a,b\n1,x\n2,3\n' >"$out/gaps.csv"
"$kvhost" --lang en run ica --data "$out/gaps.csv" --select A1:B3 >/dev/null 2>"$out/gaps.err"
check "rows with texts are dropped" $? 1
same "pair 2" "$out/gaps.err" "[Warning] Please, select a range of cells with at least 2 columns and a number of rows equal or greater than the number of columns.

Rows with text cells or empty cells are disregarded!"

# --- Handlers.
# The histogram's bins: typed 0 becomes 1; the arrows stop at the up-down's limits.
printf '1\n2\n3\n4\n' >"$out/four.csv"
"$kvhost" run hist --data "$out/four.csv" --select A1:A4 --show-dialog --set faixas=0 >"$out/zero" 2>&1
contains "0 bins is 1" "$(after "$out/zero")" 'faixas: masked edit, text "1"'
"$kvhost" run hist --data "$out/four.csv" --select A1:A4 --show-dialog --up seta --up seta --up seta >"$out/up" 2>&1
contains "up to the maximum" "$(after "$out/up")" 'faixas: masked edit, text "2"'
contains "position at the maximum" "$out/up.after" "position 2, from 1 to 2"
"$kvhost" run hist --data "$out/four.csv" --select A1:A4 --show-dialog --down seta --down seta >"$out/down" 2>&1
contains "down to the minimum" "$(after "$out/down")" 'faixas: masked edit, text "1"'
"$kvhost" --lang pt run hist --data "$prices" --select A2:A500 --show-dialog --set faixas=99 --up seta >"$out/typed" 2>&1
contains "typed beyond the arrows' reach" "$(after "$out/typed")" 'faixas: masked edit, text "50"'

# PCA: the proportion criterion starts at 80 %; a tolerance of zeros holds OK back, in red.
"$kvhost" run pca --data "$prices" --select A2:D100 --show-dialog --set r_grupo=1 --up seta >"$out/prop" 2>&1
contains "81 %" "$(after "$out/prop")" 'perc: masked edit, text "81", enabled, visible, colour clWhite'
contains "arrows in use" "$out/prop.after" "position 81, from 1 to 99"
"$kvhost" run pca --data "$prices" --select A2:D100 --show-dialog --set precisao=000 --set iteracao=0 >"$out/prec" 2>&1
check "OK cannot be pressed" $? 0
contains "red" "$(after "$out/prec")" 'precisao: masked edit, text "000", enabled, visible, colour clRed, font clWhite'
contains "OK held back" "$out/prec.after" 'b_ok: button "OK", disabled'
contains "no zero sweeps" "$out/prec.after" 'iteracao: masked edit, text "100"'
contains "closed by its frame" "$out/prec" 'closed by its frame'
"$kvhost" run pca --data "$prices" --select A2:D100 --set precisao=0000 --ok >/dev/null 2>"$out/prec_ok.err"
check "a scripted OK on a disabled button" $? 2
contains "why" "$out/prec_ok.err" "kvhost: refused: pressed OK: b_ok is disabled"
"$kvhost" --lang pt run pca --data "$prices" --select A2:D100 --show-dialog --set precisao=000 --set precisao=0,005 >"$out/prec2" 2>&1
contains "typed as shown" "$(after "$out/prec2")" 'precisao: masked edit, text "005", enabled, visible, colour clWhite, font clBlack'
contains "OK again" "$out/prec2.after" 'b_ok: button "OK", enabled'

# ICA: a limit of 0 or beyond the signals is refused in red; unticking o_ica ticks o_mix.
"$kvhost" run ica --data "$prices" --select A2:D100 --show-dialog --click o_limite >"$out/lim" 2>&1
contains "the limit starts at the position" "$(after "$out/lim")" 'limite: masked edit, text "1", enabled, visible, colour clWhite, font clBlack'
for value in 0 5; do
  "$kvhost" run ica --data "$prices" --select A2:D100 --show-dialog --click o_limite --set limite=$value >"$out/lim$value" 2>&1
  contains "limit $value refused" "$(after "$out/lim$value")" "limite: masked edit, text \"$value\", enabled, visible, colour clRed, font clWhite"
  contains "limit $value: OK held back" "$out/lim$value.after" 'b_ok: button "OK", disabled'
done
"$kvhost" run ica --data "$prices" --select A2:D100 --show-dialog --click o_limite --set limite=3 --up seta --up seta >"$out/lim4" 2>&1
contains "up to the signals" "$(after "$out/lim4")" 'limite: masked edit, text "4", enabled, visible, colour clWhite'
"$kvhost" --lang pt run ica --data "$prices" --select A2:D100 --show-dialog --click o_ica --click o_mix --click o_ica >"$out/mix" 2>&1
contains "the matrices at least" "$(after "$out/mix")" 'o_mix: check box "Reproduzir matrizes de \"mixing\" e \"demixing\"", disabled, visible, checked'

# ARCH: a model enables OK and the orders; best-model mode swaps the groups.
"$kvhost" run arch --data "$prices" --select A2:A30 --show-dialog --set r_grupo=0 >"$out/model0" 2>&1
contains "ARCH has no p" "$(after "$out/model0")" 'c_p: drop-down list, disabled, visible, colour clBtnFace'
contains "q for ARCH" "$out/model0.after" 'c_q: drop-down list, enabled, visible, colour clWhite'
contains "OK for a model" "$out/model0.after" 'b_ok: button "OK", enabled'
"$kvhost" run arch --data "$prices" --select A2:A30 --show-dialog --set r_grupo=3 >"$out/model3" 2>&1
contains "EGARCH has p" "$(after "$out/model3")" 'c_p: drop-down list, enabled, visible, colour clWhite'
"$kvhost" --lang pt run arch --data "$prices" --select A2:A30 --show-dialog --click o_melhor >"$out/best" 2>&1
contains "one model hidden" "$(after "$out/best")" 'r_grupo: radio group " Modelo ", disabled, hidden, colour clBtnFace, font clGray'
contains "the models shown" "$out/best.after" 'o_egarch: check box "EGARCH(q,p)", in r_grupo_2, enabled, visible, not checked'
contains "no model, no OK" "$out/best.after" 'b_ok: button "OK", disabled'
contains "criterion offered" "$out/best.after" 'r_akaike: radio group, enabled'
"$kvhost" run arch --data "$prices" --select A2:A30 --show-dialog --click o_melhor --click o_gjr >"$out/best1" 2>&1
contains "a model, OK" "$(after "$out/best1")" 'b_ok: button "OK", enabled'
"$kvhost" run arch --data "$prices" --select A2:A30 --click o_melhor --click o_gjr --click o_melhor --show-dialog >"$out/back" 2>&1
contains "back to one model" "$(after "$out/back")" 'r_grupo: radio group "Model", enabled, visible, colour clBtnFace, font clBlack'
contains "back: no OK" "$out/back.after" 'b_ok: button "OK", disabled'
"$kvhost" run arch --data "$prices" --select A2:A30 --set o_arch=1 >/dev/null 2>"$out/hidden.err"
check "a box a person cannot see" $? 2
contains "why" "$out/hidden.err" "o_arch is hidden (its group r_grupo_2 is)"

# Best decay: log returns only with returns.
"$kvhost" run ewv --data "$prices" --select A2:A100 --show-dialog --click o_retorno >"$out/log" 2>&1
contains "log returns offered" "$(after "$out/log")" 'o_log: check box "Use log returns", enabled'

# --- The tool as the add-in offers it: its menu item's caption, as the add-in wrote it or as the
# menu shows it, in any case; the command it registered; or the command's short name. Each opens
# the dialog the short name opens.
by_name() { # language, tool name, data, selection
  "$kvhost" --lang "$1" run "$2" --data "$3" --select "$4" --show-dialog --cancel
}
for named in "en rlm $prices A2:D100 ML&R|mlr|MLR|kv_menu_rlm|KV_Menu_Rlm|RLM" \
  "pt rlm $prices A2:D100 &RLM|rlm" \
  "en ewv $prices A2:A100 Best EWV &Decay|best ewv decay|BEST EWV DECAY|kv_menu_ewv" \
  "pt ewv $prices A2:A100 &Decay EWV ótimo|decay ewv ótimo|DECAY EWV ÓTIMO|Decay EWV &ótimo" \
  "en cmp $curve A2:B13 &CSpline x Exp|cspline x exp|kv_menu_cmp" \
  "pt hist $prices A2:A100 Histograma|&histograma|kv_menu_hist"; do
  lang=${named%% *} rest=${named#* }
  tool=${rest%% *} rest=${rest#* }
  file=${rest%% *} rest=${rest#* }
  range=${rest%% *} names=${rest#* }
  by_name "$lang" "$tool" "$file" "$range" >"$out/named_$tool" 2>&1
  contains "$tool ($lang) opens its dialog" "$out/named_$tool" 'closed by b_cancelar'
  IFS='|'
  for name in $names; do
    unset IFS
    by_name "$lang" "$name" "$file" "$range" >"$out/named" 2>&1
    check "\"$name\" ($lang)" $? 0
    if cmp -s "$out/named" "$out/named_$tool"; then pass; else
      fail "\"$name\" ($lang) is not $tool"; diff "$out/named_$tool" "$out/named"; fi
  done
done
# The menu holds the captions of the language in use only.
for named in "en Histograma" "en &Decay EWV ótimo" "pt ML&R" "pt &Histogram"; do
  "$kvhost" --lang "${named%% *}" run "${named#* }" --data "$prices" --select A2:D100 --cancel \
    >"$out/other_language" 2>&1
  check "\"${named#* }\" is not on the menu in ${named%% *}" $? 2
done
# Items of the menu that are no tools run as a click runs them: the language submenu's item.
"$kvhost" --lang pt run "inglês (eua)" --data "$prices" --select A2:A100 >"$out/english" \
  2>"$out/english.err"
check "a submenu's item" $? 0
same "it asks for a restart" "$out/english.err" "[Alert] Por favor, inicie novamente o Microsoft Excel para que as alterações tenham efeito."
empty "no dialog" "$out/english"

# A name of nothing the add-in offers: exit 2 and the list, before anything is selected or run;
# a menu's own caption, a submenu's and a worksheet function are not commands.
for name in histo Kavenlor "&Kavenlor" Idiom KV.SKEW kv_menu_ kv_chama_hist; do
  "$kvhost" --lang en run "$name" --data "$prices" --select A2:D100 --ok --out "$out/nothing.xlsx" \
    >"$out/unknown" 2>"$out/unknown.err"
  check "\"$name\" is no tool" $? 2
  empty "\"$name\": nothing run" "$out/unknown"
  same "\"$name\": what can be run" "$out/unknown.err" "kvhost: \"$name\" names no item of the add-in's menu and no command it registered.
What can be run (a menu item by its caption, with or without '&'; a command by its name or its short name):
  \"&Kavenlor\" > \"&Histogram\" runs kv_menu_hist (short name hist)
  \"&Kavenlor\" > \"&CSpline x Exp\" runs kv_menu_cmp (short name cmp)
  \"&Kavenlor\" > \"&PCA\" runs kv_menu_pca (short name pca)
  \"&Kavenlor\" > \"&ICA\" runs kv_menu_ica (short name ica)
  \"&Kavenlor\" > \"ML&R\" runs kv_menu_rlm (short name rlm)
  \"&Kavenlor\" > \"Best EWV &Decay\" runs kv_menu_ewv (short name ewv)
  \"&Kavenlor\" > \"&ARCH Family\" runs kv_menu_arch (short name arch)
  \"&Kavenlor\" > \"Idio&m\" > \"&Portuguese (Brazil)\" runs kv_menu_port (short name port)
  \"&Kavenlor\" > \"Idio&m\" > \"&English (USA)\" runs kv_menu_ing (short name ing)
  \"&Kavenlor\" > \"Sh&ow Kavenlor bar\" runs kv_menu_exibir (short name exibir)
  \"&Kavenlor\" > \"H&elp on line\" runs kv_menu_ajuda (short name ajuda)
  \"&Kavenlor\" > \"A&bout\" runs kv_menu_sobre (short name sobre)"
done
[ -e "$out/nothing.xlsx" ] && fail "an unknown tool wrote a workbook" || pass
"$kvhost" --lang pt run histogram --data "$prices" --select A2:D100 >/dev/null 2>"$out/unknown.err"
check "the list in Portuguese" $? 2
contains "Portuguese captions" "$out/unknown.err" \
  '"&Kavenlor" > "&Decay EWV ótimo" runs kv_menu_ewv (short name ewv)'
# What is wrong with the data is found first, before the add-in loads.
"$kvhost" run histo --data "$out/missing.csv" --select A1 >/dev/null 2>"$out/unknown.err"
check "unknown tool, missing data" $? 2
absent "the data's reason, not the list" "$out/unknown.err" "What can be run"
# Another add-in: its own command, and a short name from its own command name (FIX.COMMAND).
for name in FIX.COMMAND fix.command command; do
  "$kvhost" --addin "$fixture" run "$name" --data "$prices" --select A2 >"$out/fixture" 2>&1
  check "the fixture's \"$name\"" $? 0
  empty "the fixture's command opens no dialog" "$out/fixture"
done
"$kvhost" --addin "$fixture" run hist --data "$prices" --select A2 >/dev/null 2>"$out/fixture.err"
check "no hist in the fixture" $? 2
same "the fixture's offer" "$out/fixture.err" "kvhost: \"hist\" names no item of the add-in's menu and no command it registered.
What can be run (a menu item by its caption, with or without '&'; a command by its name or its short name):
  FIX.COMMAND, on no menu (short name COMMAND)"

# --- How a run ends.
"$kvhost" run rlm --data "$prices" --select A2:D30 --click o_nada >/dev/null 2>"$out/nada.err"
check "a control the dialog does not have" $? 2
contains "named" "$out/nada.err" "the dialog has no control named o_nada"
"$kvhost" run rlm --data "$prices" --select A2:D30 --cancel >"$out/cancel" 2>&1
check "cancel" $? 0
same "closed by Cancel" "$out/cancel" 'Dialog "MLR - Multiple Linear Regression" closed by b_cancelar'
"$kvhost" run rlm --data "$prices" --select A2:D30 --click o_cores --out "$out/book.xlsx" >"$out/ok" 2>"$out/ok.err"
check "OK" $? 0
same "closed by OK" "$out/ok" 'Dialog "MLR - Multiple Linear Regression" closed by b_ok'
[ -e "$out/book.xlsx" ] && pass || fail "the result workbook was not written"
# A dialog cancelled: nothing to save.
"$kvhost" run arch --data "$prices" --select A2:A300 --set r_grupo=0 --cancel --out "$out/none.xlsx" >/dev/null 2>"$out/none.err"
check "Cancel without a result" $? 0
contains "no workbook yet" "$out/none.err" "the command opened no result workbook"
[ -e "$out/none.xlsx" ] && fail "a workbook file was written" || pass
"$kvhost" run rlm --data "$prices" --select A2:D30 --ok --click o_cores >/dev/null 2>"$out/late.err"
check "an action after the dialog closed" $? 2
contains "names it" "$out/late.err" "no dialog was open for: clicked o_cores"
"$kvhost" run rlm --data "$prices" --select A2:D30 --set o_cores >/dev/null 2>&1
check "--set without a value" $? 2
"$kvhost" run rlm --data "$prices" --select A2:D0 >/dev/null 2>"$out/bad.err"
check "a selection that is not one" $? 2
"$kvhost" run rlm --data "$out/missing.csv" --select A1 >/dev/null 2>&1
check "no data file" $? 2
# A CSV file as Excel saves it under Portuguese settings gives the tool its numbers: the mean is
# (1605.54 + 1628.75 + 1600 + 1612.3) / 4 = 1611.6475. Forced to a decimal point, the column is
# texts and the histogram refuses it.
printf 'Data;Preco\r\n01/01/2024;1605,54\r\n02/01/2024;1.628,75\r\n03/01/2024;1600\r\n04/01/2024;1612,3\r\n' \
  >"$out/precos.csv"
"$kvhost" run hist --data "$out/precos.csv" --select B2:B5 --ok --dump "$out/precos.json" \
  >/dev/null 2>&1
check "the histogram of a ';' file" $? 0
/usr/bin/python3 -c 'import json, sys
cells = json.load(open(sys.argv[1]))["sheets"][0]["cells"]
print(repr(next(c["value"] for c in cells if c["address"] == "B4")))' "$out/precos.json" \
  >"$out/precos-mean" 2>&1
same "its mean" "$out/precos-mean" "1611.6475"
"$kvhost" run hist --data "$out/precos.csv" --csv-decimal . --select B2:B5 --ok >"$out/precos-texts" 2>&1
check "forced to a decimal point, the column is texts" $? 1
contains "the histogram's refusal" "$out/precos-texts" "numeric values"

printf 'ok\n' | "$kvhost" --dialog prompt run cmp --data "$curve" --select A2:B13 >"$out/prompt" 2>&1
check "a person at the terminal" $? 0
contains "the prompt" "$out/prompt" 'closed by b_ok'

summary
