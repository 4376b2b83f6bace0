// The regression tool's settings, read from its dialog once, on OK.
#pragma once

namespace rlm {

struct Settings {
  bool equation = true;  // the regression equation's text under the title
  bool anova = true;     // the analysis of variance
  bool combined = false; // for each explanatory variable, the combinations that explain it best
  bool black_and_white = false;
};

} // namespace rlm
