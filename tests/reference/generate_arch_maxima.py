#!/usr/bin/python3
"""The maxima of the ARCH-family likelihood that the ARCH tool's fits must reach.

Run with Debian's Python (numpy, scipy):
    /usr/bin/python3 tests/reference/generate_arch_maxima.py
It writes tests/reference/data/arch_maxima.json, which the C++ tests read.

Series: 300 Student-t(5) returns of size 0.01, the same with one large outlier, 600 returns
simulated from an EGARCH(1,1) and 600 from a GJR(1,1) with leverage (all four stored in the
file), the DAX daily log returns (data/eu_stock_markets.csv) and the DEM/GBP returns in percent
(data/dem2gbp.csv).

For every series and every candidate of the tool's best-model search over the five models with
the orders 0 .. 2 (the (1,1) single fits among them), the maximum of the likelihood of
generate_arch.py (an implementation of its own: linear recursions through scipy.signal.lfilter,
EGARCH by a plain loop) inside the admissible region, found by scipy.optimize: SLSQP with the
region as bounds and constraints from several starts inside it, then Nelder-Mead and SLSQP again
from the best. As the tool does, the search runs on the series times 10^k (mean square near 1),
where the region's floor delta applies; the likelihood is given back in the series' own units
(LL + T k ln 10).
"""
import csv
import json
import math
import os
import sys

import numpy as np
from scipy import optimize

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generate_arch import DELTA, admissible, dax_returns, loglik  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
NAMES = ["ARCH", "GARCH", "IGARCH", "EGARCH", "GJR"]


def egarch_loglik(q, r, p, e, th):
    """The EGARCH likelihood by a loop on plain floats (generate_arch's loop, faster)."""
    T = len(e)
    h0 = sum(v * v for v in e) / T
    lnh0 = math.log(h0)
    omega, alpha = th[0], th[1:1 + q]
    gamma, beta = th[1 + q:1 + q + r], th[1 + q + r:1 + q + r + p]
    lnh, sd = [0.0] * T, [0.0] * T
    total = 0.0
    try:
        for t in range(T):
            v = omega
            for i in range(1, q + 1):
                g = gamma[i - 1] if i <= r else 0.0
                if t - i >= 0:
                    x = e[t - i]
                    v += alpha[i - 1] * (abs(x) + g * x) / sd[t - i]
                else:
                    v += alpha[i - 1] * (1 + g)
            for j in range(1, p + 1):
                v += beta[j - 1] * (lnh[t - j] if t - j >= 0 else lnh0)
            h = math.exp(v)
            if h == 0.0:
                return -1e300
            lnh[t] = v
            sd[t] = math.sqrt(h)
            total += e[t] * e[t] / h + v
    except (OverflowError, ZeroDivisionError):
        return -1e300
    value = -0.5 * T * math.log(2 * math.pi) - 0.5 * total
    return value if math.isfinite(value) else -1e300


def likelihood(model, q, r, p, e, th):
    return egarch_loglik(q, r, p, e, th) if model == 3 else loglik(model, q, r, p, e, th)


def candidates():
    """The best-model search's candidates over the five models up to the orders (2,2)."""
    out = []
    for model in range(5):
        for p in ([0] if model == 0 else [0, 1, 2]):
            for q in [0, 1, 2]:
                if q == 0 and p == 0:
                    continue
                r = q if model in (3, 4) else 0
                out.append((model, q, r, p))
    return out


def label(model, q, p):
    return f"{NAMES[model]} ({q})" if model == 0 else f"{NAMES[model]} ({q},{p})"


