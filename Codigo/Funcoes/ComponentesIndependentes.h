// The independent component analysis of a data matrix as the ICA tool makes it: centring,
// whitening through the eigen-decomposition of the covariance matrix, FastICA, and the sources.
// Plain C++ on Matriz; nothing here knows of Excel. Follows the conventions of Matriz.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "Autovalores.h"
#include "Fastica.h"
#include "Matriz.h"

// The step at which the analysis stopped.
enum class EtapaIca {
  Dimensoes,            // fewer than 2 observations, no signal, rows of unequal length, or k
                        // outside 1 .. p
  Covariancias,         // the column statistics
  Autovalores,          // the eigen-decomposition
  AutovalorNaoPositivo, // the covariance matrix is singular (see kIcaMenorAutovalor)
  Produto,              // a matrix product
  Fastica               // the separation
};

// The step, and the reason of the routine that failed in it (none for Dimensoes, and for a
// singular matrix whose eigenvalues were all found).
struct FalhaIca {
  EtapaIca etapa = EtapaIca::Dimensoes;
  std::variant<std::monostate, FalhaMomentos, FalhaAutovalores, FalhaProduto, FalhaFastica> causa =
      {};
};
// The step and its cause, for a trace.
std::string descricao(const FalhaIca& falha);

// An eigenvalue of the covariance matrix at or below this fraction of the largest one counts as
// zero: a constant signal, or a signal that is a combination of others (two identical signals),
// leaves an eigenvalue that is 0 only up to the rounding of the decomposition, a few ulps of the
// largest one, and sometimes below 0. Whitening divides by its square root, so the analysis
// stops there instead.
inline constexpr double kIcaMenorAutovalor = 1e-12;

struct AnaliseIca {
  // The data as read: column means, sample standard deviations and covariance matrix (p x p).
  std::vector<double> medias;
  std::vector<double> desvios;
  Matriz covariancia;
  // The eigen-decomposition of the centred data's covariance matrix, in the order
  // `decomposicao_espectral` returns it.
  std::vector<double> autovalores;
  Matriz autovetores;      // E, column j for autovalores[j]
  Matriz branqueamento;    // Wh = D^-1/2 E^T (p x p)
  Matriz desbranqueamento; // Dw = E D^1/2 (p x p)
  Matriz mixing;           // A (p x k), from the separation
  Matriz demixing;         // W (k x p), from the separation
  Matriz fontes;           // S = W Xc^T (k x n): row q is component q over the observations
  std::vector<ComponenteFastica> componentes;
};

// How many components the tool extracts from `sinais` signals: the dialog's limit when it is
// in use, otherwise every signal but never more than 99 (the most the dialog offers).
std::uint32_t numero_de_componentes(std::size_t sinais, bool limitado, int limite);

// The analysis of X (n observations by p signals) with k components:
//   m(j) the column means, Xc = X - m, Cv = covariances of Xc = E D E^T,
//   Wh = D^-1/2 E^T, Dw = E D^1/2, Z = Wh Xc^T,
//   (A, W) = separation of Z with Wh, Dw and k components, S = W Xc^T.
// All p eigen-directions take part in the whitening; k only limits how many components are
// extracted. A component that the separation abandons leaves zeros in A, W and S, and is not a
// failure.
Resultado<AnaliseIca, FalhaIca> componentes_independentes(const Matriz& X, std::uint32_t k);
