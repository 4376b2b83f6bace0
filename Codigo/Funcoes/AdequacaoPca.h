// Whether a correlation matrix suits a principal component analysis: Kaiser-Meyer-Olkin's
// measure of sampling adequacy, overall and per variable, and Bartlett's test of sphericity.
#pragma once

#include <cstddef>
#include <vector>

#include "Matriz.h"
#include "Resultado.h"

enum class FalhaAdequacao {
  Singular,         // R has no inverse (or no Cholesky factor): no partial correlations
  PoucasObservacoes // Bartlett's factor n - 1 - (2p + 5) / 6 is not positive
};
const char* descricao(FalhaAdequacao falha);

// With Q = R^-1, the partial correlations are a(i, j) = -Q(i, j) / sqrt(Q(i, i) Q(j, j)); over
// the pairs i != j,
//   KMO = sum r^2 / (sum r^2 + sum a^2),  MSA(j) the same over the pairs of column j.
struct AdequacaoAmostra {
  double kmo = 0;
  std::vector<double> msa;
};
Resultado<AdequacaoAmostra, FalhaAdequacao> adequacao_amostra(const Matriz& R);

// Bartlett's chi-squared -(n - 1 - (2p + 5) / 6) ln|R| with p (p - 1) / 2 degrees of freedom,
// ln|R| = 2 sum ln L(j, j) for the Cholesky factor L of R (with our own logarithm, so that the
// value is the same on every platform).
struct EsfericidadeBartlett {
  double qui2 = 0;
  double gl = 0;
};
Resultado<EsfericidadeBartlett, FalhaAdequacao> esfericidade_bartlett(const Matriz& R,
                                                                      std::size_t n);
