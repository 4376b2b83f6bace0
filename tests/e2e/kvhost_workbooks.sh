#!/bin/sh
# kvhost with .xlsx and .xls data files end to end: the same results as from the CSV file they
# were made from, --sheet, the tools' launch rules on cells only a workbook carries (numbers
# stored as text, error values), and the files that must be refused with one line and exit 2.
# Arguments: kvhost, the bundled data folder, the workbook generator (make_workbooks.py).
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2
generator=$3
own_settings
py=/usr/bin/python3

"$py" "$generator" from-csv "$data/eu_stock_markets.csv" "$out/carteira.xlsx" &&
  "$py" "$generator" launch "$out" &&
  "$py" "$generator" roundtrip "$out/roundtrip.xlsx" "$out/roundtrip.json" ||
  { echo "FAIL: the generator"; exit 1; }

# --- The same numbers from the workbook as from the CSV file it was made from.
"$kvhost" eval --data "$data/eu_stock_markets.csv" "KV.SKEW(eu_stock_markets!A2:A1861,1)" \
  "KV.KURT(eu_stock_markets!B2:B1861,1,1)" "KV.EWV(eu_stock_markets!D2:D1861,0.94,0,1)" \
  >"$out/csv" 2>&1
check "eval on the CSV file" $? 0
"$kvhost" eval --data "$out/carteira.xlsx" "KV.SKEW(Precos!A2:A1861,1)" \
  "KV.KURT(Precos!B2:B1861,1,1)" "KV.EWV(Precos!D2:D1861,0.94,0,1)" >"$out/xlsx" 2>&1
check "eval on the workbook" $? 0
if cmp -s "$out/csv" "$out/xlsx"; then pass; else
  fail "the workbook's results differ from the CSV file's"; diff "$out/csv" "$out/xlsx"; fi
lines "three results (the EWV two rows)" "$out/xlsx" 5

# --sheet clicks a tab: a formula without a sheet name reads the active sheet.
"$kvhost" eval --data "$out/carteira.xlsx" --sheet retornos "KV.SKEW(A3:A1861,0)" >"$out/tab" 2>&1
check "--sheet" $? 0
contains_re "a skewness of the returns" "$out/tab" '^-?[0-9]+\.[0-9]+$'
"$kvhost" eval --data "$out/carteira.xlsx" "KV.SKEW(Retornos!A3:A1861,0)" >"$out/named" 2>&1
same "the active sheet is the one clicked" "$out/tab" "$(cat "$out/named")"
"$kvhost" eval --data "$out/carteira.xlsx" "KV.SKEW(A3:A1861,0)" >"$out/first" 2>&1
if cmp -s "$out/first" "$out/tab"; then fail "without --sheet the first sheet is active"; else pass; fi

# A tool from the workbook writes what it writes from the CSV file.
"$kvhost" run pca --data "$data/eu_stock_markets.csv" --select A2:D1861 --ok \
  --dump "$out/pca-csv.json" >/dev/null 2>&1
check "PCA from the CSV file" $? 0
"$kvhost" run pca --data "$out/carteira.xlsx" --sheet Precos --select A2:D1861 --ok \
  --dump "$out/pca-xlsx.json" --out "$out/pca.xlsx" >"$out/pca.log" 2>&1
check "PCA from the workbook" $? 0
if cmp -s "$out/pca-csv.json" "$out/pca-xlsx.json"; then pass; else
  fail "the PCA's workbook differs"; diff "$out/pca-csv.json" "$out/pca-xlsx.json" | head -20; fi
# A selection on another sheet keeps today's meaning: the comparison refuses it.
"$kvhost" --lang en run cmp --data "$out/carteira.xlsx" --select Retornos!A3:B13 \
  >/dev/null 2>"$out/elsewhere.err"
check "a selection on another sheet" $? 1
contains "another sheet, refused" "$out/elsewhere.err" "[Warning] Please, select a range of adjacent cells!"

# --- Launch rules on cells only a workbook carries: a number stored as text and an error value
# are no numbers, and drop their row as a text does.
"$kvhost" --lang en run ica --data "$out/numbers.xlsx" --select A1:B2 --cancel >"$out/ica" 2>&1
check "two rows of numbers launch the ICA" $? 0
for book in text error; do
  "$kvhost" --lang en run ica --data "$out/$book.xlsx" --select A1:B2 >/dev/null 2>"$out/$book.err"
  check "ICA with a $book cell" $? 1
  same "the $book cell's row is disregarded" "$out/$book.err" "[Warning] Please, select a range of cells with at least 2 columns and a number of rows equal or greater than the number of columns.

Rows with text cells or empty cells are disregarded!"
done
# The histogram counts the numbers only: 10, "11" (text), #DIV/0!, 12 are two numbers, as the
# same cells from a CSV file are.
"$kvhost" run hist --data "$out/histogram.xlsx" --select A1:A4 --show-dialog >"$out/hist" 2>&1
check "histogram of two numbers" $? 0
contains "one bin" "$out/hist" 'faixas: masked edit, text "1"'
printf '10\n"11"\n#DIV/0!\n12\n' >"$out/Coluna.csv"
"$kvhost" run hist --data "$out/Coluna.csv" --select A1:A4 --show-dialog >"$out/hist-csv" 2>&1
if cmp -s "$out/hist" "$out/hist-csv"; then pass; else
  fail "the histogram's dialog differs from the CSV file's"; diff "$out/hist-csv" "$out/hist"; fi

