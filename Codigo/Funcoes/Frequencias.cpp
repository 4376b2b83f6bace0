#include "Frequencias.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace {
// Mean and sample standard deviation of one bin's values, by the same two-pass sums as the
// whole sample's.
void BinStatistics(std::span<const double> values, Faixa& bin) {
  bin.count = values.size();
  if (values.empty()) return;
  const CentralMoments moments = ComputeCentralMoments(values);
  bin.mean = moments.mean;
  if (values.size() > 1) bin.std_dev = StandardDeviation(moments, Dispersion::Sample);
}

// numpy's linear percentile: the order statistics either side of (n - 1) p, weighted from the
// nearer end as numpy's lerp does. Found by partial ordering (x is reordered), not by a sort.
double Percentile(std::vector<double>& x, double p) {
  const double index = static_cast<double>(x.size() - 1) * p;
  const double below = std::floor(index);
  const auto i = static_cast<std::size_t>(below);
  const auto at = x.begin() + static_cast<std::ptrdiff_t>(i);
  std::nth_element(x.begin(), at, x.end());
  if (i + 1 >= x.size()) return *at;
  const double a = *at;
  const double b = *std::min_element(at + 1, x.end());
  const double t = index - below;
  const double diff = b - a;
  return t >= 0.5 ? b - diff * (1 - t) : a + diff * t;
}

double Median(const std::vector<double>& sorted) {
  const std::size_t n = sorted.size();
  return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) * 0.5;
}
} // namespace

Resultado<Histograma, FalhaHistograma> monta_histograma(std::vector<double> x, int k,
                                                        Dispersion dispersion) {
  if (k < 1) return Falhou{FalhaHistograma::BadBinCount};
  if (x.size() < 2) return Falhou{FalhaHistograma::TooFewValues};
  if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
    return Falhou{FalhaHistograma::NotFinite};
  std::sort(x.begin(), x.end());

  Histograma h;
  const std::size_t n = x.size();
  const double dn = static_cast<double>(n);
  const CentralMoments moments = ComputeCentralMoments(x);
  h.n = n;
  h.mean = moments.mean;
  h.median = Median(x);
  h.minimum = x.front();
  h.maximum = x.back();
  h.std_dev = StandardDeviation(moments, dispersion);
  h.width = (h.maximum - h.minimum) / k;
  if (!std::isfinite(h.width) || !std::isfinite(h.std_dev))
    return Falhou{FalhaHistograma::NotFinite};

  // The standardised moments from the scaled sums (CentralMoments): the same digits, and no
  // overflow of s^4 for data near 10^80 nor underflow for data near 10^-80.
  const double s = ScaledStandardDeviation(moments, dispersion);
  if (s > 0 && moments.min != moments.max) {
    const double s3 = s * s * s;
    const double s4 = s3 * s;
    if (n >= 3)
      h.skewness = dispersion == Dispersion::Population
                       ? moments.m3 / (s3 * dn)
                       : moments.m3 / s3 * dn / ((dn - 1) * (dn - 2));
    if (n >= 4)
      h.excess_kurtosis = dispersion == Dispersion::Population
                              ? moments.m4 / (s4 * dn) - 3
                              : dn * (dn + 1) / ((dn - 1) * (dn - 2) * (dn - 3)) * moments.m4 / s4 -
                                    3 * (dn - 1) * (dn - 1) / ((dn - 2) * (dn - 3));
  }

  // The sorted values are cut where each bin's upper edge falls; every bin is then one
  // contiguous run of them.
  h.faixas.resize(static_cast<std::size_t>(k));
  std::size_t start = 0;
  double lower = h.minimum;
  for (int b = 1; b <= k; ++b) {
    Faixa& bin = h.faixas[static_cast<std::size_t>(b - 1)];
    const double upper = b < k ? h.maximum - (k - b) * h.width : h.maximum;
    std::size_t end = n;
    if (b < k)
      end = static_cast<std::size_t>(
          std::lower_bound(x.begin() + static_cast<std::ptrdiff_t>(start), x.end(), upper) -
          x.begin());
    bin.lower = lower;
    bin.upper = upper;
    BinStatistics(std::span<const double>(x).subspan(start, end - start), bin);
    h.highest_count = std::max(h.highest_count, bin.count);
    start = end;
    lower = upper;
  }

  const auto most = std::count_if(h.faixas.begin(), h.faixas.end(),
                                  [&](const Faixa& bin) { return bin.count == h.highest_count; });
  if (most == 1) {
    const auto top = std::find_if(h.faixas.begin(), h.faixas.end(),
                                  [&](const Faixa& bin) { return bin.count == h.highest_count; });
    h.mode = (top->lower + top->upper) * 0.5;
  }

  if (h.width > 0) {
    double running = 0;
    for (Faixa& bin : h.faixas) {
      bin.density = static_cast<double>(bin.count) / h.width / dn;
      running += *bin.density;
      bin.cumulative_density = running;
    }
  }
  return h;
}

std::optional<double> faixas_pela_regra(std::vector<double> x, RegraFaixas regra) {
  if (x.empty() || !std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
    return std::nullopt;
  const double n = static_cast<double>(x.size());
  const auto [low, high] = std::minmax_element(x.begin(), x.end());
  const double range = *high - *low;
  // Each width in numpy's order of operations, so that a ratio near a whole number rounds as
  // numpy's does.
  double width = 0;
  switch (regra) {
  case RegraFaixas::Sturges: width = range / (std::log2(n) + 1.0); break;
  case RegraFaixas::Scott: {
    constexpr double kPi = 3.141592653589793;
    const double s = StandardDeviation(ComputeCentralMoments(x), Dispersion::Population);
    width = std::pow(24.0 * std::pow(kPi, 0.5) / n, 1.0 / 3.0) * s;
    break;
  }
  case RegraFaixas::FreedmanDiaconis:
    width = 2.0 * (Percentile(x, 0.75) - Percentile(x, 0.25)) * std::pow(n, -1.0 / 3.0);
    break;
  }
  if (width == 0) return 1.0;
  const double bins = std::ceil(range / width);
  if (!std::isfinite(bins) || bins < 1) return std::nullopt;
  return bins;
}
