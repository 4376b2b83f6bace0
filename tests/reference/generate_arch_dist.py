#!/usr/bin/python3
"""Reference values for the ARCH fit under the t and GED error distributions.

Run with Debian's Python (numpy, scipy) and Rscript (fGarch) on the PATH:
    /usr/bin/python3 tests/reference/generate_arch_dist.py
It writes tests/reference/data/arch_dist.json.

Series: data/dem2gbp.csv (returns in percent, as given) and the DAX daily log returns
ln(P_t / P_(t-1)) of data/eu_stock_markets.csv (in units, no mean removed).

  * fgarch: fGarch's garchFit(~garch(1,1), include.mean = FALSE) under cond.dist norm, std,
    ged (arch_dist_fgarch.R): coefficients, Hessian SEs (fit@fit$se.coef, from minus the
    inverse of its optimHess Hessian), its log-likelihood (sign as a log-likelihood), and with
    cond.dist = "QMLE" (the Gaussian fit with fGarch's sandwich covariance) the robust SEs of
    the Gaussian fit. fGarch gives no robust SEs for its t and GED fits. fGarch starts its
    variance recursion otherwise than we do and bounds the shape to [1, 10], so its maximum is
    near ours, not the same.
  * maxima: the maximum of our likelihood (arch_likelihood.py: our recursion and start value,
    our densities) over the admissible region (omega, alpha, beta >= delta, sum alpha + beta
    <= 1 - delta; GJR alpha + gamma >= delta; nu in [2.05, 300] for the t, [0.25, 40] for the
    GED) by scipy.optimize (SLSQP with the region as bounds and constraints, Nelder-Mead, SLSQP
    again, and the same without the first SLSQP) from several starts; the best is kept. As our estimator does, the search runs on
    e 10^k with mean square near 1 (where delta applies) and is carried back to the series'
    units. At the maximum: Hessian SEs (central differences) and the Bollerslev-Wooldridge
    robust SEs H^-1 (sum_t s_t s_t') H^-1 (per-observation scores by central differences).
  * points: our log-likelihood at fixed parameter points of the short series of arch.json,
    for unit tests of the densities inside the recursions.
"""
import csv
import json
import math
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
from scipy import optimize, stats

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import arch_likelihood as A  # noqa: E402

DATA = os.path.join(HERE, "..", "..", "data")
NU_STARTS = {"norm": [None], "std": [5.0, 8.0, 20.0], "ged": [1.2, 2.0]}
MODEL_NAMES = {1: "GARCH", 3: "EGARCH", 4: "GJR"}


def series():
    with open(os.path.join(DATA, "dem2gbp.csv")) as f:
        dem = [float(row[0]) for row in list(csv.reader(f))[1:]]
    with open(os.path.join(DATA, "eu_stock_markets.csv")) as f:
        prices = [float(row[0]) for row in list(csv.reader(f))[1:]]
    dax = [math.log(prices[t + 1] / prices[t]) for t in range(len(prices) - 1)]
    return {"dem2gbp": dem, "dax": dax}


def admissible(model, q, r, p, dist, th, floor=A.DELTA):
    """On e 10^k, whose mean square is near 1; on e itself omega's floor is delta 10^-2k."""
    nv = A.n_variance(q, r, p)
    if dist != "norm":
        lo, hi = A.NU_RANGE[dist]
        if not lo <= th[nv] <= hi:
            return False
    if model == 3:
        return True
    alpha, gamma, beta = th[1:1 + q], th[1 + q:1 + q + r], th[1 + q + r:nv]
    if th[0] < floor or min(alpha, default=1) < A.DELTA or min(beta, default=1) < A.DELTA:
        return False
    if model == 4:
        return all(alpha[i] + gamma[i] >= A.DELTA for i in range(r))
    return sum(alpha) + sum(beta) <= 1 - A.DELTA


