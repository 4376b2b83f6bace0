// What the principal component tool writes: the sheet "PCA" with the data's summary (or the mark
// of a correlation matrix given as the range), the eigenvalue table, the loadings beside the
// principal-component coefficients, the communalities and, on request, the varimax rotation;
// and on request the chart sheet "Scree Test"; with the options, the adequacy and parallel
// analysis blocks below the rest, and the sheet "Escores" of component scores.
#pragma once

#include <optional>

#include "Ajustes.h"
#include "Analise.h"
#include "PastaResultado.h"

namespace pca {

// The whole workbook of a complete analysis, with the closing steps; `bartlett_p` is Excel's
// CHIDIST of Bartlett's chi-squared, when there is one.
ResultBook Sheet(const Settings& settings, const Analysis& analysis,
                 std::optional<double> bartlett_p = std::nullopt);
// The workbook of an analysis that stopped: the blocks of what it reached, with the closing
// steps only after the stops that leave a finished sheet behind (a range that is not a
// correlation matrix, a negative eigenvalue, no factor by Kaiser's criterion); after the others
// the sheet stays as it was at the stop.
ResultBook Sheet(const Settings& settings, const Failure& failure);

} // namespace pca
