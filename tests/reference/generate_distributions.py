#!/usr/bin/python3
"""Reference values for kvhost's TDIST, FDIST and CHIDIST, from scipy.stats.

Run with Debian's Python (scipy, mpmath):
    /usr/bin/python3 tests/reference/generate_distributions.py
It writes tests/reference/data/distributions.json, which the host tests read.

Each case holds the arguments as the add-in (or a worksheet) passes them, degrees of freedom
possibly with a fraction, and the right-tail probability scipy gives for the degrees truncated
to integers, as Excel truncates them:
  * TDIST(x, df, 1) = t.sf(x, df), TDIST(x, df, 2) = 2 t.sf(x, df);
  * FDIST(x, df1, df2) = f.sf(x, df1, df2);
  * CHIDIST(x, df) = chi2.sf(x, df).
The grids reach large degrees of freedom, x = 0 and probabilities far below 1e-300.

scipy's f.sf loses digits when a degree of freedom is large (1e-9 relative at 1e6 numerator
degrees, 2e-12 already at 1e4), so every FDIST case is checked against the regularised
incomplete beta I_{df2/(df2+df1 x)}(df2/2, df1/2) in mpmath at 40 digits: where scipy is off by
more than 1e-13 the case carries mpmath's value (its "reference" says which), and a case whose
series mpmath cannot sum is left out (the generator prints how many).
"""
import math
import os
import sys

import mpmath
from scipy import stats

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import generate_worksheet_functions as references  # noqa: E402

mpmath.mp.dps = 40


def tdist_cases():
    xs = [0.0, 0.1, 0.5, 1.0, 1.959999998, 2.5, 5.0, 10.0, 30.0, 100.0, 1e3, 1e5, 1e8]
    dfs = [1, 2, 3, 5, 10, 30, 60, 100, 1000, 1e5, 1e7, 1e9, 2.7, 10.99, 1.5]
    cases = []
    for x in xs:
        for df in dfs:
            for tails in (1, 2):
                p = float(stats.t.sf(x, math.trunc(df))) * tails
                cases.append({"x": x, "df": df, "tails": tails, "expected": p})
    return cases


def fdist_cases():
    xs = [0.0, 0.01, 0.5, 1.0, 2.0, 5.0, 20.0, 100.0, 1e4, 1e8]
    df1s = [1, 2, 5, 10, 50, 1000, 1e6, 3.9]
    df2s = [1, 3, 10, 100, 1e4, 1e6, 7.5]
    cases = []
    left_out = 0
    for x in xs:
        for df1 in df1s:
            for df2 in df2s:
                a, b = math.trunc(df1), math.trunc(df2)
                p = float(stats.f.sf(x, a, b))
                try:
                    exact = float(mpmath.betainc(mpmath.mpf(b) / 2, mpmath.mpf(a) / 2, 0,
                                                 mpmath.mpf(b) / (b + a * mpmath.mpf(x)),
                                                 regularized=True))
                except (mpmath.libmp.libhyper.NoConvergence, ValueError):
                    left_out += 1
                    continue
                reference = "scipy"
                if abs(p - exact) > 1e-13 * abs(exact):
                    p, reference = exact, "mpmath"
                cases.append({"x": x, "df1": df1, "df2": df2, "expected": p, "reference": reference})
    print("fdist: %d cases, %d from mpmath, %d left out (mpmath could not sum the series)"
          % (len(cases), sum(c["reference"] == "mpmath" for c in cases), left_out), file=sys.stderr)
    return cases


def chidist_cases():
    xs = [0.0, 0.001, 0.5, 1.0, 3.84, 10.0, 50.0, 200.0, 1000.0, 1e4, 1e5]
    dfs = [1, 2, 3, 10, 100, 1000, 1e5, 1e7, 1e9, 1e10, 1.9, 99.5]
    cases = []
    for x in xs:
        for df in dfs:
            p = float(stats.chi2.sf(x, math.trunc(df)))
            cases.append({"x": x, "df": df, "expected": p})
    return cases


def main():
    references.write_reference("distributions.json",
                               {"tdist": tdist_cases(), "fdist": fdist_cases(),
                                "chidist": chidist_cases()})


if __name__ == "__main__":
    main()
