#include "Regressao.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "Householder.h"

namespace {
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
constexpr std::size_t kPassoProgresso = 4096; // subsets between two progress reports

// Householder QR of the N x k matrix held column by column in a (column j at a[j * n]), with
// the reflectors of Householder.h: H_j = I - beta_j u_j u_j' acts on rows j .. n - 1. On return
// the diagonal of R is in rdiag and the rest of its upper triangle in a (R(i, j) at
// a[j * n + i], i < j); below the diagonal a keeps what the reflections left there, unused. An
// all-zero column segment is left as it is, with R(j, j) = 0 and beta_j = 0. The right-hand
// side y is transformed to Q'y in step.
struct FatoracaoQr {
  std::size_t n = 0, k = 0;
  std::vector<double> a, rdiag, beta;
  std::vector<std::vector<double>> u;
};

void Factorise(FatoracaoQr& h, std::vector<double>& y) {
  const std::size_t n = h.n, k = h.k;
  h.rdiag.assign(k, 0.0);
  h.beta.assign(k, 0.0);
  h.u.assign(k, {});
  for (std::size_t j = 0; j < k; ++j) {
    const double* col = h.a.data() + j * n;
    if (!interno::Householder(col + j, n - j, h.u[j], h.beta[j], h.rdiag[j])) continue;
    // Apply H_j to the remaining columns and to y.
    for (std::size_t l = j + 1; l < k; ++l)
      interno::ReflectVector(h.u[j], h.beta[j], h.a.data() + l * n + j);
    interno::ReflectVector(h.u[j], h.beta[j], y.data() + j);
  }
}

// y <- Q'y with the reflectors of Factorise.
void ApplyQt(const FatoracaoQr& h, std::vector<double>& y) {
  for (std::size_t j = 0; j < h.k; ++j)
    if (h.beta[j] != 0) interno::ReflectVector(h.u[j], h.beta[j], y.data() + j);
}
} // namespace

