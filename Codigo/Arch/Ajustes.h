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
};

} // namespace arch
