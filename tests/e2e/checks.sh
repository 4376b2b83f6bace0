# The checks the end-to-end scripts share. Sourced (`. "$(dirname "$0")/checks.sh"`): it makes
# a temporary folder $out, removed on exit, and counts what passed and failed; a script ends
# with `summary`, which prints 'N passed, N failed' and fails when anything did.
failures=0
passes=0
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

pass() { passes=$((passes + 1)); }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
check() { # description, command status, expected status
  if [ "$2" -eq "$3" ]; then pass; else fail "$1 (exit $2, expected $3)"; fi
}
holds() { # description, then a command that must succeed; says "ok: DESCRIPTION" when it does
  what=$1
  shift
  if "$@"; then echo "ok: $what"; pass; else fail "$what"; fi
}
same() { # description, file, expected content
  if [ "$(cat "$2")" = "$3" ]; then pass; else
    fail "$1: got"; cat "$2"; echo "-- expected"; echo "$3"; fi
}
contains() { # description, file, text
  if grep -qF -- "$3" "$2"; then pass; else fail "$1: '$3' not in:"; cat "$2"; fi
}
contains_re() { # description, file, extended regular expression
  if grep -qE -- "$3" "$2"; then pass; else fail "$1: /$3/ not in:"; cat "$2"; fi
}
absent() { # description, file, text
  if grep -qF -- "$3" "$2"; then fail "$1: '$3' in:"; cat "$2"; else pass; fi
}
count() { # description, file, fixed text, expected number of lines holding it
  n=$(grep -cF -- "$3" "$2")
  if [ "$n" -eq "$4" ]; then pass; else fail "$1: $n lines with '$3', expected $4"; cat "$2"; fi
}
lines() { # description, file, count
  if [ "$(wc -l <"$2")" -eq "$3" ]; then pass; else fail "$1: not $3 line(s):"; cat "$2"; fi
}
empty() { # description, file
  if [ -s "$2" ]; then fail "$1: not empty:"; cat "$2"; else pass; fi
}
# A file the run wrote against its golden copy in the repository, byte for byte. With
# KV_UPDATE_GOLDEN set (to anything) the golden copy is written instead, and the script says so;
# the difference is then read with git diff before it is committed.
how_to_update="KV_UPDATE_GOLDEN=1 ctest --preset default -L golden, then read git diff before \
committing"
golden() { # description, file the run wrote, golden file
  if [ -n "${KV_UPDATE_GOLDEN+set}" ]; then
    if cp "$2" "$3"; then echo "KV_UPDATE_GOLDEN is set: wrote $3, not compared"; pass; else
      fail "$1: could not write $3"; fi
  elif cmp -s "$2" "$3"; then pass; else
    fail "$1: differs from $3 (a deliberate change: $how_to_update)"
    diff "$3" "$2"
  fi
}
summary() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
# Settings, home and configuration folders of the script's own, in $out: no check sees the
# settings of the person running the tests.
own_settings() {
  export KAVENLOR_REGISTRY="$out/registry" HOME="$out/home" XDG_CONFIG_HOME="$out/config"
  mkdir -p "$HOME"
}
# Runs the workbook checker CHECKER (a Python script beside this one) with the arguments after the
# description; what it found wrong is printed under the failure.
verify_with() { # checker, description, checker arguments...
  checker=$1 what=$2
  shift 2
  if /usr/bin/python3 "$(dirname "$0")/$checker" "$@" >"$out/verify.log" 2>&1; then pass; else
    fail "$what"; cat "$out/verify.log"; fi
}
