// The regression tool's analysis, without Excel: the least-squares fit of the first column on
// the others, the cells its sheet shows, and on request the combined correlations.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Ajustes.h"
#include "Funcoes/DiagnosticosRegressao.h"
#include "Funcoes/Matriz.h"
#include "Funcoes/QuadroRegressao.h"
#include "Funcoes/Regressao.h"
#include "Funcoes/Resultado.h"

namespace rlm {

struct Result {
  ResultadoRegressao fit;
  QuadroRegressao q; // its SE and t cells under the settings' covariance
  std::optional<DiagnosticosRegressao> diagnostics;
  std::optional<InfluenciaRegressao> influence; // for the residuals sheet
  // With the combined correlations: best[i] holds the `shown` best combinations explaining
  // X(i+1).
  std::size_t shown = 0;
  std::optional<std::vector<std::vector<CombinacaoR>>> best;
};

enum class Falha {
  Correlations, // the column statistics failed: a constant column
  Shapes,       // no explanatory column, or no more observations than coefficients
  Singular,     // the design cannot be inverted
  NotSquare,
  Combined, // some combination of explanatory variables is singular
};

// Why a run stopped, and the fit it had reached (the combined correlations come after it).
struct Stop {
  Falha reason;
  std::optional<Result> reached;
};

// How far the combined correlations are: `done` subsets of `total`.
using Progress = std::function<void(double done, double total)>;

// The parts of a run after the fit, each announced as it starts.
enum class Step { RobustErrors, Diagnostics };
using Announce = std::function<void(Step)>;

Resultado<Result, Stop> Analyse(const Settings& settings, const Matriz& data,
                                const Progress& progress = {}, const Announce& announce = {});

// Why the run stopped, for the trace.
std::string Reason(Falha falha);

} // namespace rlm
