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

# No output is a file the run reads, whatever path leads to it (the same name, a symbolic link, a
# hard link): refused before the add-in runs, one line, exit 2, the file as it was. The data is a
# copy, the add-in too, so that a fault destroys nothing of the build or the repository.
cp "$data/eu_stock_markets.csv" prices.csv && cp prices.csv prices.orig
cp "$(dirname "$kvhost")/kavenlor.so" addin.so && cp addin.so addin.orig
printf '# Kavenlor registry 1\n' >"$KAVENLOR_REGISTRY" && cp "$KAVENLOR_REGISTRY" registry.orig
ln prices.csv hard.csv
ln -s prices.csv soft.csv
ln -s "$KAVENLOR_REGISTRY" settings-link
reads() { # description, output option, path
  "$kvhost" --addin addin.so run hist --data prices.csv --select A2:A100 --ok "$2" "$3" \
    >"$out/std" 2>"$out/err"
  check "$1: refused" $? 2
  lines "$1: one line" "$out/err" 1
  contains "$1: why" "$out/err" "kvhost does not write over a file it reads"
  empty "$1: nothing run" "$out/std"
}
reads "--out on the data" --out prices.csv
reads "--dump on the data" --dump prices.csv
reads "--dump on the data's hard link" --dump hard.csv
reads "--out on a link to the data" --out soft.csv
reads "--dump on the settings" --dump "$KAVENLOR_REGISTRY"
reads "--out on a link to the settings" --out settings-link
reads "--out on the add-in" --out addin.so
# kvhost itself through a hard link, where the folders share a file system: a fault would
# replace the link, not the program.
if ln "$kvhost" own-program 2>/dev/null; then reads "--dump on kvhost itself" --dump own-program; fi
cmp -s prices.csv prices.orig && pass || fail "the data was changed"
cmp -s addin.so addin.orig && pass || fail "the add-in was changed"
cmp -s "$KAVENLOR_REGISTRY" registry.orig && pass || fail "the settings were changed"
# A data file given twice in another spelling, and one of several data files.
"$kvhost" run cmp --data "$data/yield_curve.csv" --data ./prices.csv --select 'yield_curve!A2:B13' \
  --ok --out "$out/w/prices.csv" >/dev/null 2>"$out/err"
check "the second data file as --out" $? 2
cmp -s prices.csv prices.orig && pass || fail "the second data file was changed"

# A run that ends with the add-in's message (exit 1; a regression on two equal columns) writes
# nothing: existing --out and --dump stay as they were, no new file, no temporary. With
# --keep-partial it saves what it made, to new files only.
printf 'y,b,c\n' >twins.csv
for i in 1 2 3 4 5 6 7 8 9 10 11; do echo "$((i * 3 % 5)),$((i * i % 7)),$((i * i % 7))"; done \
  >>twins.csv
twins() { "$kvhost" run rlm --data twins.csv --select A1:C12 --ok "$@" >/dev/null 2>"$out/err"; }
echo earlier >partial.xlsx && echo earlier >partial.json
twins --out partial.xlsx --dump partial.json
check "a run that ends with its message" $? 1
contains "the add-in's message" "$out/err" "[Warning] "
same "--out left as it was" partial.xlsx earlier
same "--dump left as it was" partial.json earlier
count "said for each output" "$out/err" "is not written (--keep-partial saves what it made)" 2
twins --out fresh.xlsx
check "a run that ends with its message, new --out" $? 1
[ ! -e fresh.xlsx ] && pass || fail "a partial workbook was written without --keep-partial"
twins --out partial.xlsx --dump partial.json --keep-partial
check "--keep-partial over existing files" $? 2
contains "--keep-partial's rule" "$out/err" "File exists (--keep-partial writes only files that do not exist yet)"
same "--keep-partial leaves the existing --out" partial.xlsx earlier
same "--keep-partial leaves the existing --dump" partial.json earlier
twins --out fresh.xlsx --dump fresh.json --keep-partial
check "--keep-partial to new files" $? 1
if [ -s fresh.xlsx ] && grep -q '"sheets"' fresh.json; then pass; else
  fail "--keep-partial wrote no partial workbook"; fi
# A run that succeeds with --keep-partial replaces files as any run does.
run --dump fresh.json --keep-partial
check "--keep-partial on a run that succeeds" $? 0
grep -q 'Histogram' fresh.json && pass || fail "the successful run did not replace the dump"

# A new file's permissions are what the umask leaves of 0666; a file written over keeps its own.
for mask in 027 022 077; do
  (umask $mask && run --out "mode$mask.xlsx" --dump "mode$mask.json")
  check "a run under umask $mask" $? 0
  stat -c %a "mode$mask.xlsx" "mode$mask.json" >"$out/mode"
  expected=$(printf '%o' $((0666 & ~0$mask)))
  same "new files under umask $mask" "$out/mode" "$expected
$expected"
done
chmod 604 mode022.xlsx mode022.json
(umask 077 && run --out mode022.xlsx --dump mode022.json)
check "writing over files" $? 0
stat -c %a mode022.xlsx mode022.json >"$out/mode"
same "files written over keep their mode" "$out/mode" "604
604"

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
