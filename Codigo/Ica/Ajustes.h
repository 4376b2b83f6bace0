// The independent component tool's settings, read from its dialog once, on OK.
#pragma once

namespace ica {

struct Settings {
  bool limited = false; // the number of components is limited to `limit`
  int limit = 1;
  bool mixing = true;   // the mixing and demixing matrices
  bool sources = false; // the independent components, observation by observation
  bool black_and_white = false;
  bool convergence = false; // each component's iterations, whether it converged, last change
};

} // namespace ica
