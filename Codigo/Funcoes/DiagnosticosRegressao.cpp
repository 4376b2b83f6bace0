#include "DiagnosticosRegressao.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Householder.h"

namespace {
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

CelulaRegressao Div0() {
  return {false, 0, kErroDiv0};
}

// The fit seen from each observation, in the centred, scaled coordinates of the fit:
// z_i = ((x_ij - mean_j) / sd_j), u_i = z_i W (the row of Q), and the row
// c_i = (X'X)^-1 x_i in the coordinates of b (so that b = sum_i c_i y_i).
class Observacoes {
public:
  Observacoes(const Matriz& D, const ResultadoRegressao& fit)
      : D_(D), fit_(fit), n_(Rows(D)), k_(Columns(D) - 1), z_(k_), u_(k_), c_(k_ + 1) {}

  // Row i's leverage, and c_i in c().
  double At(std::size_t i) {
    const std::vector<double>& W = fit_.inversa_r;
    for (std::size_t j = 0; j < k_; ++j)
      z_[j] = (D_[i][j + 1] - fit_.medias[j + 1]) / fit_.desvios[j + 1];
    double h = 1.0 / static_cast<double>(n_);
    for (std::size_t l = 0; l < k_; ++l) {
      double s = 0;
      for (std::size_t j = 0; j <= l; ++j)
        s += z_[j] * W[j * k_ + l];
      u_[l] = s;
      h += s * s;
    }
    // In the coordinates (intercept, z): (1/n, W u_i); b_j = gamma_j / sd_j and
    // b_0 = gamma_0 - sum_j (mean_j / sd_j) gamma_j.
    double c0 = 1.0 / static_cast<double>(n_);
    for (std::size_t j = 0; j < k_; ++j) {
      double s = 0;
      for (std::size_t l = j; l < k_; ++l)
        s += W[j * k_ + l] * u_[l];
      c_[j + 1] = s / fit_.desvios[j + 1];
      c0 -= fit_.medias[j + 1] * c_[j + 1];
    }
    c_[0] = c0;
    return h;
  }
  const std::vector<double>& c() const { return c_; }

private:
  const Matriz& D_;
  const ResultadoRegressao& fit_;
  std::size_t n_, k_;
  std::vector<double> z_, u_, c_;
};

// The residuals y - yhat, all zero when the sheet takes the fit as exact.
std::vector<double> Residuos(const ResultadoRegressao& fit, const QuadroRegressao& q) {
  std::vector<double> e(fit.residuos.size(), 0.0);
  if (!q.exato)
    for (std::size_t i = 0; i < e.size(); ++i)
      e[i] = -fit.residuos[i];
  return e;
}

// 1 - h at or below this is a leverage of 1 up to the rounding of h.
bool AlavancagemUm(double h, std::size_t m) {
  return 1 - h <= 64.0 * static_cast<double>(m) * kEpsilon;
}

std::vector<CelulaRegressao> Raizes(const std::vector<double>& variancias) {
  std::vector<CelulaRegressao> se;
  se.reserve(variancias.size());
  for (double v : variancias)
    se.push_back(valor_finito(std::sqrt(v)));
  return se;
}

// The Newey-West sandwich's diagonal: lagged cross products kept in a ring of the last L rows.
std::vector<double> NeweyWest(const Matriz& D, const ResultadoRegressao& fit,
                              const std::vector<double>& e) {
  const std::size_t n = Rows(D), m = fit.b.size(), L = defasagens_newey_west(n);
  Observacoes obs(D, fit);
  std::vector<double> v(m, 0.0);
  std::vector<std::vector<double>> ring(L + 1, std::vector<double>(m)); // e_t c_t
  for (std::size_t t = 0; t < n; ++t) {
    obs.At(t);
    std::vector<double>& now = ring[t % (L + 1)];
    for (std::size_t j = 0; j < m; ++j) {
      now[j] = e[t] * obs.c()[j];
      v[j] += now[j] * now[j];
    }
    for (std::size_t l = 1; l <= L && l <= t; ++l) {
      const double weight = 1.0 - static_cast<double>(l) / static_cast<double>(L + 1);
      const std::vector<double>& then = ring[(t - l) % (L + 1)];
      for (std::size_t j = 0; j < m; ++j)
        v[j] += 2 * weight * now[j] * then[j];
    }
  }
  return v;
}

// The cell of a test whose auxiliary regression failed: empty without residual degrees of
// freedom, #DIV/0! when the dependent column is constant (R^2 = 0/0), #NUM! when the design is
// singular.
std::optional<CelulaRegressao> SemAuxiliar(FalhaRegressao falha) {
  switch (falha) {
  case FalhaRegressao::Correlacoes: return Div0();
  case FalhaRegressao::Produto: return std::nullopt;
  default: return CelulaRegressao{false, 0, kErroNum};
  }
}

// n R^2 of a regression of column 0 of A on the others.
std::optional<CelulaRegressao> NR2(const Matriz& A) {
  auto aux = regressao_multipla(A);
  if (!aux) return SemAuxiliar(aux.motivo());
  return quociente(static_cast<double>(Rows(A)) * aux->ssr, aux->sst);
}

CelulaRegressao JarqueBera(const std::vector<double>& e) {
  const double n = static_cast<double>(e.size());
  double mean = 0;
  for (double v : e)
    mean += v;
  mean /= n;
  double m2 = 0, m3 = 0, m4 = 0;
  for (double v : e) {
    const double d = v - mean, d2 = d * d;
    m2 += d2;
    m3 += d2 * d;
    m4 += d2 * d2;
  }
  m2 /= n, m3 /= n, m4 /= n;
  if (!(m2 > 0)) return Div0();
  const double s = m3 / (m2 * std::sqrt(m2)), k = m4 / (m2 * m2);
  return valor_finito(n / 6 * (s * s + (k - 3) * (k - 3) / 4));
}

// The regressors of D with the columns `extra` appended, and `y` in column 0.
Matriz Auxiliar(const Matriz& D, const std::vector<double>& y,
                const std::vector<std::vector<double>>& extra) {
  Matriz A(Rows(D));
  for (std::size_t i = 0; i < Rows(D); ++i) {
    A[i].reserve(Columns(D) + extra.size());
    A[i].push_back(y[i]);
    A[i].insert(A[i].end(), D[i].begin() + 1, D[i].end());
    for (const auto& column : extra)
      A[i].push_back(column[i]);
  }
  return A;
}

// RESET's F from the regression of e on X, u^2 and u^3, u the fitted values standardised: they
// span what X, yhat^2 and yhat^3 span, without the near-collinearity of the raw powers.
std::optional<CelulaRegressao> Reset(const Matriz& D, const std::vector<double>& e,
                                     const InfluenciaRegressao& in) {
  const std::size_t n = Rows(D), k = Columns(D) - 1;
  if (n < k + 4) return std::nullopt;
  double mean = 0, spread = 0;
  for (double v : in.ajustados)
    mean += v;
  mean /= static_cast<double>(n);
  for (double v : in.ajustados)
    spread = std::max(spread, std::fabs(v - mean));
  std::vector<std::vector<double>> powers(2, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i) {
    const double u = spread > 0 ? (in.ajustados[i] - mean) / spread : 0;
    powers[0][i] = u * u;
    powers[1][i] = u * u * u;
  }
  auto aux = regressao_multipla(Auxiliar(D, e, powers));
  if (!aux) return SemAuxiliar(aux.motivo());
  // e is orthogonal to X, so what the powers explain is the drop in the residual sum.
  const double df = static_cast<double>(n - k - 3);
  return quociente(aux->ssr / 2, aux->sse / df);
}

// The ratio of the extreme singular values of the n x m matrix held column by column in a:
// Householder QR, then one-sided Jacobi rotations on R until its columns are orthogonal (their
// norms are then the singular values, each to a few ulps of itself).
CelulaRegressao Condicao(std::vector<double> a, std::size_t n, std::size_t m) {
  std::vector<double> r(m * m, 0.0); // R column by column
  std::vector<double> u;
  for (std::size_t j = 0; j < m; ++j) {
    double beta = 0, image = 0;
    if (interno::Householder(a.data() + j * n + j, n - j, u, beta, image)) {
      for (std::size_t l = j + 1; l < m; ++l)
        interno::ReflectVector(u, beta, a.data() + l * n + j);
    } else {
      image = a[j * n + j];
    }
    for (std::size_t i = 0; i < j; ++i)
      r[j * m + i] = a[j * n + i];
    r[j * m + j] = image;
  }
  for (int sweep = 0; sweep < 60; ++sweep) {
    bool rotated = false;
    for (std::size_t p = 0; p + 1 < m; ++p)
      for (std::size_t s = p + 1; s < m; ++s) {
        double alpha = 0, beta = 0, gamma = 0;
        for (std::size_t i = 0; i < m; ++i) {
          alpha += r[p * m + i] * r[p * m + i];
          beta += r[s * m + i] * r[s * m + i];
          gamma += r[p * m + i] * r[s * m + i];
        }
        if (std::fabs(gamma) <= kEpsilon * std::sqrt(alpha * beta)) continue;
        rotated = true;
        const double zeta = (beta - alpha) / (2 * gamma);
        const double t = std::copysign(1.0, zeta) / (std::fabs(zeta) + std::hypot(1.0, zeta));
        const double cs = 1 / std::sqrt(1 + t * t), sn = cs * t;
        for (std::size_t i = 0; i < m; ++i) {
          const double x = r[p * m + i], y = r[s * m + i];
          r[p * m + i] = cs * x - sn * y;
          r[s * m + i] = sn * x + cs * y;
        }
      }
    if (!rotated) break;
  }
  double largest = 0, smallest = std::numeric_limits<double>::infinity();
  for (std::size_t j = 0; j < m; ++j) {
    double norm = 0;
    for (std::size_t i = 0; i < m; ++i)
      norm += r[j * m + i] * r[j * m + i];
    norm = std::sqrt(norm);
    largest = std::max(largest, norm);
    smallest = std::min(smallest, norm);
  }
  return quociente(largest, smallest);
}

// X = [1, X1 .. Xk] with every column scaled to unit length.
CelulaRegressao CondicaoEscalada(const Matriz& D) {
  const std::size_t n = Rows(D), m = Columns(D);
  std::vector<double> a(n * m);
  for (std::size_t j = 0; j < m; ++j) {
    double norm = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double v = j == 0 ? 1.0 : D[i][j];
      norm = std::hypot(norm, v);
    }
    if (!(norm > 0)) return Div0();
    for (std::size_t i = 0; i < n; ++i)
      a[j * n + i] = (j == 0 ? 1.0 : D[i][j]) / norm;
  }
  return Condicao(std::move(a), n, m);
}
} // namespace

