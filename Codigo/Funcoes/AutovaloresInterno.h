// What the units of the eigen-decomposition share among themselves: the rounding unit, checks
// on the input, the product with a tridiagonal matrix, the blocks of a split tridiagonal matrix
// and the eigenpairs found in them. Not part of the interface of Autovalores.h.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "Matriz.h"

namespace interno {

inline constexpr double kEps = std::numeric_limits<double>::epsilon();

// True when every row of a is as long as a has rows; n is the number of rows.
inline bool Square(const Matriz& a, std::size_t& n) {
  n = Rows(a);
  return std::all_of(a.begin(), a.end(),
                     [n](const std::vector<double>& row) { return row.size() == n; });
}

inline bool AllFinite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

inline double Norm(const std::vector<double>& x) {
  double s = 0;
  for (double v : x)
    s += v * v;
  return std::sqrt(s);
}

// Element i of (T - shift I) y for the symmetric tridiagonal T of order m with diagonal d and
// sub-diagonal e: (d_i - shift) y_i + e_{i-1} y_{i-1} + e_i y_{i+1}, added in that order.
inline double TridiagonalRow(const double* d, const double* e, std::size_t m, double shift,
                             const double* y, std::size_t i) {
  double v = (d[i] - shift) * y[i];
  if (i > 0) v += e[i - 1] * y[i - 1];
  if (i + 1 < m) v += e[i] * y[i + 1];
  return v;
}

// Rows lo .. hi (inclusive) of a tridiagonal matrix whose sub-diagonal is 0 just outside them.
struct Block {
  std::size_t lo, hi;
};

// An eigenvector y of the block starting at row lo, and its eigenvalue.
struct Eigenpair {
  double value;    // the Rayleigh quotient of the vector
  double diagonal; // the value the QR iteration converged to
  std::size_t lo;  // first row of the block the vector lives in
  std::vector<double> y;
};

// V from the columns of the row-major n x n matrix y: each column scaled to unit length and
// signed so that its components have a positive sum, s = sum_r y(r, c):
//   V(r, c) = y(r, c) / |y(:, c)| when s > 0, and -y(r, c) / |y(:, c)| when s <= 0
// (a column whose sum is exactly 0 is negated).
Matriz UnitColumns(const std::vector<double>& y, std::size_t n);

} // namespace interno