def on_edge(model, q, r, p, th):
    if model not in (0, 1):
        return None
    S = sum(th[1:A.n_variance(q, r, p)])
    if S > 1 - A.DELTA - 1e-9:
        return "sum alpha + beta = 1 - delta"
    if abs(S - (1 - 2 * A.DELTA * (q + p))) < 1e-9:
        return "sum alpha + beta = 1 - 2 delta (q + p), the start rule's switch"
    return None


def starts(model, q, r, p, dist):
    """Variance starts on a series of mean square 1, each with every nu start."""
    if model == 3:
        var = [[0.0, 0.1, 0.0, 0.95], [-0.05, 0.2, -0.1, 0.9], [0.0, 0.15, 0.1, 0.98]]
    elif model == 4:
        var = [[0.1, 0.05, 0.05, 0.85], [0.05, 0.03, 0.1, 0.9], [0.02, 0.1, -0.05, 0.88]]
    else:
        # The last two are near-integrated: there omega / (1 - S) starts the recursion high,
        # which a series with a large shock early on can prefer.
        var = [[0.1, 0.1, 0.8], [0.05, 0.05, 0.9], [0.5, 0.25, 0.25], [0.005, 0.05, 0.945],
               [0.001, 0.05, 0.9495]]
    return [v + ([] if nu is None else [nu]) for v in var for nu in NU_STARTS[dist]]


def maximise(model, q, r, p, dist, e):
    """The best local maximum of our likelihood from the starts, in the units of e."""
    e = np.asarray(e, dtype=float)
    k = round(-math.log10(float(np.mean(e * e))) / 2)
    es = e * 10.0 ** k
    nv = A.n_variance(q, r, p)

    def neg(x):
        if not admissible(model, q, r, p, dist, x):
            return 1e300
        return -A.loglik(model, q, r, p, dist, es, x)

    bounds = [(None, None)] * len(starts(model, q, r, p, dist)[0])
    cons = []
    if model != 3:
        bounds[0] = (A.DELTA, None)
        for i in list(range(1, 1 + q)) + list(range(1 + q + r, nv)):
            bounds[i] = (A.DELTA, None)
    if model in (0, 1):
        cons = [{"type": "ineq", "fun": lambda x: 1 - A.DELTA - sum(x[1:nv])}]
    if model == 4:
        cons = [{"type": "ineq", "fun": lambda x, i=i: x[1 + i] + x[1 + q + i] - A.DELTA}
                for i in range(r)]
    if dist != "norm":
        bounds[nv] = A.NU_RANGE[dist]

    def slsqp(x):
        try:
            res = optimize.minimize(neg, x, method="SLSQP", bounds=bounds, constraints=cons,
                                    options={"maxiter": 1000, "ftol": 1e-13})
            return res.x if neg(res.x) <= neg(x) else x
        except (ValueError, FloatingPointError):
            return x

    best = None
    # From each start two ways: SLSQP first, or Nelder-Mead first (SLSQP's first steps can
    # leave the basin of a near-integrated maximum).
    for x0, first in [(x0, first) for x0 in starts(model, q, r, p, dist) for first in (0, 1)]:
        x = slsqp(np.array(x0, dtype=float)) if first else np.array(x0, dtype=float)
        for _ in range(2):
            x = optimize.minimize(neg, x, method="Nelder-Mead",
                                  options={"maxiter": 20000, "xatol": 1e-11, "fatol": 1e-11,
                                           "adaptive": True}).x
        x = slsqp(x)
        value = -neg(x)
        if best is None or value > best[0]:
            best = (value, x.tolist())
    if model in (0, 1):
        # The maximum can lie on the edge S = 1 - delta or on the start rule's switch
        # S = 1 - 2 delta (q + p), where h0 jumps from omega / (1 - S) to mean(e^2): search
        # each edge with S pinned (the last beta, or alpha for ARCH, takes up the rest).
        last = nv - 1
        for edge in (1 - A.DELTA, 1 - 2 * A.DELTA * (q + p)):
            def pinned(y, edge=edge):
                x = np.concatenate([y[:last], [0.0], y[last:]])
                x[last] = edge - sum(y[1:last])
                while sum(x[1:nv]) < edge:  # on the mean(e^2) side of the switch
                    x[last] = np.nextafter(x[last], np.inf)
                return x
            for y in [np.delete(np.array(best[1]), last)] + \
                     [np.delete(np.array(x0, dtype=float), last)
                      for x0 in starts(model, q, r, p, dist)[:2]]:
                for _ in range(3):
                    y = optimize.minimize(lambda y: neg(pinned(y)), y, method="Nelder-Mead",
                                          options={"maxiter": 20000, "xatol": 1e-11,
                                                   "fatol": 1e-11, "adaptive": True}).x
                value = -neg(pinned(y))
                if value > best[0]:
                    best = (value, pinned(y).tolist())
    value, th = best
    ln10 = math.log(10)
    if model == 3:
        th[0] -= 2 * k * ln10 * (1 - sum(th[1 + q + r:nv]))
    else:
        th[0] *= 10.0 ** (-2 * k)
    value += len(e) * k * ln10
    check = A.loglik(model, q, r, p, dist, e, th)
    if abs(check - value) > 1e-7 * abs(value):
        raise SystemExit(f"carrying back to units moved the likelihood: {value} vs {check}")
    return check, th, k


