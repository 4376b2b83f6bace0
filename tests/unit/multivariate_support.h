// Shared by the tests of the multivariate core: the reference values made by
// tests/reference/generate_multivariate.py, and comparisons that say what they compared.
#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>

#include "Funcoes/Matriz.h"
#include "support/reference_data.h"

namespace kvtest {
inline const nlohmann::json& Multivariate() {
  return ReferenceFile("multivariate.json");
}

// The case list `key` of the multivariate references; a failure when it is missing or empty.
inline const nlohmann::json& MultivariateCases(const std::string& key) {
  return ReferenceCases("multivariate.json", key);
}

inline Matriz ToMatriz(const nlohmann::json& rows) {
  return rows.get<Matriz>();
}

// |computed - expected| <= tolerance, reported with both values and the difference.
inline ::testing::AssertionResult Near(double computed, double expected, double tolerance) {
  const double error = std::fabs(computed - expected);
  if (error <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "computed " << computed << ", expected " << expected
                                       << ", error " << error << " > " << tolerance;
}

// The largest |A(i, j) - B(i, j)|; infinite when the shapes differ.
inline double MaxDifference(const Matriz& a, const Matriz& b) {
  if (Rows(a) != Rows(b) || Columns(a) != Columns(b)) return INFINITY;
  double largest = 0;
  for (std::size_t i = 0; i < Rows(a); ++i)
    for (std::size_t j = 0; j < Columns(a); ++j)
      largest = std::max(largest, std::fabs(a[i][j] - b[i][j]));
  return largest;
}

inline Matriz Product(const Matriz& a, const Matriz& b) {
  Matriz m;
  EXPECT_TRUE(multiplica(a, b, m));
  return m;
}

// The sample correlation of two series of equal length, from their deviations from the means.
inline double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const double n = static_cast<double>(a.size());
  double ma = 0, mb = 0;
  for (std::size_t t = 0; t < a.size(); ++t)
    ma += a[t], mb += b[t];
  ma /= n;
  mb /= n;
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t t = 0; t < a.size(); ++t) {
    ab += (a[t] - ma) * (b[t] - mb);
    aa += (a[t] - ma) * (a[t] - ma);
    bb += (b[t] - mb) * (b[t] - mb);
  }
  return ab / std::sqrt(aa * bb);
}

inline Matriz Transposed(const Matriz& a) {
  Matriz t;
  transpoe(a, t);
  return t;
}
} // namespace kvtest
