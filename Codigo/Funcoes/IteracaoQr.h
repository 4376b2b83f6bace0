// The unshifted QR iteration T <- R Q for T = Q R on a symmetric tridiagonal matrix, carried
// out with plane rotations (O(n) per step; a step on a tridiagonal matrix gives again a
// tridiagonal matrix) in the root-free form on the squares b_k^2 of the sub-diagonal elements.
// With a the diagonal, one step is
//   g_0 = a_0, p_0 = a_0^2; for k = 0 .. n-2:  r^2 = p_k + b_k^2,
//   c_k^2 = p_k / r^2, s_k^2 = b_k^2 / r^2,  b'_{k-1}^2 = s_{k-1}^2 r^2,
//   g_{k+1} = c_k^2 a_{k+1} - s_k^2 g_k,  a'_k = g_k + a_{k+1} - g_{k+1},
//   p_{k+1} = g_{k+1}^2 / c_k^2 (or c_{k-1}^2 b_k^2 when c_k = 0);
//   a'_{n-1} = g_{n-1}, b'_{n-2}^2 = s_{n-2}^2 p_{n-1}.
// A sub-diagonal element is let go (set to 0, and the blocks it separates go on independently)
// once it is below the rounding of its neighbours, or below 1e-8 of their size when they stand
// in decreasing order of magnitude, where the iteration can only shrink it further.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "AutovaloresInterno.h"
#include "Resultado.h"

namespace interno {

// Below the rounding of its diagonal neighbours a and b, a sub-diagonal square e2 counts as
// zero: e2 <= (eps (|a| + |b|))^2.
bool Negligible(double e2, double a, double b);

// The unreduced blocks of a tridiagonal matrix of order n whose negligible sub-diagonal
// elements e are 0, in order.
std::vector<Block> Blocks(const std::vector<double>& e, std::size_t n);

// Why the iteration has no converged diagonal.
enum class FalhaIteracaoQr {
  LimiteDePassos, // kEigenStepLimit steps made without meeting the tolerance
  NaoFinita       // a value is not a finite number at the end
};

// The iteration on the diagonal d and the sub-diagonal squares e2 (of a matrix scaled to
// magnitude 1) until every sub-diagonal square is at most tolerance^2, tested after every step;
// at least one step is made, at most kEigenStepLimit. `steps` counts the steps made, whether the
// iteration converged or not.
Resultado<void, FalhaIteracaoQr> QrIteration(std::vector<double>& d, std::vector<double>& e2,
                                             double tolerance, std::uint64_t& steps);

} // namespace interno
