// The conditional-volatility tool's settings, read from its dialog once, on OK.
#pragma once

#include <array>
#include <optional>

#include "Funcoes/ArchModelos.h"
#include "Funcoes/MelhorArch.h"
#include "Funcoes/Retornos.h"

namespace arch {

struct Settings {
  // The one model to fit, or none in best-model mode (or when none is chosen).
  std::optional<ModeloArch> model;
  bool best = false;
  std::array<bool, 5> models_tried{}; // best-model mode, by model code
  int q = 1, p = 1;                   // the orders, or their maxima in best-model mode
  CriterioArch criterion = CriterioArch::Aic;
  Tratamento treatment = Tratamento::LogReturns;
  bool reversed = false; // the data come most recent first
  // Volatilities shown in simple-return terms, exp(v) - 1 (as the log-returns box is ticked,
  // whether or not returns are taken).
  bool log_returns = true;
  bool chart = false;
  bool black_and_white = false;
  // The error distribution of the fit; in best-model mode `all_distributions` tries each of the
  // three for every candidate instead.
  DistribuicaoArch distribution = DistribuicaoArch::Normal;
  bool all_distributions = false;
  bool standard_errors = false; // Hessian and robust standard errors beside the parameters
  int horizon = 0;              // days of the forecast and VaR block, 0 for none (at most 250)
  bool backtest = false;        // in-sample VaR backtest
};

} // namespace arch
