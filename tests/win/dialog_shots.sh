#!/usr/bin/env bash
# Pictures of the native dialogs: each dialog in both languages, shown under Wine's desktop
# (which draws the frames and title bars) and taken with ImageMagick's import.
#   dialog_shots.sh BUILD_DIR OUT_DIR      (BUILD_DIR: the mingw64 build)
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: dialog_shots.sh BUILD_DIR OUT_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
command -v import >/dev/null || { echo "dialog_shots.sh: import (imagemagick) is missing" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi
# Each dialog stays up 1.5 s; its picture is taken half a second after it says it is up.
"$here/wine_run.sh" "$build/tests/wine" wine explorer /desktop=kv,1024x768 \
    "$build/bin/native_dialogs_test.exe" --show 1500 |
  while read -r word name; do
    [ "$word" = dialog ] || continue
    name=${name%$'\r'}  # Wine writes CR LF
    sleep 0.5
    import -window root "$out/$name.png"
    echo "$out/$name.png"
  done