def fgarch(data, reps):
    with tempfile.TemporaryDirectory() as tmp:
        args = []
        for name, e in data.items():
            path = os.path.join(tmp, name + ".txt")
            with open(path, "w") as f:
                f.write("\n".join(map(repr, e)) + "\n")
            args.append(f"{name}={path}")
        out = subprocess.run(["Rscript", os.path.join(HERE, "arch_dist_fgarch.R")] + args +
                             [f"reps={reps}"], capture_output=True, text=True, check=True).stdout
    fits, notes, timing = {}, [], None
    for line in out.splitlines():
        w = line.split()
        if w[:2] == ["timing", "std"]:
            timing = float(w[3])
            continue
        name, dist, field, values = w[0], w[1], w[2], w[3:]
        entry = fits.setdefault(name, {}).setdefault(dist, {})
        if field == "failed":
            notes.append(f"{name} {dist}: garchFit failed ({values[0]}): {' '.join(values[1:])}")
        elif field == "names":
            entry["names"] = values
        elif field in ("coef", "se"):
            entry[field] = [float(v) for v in values]
        else:
            entry[field] = float(values[0])
    return fits, notes, timing


def check_densities():
    """Our densities against scipy.stats' t and generalised normal, scaled to unit variance."""
    e = np.array([-3.1, -0.7, 0.0, 0.4, 2.2])
    h = np.array([0.5, 1.3, 2.0, 0.8, 1.1])
    for nu in (2.5, 5.0, 40.0):
        s = math.sqrt((nu - 2) / nu)  # the unit-variance t is s times a t(nu)
        ref = stats.t.logpdf(e / np.sqrt(h), nu, scale=s) - 0.5 * np.log(h)
        assert np.allclose(A.log_densities("std", e, h, nu), ref, rtol=0, atol=1e-12), nu
    for nu in (0.6, 1.3, 2.0, 7.0):
        s = math.sqrt(math.gamma(1 / nu) / math.gamma(3 / nu))
        ref = stats.gennorm.logpdf(e / np.sqrt(h), nu, scale=s) - 0.5 * np.log(h)
        assert np.allclose(A.log_densities("ged", e, h, nu), ref, rtol=0, atol=1e-12), nu
    ref = stats.norm.logpdf(e, scale=np.sqrt(h))
    assert np.allclose(A.log_densities("norm", e, h), ref, rtol=0, atol=1e-12)


