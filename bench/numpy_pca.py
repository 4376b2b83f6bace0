#!/usr/bin/python3
"""numpy's part of the PCA benchmark: the correlation matrix and its eigen-decomposition of 100
variables x 20,000 rows (seven common factors plus noise, as bench_result_workbooks makes them),
the work the PCA tool does between OK and its first table. Best of five.

    /usr/bin/python3 bench/numpy_pca.py
"""
import timeit

import numpy as np

rng = np.random.default_rng(1)
rows, columns, factors = 20000, 100, 7
common = rng.uniform(-0.5, 0.5, size=(rows, factors))
index = np.arange(columns)
x = common[:, index % factors] + 0.5 * common[:, (index + 1) % factors] + rng.uniform(
    -0.5, 0.5, size=(rows, columns))


def pca():
    return np.linalg.eigh(np.corrcoef(x, rowvar=False))


seconds = min(timeit.repeat(pca, number=1, repeat=5))
print(f"  {'numpy: corrcoef + eigh of the same shape':46} {seconds:8.3f} s")
