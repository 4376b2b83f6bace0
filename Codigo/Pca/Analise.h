// The principal component tool's analysis, without Excel: the correlation matrix of the data (or
// the range taken as one), its eigen-decomposition, the retained factors and their loadings, and
// on request their varimax rotation. A run that stops partway keeps what it reached, since the
// sheet shows it up to the stop.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Ajustes.h"
#include "Funcoes/AdequacaoPca.h"
#include "Funcoes/AnaliseParalela.h"
#include "Funcoes/Autovalores.h"
#include "Funcoes/ComponentesPrincipais.h"
#include "Funcoes/Matriz.h"
#include "Funcoes/Resultado.h"
#include "Funcoes/Varimax.h"

namespace pca {

// The data's summary: observations, means and sample standard deviations of the variables, and
// their correlation matrix.
struct DataSummary {
  std::size_t observations = 0;
  std::vector<double> means;
  std::vector<double> deviations;
  Matriz correlations;
};

// The eigenvalues of the correlation matrix in the order the decomposition gives them, their
// table, and the eigenvectors (column j for eigenvalue j).
struct Eigen {
  std::vector<double> values;
  TabelaAutovalores table;
  Matriz vectors;
};

// The K retained factors: loadings L (p x K), each variable's communality and their sum.
struct Factors {
  std::size_t count = 0;
  Matriz loadings;
  std::vector<double> communalities;
  double total_variance = 0;
};

// The varimax rotation T (K x K), the rotated loadings M = L T, the variance each rotated
// factor explains, each variable's communality over them and their sum.
struct Rotation {
  Matriz rotation;
  Matriz rotated;
  std::vector<double> explained;
  std::vector<double> communalities;
  double total_variance = 0;
};

// What the options add to a complete analysis: the unit-variance scores of the retained factors
// (and with the rotation, those times T), the sampling adequacy and Bartlett's sphericity (none
// for a correlation matrix given as the range, or a singular one), and the parallel analysis.
struct Extras {
  std::optional<Matriz> scores;
  std::optional<Matriz> rotated_scores;
  std::optional<AdequacaoAmostra> adequacy;
  std::optional<EsfericidadeBartlett> sphericity;
  std::optional<ResultadoParalela> parallel;
};

// What an analysis reached, part by part, in the order it computes them; a complete one has
// every part but the rotation when none was asked for.
struct Analysis {
  std::size_t variables = 0;
  std::optional<DataSummary> data; // none for a range given as the correlation matrix
  std::optional<Eigen> eigen;
  std::optional<Factors> factors;
  std::optional<Rotation> rotation;
  Extras extras;
};

// Why an analysis stopped.
enum class Stop {
  NotACorrelationMatrix, // the range given as a correlation matrix is not symmetric with a unit
                         // diagonal
  NoCorrelations,        // the data have no correlation matrix
  NoEigenvalues,         // the eigen-decomposition failed
  NegativeEigenvalue,    // the correlation matrix is not positive semi-definite
  NoFactorByKaiser,      // no eigenvalue above 1 for Kaiser's criterion
  NoRotation             // the varimax rotation (or its product) failed
};

// The stop, the reason of the routine that failed in it (none where the analysis itself
// judged), and what was reached before it.
struct Failure {
  Stop stop = Stop::NoCorrelations;
  std::variant<std::monostate, FalhaMomentos, FalhaAutovalores, FalhaVarimax, FalhaProduto> cause =
      {};
  Analysis reached = {};
};

// The analysis of `data`: observations (rows) by variables (columns), or with
// `settings.correlation_input` their correlation matrix.
Resultado<Analysis, Failure> Analyse(const Settings& settings, const Matriz& data);

// Why the run stopped, for the trace.
std::string Reason(const Failure& failure);

} // namespace pca