std::size_t defasagens_newey_west(std::size_t n) {
  return static_cast<std::size_t>(
      std::floor(4.0 * std::pow(static_cast<double>(n) / 100.0, 2.0 / 9.0)));
}

std::vector<CelulaRegressao> erros_padrao_regressao(const Matriz& D, const ResultadoRegressao& fit,
                                                    const QuadroRegressao& q, Covariancia tipo) {
  if (tipo == Covariancia::Classica) return q.erro_padrao;
  const std::vector<double> e = Residuos(fit, q);
  if (tipo == Covariancia::NeweyWest) return Raizes(NeweyWest(D, fit, e));
  const std::size_t n = Rows(D), m = fit.b.size();
  Observacoes obs(D, fit);
  std::vector<double> v(m, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    const double h = obs.At(i);
    double weight = 1;
    if (tipo == Covariancia::HC1) {
      weight = static_cast<double>(n) / static_cast<double>(n - m);
    } else if (tipo == Covariancia::HC2 || tipo == Covariancia::HC3) {
      if (AlavancagemUm(h, m)) return std::vector<CelulaRegressao>(m, Div0());
      weight = tipo == Covariancia::HC2 ? 1 / (1 - h) : 1 / ((1 - h) * (1 - h));
    }
    for (std::size_t j = 0; j < m; ++j) {
      const double s = e[i] * obs.c()[j];
      v[j] += weight * s * s;
    }
  }
  return Raizes(v);
}

