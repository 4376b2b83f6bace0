#include "Estatistica.h"

#include <algorithm>
#include <cmath>

SkewForm SkewFormOf(int tipo) {
  if (tipo == 0) return SkewForm::Moment;
  if (tipo == 2) return SkewForm::PearsonMedian;
  return SkewForm::PearsonMode;
}

namespace {
struct FirstPass {
  double mean0; // a provisional mean of the scaled data
  double min, max;
  int exponent;
};

int ExponentOfLargest(double lo, double hi) {
  return ScaleExponent(std::max(std::fabs(lo), std::fabs(hi)));
}
} // namespace

int ScaleExponent(double largest) {
  if (!(largest > 0) || !std::isfinite(largest)) return 0;
  int e = 0;
  std::frexp(largest, &e);
  return e < -kOrdinaryExponent || e > kOrdinaryExponent ? e : 0;
}

ScaleFactor::ScaleFactor(int e) : exponent(e) {
  // 2^-e itself overflows for data all below 2^-1023: two factors, each exact.
  if (e >= -1000) {
    first = std::ldexp(1.0, -e);
  } else {
    first = std::ldexp(1.0, 600);
    second = std::ldexp(1.0, -e - 600);
  }
}

namespace {
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
  const int e = ExponentOfLargest(lo, hi);
  const ScaleFactor scale(e);
  // The plain sum scaled is the sum of the scaled data, bit for bit, unless it overflowed.
  double scaled = scale(sum);
  if (!std::isfinite(scaled) && std::isfinite(lo) && std::isfinite(hi)) {
    scaled = 0;
#pragma omp simd reduction(+ : scaled)
    for (std::size_t i = 0; i < n; ++i)
      scaled += scale(v[i]);
  }
  return {scaled / static_cast<double>(n), lo, hi, e};
}
} // namespace

