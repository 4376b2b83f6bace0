#!/usr/bin/python3
"""Reference values for the multivariate core (matrix statistics, eigen-decomposition, varimax,
FastICA), from independent implementations.

Run with Debian's Python (numpy, scikit-learn, mpmath) and R on the PATH:
    /usr/bin/python3 tests/reference/generate_multivariate.py
It writes tests/reference/data/multivariate.json, which the C++ tests read; the tests themselves
need neither Python nor R.

References:
  * column statistics: means, standard deviations, correlations and covariances in exact
    arithmetic (mpmath, 50 digits) on the very doubles the tests pass, among them price levels
    near 10^7 that a one-pass sum of squares cannot handle;
  * eigenvalues and eigenvectors: numpy.linalg.eigh (LAPACK) on correlation matrices of random,
    one-factor and independent data, p = 2 .. 100, on a matrix with three tight clusters of
    eigenvalues, and on covariance matrices of daily returns (variances near 1e-6);
  * varimax: R's stats::varimax(normalize = TRUE) on principal-component loadings, run with
    eps = 0, that is until its criterion stops increasing (with eps = 1e-12 it stops about 1e-6
    short of the maximum); rotated loadings compared up to column sign and order;
  * FastICA: scikit-learn's FastICA(algorithm='deflation', fun='exp', whiten=False) on the data
    whitened as the ICA tool whitens it (D^-1/2 E^T of the sample covariance), its unmixing
    matrix carried back to the centred data.
"""
import json
import os
import subprocess
import sys

import mpmath
import numpy as np
from sklearn.decomposition import FastICA

mpmath.mp.dps = 50
HERE = os.path.dirname(os.path.abspath(__file__))


def rounded(a, digits):
    """Values rounded to `digits` significant digits (shorter in the JSON file)."""
    return [float(f"{v:.{digits}g}") for v in np.ravel(a)]


def rows(a, digits=None):
    a = np.asarray(a, dtype=float)
    if digits is None:
        return [list(map(float, r)) for r in a]
    return [rounded(r, digits) for r in a]


# ---------------------------------------------------------------------------------------------
# Column statistics


def exact_statistics(x):
    n, p = x.shape
    cols = [[mpmath.mpf(float(v)) for v in x[:, j]] for j in range(p)]
    means = [sum(c) / n for c in cols]
    dev = [[v - means[j] for v in cols[j]] for j in range(p)]
    cross = [[sum(a * b for a, b in zip(dev[r], dev[q])) for q in range(p)] for r in range(p)]
    sd = [mpmath.sqrt(cross[j][j] / (n - 1)) for j in range(p)]
    corr = [[cross[r][q] / mpmath.sqrt(cross[r][r] * cross[q][q]) for q in range(p)] for r in range(p)]
    cov = [[cross[r][q] / (n - 1) for q in range(p)] for r in range(p)]
    f = lambda m: [[float(v) for v in r] for r in m]
    return [float(v) for v in means], [float(v) for v in sd], f(corr), f(cov)


def statistics_cases(rng):
    cases = []
    base = rng.normal(size=(60, 3)) @ np.array([[1.0, 0.5, 0.2], [0.0, 1.0, -0.4], [0.0, 0.0, 1.0]])
    sets = {
        "normal": base,
        # Price levels near 10^7 moving by cents: a one-pass sum of squares keeps about 6 digits.
        "prices_1e7": np.round(1e7 + np.cumsum(0.01 * base, axis=0) * 37, 2),
        "returns_1e-3": 1e-3 * base,
        "small": np.array([[1.0, 2.0], [2.0, 4.0], [3.0, 7.0]]),
    }
    for name, x in sets.items():
        means, sd, corr, cov = exact_statistics(x)
        cases.append({"name": name, "data": rows(x), "means": means, "sd": sd,
                      "correlation": corr, "covariance": cov})
    return cases


# ---------------------------------------------------------------------------------------------
# Eigen-decomposition


def correlation(x):
    return np.corrcoef(x, rowvar=False)


def eigen_reference(a):
    values, vectors = np.linalg.eigh(a)
    order = np.argsort(values)[::-1]
    values, vectors = values[order], vectors[:, order]
    vectors = vectors * np.where(vectors.sum(axis=0) > 0, 1.0, -1.0)  # the sign rule
    return values, vectors