InfluenciaRegressao influencia_regressao(const Matriz& D, const ResultadoRegressao& fit,
                                         const QuadroRegressao& q) {
  const std::size_t n = Rows(D), m = fit.b.size();
  InfluenciaRegressao in;
  in.residuos = Residuos(fit, q);
  const double s2 = q.sse / static_cast<double>(n - m);
  Observacoes obs(D, fit);
  for (std::size_t i = 0; i < n; ++i) {
    const double h = obs.At(i), e = in.residuos[i];
    in.ajustados.push_back(D[i][0] - e);
    in.alavancagem.push_back(h);
    if (AlavancagemUm(h, m)) {
      in.padronizados.push_back(Div0());
      in.cook.push_back(Div0());
      continue;
    }
    const CelulaRegressao r = quociente(e, std::sqrt(s2 * (1 - h)));
    in.padronizados.push_back(r);
    in.cook.push_back(
        r.numero ? valor_finito(r.valor * r.valor * h / (static_cast<double>(m) * (1 - h))) : r);
  }
  return in;
}

DiagnosticosRegressao diagnosticos_regressao(const Matriz& D, const ResultadoRegressao& fit,
                                             const QuadroRegressao& q,
                                             const InfluenciaRegressao* influencia) {
  const std::size_t n = Rows(D), k = Columns(D) - 1;
  DiagnosticosRegressao d;
  InfluenciaRegressao own;
  if (influencia == nullptr) own = influencia_regressao(D, fit, q);
  const InfluenciaRegressao& in = influencia ? *influencia : own;
  const std::vector<double>& e = in.residuos;

  d.jarque_bera = {JarqueBera(e), 2};

  std::vector<double> e2(n);
  for (std::size_t i = 0; i < n; ++i)
    e2[i] = e[i] * e[i];
  d.breusch_pagan = {NR2(Auxiliar(D, e2, {})), static_cast<double>(k)};

  std::vector<std::vector<double>> lag(1, std::vector<double>(n, 0.0));
  for (std::size_t i = 1; i < n; ++i)
    lag[0][i] = e[i - 1];
  // With as many coefficients as observations the auxiliary fit passes through every point:
  // R^2 = 1 (the lagged residuals, unlike X, are not orthogonal to e).
  if (q.exato)
    d.breusch_godfrey = {Div0(), 1};
  else if (n == k + 2)
    d.breusch_godfrey = {valor_finito(static_cast<double>(n)), 1};
  else
    d.breusch_godfrey = {NR2(Auxiliar(D, e, lag)), 1};

  d.reset = {Reset(D, e, in), 2};
  d.condicao = CondicaoEscalada(D);
  for (std::size_t j = 0; j < k; ++j) {
    double s = 0;
    for (std::size_t l = j; l < k; ++l)
      s += fit.inversa_r[j * k + l] * fit.inversa_r[j * k + l];
    d.vif.push_back(valor_finito(static_cast<double>(n - 1) * s));
  }
  return d;
}
