#!/usr/bin/python3
"""Reference values for the ICA tool's analysis, from independent implementations.

Run with Debian's Python (numpy, scikit-learn):
    /usr/bin/python3 tests/reference/generate_ica.py
It writes tests/reference/data/ica.json, which the C++ tests read.

Each case mixes known independent signals (a sine, a square wave, uniform noise, a sawtooth; fixed seed) with a fixed matrix. References:
  * the data summary: numpy's column means, sample standard deviations (ddof=1) and sample
    covariance matrix (numpy.cov);
  * the eigenvalues of that covariance matrix: numpy.linalg.eigvalsh (LAPACK), in decreasing
    order;
  * the sources: scikit-learn's FastICA with its own centring and whitening
    (whiten="unit-variance", algorithm="deflation", fun="exp") on the mixed data, and the true
    signals. Independent components are defined only up to order, sign and scale, so the tests
    compare them by |correlation|.
"""
import json
import os
import sys

import numpy as np
from sklearn.decomposition import FastICA

HERE = os.path.dirname(os.path.abspath(__file__))


def signals(rng, n, names):
    t = np.arange(n)
    make = {
        "sine": lambda: np.sin(t / 9.0),
        "square": lambda: np.sign(np.sin(t / 23.0 + 0.5)),
        "uniform": lambda: rng.uniform(-1, 1, n),
        "sawtooth": lambda: np.mod(t / 17.0, 1.0) - 0.5,
        "laplace": lambda: rng.laplace(size=n),
    }
    s = np.array([make[name]() for name in names])
    # Independent signals are uncorrelated only on average: over a finite sample they keep
    # correlations of order 1 / sqrt(n), and no unmixing can give back two signals that are
    # correlated. Centred and decorrelated symmetrically (S <- C^-1/2 S, C their covariance),
    # each stays within a few hundredths of its shape, and the mixture has exactly uncorrelated
    # sources.
    s = s - s.mean(axis=1, keepdims=True)
    values, vectors = np.linalg.eigh(np.cov(s))
    return vectors @ np.diag(1 / np.sqrt(values)) @ vectors.T @ s


def rows(a, digits):
    """Rows of `a` with each value rounded to `digits` significant digits (a shorter file)."""
    return [[float(f"{v:.{digits}g}") for v in r] for r in np.asarray(a)]


def case(rng, name, names, mixing, n, offset):
    s = signals(rng, n, names)
    # The data the tests read: each value as written in the file, far from zero as prices are.
    x = np.array(rows((mixing @ s).T + offset, 12))
    ica = FastICA(n_components=len(names), algorithm="deflation", fun="exp",
                  whiten="unit-variance", tol=1e-10, max_iter=5000, random_state=0)
    sources = ica.fit_transform(x)  # n x p
    cov = np.cov(x, rowvar=False)
    return {
        "name": name,
        "signals": names,
        "data": rows(x, 12),
        "means": list(map(float, x.mean(axis=0))),
        "sd": list(map(float, x.std(axis=0, ddof=1))),
        "covariance": [list(map(float, r)) for r in cov],
        "eigenvalues": list(map(float, np.sort(np.linalg.eigvalsh(cov))[::-1])),
        "true_sources": rows(s, 8),
        "sklearn_sources": rows(sources.T, 8),
    }


def main():
    rng = np.random.default_rng(20261207)
    cases = [
        case(rng, "sine_square_uniform", ["sine", "square", "uniform"],
             np.array([[1.0, 0.6, 0.3], [0.5, 1.2, -0.4], [-0.3, 0.4, 0.9]]), 3000, 0.0),
        case(rng, "four_at_price_levels", ["sine", "square", "uniform", "sawtooth"],
             np.array([[40.0, 12.0, 8.0, -5.0], [10.0, 30.0, -6.0, 9.0],
                       [-7.0, 11.0, 25.0, 4.0], [6.0, -8.0, 5.0, 35.0]]), 3000,
             np.array([2500.0, 3400.0, 2200.0, 3600.0])),
    ]
    path = os.path.join(HERE, "data", "ica.json")
    with open(path, "w") as f:
        json.dump({"cases": cases}, f, separators=(",", ":"))
        f.write("\n")
    print("wrote", path, os.path.getsize(path), "bytes", file=sys.stderr)


if __name__ == "__main__":
    main()
