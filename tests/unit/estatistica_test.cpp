// The statistics core on its own, at the edges of its ranges: values on bin edges, the limits
// on the number of bins, the smallest samples, and order statistics of unsorted data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "Funcoes/Estatistica.h"

namespace {
std::string Failure(StatFailure failure) {
  switch (failure) {
  case StatFailure::NotAvailable: return "not available";
  case StatFailure::ZeroDispersion: return "zero dispersion";
  }
  return "?";
}

// A value, or why there is none, for the failure messages.
std::string Shown(const StatValue& result) {
  return result.ok() ? std::to_string(*result) : Failure(result.motivo());
}

// Why there is no value, or nothing when there is one.
std::optional<StatFailure> Why(const StatValue& result) {
  if (result) return std::nullopt;
  return result.motivo();
}

double SampleSd(const std::vector<double>& x) {
  double mean = 0, squares = 0;
  for (double v : x)
    mean += v / static_cast<double>(x.size());
  for (double v : x)
    squares += (v - mean) * (v - mean);
  return std::sqrt(squares / static_cast<double>(x.size() - 1));
}

double MeanOf(const std::vector<double>& x) {
  double sum = 0;
  for (double v : x)
    sum += v;
  return sum / static_cast<double>(x.size());
}
} // namespace

// A value exactly on an inner edge starts the upper bin, whose lower edge it is; the upper
// edges are counted down from the maximum, so that the last one is the maximum itself.
TEST(SkewModeBins, AValueOnAnInnerEdgeStartsTheUpperBin) {
  // Width 2, edge 2: [0, 2) holds 0, 1, 1 and [2, 4] holds 2, 3, 4. Were 2 counted below,
  // the lower bin would win with 4 values and the mode would be 1.
  const StatValue tie = ModeByBins(std::vector<double>{0, 1, 1, 2, 3, 4}, 2);
  EXPECT_EQ(Why(tie), StatFailure::NotAvailable) << "3 and 3 is a tie, got " << Shown(tie);

  // Width 2, edges 2, 4, 6, 8: the three 4s pass over the empty bin [2, 4) into [4, 6),
  // which with 5 holds 4 values against 3 in [6, 8]: mode 5. Counted below, the 4s would
  // make [2, 4) the modal bin, mode 3.
  const StatValue skip = ModeByBins(std::vector<double>{0, 4, 4, 4, 5, 6, 7, 8}, 4);
  ASSERT_TRUE(skip.ok()) << Shown(skip);
  EXPECT_EQ(*skip, 5.0);

  // 0.1 to 0.5 in 2 bins: counted down from the maximum the edge is 0.5 - 0.2, the double
  // 0.3 itself, so both 0.3s are in the upper bin and the mode is its midpoint 0.4. Counted
  // up from the minimum, 0.1 + 0.2 = 0.30000000000000004 would leave them below: mode 0.2.
  const StatValue down = ModeByBins(std::vector<double>{0.1, 0.3, 0.3, 0.5}, 2);
  ASSERT_TRUE(down.ok()) << Shown(down);
  EXPECT_NEAR(*down, 0.4, 1e-15);

  // The data may come in any order.
  const StatValue shuffled = ModeByBins(std::vector<double>{4, 0, 7, 4, 8, 5, 4, 6}, 4);
  ASSERT_TRUE(shuffled.ok()) << Shown(shuffled);
  EXPECT_EQ(*shuffled, 5.0);
}

// From 2 bins to half the number of values, the half rounded down: 3 for 7 values, none at all
// for 3 values.
TEST(SkewModeBins, BinsFromTwoToHalfTheCount) {
  const std::vector<double> seven{1, 2, 2, 3, 5, 8, 13};
  for (int bins : {2, 3}) {
    const StatValue mode = ModeByBins(seven, bins);
    EXPECT_NE(Why(mode), StatFailure::NotAvailable) << bins << " bins of 7 values";
  }
  for (int bins : {-1, 0, 1, 4})
    EXPECT_EQ(Why(ModeByBins(seven, bins)), StatFailure::NotAvailable) << bins << " bins";

  const std::vector<double> three{1, 2, 4};
  EXPECT_EQ(Why(ModeByBins(three, 2)), StatFailure::NotAvailable) << "3 values: 1 bin at most";
  const StatValue mode_form = Skewness(three, Dispersion::Sample, SkewForm::PearsonMode, 2);
  EXPECT_EQ(Why(mode_form), StatFailure::NotAvailable) << Shown(mode_form);
}

