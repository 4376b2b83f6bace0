// The grid of business days on which the comparison tool sets the cubic spline and the
// exponential interpolation of a yield curve side by side, with the curve's own vertices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "CurvaJuros.h"

// A business day of the grid, and the curve vertex the row shows when it is one of them.
struct GridDay {
  std::int32_t day;
  std::optional<std::size_t> vertex; // index into the curve
};

// The days of the grid, for a curve of at least 2 vertices (none for a shorter curve).
//
// With L the workdays of the last vertex: P = L points of step 1 when L < 250, else P = 250
// points of step L / 250 (L x 0.004). Point i (from 0) falls on day ceil(i step) + 1, taken in
// whole numbers, ceil(i L / 250), so that a product that is a whole number (i x 4 for
// L = 1000) is never pushed to the next day by the rounding of 0.004 in binary.
//
// A cursor walks the vertices along the points. At each point, the vertices not yet shown
// whose days are at or before the point's day each take a row of their own, in place of the
// point's day (the row of a vertex on that very day is the point's row); a point that reaches
// no vertex is a row of its own, without a vertex. So when at most one vertex lies between two
// points the grid has exactly P rows (a passed vertex replaces the point it was passed by);
// a curve more crowded than the grid gets a row more for every further vertex in the same
// step, rather than letting its vertices push the later points aside, so that every vertex
// up to the last point is shown and the grid still spans the whole curve. Vertices beyond the
// last point (L >= 500: the last point is L - floor(L / 250) + 1) end the grid with a row each,
// so the grid always ends on the last vertex; no day beyond L appears, and the days always
// increase.
std::vector<GridDay> ComparisonDays(const YieldCurve& curve);

// One row of the comparison: the day, both interpolations there (the exponential one with no
// flat years), and the vertex's rate when the row is a curve vertex.
struct ComparisonRow {
  std::int32_t day;
  double spline;
  double exponential;
  std::optional<double> vertex_rate;
};

// InterpolateCubicSpline(day, curve) and InterpolateExponential(day, curve, 0) on each day.
std::vector<ComparisonRow> ComparisonRows(const YieldCurve& curve,
                                          const std::vector<GridDay>& days);

// ComparisonRows on ComparisonDays.
std::vector<ComparisonRow> ComparisonGrid(const YieldCurve& curve);
