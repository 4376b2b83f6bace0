// The histogram tool's analysis: the summary and the bins of the selected numbers (or of their
// simple returns), without Excel.
#pragma once

#include <string>
#include <vector>

#include "Ajustes.h"
#include "Funcoes/Frequencias.h"
#include "Funcoes/Resultado.h"

namespace histograma {

// The numbers of the selection in reading order: column by column, each from top to bottom.
Resultado<Histograma, FalhaHistograma> Analyse(const Settings& settings, std::vector<double> data);

// Why the run stopped, for the trace.
std::string Reason(FalhaHistograma falha);

} // namespace histograma
