// The histogram tool's analysis: the summary and the bins of the selected numbers (or of their
// simple returns), without Excel.
#pragma once

#include <string>
#include <vector>

#include "Ajustes.h"
#include "Funcoes/Frequencias.h"
#include "Funcoes/Resultado.h"

namespace histograma {

// The values the histogram is made of: the numbers themselves, or with `returns` the simple
// returns of them as prices, oldest first.
std::vector<double> Values(bool returns, std::vector<double> data);

// The numbers of the selection in reading order: column by column, each from top to bottom.
Resultado<Histograma, FalhaHistograma> Analyse(const Settings& settings, std::vector<double> data);

// Why the run stopped, for the trace.
std::string Reason(FalhaHistograma falha);

} // namespace histograma
