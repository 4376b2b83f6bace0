"""The ARCH tool's likelihood, written apart from the C++ (numpy/scipy), for reference scripts
and result-workbook checkers.

Models by code: 0 ARCH, 1 GARCH, 2 IGARCH, 3 EGARCH, 4 GJR; orders q (alpha), r (gamma, = q for
EGARCH and GJR, else 0), p (beta). Distributions: "norm", "std" (Student t scaled to unit
variance, nu > 2), "ged" (generalised error distribution of shape nu, unit variance).
theta = (omega, alpha_1..alpha_q, gamma_1..gamma_r, beta_1..beta_p[, nu]).

Start of the recursion: ARCH/GARCH/IGARCH take h0 = omega / (1 - S), S = sum alpha + sum beta,
when 1 - 2 delta (q + p) > S, else mean(e^2); EGARCH and GJR take mean(e^2). Every lag before
the series takes h0 (EGARCH: ln h0 for ln h, and 1 + gamma_i for the standardised shock).
"""
import math

import numpy as np
from scipy import signal, special

DELTA = 1e-5
DISTS = ("norm", "std", "ged")
# Where nu may go: the t needs nu > 2 for a variance.
NU_RANGE = {"std": (2.05, 300.0), "ged": (0.25, 40.0)}


def n_variance(q, r, p):
    return 1 + q + r + p


def variances(model, q, r, p, e, th):
    """h(0) .. h(T-1) of the series e under the variance parameters th (nu, if any, ignored)."""
    e = np.asarray(e, dtype=float)
    T = len(e)
    omega = th[0]
    alpha = np.asarray(th[1:1 + q], dtype=float)
    gamma = np.asarray(th[1 + q:1 + q + r], dtype=float)
    beta = np.asarray(th[1 + q + r:1 + q + r + p], dtype=float)
    if model == 3:
        lnh0 = math.log(float(np.mean(e * e)))
        lnh = np.empty(T)
        z = np.empty(T)
        for t in range(T):
            v = omega
            for i in range(1, q + 1):
                g = gamma[i - 1] if i <= r else 0.0
                if t - i >= 0:
                    v += alpha[i - 1] * (abs(z[t - i]) + g * z[t - i])
                else:
                    v += alpha[i - 1] * (1 + g)
            for j in range(1, p + 1):
                v += beta[j - 1] * (lnh[t - j] if t - j >= 0 else lnh0)
            lnh[t] = v
            z[t] = e[t] / math.sqrt(math.exp(v))
        return np.exp(lnh)
    S = alpha.sum() + beta.sum()
    if model == 4 or not (1 - 2 * DELTA * (q + p) > S):
        h0 = float(np.mean(e * e))
    else:
        h0 = omega / (1 - S)
    e2 = e * e
    neg = (e < 0).astype(float)
    u = np.full(T, float(omega))
    for i in range(1, q + 1):
        shock = np.concatenate([np.full(i, h0), e2[:-i]])[:T]
        u += alpha[i - 1] * shock
        if i <= r:
            ind = np.concatenate([np.ones(i), neg[:-i]])[:T]
            u += gamma[i - 1] * shock * ind
    if p == 0:
        return u
    a = np.concatenate([[1.0], -beta])
    zi = signal.lfiltic([1.0], a, y=[h0] * p)
    h, _ = signal.lfilter([1.0], a, u, zi=zi)
    return h