def starts(model, q, r, p, v):
    """Points inside the region on a series of mean square v."""
    out = []
    if model == 3:
        for a, g, b in [(0.1, 0.0, 0.9), (0.2, -0.3, 0.95), (0.05, 0.1, 0.97), (0.3, -0.5, 0.8),
                        (0.1, -0.3, 0.995), (0.05, 0.0, 0.999)]:
            bs = [b / p] * p if p else []
            as_ = [a / q] * q if q else []
            omega = math.log(v) * (1 - sum(bs)) - 0.8 * sum(as_)
            out.append([omega] + as_ + [g] * r + bs)
        return out
    if model == 2:
        for share in [0.05, 0.1, 0.3, 0.01]:
            a_total, b_total = (1.0, 0.0) if p == 0 else (0.0, 1.0) if q == 0 else \
                (share, 1 - share)
            out.append([0.01 * v] + ([a_total / q] * q if q else []) +
                       ([b_total / p] * p if p else []))
        return out
    if model == 4:
        for a, g, b in [(0.05, 0.1, 0.85), (0.03, 0.05, 0.9), (0.2, 0.2, 0.5), (0.1, -0.05, 0.8),
                        (0.02, 0.03, 0.975), (0.01, 0.01, 0.9895)]:
            as_ = [a / q] * q if q else []
            gs = [g / q] * r if q else []
            bs = [b / p] * p if p else []
            out.append([v * max(0.001, 1 - sum(as_) - sum(gs) / 2 - sum(bs))] + as_ + gs + bs)
        return out
    # The high persistences matter: near S = 1 the start value omega / (1 - S) can be far above
    # the mean square, and a second maximum lies there on some series.
    for persistence, share in [(0.9, 0.1), (0.95, 0.05), (0.5, 0.5), (0.98, 0.03), (0.995, 0.05),
                               (0.9995, 0.05)]:
        if p == 0:
            a_total, b_total = min(persistence, 0.9), 0.0
        elif q == 0:
            a_total, b_total = 0.0, persistence
        else:
            a_total, b_total = persistence * share, persistence * (1 - share)
        out.append([v * (1 - a_total - b_total)] + ([a_total / q] * q if q else []) +
                   ([b_total / p] * p if p else []))
    return out


def embedded(model, q, r, p, smaller, theta):
    """A maximum of a model of lower orders as a point of (q, r, p): the terms it lacks at the
    floor of the region (0 for EGARCH and for the asymmetry terms), the sum kept admissible."""
    q0, r0, p0 = smaller
    fill = 0.0 if model == 3 else DELTA
    alpha = [theta[1 + i] if i < q0 else fill for i in range(q)]
    gamma = [theta[1 + q0 + i] if i < r0 else 0.0 for i in range(r)]
    beta = [theta[1 + q0 + r0 + j] if j < p0 else fill for j in range(p)]
    th = [theta[0]] + alpha + gamma + beta
    if model in (0, 1, 2):
        added = fill * ((q - q0) + (p - p0))
        terms = list(range(1, 1 + q)) + list(range(1 + q + r, 1 + q + r + p))
        top = max(terms, key=lambda i: th[i])
        th[top] -= added
    return th


def maximum(model, q, r, p, e, extra_starts=()):
    """The best admissible local maximum over the starts, on e (mean square near 1)."""
    npar = 1 + q + r + p
    v = float(np.mean(np.square(e)))

    def full(x):
        return list(x) + [1 - sum(x[1:])] if model == 2 else list(x)

    def neg(x):
        th = full(x)
        if not admissible(model, q, r, p, th):
            return 1e300
        return -likelihood(model, q, r, p, e, th)

    bounds, cons = None, []
    if model in (0, 1):
        bounds = [(DELTA, None)] * npar
        cons = [{"type": "ineq", "fun": lambda x: 1 - DELTA - sum(x[1:])}]
    elif model == 2:
        bounds = [(DELTA, None)] * (npar - 1)
        cons = [{"type": "ineq", "fun": lambda x: 1 - DELTA - sum(x[1:])}]
    elif model == 4:
        bounds = [(DELTA, None)] * (1 + q) + [(None, None)] * r + [(DELTA, None)] * p
        cons = [{"type": "ineq", "fun": lambda x, i=i: x[1 + i] + x[1 + q + i] - DELTA}
                for i in range(r)]

    def slsqp(x):
        try:
            res = optimize.minimize(neg, x, method="SLSQP", bounds=bounds, constraints=cons,
                                    options={"maxiter": 400, "ftol": 1e-12})
            if neg(res.x) <= neg(x):
                return np.array(res.x)
        except Exception:  # a start scipy cannot take is simply a start that does not win
            pass
        return np.array(x)

    best = None
    for x0 in list(starts(model, q, r, p, v)) + list(extra_starts):
        x = slsqp(np.array(x0[:npar - 1] if model == 2 else x0, dtype=float))
        if best is None or neg(x) < neg(best):
            best = x
    if len(best) > 1:
        res = optimize.minimize(neg, best, method="Nelder-Mead",
                                options={"maxiter": 3000, "xatol": 1e-10, "fatol": 1e-10,
                                         "adaptive": True})
        if neg(res.x) < neg(best):
            best = slsqp(np.array(res.x))
    return -neg(best), full(best)


