#!/bin/sh
# kvhost menu, command, settings and welcome end to end: the menu, submenu and toolbar the
# add-in builds (their texts are the add-in's tables, Codigo/Tabelas.cpp, typed here
# verbatim), its commands, its settings store and its welcome dialog.
# Arguments: kvhost, the add-in (its pictures are in img/ beside it).
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
addin=$2
bin=$(cd "$(dirname "$addin")" && pwd)
# Nothing outside this folder: the settings file, the configuration folders, temporary files.
export KAVENLOR_REGISTRY="$out/registry" HOME="$out/home" XDG_CONFIG_HOME="$out/config"
export TMPDIR="$out/tmp"
mkdir -p "$HOME" "$TMPDIR" "$out/empty" "$out/nobin"
unset BROWSER


menu_en='Menu bar 10: "&File" "&Edit" "&View" "&Insert" "F&ormat" "&Tools" "&Data" "&Window" "&Kavenlor" "&Help"

Menu "&Kavenlor" at position 9; status "Metric add-in for financial market"
   1 "&Histogram" runs kv_menu_hist; status "Data histogram"
   2 "&CSpline x Exp" runs kv_menu_cmp; status "Comparative chart for cubic spline and exponential interpolation"
   3 "&PCA" runs kv_menu_pca; status "Principal Component Analysis"
   4 "&ICA" runs kv_menu_ica; status "Independent Component Analysis"
   5 "ML&R" runs kv_menu_rlm; status "Multiple Linear Regressions"
   6 "Best EWV &Decay" runs kv_menu_ewv; status "Best Exponentially Weighting Volatility"
   7 "&ARCH Family" runs kv_menu_arch; status "Volatility ?ARCH model"
   8 ----
   9 submenu "Idio&m"; status "Idiom for KAVENLOR"
       9.1 "&Portuguese (Brazil)" runs kv_menu_port; status "Portuguese language (Brazil)"
       9.2 "&English (USA)" runs kv_menu_ing; status "English language (USA)"; checked
  10 "Sh&ow Kavenlor bar" runs kv_menu_exibir; status "Show Kavenlor toolbar"
  11 "H&elp on line" runs kv_menu_ajuda; status "Help on line - Corvane Lathi"
  12 ----
  13 "A&bout" runs kv_menu_sobre; status "About Corvane Lathi"

Toolbar "Kavenlor": hidden; docked at the top, y 100; protection 2
   1 button 211 runs kv_menu_hist; tip "Histogram"; status "Data histogram"; picture 16x16
   2 button 211 runs kv_menu_cmp; tip "CSpline x Exp"; status "Comparative graphic for cubic spline and exponential interpolation"; picture 16x16
   3 button 211 runs kv_menu_pca; tip "Principal Component Analysis"; status "Principal Component Analysis"; picture 16x16
   4 button 211 runs kv_menu_ica; tip "Independent Component Analysis"; status "Independent Component Analysis"; picture 16x16
   5 button 211 runs kv_menu_rlm; tip "Multiple Linear Regressions"; status "Multiple Linear Regressions"; picture 16x16
   6 button 211 runs kv_menu_ewv; tip "Best Decay"; status "Best Exponentially Weighting Volatility"; picture 16x16
   7 button 211 runs kv_menu_arch; tip "ARCH Family"; status "Volatility ?ARCH model"; picture 16x16
   8 gap
   9 button 211 runs kv_menu_ajuda; tip "Help on line - Kavenlor"; status "Kavenlor help on line"; picture 16x16
Tool tips shown'

menu_pt='Menu bar 10: "&File" "&Edit" "&View" "&Insert" "F&ormat" "&Tools" "&Data" "&Window" "&Kavenlor" "&Help"

