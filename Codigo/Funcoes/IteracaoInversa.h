// Eigenvectors of a symmetric tridiagonal block T by inverse iteration with Rayleigh quotient
// shifts: from a start vector x and a shift sigma (the eigenvalue the QR iteration converged
// to),
//   solve (T - sigma I) y = x,  x <- y / |y|,  sigma <- x^T T x / x^T x,
// until |y| is so large that the residual |(T - sigma I) x| = 1 / |y| is at the rounding level
// of T (at most 8 solutions). Iterates are orthogonalised against the vectors already found for
// eigenvalues within 1e-3 |T| of the shift; vectors of a cluster whose residual stays above the
// rounding level are taken apart by the Rayleigh-Ritz step of RayleighRitz.h. The eigenvalue of
// each vector is its Rayleigh quotient.
#pragma once

#include <cstddef>
#include <vector>

#include "AutovaloresInterno.h"
#include "Resultado.h"

namespace interno {

enum class FalhaIteracaoInversa {
  SolucaoNaoFinita // a solution overflows even from a tiny right-hand side
};

// Eigenvectors of the unreduced block (d, e) of order m >= 2 that starts at row lo, one per
// converged diagonal value in `shifts`, appended to `pairs`.
Resultado<void, FalhaIteracaoInversa> InverseIteration(const double* d, const double* e,
                                                       std::size_t m, std::size_t lo,
                                                       std::vector<double> shifts,
                                                       std::vector<Eigenpair>& pairs);

} // namespace interno
