// Yield curves quoted as rates per year of 252 business days, and their two interpolations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Vertex {
  std::int32_t days; // business days
  double rate;       // per year, base 252
};
// Vertices in strictly increasing days.
using YieldCurve = std::vector<Vertex>;

// Sorts rows by days and merges rows of equal days into one vertex holding the larger rate.
YieldCurve MergeCurve(std::vector<Vertex> rows);

// The first vertex whose days are >= d (0 when d is at or before the first vertex), or the
// last vertex when d is beyond the curve.
std::size_t BracketIndex(const YieldCurve& curve, std::int32_t d);

// Rate for `d` business days; `years_flat` years after the last vertex the extrapolated curve
// becomes flat.
//  - At or before the first vertex: its rate.
//  - Between vertices k-1 and k, with capitalisation factors F_k = (1 + r_k)^(d_k / 252) and
//    t = (d - d_{k-1}) / (d_k - d_{k-1}): F = F_{k-1} (F_k / F_{k-1})^t, rate = F^(252 / d) - 1
//    (a constant forward rate between the vertices).
//  - Beyond the last vertex (needs 3 vertices): slopes s1, s2 of the last two segments; the
//    slope used keeps s1's sign with size min(|s1|, |s1| |s1 / s2|), so a flattening curve keeps
//    flattening in the same ratio. With N = trunc(252 years_flat), M = trunc(504 years_flat) and
//    D = d - d_last: r = r_last + N s / 2 past the horizon (D > N), else
//    r = r_last + (1 - D / M) D s. The extrapolated rate is returned with its sign changed.
// Returns 0.0 where no rate can be given (fewer than 2 vertices; beyond the last with fewer
// than 3).
double InterpolateExponential(std::int32_t d, const YieldCurve& curve, double years_flat);

// Rate for `d` business days by a cubic spline through the rates, parameterised by vertex
// index (each segment runs over t in [0, 1] whatever its length in days). The vertex slopes D_k
// solve the tridiagonal system with D_0 = 0 (the curve leaves the first vertex flat) and a
// natural end (zero second derivative at the last vertex). On segment k-1..k:
//   rate = r_{k-1} + D_{k-1} t + (3 (r_k - r_{k-1}) - 2 D_{k-1} - D_k) t^2
//          + (2 (r_{k-1} - r_k) + D_{k-1} + D_k) t^3.
// At or before the first vertex: its rate; beyond the last: the last rate with its sign changed.
// Returns 0.0 for fewer than 2 vertices.
double InterpolateCubicSpline(std::int32_t d, YieldCurve curve);

// The same spline with its slopes solved once, for evaluating it on many days.
class CubicSpline {
public:
  explicit CubicSpline(YieldCurve curve);
  double operator()(std::int32_t d) const; // as InterpolateCubicSpline(d, curve)

private:
  YieldCurve curve_;
  std::vector<double> slope_;
};