// Skewness from 3 values, kurtosis from 4.
TEST(SkewAndKurtCore, SmallestSamples) {
  const std::vector<double> two{1, 2}, three{1, 2, 4}, four{1, 2, 3, 4};
  for (SkewForm form : {SkewForm::Moment, SkewForm::PearsonMedian}) {
    EXPECT_EQ(Why(Skewness(two, Dispersion::Sample, form, 0)), StatFailure::NotAvailable)
        << static_cast<int>(form);
    const StatValue from_three = Skewness(three, Dispersion::Sample, form, 0);
    EXPECT_TRUE(from_three.ok()) << static_cast<int>(form) << ": " << Shown(from_three);
  }
  // 1, 2, 4: mean 7/3, M3 = 20/9, s^2 = 7/3; sample skew = 3 / (2 * 1) * M3 / s^3.
  const double s = std::sqrt(7.0 / 3);
  EXPECT_NEAR(*Skewness(three, Dispersion::Sample, SkewForm::Moment, 0),
              1.5 * (20.0 / 9) / (s * s * s), 1e-15);

  const StatValue from_three = Kurtosis(three, Dispersion::Population);
  EXPECT_EQ(Why(from_three), StatFailure::NotAvailable) << Shown(from_three);
  const StatValue from_four = Kurtosis(four, Dispersion::Population);
  ASSERT_TRUE(from_four.ok()) << Shown(from_four);
  EXPECT_NEAR(*from_four, 1.64, 1e-15) << "10.25 / 1.5625 / 4";
}

// The median of unsorted data: the middle value of an odd count, the mean of the two middle
// values of an even count, duplicates counted as often as they occur.
TEST(SkewMedianCore, MiddleOfUnsortedData) {
  struct Case {
    std::vector<double> x;
    double median;
  };
  const std::vector<Case> cases{
      {{5, 1, 4, 2, 3}, 3},    {{10, 4, 1, 6, 2, 8}, 5},   {{9, 1, 4, 2}, 3},
      {{7, 3, 3, 1, 9, 3}, 3}, {{2, 2, 1, 9, 9, 9, 0}, 2}, {{-1, 8, -3, 6, 0, -2, 7, 5}, 2.5},
  };
  for (const Case& c : cases) {
    const double expected = 3 * (MeanOf(c.x) - c.median) / SampleSd(c.x);
    const StatValue skew = Skewness(c.x, Dispersion::Sample, SkewForm::PearsonMedian, 0);
    ASSERT_TRUE(skew.ok()) << Shown(skew);
    EXPECT_NEAR(*skew, expected, 1e-14)
        << "median of " << c.x.size() << " values should be " << c.median;
  }
}

