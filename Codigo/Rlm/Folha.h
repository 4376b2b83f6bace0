// What the regression tool writes: the sheet "RLM", table by table from the top: the heading,
// the means, the coefficients with the fit statistics, the analysis of variance, the
// correlations of the explanatory variables, the combined correlations and the diagnostics;
// then, on request, the residuals sheet and its chart.
#pragma once

#include <optional>
#include <vector>

#include "Ajustes.h"
#include "Analise.h"
#include "PastaResultado.h"

namespace rlm {

// Excel's p-values of the sheet, where it gave them: TDIST of each |t| (by coefficient), FDIST
// of F, and with the diagnostics CHIDIST of each chi-squared statistic and FDIST of RESET's F.
struct PValues {
  std::vector<std::optional<double>> t;
  std::optional<double> f;
  std::optional<double> jarque_bera, breusch_pagan, breusch_godfrey, reset;
};

// The whole sheet; `complete` false for a run that stopped at the combined correlations: what
// came before them, without the closing steps.
ResultBook Sheet(const Settings& settings, const Matriz& data, const Result& result,
                 const PValues& p, bool complete = true);
// The sheet as a failed fit leaves it: opened, nothing written.
ResultBook StoppedSheet(const Settings& settings);

} // namespace rlm
