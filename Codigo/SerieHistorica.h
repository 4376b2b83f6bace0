// A historic series as the volatility tools take it: oldest value first, and turned into returns
// when the values are prices; with the texts that tell on the result sheet how it was taken.
#pragma once

#include <stdexcept>
#include <vector>

#include "Dialogo.h"
#include "Funcoes/Retornos.h"

// "Dados históricos diretamente utilizados", "Utilizados os retornos dos dados", ...
const BilingualText& TreatmentText(Tratamento treatment);
// The order of the data as read: oldest first, or newest first (reversed).
const BilingualText& OrderText(bool reversed);

// A price ratio whose logarithm does not exist (zero or negative).
class NonPositiveRatio : public std::domain_error {
public:
  NonPositiveRatio() : std::domain_error("a price ratio that is not positive") {}
};

// Reversed when the data come newest first; prices turned into returns, x(i) = ln(x(i+1) /
// x(i)) or x(i+1) / x(i) - 1, the last element dropped. NonPositiveRatio for the logarithm of
// a ratio that is not positive; std::runtime_error when any prepared value is not finite.
std::vector<double> PreparedSeries(std::vector<double> x, bool reverse, Tratamento treatment);