def simulated(rng):
    t5 = list(rng.standard_t(5, size=300) * 0.01)
    outlier = list(t5)
    outlier[200] = -0.25
    z = rng.standard_normal(600)
    # EGARCH(1,1) with leverage in this model's form: ln h = w + a (|e| + g e)/sd + b ln h.
    a, g, b, level = 0.15, -0.4, 0.95, 1e-4
    w = (1 - b) * math.log(level) - a * math.sqrt(2 / math.pi)
    lnh, egarch = math.log(level), []
    for t in range(600):
        egarch.append(math.exp(lnh / 2) * z[t])
        lnh = w + a * (abs(z[t]) + g * z[t]) + b * lnh
    # GJR(1,1) with leverage: h = w + a e^2 + g e^2 [e < 0] + b h.
    a, g, b = 0.03, 0.12, 0.88
    w = level * (1 - a - g / 2 - b)
    z = rng.standard_normal(600)
    h, gjr = level, []
    for t in range(600):
        x = math.sqrt(h) * z[t]
        gjr.append(x)
        h = w + a * x * x + (g * x * x if x < 0 else 0) + b * h
    return {"t5": t5, "t5_outlier": outlier, "egarch": egarch, "gjr": gjr}


def dem_gbp():
    with open(os.path.join(HERE, "..", "..", "data", "dem2gbp.csv")) as f:
        return [float(row[0]) for row in list(csv.reader(f))[1:]]


def main():
    rng = np.random.default_rng(2026)
    series = simulated(rng)
    every = dict(series)
    every["dax"] = dax_returns()
    every["dem_gbp"] = dem_gbp()
    only = sys.argv[1:]
    out = {"series": series, "files": {"dax": "eu_stock_markets.csv DAX log returns",
                                       "dem_gbp": "dem2gbp.csv"}, "maxima": {}}
    for name, e in every.items():
        if only and name not in only:
            continue
        T = len(e)
        k = round(-math.log10(float(np.mean(np.square(e)))) / 2)
        scaled = [v * 10.0 ** k for v in e]
        fits = []
        for model, q, r, p in candidates():
            # The maxima of the same model at lower orders are starts too: the likelihood of
            # the larger model reaches at least theirs.
            nested = [embedded(model, q, r, p, (f["q"], f["r"], f["p"]), f["theta_scaled"])
                      for f in fits if f["model"] == model and f["q"] <= q and f["p"] <= p]
            nested = [th for th in nested if admissible(model, q, r, p, th)]
            value, theta = maximum(model, q, r, p, scaled, nested)
            ll = value + T * k * math.log(10)
            fits.append({"model": model, "q": q, "r": r, "p": p, "ll": ll, "theta_scaled": theta})
            print(f"{name:10s} {label(model, q, p):16s} LL {ll:.4f}", flush=True)
        out["maxima"][name] = {"scale": k, "fits": fits}
    path = os.path.join(HERE, "data", "arch_maxima.json")
    with open(path, "w") as f:
        json.dump(out, f, separators=(",", ":"))
    print("wrote", path)


if __name__ == "__main__":
    main()
