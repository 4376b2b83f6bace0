// Independent components of whitened data by the fixed-point (FastICA) iteration with the
// Gaussian contrast, one component at a time. Follows the conventions of Matriz.h. Every start
// vector is fixed, so a run is reproducible.
#pragma once

#include <cstdint>
#include <vector>

#include "Matriz.h"

// Why no separation was made.
enum class FalhaFastica {
  Dimensoes,   // k outside 1 .. d, Z without observations, rows of Z of unequal length, or Wh
               // or Dw not d x d
  DirecaoNula, // a vector to normalise has a zero or non-finite length
  DivisorNulo  // the stabilised update's divisor G1 - beta is zero or not finite
};
const char* descricao(FalhaFastica falha);

// How one component's iteration ended: its vector accepted after fine-tuning, or abandoned at
// the iteration limit (not a failure of the run: its column of A and row of W stay zero).
enum class FimComponente { Aceito, Abandonado };

struct ComponenteFastica {
  std::uint32_t iteracoes = 0; // updates made
  FimComponente fim = FimComponente::Abandonado;
  bool afinado = false; // reached the fine-tuning phase
  bool oscilou = false; // the step was halved for an oscillation
  bool lento = false;   // the step was halved after the slow-convergence threshold
  // min(|w - wOld|, |w + wOld|) at the last convergence test (step 2b); below kFasticaEpsilon
  // for an accepted component.
  double variacao = 0;
};

// A (d x k, mixing: column q is Dw w_q) and W (k x d, demixing: row q is w_q^T Wh), and how each
// component's iteration went.
struct Separacao {
  Matriz mixing;
  Matriz demixing;
  std::vector<ComponenteFastica> componentes;
};

inline constexpr double kFasticaEpsilon = 0.0001;
inline constexpr std::uint32_t kFasticaSlow = 5000;
inline constexpr std::uint32_t kFasticaLimit = 10000;

// Z: whitened data, d signals (rows) by N observations (columns); Wh, Dw: the d x d whitening
// and dewhitening matrices; k components, 1 <= k <= d.
//
// With B the d x d matrix whose column q holds the accepted vector w_q (zero otherwise), the
// deflate-and-normalise step is w <- w - B (B^T w), w <- w / |w|. For each component q:
//  1. w(j) = (-1)^j j / d, deflated and normalised; wOld = wOld2 = 0; step mu = 1; not
//     stabilised; i = 1.
//  2. Repeat:
//     a. deflate and normalise w;
//     b. converged (|w - wOld| < eps or |w + wOld| < eps): the first time, fine-tuning starts
//        (stabilised, mu = 0.01, wOld = wOld2 = 0); the second time w is accepted.
//        Otherwise, the first time w comes back to wOld2 (up to sign) the iteration oscillates:
//        stabilised, mu = mu / 2; or else, once, after 5000 iterations: stabilised, mu = mu / 2;
//     c. wOld2 = wOld, wOld = w;
//     d. u(t) = sum_j Z(j, t) w(j), e(t) = exp(-u(t)^2 / 2), g(t) = u(t) e(t),
//        g'(t) = (1 - u(t)^2) e(t), G1 = sum_t g'(t), beta = sum_t u(t) g(t), and for each j
//        zg(j) = sum_t Z(j, t) g(t);
//     e. not stabilised: w(j) = (zg(j) - w(j) G1) / N;
//        stabilised:     w(j) = (w(j) - mu (zg(j) - w(j) beta) / (G1 - beta)) / N;
//     f. w <- w / |w|; i = i + 1; when i reaches 10000 the component is abandoned (its column
//        of A and row of W stay zero, B unchanged) and the next one starts.
//  3. Accepted: column q of B = w; column q of A = Dw w; row q of W = w^T Wh.
// The projections u(t) are taken straight from the rows of Z, adding the terms in increasing j
// as the rows of the transposed data would; no transposed copy is made.
//
// No separation for dimensions that do not fit and for a zero or non-finite divisor (|w| = 0,
// G1 - beta = 0); an abandoned component is not a failure.
Resultado<Separacao, FalhaFastica> separa_componentes(const Matriz& Z, const Matriz& Wh,
                                                      const Matriz& Dw, std::uint32_t k);
// The same into A and W; false, with both empty, where the above has no separation.
bool fastica(Matriz Z, Matriz Wh, Matriz Dw, std::uint32_t k, Matriz& A, Matriz& W);
