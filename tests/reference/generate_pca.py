#!/usr/bin/python3
"""Reference values for the principal component tool's numbers, from independent
implementations.

Run with Debian's Python (numpy):
    /usr/bin/python3 tests/reference/generate_pca.py
It writes tests/reference/data/pca.json, which the C++ tests read.

References, for each data set:
  * correlation matrix: numpy.corrcoef;
  * eigenvalues and eigenvectors: numpy.linalg.eigh (LAPACK), sorted by decreasing eigenvalue;
    each eigenvector signed so that its components have a positive sum (the tool's
    convention; an eigenvector is otherwise defined up to its sign);
  * factors K by Kaiser's criterion (eigenvalues above 1, counted from the first) or by the
    proportion criterion, loadings V(i, j) sqrt(lambda(j)), communalities as row sums of
    squared loadings;
  * varimax, two ways, both on the loadings scaled to unit communality (Kaiser's
    normalisation) and rotating them without any further normalisation (normalize=FALSE):
      - "rotation": a literal implementation of the pairwise plane rotations (Kaiser 1959,
        the four-times-angle formula), stopping when the criterion changes by no more than
        the tolerance, as the dialog's defaults (tolerance 0.001, 100 sweeps) ask;
      - "optimum": the rotation that maximises the varimax criterion, found by the SVD
        iteration of R's stats::varimax (normalize=FALSE, eps 1e-14), which reaches the same
        optimum by another route; its factors may come in another order and sign.
    Rotated loadings are L x T.

Data sets (the tool's data matrix, one row per observation):
  * eu_prices: data/eu_stock_markets.csv, the four indices' prices (1860 x 4);
  * eu_returns: their daily log returns (1859 x 4);
  * longley: tests/reference/data/nist/Longley.csv, y and x1 .. x6 (16 x 7, nearly collinear);
  * eu_wide: twelve variables from data/eu_stock_markets.csv over its first 600 returns: the
    four prices (of the day the return ends), the four log returns and their absolute values
    (600 x 12).
"""
import json
import os

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def load(path):
    return np.loadtxt(os.path.join(ROOT, path), delimiter=",", skiprows=1)


def varimax_pairwise(L, tolerance, sweeps):
    """Pairwise plane rotations on the Kaiser-normalised loadings; returns T."""
    W = L / np.sqrt((L ** 2).sum(axis=1))[:, None]
    p, k = W.shape
    T = np.eye(k)
    previous = None
    for s in range(sweeps):
        V = ((p * (W ** 4).sum(axis=0) - ((W ** 2).sum(axis=0)) ** 2) / p ** 2).sum()
        if s > 0 and abs(V - previous) <= tolerance:
            break
        previous = V
        for j in range(k - 1):
            for l in range(j + 1, k):
                x, y = W[:, j].copy(), W[:, l].copy()
                u, v = x * x - y * y, 2 * x * y
                A, B = u.sum(), v.sum()
                C, D = (u * u - v * v).sum(), (2 * u * v).sum()
                num, den = D - 2 * A * B / p, C - (A * A - B * B) / p
                if num == 0 and den == 0:
                    continue
                angle = np.arctan2(num, den) / 4  # a quarter of the angle of (den, num)
                c, s_ = np.cos(angle), np.sin(angle)
                W[:, j], W[:, l] = x * c + y * s_, y * c - x * s_
                tj, tl = T[:, j].copy(), T[:, l].copy()
                T[:, j], T[:, l] = tj * c + tl * s_, tl * c - tj * s_
    return T


def varimax_optimum(L, eps=1e-14, iterations=10000):
    """R's stats::varimax(normalize=FALSE) iteration on the Kaiser-normalised loadings."""
    x = L / np.sqrt((L ** 2).sum(axis=1))[:, None]
    p, k = x.shape
    TT = np.eye(k)
    d = 0.0
    for _ in range(iterations):
        z = x @ TT
        B = x.T @ (z ** 3 - z @ np.diag((z ** 2).sum(axis=0)) / p)
        U, S, Vt = np.linalg.svd(B)
        TT = U @ Vt
        dpast, d = d, S.sum()
        if d < dpast * (1 + eps):
            break
    return TT


def case(name, X, criterion, pct=None):
    R = np.corrcoef(X, rowvar=False)
    w, V = np.linalg.eigh(R)
    order = np.argsort(w)[::-1]
    w, V = w[order], V[:, order]
    V = V * np.where(V.sum(axis=0) > 0, 1.0, -1.0)
    if criterion == "kaiser":
        k = 0
        while k < len(w) and w[k] > 1.0:
            k += 1
    else:
        cumulative = np.cumsum(w) / w.sum()
        k = int(np.argmax(cumulative >= 0.01 * pct)) + 1
    L = V[:, :k] * np.sqrt(w[:k])
    T = varimax_pairwise(L, 0.001, 100)
    O = varimax_optimum(L)
    M, MO = L @ T, L @ O
    assert np.allclose((M ** 2).sum(axis=1), (L ** 2).sum(axis=1))
    return {
        "name": name,
        "x": X.tolist(),
        "criterion": criterion,
        "pct": pct,
        "correlations": R.tolist(),
        "eigenvalues": w.tolist(),
        "k": k,
        "coefficients": V[:, :k].tolist(),
        "loadings": L.tolist(),
        "communalities": (L ** 2).sum(axis=1).tolist(),
        "rotation": T.tolist(),
        "rotated": M.tolist(),
        "rotated_explained": (M ** 2).sum(axis=0).tolist(),
        "optimum_rotated": MO.tolist(),
    }


def main():
    prices = load("data/eu_stock_markets.csv")
    returns = np.diff(np.log(prices), axis=0)
    longley = load("tests/reference/data/nist/Longley.csv")
    n = 600
    wide = np.hstack([prices[1 : n + 1], returns[:n], np.abs(returns[:n])])
    cases = [
        case("eu_prices", prices, "proportion", 99),
        case("eu_returns", returns, "proportion", 90),
        case("longley", longley, "kaiser"),
        case("eu_wide", wide, "kaiser"),
    ]
    out = os.path.join(HERE, "data", "pca.json")
    with open(out, "w") as f:
        json.dump({"cases": cases}, f, indent=None)
        f.write("\n")
    for c in cases:
        print(c["name"], len(c["x"]), "x", len(c["x"][0]), "K =", c["k"])


if __name__ == "__main__":
    main()
