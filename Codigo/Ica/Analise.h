// The independent component tool's analysis, without Excel: the data's summary, the whitening
// through the eigen-decomposition of their covariance matrix, and the components FastICA
// separates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Ajustes.h"
#include "Funcoes/ComponentesIndependentes.h"
#include "Funcoes/Matriz.h"
#include "Funcoes/Resultado.h"

namespace ica {

// How many components are extracted from `signals` signals: the limit when it is in use,
// otherwise every signal but never more than 99 (the most the dialog offers).
std::uint32_t Components(const Settings& settings, std::size_t signals);

// The analysis of `data`, observations (rows) by signals (columns).
Resultado<AnaliseIca, FalhaIca> Analyse(const Settings& settings, const Matriz& data);

// Why the run stopped, for the trace.
std::string Reason(const FalhaIca& failure);

} // namespace ica
