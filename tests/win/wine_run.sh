#!/usr/bin/env bash
# Runs a command with a private Wine prefix and, when there is no display, under Xvfb.
#   wine_run.sh PREFIX_DIR COMMAND [ARGS...]
# PREFIX_DIR is created and initialised (wineboot) on first use; later runs reuse it, so a
# test suite pays the ~10 s of a fresh prefix once. Settings the Windows add-in writes land in
# this prefix's registry, never in the user's own ~/.wine.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: wine_run.sh PREFIX_DIR COMMAND [ARGS...]" >&2
  exit 2
fi
prefix=$1
shift
command -v wine >/dev/null || { echo "wine_run.sh: wine is not installed (./kv deps)" >&2; exit 2; }
mkdir -p "$prefix"
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)/wine
export WINEDEBUG=${WINEDEBUG:--all}
# Wine must not offer to install Mono or Gecko into the fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

# Under a display of our own, the Wine processes (the desktop's among them) must be gone
# before Xvfb is, or they report the broken connection.
run() {
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s '-screen 0 1024x768x24' bash -c '"$@"; rc=$?; wineserver -w; exit $rc' run "$@"
  else
    "$@"
  fi
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Two suites starting at once must not both initialise the prefix.
  exec 9>"$prefix/.init.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    run wine wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  flock -u 9
fi
run "$@"
