// Prices turned into returns, and a historic series prepared as the volatility tools take it.
#pragma once

#include <vector>

#include "Resultado.h"

enum class TipoRetorno { Simples, Logaritmico };
// The order of a series: the oldest value first, or the most recent first.
enum class OrdemDados { MaisAntigosPrimeiro, MaisRecentesPrimeiro };

// The returns of `precos`, in the order of the prices, one fewer (none for fewer than two
// prices). Each return compares a price with the one before it in time:
//   simple       r = recent / older - 1
//   logarithmic  r = ln(recent / older)
// so that with the oldest first r(i) = f(x(i+1), x(i)), and with the most recent first
// r(i) = f(x(i), x(i+1)). A ratio that is not positive gives a logarithm that is not a number;
// serie_historica refuses it.
std::vector<double> retornos(std::vector<double> precos, TipoRetorno tipo, OrdemDados ordem);

// How a series is taken: its values as they are, or the returns of prices.
enum class Tratamento { AsGiven = 0, SimpleReturns = 1, LogReturns = 2 };

// The treatment the returns boxes of a dialog ask for: none without returns; log returns only
// with them.
Tratamento TreatmentOf(bool returns, bool log_returns);

enum class FalhaSerie {
  RazaoNaoPositiva, // log returns of a price ratio that is zero or negative
  NaoFinito,        // a value (or a return) that is infinite or not a number
};

// The series oldest first (reversed when given the most recent first), turned into returns as
// `tratamento` asks.
Resultado<std::vector<double>, FalhaSerie> serie_historica(std::vector<double> x, OrdemDados ordem,
                                                           Tratamento tratamento);
