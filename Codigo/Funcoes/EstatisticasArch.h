// What the conditional-volatility tool reports of a fitted ARCH-family model: the conditional
// and projected variances, stationarity, the likelihood-ratio test of each parameter and the
// information criteria. Plain C++ on vectors; nothing here knows of Excel.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "ArchModelos.h"
#include "Resultado.h"

// The distribution of the standardised errors z = e / sqrt(h): Gaussian, Student's t with nu > 2
// degrees of freedom, or the generalised error distribution of shape nu > 0, both scaled to unit
// variance.
enum class DistribuicaoArch : int { Normal = 0, Student = 1, Ged = 2 };

// A model, its orders and its error distribution; r = q for EGARCH and GJR, 0 otherwise; ARCH
// has p = 0. theta = (omega, alpha_1..alpha_q, gamma_1..gamma_r, beta_1..beta_p[, nu]): nu last,
// for the t and GED only.
struct EspecArch {
  ModeloArch modelo = ModeloArch::Arch;
  int q = 1;
  int r = 0;
  int p = 0;
  DistribuicaoArch dist = DistribuicaoArch::Normal;

  bool tem_nu() const { return dist != DistribuicaoArch::Normal; }
  // The parameters of the variance recursion: omega and the k() - tem_nu() that follow it.
  int variancia() const { return 1 + q + r + p; }
  // The parameters after omega, which the criteria count (nu among them).
  int k() const { return q + r + p + (tem_nu() ? 1 : 0); }
  int parametros() const { return 1 + k(); }
};

// The model of code `modelo` with orders q and p: r = q for EGARCH and GJR, p = 0 for ARCH.
EspecArch espec_arch(ModeloArch modelo, int q, int p,
                     DistribuicaoArch dist = DistribuicaoArch::Normal);

// mean(e^2), the start value of EGARCH and GJR (and of the GARCH family outside the stationary
// region), summed in order of t.
double media_quadratica_arch(const std::vector<double>& e);

// h(0) .. h(T): the conditional variances of the series e(0) .. e(T-1) by the model's recursion
// from its start value, and h(T), the one-step-ahead forecast.
std::vector<double> variancias_condicionais(const EspecArch& m, const std::vector<double>& e,
                                            const std::vector<double>& theta);

// S = sum alpha + sum beta.
double soma_persistencia(const EspecArch& m, const std::vector<double>& theta);

// An ARCH or GARCH fit with 1 - 2 delta (q + p) > S: its variance has the unconditional value
// omega / (1 - S), and its start value is that value. IGARCH sums to 1; EGARCH (omega is a
// log-variance) and GJR (the asymmetry) have no such value, whatever their orders.
bool estacionario(const EspecArch& m, const std::vector<double>& theta);

// The variances projected past the last observation, count values from h(T) on:
//   h^(t) = omega + sum_i alpha_i x(t-i) + sum_j beta_j h^(t-j),
// with x(s) = e(s)^2 for an observed shock and h^(s) for a future one; a lag before the
// start of the series takes the start value, as in the recursion. Stationary fits only.
enum class FalhaProjecao { NotStationary };
Resultado<std::vector<double>, FalhaProjecao>
variancias_projetadas(const EspecArch& m, const std::vector<double>& e,
                      const std::vector<double>& theta, std::size_t count);

// 2 (L - L0) for each parameter, in the order of theta, where L is the likelihood at theta and
// L0 the likelihood with that parameter restricted: alpha, gamma and beta to 0 (for GJR,
// gamma_i to 0 as well while alpha_i is restricted and gamma_i < 0), omega to 0.01 delta (0 for
// EGARCH). Both are taken on the scale of the search, e 10^k (escala_arch), where delta is
// matched to the variances: so the tests ask the same question of returns in units and in
// percent (the constant T k ln 10 cancels), and an EGARCH beta restricted leaves omega where
// the search had it. 0 when L0 is the sentinel of an EGARCH variance that underflows. Under the t
// and the GED nu stays at its estimate, and its own entry is 0.
std::vector<double> razoes_verossimilhanca(const EspecArch& m, const std::vector<double>& e,
                                           const std::vector<double>& theta);

struct CriteriosArch {
  double aic = 0;
  std::optional<double> aicc; // none when T - k - 1 <= 0: its divisor is not positive
  double bic = 0;
};
// With k parameters after omega and log-likelihood L on T values:
//   AIC = (-2L + 2k) / T, AICc = AIC + 2k(k + 1) / ((T - k - 1) T), BIC = (k ln T - 2L) / T.
CriteriosArch criterios_arch(double L, std::size_t T, int k);

// The chart of volatilities: the last `observacoes` values of the series and `pontos` points in
// all; the points after the observations are projections (stationary fits) or empty.
//   stationary: N = floor(1.07 T); T and N when N < 250, else 230 and 250;
//   otherwise: T and T when T < 250, else 230 and 250.
struct PontosGrafico {
  std::size_t observacoes = 0;
  std::size_t pontos = 0;
};
PontosGrafico pontos_grafico(std::size_t T, bool estacionaria);
