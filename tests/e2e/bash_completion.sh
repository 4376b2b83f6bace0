#!/bin/bash
# The bash completion of kvhost (packaging/linux/kvhost.bash) with the bash-completion library:
# lines are split as bash splits them, the completion function runs, and what it offers is
# compared. Commands, settings verbs and names, options before and after the command, fixed
# option values, files by kind; then the tools and dialog controls it asks the kvhost on the line
# for (kvhost tools), with the --addin given there. Run with bash.
# Arguments: kvhost. (Not under set -u: the bash-completion library is not written for it.)
# shellcheck source-path=SCRIPTDIR
. "$(dirname "$0")/checks.sh"
kvhost=$1
completion=$(cd "$(dirname "$0")/../../packaging/linux" && pwd)/kvhost.bash
own_settings
unset BROWSER

# shellcheck source=/dev/null
. /usr/share/bash-completion/bash_completion || { echo "FAIL: the bash-completion library"; exit 1; }
# shellcheck source=../../packaging/linux/kvhost.bash
. "$completion" || { echo "FAIL: $completion"; exit 1; }
if [ "$(complete -p kvhost 2>/dev/null)" = "complete -F _kvhost kvhost" ]; then pass; else
  fail "the script does not register _kvhost for kvhost"; fi

# compopt works only under readline's completion; here it records what was asked.
compopt() { printf '%s\n' "$*" >>"$out/compopt"; }

# Completes the line "kvhost ARGUMENTS" with the cursor at its end, as bash would: COMP_WORDS
# split at blanks and at '=' and ':' (COMP_WORDBREAKS), an empty last word after a blank. The
# candidates, sorted, one a line, go to $out/reply; the options asked of compopt to
# $out/compopt.
complete_line() { # arguments as typed after kvhost
  local first rest
  printf -v first '%q' "$kvhost"
  rest=$1
  COMP_LINE="$first $rest"
  COMP_POINT=${#COMP_LINE}
  read -ra COMP_WORDS <<<"$(printf '%s' "$rest" | sed 's/[=:]/ & /g')"
  COMP_WORDS=("$first" "${COMP_WORDS[@]}")
  case $COMP_LINE in *' ' | *= | *:) COMP_WORDS+=("") ;; esac
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  : >"$out/compopt"
  _kvhost kvhost "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>"$out/stderr"
  if [ "${#COMPREPLY[@]}" -gt 0 ]; then printf '%s\n' "${COMPREPLY[@]}" | sort >"$out/reply"
  else : >"$out/reply"; fi
  [ -s "$out/stderr" ] && fail "completing '$rest' wrote on standard error:" && cat "$out/stderr"
}

offers() { # description, arguments typed, the candidates expected (any order)
  complete_line "$2"
  same "$1 ('kvhost $2')" "$out/reply" "$(printf '%s\n' "${@:3}" | sort)"
}

# Commands and settings verbs and names.
offers "the commands" "" addin command eval info menu run settings tools welcome
offers "the commands after a global option and its value" "--dialog print " \
  addin command eval info menu run settings tools welcome
offers "commands by their start" "s" settings
offers "the settings verbs" "settings " install set show
offers "the names settings set stores" "settings set " IDIOMA PATH SHOW VERSAO
offers "a settings name in any case" "settings set id" IDIOMA
offers "SHOW's values" "settings set SHOW " 0 1
offers "the add-in manager's actions" "addin " add remove

# Every long option each --help lists is offered after "--": the completion's lists follow
# kvhost's own.
help_options() { # kvhost arguments before --help
  "$kvhost" "$@" --help 2>&1 | sed -nE '/^Options:$/,/^$/p' | grep -oE -- '--[a-z][a-z0-9-]*' |
    grep -vx -- '--help' | sort -u
}
for command in "" info addin eval menu command "settings show" "settings set" \
  "settings install" welcome run tools; do
  # shellcheck disable=SC2086 # the command's words
  expected=$( (help_options $command; [ -n "$command" ] && help_options) | sort -u)
  complete_line "${command:+$command }--"
  missing=$(printf '%s\n' "$expected" | grep -vxF -f "$out/reply")
  if [ -z "$missing" ]; then pass; else
    fail "'kvhost ${command:+$command }--' does not offer: $(echo "$missing" | tr '\n' ' ')"; fi
done