Menu "&Kavenlor" at position 9; status "Add-in métrico para Mercado Financeiro"
   1 "&Histograma" runs kv_menu_hist; status "Apresentação de histograma de dados"
   2 "&CSpline x Exp" runs kv_menu_cmp; status "Gráfico comparativo de interpolações"
   3 "&PCA" runs kv_menu_pca; status "Principal Component Analysis"
   4 "&ICA" runs kv_menu_ica; status "Independent Component Analysis"
   5 "&RLM" runs kv_menu_rlm; status "Regressão Linear Múltipla"
   6 "&Decay EWV ótimo" runs kv_menu_ewv; status "Cálculo do alisamento exponencial ótimo"
   7 "&Família ARCH" runs kv_menu_arch; status "Volatilidade condicional por ?ARCH"
   8 ----
   9 submenu "Idio&ma"; status "Idioma para o KAVENLOR"
       9.1 "&Português (Brasil)" runs kv_menu_port; status "Língua portuguesa (Brasil)"; checked
       9.2 "&Inglês (EUA)" runs kv_menu_ing; status "Língua inglesa (EUA)"
  10 "&Exibir barra Kavenlor" runs kv_menu_exibir; status "Mostra barra de ferramentas Kavenlor"
  11 "&Ajuda na Web" runs kv_menu_ajuda; status "Busca páginas de ajuda na web"
  12 ----
  13 "&Sobre" runs kv_menu_sobre; status "Informações sobre a Corvane Lathi"

Toolbar "Kavenlor": hidden; docked at the top, y 100; protection 2
   1 button 211 runs kv_menu_hist; tip "Histograma"; status "Histograma de dados"; picture 16x16
   2 button 211 runs kv_menu_cmp; tip "CSpline x Exp"; status "Gráfico comparativo de interpolações"; picture 16x16
   3 button 211 runs kv_menu_pca; tip "Análise de Componentes Principais"; status "Principal Component Analysis"; picture 16x16
   4 button 211 runs kv_menu_ica; tip "Análise de Componentes Independentes"; status "Independent Component Analysis"; picture 16x16
   5 button 211 runs kv_menu_rlm; tip "Regressão Linear Múltipla"; status "Regressão Linear Múltipla"; picture 16x16
   6 button 211 runs kv_menu_ewv; tip "Decay Ótimo"; status "Alisamento Exponencial Ótimo"; picture 16x16
   7 button 211 runs kv_menu_arch; tip "Família ARCH"; status "Volatilidade condicional por ?ARCH"; picture 16x16
   8 gap
   9 button 211 runs kv_menu_ajuda; tip "Ajuda na Web - Kavenlor"; status "Ajuda na Web para Kavenlor"; picture 16x16
Tool tips shown'

# --- The menu in both languages: no settings stored, so --lang makes PATH the add-in's folder.
"$kvhost" --lang en menu >"$out/menu_en" 2>"$out/menu_en.err"
check "menu in English" $? 0
same "English menu, submenu and toolbar" "$out/menu_en" "$menu_en"
empty "English menu: no message" "$out/menu_en.err"
"$kvhost" menu --lang pt >"$out/menu_pt" 2>"$out/menu_pt.err"
check "menu in Portuguese" $? 0
same "Portuguese menu, submenu and toolbar" "$out/menu_pt" "$menu_pt"
[ ! -e "$KAVENLOR_REGISTRY" ] && pass || fail "--lang wrote the stored settings"

# A Portuguese Excel: the add-in's first attempt, before "Help", finds no such menu; the second,
# before "Ajuda", places it. One menu either way.
"$kvhost" --excel-lang pt --lang en menu >"$out/menu_xpt" 2>&1
check "menu in a Portuguese Excel" $? 0
contains "Portuguese Excel's bar" "$out/menu_xpt" 'Menu bar 10: "&Arquivo" "&Editar" "E&xibir" "&Inserir" "F&ormatar" "Ferramen&tas" "&Dados" "&Janela" "&Kavenlor" "Aj&uda"'
count "one Kavenlor menu" "$out/menu_xpt" 'Menu "&Kavenlor" at position 9' 1

# --- Pictures: pasted from PATH/img, or none from an empty folder (and the toolbar still made).
"$kvhost" settings install --path "$out/empty" --version 1.0 >/dev/null
check "install into an empty folder" $? 0
"$kvhost" menu >"$out/no_pictures" 2>&1
check "menu without pictures" $? 0
count "no picture pasted" "$out/no_pictures" "; no picture" 8
count "the buttons are there" "$out/no_pictures" "button 211 runs" 8
"$kvhost" settings install --path "$bin" --version "" >/dev/null
"$kvhost" menu >"$out/pictures" 2>&1
count "pictures pasted from PATH" "$out/pictures" "; picture 16x16" 8
contains "the help button after the gap" "$out/pictures" "   8 gap
   9 button 211 runs kv_menu_ajuda;"

