#!/usr/bin/python3
"""Reference values for the ARCH tool's error distributions, forecasts and value-at-risk backtest.

Run with Debian's Python (numpy, scipy):
    /usr/bin/python3 tests/reference/generate_arch_previsao.py
It writes tests/reference/data/arch_previsao.json, which the C++ tests read.

References:
  * quantiles of the unit-variance errors: scipy's norm, t (times sqrt((nu-2)/nu)) and gennorm
    (beta = nu, scale sqrt(G(1/nu)/G(3/nu))), each polished by Newton steps on the tail
    probability from scipy.special (erfc, betainc, gammaincc), which is more accurate than
    scipy's inverse;
  * E|z| by quadrature of scipy's densities; log-densities from scipy's logpdf; digamma from
    scipy.special;
  * forecasts of GJR, EGARCH, IGARCH and an explosive GARCH on a short series, by a plain loop
    written from the models' definitions (future e^2 -> h, 1{e<0} -> 1/2, |z| -> E|z|, z -> 0);
  * Kupiec's and Christoffersen's likelihood ratios by scipy.special.xlogy (0 ln 0 = 0).
"""
import json
import math
import os

import numpy as np
from scipy import integrate, special, stats

HERE = os.path.dirname(os.path.abspath(__file__))
DELTA = 1e-5
NORMAL, STUDENT, GED = 0, 1, 2


def frozen(dist, nu):
    if dist == NORMAL:
        return stats.norm()
    if dist == STUDENT:
        return stats.t(nu, scale=math.sqrt((nu - 2) / nu))
    return stats.gennorm(nu, scale=math.sqrt(special.gamma(1 / nu) / special.gamma(3 / nu)))


def tail_and_centre(dist, nu, z):
    """P(Z > z) and P(0 < Z < z), z > 0, each from scipy's special functions directly."""
    if dist == NORMAL:
        w = z / math.sqrt(2)
        return 0.5 * special.erfc(w), 0.5 * special.erf(w)
    if dist == STUDENT:
        s = nu - 2 + z * z
        return (0.5 * special.betainc(nu / 2, 0.5, (nu - 2) / s),
                0.5 * special.betainc(0.5, nu / 2, z * z / s))
    u = (z / frozen(dist, nu).kwds["scale"]) ** nu
    return 0.5 * special.gammaincc(1 / nu, u), 0.5 * special.gammainc(1 / nu, u)


def quantile(dist, nu, alpha):
    """scipy's ppf, polished by Newton on the tail (on P(0 < Z < z) past alpha = 1/4, where
    1/2 - alpha is exact): scipy's inverse of the t is good to about 1e-9 only."""
    if alpha == 0.5:
        return 0.0
    a = min(alpha, 1 - alpha)
    d = frozen(dist, nu)
    z = -float(d.ppf(a))
    for _ in range(3):
        tail, centre = tail_and_centre(dist, nu, z)
        z += (tail - a if a <= 0.25 else (0.5 - a) - centre) / d.pdf(z)
    return -z if alpha < 0.5 else z


def mean_abs(dist, nu):
    d = frozen(dist, nu)
    v, _ = integrate.quad(lambda z: 2 * z * d.pdf(z), 0, np.inf, epsabs=0, epsrel=1e-13,
                          limit=500)
    return v


def log_density(dist, nu, e, h):
    z = e / math.sqrt(h)
    return float(frozen(dist, nu).logpdf(z) - 0.5 * math.log(h))


