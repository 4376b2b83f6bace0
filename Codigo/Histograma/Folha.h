// What the histogram tool writes: the sheet "Histograma" / "Histogram" with the summary, the
// frequency table and, on request, the bins' indicators and densities; the frequency chart and,
// with the densities, the normalised histogram's chart.
#pragma once

#include "Ajustes.h"
#include "Funcoes/Frequencias.h"
#include "PastaResultado.h"

namespace histograma {

ResultBook Sheet(const Settings& settings, const Histograma& h);

} // namespace histograma
