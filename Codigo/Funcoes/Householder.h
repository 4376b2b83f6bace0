// Householder reflections, for the eigen-decomposition (the Hessenberg and tridiagonal
// reductions, the QR factorisation of the full-matrix form) and for the QR factorisation of the
// regression.
//
// For a column segment x = (x0 .. xm-1) with alpha = |x|:
//   u0 = x0 - alpha when x0 < 0, else x0 + alpha (a zero x0 counts as positive);
//   ui = xi for i >= 1;
//   H = I - beta u u^T with beta = 2 / |u|^2,
// so that H x = (-sign(x0) alpha, 0, .., 0) and u0 never loses digits to cancellation. H is
// symmetric and orthogonal; it does not depend on the scale of u.
#pragma once

#include <cstddef>
#include <vector>

namespace interno {

// The reflector of the segment x (length m >= 1). u is x scaled by a power of two near
// 1 / max|xi| (exactly, and so that neither |x|^2 nor |u|^2 can overflow or underflow); `image` =
// -sign(x0) |x| is the only non-zero element of H x. False, with nothing written, when x is all
// zero: it is already reduced (and its reflector would divide by |u|^2 = 0).
bool Householder(const double* x, std::size_t m, std::vector<double>& u, double& beta,
                 double& image);

// x <- H x for the contiguous segment x of length u.size(): x - beta (u^T x) u.
void ReflectVector(const std::vector<double>& u, double beta, double* x);

// On a row-major n x n matrix a, with m = u.size():
// a <- H a on rows first .. first+m-1, columns from .. n-1 (work is scratch of length n);
void ReflectRows(double* a, std::size_t n, std::size_t first, const std::vector<double>& u,
                 double beta, std::size_t from, std::vector<double>& work);
// a <- a H on columns first .. first+m-1, every row.
void ReflectColumns(double* a, std::size_t n, std::size_t first, const std::vector<double>& u,
                    double beta);

} // namespace interno
