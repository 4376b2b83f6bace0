// The histogram tool's numbers: a summary of the data and its frequencies over k equal-width
// bins between the minimum and the maximum. Plain C++ on vectors.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "Estatistica.h"
#include "Resultado.h"

// One bin: [lower, upper), the last one closed at both ends.
struct Faixa {
  double lower = 0;
  double upper = 0;
  std::size_t count = 0;
  // Mean and standard deviation of the bin's own values (sample form); 0 when the bin holds
  // none, and the deviation 0 when it holds one.
  double mean = 0;
  double std_dev = 0;
  // count / w / n: integrates to 1 over the bins. No value when all data are equal (w = 0).
  std::optional<double> density;
  std::optional<double> cumulative_density; // the densities of this bin and those before it
};

struct Histograma {
  std::size_t n = 0;
  double mean = 0;
  double median = 0;
  std::optional<double> mode; // midpoint of the one most populated bin; none on a tie
  double maximum = 0;
  double minimum = 0;
  double std_dev = 0; // of the chosen dispersion
  // Moment forms with s of the chosen dispersion; none for too few values (n < 3 for the
  // skewness, n < 4 for the kurtosis) or when every value is equal (s = 0).
  //   population  skew = M3 / (s^3 n)              kurt = M4 / (s^4 n) - 3
  //   sample      skew = M3 / s^3 * n / ((n - 1)(n - 2))
  //               kurt = n (n + 1) / ((n - 1)(n - 2)(n - 3)) * M4 / s^4
  //                      - 3 (n - 1)^2 / ((n - 2)(n - 3))
  // M_k = sum (x_i - mean)^k, by the two-pass sums of ComputeCentralMoments.
  std::optional<double> skewness;
  std::optional<double> excess_kurtosis;
  double width = 0; // w = (maximum - minimum) / k
  std::vector<Faixa> faixas;
  std::size_t highest_count = 0;
};

// Why no histogram could be made.
enum class FalhaHistograma {
  TooFewValues, // fewer than two values: no dispersion and no width to bin by
  NotFinite,    // a value is infinite or not a number (a return from a zero price)
  BadBinCount,  // k < 1
};

// The histogram of `x` (any order; sorted here) over `k` bins. Bins: upper edge of bin b,
// u_b = max - (k - b) w, for b = 1 .. k - 1, the last bin ending at the maximum; a value not
// below u_b falls in a later bin. Taking the edges from the maximum down, rather than adding
// w to the minimum, puts the maximum in the last bin whatever the rounding.
Resultado<Histograma, FalhaHistograma> monta_histograma(std::vector<double> x, int k,
                                                        Dispersion dispersion);

// The rules that choose the number of bins from the data.
enum class RegraFaixas { Sturges, Scott, FreedmanDiaconis };

// The number of equal-width bins numpy's histogram_bin_edges(x, rule) makes: ceil(r / h), r =
// max - min, with the bin width
//   Sturges             h = r / (log2 n + 1)
//   Scott               h = (24 sqrt(pi) / n)^(1/3) s, s the population standard deviation
//   Freedman-Diaconis   h = 2 IQR n^(-1/3), the quartiles interpolated linearly between the
//                       order statistics at (n - 1) p
// and 1 bin when h is 0 (every value equal, or no spread between the quartiles). The count is
// whole but may exceed any int. None for no values, a value that is not finite, or a range or
// width that overflows.
std::optional<double> faixas_pela_regra(std::vector<double> x, RegraFaixas regra);
