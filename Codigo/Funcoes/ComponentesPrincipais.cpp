#include "ComponentesPrincipais.h"

#include <cmath>
#include <numeric>

TabelaAutovalores tabela_autovalores(const std::vector<double>& lambda) {
  TabelaAutovalores t;
  t.total = std::accumulate(lambda.begin(), lambda.end(), 0.0);
  double running = 0;
  for (std::size_t j = 0; j < lambda.size(); ++j) {
    if (j + 1 < lambda.size()) t.diferencas.push_back(lambda[j] - lambda[j + 1]);
    running += lambda[j];
    t.proporcoes.push_back(lambda[j] / t.total);
    t.acumuladas.push_back(running / t.total);
  }
  return t;
}

std::size_t fatores_kaiser(const std::vector<double>& lambda) {
  std::size_t k = 0;
  while (k < lambda.size() && lambda[k] > 1.0)
    ++k;
  return k;
}

std::size_t fatores_proporcao(const std::vector<double>& acumuladas, double pct) {
  const double target = 0.01 * pct;
  for (std::size_t j = 0; j < acumuladas.size(); ++j)
    if (acumuladas[j] >= target) return j + 1;
  return acumuladas.size();
}

Matriz cargas(const std::vector<double>& lambda, const Matriz& V, std::size_t k) {
  Matriz L;
  if (k == 0) return L;
  L.reserve(Rows(V));
  for (const std::vector<double>& row : V) {
    std::vector<double> loadings(k);
    for (std::size_t j = 0; j < k; ++j)
      loadings[j] = row[j] * std::sqrt(lambda[j]);
    L.push_back(std::move(loadings));
  }
  return L;
}

std::vector<double> comunalidades(const Matriz& L) {
  std::vector<double> h;
  h.reserve(Rows(L));
  for (const std::vector<double>& row : L) {
    double sum = 0;
    for (double l : row)
      sum += l * l;
    h.push_back(sum);
  }
  return h;
}

std::vector<double> variancias_explicadas(const Matriz& L) {
  std::vector<double> explained(Columns(L), 0.0);
  for (const std::vector<double>& row : L)
    for (std::size_t j = 0; j < explained.size(); ++j)
      explained[j] += row[j] * row[j];
  return explained;
}

bool e_matriz_de_correlacoes(const Matriz& A, double tolerancia) {
  const std::size_t n = Rows(A);
  if (n == 0) return false;
  for (const std::vector<double>& row : A)
    if (row.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (!(std::fabs(A[i][i] - 1.0) <= tolerancia)) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (!(std::fabs(A[i][j] - A[j][i]) <= tolerancia)) return false;
  }
  return true;
}

Matriz escores_componentes(const Matriz& X, const std::vector<double>& medias,
                           const std::vector<double>& desvios, const std::vector<double>& lambda,
                           const Matriz& V, std::size_t k) {
  const std::size_t p = medias.size();
  // The weights by component, so that each score is one pass over a contiguous row.
  Matriz pesos(k, std::vector<double>(p));
  for (std::size_t j = 0; j < k; ++j) {
    const double raiz = std::sqrt(lambda[j]);
    for (std::size_t m = 0; m < p; ++m)
      pesos[j][m] = V[m][j] / raiz;
  }
  Matriz F(Rows(X), std::vector<double>(k));
  std::vector<double> z(p);
  for (std::size_t i = 0; i < Rows(X); ++i) {
    for (std::size_t m = 0; m < p; ++m)
      z[m] = (X[i][m] - medias[m]) / desvios[m];
    for (std::size_t j = 0; j < k; ++j) {
      double s = 0;
      for (std::size_t m = 0; m < p; ++m)
        s += z[m] * pesos[j][m];
      F[i][j] = s;
    }
  }
  return F;
}