Resultado<ResultadoRegressao, FalhaRegressao> regressao_multipla(const Matriz& D) {
  ResultadoRegressao res;
  const std::size_t n = Rows(D), m = Columns(D);
  if (!correlacoes(D, res.correlacao, res.medias, res.desvios))
    return Falhou{FalhaRegressao::Correlacoes};
  if (m < 2 || n <= m) return Falhou{FalhaRegressao::Produto};
  const std::size_t k = m - 1;
  const double ybar = res.medias[0];

  // Centred, scaled design and centred response.
  FatoracaoQr h;
  h.n = n;
  h.k = k;
  h.a.resize(n * k);
  std::vector<double> yc(n), qty;
  for (std::size_t i = 0; i < n; ++i) {
    yc[i] = D[i][0] - ybar;
    for (std::size_t j = 0; j < k; ++j)
      h.a[j * n + i] = (D[i][j + 1] - res.medias[j + 1]) / res.desvios[j + 1];
  }
  qty = yc;
  Factorise(h, qty);

  const double floor = static_cast<double>(m) * static_cast<double>(n) * kEpsilon *
                       std::sqrt(static_cast<double>(n - 1));
  for (std::size_t j = 0; j < k; ++j) {
    if (!(std::fabs(h.rdiag[j]) > floor)) return Falhou{FalhaRegressao::Singular};
  }
  auto R = [&](std::size_t i, std::size_t j) { return i == j ? h.rdiag[j] : h.a[j * n + i]; };

  // c = R^-1 Q'yc by back substitution.
  std::vector<double> c(k);
  for (std::size_t j = k; j-- > 0;) {
    double s = qty[j];
    for (std::size_t l = j + 1; l < k; ++l)
      s -= R(j, l) * c[l];
    c[j] = s / R(j, j);
  }
  // One step of refinement: the residual of the centred system, taken through Q' and R^-1,
  // corrects c for the rounding of Q'y and of the back substitution.
  {
    std::vector<double> resid(n);
    for (std::size_t i = 0; i < n; ++i) {
      double fit = 0;
      for (std::size_t j = 0; j < k; ++j)
        fit += c[j] * ((D[i][j + 1] - res.medias[j + 1]) / res.desvios[j + 1]);
      resid[i] = yc[i] - fit;
    }
    ApplyQt(h, resid);
    for (std::size_t j = k; j-- > 0;) {
      double s = resid[j];
      for (std::size_t l = j + 1; l < k; ++l)
        s -= R(j, l) * resid[l];
      resid[j] = s / R(j, j);
    }
    for (std::size_t j = 0; j < k; ++j)
      c[j] += resid[j];
  }
  // W = R^-1, upper triangular, column by column: R W(:, l) = e_l.
  std::vector<double> w(k * k, 0.0); // W(i, l) at w[i * k + l]
  for (std::size_t l = 0; l < k; ++l) {
    for (std::size_t j = l + 1; j-- > 0;) {
      double s = j == l ? 1.0 : 0.0;
      for (std::size_t t = j + 1; t <= l; ++t)
        s -= R(j, t) * w[t * k + l];
      w[j * k + l] = s / R(j, j);
    }
  }

  res.b.assign(m, 0.0);
  res.diag_inv.assign(m, 0.0);
  double intercept = ybar;
  for (std::size_t j = 0; j < k; ++j) {
    const double sd = res.desvios[j + 1];
    res.b[j + 1] = c[j] / sd;
    intercept -= res.b[j + 1] * res.medias[j + 1];
    double row = 0;
    for (std::size_t l = j; l < k; ++l)
      row += w[j * k + l] * w[j * k + l];
    res.diag_inv[j + 1] = row / (sd * sd);
  }
  // One step of refinement: the mean of y - b0 - sum bj xj in the original coordinates, which
  // the centred solution leaves at rounding level but which b0 = ybar - sum bj meanj, a
  // difference of terms much larger than b0 when the means are far from zero, does not.
  double drift = 0;
  for (std::size_t i = 0; i < n; ++i) {
    double r = D[i][0] - intercept;
    for (std::size_t j = 0; j < k; ++j)
      r -= res.b[j + 1] * D[i][j + 1];
    drift += r;
  }
  res.b[0] = intercept + drift / static_cast<double>(n);
  // (X'X)^-1(0, 0) = 1/N + mean' (Xc'Xc)^-1 mean = 1/N + ||W' (mean / sd)||^2.
  double quad = 0;
  for (std::size_t l = 0; l < k; ++l) {
    double s = 0;
    for (std::size_t j = 0; j <= l; ++j)
      s += w[j * k + l] * res.medias[j + 1] / res.desvios[j + 1];
    quad += s * s;
  }
  res.diag_inv[0] = 1.0 / static_cast<double>(n) + quad;
  res.inversa_r = std::move(w);

  // Fitted values about the mean straight from the scaled design (h.a now holds R and what the
  // reflections left below it, so the design is formed again), residuals and the sums.
  res.residuos.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    double fit = 0;
    for (std::size_t j = 0; j < k; ++j)
      fit += c[j] * ((D[i][j + 1] - res.medias[j + 1]) / res.desvios[j + 1]);
    const double e = fit - yc[i];
    res.residuos[i] = e;
    res.sst += yc[i] * yc[i];
    res.ssr += fit * fit;
    res.sse += e * e;
    if (i > 0) {
      const double de = e - res.residuos[i - 1];
      res.dw_num += de * de;
    }
  }
  res.dw_den = res.sse;
  if (!(res.sst > 0)) // a constant y has no correlation to report
    return Falhou{FalhaRegressao::Correlacoes};

  const double nn = static_cast<double>(n), mm = static_cast<double>(m);
  res.r2 = res.ssr / res.sst;
  res.r = std::sqrt(res.r2);
  res.r2_ajustado = 1 - (1 - res.r2) * (nn - 1) / (nn - mm);
  res.dw = res.dw_num / res.dw_den;
  res.f = (res.ssr / (mm - 1)) / (res.sse / (nn - mm));
  res.erro_padrao.resize(m);
  res.t.resize(m);
  for (std::size_t j = 0; j < m; ++j) {
    res.erro_padrao[j] = std::sqrt(res.diag_inv[j] * res.sse / (nn - mm));
    res.t[j] = res.erro_padrao[j] == 0 ? std::numeric_limits<double>::quiet_NaN()
                                       : res.b[j] / res.erro_padrao[j];
  }
  return res;
}

namespace {
// Depth-first walk over the subsets, each extending the Cholesky factor of its parent by one
// row: adding column c to S (factor L, L z = r_S) needs l = L^-1 R_S,c, the pivot
// d = 1 - l'l, and z_c = (r_c - l'z) / sqrt(d); then R^2(S + c) = R^2(S) + z_c^2.
struct Walk {
  const Matriz* corr = nullptr;
  std::vector<std::size_t> candidates; // columns of A other than ycol, increasing
  std::size_t ycol = 0;
  double floor = 0;
  std::vector<double> L; // rows of the factor, L(i, j) at L[i * kc + j]
  std::vector<double> z; // L z = r_S
  std::vector<std::size_t> chosen;
  std::vector<CombinacaoR>* lista = nullptr; // every subset, or
  MelhoresCombinacoes* melhores = nullptr;   // only the best ones
  const ProgressoCombinacoes* progresso = nullptr;
  std::size_t visitados = 0;
  bool ok = true;

