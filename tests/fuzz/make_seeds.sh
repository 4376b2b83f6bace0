#!/bin/sh
# Writes the seed workbooks of the readers' fuzzing pass into tests/fuzz/seeds/: openpyxl's
# round-trip workbook without its far cell (inline texts, Booleans, errors, dates of type "d", a hidden sheet), and
# LibreOffice's .xlsx (shared strings, cached formula values) and .xls (BIFF8) of it.
# Needs /usr/bin/python3 with openpyxl and soffice. Run from anywhere; commits nothing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/../host/data/make_workbooks.py" fuzz-seed "$work/book.xlsx" "$work/book.json"
cp "$work/book.xlsx" "$here/seeds/openpyxl.xlsx"
for kind in xlsx xls; do
  soffice --headless "-env:UserInstallation=file://$work/profile" --convert-to "$kind" \
    --outdir "$work/$kind" "$work/book.xlsx" >/dev/null
  cp "$work/$kind/book.$kind" "$here/seeds/libreoffice.$kind"
done
ls -l "$here/seeds"