# --- menu --close: xlAutoClose removes both.
"$kvhost" menu --close >"$out/close" 2>&1
check "menu --close" $? 0
same "what is left after xlAutoClose" "$out/close" "$(cat "$out/pictures")

After xlAutoClose:
Menu bar 10: \"&File\" \"&Edit\" \"&View\" \"&Insert\" \"F&ormat\" \"&Tools\" \"&Data\" \"&Window\" \"&Help\"
No \"Kavenlor\" menu on bar 10; no \"Kavenlor\" toolbar."

# --- kv_menu_exibir twice: the toolbar, the check mark and SHOW go there and back.
"$kvhost" settings set SHOW 0
"$kvhost" command kv_menu_exibir >"$out/show1" 2>"$out/show1.err"
check "show the toolbar" $? 0
same "first run" "$out/show1" 'Ran kv_menu_exibir
Toolbar "Kavenlor": hidden -> shown
Check mark on "&Kavenlor" > "Sh&ow Kavenlor bar": off -> on
Setting SHOW: binary 00 -> binary 01'
empty "no message" "$out/show1.err"
"$kvhost" menu >"$out/shown" 2>&1
contains "loaded again: shown" "$out/shown" 'Toolbar "Kavenlor": shown;'
contains "loaded again: checked" "$out/shown" '"Sh&ow Kavenlor bar" runs kv_menu_exibir; status "Show Kavenlor toolbar"; checked'
"$kvhost" command kv_menu_exibir >"$out/show2" 2>&1
check "hide the toolbar" $? 0
contains "second run" "$out/show2" 'Toolbar "Kavenlor": shown -> hidden'
contains "second run's check mark" "$out/show2" '"Sh&ow Kavenlor bar": on -> off'
"$kvhost" settings show >"$out/after_show"
contains "SHOW back to its first value" "$out/after_show" "SHOW = binary 00"

# --- The language commands: nothing when the language is in use already.
"$kvhost" settings set IDIOMA 1
cp "$KAVENLOR_REGISTRY" "$out/before_port"
"$kvhost" command kv_menu_port >"$out/port" 2>"$out/port.err"
check "Portuguese while in Portuguese" $? 0
same "nothing happens" "$out/port" "Ran kv_menu_port
Nothing changed."
empty "no alert" "$out/port.err"
cmp -s "$KAVENLOR_REGISTRY" "$out/before_port" && pass || fail "kv_menu_port wrote the settings"
"$kvhost" command kv_menu_ing >"$out/ing" 2>"$out/ing.err"
check "English while in Portuguese" $? 0
contains "IDIOMA for the next start" "$out/ing" 'Setting IDIOMA: text "1" -> text "2"'
same "the restart alert, in the language in use" "$out/ing.err" "[Alert] Por favor, inicie novamente o Microsoft Excel para que as alterações tenham efeito."
cp "$KAVENLOR_REGISTRY" "$out/before_lang"
"$kvhost" --lang pt command kv_menu_port >"$out/port_lang" 2>&1
check "Portuguese under --lang pt" $? 0
contains "--lang pt: nothing happens" "$out/port_lang" "Nothing changed."
cmp -s "$KAVENLOR_REGISTRY" "$out/before_lang" && pass || fail "--lang changed the stored settings"
# Under --lang en, Portuguese changes the run's copy: shown, and said to be lost.
"$kvhost" --lang en command kv_menu_port >"$out/port_en" 2>/dev/null
check "Portuguese under --lang en" $? 0
contains "the change" "$out/port_en" 'Setting IDIOMA: text "2" -> text "1"'
contains "said to be a copy" "$out/port_en" "the stored ones are unchanged"
cmp -s "$KAVENLOR_REGISTRY" "$out/before_lang" && pass || fail "--lang en changed the stored settings"
# The copy of a --lang run that was killed goes with the next --lang run; a running one's stays.
mkdir -p "$TMPDIR/kvhost-settings-999999999-abcdef" "$TMPDIR/kvhost-settings-$$-abcdef"
"$kvhost" --lang pt menu >/dev/null 2>&1
if [ ! -e "$TMPDIR/kvhost-settings-999999999-abcdef" ] && [ -e "$TMPDIR/kvhost-settings-$$-abcdef" ]
then pass; else fail "copies of killed --lang runs: $(ls "$TMPDIR")"; fi
rm -rf "$TMPDIR/kvhost-settings-$$-abcdef"
# Settings the registry refuses (the store is a folder): the toolbar still switches and the
# person is told the choice is not kept; the language choice shows its error, not the restart.
mkdir -p "$out/store-is-a-folder"
KAVENLOR_REGISTRY="$out/store-is-a-folder" "$kvhost" command kv_menu_exibir >"$out/unsaved" \
  2>"$out/unsaved.err"