def log_densities(dist, e, h, nu=None):
    """ln f(e(t) | h(t)) per observation, all constants included."""
    e = np.asarray(e, dtype=float)
    h = np.asarray(h, dtype=float)
    if dist == "norm":
        return -0.5 * math.log(2 * math.pi) - 0.5 * np.log(h) - 0.5 * e * e / h
    if dist == "std":
        c = special.gammaln((nu + 1) / 2) - special.gammaln(nu / 2) \
            - 0.5 * math.log(math.pi * (nu - 2))
        return c - 0.5 * np.log(h) - 0.5 * (nu + 1) * np.log1p(e * e / ((nu - 2) * h))
    if dist == "ged":
        log_lambda = 0.5 * (-2 / nu * math.log(2) + special.gammaln(1 / nu)
                            - special.gammaln(3 / nu))
        c = math.log(nu) - log_lambda - (1 + 1 / nu) * math.log(2) - special.gammaln(1 / nu)
        a = np.abs(e) / (np.sqrt(h) * math.exp(log_lambda))
        return c - 0.5 * a ** nu - 0.5 * np.log(h)
    raise ValueError(dist)


def loglik_obs(model, q, r, p, dist, e, theta):
    """Per-observation log-likelihood; None where the point has no finite positive variances."""
    nv = n_variance(q, r, p)
    nu = theta[nv] if dist != "norm" else None
    try:
        with np.errstate(all="ignore"):
            h = variances(model, q, r, p, e, theta[:nv])
            if np.any(h <= 0) or not np.all(np.isfinite(h)):
                return None
            out = log_densities(dist, e, h, nu)
    except (OverflowError, ValueError, ZeroDivisionError):
        return None
    return out if np.all(np.isfinite(out)) else None


def loglik(model, q, r, p, dist, e, theta):
    out = loglik_obs(model, q, r, p, dist, e, theta)
    return -1e300 if out is None else float(np.sum(out))


def _steps(theta, rel):
    # Relative steps: omega of returns in units is ~1e-6; a floor keeps gamma ~ 0 movable.
    return np.array([rel * max(abs(v), 1e-3 if i else abs(v) or 1e-8)
                     for i, v in enumerate(theta)])


def hessian(model, q, r, p, dist, e, theta, rel=1e-4):
    """The Hessian of the log-likelihood by central differences (four points per entry)."""
    x = np.asarray(theta, dtype=float)
    n = len(x)
    s = _steps(x, rel)
    f = lambda y: loglik(model, q, r, p, dist, e, y)
    f0 = f(x)
    H = np.empty((n, n))
    for i in range(n):
        ei = np.zeros(n)
        ei[i] = s[i]
        H[i, i] = (f(x + 2 * ei) - 2 * f0 + f(x - 2 * ei)) / (4 * s[i] * s[i])
        for j in range(i):
            ej = np.zeros(n)
            ej[j] = s[j]
            H[i, j] = H[j, i] = (f(x + ei + ej) - f(x + ei - ej) - f(x - ei + ej)
                                 + f(x - ei - ej)) / (4 * s[i] * s[j])
    return H


def scores(model, q, r, p, dist, e, theta, rel=6e-6):
    """Per-observation scores (T x n) by central differences."""
    x = np.asarray(theta, dtype=float)
    s = _steps(x, rel)
    G = np.empty((len(e), len(x)))
    for i in range(len(x)):
        d = np.zeros(len(x))
        d[i] = s[i]
        G[:, i] = (loglik_obs(model, q, r, p, dist, e, x + d)
                   - loglik_obs(model, q, r, p, dist, e, x - d)) / (2 * s[i])
    return G


def standard_errors(model, q, r, p, dist, e, theta):
    """(Hessian SEs, Bollerslev-Wooldridge robust SEs) at theta, in the units of theta:
    sqrt diag of (-H)^-1 and of H^-1 (sum_t s_t s_t') H^-1."""
    H = hessian(model, q, r, p, dist, e, theta)
    G = scores(model, q, r, p, dist, e, theta)
    # Inverted on parameters of like size (omega of returns in units is ~1e-6).
    D = np.diag(_steps(np.asarray(theta, dtype=float), 1.0))
    Hinv = D @ np.linalg.inv(D @ H @ D) @ D
    plain = np.sqrt(np.diag(-Hinv))
    robust = np.sqrt(np.diag(Hinv @ (G.T @ G) @ Hinv))
    return plain.tolist(), robust.tolist()
