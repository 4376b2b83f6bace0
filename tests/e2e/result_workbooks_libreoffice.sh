#!/bin/sh
# LibreOffice opens the workbooks `kvhost run` saves: the histogram (with its indicators and the
# normalised chart), the comparison chart, the PCA (with its scree chart, and with the scores
# sheet and the parallel analysis' series), the ICA, the
# regression (also with its residuals sheet and chart), the best decay and the conditional
# volatility with its chart, converted to PDF by soffice, give at least a page for the
# worksheet and one per chart sheet (hidden sheets are not printed).
# Arguments: kvhost, the bundled data folder. Exits 77 (skipped) when soffice is absent.
# Keeps its files, and LibreOffice's profile, in a temporary folder of its own; set
# KV_KEEP_OUTPUT to a folder to find the workbooks and the PDFs there afterwards.
set -u
kvhost=$1
data=$2
if ! command -v soffice >/dev/null 2>&1; then
  echo "skipped: soffice (LibreOffice) is not installed"
  exit 77
fi
out=${KV_KEEP_OUTPUT:-$(mktemp -d)}
[ -n "${KV_KEEP_OUTPUT:-}" ] || trap 'rm -rf "$out"' EXIT
mkdir -p "$out/home"
export KAVENLOR_REGISTRY="$out/registry" HOME="$out/home" XDG_CONFIG_HOME="$out/config"

"$kvhost" run hist --data "$data/eu_stock_markets.csv" --select A2:A1861 --set faixas=20 \
  --click o_indicadores --click o_normal --ok --out "$out/histogram.xlsx" >"$out/run.log" 2>&1 &&
  "$kvhost" --lang pt run cmp --data "$data/yield_curve.csv" --select A2:B13 --ok \
    --out "$out/comparison.xlsx" >>"$out/run.log" 2>&1 &&
  "$kvhost" run pca --data "$data/eu_stock_markets.csv" --select A2:D1861 --ok \
    --out "$out/pca.xlsx" >>"$out/run.log" 2>&1 &&
  "$kvhost" run pca --data "$data/eu_stock_markets.csv" --select A2:D300 --set r_grupo=1 \
    --set perc=99 --click o_escores --click o_adequacao --click o_paralela --ok \
    --out "$out/pca-options.xlsx" >>"$out/run.log" 2>&1 &&
  "$kvhost" --lang pt run ica --data "$data/eu_stock_markets.csv" --select A2:D1861 --click o_ica \
    --ok --out "$out/ica.xlsx" >>"$out/run.log" 2>&1 &&
  "$kvhost" run rlm --data "$data/eu_stock_markets.csv" --select A2:D1861 --ok \
    --out "$out/rlm.xlsx" >>"$out/run.log" 2>&1 &&
  "$kvhost" run rlm --data "$data/eu_stock_markets.csv" --select A2:D1861 --set c_erros=5 \
    --click o_diagnosticos --click o_residuos --ok --out "$out/rlm-options.xlsx" \
    >>"$out/run.log" 2>&1 &&
  "$kvhost" --lang pt run ewv --data "$data/eu_stock_markets.csv" --select A2:A1861 --ok \
    --out "$out/ewv.xlsx" >>"$out/run.log" 2>&1 &&
  "$kvhost" run arch --data "$data/eu_stock_markets.csv" --select A2:A1861 --set r_grupo=1 \
    --click o_graf --ok --out "$out/arch.xlsx" >>"$out/run.log" 2>&1 ||
  { echo "FAIL: kvhost run"; cat "$out/run.log"; exit 1; }

status=0
for book in histogram:3 comparison:1 pca:2 pca-options:3 ica:1 rlm:1 rlm-options:3 ewv:1 arch:2; do
  name=${book%:*} expected=${book#*:}
  timeout 240 soffice --headless "-env:UserInstallation=file://$out/profile" \
    --convert-to pdf --outdir "$out" "$out/$name.xlsx" >"$out/soffice.log" 2>&1
  code=$?
  if [ $code -ne 0 ] || [ ! -s "$out/$name.pdf" ]; then
    echo "FAIL: soffice exited with $code for $name.xlsx"; cat "$out/soffice.log"; status=1
    continue
  fi
  if command -v pdfinfo >/dev/null 2>&1; then
    pages=$(pdfinfo "$out/$name.pdf" | awk '/^Pages:/ { print $2 }')
  else
    pages=$(grep -c '/Type */Page[^s]' "$out/$name.pdf")
  fi
  if [ "$pages" -lt "$expected" ]; then
    echo "FAIL: $name.pdf has $pages pages, expected at least $expected"; status=1
  else
    echo "ok: LibreOffice converted $name.xlsx to a PDF of $pages pages"
  fi
done
exit $status
