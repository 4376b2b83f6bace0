// The Rayleigh-Ritz step that separates the eigenvectors of a tight cluster of eigenvalues of
// a symmetric tridiagonal matrix T, when inverse iteration left them mixed.
//
// With Y the k vectors of the cluster made orthonormal (modified Gram-Schmidt, twice), the
// small symmetric matrix H = Y^T T Y is diagonalised by cyclic Jacobi rotations, H = W D W^T;
// the columns of Y W are then the eigenvectors of T within the subspace Y spans, and the
// diagonal of D their Rayleigh quotients.
#pragma once

#include <cstddef>
#include <vector>

#include "AutovaloresInterno.h"

namespace interno {

// The vectors y of `group`, of length m, replaced by Y W, and their values by the diagonal of D.
void SeparateCluster(const double* d, const double* e, std::size_t m,
                     std::vector<Eigenpair*>& group);

} // namespace interno
