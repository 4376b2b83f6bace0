#!/bin/sh
# kvhost's manual page against kvhost's own --help: every command and settings verb the help
# lists has its subsection in COMMANDS ("kvhost COMMAND ..."), every long option is in the
# section of its command (a global one in GLOBAL OPTIONS), and so are the named values an option
# or argument takes (pt, en, script, PATH, ...) and the defaults the help shows. The page also
# names the exit codes 0, 1 and 2 under EXIT STATUS and each environment variable kvhost or the
# add-in reads under ENVIRONMENT, and renders without groff warnings.
# Arguments: kvhost, the manual page (roff, as scdoc writes it; a .scd source is run through
# scdoc first).
set -u
# shellcheck source-path=SCRIPTDIR
. "$(dirname "$0")/checks.sh"
kvhost=$1
page=$2
own_settings

case $page in
*.scd)
  scdoc <"$page" >"$out/page.1" || { echo "FAIL: scdoc cannot read $page"; exit 1; }
  page=$out/page.1
  ;;
esac
[ -s "$page" ] || { echo "FAIL: no manual page at $page"; exit 1; }

# The page's text without roff's escapes, a line each as "SECTION<tab>SUBSECTION<tab>text<tab>
# ROLE": ROLE is "entry" for the term of an indented entry (the line before .RS: "--lang pt|en",
# "KAVENLOR_TRACE", "0"), "heading" for a subsection's heading (a line of its own subsection),
# else empty.
sed -e 's/\\f\[[^]]*\]//g' -e 's/\\f([A-Z][A-Z]//g' -e 's/\\f[A-Z0-9]//g' -e 's/\\-/-/g' \
  -e 's/\\&//g' -e 's/\\(aq/'"'"'/g' -e 's/\\(hy/-/g' -e 's/\\e/\\/g' "$page" |
  awk -v OFS='\t' '
    function flush(role) { if (held) print held_section, held_subsection, held_text, role; held = 0 }
    /^\.RS/ { flush("entry"); next }
    /^\.SH / { flush(""); section = substr($0, 5); gsub(/"/, "", section); subsection = ""; next }
    /^\.SS / { flush(""); subsection = substr($0, 5); gsub(/"/, "", subsection)
               print section, subsection, subsection, "heading"; next }
    /^[.'"'"']/ { flush(""); next }
    { flush(""); held = 1; held_section = section; held_subsection = subsection; held_text = $0 }
    END { flush("") }' >"$out/text"
[ -s "$out/text" ] || { echo "FAIL: no text in $page"; exit 1; }

# The text of a section, or of the subsections whose heading is WORDS or begins with WORDS
# and a blank; with "entries", only the terms of their entries.
section_text() { # section name [entries]
  awk -F'\t' -v name="$1" -v only="${2:-}" '$1 == name && (only == "" || $4 == "entry") {
    print $3 }' "$out/text"
}
subsection_text() { # words [entries]
  awk -F'\t' -v words="$1" -v only="${2:-}" '($2 == words || index($2, words " ") == 1) &&
    (only == "" || $4 == "entry") { print $3 }' "$out/text"
}
# Whether a file holds WORD with no letter, digit, '-' or '_' joined to it either side.
has_word() { # file, word (letters, digits, '-', '_' and '.' only)
  grep -qE -- "(^|[^A-Za-z0-9_-])$(printf '%s' "$2" | sed 's/\./\\./g')([^A-Za-z0-9_-]|$)" "$1"
}

# What a --help lists.
help_of() { # kvhost arguments before --help; the help goes to $out/help
  "$kvhost" "$@" --help >"$out/help" 2>&1 </dev/null
  check "kvhost $* --help" $? 0
}
subcommands() {
  sed -n '/^Subcommands:/,/^$/p' "$out/help" | grep -E '^  [a-z]' | awk '{ print $1 }'
}
# The rows of the help's Positionals and Options, a line each: KIND (option or argument), NAME
# (the long option, or the argument's name), CHOICES (the named values it takes: TEXT:{pt,en}
# gives "pt en ") and DEFAULT (the default shown, =16.0, unless it is a path), separated by
# '|' (a tab would be read as blanks are, and an empty field lost).
help_rows() {
  sed -nE '/^(Positionals|Options):$/,/^$/p' "$out/help" | grep -E '^  [a-z-]' |
    awk -F '  +' '{ print $2 }' | while IFS= read -r column; do
    name=${column%% *}
    kind=argument
    case $name in
    -*) kind=option name=$(printf '%s\n' "$name" | tr ',' '\n' | grep -E '^--' | head -n 1) ;;
    esac
    choices=$(printf '%s\n' "$column" | sed -n 's/.*:{\(.*\)}.*/\1/p' | tr ',' '\n' |
      grep -E '^[A-Za-z][A-Za-z0-9.]*$' | tr '\n' ' ')
    default=$(printf '%s\n' "$column" | sed -n 's/.*=\([^ /=]*\)$/\1/p')
    printf '%s|%s|%s|%s\n' "$kind" "$name" "$choices" "$default"
  done
}

# Checks that the text in $out/where (its entries' terms in $out/entries) documents what the
# help in $out/help lists: each long option is in the term of an entry ("--lang pt|en", "--up
# CONTROL, --down CONTROL") with the named values it takes; the named values of the arguments
# and the defaults are said in the text.
documents_help() { # where it should be said
  help_rows >"$out/rows"
  grep -q '^option' "$out/rows" || fail "no options read from the help for $1"
  while IFS='|' read -r kind name choices default; do
    [ "$name" = --help ] && [ "$1" != "GLOBAL OPTIONS" ] && continue # said once, globally
    if [ "$kind" = option ]; then
      grep -E -- "(^|[^A-Za-z0-9_-])$name([^A-Za-z0-9_-]|\$)" "$out/entries" >"$out/entry"
      if [ -s "$out/entry" ]; then pass; else fail "$name is not an entry of $1"; continue; fi
    else
      cp "$out/where" "$out/entry"
    fi
    for value in $choices; do
      if has_word "$out/entry" "$value"; then pass; else
        fail "$name's value $value is not in $1"; fi
    done
    if [ -z "$default" ]; then :; elif has_word "$out/where" "$default"; then pass; else
      fail "$name's default $default is not in $1"; fi
  done <"$out/rows"
}

# The global options, in GLOBAL OPTIONS.
help_of
subcommands >"$out/commands"
[ -s "$out/commands" ] || fail "no commands read from kvhost --help"
section_text "GLOBAL OPTIONS" >"$out/where"
section_text "GLOBAL OPTIONS" entries >"$out/entries"
[ -s "$out/where" ] || fail "the page has no section GLOBAL OPTIONS"
documents_help "GLOBAL OPTIONS"

# Each command in its subsection of COMMANDS, its options and values there; the settings verbs
# in theirs.
while read -r command <&3; do
  subsection_text "kvhost $command" >"$out/where"
  subsection_text "kvhost $command" entries >"$out/entries"
  if [ -s "$out/where" ]; then pass; else
    fail "the page has no subsection 'kvhost $command ...'"; continue; fi
  help_of "$command"
  cp "$out/help" "$out/command-help"
  documents_help "the subsection of kvhost $command"
  sed -n '/^Subcommands:/,/^$/p' "$out/command-help" | grep -E '^  [a-z]' | awk '{ print $1 }' \
    >"$out/verbs"
  while read -r verb <&4; do
    subsection_text "kvhost $command $verb" >"$out/where"
    subsection_text "kvhost $command $verb" entries >"$out/entries"
    if [ -s "$out/where" ]; then pass; else
      fail "the page has no subsection 'kvhost $command $verb ...'"; continue; fi
    help_of "$command" "$verb"
    documents_help "the subsection of kvhost $command $verb"
  done 4<"$out/verbs"
done 3<"$out/commands"

# Exit codes, each a term of its own under EXIT STATUS.
section_text "EXIT STATUS" entries >"$out/where"
for code in 0 1 2; do
  if grep -qx -- "$code" "$out/where"; then pass; else
    fail "exit code $code is not an entry under EXIT STATUS"; fi
done

# The environment kvhost and the add-in read.
section_text "ENVIRONMENT" entries >"$out/where"
for variable in KAVENLOR_REGISTRY XDG_CONFIG_HOME HOME KVHOST_XLL_HELPER KAVENLOR_TRACE BROWSER \
  TMPDIR; do
  if grep -qx -- "$variable" "$out/where"; then pass; else
    fail "$variable is not an entry under ENVIRONMENT"; fi
done

# The page as man shows it: no warning from groff.
if command -v groff >/dev/null 2>&1; then
  groff -t -man -Tutf8 -ww -z "$page" >"$out/warnings" 2>&1
  check "groff renders the page" $? 0
  empty "groff's warnings" "$out/warnings"
fi

summary
