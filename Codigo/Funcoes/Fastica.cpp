#include "Fastica.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "Exponencial.h"

namespace {
bool IsSquare(const Matriz& a, std::size_t d) {
  return Rows(a) == d &&
         std::all_of(a.begin(), a.end(), [d](const auto& row) { return row.size() == d; });
}

double Norm(const std::vector<double>& w) {
  double s = 0;
  for (double v : w)
    s += v * v;
  return std::sqrt(s);
}

// min(|w - v|, |w + v|): how far apart the two directions are, whatever their signs.
double Change(const std::vector<double>& w, const std::vector<double>& v) {
  double minus = 0, plus = 0;
  for (std::size_t j = 0; j < w.size(); ++j) {
    minus += (w[j] - v[j]) * (w[j] - v[j]);
    plus += (w[j] + v[j]) * (w[j] + v[j]);
  }
  return std::min(std::sqrt(minus), std::sqrt(plus));
}

// The same direction up to sign.
bool Close(const std::vector<double>& w, const std::vector<double>& v) {
  return Change(w, v) < kFasticaEpsilon;
}

// w <- w / |w|; false for a zero or non-finite norm.
bool Normalise(std::vector<double>& w) {
  const double norm = Norm(w);
  if (!(norm > 0) || !std::isfinite(norm)) return false;
  for (double& v : w)
    v /= norm;
  return true;
}

// w <- w - B (B^T w), then normalised. B is d x d, row-major.
bool DeflateAndNormalise(std::vector<double>& w, const std::vector<double>& b,
                         std::vector<double>& btw) {
  const std::size_t d = w.size();
  for (std::size_t q = 0; q < d; ++q) {
    double s = 0;
    for (std::size_t j = 0; j < d; ++j)
      s += b[j * d + q] * w[j];
    btw[q] = s;
  }
  std::vector<double> projection(d);
  for (std::size_t j = 0; j < d; ++j) {
    double s = 0;
    for (std::size_t q = 0; q < d; ++q)
      s += b[j * d + q] * btw[q];
    projection[j] = s;
  }
  for (std::size_t j = 0; j < d; ++j)
    w[j] -= projection[j];
  return Normalise(w);
}

// The sums of one iteration over every observation: zg(j) = sum_t Z(j, t) g(t),
// G1 = sum_t g'(t), beta = sum_t u(t) g(t). The observations go in chunks small enough for the
// projections and contrasts of a chunk to stay in the first-level cache while the rows of Z are
// read a second time.
struct Contrast {
  static constexpr std::size_t kChunk = 1024;
  std::vector<double> zg;
  double g1 = 0, beta = 0;
  std::vector<double> u = std::vector<double>(kChunk), e = std::vector<double>(kChunk),
                      g = std::vector<double>(kChunk);

  void Compute(const Matriz& z, const std::vector<double>& w) {
    const std::size_t d = Rows(z), n = Columns(z);
    zg.assign(d, 0.0);
    g1 = beta = 0;
    double* pu = u.data();
    double* pe = e.data();
    double* pg = g.data();
    for (std::size_t t0 = 0; t0 < n; t0 += kChunk) {
      const std::size_t len = std::min(kChunk, n - t0);
      std::fill(pu, pu + len, 0.0);
      for (std::size_t j = 0; j < d; ++j) {
        const double* zj = z[j].data() + t0;
        const double wj = w[j];
#pragma omp simd
        for (std::size_t t = 0; t < len; ++t)
          pu[t] += zj[t] * wj;
      }
#pragma omp simd
      for (std::size_t t = 0; t < len; ++t)
        pe[t] = -(pu[t] * pu[t]) / 2;
      ExpOfNonPositive(pe, pe, len);
      double derivative = 0, ug = 0;
#pragma omp simd reduction(+ : derivative, ug)
      for (std::size_t t = 0; t < len; ++t) {
        const double ut = pu[t];
        const double gt = ut * pe[t];
        pg[t] = gt;
        derivative += (1 - ut * ut) * pe[t];
        ug += ut * gt;
      }
      g1 += derivative;
      beta += ug;
      for (std::size_t j = 0; j < d; ++j) {
        const double* zj = z[j].data() + t0;
        double s = 0;
#pragma omp simd reduction(+ : s)
        for (std::size_t t = 0; t < len; ++t)
          s += zj[t] * pg[t];
        zg[j] += s;
      }
    }
  }
};
} // namespace

