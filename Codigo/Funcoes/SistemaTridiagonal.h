// Solution of (T - sigma I) y = b for a symmetric tridiagonal T, for the inverse iteration:
// Gaussian elimination with partial pivoting (row exchanges between neighbouring rows), laid out
// as LAPACK's dgttrf lays it out. U is upper triangular with the diagonal dd and two
// super-diagonals du, du2; L is unit lower bidiagonal with the multipliers dl, and `swapped`
// marks the steps that exchanged rows i and i+1. At step i the pivot is the larger in size of
// dd_i and dl_i (= e_i):
//   no exchange:  f = dl_i / dd_i,  dd_{i+1} -= f du_i;
//   exchange:     f = dd_i / dl_i,  the rows i and i+1 trade places and row i+1 -= f row i.
// A pivot below `tiny` in size is replaced by tiny (with its sign), so that a shift on an
// eigenvalue still gives a (huge) solution instead of a division by zero.
#pragma once

#include <cstddef>
#include <vector>

namespace interno {

struct TridiagonalLu {
  std::vector<double> dl, dd, du, du2;
  std::vector<double> inverse; // 1 / dd: the back substitution multiplies
  std::vector<char> swapped;

  // Factors T - sigma I, T of order m >= 2 with diagonal d and sub-diagonal e.
  void Factor(const double* d, const double* e, std::size_t m, double sigma, double tiny);
  // b <- (T - sigma I)^-1 b: forward through L, then back substitution through U.
  void Solve(std::vector<double>& b) const;
};

} // namespace interno