def check_gaussian_against_arch_json():
    with open(os.path.join(HERE, "data", "arch.json")) as f:
        d = json.load(f)
    worst = 0.0
    for c in d["likelihoods"]:
        v = A.loglik(c["model"], c["q"], c["r"], c["p"], "norm", d["series"], c["theta"])
        worst = max(worst, abs(v - c["ll"]) / abs(c["ll"]))
    for m in d["maxima"]:
        e = d["dax_log_returns"] if m["scale"] == "units" else [100 * v for v in
                                                                d["dax_log_returns"]]
        v = A.loglik(m["model"], m["q"], m["r"], m["p"], "norm", e, m["theta"])
        worst = max(worst, abs(v - m["ll"]) / abs(m["ll"]))
    assert worst < 1e-12, worst
    return d["series"], worst


def main():
    check_densities()
    small, worst = check_gaussian_against_arch_json()
    print(f"Gaussian likelihoods of arch.json reproduced (worst relative difference {worst:.1e})")

    points = []
    for model, q, r, p, th in [(1, 1, 0, 1, [0.05, 0.1, 0.85]), (3, 1, 1, 1, [-0.1, 0.2, -0.3, 0.9]),
                               (4, 1, 1, 1, [0.05, 0.05, 0.1, 0.8]), (0, 2, 0, 0, [0.2, 0.3, 0.1])]:
        for dist, nu in [("std", 5.0), ("std", 2.3), ("ged", 1.3), ("ged", 0.7)]:
            theta = th + [nu]
            points.append({"model": model, "q": q, "r": r, "p": p, "dist": dist, "theta": theta,
                           "ll": A.loglik(model, q, r, p, dist, small, theta)})

    data = series()
    t0 = time.time()
    fits, notes, timing = fgarch(data, 20)
    print(f"fGarch: {time.time() - t0:.1f} s; std fit on dem2gbp {1000 * timing:.1f} ms per fit")
    for n in notes:
        print("note:", n)

    cases = [(name, 1, 1, 0, 1, dist) for name in data for dist in ("norm", "std", "ged")]
    cases += [("dem2gbp", 4, 1, 1, 1, "std"), ("dem2gbp", 3, 1, 1, 1, "std")]
    maxima = []
    for name, model, q, r, p, dist in cases:
        t0 = time.time()
        ll, th, k = maximise(model, q, r, p, dist, data[name])
        boundary = on_edge(model, q, r, p, th)
        # At a maximum on an edge of the region the Hessian SEs mean nothing.
        se, robust = (None, None) if boundary else \
            A.standard_errors(model, q, r, p, dist, data[name], th)
        entry = {"series": name, "model": model, "name": f"{MODEL_NAMES[model]}({q},{p})",
                 "q": q, "r": r, "p": p, "dist": dist, "ll": ll, "theta": th, "se": se,
                 "robust_se": robust, "scale_k": k,
                 "boundary": boundary}
        if model == 1:
            fg = fits[name][dist]
            # Our likelihood at fGarch's estimates: our maximum must be at least this.
            # fGarch allows alpha + beta > 1, outside our region.
            entry["ll_ours_at_fgarch"] = A.loglik(1, 1, 0, 1, dist, data[name], fg["coef"])
            entry["fgarch_in_our_region"] = admissible(1, 1, 0, 1, dist, fg["coef"],
                                                       A.DELTA * 10.0 ** (-2 * k))
            if entry["fgarch_in_our_region"] and entry["ll_ours_at_fgarch"] > ll + 1e-6:
                raise SystemExit(f"{name} {dist}: scipy stopped below fGarch's point")
        maxima.append(entry)
        print(f"{name:8s} {entry['name']:12s} {dist:4s} LL {ll:.6f} theta "
              f"{[float(f'{v:.6g}') for v in th]} ({time.time() - t0:.1f} s)")

    out = {"dem2gbp": data["dem2gbp"], "dax_log_returns": data["dax"], "points": points,
           "maxima": maxima, "fgarch": fits, "fgarch_notes": notes,
           "fgarch_std_dem2gbp_seconds_per_fit": timing}
    path = os.path.join(HERE, "data", "arch_dist.json")
    with open(path, "w") as f:
        json.dump(out, f, separators=(",", ":"))
    print("wrote", path)


if __name__ == "__main__":
    main()