namespace {
// Pearson's forms the long way: sort everything, take the middle, and walk the sorted values
// through the bins from the lowest up, moving to the next bin while a value is not below the
// current upper edge (max - (k - b) w). The same mean and standard deviation as the core's.
StatValue PearsonBySorting(std::vector<double> x, Dispersion dispersion, SkewForm form, int bins) {
  const CentralMoments m = ComputeCentralMoments(x);
  const double s = StandardDeviation(m, dispersion);
  std::sort(x.begin(), x.end());
  const std::size_t n = x.size();
  if (form == SkewForm::PearsonMedian) {
    const double median = n % 2 == 1 ? x[n / 2] : (x[n / 2 - 1] + x[n / 2]) * 0.5;
    return 3 * (m.mean - median) / s;
  }
  if (bins < 2 || static_cast<std::size_t>(bins) > n / 2) return Falhou{StatFailure::NotAvailable};
  const double width = (x.back() - x.front()) / bins;
  const auto edge = [&](int b) { return b == bins ? x.back() : x.back() - (bins - b) * width; };
  std::vector<std::size_t> counts(static_cast<std::size_t>(bins) + 1, 0);
  int b = 1;
  for (double value : x) {
    while (!(value < edge(b)) && b < bins)
      ++b;
    ++counts[static_cast<std::size_t>(b)];
  }
  const auto top = std::max_element(counts.begin() + 1, counts.end());
  if (std::count(counts.begin() + 1, counts.end(), *top) > 1)
    return Falhou{StatFailure::NotAvailable};
  const int modal = static_cast<int>(top - counts.begin());
  const double mode = ((modal == 1 ? x.front() : edge(modal - 1)) + edge(modal)) * 0.5;
  return 3 * (m.mean - mode) / s;
}

// Random data of several kinds: continuous, small whole numbers (many ties), values put on
// the inner edges of `bins` bins and one step either side of them, and two clusters of equal
// size, where the middle of an even count falls between the clusters.
std::vector<double> Sample(std::mt19937_64& random, std::size_t n, int kind, int bins) {
  std::normal_distribution<double> normal(0, 0.01);
  std::uniform_int_distribution<int> whole(0, 12), edge(1, std::max(1, bins - 1)), how(0, 3);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<double> x(n);
  const double lo = -0.5, hi = 2.5, width = (hi - lo) / bins;
  for (std::size_t i = 0; i < n; ++i) {
    switch (kind) {
    case 0: x[i] = normal(random); break;
    case 1: x[i] = whole(random); break;
    case 2: {
      const double u = i == 0 ? lo : i == 1 ? hi : hi - (bins - edge(random)) * width;
      const int h = i < 2 ? 0 : how(random);
      x[i] = h == 1 ? std::nextafter(u, -HUGE_VAL) : h == 2 ? std::nextafter(u, HUGE_VAL) : u;
      break;
    }
    default: x[i] = i % 2 == 0 ? unit(random) : 2 + unit(random);
    }
  }
  return x;
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

// The median is selected and each value's bin looked up rather than found by sorting; both
// give the very doubles a full sort gives, on values on bin edges and on ties included.
TEST(SkewPearsonCore, SelectionGivesWhatSortingGives) {
  std::mt19937_64 random(20240607);
  int compared = 0;
  const auto compare = [&](const std::vector<double>& x, SkewForm form, int bins,
                           const char* what) {
    const StatValue expected = PearsonBySorting(x, Dispersion::Sample, form, bins);
    const StatValue computed = Skewness(x, Dispersion::Sample, form, bins);
    ++compared;
    ASSERT_EQ(Why(computed), Why(expected))
        << what << ", n " << x.size() << ", bins " << bins << ": " << Shown(computed) << " for "
        << Shown(expected);
    if (computed.ok()) {
      ASSERT_TRUE(SameBits(*computed, *expected))
          << what << ", n " << x.size() << ", bins " << bins << ": computed " << *computed
          << ", expected " << *expected << ", difference " << *computed - *expected;
    }
  };
  const char* kinds[] = {"normal", "whole numbers", "on bin edges", "two clusters"};
  std::uniform_int_distribution<std::size_t> small(4, 80);
  for (int round = 0; round < 300; ++round) {
    const std::size_t n = small(random);
    const int half = static_cast<int>(n / 2);
    const int bins = std::uniform_int_distribution<int>(2, half)(random);
    for (int kind = 0; kind < 4; ++kind) {
      const std::vector<double> x = Sample(random, n, kind, bins);
      compare(x, SkewForm::PearsonMedian, 0, kinds[kind]);
      for (int b : {2, bins, half})
        compare(x, SkewForm::PearsonMode, b, kinds[kind]);
    }
  }
  // Large enough for thousands of buckets in the median's selection.
  for (std::size_t n : {65536u, 65537u}) {
    for (int kind = 0; kind < 4; ++kind) {
      const std::vector<double> x = Sample(random, n, kind, 20);
      compare(x, SkewForm::PearsonMedian, 0, kinds[kind]);
      for (int b : {2, 20, 1000})
        compare(x, SkewForm::PearsonMode, b, kinds[kind]);
    }
  }
  EXPECT_EQ(compared, 300 * 4 * 4 + 2 * 4 * 4);
}
