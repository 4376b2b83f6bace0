#!/usr/bin/env bash
# Runs every case of a cases file with the Linux add-in and with the Windows one, in kvhost, and
# compares what each printed, its exit status and the files it wrote. Run it under
# wine_run.sh, which provides the Wine prefix and the display:
#   wine_run.sh PREFIX same_as_linux.sh KVHOST ADDIN_SO ADDIN_XLL DATA CASES
# Each side has one settings store for the whole sequence (a file for the Linux add-in, the
# prefix's registry for the Windows one), both empty at the start.
set -uo pipefail
kvhost=$1 linux_addin=$2 windows_addin=$3 DATA=$4 cases=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KAVENLOR_REGISTRY="$work/registry" HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME"
wine reg delete 'HKLM\Software\Kavenlor' /f >/dev/null 2>&1 || true

# The add-in's path as each side prints it.
windows_path=$(winepath -w "$windows_addin" 2>/dev/null)
if [ -z "$windows_path" ]; then
  echo "winepath cannot name $windows_addin in Windows terms"
  exit 1
fi
paths=(--path "$linux_addin=$windows_path" --path "$(dirname "$linux_addin")=${windows_path%\\*}")

n=0 passed=0 failed=0
while IFS= read -r line; do
  case "$line" in '' | '#'*) continue ;; esac
  n=$((n + 1))
  for side in linux windows; do
    OUT="$work/$side/$n"
    mkdir -p "$OUT"
    addin=$linux_addin
    [ "$side" = windows ] && addin=$windows_addin
    eval "set -- $line"
    timeout 300 "$kvhost" --addin "$addin" "$@" >"$OUT.stdout" 2>"$OUT.stderr"
    echo $? >"$OUT.status"
  done
  ok=1
  for part in status stdout stderr; do
    if ! /usr/bin/python3 "$here/compare_outputs.py" "$work/linux/$n.$part" "$work/windows/$n.$part" \
      "${paths[@]}" >"$work/why" 2>&1; then
      ok=0
      echo "FAIL case $n ($part): $line"
      sed 's/^/    /' "$work/why"
    fi
  done
  for file in "$work/linux/$n"/*; do
    [ -e "$file" ] || continue
    other="$work/windows/$n/$(basename "$file")"
    if [ ! -e "$other" ]; then
      ok=0
      echo "FAIL case $n: the Windows add-in wrote no $(basename "$file")"
    elif [[ "$file" == *.json ]] &&
      ! /usr/bin/python3 "$here/compare_outputs.py" "$file" "$other" "${paths[@]}" >"$work/why"; then
      ok=0
      echo "FAIL case $n ($(basename "$file")): $line"
      sed 's/^/    /' "$work/why"
    fi
  done
  if [ $ok = 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done <"$cases"

# What the sequence stored: the Windows add-in's values in Wine's registry, the Linux add-in's in
# its file, value by value.
stored=0
while IFS= read -r entry; do
  name=$(printf '%s' "$entry" | sed -n 's/^"\([^"]*\)" = .*/\1/p')
  [ -n "$name" ] || continue
  stored=$((stored + 1))
  expected=$(printf '%s' "$entry" | sed -n 's/^"[^"]*" = text "\(.*\)"$/REG_SZ \1/p; s/^"[^"]*" = binary \(.*\)$/REG_BINARY \1/p' | tr -d ' ' | tr 'a-f' 'A-F')
  found=$(wine reg query 'HKLM\Software\Kavenlor' /v "$name" 2>/dev/null | tr -d '\r' |
    awk -v n="$name" '$1 == n {print $2 $3}' | tr 'a-f' 'A-F')
  if [ "$found" != "$expected" ]; then
    echo "FAIL setting $name: the Linux add-in stored $expected, Wine's registry holds '${found}'"
    failed=$((failed + 1))
  fi
done <"$KAVENLOR_REGISTRY"
echo "$stored settings stored alike in Wine's registry and the Linux store"

echo "$passed of $n cases gave the Linux add-in's output with the Windows add-in"
[ $failed = 0 ] && [ $n -gt 0 ]
