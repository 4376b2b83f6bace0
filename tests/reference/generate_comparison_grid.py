#!/usr/bin/python3
"""Reference grids for the interpolation comparison tool, from independent implementations.

Run with Debian's Python (numpy, scipy, mpmath):
    /usr/bin/python3 tests/reference/generate_comparison_grid.py
It writes tests/reference/data/comparison_grid.json, which the C++ tests read; the tests
themselves need no Python.

References:
  * grid days: L = the last vertex's workdays; L < 250: days 1 .. L; else 250 points on
    ceil(i L / 250) + 1 in exact rational arithmetic (fractions); each vertex at or before a
    point takes a row of its own in place of the point, a point that reaches no vertex is a row;
    the vertices past the last point (the last one among them) end the grid with a row each;
  * cubic spline: scipy.interpolate.CubicSpline over the vertex index with a zero first
    derivative at the first vertex and a zero second derivative at the last;
  * exponential interpolation: the closed form F^(252/D) - 1 in mpmath (60 digits), with
    F = F_{k-1} (F_k / F_{k-1})^t and F_k = (1 + r_k)^(d_k / 252).
The cases include lengths L for which i x (L x 0.004) taken in doubles lands just above a whole
number (L = 270, 275, 280), so that a grid computed that way would skip to the next day.
"""
import csv
import json
import math
import os
import sys
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import generate_worksheet_functions as references  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def grid_days(days):
    """(day, vertex index or None) for each row."""
    last = days[-1]
    if last < 250:
        points = [i + 1 for i in range(last)]
    else:
        points = [math.ceil(Fraction(i * last, 250)) + 1 for i in range(250)]
    rows = []
    v = 0
    for point in points:
        passed = []
        while v < len(days) and days[v] <= point:
            passed.append(v)
            v += 1
        if passed:
            rows.extend((days[k], k) for k in passed)
        else:
            rows.append((point, None))
    rows.extend((days[k], k) for k in range(v, len(days)))
    return rows


# The grid stays within the curve (days 1 .. L), where the worksheet functions' references are
# the tool's: the spline by scipy, the exponential interpolation by mpmath's closed form.
def spline(days, rates, d):
    return references.spline(days, rates, d)


def exponential(days, rates, d):
    return references.exponential(days, rates, d, 0.0)


def curves():
    with open(os.path.join(ROOT, "data", "yield_curve.csv")) as f:
        treasury = [(float(r[0]), int(r[1])) for r in csv.reader(f) if r[0] != "rate"]
    # More vertices than grid points: every day up to 400, then two far vertices.
    crowded = [(0.10 + 0.02 * (1 - math.exp(-d / 150)), d) for d in range(1, 401)]
    crowded += [(0.121, 500), (0.122, 600)]
    return {
        "two": [(0.10, 21), (0.12, 63)],
        "three": [(0.10, 21), (0.11, 42), (0.12, 63)],
        "short": [(0.1150, 10), (0.1160, 30), (0.1180, 60), (0.1210, 120)],
        "thousand": [(0.11, 21), (0.115, 63), (0.12, 252), (0.125, 504), (0.13, 1000)],
        "treasury": treasury,
        "crowded": crowded,
        "step 1.08": [(0.14, 5), (0.13, 100), (0.125, 270)],
        "step 1.1": [(0.14, 1), (0.13, 56), (0.125, 275)],
        "step 1.12": [(0.09, 28), (0.10, 140), (0.105, 280)],
        "beyond 16 bits": [(0.10, 252), (0.12, 2520), (0.13, 40000)],
    }


def main():
    cases = []
    for name, rows in curves().items():
        rates = [r for r, _ in rows]
        days = [d for _, d in rows]
        grid = grid_days(days)
        cases.append({
            "name": name, "rates": rates, "days": days,
            "grid_days": [d for d, _ in grid],
            "vertex": [k for _, k in grid],
            "spline": [spline(days, rates, d) for d, _ in grid],
            "exponential": [exponential(days, rates, d) for d, _ in grid],
        })
    path = os.path.join(HERE, "data", "comparison_grid.json")
    with open(path, "w") as f:
        json.dump({"grids": cases}, f, indent=1)
        f.write("\n")
    print("wrote", path, file=sys.stderr)


if __name__ == "__main__":
    main()
