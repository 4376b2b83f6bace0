// Eigenvalues and unit eigenvectors of a real symmetric matrix (a correlation matrix for the
// principal components, a covariance matrix for the whitening of the independent components),
// by Householder reduction and the unshifted QR iteration. Follows the conventions of Matriz.h.
#pragma once

#include <cstdint>
#include <vector>

#include "Matriz.h"
#include "QrMatrizCheia.h" // reduz_hessenberg, decompoe_qr, convergiu

// Why a matrix has no complete eigen-decomposition.
enum class FalhaAutovalores {
  NaoQuadrada,      // empty or not square
  NaoFinita,        // an element, or a value met on the way, is not a finite number
  SemConvergencia,  // the QR iteration met its step limit
  AutovalorNegativo // some eigenvalue is below 0: the eigenvalues, and no vectors
};
const char* descricao(FalhaAutovalores falha);

// The eigenvalues in decreasing order and their unit eigenvectors (column j of `vetores` for
// `valores[j]`), with what the QR iteration did: its steps, and the diagonal it converged to, in
// the order of the returned eigenvalues, before each value is refined as the Rayleigh quotient
// of its eigenvector.
struct Espectro {
  std::vector<double> valores;
  Matriz vetores;
  std::uint64_t passos_qr = 0;
  std::vector<double> diagonal_qr;
};

// The reason, with what was reached: every eigenvalue when one is negative, and the QR steps
// made (kEigenStepLimit when the iteration gave up).
struct FalhaEspectral {
  FalhaAutovalores motivo = FalhaAutovalores::NaoQuadrada;
  std::vector<double> valores = {};
  std::uint64_t passos_qr = 0;
};

// The QR iteration stops when every sub-diagonal element is within kEigenTolerance times the size
// of the mean diagonal element, |trace(A)| / n (exactly kEigenTolerance for a correlation matrix,
// and in proportion for a covariance matrix whatever the units of the data), and gives up after
// kEigenStepLimit steps.
inline constexpr double kEigenTolerance = 1e-5;
inline constexpr std::uint64_t kEigenStepLimit = 1'000'000;

// Eigen-decomposition of a symmetric matrix A (the mean of A and A^T is used):
//  1. T = P^T A P tridiagonal, as `reduz_hessenberg` makes it (here on the lower triangle, with
//     the reflectors applied as rank-2 updates); a sub-diagonal element below the rounding of
//     its two diagonal neighbours, |e_k| <= eps (|d_k| + |d_k+1|), is set to 0, so that T falls
//     into independent blocks (one per block of a block-diagonal input).
//  2. The unshifted QR iteration T <- R Q for T = Q R, carried out on the tridiagonal matrix
//     with plane rotations (O(n) per step; a step on a tridiagonal matrix gives again a
//     tridiagonal matrix), until every sub-diagonal element lies within the tolerance above; at
//     least one step is made. Each step is taken in the root-free form on the squares of the
//     sub-diagonal elements:
//       g_0 = a_0, p_0 = a_0^2; for k = 0 .. n-2:  r^2 = p_k + b_k^2,
//       c_k^2 = p_k / r^2, s_k^2 = b_k^2 / r^2,  b'_{k-1}^2 = s_{k-1}^2 r^2,
//       g_{k+1} = c_k^2 a_{k+1} - s_k^2 g_k,  a'_k = g_k + a_{k+1} - g_{k+1},
//       p_{k+1} = g_{k+1}^2 / c_k^2 (or c_{k-1}^2 b_k^2 when c_k = 0);
//     a'_{n-1} = g_{n-1}, b'_{n-2}^2 = s_{n-2}^2 p_{n-1}.
//     A sub-diagonal element is let go (set to 0, and the blocks it separates go on
//     independently) once it is below the rounding of its neighbours, or below 1e-8 of their
//     size when they stand in decreasing order of magnitude, where the iteration can only shrink
//     it further.
//  3. For each value lambda of the converged diagonal, the eigenvector of its block of T by
//     inverse iteration, (T - sigma I) y = x, started from sigma = lambda and continued with the
//     Rayleigh quotient sigma = x^T T x of the iterate; the iterate is orthogonalised against
//     the vectors already found for eigenvalues within 1e-3 |T| of sigma. Vectors of a tight
//     cluster that end with a residual |T y - sigma y| above the rounding level are recombined by
//     a Rayleigh-Ritz step (the eigenvectors of Y^T T Y). The eigenvalue returned is the Rayleigh
//     quotient of its vector: the converged diagonal is within about e^2 / gap of it, the
//     returned value within rounding.
//  4. V = P Y, each column scaled to unit length and signed so that its components have a
//     positive sum (a column whose sum is exactly 0 is negated).
// The pairs come in decreasing order of eigenvalue. An eigenvalue below 0 leaves the vectors out
// (AutovalorNegativo, with the eigenvalues). No decomposition when A is empty, not square or not
// finite, or when the iteration does not converge within the step limit (eigenvalues of equal or
// nearly equal size and opposite sign keep the unshifted iteration from converging).
Resultado<Espectro, FalhaEspectral> decomposicao_espectral(const Matriz& A);
// The same into the caller's lambda and V. An eigenvalue below 0 is not a failure here: the
// eigenvalues are returned, V is left empty and the result is true (the caller tests the
// eigenvalues). False for the other reasons above, with both outputs empty.
bool autovalores(Matriz A, std::vector<double>& lambda, Matriz& V);