CentralMoments ComputeCentralMoments(std::span<const double> x) {
  CentralMoments m;
  m.n = x.size();
  if (x.empty()) return m;
  // Plain variables, not a structured binding: the simd loop below may not capture one.
  const FirstPass first = ProvisionalMean(x);
  const double mean0 = first.mean0;
  const ScaleFactor scale(first.exponent);
  const double n = static_cast<double>(x.size());

  // Second pass: powers of the deviations of the scaled data from the provisional mean.
  const double* v = x.data();
  const std::size_t count = x.size();
  double d1 = 0, d2 = 0, d3 = 0, d4 = 0;
#pragma omp simd reduction(+ : d1, d2, d3, d4)
  for (std::size_t i = 0; i < count; ++i) {
    const double d = scale(v[i]) - mean0;
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
  m.exponent = first.exponent;
  m.scaled_mean = mean0 + delta;
  m.mean = std::ldexp(m.scaled_mean, m.exponent);
  m.m2 = d2 - n * delta * delta;
  m.m3 = d3 - 3 * delta * d2 + 2 * n * delta * delta * delta;
  m.m4 = d4 - 4 * delta * d3 + 6 * delta * delta * d2 - 3 * n * std::pow(delta, 4);
  // Even sums cannot be negative; rounding may make them so by a hair. (A NaN from data not
  // finite stays a NaN and shows as #NUM!.)
  if (m.m2 < 0) m.m2 = 0;
  if (m.m4 < 0) m.m4 = 0;
  m.min = first.min;
  m.max = first.max;
  return m;
}

double Mean(std::span<const double> x) {
  if (x.empty()) return 0;
  const FirstPass first = ProvisionalMean(x);
  const double mean0 = first.mean0;
  const ScaleFactor scale(first.exponent);
  const double* v = x.data();
  const std::size_t n = x.size();
  double deviation = 0;
#pragma omp simd reduction(+ : deviation)
  for (std::size_t i = 0; i < n; ++i)
    deviation += scale(v[i]) - mean0;
  return std::ldexp(mean0 + deviation / static_cast<double>(n), first.exponent);
}

double ScaledStandardDeviation(const CentralMoments& moments, Dispersion dispersion) {
  const double n = static_cast<double>(moments.n);
  return std::sqrt(moments.m2 / (dispersion == Dispersion::Sample ? n - 1 : n));
}

double StandardDeviation(const CentralMoments& moments, Dispersion dispersion) {
  return std::ldexp(ScaledStandardDeviation(moments, dispersion), moments.exponent);
}

namespace {
// The mode of data between `lowest` and `highest` (their minimum and maximum), in any order.
StatValue ModeBetween(std::span<const double> x, double lowest, double highest, int bins) {
  const std::size_t n = x.size();
  if (bins < 2 || n == 0 || static_cast<std::size_t>(bins) > n / 2)
    return Falhou{StatFailure::NotAvailable};
  const auto k = static_cast<std::size_t>(bins);
  const double width = (highest - lowest) / bins;
  // upper[b], the upper edge of bin b (1..k), counted down from the maximum so that bin k ends
  // exactly there; upper[0] is not used.
  std::vector<double> upper(k + 1, highest);
  for (std::size_t b = 1; b < k; ++b)
    upper[b] = highest - static_cast<double>(k - b) * width;

  // Bin b holds the values from upper[b - 1] (inclusive: a value on an edge starts the bin
  // above it) to below upper[b]; bin 1 starts at the minimum and bin k ends at the maximum,
  // inclusive. So a value's bin is the first whose upper edge is above it, or bin k. The
  // value's distance from the minimum gives a first guess, which the comparisons with the
  // edges themselves confirm; where they do not (a value on an edge, or close to one, or
  // edges that are not finite), a binary search over the edges settles the bin.
  std::vector<std::size_t> counts(k + 1, 0);
  const auto edges = std::span<const double>(upper).subspan(1, k - 1); // u_1 .. u_{k-1}
  const double per_width = 1 / width, last = static_cast<double>(k - 1);
  for (double value : x) {
    const double guess = (value - lowest) * per_width;
    std::size_t b = !(guess < last) ? k : guess > 0 ? static_cast<std::size_t>(guess) + 1 : 1;
    if ((b > 1 && value < upper[b - 1]) || (b < k && !(value < upper[b])))
      b = 1 + static_cast<std::size_t>(std::upper_bound(edges.begin(), edges.end(), value) -
                                       edges.begin());
    ++counts[b];
  }
  const auto top = std::max_element(counts.begin() + 1, counts.end());
  if (std::count(counts.begin() + 1, counts.end(), *top) > 1)
    return Falhou{StatFailure::NotAvailable};
  const auto modal = static_cast<std::size_t>(top - counts.begin());
  const double lower = modal == 1 ? lowest : upper[modal - 1];
  return (lower + upper[modal]) * 0.5;
}

// The largest of one or more values.
double Largest(std::span<const double> x) {
  const double* v = x.data();
  const std::size_t n = x.size();
  double largest = v[0];
#pragma omp simd reduction(max : largest)
  for (std::size_t i = 1; i < n; ++i)
    largest = v[i] > largest ? v[i] : largest;
  return largest;
}

// The middle value of an odd count, the mean of the two middle values of an even count, of
// data between `lowest` and `highest` (their minimum and maximum). The values are reordered,
// but not sorted: they are counted in equal buckets between the minimum and the maximum, the
// bucket that holds the middle is brought to the front, and only its values are searched.
// The bucket of a value never decreases as the value grows, so each bucket holds a run of
// consecutive ranks, and the middle is found exactly, as a full sort would place it.
double Median(std::span<double> x, double lowest, double highest) {
  const std::size_t n = x.size(), half = n / 2;
  // About 16 values a bucket on small data; at most 4096 buckets, whose counts stay in the
  // first-level cache. One bucket, holding everything, when the width has no finite scale.
  const double spread = highest - lowest;
  std::size_t buckets = std::clamp<std::size_t>(n / 16, 1, 4096);
  double scale = static_cast<double>(buckets) / spread;
  if (!(scale > 0 && scale < HUGE_VAL)) buckets = 1, scale = 0;
  const double last = static_cast<double>(buckets - 1);
  const auto bucket = [&](double value) -> std::size_t {
    const double position = (value - lowest) * scale;
    if (!(position < last)) return buckets - 1; // also a NaN
    return position > 0 ? static_cast<std::size_t>(position) : 0;
  };
  std::vector<std::size_t> counts(buckets, 0);
  for (double value : x)
    ++counts[bucket(value)];
  std::size_t middle = 0, before = 0; // the middle's bucket, and how many values lie below it
  while (before + counts[middle] <= half)
    before += counts[middle++];

  // Swap the middle bucket's values to the front; the others stay, in another order.
  std::size_t held = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (bucket(x[i]) == middle) std::swap(x[held++], x[i]);
  const std::span<double> inside = x.first(held);
  const std::size_t rank = half - before;
  std::nth_element(inside.begin(), inside.begin() + static_cast<std::ptrdiff_t>(rank),
                   inside.end());
  const double upper = inside[rank];
  if (n % 2 == 1) return upper;
  // The value just below the middle: the largest of those before it in its bucket or, when
  // the middle opens its bucket, the largest of the lower buckets.
  if (rank > 0) return (Largest(inside.first(rank)) + upper) * 0.5;
  double below = lowest;
  for (double value : x.subspan(held))
    if (value > below && bucket(value) < middle) below = value;
  return (below + upper) * 0.5;
}
} // namespace

StatValue ModeByBins(std::span<const double> x, int bins) {
  if (x.empty()) return Falhou{StatFailure::NotAvailable};
  const auto [lowest, highest] = std::minmax_element(x.begin(), x.end());
  return ModeBetween(x, *lowest, *highest, bins);
}

StatValue Skewness(std::vector<double> x, Dispersion dispersion, SkewForm form, int bins) {
  if (x.size() < 3) return Falhou{StatFailure::NotAvailable};
  // Every form is a ratio that the scale of the data cancels from: it is taken on the data
  // divided by 2^e (exactly; see CentralMoments), where the mode's bins and the median of data
  // near the smallest doubles keep all their digits.
  CentralMoments m = ComputeCentralMoments(x);
  if (m.exponent != 0) {
    const ScaleFactor scale(m.exponent);
    for (double& value : x)
      value = scale(value);
    m.min = scale(m.min);
    m.max = scale(m.max);
  }
  m.mean = m.scaled_mean;
  const double s = ScaledStandardDeviation(m, dispersion);
  const double n = static_cast<double>(m.n);
  if (form == SkewForm::PearsonMode) {
    const StatValue mode = ModeBetween(x, m.min, m.max, bins);
    if (!mode.ok()) return mode;
    if (m.min == m.max || s == 0) return Falhou{StatFailure::ZeroDispersion};
    return 3 * (m.mean - *mode) / s;
  }
  if (m.min == m.max || s == 0) return Falhou{StatFailure::ZeroDispersion};
  if (form == SkewForm::PearsonMedian) return 3 * (m.mean - Median(x, m.min, m.max)) / s;
  const double standardised = m.m3 / (s * s * s);
  if (dispersion == Dispersion::Sample) return n / ((n - 1) * (n - 2)) * standardised;
  return standardised / n;
}

StatValue Kurtosis(std::span<const double> x, Dispersion dispersion) {
  if (x.size() < 4) return Falhou{StatFailure::NotAvailable};
  const CentralMoments m = ComputeCentralMoments(x);
  const double s = ScaledStandardDeviation(m, dispersion);
  if (m.min == m.max || s == 0) return Falhou{StatFailure::ZeroDispersion};
  const double n = static_cast<double>(m.n);
  const double standardised = m.m4 / (s * s * s * s);
  if (dispersion == Dispersion::Population) return standardised / n;
  // The factors in floating point: as 32-bit integers they overflow from n = 1626 on.
  const double factor = n * (n + 1) / ((n - 1) * (n - 2) * (n - 3));
  const double correction = 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
  return factor * standardised - correction;
}
