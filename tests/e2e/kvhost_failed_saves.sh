#!/bin/sh
# Saves the system refuses: under a memory limit (ulimit -v), a file-size limit (ulimit -f) and on
# a full file system, kvhost ends with one line that says the system's reason, exit 2, the
# existing --out and --dump as they were and no temporary file left; never a crash or a signal.
# Then the order of a save's calls, logged by a preloaded library: each file flushed before it is
# renamed into place, its folder flushed after, for --out, --dump and the settings alike.
# Arguments: kvhost, the bundled data folder, the logging library.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2
shim=$3
own_settings
mkdir "$out/w"
cd "$out/w" || exit 1
work=$(pwd -P)
cp "$data/eu_stock_markets.csv" prices.csv
ica() { "$kvhost" run ica --data prices.csv --select A2:D1861 --click o_ica --ok "$@"; }
# What a refused save must leave: exit 2, one line naming the file, the old files, no temporary.
refused() { # description, status, file with stderr
  check "$1: exit" "$2" 2
  lines "$1: one line" "$3" 1
  contains "$1: says which file" "$3" "kvhost: cannot write keep."
  same "$1: --out as it was" keep.xlsx before
  same "$1: --dump as it was" keep.json before
  ls -a | grep -c 'kvhost-' >"$out/left"
  same "$1: no temporary left" "$out/left" 0
}
echo before >keep.xlsx
echo before >keep.json

# A file-size limit far below the workbook: the write fails with EFBIG, not SIGXFSZ.
(ulimit -f 8 && ica --out keep.xlsx >/dev/null 2>"$out/err")
status=$?
refused "file-size limit, --out" $status "$out/err"
contains "file-size limit: the system's reason" "$out/err" "File too large"
(ulimit -f 8 && ica --dump keep.json >/dev/null 2>"$out/err")
status=$?
refused "file-size limit, --dump" $status "$out/err"
contains "file-size limit, --dump: the system's reason" "$out/err" "File too large"

# A full file system: a tmpfs of 24 KiB in a mount namespace of this test's own (skipped where
# no user namespace can be made).
if unshare -rm true 2>/dev/null; then
  mkdir small
  unshare -rm sh -c 'mount -t tmpfs -o size=24k none small && cd small && echo before >keep.xlsx &&
    echo before >keep.json && "$0" run ica --data ../prices.csv --select A2:D1861 --click o_ica \
    --ok --out keep.xlsx >/dev/null 2>../err.out; echo $? >../status.out
    "$0" run ica --data ../prices.csv --select A2:D1861 --click o_ica --ok --dump keep.json \
    >/dev/null 2>../err.dump; echo $? >../status.dump; ls -a | grep -c kvhost- >../left' "$kvhost"
  check "full disk, --out: exit" "$(cat status.out)" 2
  lines "full disk, --out: one line" err.out 1
  contains "full disk, --out: the system's reason" err.out "No space left on device"
  check "full disk, --dump: exit" "$(cat status.dump)" 2
  contains "full disk, --dump: the system's reason" err.dump "No space left on device"
  same "full disk: no temporary left" left 0
else
  echo "no user namespace here: the full file system is not tried"
fi

# Memory limits from the least that starts kvhost up to enough: every run ends by itself with
# 0, 1 (the add-in's own message) or 2 and one line (or 127, the loader's, when kvhost cannot
# even be loaded); some limit fails the save of the workbook. Below the least that prints the
# help, the C++ runtime itself cannot start (its first allocation, before main, fails and it
# aborts), which no program can answer. (Not under the sanitizers, which reserve terabytes of
# address space.)
if (ulimit -v 4000000 && "$kvhost" --help >/dev/null 2>&1); then
  limit=8000
  while [ $limit -le 200000 ] && ! (ulimit -v $limit && "$kvhost" --help >/dev/null 2>&1); do
    limit=$((limit + 500))
  done
  echo "memory limits: kvhost starts from $limit KiB"
  write_failed=0
  while [ $limit -le 200000 ]; do
    echo before >keep.xlsx
    (ulimit -v $limit && ica --out keep.xlsx >/dev/null 2>"$out/err")
    status=$?
    case $status in
      0) break ;;
      1) same "memory $limit KiB, exit 1: --out as it was" keep.xlsx before ;;
      2)
        # (kvhost's one line may follow the add-in's message about a call that failed.)
        count "memory $limit KiB: one line of kvhost's" "$out/err" "kvhost: " 1
        same "memory $limit KiB: --out as it was" keep.xlsx before
        if grep -q "cannot write keep.xlsx" "$out/err"; then write_failed=$((write_failed + 1)); fi ;;
      127) contains "memory $limit KiB: too little to load kvhost" "$out/err" \
        "error while loading shared libraries" ;;
      *) fail "memory $limit KiB: exit $status"; cat "$out/err" ;;
    esac
    ls -a | grep -c 'kvhost-' >"$out/left"
    same "memory $limit KiB: no temporary left" "$out/left" 0
    limit=$((limit + 500))
  done
  check "a run succeeds under some memory limit" "$status" 0
  if [ $write_failed -gt 0 ]; then pass; else fail "no memory limit failed the save"; fi
  echo "memory limits: $write_failed failed the save; the run succeeded from $limit KiB"
else
  echo "kvhost does not start under a memory limit (a sanitizer build): those runs are skipped"
fi

# The order of a save: the file flushed, renamed, its folder flushed; the settings as the output.
export KV_SYNC_LOG="$work/sync.log" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0"
LD_PRELOAD=$shim "$kvhost" run hist --data prices.csv --select A2:A100 --ok \
  --out "$work/book.xlsx" --dump "$work/book.json" >/dev/null 2>"$out/err"
check "a logged save" $? 0
LD_PRELOAD=$shim "$kvhost" settings set IDIOMA 2 >/dev/null 2>>"$out/err"
check "a logged settings save" $? 0
unset KV_SYNC_LOG
registry=$(cd "$(dirname "$KAVENLOR_REGISTRY")" && pwd -P)/registry
for target in "$work/book.xlsx" "$work/book.json" "$registry"; do
  awk -v target="$target" -v folder="$(dirname "$target")" '
    NR == FNR { if ($1 == "rename" && $3 == target) { from = $2; at = FNR } next }
    $1 == "fsync" && $2 == from && FNR < at { before = 1 }
    $1 == "fsync" && $2 == folder && FNR > at { after = 1 }
    END {
      if (!at) { print "no rename onto " target; exit 1 }
      if (!before) { print "not flushed before its rename: " target; exit 1 }
      if (!after) { print "its folder not flushed after the rename: " target; exit 1 }
    }' sync.log sync.log >"$out/order"
  check "flushed, renamed, folder flushed: $(basename "$target")" $? 0
  empty "the order of $(basename "$target")" "$out/order"
done
summary
