#!/usr/bin/python3
"""statsmodels' part of the regression benchmark: OLS with its summary statistics (coefficients,
standard errors, t and p, R², F and its p, Durbin-Watson) on 16 explanatory variables x 10,000
rows of the same shape as bench_result_workbooks makes them. Best of five.

    /usr/bin/python3 bench/statsmodels_ols.py
"""
import timeit

import numpy as np
import statsmodels.api as sm
from statsmodels.stats.stattools import durbin_watson

rng = np.random.default_rng(1)
rows, columns, factors = 10000, 17, 5
common = rng.uniform(-0.5, 0.5, size=(rows, factors))
index = np.arange(columns)
data = common[:, index % factors] + 0.5 * common[:, (index + 1) % factors] + rng.uniform(
    -0.5, 0.5, size=(rows, columns))


def ols():
    fit = sm.OLS(data[:, 0], sm.add_constant(data[:, 1:])).fit()
    return fit.params, fit.bse, fit.tvalues, fit.pvalues, fit.rsquared_adj, fit.f_pvalue, \
        durbin_watson(fit.resid)


seconds = min(timeit.repeat(ols, number=1, repeat=5))
print(f"  {'statsmodels: OLS of the same shape':46} {seconds:8.3f} s")
