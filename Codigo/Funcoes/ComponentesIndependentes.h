// The independent component analysis of a data matrix as the ICA tool makes it: centring,
// whitening through the eigen-decomposition of the covariance matrix, FastICA, and the sources.
// Plain C++ on Matriz; nothing here knows of Excel. Follows the conventions of Matriz.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Fastica.h"
#include "Matriz.h"

// Why `componentes_independentes` stopped; the tool answers each with its one message.
enum class FalhaIca {
  Nenhuma,              // done
  Dimensoes,            // fewer than 2 observations, no signal, rows of unequal length, or k
                        // outside 1 .. p
  Covariancias,         // the column statistics failed
  Autovalores,          // the eigen-decomposition failed
  AutovalorNaoPositivo, // the covariance matrix is singular (see kIcaMenorAutovalor)
  Produto,              // a matrix product failed
  Fastica               // `fastica` reported a failure
};

// An eigenvalue of the covariance matrix at or below this fraction of the largest one counts as
// zero: a constant signal, or a signal that is a combination of others (two identical signals),
// leaves an eigenvalue that is 0 only up to the rounding of the decomposition, a few ulps of the
// largest one, and sometimes below 0. Whitening divides by its square root, so the analysis
// stops there instead.
inline constexpr double kIcaMenorAutovalor = 1e-12;

struct ResultadoIca {
  FalhaIca falha = FalhaIca::Dimensoes;
  // The data as read: column means, sample standard deviations and covariance matrix (p x p).
  std::vector<double> medias;
  std::vector<double> desvios;
  Matriz covariancia;
  // The eigen-decomposition of the centred data's covariance matrix, in the order
  // `autovalores` returns it.
  std::vector<double> autovalores;
  Matriz autovetores;      // E, column j for autovalores[j]
  Matriz branqueamento;    // Wh = D^-1/2 E^T (p x p)
  Matriz desbranqueamento; // Dw = E D^1/2 (p x p)
  Matriz mixing;           // A (p x k), from `fastica`
  Matriz demixing;         // W (k x p), from `fastica`
  Matriz fontes;           // S = W Xc^T (k x n): row q is component q over the observations
  FasticaReport relatorio;
};

// How many components the tool extracts from `sinais` signals: the dialog's limit when it is
// in use, otherwise every signal but never more than 99 (the most the dialog offers).
std::uint32_t numero_de_componentes(std::size_t sinais, bool limitado, int limite);

// The analysis of X (n observations by p signals) with k components:
//   m(j) the column means, Xc = X - m, Cv = covariancias(Xc) = E D E^T (autovalores),
//   Wh = D^-1/2 E^T, Dw = E D^1/2, Z = Wh Xc^T,
//   (A, W) = fastica(Z, Wh, Dw, k), S = W Xc^T.
// All p eigen-directions take part in the whitening; k only limits how many components are
// extracted. A component that `fastica` abandons leaves zeros in A, W and S, and is not a
// failure. False, with `falha` set, at the first step that fails; the outputs of the steps
// before it are kept.
bool componentes_independentes(const Matriz& X, std::uint32_t k, ResultadoIca& resultado);
