#!/usr/bin/python3
"""Reference bin counts for the histogram's bin rules, from numpy.

Run with Debian's Python (numpy):
    /usr/bin/python3 tests/reference/generate_histogram_rules.py
It writes tests/reference/data/histogram_rules.json, which the C++ tests read.

Each case holds the values and, for each rule, len(numpy.histogram_bin_edges(x, rule)) - 1:
skewed, discrete, constant-but-one, all-equal, tiny and power-of-two samples, prices and their
simple returns.
"""
import csv
import json
import os

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
RULES = ("sturges", "scott", "fd")


def column(name):
    with open(os.path.join(ROOT, "data", "eu_stock_markets.csv")) as f:
        return [float(r[name]) for r in csv.DictReader(f)]


def case(name, x):
    a = np.array(x, dtype=float)
    return {"name": name, "x": [float(v) for v in a],
            "bins": {r: len(np.histogram_bin_edges(a, r)) - 1 for r in RULES}}


def main():
    rng = np.random.default_rng(20261208)
    dax = column("DAX")
    returns = [dax[i + 1] / dax[i] - 1 for i in range(len(dax) - 1)]
    cases = [
        case("lognormal skewed", rng.lognormal(0.0, 1.2, 500)),
        case("exponential with outliers", np.concatenate([rng.exponential(1.0, 300), [80, 150]])),
        case("poisson counts", rng.poisson(3.0, 300)),
        case("dice", rng.integers(1, 7, 97)),
        case("constant but one", [5.0] * 40 + [6.5]),
        case("constant but one below", [0.1] * 9 + [-3.0]),
        case("all equal", [2.5] * 7),
        case("two values", [1.0, 2.0]),
        case("three values", [0.3, -1.7, 4.2]),
        case("eight values", [3.0, 1.0, 4.0, 1.0, 5.0, 9.0, 2.0, 6.0]),
        case("sixty-four normal", rng.normal(100.0, 15.0, 64)),
        case("far from zero", 1e9 + rng.normal(0.0, 1e-3, 200)),
        case("DAX prices", dax),
        case("DAX returns", returns),
    ]
    # The cases are meant to tell the rules apart and to reach the fallback of one bin.
    assert any(c["bins"]["fd"] == 1 and c["bins"]["sturges"] > 1 for c in cases)
    assert any(len(set(c["bins"].values())) == 3 for c in cases)
    out = os.path.join(HERE, "data", "histogram_rules.json")
    with open(out, "w") as f:
        json.dump({"generator": "numpy " + np.__version__, "cases": cases}, f)
        f.write("\n")


if __name__ == "__main__":
    main()
