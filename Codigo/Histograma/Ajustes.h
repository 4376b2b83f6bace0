// The histogram tool's settings, read from its dialog once, on OK.
#pragma once

#include "Funcoes/Estatistica.h"

namespace histograma {

struct Settings {
  int bins = 1;
  Dispersion dispersion = Dispersion::Sample;
  bool returns = false;    // the data are prices: the histogram of their simple returns
  bool normalised = false; // the density table and its chart
  bool indicators = false; // each bin's mean and standard deviation
  bool black_and_white = false;
};

} // namespace histograma
