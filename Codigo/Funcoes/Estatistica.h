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

// The mean and the sums of powers of deviations from it, M_k = sum (x_i - mean)^k.
// Two passes: the deviations are taken from a first mean and corrected by their own mean, so
// data far from zero (prices near 10^7 moving by cents) keep every significant digit that the
// one-pass sums sum(x), sum(x^2) would cancel away.
struct CentralMoments {
  std::size_t n = 0;
  double mean = 0;
  double m2 = 0, m3 = 0, m4 = 0;
  double min = 0, max = 0;
};
CentralMoments ComputeCentralMoments(std::span<const double> x);

// The mean alone, corrected the same way (a first mean plus the mean of the deviations).
double Mean(std::span<const double> x);

// Sample: s = sqrt(M2 / (n - 1)); population: s = sqrt(M2 / n).
double StandardDeviation(const CentralMoments& moments, Dispersion dispersion);

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
