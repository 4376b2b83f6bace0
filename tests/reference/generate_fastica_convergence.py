#!/usr/bin/python3
"""Reference iteration counts for the FastICA core, from a numpy reimplementation of the rule
documented in Codigo/Funcoes/Fastica.h (deflation, Gaussian contrast, tolerance 1e-4 on
min(|w - wOld|, |w + wOld|), fine-tuning with step 0.01, step halved once for an oscillation and
once after 5000 iterations, abandoned at the 10000th).

Run with Debian's Python (numpy):
    /usr/bin/python3 tests/reference/generate_fastica_convergence.py
It writes tests/reference/data/fastica_convergence.json: for each case the whitened data Z
(d x N, given to the core with identity whitening and dewhitening matrices, so that the
eigenvector signs of a whitening play no part), k, and for each component the iterations, whether
it was accepted and the last min(|w - wOld|, |w + wOld|) tested.

On Gaussian data the undamped iteration has no direction to settle on and wanders chaotically
until the slow-convergence threshold damps it: rounding alone (numpy's sums against the core's)
then changes where it is at that threshold and how many iterations follow. Such a case is marked
"chaotic": only its end and its passing the threshold are compared, not the exact count.
"""
import json
import os
import sys

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
EPS, SLOW, LIMIT = 1e-4, 5000, 10000


def change(w, v):
    return min(np.linalg.norm(w - v), np.linalg.norm(w + v))


def fastica(z, k):
    d, n = z.shape
    b = np.zeros((d, d))

    def deflate(w):
        w = w - b @ (b.T @ w)
        return w / np.linalg.norm(w)

    out = []
    for q in range(k):
        w = deflate(np.array([(1 if j % 2 == 0 else -1) * j / d for j in range(d)], float))
        old, old2 = np.zeros(d), np.zeros(d)
        fine, stabilised, slow_done, stroke, mu = False, False, False, False, 1.0
        i, iterations, accepted, last = 1, 0, False, 0.0
        while True:
            w = deflate(w)
            last = change(w, old)
            if last < EPS:
                if fine:
                    accepted = True
                    break
                fine, stabilised, mu = True, True, 0.01
                old, old2 = np.zeros(d), np.zeros(d)
            elif not stroke and change(w, old2) < EPS:
                stroke, stabilised, mu = True, True, mu / 2
            elif i > SLOW and not slow_done:
                slow_done, stabilised, mu = True, True, mu / 2
            old2, old = old, w.copy()
            u = w @ z
            e = np.exp(-u * u / 2)
            g = u * e
            g1, beta, zg = ((1 - u * u) * e).sum(), (u * g).sum(), z @ g
            if stabilised:
                w = (w - mu * (zg - w * beta) / (g1 - beta)) / n
            else:
                w = (zg - w * g1) / n
            w = w / np.linalg.norm(w)
            iterations, i = i, i + 1
            if i >= LIMIT:
                break
        if accepted:
            b[:, q] = w
        out.append({"iterations": iterations, "accepted": accepted, "change": last, "w": w})
    return out


def whiten(x):
    xc = x - x.mean(axis=0)
    lam, e = np.linalg.eigh(np.cov(xc, rowvar=False))
    order = np.argsort(lam)[::-1]
    return np.diag(lam[order] ** -0.5) @ e[:, order].T @ xc.T


def mixtures(rng, n, d):
    t = np.arange(n)
    s = np.column_stack([np.sin(t / 9.0), np.sign(np.sin(t / 5.3)), rng.uniform(-1, 1, n),
                         (t % 17) / 17.0 - 0.5][:d])
    return s @ rng.uniform(0.5, 2.0, (d, d))


def case(name, x, k, chaotic=False):
    z = whiten(x)
    components = [{key: c[key] for key in ("iterations", "accepted", "change")}
                  for c in fastica(z, k)]
    return {"name": name, "z": z.tolist(), "k": k, "chaotic": chaotic, "components": components}


def near_gaussian(rng, n):
    s = sum(rng.uniform(-1, 1, (n, 3)) for _ in range(3))
    s[:, 2] = rng.laplace(size=n)
    return s @ rng.uniform(0.5, 2.0, (3, 3))


def main():
    rng = np.random.default_rng(20261208)
    cases = [
        case("mixtures_of_three", mixtures(rng, 400, 3), 3),
        case("two_of_four_mixtures", mixtures(rng, 300, 4), 2),
        case("sums_of_uniforms_and_laplace", near_gaussian(np.random.default_rng(3), 800), 3),
        # Gaussian data: the first component passes the slow-convergence threshold.
        case("gaussian_two_slow", np.random.default_rng(6).standard_normal((100, 2)), 2, True),
    ]
    for c in cases:
        print(c["name"], [(m["iterations"], m["accepted"]) for m in c["components"]],
              file=sys.stderr)
    path = os.path.join(HERE, "data", "fastica_convergence.json")
    with open(path, "w") as f:
        json.dump({"cases": cases}, f, separators=(",", ":"))
        f.write("\n")
    print("wrote", path, os.path.getsize(path), "bytes", file=sys.stderr)


if __name__ == "__main__":
    main()