check "toolbar with the settings refused" $? 1
contains "still shown" "$out/unsaved" 'Toolbar "Kavenlor": hidden -> shown'
contains "told" "$out/unsaved.err" "The toolbar choice could not be saved in the registry"
KAVENLOR_REGISTRY="$out/store-is-a-folder" "$kvhost" command kv_menu_port >/dev/null \
  2>"$out/unsaved.err"
check "language with the settings refused" $? 1
contains "its error" "$out/unsaved.err" "Error during process."
absent "no restart message" "$out/unsaved.err" "enjoy all changes"
# A text the add-in's code page cannot hold is refused, not stored with question marks.
"$kvhost" settings set VERSAO "版本" 2>"$out/cjk"
check "a text outside code page 1252" $? 2
contains "why" "$out/cjk" "code page 1252 cannot hold"
cmp -s "$KAVENLOR_REGISTRY" "$out/before_lang" && pass || fail "the refused text changed the settings"

# --- About with an empty version: "Version: " and straight on to the blank line.
"$kvhost" command kv_menu_sobre >"$out/about" 2>"$out/about.err"
check "about" $? 0
same "about box" "$out/about.err" "[Alert] Kavenlor - Metrics for Financial Market
Microsoft Excel Add-in
Version: 

Corvane Lathi - Solutions for the Financial Market
www.corvanelathi.example"

# --- Web help: the browser gets the page; without one, one error alert and exit 1.
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >"%s/browsed"\n' "$out" >"$out/browser"
chmod +x "$out/browser"
BROWSER="$out/browser" "$kvhost" command kv_menu_ajuda >"$out/help" 2>"$out/help.err"
check "web help" $? 0
empty "web help: no alert" "$out/help.err"
tries=0
while [ ! -s "$out/browsed" ] && [ "$tries" -lt 50 ]; do sleep 0.1; tries=$((tries + 1)); done
same "the browser's one argument" "$out/browsed" "https://www.corvanelathi.example/kavenlor/help"
PATH="$out/nobin" "$kvhost" command kv_menu_ajuda >"$out/nohelp" 2>"$out/nohelp.err"
check "no browser: the command ends with an error message" $? 1
same "one error alert" "$out/nohelp.err" "[Alert] Internet access error. Please, check if you are connected  or if you have one of the two browser installed: Internet Explorer or Netscape."

# --- settings: a round trip, types and refusals.
"$kvhost" settings set PATH "/opt/Kavenlor Ação" && "$kvhost" settings set VERSAO 2.0 &&
  "$kvhost" settings set show 1 && "$kvhost" settings set IDIOMA 1
check "settings set" $? 0
"$kvhost" settings show >"$out/show"
same "settings show" "$out/show" 'PATH = text "/opt/Kavenlor Ação"
VERSAO = text "2.0"
SHOW = binary 01
IDIOMA = text "1"'
contains "stored as the add-in reads it" "$KAVENLOR_REGISTRY" '"SHOW" = binary 01'
contains "texts in code page 1252" "$KAVENLOR_REGISTRY" '"PATH" = text "/opt/Kavenlor Ação"'
"$kvhost" settings set SHOW 256 2>/dev/null
check "SHOW takes one byte" $? 2
"$kvhost" settings set COLOUR red 2>/dev/null
check "unknown setting" $? 2
"$kvhost" --lang pt settings set IDIOMA 1 2>/dev/null
check "--lang does not store" $? 2
"$kvhost" settings show --lang en >"$out/show_lang"
contains "--lang shows the run's settings" "$out/show_lang" 'IDIOMA = text "2"'
"$kvhost" settings show >"$out/show_again"
cmp -s "$out/show" "$out/show_again" && pass || fail "settings changed by a --lang run"

