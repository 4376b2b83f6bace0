// What the best-decay tool writes: the sheet "Decay EWV" with the settings and the decay of the
// most stable exponentially weighted variance, and below it the RiskMetrics forecast criterion.
#pragma once

#include "Ajustes.h"
#include "Analise.h"
#include "PastaResultado.h"

namespace decay {

ResultBook Sheet(const Settings& settings, const Result& result);
// The sheet as a failure leaves it: opened, nothing written.
ResultBook StoppedSheet(const Settings& settings);

} // namespace decay