def eigen_cases(rng):
    cases = []
    for p in (2, 3, 5, 10, 20, 50, 100):
        n = max(3 * p, 30)
        data = {
            "random": rng.normal(size=(n, p)),
            "one_factor": rng.normal(size=(n, 1)) * rng.uniform(0.4, 0.9, size=p)
            + rng.normal(size=(n, p)) * 0.6,
            # Independent signals over many observations: correlations near 0, eigenvalues
            # crowded around 1.
            "independent": rng.standard_t(6, size=(40 * p, p)),
        }
        for family, x in data.items():
            a = correlation(x)
            values, vectors = eigen_reference(a)
            cases.append({"family": family, "p": p, "matrix": rows(a), "values": list(map(float, values)),
                          "vectors": rows(vectors, 14)})
    # Three tight clusters (spreads 1e-7, 1e-7, 1e-9) around 2, 1 and 0.5, in a random basis:
    # vectors within a cluster are defined only by their tiny gaps.
    p = 30
    values = np.concatenate([2 + 1e-7 * rng.uniform(-1, 1, 10), 1 + 1e-7 * rng.uniform(-1, 1, 10),
                             0.5 + 1e-9 * rng.uniform(-1, 1, 10)])
    basis, _ = np.linalg.qr(rng.normal(size=(p, p)))
    a = basis @ np.diag(values) @ basis.T
    a = (a + a.T) / 2
    values, vectors = eigen_reference(a)
    cases.append({"family": "clusters", "p": p, "matrix": rows(a), "values": list(map(float, values)),
                  "vectors": rows(vectors, 14)})
    for p in (10, 30):
        # Daily returns: a market factor and noise, standard deviations near 1e-3.
        f = rng.normal(scale=8e-4, size=(500, 1))
        x = f * rng.uniform(0.5, 1.5, size=p) + rng.normal(scale=1e-3, size=(500, p))
        a = np.cov(x, rowvar=False)
        values, vectors = eigen_reference(a)
        cases.append({"family": "returns_covariance", "p": p, "matrix": rows(a),
                      "values": list(map(float, values)), "vectors": rows(vectors, 14)})
    return cases


# ---------------------------------------------------------------------------------------------
# Varimax


def r_varimax(loadings):
    text = "\n".join(",".join(repr(float(v)) for v in r) for r in loadings)
    script = ("x <- as.matrix(read.csv(file('stdin'), header = FALSE));"
              "v <- stats::varimax(x, normalize = TRUE, eps = 0);"
              "write.table(format(unclass(v$loadings), digits = 17), sep = ',',"
              " row.names = FALSE, col.names = FALSE, quote = FALSE)")
    out = subprocess.run(["Rscript", "-e", script], input=text, capture_output=True, text=True, check=True)
    return np.array([[float(v) for v in line.split(",")] for line in out.stdout.strip().splitlines()])


def pca_loadings(a, k):
    values, vectors = eigen_reference(a)
    return vectors[:, :k] * np.sqrt(values[:k])


def varimax_cases(rng):
    cases = []
    structures = {
        # Variables loading on one of two, three or four factors, with some cross-loadings.
        "two_factors": (8, 2, 300),
        "three_factors": (12, 3, 400),
        "four_factors": (16, 4, 500),
    }
    for name, (p, k, n) in structures.items():
        pattern = np.zeros((p, k))
        for i in range(p):
            pattern[i, i % k] = rng.uniform(0.6, 0.9)
            pattern[i, (i + 1) % k] = rng.uniform(0.0, 0.3)
        x = rng.normal(size=(n, k)) @ pattern.T + rng.normal(scale=0.5, size=(n, p))
        loadings = pca_loadings(correlation(x), k)
        cases.append({"name": name, "loadings": rows(loadings), "rotated": rows(r_varimax(loadings))})
    return cases


# ---------------------------------------------------------------------------------------------
# FastICA


def whiten(x):
    xc = x - x.mean(axis=0)
    values, vectors = eigen_reference(np.cov(xc, rowvar=False))
    wh = np.diag(1 / np.sqrt(values)) @ vectors.T
    return xc, wh


def fastica_cases(rng):
    cases = []
    n = 2000
    signals = {
        "two": lambda: [rng.uniform(-1, 1, n), rng.laplace(size=n)],
        "three": lambda: [rng.uniform(-1, 1, n), rng.laplace(size=n), np.sin(np.arange(n) / 7.0)],
        "four": lambda: [rng.uniform(-1, 1, n), rng.laplace(size=n), np.sign(np.sin(np.arange(n) / 11.0)),
                         np.mod(np.arange(n) / 13.0, 1.0) - 0.5],
    }
    for name, make in signals.items():
        s = np.array(make())
        d = s.shape[0]
        mixing = rng.normal(size=(d, d)) + 2 * np.eye(d)
        x = np.array([rounded(r, 12) for r in (mixing @ s).T])  # the data the tests read
        xc, wh = whiten(x)
        z = wh @ xc.T
        ica = FastICA(algorithm="deflation", fun="exp", whiten=False, tol=1e-10,
                      max_iter=2000, random_state=0)
        ica.fit(z.T)
        unmixing = ica.components_ @ wh  # sources = unmixing @ xc^T
        cases.append({"name": name, "data": rows(x), "unmixing": rows(unmixing)})
    return cases


def main():
    rng = np.random.default_rng(20261207)
    out = {
        "statistics": statistics_cases(rng),
        "eigen": eigen_cases(rng),
        "varimax": varimax_cases(rng),
        "fastica": fastica_cases(rng),
    }
    path = os.path.join(HERE, "data", "multivariate.json")
    with open(path, "w") as f:
        json.dump(out, f, separators=(",", ":"))
        f.write("\n")
    print("wrote", path, os.path.getsize(path), "bytes", file=sys.stderr)


if __name__ == "__main__":
    main()