# --- Refused: one line naming the file (or the option), exit 2, before the add-in loads.
refused() { # description, file, expected text, kvhost arguments...
  what=$1 file=$2 text=$3
  shift 3
  "$kvhost" "$@" >"$out/refused" 2>&1
  check "$what" $? 2
  lines "$what: one line" "$out/refused" 1
  contains "$what: names $file" "$out/refused" "$file"
  contains "$what: says why" "$out/refused" "$text"
}
head -c 3000 "$out/carteira.xlsx" >"$out/truncated.xlsx"
refused "truncated .xlsx" "$out/truncated.xlsx" "not a" eval --data "$out/truncated.xlsx" "KV.SKEW(A1:A3)"
printf 'not a workbook at all' >"$out/corrupt.xlsx"
refused "corrupt .xlsx" "$out/corrupt.xlsx" "not a zip package" run pca --data "$out/corrupt.xlsx" --select A1:B3
head -c 4096 "$data/eu_stock_markets.csv" >"$out/corrupt.xls"
refused "corrupt .xls" "$out/corrupt.xls" "not an Excel 97-2003 workbook" eval --data "$out/corrupt.xls" "KV.SKEW(A1:A3)"
refused "missing sheet" "--sheet Carteira" "the data has no sheet named Carteira" \
  run pca --data "$out/carteira.xlsx" --sheet Carteira --select A2:D10
refused "hidden sheet" "--sheet Oculta" "hidden" eval --data "$out/roundtrip.xlsx" --sheet Oculta "KV.SKEW(A1:A3)"
cp "$out/carteira.xlsx" "$out/outra.xlsx"
refused "a sheet name twice" "$out/outra.xlsx" '"Precos"' eval --data "$out/carteira.xlsx" --data "$out/outra.xlsx" "KV.SKEW(A1:A3)"
"$py" -c '
import openpyxl, sys
wb = openpyxl.Workbook(write_only=True)
ws = wb.create_sheet("Longa")
for r in range(65537):
    ws.append([r])
wb.save(sys.argv[1])' "$out/long.xlsx"
refused "65,537 rows before Excel 12" "$out/long.xlsx" "holds a value at A65537, beyond kvhost's grid of 65536 rows and 256 columns (A1:IV65536)" --excel-version 11.0 eval --data "$out/long.xlsx" "KV.SKEW(A1:A3)"
# The excess kurtosis of 0, 1, ..., 65536: -1.2 to 15 digits (scipy: -1.1999999999999997).
"$kvhost" eval --data "$out/long.xlsx" "KV.KURT(A1:A65537)" >"$out/long.out" 2>"$out/long.err"
check "65,537 rows from Excel 12 on" $? 0
same "65,537 rows: their kurtosis" "$out/long.out" "-1.2"
# A tool reads a selection past row 65,536 through Excel 12 records, in blocks of rows rather than
# cell by cell: the histogram of the 65,537 numbers, its mean 32768 and count exact.
"$kvhost" --count-calls run hist --data "$out/long.xlsx" --select A1:A65537 --ok \
  --dump "$out/long.json" >/dev/null 2>"$out/long.err"
check "a histogram of 65,537 rows" $? 0
"$py" -c '
import json, sys
cells = {c["address"]: c["value"] for c in json.load(open(sys.argv[1]))["sheets"][0]["cells"]}
sys.exit(0 if (cells["B3"], cells["B4"]) == (65537, 32768) else 1)' "$out/long.json"
check "the histogram counts and averages every row" $? 0
# 70,000 rows of 8 columns are several blocks: each goes back to Excel once read.
awk 'BEGIN { for (r = 0; r < 70000; r++) { printf "%d", r; for (c = 1; c < 8; c++) printf ",%d", r % (c + 2); print "" } }' \
  >"$out/blocks.csv"
"$kvhost" --count-calls run hist --data "$out/blocks.csv" --select A1:H70000 --ok >/dev/null \
  2>"$out/blocks.err"
check "a histogram of 560,000 cells" $? 0
absent "the histogram gave back every block it read" "$out/blocks.err" "never gave back"
calls=$(sed -n 's/^\([0-9]*\) callbacks$/\1/p' "$out/blocks.err")
if [ -n "$calls" ] && [ "$calls" -lt 200 ]; then pass; else fail "the histogram made $calls calls"; fi
# A zip bomb: a worksheet of a few MB that inflates past 1 GiB.
"$py" -c '
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    z.writestr("[Content_Types].xml", "<Types/>")
    z.writestr("_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"r\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>")
    z.writestr("xl/workbook.xml", "<workbook xmlns:r=\"r\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"s\"/></sheets></workbook>")
    z.writestr("xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"s\" Type=\"x/worksheet\" Target=\"worksheets/s.xml\"/></Relationships>")
    with z.open("xl/worksheets/s.xml", "w", force_zip64=True) as f:
        f.write(b"<worksheet><sheetData>")
        block = b" " * (1 << 24)
        for _ in range(65):
            f.write(block)
        f.write(b"</sheetData></worksheet>")' "$out/bomb.xlsx"
refused "zip bomb" "$out/bomb.xlsx" "beyond the limit of 1 GiB" eval --data "$out/bomb.xlsx" "KV.SKEW(A1:A3)"

summary
