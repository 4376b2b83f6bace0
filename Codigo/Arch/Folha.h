// What the conditional-volatility tool writes: the sheet named after the model (or "Melhor
// ARCH") with the heading, the parameter table with the likelihood-ratio tests, the
// volatilities and the log-likelihood, and the criteria; on request the standard errors beside
// the parameters, the forecast and VaR block, the backtest block, the hidden data sheet
// "Auxiliar" and the volatility chart drawn from it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Ajustes.h"
#include "Analise.h"
#include "PastaResultado.h"

namespace arch {

// Excel's CHIDIST(LR, 1) of each parameter's test, where LR > 0 and Excel gave it; and of the
// backtests' Kupiec and Christoffersen tests (VaR 95% then 99%), where Excel gave it.
struct PValues {
  std::vector<std::optional<double>> lr;
  std::array<std::array<std::optional<double>, 2>, 2> backtest{};
};

ResultBook Sheet(const Settings& settings, const Result& result, const PValues& p);
// The book as a run that stopped for `falha` leaves it: nothing when no model or order was
// chosen, otherwise the result sheet opened and empty.
ResultBook StoppedSheet(const Settings& settings, Falha falha);

} // namespace arch