  std::string Label() const {
    std::string label;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      if (i) label += ':';
      label += 'X' + std::to_string(candidates[chosen[i]] + 1);
    }
    return label;
  }
  void Keep(double R) {
    if (melhores == nullptr)
      lista->push_back({R, Label()});
    else if (melhores->Entra(R))
      melhores->Oferece(R, Label());
    if (progresso != nullptr && *progresso && ++visitados % kPassoProgresso == 0)
      (*progresso)(visitados);
  }

  void Visit(std::size_t start, double r2) {
    const std::size_t kc = candidates.size(), s = chosen.size();
    const Matriz& R = *corr;
    for (std::size_t p = start; p < kc && ok; ++p) {
      const std::size_t col = candidates[p];
      double* row = L.data() + s * kc;
      double norm = 0, lz = 0;
      for (std::size_t i = 0; i < s; ++i) {
        double v = R[candidates[chosen[i]]][col];
        for (std::size_t j = 0; j < i; ++j)
          v -= L[i * kc + j] * row[j];
        v /= L[i * kc + i];
        row[i] = v;
        norm += v * v;
        lz += v * z[i];
      }
      const double pivot = 1.0 - norm;
      if (!(pivot > floor)) {
        ok = false;
        return;
      }
      row[s] = std::sqrt(pivot);
      z[s] = (R[col][ycol] - lz) / row[s];
      const double next = r2 + z[s] * z[s];
      chosen.push_back(p);
      Keep(std::sqrt(std::clamp(next, 0.0, 1.0)));
      Visit(p + 1, next);
      chosen.pop_back();
    }
  }
};
} // namespace

namespace {
// The walk over every subset of the columns of A other than ycol, records kept by `walk`'s sink;
// the reason it could not be made.
std::optional<FalhaCombinacoes> Enumerate(const Matriz& A, std::size_t ycol, Walk& walk) {
  const std::size_t nc = Columns(A);
  if (ycol >= nc) return FalhaCombinacoes::NoSuchColumn;
  Matriz corr;
  std::vector<double> medias, desvios;
  if (!correlacoes(A, corr, medias, desvios)) return FalhaCombinacoes::Correlacoes;
  walk.corr = &corr;
  walk.ycol = ycol;
  for (std::size_t j = 0; j < nc; ++j)
    if (j != ycol) walk.candidates.push_back(j);
  const std::size_t kc = walk.candidates.size();
  if (kc >= 8 * sizeof(std::size_t) - 1) return FalhaCombinacoes::TooManyColumns;
  walk.floor = static_cast<double>(kc) * 1e-14;
  walk.L.assign(kc * kc, 0.0);
  walk.z.assign(kc, 0.0);
  walk.Visit(0, 0.0);
  walk.corr = nullptr;
  if (!walk.ok) return FalhaCombinacoes::Singular;
  return std::nullopt;
}
} // namespace

bool correlacoes_combinadas(const Matriz& A, std::size_t ycol, std::vector<CombinacaoR>& lista) {
  lista.clear();
  Walk walk;
  walk.lista = &lista;
  if (ycol < Columns(A) && Columns(A) < 8 * sizeof(std::size_t))
    lista.reserve((std::size_t{1} << (Columns(A) - 1)) - 1);
  if (Enumerate(A, ycol, walk)) {
    lista.clear(); // the subsets visited before the singular one are no answer
    return false;
  }
  std::stable_sort(lista.begin(), lista.end(),
                   [](const CombinacaoR& a, const CombinacaoR& b) { return a.R > b.R; });
  return true;
}

MelhoresCombinacoes::MelhoresCombinacoes(std::size_t nb) : nb_(nb) {
  lista_.reserve(nb + 1);
}

bool MelhoresCombinacoes::Entra(double R) const {
  return lista_.size() < nb_ || (nb_ > 0 && R > lista_.back().R);
}

void MelhoresCombinacoes::Oferece(double R, std::string rotulo) {
  if (!Entra(R)) return;
  // After every record of R at least as large: an earlier offer stays ahead of an equal one.
  const auto at = std::upper_bound(lista_.begin(), lista_.end(), R,
                                   [](double value, const CombinacaoR& c) { return value > c.R; });
  lista_.insert(at, CombinacaoR{R, std::move(rotulo)});
  if (lista_.size() > nb_) lista_.pop_back();
}

Resultado<std::vector<CombinacaoR>, FalhaCombinacoes>
correlacoes_combinadas_melhores(const Matriz& A, std::size_t ycol, std::size_t nb,
                                const ProgressoCombinacoes& progresso) {
  MelhoresCombinacoes melhores(nb);
  Walk walk;
  walk.melhores = &melhores;
  walk.progresso = &progresso;
  if (const auto falha = Enumerate(A, ycol, walk)) return Falhou{*falha};
  return melhores.Retira();
}
