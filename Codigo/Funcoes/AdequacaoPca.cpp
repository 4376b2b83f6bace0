#include "AdequacaoPca.h"

#include <cmath>

#include "Aleatorio.h"

const char* descricao(FalhaAdequacao falha) {
  switch (falha) {
  case FalhaAdequacao::Singular: return "matriz de correlações singular";
  case FalhaAdequacao::PoucasObservacoes: return "poucas observações para o teste de Bartlett";
  }
  return "motivo desconhecido";
}

Resultado<AdequacaoAmostra, FalhaAdequacao> adequacao_amostra(const Matriz& R) {
  const std::size_t p = Rows(R);
  auto q = inversa(R);
  if (!q) return Falhou{FalhaAdequacao::Singular};
  const Matriz& Q = *q;
  for (std::size_t j = 0; j < p; ++j)
    if (!(Q[j][j] > 0)) return Falhou{FalhaAdequacao::Singular};
  AdequacaoAmostra a;
  a.msa.resize(p);
  double r2 = 0, a2 = 0;
  for (std::size_t j = 0; j < p; ++j) {
    double rj = 0, aj = 0;
    for (std::size_t i = 0; i < p; ++i) {
      if (i == j) continue;
      const double partial = Q[i][j] / std::sqrt(Q[i][i] * Q[j][j]);
      rj += R[i][j] * R[i][j];
      aj += partial * partial;
    }
    a.msa[j] = rj / (rj + aj);
    r2 += rj;
    a2 += aj;
  }
  a.kmo = r2 / (r2 + a2);
  return a;
}

Resultado<EsfericidadeBartlett, FalhaAdequacao> esfericidade_bartlett(const Matriz& R,
                                                                      std::size_t n) {
  const std::size_t p = Rows(R);
  const double fator = static_cast<double>(n) - 1 - (2.0 * static_cast<double>(p) + 5) / 6;
  if (!(fator > 0)) return Falhou{FalhaAdequacao::PoucasObservacoes};
  // Cholesky on the lower triangle, row by row.
  Matriz L(p, std::vector<double>(p, 0.0));
  double log_det = 0;
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      double s = R[i][j];
      for (std::size_t m = 0; m < j; ++m)
        s -= L[i][m] * L[j][m];
      if (i == j) {
        if (!(s > 0)) return Falhou{FalhaAdequacao::Singular};
        L[i][i] = std::sqrt(s);
        log_det += 2 * logaritmo(L[i][i]);
      } else {
        L[i][j] = s / L[j][j];
      }
    }
  }
  const double pd = static_cast<double>(p);
  return EsfericidadeBartlett{-fator * log_det, pd * (pd - 1) / 2};
}
