// The best-decay tool's analysis, without Excel: the series as the search takes it, the decay of
// the most stable exponentially weighted variance, and the RiskMetrics forecast criterion.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Ajustes.h"
#include "Funcoes/MelhorDecay.h"
#include "Funcoes/PrevisaoEwv.h"
#include "Funcoes/Resultado.h"

namespace decay {

struct Result {
  std::size_t n = 0; // values searched
  ResultadoDecay search;
  // None when the series is too short to score a forecast (21 values or fewer).
  std::optional<ResultadoPrevisao> forecast;
};

enum class Falha {
  NoTolerance,      // no tolerance chosen
  NonPositivePrice, // returns asked of prices that are zero or negative
  NotFinite,        // a value or a return that is not finite
  NoDecay,          // the search found no decay it could evaluate
  NoForecast,       // the forecast criterion could not be scored
};

// `serie` is the selection's numbers in reading order.
Resultado<Result, Falha> Analyse(const Settings& settings, const std::vector<double>& serie);

// Why the run stopped, for the trace.
std::string Reason(Falha falha);

} // namespace decay
