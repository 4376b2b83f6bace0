// Descriptive statistics of a data vector: central moments, skewness in
// its three forms and kurtosis. Plain C++ on vectors; nothing here knows of Excel.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "Resultado.h"

enum class Dispersion { Sample = 0, Population = 1 };

// Skewness forms, as the Tipo argument numbers them; any other number is the mode form.
enum class SkewForm { Moment = 0, PearsonMode = 1, PearsonMedian = 2 };
SkewForm SkewFormOf(int tipo);

// Why a statistic has no value.
enum class StatFailure {
  NotAvailable,  // too few values, bins out of range, no unique mode
  ZeroDispersion // all values equal: the standardised moments divide by zero
};

// A statistic, or the reason it has none.
using StatValue = Resultado<double, StatFailure>;

// Data whose largest magnitude is m = f 2^e (f in [0.5, 1)) with |e| <= kOrdinaryExponent keep
// every power of their deviations up to the fourth, and sums of them, within the normal doubles
// (for any count below 2^64): they are not scaled, so that no digit of them changes. Beyond,
// they are divided by 2^e.
inline constexpr int kOrdinaryExponent = 128;
// The exponent e to divide by, of data of largest magnitude `largest`: 0 within the ordinary
// range, for zero and for a value not finite.
int ScaleExponent(double largest);

// Multiplication by 2^-exponent, exact on every double that stays normal (and on every
// subnormal brought up into the normal range): 2^-exponent as one factor or, where that one
// would overflow, two.
struct ScaleFactor {
  explicit ScaleFactor(int exponent);
  double operator()(double v) const { return v * first * second; }
  int exponent;
  double first = 1, second = 1;
};

// The mean and the sums of powers of deviations from it, M_k = sum (x_i - mean)^k, of the data
// divided by 2^e, e the binary exponent of their largest magnitude (so that they lie within
// (-1, 1)) where that is outside the ordinary range (ScaleExponent), and of the data as they are
// within it. The division by a power of two is exact (but for values below 2^-1022 of the
// largest, whose digits could not count in a sum with it) and every result below scales by
// powers of two; it keeps the sums from overflowing or underflowing for data of any size
// (10^-300 or 10^300: the fourth powers of either have no double). The standardised moments M3 /
// s^3 and M4 / s^4 are the data's own. Two passes: the deviations are taken from a first mean and
// corrected by their own mean, so data far from zero (prices near 10^7 moving by cents) keep every
// significant digit that the one-pass sums sum(x), sum(x^2) would cancel away.
struct CentralMoments {
  std::size_t n = 0;
  int exponent = 0;              // e: the data were divided by 2^e
  double mean = 0;               // of the data themselves
  double scaled_mean = 0;        // mean / 2^e
  double m2 = 0, m3 = 0, m4 = 0; // of the scaled data
  double min = 0, max = 0;       // of the data themselves
};
CentralMoments ComputeCentralMoments(std::span<const double> x);

// The mean alone, corrected the same way (a first mean plus the mean of the deviations), of the
// data scaled likewise: the sum of data near the largest double does not overflow.
double Mean(std::span<const double> x);

// Sample: s = sqrt(M2 / (n - 1)); population: s = sqrt(M2 / n). `StandardDeviation` in the
// data's units (infinite when it has no double, as a sample deviation of values near the largest
// double may), `ScaledStandardDeviation` of the scaled data (s / 2^e, always finite).
double StandardDeviation(const CentralMoments& moments, Dispersion dispersion);
double ScaledStandardDeviation(const CentralMoments& moments, Dispersion dispersion);

// Moment form, with s of the chosen dispersion:
//   sample      skew = n / ((n - 1)(n - 2)) * M3 / s^3
//   population  skew = (M3 / s^3) / n
// Pearson's second coefficient: skew = 3 (mean - median) / s.
// Pearson's first coefficient: skew = 3 (mean - mode) / s, the mode being the midpoint of the
//   most populated of `bins` equal bins between the minimum and the maximum (2 <= bins <= n/2;
//   a tie for the highest count has no mode).
// Needs n >= 3. `x` is taken by value: the median form reorders it (a selection, not a sort).
StatValue Skewness(std::vector<double> x, Dispersion dispersion, SkewForm form, int bins);

// Sample excess kurtosis:
//   kurt = n (n + 1) / ((n - 1)(n - 2)(n - 3)) * M4 / s^4 - 3 (n - 1)^2 / ((n - 2)(n - 3))
// Population: the plain fourth standardised moment, kurt = (M4 / s^4) / n (no 3 subtracted).
// Needs n >= 4.
StatValue Kurtosis(std::span<const double> x, Dispersion dispersion);

// The mode of data in any order by equal bins, as Pearson's first coefficient uses it: the
// midpoint of the most populated bin, NotAvailable when two bins share the highest count. Upper
// edges are counted down from the maximum, u_b = max - (bins - b) w with w = (max - min) / bins,
// and a value on an inner edge belongs to the bin above it.
StatValue ModeByBins(std::span<const double> x, int bins);
