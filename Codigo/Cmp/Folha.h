// What the comparison tool writes: the data sheet "Auxiliar" with the grid (hidden at the end),
// and the chart "CS x Exp" drawn from it.
#pragma once

#include <vector>

#include "Ajustes.h"
#include "Funcoes/GradeComparacao.h"
#include "PastaResultado.h"

namespace comparacao {

ResultBook Sheet(const Settings& settings, const std::vector<ComparisonRow>& grid);

} // namespace comparacao
