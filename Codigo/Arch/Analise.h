// The conditional-volatility tool's analysis, without Excel: the series as the models take it,
// the one model fitted or the best of the candidates, the volatilities, the likelihood-ratio
// tests, the criteria and the chart's series.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Ajustes.h"
#include "Funcoes/EstatisticasArch.h"
#include "Funcoes/MelhorArch.h"
#include "Funcoes/PrevisaoArch.h"
#include "Funcoes/Resultado.h"

namespace arch {

// "ARCH (2)", "GARCH (1,1)", "EGARCH (2,1)": the model's name with its orders.
std::string NomeModeloArch(const EspecArch& m);

// The volatility chart's series: the last observations with their volatilities and, for a
// stationary fit, the projected variances.
struct ChartSeries {
  PontosGrafico points;
  std::vector<double> projection; // h^(T), h^(T+1), ...: stationary fits only
};

// A parameter's standard errors: from the inverse negative Hessian of the log-likelihood and
// from the Bollerslev-Wooldridge sandwich, with z = parameter / SE; none for a parameter on or
// within 2 delta of its bound (or whose variance is not a positive number).
struct StandardError {
  std::optional<double> se, z, robust_se, robust_z;
};

// Row h of the forecast block, in the sheet's units (volatilities as the sheet shows them; VaR
// a positive fraction of value).
struct ForecastRow {
  double variance = 0;
  double volatility = 0;
  double cumulative_volatility = 0;
  double var95 = 0, var99 = 0;
};

struct Result {
  AjusteArch fit;
  std::string name; // NomeModeloArch of the fit
  // Whether the search stopped by its own rule or its polish reached a maximum (a single fit
  // only: the best-model search keeps converged fits).
  bool converged() const { return fit.convergiu(); }
  std::vector<double> x;                          // the prepared series
  std::vector<double> h;                          // h(0) .. h(T)
  std::vector<double> lr;                         // one per parameter; shown when > 0
  double current_volatility = 0;                  // sqrt(h(T)), in simple-return terms on request
  std::optional<double> unconditional_volatility; // stationary fits only, likewise
  CriteriosArch criteria;
  std::optional<ChartSeries> chart;
  // On request: one per parameter, in the order of theta (nu last); the H forecast rows; the
  // backtests of the VaR at 95% and at 99%.
  std::vector<StandardError> standard_errors;
  std::vector<ForecastRow> forecast;
  std::optional<std::array<BacktestArch, 2>> backtest;
};

enum class Falha {
  NoModel,          // neither a model nor best-model mode
  NoOrder,          // no order chosen
  NonPositiveRatio, // log returns of a price ratio that is zero or negative
  NotFinite,        // a value or a return that is not finite
  TooShort,         // fewer than two values to fit
  UnknownModel,     // a model code the search does not know
  NoCandidate,      // best-model mode with no order pair to try
  NoneConverged,    // best-model mode: no candidate converged
  ZeroVariance,     // every value of the series equal: nothing varies for a variance to follow
  Unbounded,        // EGARCH on a series whose zero returns leave its likelihood without maximum
};

// What a long run tells while it goes on, on the calling thread: a single fit still running
// after a second, and each fit of the best-model search as it ends (how many of how many).
struct Progress {
  std::function<void(const EspecArch& model)> slow_fit;
  std::function<void(std::size_t done, std::size_t total, const EspecArch& ended)> fit_ended;
};

// `serie` is the selection's numbers in reading order. A series of equal values (zeros, say) is
// refused before any fit, and so is EGARCH (alone, or as the only model of the best-model
// search) on a series whose zero returns leave its likelihood without maximum (zeros alternating
// with nonzero returns, say); the search leaves such EGARCH candidates out.
Resultado<Result, Falha> Analyse(const Settings& settings, const std::vector<double>& serie,
                                 const Progress& progress = {});

// Why the run stopped, for the trace.
std::string Reason(Falha falha);

} // namespace arch