# Options: the command's own and the global ones, after the command too.
offers "run's options beginning --d" "run --d" --data --dialog --down --dump
offers "run's options after the tool" "run hist --s" --select --set --sheet --show-dialog
offers "eval's options beginning --p" "eval --p" --precision
offers "settings install's options" "settings install --p" --path
offers "install's --version takes a value" "settings install --version " # nothing to offer
offers "global options after a command" "info --c" --count-calls
offers "the global options" "--e" --excel-lang --excel-version
complete_line "--"
count "--version offered once" "$out/reply" "--version" 1
complete_line "menu --"
contains "menu --close" "$out/reply" "--close"
contains "menu --toolbar-picture" "$out/reply" "--toolbar-picture"
absent "menu has no --data" "$out/reply" "--data"

# Fixed values.
offers "--lang" "--lang " pt en
offers "--lang=" "--lang=" pt en
offers "--lang after the command" "run hist --lang p" pt
offers "--excel-lang" "--excel-lang " en pt
offers "--dialog" "--dialog " script print prompt
offers "--dialog by its start" "--dialog pr" print prompt
offers "--csv-separator, ';' quoted for the shell" "eval --csv-separator " , '\;' tab
offers "--csv-decimal" "run --csv-decimal " . ,
offers "--precision" "eval --precision 1" 1 10 11 12 13 14 15 16 17

# Files by kind, from the current folder.
mkdir -p "$out/files/folder"
for name in book.xlsx model.json prices.csv old.xls addin.so addin.xll toolbar.png notes.md; do
  : >"$out/files/$name"
done
cd "$out/files" || exit 1
offers "--out: .xlsx files and folders" "run hist --out " book.xlsx folder
offers "--dump: .json files and folders" "run hist --dump " folder model.json
offers "--data: data files and folders" "run hist --data " book.xlsx folder old.xls prices.csv
offers "eval --data" "eval --data p" prices.csv
offers "--addin: add-ins and folders" "--addin " addin.so addin.xll folder
offers "--toolbar-picture: PNG files and folders" "menu --toolbar-picture " folder toolbar.png
offers "settings install --path: folders only" "settings install --path " folder
offers "settings set PATH: folders only" "settings set PATH " folder
cd - >/dev/null || exit 1

# The tools and their dialogs' controls, from the kvhost on the line.
if ! "$kvhost" tools >"$out/tools" 2>&1; then
  echo "FAIL: '$kvhost tools' fails:"
  cat "$out/tools"
  exit 1
fi
complete_line "run "
for tool in hist cmp pca ica rlm ewv arch; do
  contains "run offers $tool" "$out/reply" "$tool"
done
absent "run offers no command name where there is a short name" "$out/reply" "kv_menu_hist"
offers "tools by their start" "tools hi" hist
offers "run's tool after options" "--lang pt run --data x.csv h" hist
offers "command: the commands registered" "command kv_menu_h" kv_menu_hist
offers "nothing from an add-in that does not load" "--addin /nonexistent/kavenlor.so run "
offers "nothing after the tool of tools" "tools hist "
# The histogram's dialog (tests/e2e/dialogs/hist.txt): checks boxes o_retorno, o_normal,
# o_indicadores, o_cores; the drop-down list c_regra, the radio group r_grupo, the edit
# intervalo, the masked edit faixas, the up-down seta, the buttons b_ok and b_cancelar.
offers "--set: controls that take a value, as NAME=" "run hist --data x.csv --set " \
  c_regra= faixas= intervalo= o_cores= o_indicadores= o_normal= o_retorno= r_grupo=
contains "--set leaves no space after NAME=" "$out/compopt" "-o nospace"
offers "--set by its start" "run hist --set o_n" o_normal=
offers "--set, the tool given under --lang pt" "--lang pt run hist --set f" faixas=
offers "nothing for --set's value" "run hist --set faixas=" # the value is typed
offers "--click: buttons and check boxes" "run hist --click " \
  b_cancelar b_ok o_cores o_indicadores o_normal o_retorno
offers "--up: up-downs" "run hist --up " seta
offers "--down, the tool given before a selection" "run hist --select A2:A100 --down " seta
offers "--up, the tool given after a selection" "run --select A2:A100 hist --up " seta
offers "no controls without a tool" "run --click "
offers "controls of the tool named by its command" "run kv_menu_hist --up " seta

summary
