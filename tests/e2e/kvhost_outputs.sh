#!/bin/sh
# Where kvhost run writes --out and --dump: through symbolic links, never over what is not a
# writable regular file, keeping a file's permissions, all outputs or none, and no temporary
# file left behind by a kvhost killed while saving once the next one saves there.
# Arguments: kvhost, the bundled data folder.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2
own_settings
run() { "$kvhost" run hist --data "$data/eu_stock_markets.csv" --select A2:A100 --ok "$@" \
  >/dev/null 2>"$out/err"; }
mkdir "$out/w"
cd "$out/w" || exit 1

# A link is written through: the link stays, its target gets the new dump, keeping its mode.
echo old >book.json
chmod 600 book.json
ln -s book.json link.json
run --dump link.json
check "dump through a link" $? 0
if [ -L link.json ] && grep -q '"sheets"' book.json; then pass; else fail "the link was replaced"; fi
stat -c %a book.json >"$out/mode"
same "the target keeps its permissions" "$out/mode" 600
mkdir -p sub && ln -s ../book.json sub/up.json && run --dump sub/up.json
check "a relative link in another folder" $? 0

# Targets that are not writable regular files are refused, one line, exit 2, left as they were.
mkfifo fifo.json
cp book.json readonly.json && chmod 444 readonly.json
mkdir folder.xlsx
for target in /dev/null fifo.json folder.xlsx readonly.json; do
  timeout 20 "$kvhost" run hist --data "$data/eu_stock_markets.csv" --select A2:A100 --ok \
    --dump "$target" >/dev/null 2>"$out/err"
  check "refused: $target" $? 2
  lines "one line for $target" "$out/err" 1
done
cmp -s book.json readonly.json && pass || fail "the read-only file was changed"
[ -p fifo.json ] && [ -c /dev/null ] && pass || fail "a special file was replaced"

# An empty path, and one file named by both outputs (also through a link), before anything runs.
run --out ""
check "empty --out" $? 2
contains "empty path" "$out/err" "an empty path names no file to write"
run --out same.xlsx --dump same.xlsx
check "--out and --dump on one file" $? 2
ln -s book.json other.json
run --out book.json --dump other.json
check "--out and --dump on one file through a link" $? 2
contains "the same file" "$out/err" "name the same file"

# All or none: a --dump that cannot be written leaves the --out target as it was.
echo before >kept.xlsx
run --out kept.xlsx --dump missing/x.json
check "a --dump into a missing folder" $? 2
same "the workbook is not replaced" kept.xlsx before

# A name near the 255-byte limit still gets its temporary name.
long=$(printf 'n%.0s' $(seq 1 250)).xlsx
run --out "$long"
check "a 255-byte file name" $? 0

# What a killed kvhost left behind is removed by the next save of that file; a running
# process's temporary file is left alone.
touch .kept.xlsx.kvhost-999999999-abcdef ".kept.xlsx.kvhost-$$-ghijkl"
run --out kept.xlsx
check "saving again" $? 0
if [ ! -e .kept.xlsx.kvhost-999999999-abcdef ] && [ -e ".kept.xlsx.kvhost-$$-ghijkl" ]; then pass
else fail "abandoned temporary files: $(ls -a | grep kvhost- | tr '\n' ' ')"; fi
rm -f ".kept.xlsx.kvhost-$$-ghijkl"
ls -a | grep -c 'kvhost-' >"$out/left"
same "no temporary file left" "$out/left" 0
summary
