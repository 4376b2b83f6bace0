#include "AnaliseParalela.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "Aleatorio.h"
#include "ReducaoTridiagonal.h"

const char* descricao(FalhaParalela falha) {
  switch (falha) {
  case FalhaParalela::PoucasObservacoes: return "poucas observações para a análise paralela";
  case FalhaParalela::SemConvergencia: return "iteração QL sem convergência";
  }
  return "motivo desconhecido";
}

namespace {
// sqrt(a^2 + b^2): the elements of a correlation matrix are far from overflow.
double Hipotenusa(double a, double b) {
  return std::sqrt(a * a + b * b);
}

// The implicit QL iteration on the diagonal d and sub-diagonal e (e[i] between i and i + 1).
bool Ql(std::vector<double>& d, std::vector<double> e) {
  const std::size_t n = d.size();
  e.resize(n, 0.0);
  constexpr double eps = 2.220446049250313e-16;
  // A sub-diagonal element below the rounding of the whole matrix counts as zero too, so that
  // clusters of eigenvalues near zero (a rank-deficient matrix) converge.
  double norma = 0;
  for (std::size_t i = 0; i < n; ++i)
    norma = std::max(norma, std::fabs(d[i]) + std::fabs(e[i]) + (i > 0 ? std::fabs(e[i - 1]) : 0));
  for (std::size_t l = 0; l < n; ++l) {
    int passos = 0;
    std::size_t m = l;
    do {
      for (m = l; m + 1 < n; ++m)
        if (std::fabs(e[m]) <= eps * (std::fabs(d[m]) + std::fabs(d[m + 1])) ||
            std::fabs(e[m]) <= eps * norma)
          break;
      if (m == l) break;
      if (++passos > 60) return false;
      double g = (d[l + 1] - d[l]) / (2 * e[l]);
      double r = Hipotenusa(g, 1);
      g = d[m] - d[l] + e[l] / (g + (g >= 0 ? r : -r));
      double s = 1, c = 1, p = 0;
      bool sub_zero = false;
      for (std::size_t i = m; i-- > l;) {
        const double f = s * e[i], b = c * e[i];
        r = Hipotenusa(f, g);
        e[i + 1] = r;
        if (r == 0) { // the matrix splits: start again from l
          d[i + 1] -= p;
          e[m] = 0;
          sub_zero = true;
          break;
        }
        s = f / r;
        c = g / r;
        g = d[i + 1] - p;
        r = (d[i] - g) * s + 2 * c * b;
        p = s * r;
        d[i + 1] = g + p;
        g = c * r - b;
      }
      if (sub_zero) continue;
      d[l] -= p;
      e[l] = g;
      e[m] = 0;
    } while (m != l);
  }
  return true;
}
} // namespace

bool autovalores_simetrica(std::vector<double>& a, std::size_t n, std::vector<double>& valores) {
  interno::Tridiagonal t = interno::Tridiagonalise(a, n);
  valores = std::move(t.d);
  if (!Ql(valores, std::move(t.e))) return false;
  std::sort(valores.begin(), valores.end(), std::greater<>());
  return true;
}

double percentil(std::vector<double> x, double q) {
  std::sort(x.begin(), x.end());
  const double h = static_cast<double>(x.size() - 1) * q;
  const auto lo = static_cast<std::size_t>(std::floor(h));
  if (lo + 1 >= x.size()) return x.back();
  return x[lo] + (h - static_cast<double>(lo)) * (x[lo + 1] - x[lo]);
}

Resultado<ResultadoParalela, FalhaParalela> analise_paralela(std::size_t n,
                                                             const std::vector<double>& lambda,
                                                             std::size_t replicas,
                                                             std::uint64_t semente) {
  const std::size_t p = lambda.size();
  if (n < 2 || p < 1 || replicas < 1) return Falhou{FalhaParalela::PoucasObservacoes};
  const std::size_t gl = n - 1;
  Aleatorio gerador(semente);
  std::vector<std::vector<double>> simulados(p, std::vector<double>(replicas));
  std::vector<double> L(p * p), W(p * p), valores;
  for (std::size_t r = 0; r < replicas; ++r) {
    std::fill(W.begin(), W.end(), 0.0);
    if (gl >= p) {
      // Bartlett: row i of L holds i normals, then the root of a chi-squared(gl - i).
      std::fill(L.begin(), L.end(), 0.0);
      for (std::size_t i = 0; i < p; ++i) {
        for (std::size_t j = 0; j < i; ++j)
          L[i * p + j] = gerador.Normal();
        L[i * p + i] = std::sqrt(gerador.QuiQuadrado(static_cast<std::uint32_t>(gl - i)));
      }
      for (std::size_t i = 0; i < p; ++i)
        for (std::size_t j = 0; j <= i; ++j) {
          double s = 0;
          for (std::size_t m = 0; m <= j; ++m)
            s += L[i * p + m] * L[j * p + m];
          W[i * p + j] = s;
        }
    } else {
      std::vector<double> z(p);
      for (std::size_t k = 0; k < gl; ++k) {
        for (double& v : z)
          v = gerador.Normal();
        for (std::size_t i = 0; i < p; ++i)
          for (std::size_t j = 0; j <= i; ++j)
            W[i * p + j] += z[i] * z[j];
      }
    }
    std::vector<double> raiz(p);
    for (std::size_t i = 0; i < p; ++i)
      raiz[i] = std::sqrt(W[i * p + i]);
    for (std::size_t i = 0; i < p; ++i) {
      for (std::size_t j = 0; j < i; ++j)
        W[i * p + j] /= raiz[i] * raiz[j];
      W[i * p + i] = 1;
    }
    if (!autovalores_simetrica(W, p, valores)) return Falhou{FalhaParalela::SemConvergencia};
    for (std::size_t j = 0; j < p; ++j)
      simulados[j][r] = valores[j];
  }
  ResultadoParalela res;
  res.media.resize(p);
  res.percentil95.resize(p);
  for (std::size_t j = 0; j < p; ++j) {
    double soma = 0;
    for (double v : simulados[j])
      soma += v;
    res.media[j] = soma / static_cast<double>(replicas);
    res.percentil95[j] = percentil(simulados[j], 0.95);
  }
  while (res.fatores < p && lambda[res.fatores] > res.percentil95[res.fatores])
    ++res.fatores;
  return res;
}
