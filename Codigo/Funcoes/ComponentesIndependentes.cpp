#include "ComponentesIndependentes.h"

#include <algorithm>
#include <cmath>

#include "Autovalores.h"

std::uint32_t numero_de_componentes(std::size_t sinais, bool limitado, int limite) {
  if (limitado) return limite < 0 ? 0u : static_cast<std::uint32_t>(limite);
  return static_cast<std::uint32_t>(std::min<std::size_t>(sinais, 99));
}

namespace {
bool Fail(ResultadoIca& r, FalhaIca falha) {
  r.falha = falha;
  return false;
}

// A p x p matrix with f(lambda(j)) on the diagonal.
template <class F> Matriz Diagonal(const std::vector<double>& lambda, F f) {
  Matriz d(lambda.size(), std::vector<double>(lambda.size(), 0.0));
  for (std::size_t j = 0; j < lambda.size(); ++j)
    d[j][j] = f(lambda[j]);
  return d;
}

bool Rectangular(const Matriz& X) {
  const std::size_t p = Columns(X);
  return std::all_of(X.begin(), X.end(), [p](const auto& row) { return row.size() == p; });
}
} // namespace

bool componentes_independentes(const Matriz& X, std::uint32_t k, ResultadoIca& r) {
  r = ResultadoIca{};
  const std::size_t n = Rows(X), p = Columns(X);
  if (n < 2 || p == 0 || !Rectangular(X) || k < 1 || k > p) return Fail(r, FalhaIca::Dimensoes);

  if (!covariancias(X, r.covariancia, r.medias, r.desvios)) return Fail(r, FalhaIca::Covariancias);
  Matriz xc = X;
  for (auto& row : xc)
    for (std::size_t j = 0; j < p; ++j)
      row[j] -= r.medias[j];
  Matriz cv;
  std::vector<double> medias_xc, desvios_xc;
  if (!covariancias(xc, cv, medias_xc, desvios_xc)) return Fail(r, FalhaIca::Covariancias);

  if (!autovalores(cv, r.autovalores, r.autovetores)) return Fail(r, FalhaIca::Autovalores);
  const double largest = *std::max_element(r.autovalores.begin(), r.autovalores.end());
  const bool singular =
      !(largest > 0) || Columns(r.autovetores) != p ||
      std::any_of(r.autovalores.begin(), r.autovalores.end(),
                  [largest](double lambda) { return !(lambda > kIcaMenorAutovalor * largest); });
  if (singular) return Fail(r, FalhaIca::AutovalorNaoPositivo);

  Matriz et, xct, z;
  transpoe(r.autovetores, et);
  transpoe(xc, xct);
  const Matriz raiz_inversa = Diagonal(r.autovalores, [](double l) { return std::sqrt(1 / l); });
  const Matriz raiz = Diagonal(r.autovalores, [](double l) { return std::sqrt(l); });
  if (!multiplica(raiz_inversa, et, r.branqueamento) ||
      !multiplica(r.autovetores, raiz, r.desbranqueamento) || !multiplica(r.branqueamento, xct, z))
    return Fail(r, FalhaIca::Produto);

  if (!fastica(z, r.branqueamento, r.desbranqueamento, k, r.mixing, r.demixing, r.relatorio))
    return Fail(r, FalhaIca::Fastica);
  if (!multiplica(r.demixing, xct, r.fontes)) return Fail(r, FalhaIca::Produto);
  r.falha = FalhaIca::Nenhuma;
  return true;
}
