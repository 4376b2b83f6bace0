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
  LongerThanSheet // the grid of a curve does not fit below the headings (some 65000 vertices
                  // on the Excel 4 interface's sheet)
};

// The rows of the data sheet, one per day of the grid, on a sheet of `sheet_rows` rows.
Resultado<std::vector<ComparisonRow>, Falha>
Analyse(const Settings& settings, const YieldCurve& curve, std::size_t sheet_rows = 65536);

// Why the run stopped, for the trace.
std::string Reason(Falha falha);

// The most rows the grid may have: the data sheet's rows below its headings.
constexpr std::size_t MostGridRows(std::size_t sheet_rows) {
  return sheet_rows - 3;
}

} // namespace comparacao
