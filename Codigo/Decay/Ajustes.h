// The best-decay tool's settings, read from its dialog once, on OK.
#pragma once

#include <optional>

#include "Funcoes/Retornos.h"

namespace decay {

struct Settings {
  // The weight that may fall outside the estimation window; none when no item is chosen.
  std::optional<double> tolerance;
  Tratamento treatment = Tratamento::AsGiven;
  bool reversed = false; // the data come most recent first
  bool zero_mean = false;
  bool black_and_white = false;
};

} // namespace decay
