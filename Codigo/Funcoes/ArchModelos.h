// Conditional-variance models of the ARCH family: the Gaussian log-likelihood and its
// derivative-free maximiser. Plain C++ on vectors; nothing here knows of Excel.
#pragma once

#include <cstddef>
#include <vector>

// The model codes, in the order of the ARCH tool's model group.
enum class ModeloArch : int { Arch = 0, Garch = 1, Igarch = 2, Egarch = 3, Gjr = 4 };

// delta: the least admissible value of the positive parameters, the start value of every
// parameter, the unit step of the search and the margin of the stationarity test.
inline constexpr double kDeltaArch = 1e-5;
// The log-likelihood of an EGARCH point whose variance underflows to 0.
inline constexpr double kSentinelaArch = -1.7e308;

// Series e(0) .. e(T-1), oldest first, used as given. Parameters
//   theta = (omega, alpha_1..alpha_q, gamma_1..gamma_r, beta_1..beta_p),
// with r = 0 taken for ARCH, GARCH and IGARCH. A lag before the start of the series uses h0:
//   ARCH, GARCH, IGARCH: S = sum alpha + sum beta; h0 = omega / (1 - S) when
//     1 - 2 delta (q + p) > S, else mean(e^2);
//     h(t) = omega + sum_i alpha_i e(t-i)^2 [alpha_i h0] + sum_j beta_j h(t-j) [beta_j h0]
//   EGARCH: h0 = mean(e^2);
//     ln h(t) = omega + sum_i alpha_i (|e(t-i)| + gamma_i e(t-i)) / sqrt(h(t-i)) [alpha_i (1 +
//     gamma_i)]
//               + sum_j beta_j ln h(t-j) [beta_j ln h0]
//   GJR: h0 = mean(e^2);
//     h(t) = omega + sum_i alpha_i e(t-i)^2 [alpha_i h0] + sum_i gamma_i e(t-i)^2 1{e(t-i) < 0}
//            [gamma_i h0] + sum_j beta_j h(t-j) [beta_j h0]
//   LL = -(T/2) ln(2 pi) - 1/2 sum_t (e(t)^2 / h(t) + ln h(t)).
// EGARCH returns kSentinelaArch when some h(t) is exactly 0. The sums run alongside the variance
// recursion, in order of t: e^2/h, and ln h as the logarithm of products of 32 mantissas plus the
// sum of the binary exponents (or the plain sum of logarithms when some h is not a positive
// normal number).
double log_verossimilhanca(ModeloArch modelo, int q, int r, int p, const std::vector<double>& e,
                           const std::vector<double>& theta);

// The log-likelihoods of several parameter vectors of one model: element c is
// log_verossimilhanca of thetas[c], to the last bit. The recursions run interleaved, a few at a
// time, so that a batch of two to four costs little more than one evaluation.
std::vector<double> log_verossimilhancas(ModeloArch modelo, int q, int r, int p,
                                         const std::vector<double>& e,
                                         const std::vector<std::vector<double>>& thetas);

// What the search did, for tests and traces.
struct DiagnosticoArch {
  long iteracoes = 0;     // passes of the search
  long avaliacoes = 0;    // likelihood evaluations the search used
  long especulativas = 0; // likelihoods computed ahead in a batch and never used
  int escala = 0;         // k: the search ran on e 10^k
};

// The decimal scale k = round(-log10(mean e^2) / 2) on which estima_arch searches: e 10^k has
// a mean square near 1. 0 when mean(e^2) is 0 or not finite.
int escala_arch(const std::vector<double>& e);

// Maximum likelihood by coordinate-wise pattern search with decimal step acceleration.
// Start: every parameter delta; IGARCH sets alpha_1 = 1 - (q + p - 1) delta. Coordinates k = 0 ..
// n (n = q + p, or q + r + p for EGARCH and GJR), direction +1, multiplier 1. Each pass tries
// theta(k) += d delta m:
//   admissible: ARCH, GARCH: theta(k) >= delta and sum(theta(1..n)) <= 1 - delta; IGARCH:
//     theta(k) >= delta, a move of k > 0 compensated by a partner coordinate (the first found,
//     among 1..q+p, whose opposite move keeps it >= delta and gives the best improvement; then
//     remembered) so that sum alpha + sum beta stays 1; EGARCH: always; GJR: omega, alpha,
//     beta >= delta and alpha_i + gamma_i >= delta for the pair touched;
//   improvement (L > L*, strictly): keep it, and grow m tenfold (up to 10^4) until the step has
//     been reduced; failure: undo, turn the direction at the first failure, otherwise m /= 10
//     (turning once more when m comes back to 1); m = 0 moves to the next coordinate;
//   stop when every coordinate has been abandoned once in a row without an improvement.
// Returns 1 when stopped so, -1 after 100000 passes (theta and LL at the last accepted point),
// 0 for a value of modelo outside the five models (theta the start values, LL untouched).
// EGARCH evaluates its trials in batches of three (the current trial and the next one after
// either outcome) and replays its decisions on them: the passes, the evaluations counted and
// the result are those of one evaluation at a time.
//
// The search runs on e 10^k, k = round(-log10(mean e^2) / 2), so that delta, a fixed absolute
// step and floor for omega, is matched to the scale of the variances; for returns in percent
// k = 0 and nothing changes. Results are carried back exactly: GARCH family
// omega 10^(-2k), EGARCH omega - 2k ln(10)(1 - sum beta), LL + T k ln(10).
int estima_arch(ModeloArch modelo, int q, int r, int p, const std::vector<double>& e,
                std::vector<double>& theta, double& LL, DiagnosticoArch* diagnostico = nullptr);

// The parts of estima_arch, for a caller that works on the search's own scale: the series times
// 10^k; the search on a series taken as it is (no scaling); a point of the search on e 10^k
// carried back to e.
std::vector<double> serie_escalada_arch(const std::vector<double>& e, int k);
int busca_arch(ModeloArch modelo, int q, int r, int p, const std::vector<double>& e,
               std::vector<double>& theta, double& LL, DiagnosticoArch* diagnostico = nullptr);
void desfaz_escala_arch(ModeloArch modelo, int q, int r, int p, int k, std::size_t T,
                        std::vector<double>& theta, double& LL);
