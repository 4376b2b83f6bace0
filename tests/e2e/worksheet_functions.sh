#!/bin/sh
# The five worksheet functions end to end: bundled data in, results as kvhost prints them.
set -u
. "$(dirname "$0")/checks.sh"
kvhost=$1
data=$2

# Each formula as today's Excel (Excel 12 records) and as Excel 2003 (Excel 4 records): the same
# result through either interface.
expect() { # description, expected output, formula...
  description=$1
  expected=$2
  shift 2
  for version in 16.0 11.0; do
    actual=$("$kvhost" --excel-version $version eval --data "$data/eu_stock_markets.csv" \
      --data "$data/yield_curve.csv" "$@" 2>/dev/null)
    if [ "$actual" = "$expected" ]; then pass; else
      fail "$description (as Excel $version)"
      echo "  expected: $expected"
      echo "  actual:   $actual"
    fi
  done
}

# On a vertex the exponential interpolation gives the vertex's rate; beyond the last vertex
# with no flat horizon both give the last rate with its sign changed.
expect "rate on a vertex" "0.0159" "KV.INTERPOLEX(21,yield_curve!A2:B13)"
expect "spline on a vertex" "0.0155" "KV.CSPLINE(63,yield_curve!\$A\$2:\$B\$13)"
expect "before the first vertex" "0.0159" "KV.CSPLINE(5,yield_curve!A2:B13)"
expect "beyond, no horizon" "-0.0222" "KV.INTERPOLEX(9000,yield_curve!A2:B13)"
expect "spline beyond" "-0.0222" "KV.CSPLINE(7561,yield_curve!A2:B13)"
expect "curve of three columns" "#N/A" "KV.CSPLINE(100,yield_curve!A2:C13)"
expect "zero workdays" "#N/A" "KV.INTERPOLEX(0,yield_curve!A2:B13)"
expect "negative horizon beyond the curve" "#N/A" "KV.INTERPOLEX(8000,yield_curve!A2:B13,-1)"
# The header row is text and is skipped; three numbers are too few for the kurtosis.
expect "too few numbers" "#N/A" "KV.KURT(eu_stock_markets!A1:A3)"
expect "texts only" "#N/A" "KV.SKEW(eu_stock_markets!A1:D1)"
expect "mode form without bins" "#N/A" "KV.SKEW(eu_stock_markets!A2:A100,0,0,1)"
expect "decay of 1" "#N/A" "KV.EWV(eu_stock_markets!A2:A100,1)"
# Three cells, one per line; the tolerance of 1859 returns at 0.94 is 0.94^1859.
for version in 16.0 11.0; do
  lines=$("$kvhost" --excel-version $version eval --data "$data/eu_stock_markets.csv" \
    "KV.EWV(eu_stock_markets!D2:D1861,0.94,0,1)" | wc -l)
  [ "$lines" -eq 3 ] && pass || fail "KV.EWV is not three cells (as Excel $version)"
done
summary
