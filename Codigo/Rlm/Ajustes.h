// The regression tool's settings, read from its dialog once, on OK.
#pragma once

#include "Funcoes/DiagnosticosRegressao.h"

namespace rlm {

struct Settings {
  bool equation = true;  // the regression equation's text under the title
  bool anova = true;     // the analysis of variance
  bool combined = false; // for each explanatory variable, the combinations that explain it best
  bool black_and_white = false;
  Covariancia errors = Covariancia::Classica; // behind the SE, t and p columns
  bool diagnostics = false;                   // the residual tests, condition number and VIFs
  bool residuals = false;                     // the residuals sheet and its chart
};

} // namespace rlm
