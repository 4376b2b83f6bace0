// Householder reduction of a symmetric matrix to tridiagonal form, T = P^T A P, and the way
// back from eigenvectors of T to those of A. The reflectors are those of Householder.h.
#pragma once

#include <cstddef>
#include <vector>

namespace interno {

// T = P^T A P: diagonal d, sub-diagonal e, and the reflectors whose product is
// P = P_0 P_1 .. P_{n-3} (step k acts on rows k+1 .. n-1; beta 0 for a skipped step).
struct Tridiagonal {
  std::vector<double> d, e;
  std::vector<std::vector<double>> u;
  std::vector<double> beta;
};

// Step k reflects the segment x = A(k+1 .. n-1, k) to (e_k, 0, .., 0) and updates the trailing
// block B = A(k+1 .., k+1 ..) on both sides. With H = I - beta u u^T the two-sided product is
// the rank-2 update
//   p = beta B u,  w = p - (beta / 2) (u^T p) u,  B <- H B H = B - u w^T - w u^T.
// Only the lower triangle of a (row-major n x n, symmetric) is read and updated; it is
// overwritten. An all-zero segment is already reduced: e_k = 0 and no reflector.
Tridiagonal Tridiagonalise(std::vector<double>& a, std::size_t n);

// y <- P y for the row-major n x n matrix y: the reflectors applied from the last to the first,
// taking eigenvectors of T to eigenvectors of A.
void ApplyReflectors(const Tridiagonal& t, std::vector<double>& y, std::size_t n);

} // namespace interno