def recursion(model, q, r, p, e, th, mean_abs_z, count):
    """h(0) .. h(T+count-1): the fit's recursion on the series and run past it."""
    T = len(e)
    omega, alpha = th[0], th[1:1 + q]
    gamma = th[1 + q:1 + q + r]
    beta = th[1 + q + r:1 + q + r + p]
    ms = sum(x * x for x in e) / T
    S = sum(alpha) + sum(beta)
    if model in (3, 4) or not (1 - 2 * DELTA * (q + p) > S):
        h0 = ms
    else:
        h0 = omega / (1 - S)
    h, lnh = [], []
    for t in range(T + count):
        v = omega
        for i in range(1, q + 1):
            s, a = t - i, alpha[i - 1]
            g = gamma[i - 1] if i <= r else 0.0
            if model == 3:
                if s < 0:
                    v += a * (1 + g)
                elif s < T:
                    v += a * (abs(e[s]) + g * e[s]) / math.sqrt(h[s])
                else:
                    v += a * mean_abs_z
            else:
                if s < 0:
                    v += (a + g) * h0
                elif s < T:
                    v += (a + (g if e[s] < 0 else 0.0)) * e[s] ** 2
                else:
                    v += (a + g / 2) * h[s]
        for j in range(1, p + 1):
            s = t - j
            if model == 3:
                v += beta[j - 1] * (lnh[s] if s >= 0 else math.log(h0))
            else:
                v += beta[j - 1] * (h[s] if s >= 0 else h0)
        lnh.append(v if model == 3 else math.log(v))
        h.append(math.exp(v) if model == 3 else v)
    return h


def backtest(e, h, q, alpha):
    T = len(e)
    hit = [1 if e[t] < q * math.sqrt(h[t]) else 0 for t in range(T)]
    x = sum(hit)
    xl = special.xlogy
    kupiec = -2 * (xl(T - x, 1 - alpha) + xl(x, alpha) - xl(T - x, 1 - x / T) - xl(x, x / T))
    n = np.zeros((2, 2))
    for a, b in zip(hit[:-1], hit[1:]):
        n[a, b] += 1
    chris = 0.0
    if n[1].sum() > 0:
        pi0 = n[0, 1] / n[0].sum() if n[0].sum() > 0 else 0.0
        pi1 = n[1, 1] / n[1].sum()
        pi = (n[0, 1] + n[1, 1]) / n.sum()
        l_pi = xl(n[0, 0] + n[1, 0], 1 - pi) + xl(n[0, 1] + n[1, 1], pi)
        l_free = (xl(n[0, 0], 1 - pi0) + xl(n[0, 1], pi0) + xl(n[1, 0], 1 - pi1) +
                  xl(n[1, 1], pi1))
        chris = -2 * (l_pi - l_free)
    return {"exceptions": x, "expected": alpha * T, "kupiec": max(0.0, float(kupiec)),
            "christoffersen": max(0.0, float(chris)), "transitions": n.astype(int).tolist()}


