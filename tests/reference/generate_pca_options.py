#!/usr/bin/python3
"""Reference values for the PCA tool's options: component scores, sampling adequacy (KMO, MSA,
Bartlett's sphericity) and Horn's parallel analysis.

Run with Debian's Python (numpy, scipy) and Rscript (psych) on the PATH:
    /usr/bin/python3 tests/reference/generate_pca_options.py
It writes tests/reference/data/pca_options.json, which the C++ tests read.

Data sets (numpy, fixed seeds, stored with the values):
  * "factors": 120 observations of 6 variables driven by two latent factors;
  * "weak": 40 observations of 4 nearly independent variables.
For each: KMO, MSA and Bartlett's chi-squared, df and p from psych (KMO, cortest.bartlett),
checked against a numpy computation of the same formulas to 1e-12; unit-variance scores of the
K components of Kaiser's criterion from numpy (Z V / sqrt(lambda), signs as numpy gives them:
the test compares up to the sign of each column), checked against psych::principal(rotate =
"none")$scores to 1e-9; psych's varimax-rotated scores with the rotation run to eps = 1e-14
(psych's default 1e-5 stops about 1e-3 short), compared up to sign and order.

Parallel analysis: for each case (n, p), 20,000 data sets of n x p independent standard normals,
the eigenvalues of their correlation matrices (numpy), and for each rank the mean, the standard
deviation and the quantiles 0.95 - 0.039, 0.95 and 0.95 + 0.039 (0.039 is 4 standard errors
of a proportion 0.95 from 500 draws): the C++ test asks its mean from 500 matrices to lie within
4.5 of its standard errors (sd / sqrt(500)) of the mean here, and its 95th percentile between
the outer quantiles. K is checked exactly on eigenvalues that stand at least a band's width away
from the percentiles: the "factors" set's own, and ones made a fixed margin above (for K ranks)
or below the percentiles.
"""
import json
import os
import subprocess
import tempfile

import numpy as np
from scipy import stats

HERE = os.path.dirname(os.path.abspath(__file__))
SIMULATIONS = 20000
BAND = 0.039


def data_sets():
    rng = np.random.default_rng(2029)
    f = rng.standard_normal((120, 2))
    w = np.array([[0.9, 0.1], [0.8, 0.2], [0.7, 0.0], [0.1, 0.85], [0.2, 0.75], [0.0, 0.6]])
    factors = f @ w.T + 0.5 * rng.standard_normal((120, 6)) + np.array([10, -3, 0.5, 100, 2, 7])
    weak = rng.standard_normal((40, 4)) @ np.array(
        [[1, 0.2, 0, 0], [0, 1, 0.1, 0], [0, 0, 1, 0.15], [0, 0, 0, 1.0]])
    return {"factors": factors, "weak": weak}


def eigen(x):
    r = np.corrcoef(x, rowvar=False)
    lam, v = np.linalg.eigh(r)
    order = np.argsort(lam)[::-1]
    return r, lam[order], v[:, order]


def numpy_adequacy(r, n):
    q = np.linalg.inv(r)
    a = q / np.sqrt(np.outer(np.diag(q), np.diag(q)))
    r0, a0 = r.copy(), a.copy()
    np.fill_diagonal(r0, 0)
    np.fill_diagonal(a0, 0)
    kmo = (r0**2).sum() / ((r0**2).sum() + (a0**2).sum())
    msa = (r0**2).sum(0) / ((r0**2).sum(0) + (a0**2).sum(0))
    p = r.shape[0]
    chi2 = -(n - 1 - (2 * p + 5) / 6) * np.log(np.linalg.det(r))
    df = p * (p - 1) / 2
    return kmo, msa, chi2, df, stats.chi2.sf(chi2, df)


