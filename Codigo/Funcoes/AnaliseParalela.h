// Horn's parallel analysis: the eigenvalues of the correlation matrices of n x p independent
// standard normal samples, simulated, against which the data's eigenvalues are judged. The
// simulated matrices are drawn directly: the cross-product matrix of n - 1 centred normal
// vectors is Wishart(n - 1, I), drawn by the Bartlett decomposition W = L L^T (L lower
// triangular, L(i, i)^2 chi-squared with n - 1 - i degrees of freedom, L(i, j) standard normal
// below the diagonal), so that the cost does not grow with n; with fewer than p degrees of
// freedom, as the sum of n - 1 outer products of normal vectors. The correlation matrix is
// W(i, j) / sqrt(W(i, i) W(j, j)).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Resultado.h"

// The generator's fixed seed (Aleatorio.h), so that every run and every platform gives the same
// numbers, and the number of simulated matrices.
inline constexpr std::uint64_t kSementeParalela = 20'290'401;
inline constexpr std::size_t kReplicasParalela = 500;

enum class FalhaParalela {
  PoucasObservacoes, // n < 2 or p < 1
  SemConvergencia    // the QL iteration of a simulated matrix met its step limit
};
const char* descricao(FalhaParalela falha);

// For each rank j (eigenvalues in decreasing order), the mean and the 95th percentile of the
// simulated eigenvalues, and K: the number of leading eigenvalues of the data above their
// percentile, counted up to the first that is not.
struct ResultadoParalela {
  std::vector<double> media;
  std::vector<double> percentil95;
  std::size_t fatores = 0;
};
Resultado<ResultadoParalela, FalhaParalela>
analise_paralela(std::size_t n, const std::vector<double>& lambda,
                 std::size_t replicas = kReplicasParalela,
                 std::uint64_t semente = kSementeParalela);

// The q-quantile (0 <= q <= 1) by linear interpolation between order statistics (Hyndman and
// Fan's type 7, numpy's default): h = (N - 1) q, x(floor h) + (h - floor h)(x(floor h + 1) -
// x(floor h)) over the sorted values.
double percentil(std::vector<double> x, double q);

// The eigenvalues, in decreasing order, of the symmetric n x n matrix whose lower triangle is
// in the row-major `a` (overwritten): Householder tridiagonalisation, then the implicit QL
// iteration with Wilkinson's shift on the tridiagonal matrix (values only). False when some
// eigenvalue needs more than 60 steps.
bool autovalores_simetrica(std::vector<double>& a, std::size_t n, std::vector<double>& valores);