# --- The welcome dialog, printed, in both languages, with its picture from PATH/img.
"$kvhost" settings install --path "$bin" --version 2.0 >/dev/null
for lang in pt en; do
  "$kvhost" --lang "$lang" --dialog print welcome >"$out/welcome_$lang" 2>"$out/welcome_$lang.err"
  check "welcome ($lang)" $? 0
  empty "welcome ($lang): no message" "$out/welcome_$lang.err"
  contains "the picture ($lang)" "$out/welcome_$lang" "  Image1: image, enabled, visible, colour clBtnFace, font clWindowText
    picture 41x41"
  contains "the white band ($lang)" "$out/welcome_$lang" "  Panel1: panel, enabled, visible, colour clWhite"
  contains "the maker ($lang)" "$out/welcome_$lang" '  Label1: label "Corvane Lathi"'
  contains "OK ($lang)" "$out/welcome_$lang" '  b_ok: button "OK", enabled, visible'
done
contains "Portuguese caption" "$out/welcome_pt" 'Dialog "Kavenlor - Cálculos para Mercado Financeiro"'
contains "Portuguese title" "$out/welcome_pt" '  titulo1: label "Você está instalando o suplemento dinâmico KAVENLOR da Corvane Lathi.", enabled, visible, bold'
contains "Portuguese terms" "$out/welcome_pt" '  titulo3: label "Termos de uso:"'
contains "Portuguese memo" "$out/welcome_pt" "    6 lines
    | TERMOS DE USO DO KAVENLOR
    |
    | O KAVENLOR é fornecido no estado em que se encontra"
contains "closed by OK (pt)" "$out/welcome_pt" 'Dialog "Kavenlor - Cálculos para Mercado Financeiro" closed by b_ok'
contains "English caption" "$out/welcome_en" 'Dialog "Kavenlor - Metrics for Financial Market"'
contains "English title" "$out/welcome_en" '  titulo1: label "You are about to install KAVENLOR dynamic add-in from Corvane Lathi.", enabled, visible, bold'
contains "English explanation" "$out/welcome_en" '  titulo2: label "This add-in will add a new category called Kavenlor in Microsoft Excel worksheet functions. This category will have all functions available in this add-in that can be accessed from Excel worksheets."'
contains "English memo" "$out/welcome_en" "    | KAVENLOR TERMS OF USE"
absent "no Portuguese left (en)" "$out/welcome_en" "TERMOS"
"$kvhost" welcome >"$out/welcome_script" 2>&1
check "welcome, scripted" $? 0
absent "script mode prints no dialog" "$out/welcome_script" "Image1"
printf 'click Label1\nok\n' | "$kvhost" --dialog prompt welcome >"$out/welcome_prompt" 2>&1
check "welcome, prompted" $? 0
contains "the prompt refuses a label click" "$out/welcome_prompt" "refused: Label1 is a label, not something to click"
contains "then OK" "$out/welcome_prompt" "closed by b_ok"

# --- Usage.
"$kvhost" command kv_menu_nothing >/dev/null 2>"$out/nocommand"
check "unknown command" $? 2
contains "names it" "$out/nocommand" "no command is registered as kv_menu_nothing"
"$kvhost" --lang fr menu >/dev/null 2>&1
check "unknown language" $? 2

# Nothing was written outside this test's folder, and no run left its temporary settings.
[ -z "$(find "$HOME" "$TMPDIR" -mindepth 1 2>/dev/null)" ] && pass ||
  { fail "files left in HOME or TMPDIR:"; find "$HOME" "$TMPDIR" -mindepth 1; }
[ ! -e "$XDG_CONFIG_HOME" ] && pass || fail "the configuration folder was created"

summary
