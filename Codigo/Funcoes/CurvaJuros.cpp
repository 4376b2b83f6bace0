#include "CurvaJuros.h"

#include <algorithm>
#include <cmath>
#include <utility>

YieldCurve MergeCurve(std::vector<Vertex> rows) {
  std::sort(rows.begin(), rows.end(), [](const Vertex& a, const Vertex& b) {
    return a.days != b.days ? a.days < b.days : a.rate < b.rate;
  });
  YieldCurve curve;
  curve.reserve(rows.size());
  for (const Vertex& row : rows) {
    if (!curve.empty() && curve.back().days == row.days)
      curve.back().rate = std::max(curve.back().rate, row.rate);
    else
      curve.push_back(row);
  }
  return curve;
}

std::size_t BracketIndex(const YieldCurve& curve, std::int32_t d) {
  const auto first_not_before =
      std::lower_bound(curve.begin(), curve.end(), d,
                       [](const Vertex& v, std::int32_t days) { return v.days < days; });
  if (first_not_before == curve.end()) return curve.empty() ? 0 : curve.size() - 1;
  return static_cast<std::size_t>(first_not_before - curve.begin());
}

namespace {
// The segment an interpolation evaluates: the first vertex whose days exceed d, or the last.
// On a vertex this is the segment that starts there, at t = 0.
std::size_t SegmentEnd(const YieldCurve& curve, std::int32_t d) {
  const auto after =
      std::upper_bound(curve.begin(), curve.end(), d,
                       [](std::int32_t days, const Vertex& v) { return days < v.days; });
  return after == curve.end() ? curve.size() - 1 : static_cast<std::size_t>(after - curve.begin());
}

double Extrapolate(std::int32_t d, const YieldCurve& curve, double years_flat) {
  const std::size_t m = curve.size();
  const Vertex& last = curve[m - 1];
  const Vertex& before = curve[m - 2];
  const Vertex& third = curve[m - 3];
  const double s1 = (last.rate - before.rate) / (last.days - before.days);
  const double s2 = (before.rate - third.rate) / (before.days - third.days);
  double slope = 0; // a flat last segment has no direction to continue in
  if (s1 != 0) {
    const double damped = s2 == 0 ? std::fabs(s1) : std::fabs(std::fabs(s1 / s2) * s1);
    slope = std::copysign(std::min(std::fabs(s1), damped), s1);
  }
  // Business days of the horizon, truncated separately, as whole numbers held in doubles.
  const double horizon = std::trunc(years_flat * 252);
  const double flatten = std::trunc(2 * years_flat * 252);
  const double beyond = static_cast<double>(d) - last.days;
  const double rate = static_cast<double>(last.days) + horizon < d
                          ? last.rate + horizon * (0.5 * slope)
                          : last.rate + (1 - beyond / flatten) * (beyond * slope);
  return -rate;
}
} // namespace

double InterpolateExponential(std::int32_t d, const YieldCurve& curve, double years_flat) {
  const std::size_t m = curve.size();
  if (m < 2) return 0.0;
  if (d > curve.back().days) return m < 3 ? 0.0 : Extrapolate(d, curve, years_flat);
  if (d < curve.front().days || d <= 0) return curve.front().rate;
  const std::size_t k = SegmentEnd(curve, d);
  const Vertex& a = curve[k - 1];
  const Vertex& b = curve[k];
  const double t = static_cast<double>(d - a.days) / (b.days - a.days);
  // In logarithms: ln F = (1 - t) ln F_{k-1} + t ln F_k, rate = exp(252 ln F / d) - 1. The same
  // closed form as the product of powers, without raising numbers near 1 to the 252nd power.
  const double log_a = a.days / 252.0 * std::log1p(a.rate);
  const double log_b = b.days / 252.0 * std::log1p(b.rate);
  const double log_f = log_a + t * (log_b - log_a);
  return std::expm1(log_f * 252.0 / d);
}

CubicSpline::CubicSpline(YieldCurve curve) : curve_(std::move(curve)) {
  const std::size_t m = curve_.size();
  if (m < 2) return;
  // Forward elimination (gamma, delta), then back substitution for the slopes.
  std::vector<double> gamma(m), delta(m);
  slope_.resize(m);
  gamma[0] = 0;
  delta[0] = 0;
  for (std::size_t i = 1; i + 1 < m; ++i) {
    gamma[i] = 1 / (4 - gamma[i - 1]);
    delta[i] = (3 * (curve_[i + 1].rate - curve_[i - 1].rate) - delta[i - 1]) * gamma[i];
  }
  gamma[m - 1] = 1 / (2 - gamma[m - 2]);
  delta[m - 1] = (3 * (curve_[m - 1].rate - curve_[m - 2].rate) - delta[m - 2]) * gamma[m - 1];
  slope_[m - 1] = delta[m - 1];
  for (std::size_t i = m - 1; i-- > 0;)
    slope_[i] = delta[i] - gamma[i] * slope_[i + 1];
}

double CubicSpline::operator()(std::int32_t d) const {
  if (curve_.size() < 2) return 0.0;
  if (d > curve_.back().days) return -curve_.back().rate;
  if (d < curve_.front().days) return curve_.front().rate;
  const std::size_t k = SegmentEnd(curve_, d);
  const Vertex& left = curve_[k - 1];
  const Vertex& right = curve_[k];
  const double t = static_cast<double>(d - left.days) / (right.days - left.days);
  const double c = 3 * (right.rate - left.rate) - 2 * slope_[k - 1] - slope_[k];
  const double e = 2 * (left.rate - right.rate) + slope_[k - 1] + slope_[k];
  return left.rate + t * (slope_[k - 1] + t * (c + t * e));
}

double InterpolateCubicSpline(std::int32_t d, YieldCurve curve) {
  return CubicSpline(std::move(curve))(d);
}