const char* descricao(FalhaFastica falha) {
  switch (falha) {
  case FalhaFastica::Dimensoes: return "dimensões que não se ajustam";
  case FalhaFastica::DirecaoNula: return "um vetor de comprimento nulo ou infinito";
  case FalhaFastica::DivisorNulo: return "um divisor nulo ou infinito na atualização";
  }
  return "motivo desconhecido";
}

Resultado<Separacao, FalhaFastica> separa_componentes(const Matriz& Z, const Matriz& Wh,
                                                      const Matriz& Dw, std::uint32_t k) {
  const std::size_t d = Rows(Z), n = Columns(Z);
  if (d == 0 || n == 0 || k < 1 || k > d || !IsSquare(Wh, d) || !IsSquare(Dw, d) ||
      !std::all_of(Z.begin(), Z.end(), [n](const auto& row) { return row.size() == n; }))
    return Falhou{FalhaFastica::Dimensoes};
  const double count = static_cast<double>(n);

  Separacao result;
  result.mixing.assign(d, std::vector<double>(k, 0.0));
  result.demixing.assign(k, std::vector<double>(d, 0.0));
  std::vector<double> b(d * d, 0.0); // B, row-major: column q holds accepted w_q
  std::vector<double> w(d), w_old(d), w_old2(d), scratch(d);
  Contrast contrast;

  for (std::size_t q = 0; q < k; ++q) {
    ComponenteFastica& component = result.componentes.emplace_back();
    bool not_fine = true, stabilised = false, not_long = true, stroke = false;
    double mu = 1.0;
    for (std::size_t j = 0; j < d; ++j)
      w[j] = (j % 2 == 0 ? 1.0 : -1.0) * static_cast<double>(j) / static_cast<double>(d);
    if (!DeflateAndNormalise(w, b, scratch)) return Falhou{FalhaFastica::DirecaoNula};
    std::fill(w_old.begin(), w_old.end(), 0.0);
    std::fill(w_old2.begin(), w_old2.end(), 0.0);
    std::uint32_t i = 1;
    for (;;) {
      if (!DeflateAndNormalise(w, b, scratch)) return Falhou{FalhaFastica::DirecaoNula};
      component.variacao = Change(w, w_old);
      if (component.variacao < kFasticaEpsilon) {
        if (!not_fine) {
          component.fim = FimComponente::Aceito;
          break;
        }
        not_fine = false;
        stabilised = true;
        component.afinado = true;
        mu = 0.01;
        std::fill(w_old.begin(), w_old.end(), 0.0);
        std::fill(w_old2.begin(), w_old2.end(), 0.0);
      } else if (!stroke && Close(w, w_old2)) {
        stroke = true;
        stabilised = true;
        component.oscilou = true;
        mu *= 0.5;
      } else if (i > kFasticaSlow && not_long) {
        not_long = false;
        stabilised = true;
        component.lento = true;
        mu *= 0.5;
      }
      w_old2 = w_old;
      w_old = w;

      contrast.Compute(Z, w);
      const double g1 = contrast.g1, beta = contrast.beta;
      if (!stabilised) {
        for (std::size_t j = 0; j < d; ++j)
          w[j] = (contrast.zg[j] - w[j] * g1) / count;
      } else {
        const double divisor = g1 - beta;
        if (divisor == 0 || !std::isfinite(divisor)) return Falhou{FalhaFastica::DivisorNulo};
        for (std::size_t j = 0; j < d; ++j)
          w[j] = (w[j] - mu * (contrast.zg[j] - w[j] * beta) / divisor) / count;
      }
      if (!Normalise(w)) return Falhou{FalhaFastica::DirecaoNula};
      component.iteracoes = i;
      if (++i >= kFasticaLimit) break;
    }
    if (component.fim != FimComponente::Aceito) continue;

    for (std::size_t j = 0; j < d; ++j)
      b[j * d + q] = w[j];
    for (std::size_t r = 0; r < d; ++r) {
      double s = 0;
      for (std::size_t j = 0; j < d; ++j)
        s += Dw[r][j] * w[j];
      result.mixing[r][q] = s;
    }
    for (std::size_t r = 0; r < d; ++r) {
      double s = 0;
      for (std::size_t j = 0; j < d; ++j)
        s += w[j] * Wh[j][r];
      result.demixing[q][r] = s;
    }
  }
  return result;
}

bool fastica(Matriz Z, Matriz Wh, Matriz Dw, std::uint32_t k, Matriz& A, Matriz& W) {
  A.clear();
  W.clear();
  auto separation = separa_componentes(Z, Wh, Dw, k);
  if (!separation) return false;
  A = std::move(separation->mixing);
  W = std::move(separation->demixing);
  return true;
}
