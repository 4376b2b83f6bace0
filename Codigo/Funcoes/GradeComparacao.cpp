#include "GradeComparacao.h"

namespace {
constexpr std::int64_t kLongGridPoints = 250;

// Day of point i: i + 1 for a short curve, ceil(i L / 250) + 1 for a long one; below 2^31,
// as i L / 250 < L.
std::int32_t PointDay(std::int64_t i, std::int64_t last_days) {
  if (last_days < kLongGridPoints) return static_cast<std::int32_t>(i + 1);
  return static_cast<std::int32_t>((i * last_days + kLongGridPoints - 1) / kLongGridPoints + 1);
}
} // namespace

std::vector<GridDay> ComparisonDays(const YieldCurve& curve) {
  std::vector<GridDay> grid;
  if (curve.size() < 2) return grid; // no interpolation to compare
  const std::int64_t last_days = curve.back().days;
  const std::int64_t points = last_days < kLongGridPoints ? last_days : kLongGridPoints;
  grid.reserve(static_cast<std::size_t>(points));
  std::size_t v = 0; // the first vertex not yet shown
  for (std::int64_t i = 0; i < points; ++i) {
    const std::int32_t day = PointDay(i, last_days);
    if (v == curve.size() || curve[v].days > day) {
      grid.push_back(GridDay{day, std::nullopt});
      continue;
    }
    for (; v < curve.size() && curve[v].days <= day; ++v)
      grid.push_back(GridDay{curve[v].days, v});
  }
  // The grid's last point may stop short of the last vertex; the curve must still end on it.
  for (; v < curve.size(); ++v)
    grid.push_back(GridDay{curve[v].days, v});
  return grid;
}

std::vector<ComparisonRow> ComparisonRows(const YieldCurve& curve,
                                          const std::vector<GridDay>& days) {
  std::vector<ComparisonRow> rows;
  rows.reserve(days.size());
  const CubicSpline spline(curve); // solved once for the whole grid
  for (const GridDay& point : days) {
    ComparisonRow row{point.day, spline(point.day), InterpolateExponential(point.day, curve, 0.0),
                      std::nullopt};
    if (point.vertex) row.vertex_rate = curve.at(*point.vertex).rate;
    rows.push_back(row);
  }
  return rows;
}

std::vector<ComparisonRow> ComparisonGrid(const YieldCurve& curve) {
  return ComparisonRows(curve, ComparisonDays(curve));
}
