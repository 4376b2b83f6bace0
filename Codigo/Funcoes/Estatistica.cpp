#include "Estatistica.h"

#include <algorithm>
#include <cmath>

SkewForm SkewFormOf(int tipo) {
  if (tipo == 0) return SkewForm::Moment;
  if (tipo == 2) return SkewForm::PearsonMedian;
  return SkewForm::PearsonMode;
}

void ToSimpleReturns(std::vector<double>& x) {
  if (x.empty()) return;
  for (std::size_t i = 0; i + 1 < x.size(); ++i)
    x[i] = x[i + 1] / x[i] - 1;
  x.pop_back();
}

void ToLogReturns(std::vector<double>& x) {
  if (x.empty()) return;
  for (std::size_t i = 0; i + 1 < x.size(); ++i)
    x[i] = std::log(x[i] / x[i + 1]);
  x.pop_back();
}

namespace {
struct FirstPass {
  double mean0; // a provisional mean
  double min, max;
};

// The sums below are reductions the compiler may vectorise (`omp simd`): their order of
// addition is free, as it is for any sum whose terms come in no meaningful order.
FirstPass ProvisionalMean(std::span<const double> x) {
  const double* v = x.data();
  const std::size_t n = x.size();
  double sum = 0, lo = v[0], hi = v[0];
#pragma omp simd reduction(+ : sum) reduction(min : lo) reduction(max : hi)
  for (std::size_t i = 0; i < n; ++i) {
    sum += v[i];
    lo = v[i] < lo ? v[i] : lo;
    hi = v[i] > hi ? v[i] : hi;
  }
  return {sum / static_cast<double>(n), lo, hi};
}
} // namespace

CentralMoments ComputeCentralMoments(std::span<const double> x) {
  CentralMoments m;
  m.n = x.size();
  if (x.empty()) return m;
  const auto [mean0, lo, hi] = ProvisionalMean(x);
  const double n = static_cast<double>(x.size());

  // Second pass: powers of the deviations from the provisional mean.
  const double* v = x.data();
  const std::size_t count = x.size();
  double d1 = 0, d2 = 0, d3 = 0, d4 = 0;
#pragma omp simd reduction(+ : d1, d2, d3, d4)
  for (std::size_t i = 0; i < count; ++i) {
    const double d = v[i] - mean0;
    const double square = d * d;
    d1 += d;
    d2 += square;
    d3 += square * d;
    d4 += square * square;
  }

  // Move the sums to the true mean, mean0 + delta (delta is tiny, so this is stable):
  //   M2 = D2 - n delta^2, M3 = D3 - 3 delta D2 + 2 n delta^3,
  //   M4 = D4 - 4 delta D3 + 6 delta^2 D2 - 3 n delta^4.
  const double delta = d1 / n;
  m.mean = mean0 + delta;
  m.m2 = d2 - n * delta * delta;
  m.m3 = d3 - 3 * delta * d2 + 2 * n * delta * delta * delta;
  m.m4 = d4 - 4 * delta * d3 + 6 * delta * delta * d2 - 3 * n * std::pow(delta, 4);
  // Even sums cannot be negative; rounding may make them so by a hair. (A NaN from an overflow
  // stays a NaN and shows as #NUM!.)
  if (m.m2 < 0) m.m2 = 0;
  if (m.m4 < 0) m.m4 = 0;
  m.min = lo;
  m.max = hi;
  return m;
}

double Mean(std::span<const double> x) {
  if (x.empty()) return 0;
  const double mean0 = ProvisionalMean(x).mean0;
  const double* v = x.data();
  const std::size_t n = x.size();
  double deviation = 0;
#pragma omp simd reduction(+ : deviation)
  for (std::size_t i = 0; i < n; ++i)
    deviation += v[i] - mean0;
  return mean0 + deviation / static_cast<double>(n);
}

double StandardDeviation(const CentralMoments& moments, Dispersion dispersion) {
  const double n = static_cast<double>(moments.n);
  return std::sqrt(moments.m2 / (dispersion == Dispersion::Sample ? n - 1 : n));
}

StatValue ModeByBins(std::span<const double> sorted, int bins) {
  const std::size_t n = sorted.size();
  if (bins < 2 || n == 0 || static_cast<std::size_t>(bins) > n / 2)
    return {0, StatFailure::NotAvailable};
  const double lowest = sorted.front(), highest = sorted.back();
  const double width = (highest - lowest) / bins;
  // Upper edge of bin b (1..k), counted down from the maximum so that bin k ends exactly there.
  auto upper = [&](int b) { return b == bins ? highest : highest - (bins - b) * width; };
  std::vector<std::size_t> counts(static_cast<std::size_t>(bins) + 1, 0);
  int b = 1;
  double edge = upper(1);
  for (double value : sorted) {
    while (!(value < edge) && b < bins)
      edge = upper(++b);
    ++counts[static_cast<std::size_t>(b)];
  }
  const auto top = std::max_element(counts.begin() + 1, counts.end());
  if (std::count(counts.begin() + 1, counts.end(), *top) > 1) return {0, StatFailure::NotAvailable};
  const int modal = static_cast<int>(top - counts.begin());
  const double lower = modal == 1 ? lowest : upper(modal - 1);
  return {(lower + upper(modal)) * 0.5, StatFailure::None};
}

namespace {
double Median(std::span<const double> sorted) {
  const std::size_t n = sorted.size();
  return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) * 0.5;
}
} // namespace

StatValue Skewness(std::vector<double> x, Dispersion dispersion, SkewForm form, int bins) {
  if (x.size() < 3) return {0, StatFailure::NotAvailable};
  const CentralMoments m = ComputeCentralMoments(x);
  const double s = StandardDeviation(m, dispersion);
  const double n = static_cast<double>(m.n);
  if (form == SkewForm::PearsonMode) {
    std::sort(x.begin(), x.end());
    const StatValue mode = ModeByBins(x, bins);
    if (!mode.ok()) return mode;
    if (m.min == m.max || s == 0) return {0, StatFailure::ZeroDispersion};
    return {3 * (m.mean - mode.value) / s, StatFailure::None};
  }
  if (m.min == m.max || s == 0) return {0, StatFailure::ZeroDispersion};
  if (form == SkewForm::PearsonMedian) {
    std::sort(x.begin(), x.end());
    return {3 * (m.mean - Median(x)) / s, StatFailure::None};
  }
  const double standardised = m.m3 / (s * s * s);
  if (dispersion == Dispersion::Sample)
    return {n / ((n - 1) * (n - 2)) * standardised, StatFailure::None};
  return {standardised / n, StatFailure::None};
}

StatValue Kurtosis(std::span<const double> x, Dispersion dispersion) {
  if (x.size() < 4) return {0, StatFailure::NotAvailable};
  const CentralMoments m = ComputeCentralMoments(x);
  const double s = StandardDeviation(m, dispersion);
  if (m.min == m.max || s == 0) return {0, StatFailure::ZeroDispersion};
  const double n = static_cast<double>(m.n);
  const double standardised = m.m4 / (s * s * s * s);
  if (dispersion == Dispersion::Population) return {standardised / n, StatFailure::None};
  // The factors in floating point: as 32-bit integers they overflow from n = 1626 on.
  const double factor = n * (n + 1) / ((n - 1) * (n - 2) * (n - 3));
  const double correction = 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
  return {factor * standardised - correction, StatFailure::None};
}