def main():
    out = {}
    alphas = [1e-6, 1e-4, 0.001, 0.01, 0.05, 0.1, 0.25, 0.3, 0.45, 0.4999999, 0.5, 0.95, 0.999]
    cases = [(NORMAL, 0.0)] + [(STUDENT, nu) for nu in (2.05, 2.5, 3, 4.5, 7.3, 30, 120, 300)]
    cases += [(GED, nu) for nu in (0.25, 0.6, 1, 1.5, 2, 3.7, 12, 40)]
    out["quantiles"] = [{"dist": d, "nu": nu, "alpha": a, "q": quantile(d, nu, a)}
                        for d, nu in cases for a in alphas]
    out["mean_abs"] = [{"dist": d, "nu": nu, "value": mean_abs(d, nu)} for d, nu in cases]
    points = [(0.3, 1.0), (-2.5, 0.4), (7.0, 2.0), (-0.01, 3e-4)]
    out["log_densities"] = [{"dist": d, "nu": nu, "e": e, "h": h,
                             "value": log_density(d, nu, e, h)}
                            for d, nu in cases for e, h in points]
    out["digamma"] = [{"x": x, "value": float(special.digamma(x))}
                      for x in (0.025, 0.1, 0.5, 1, 1.5, 2.7, 7.9, 8, 12.25, 40, 150.5, 1e4)]

    rng = np.random.default_rng(27)
    e = [float(v) for v in 1.3 * rng.standard_t(5, size=40)]
    out["series"] = e
    # model, q, r, p, dist, theta (nu last), T (leading values of the series used)
    models = [
        ("GARCH(1,1) explosive", 1, 1, 0, 1, NORMAL, [0.05, 0.2, 0.85], 40),
        ("IGARCH(1,1) t", 2, 1, 0, 1, STUDENT, [0.02, 0.12, 0.88, 6.0], 40),
        ("ARCH(2) at the margin", 0, 2, 0, 0, NORMAL, [0.1, 0.5, 0.49999], 40),
        ("GJR(1,1) t", 4, 1, 1, 1, STUDENT, [0.04, 0.03, 0.1, 0.88, 6.5], 40),
        ("GJR(2,1) GED", 4, 2, 2, 1, GED, [0.03, 0.04, 0.01, 0.08, 0.05, 0.8, 1.4], 40),
        ("GJR(3,1) on one value", 4, 3, 3, 1, NORMAL,
         [0.1, 0.05, 0.04, 0.03, 0.1, 0.06, 0.02, 0.6], 1),
        ("EGARCH(1,1)", 3, 1, 1, 1, NORMAL, [0.01, 0.15, -0.3, 0.95], 40),
        ("EGARCH(1,1) GED", 3, 1, 1, 1, GED, [0.02, 0.2, -0.4, 0.9, 1.3], 40),
        ("EGARCH(2,2) t", 3, 2, 2, 2, STUDENT, [0.03, 0.1, 0.05, -0.2, 0.3, 0.5, 0.4, 5.5], 40),
        ("EGARCH(3,1) on one value", 3, 3, 3, 1, STUDENT,
         [0.05, 0.1, 0.05, 0.02, -0.3, 0.2, 0.1, 0.7, 9.0], 1),
    ]
    out["forecasts"] = []
    for name, model, q, r, p, dist, th, T in models:
        nu = th[-1] if dist != NORMAL else 0.0
        mabs = mean_abs(dist, nu)
        out["forecasts"].append({"name": name, "model": model, "q": q, "p": p, "dist": dist,
                                 "theta": th, "T": T,
                                 "h": recursion(model, q, r, p, e[:T], th, mabs, 12)[T:]})

    # Backtests: the series against its GJR variances at the t quantile, and built edge cases.
    hv = recursion(4, 1, 1, 1, e, [0.04, 0.03, 0.1, 0.88], 0.0, 1)  # h(0) .. h(T)
    bt = []
    for alpha, dist, nu in ((0.05, STUDENT, 6.5), (0.1, NORMAL, 0.0), (0.25, GED, 1.4)):
        bt.append({"name": f"series at {alpha}", "e": e, "h": hv,
                   "quantile": quantile(dist, nu, alpha), "alpha": alpha})
    ones = [1.0] * 12
    bt.append({"name": "no exceptions", "e": e, "h": hv, "quantile": -50.0, "alpha": 0.01})
    bt.append({"name": "all exceptions", "e": e, "h": hv, "quantile": 50.0, "alpha": 0.01})
    bt.append({"name": "an exception only at the end", "e": ones[:-1] + [-5.0], "h": ones,
               "quantile": -2.0, "alpha": 0.05})
    clustered = [1.0, -3, -3, 1, 1, -3, -3, -3, 1, 1, 1, -3, 1, 1, 1, 1, -3, -3, 1, 1]
    bt.append({"name": "clustered", "e": clustered, "h": [1.0] * 21, "quantile": -2.0,
               "alpha": 0.05})
    for c in bt:
        c.update(backtest(c["e"], c["h"], c["quantile"], c["alpha"]))
    out["backtests"] = bt

    path = os.path.join(HERE, "data", "arch_previsao.json")
    with open(path, "w") as f:
        json.dump(out, f, indent=1)
        f.write("\n")
    print("wrote", path)


if __name__ == "__main__":
    main()
