// The comparison tool's analysis: both interpolations of the curve on the grid of days, without
// Excel.
#pragma once

#include <string>
#include <vector>

#include "Ajustes.h"
#include "Funcoes/GradeComparacao.h"
#include "Funcoes/Resultado.h"

namespace comparacao {

enum class Falha {
  NoGrid,         // a curve of one vertex has no grid
  LongerThanSheet // the grid of a curve of some 65000 vertices does not fit below the headings
};

// The rows of the data sheet, one per day of the grid.
Resultado<std::vector<ComparisonRow>, Falha> Analyse(const Settings& settings,
                                                     const YieldCurve& curve);

// Why the run stopped, for the trace.
std::string Reason(Falha falha);

// The most rows the grid may have: the data sheet's rows below its headings.
inline constexpr std::size_t kMaxGridRows = 65536 - 3;

} // namespace comparacao