def run_r(sets, ks):
    with tempfile.TemporaryDirectory() as tmp:
        args = []
        for name, x in sets.items():
            path = os.path.join(tmp, name + ".txt")
            np.savetxt(path, x, fmt="%.17g")
            args.append(f"{name}={path}:{ks[name]}")
        out = subprocess.run(["Rscript", os.path.join(HERE, "pca_options.R")] + args,
                             check=True, capture_output=True, text=True).stdout
    got = {}
    for line in out.splitlines():
        parts = line.split()
        got.setdefault(parts[0], {})[parts[1]] = np.array([float(v) for v in parts[2:]])
    return got


def close(what, a, b, tol):
    err = float(np.max(np.abs(np.asarray(a) - np.asarray(b))))
    if not err <= tol:
        raise SystemExit(f"{what}: {err} > {tol}")


def simulate(n, p, seed):
    rng = np.random.default_rng(seed)
    lam = np.empty((SIMULATIONS, p))
    for s in range(SIMULATIONS):
        x = rng.standard_normal((n, p))
        lam[s] = np.sort(np.linalg.eigvalsh(np.corrcoef(x, rowvar=False)))[::-1]
    q = [0.95 - BAND, 0.95, 0.95 + BAND]
    return {"n": n, "p": p, "mean": lam.mean(0).tolist(), "sd": lam.std(0, ddof=1).tolist(),
            "low": np.quantile(lam, q[0], axis=0).tolist(),
            "p95": np.quantile(lam, q[1], axis=0).tolist(),
            "high": np.quantile(lam, q[2], axis=0).tolist()}


def main():
    sets = data_sets()
    ks = {name: int((eigen(x)[1] > 1).sum()) for name, x in sets.items()}
    psych = run_r(sets, ks)
    cases = []
    for name, x in sets.items():
        n, p = x.shape
        r, lam, v = eigen(x)
        k = ks[name]
        kmo, msa, chi2, df, pv = numpy_adequacy(r, n)
        got = psych[name]
        close(name + " kmo", kmo, got["kmo"][0], 1e-12)
        close(name + " msa", msa, got["msa"], 1e-12)
        close(name + " bartlett", [chi2, df, pv], got["bartlett"], 1e-10 * max(1, chi2))
        z = (x - x.mean(0)) / x.std(0, ddof=1)
        scores = z @ v[:, :k] / np.sqrt(lam[:k])
        ps = got["scores"].reshape(k, n).T
        for j in range(k):  # psych's signs are its own
            s = 1 if scores[:, j] @ ps[:, j] > 0 else -1
            close(f"{name} score {j}", scores[:, j], s * ps[:, j], 1e-9)
        cases.append({"name": name, "data": x.tolist(), "k": k, "kmo": kmo, "msa": msa.tolist(),
                      "chi2": chi2, "df": df, "p": pv, "scores": scores.tolist(),
                      "rotated": got["rotated"].reshape(k, n).T.tolist()})

    parallel = []
    for i, (n, p) in enumerate([(120, 6), (30, 10), (5, 8), (1000, 15)]):
        sim = simulate(n, p, 100 + i)
        width = np.array(sim["high"]) - np.array(sim["low"])
        if n == 120:
            lam = eigen(sets["factors"])[1]
        else:
            k = min(2, p - 1)
            lam = np.array(sim["p95"]) + np.where(np.arange(p) < k, 1, -1) * (width + 0.05)
        above = lam > np.array(sim["p95"])
        k_pa = int(np.argmin(above)) if not above.all() else p
        for j in range(k_pa + 1 if k_pa < p else p):
            if abs(lam[j] - sim["p95"][j]) <= width[j]:
                raise SystemExit(f"parallel ({n}, {p}): eigenvalue {j} within the band")
        sim.update({"lambda": lam.tolist(), "k": k_pa})
        parallel.append(sim)
        print(f"parallel n={n} p={p}: K={k_pa}")
    out = {"adequacy": cases, "parallel": parallel, "band": BAND, "simulations": SIMULATIONS}
    with open(os.path.join(HERE, "data", "pca_options.json"), "w") as f:
        json.dump(out, f)
    print("wrote pca_options.json")


if __name__ == "__main__":
    main()
