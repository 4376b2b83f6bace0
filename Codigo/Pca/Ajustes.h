// The principal component tool's settings, read from its dialog once, on OK.
#pragma once

#include <cstdint>

namespace pca {

// How the retained factors are chosen: Kaiser's (eigenvalues above 1) or the proportion of
// variance they explain.
enum class Criterion { Kaiser, Proportion };

struct Settings {
  bool correlation_input = false; // the range is itself a correlation matrix
  Criterion criterion = Criterion::Kaiser;
  double percentage = 80; // the proportion criterion's target, in percent
  bool rotate = true;     // the varimax rotation
  double tolerance = 0.001;
  std::uint32_t sweeps = 100; // at most, of the rotation
  bool scree = true;          // the scree chart
  bool black_and_white = false;
  bool scores = false;   // the sheet of component scores (not for a correlation matrix)
  bool adequacy = false; // KMO, MSA and Bartlett's sphericity
  bool parallel = false; // Horn's parallel analysis (not for a correlation matrix)
};

} // namespace pca
