#include "LeituraFaixa.h"

#include <cmath>
#include <limits>

namespace {
bool IsArray(const XLOPER* value) {
  return value != nullptr && (value->xltype & ~(xlbitXLFree | xlbitDLLFree)) == xltypeMulti &&
         value->val.array.lparray != nullptr;
}

unsigned BaseType(const XLOPER& value) {
  return value.xltype & ~(xlbitXLFree | xlbitDLLFree);
}
} // namespace

std::optional<std::vector<double>> ReadDataRange(const XLOPER* range, std::size_t minimum) {
  if (!IsArray(range)) return std::nullopt;
  const std::size_t rows = range->val.array.rows, columns = range->val.array.columns;
  if (rows * columns < minimum) return std::nullopt;
  std::vector<double> data;
  data.reserve(rows * columns);
  const XLOPER* cells = range->val.array.lparray;
  for (std::size_t c = 0; c < columns; ++c) {
    for (std::size_t r = 0; r < rows; ++r) {
      const XLOPER& cell = cells[r * columns + c];
      if (BaseType(cell) == xltypeNum)
        data.push_back(cell.val.num);
      else if (BaseType(cell) == xltypeInt)
        data.push_back(cell.val.w);
    }
  }
  if (data.size() < minimum) return std::nullopt;
  return data;
}

namespace {
std::optional<double> Rate(const XLOPER& cell) {
  if (BaseType(cell) == xltypeNum) return std::fabs(cell.val.num);
  if (BaseType(cell) == xltypeInt) return std::fabs(static_cast<double>(cell.val.w));
  return std::nullopt;
}

std::optional<std::int32_t> Days(const XLOPER& cell) {
  if (BaseType(cell) == xltypeInt)
    return cell.val.w > 0 ? std::optional<std::int32_t>(cell.val.w) : std::nullopt;
  if (BaseType(cell) != xltypeNum || !(cell.val.num > 0.0)) return std::nullopt;
  // A day count a 32-bit integer cannot hold is no business-day count: the row is skipped
  // rather than truncated into a wrapped number.
  if (cell.val.num >= 2147483648.0) return std::nullopt;
  return static_cast<std::int32_t>(cell.val.num); // toward zero: 0.5 gives day 0
}
} // namespace

std::optional<YieldCurve> ReadYieldCurve(const XLOPER* range) {
  if (!IsArray(range) || range->val.array.rows < 2 || range->val.array.columns != 2)
    return std::nullopt;
  std::vector<Vertex> rows;
  rows.reserve(range->val.array.rows);
  const XLOPER* cells = range->val.array.lparray;
  for (std::size_t r = 0; r < range->val.array.rows; ++r) {
    const auto rate = Rate(cells[2 * r]);
    const auto days = Days(cells[2 * r + 1]);
    if (rate && days) rows.push_back(Vertex{*days, *rate});
  }
  if (rows.size() < 2) return std::nullopt;
  YieldCurve curve = MergeCurve(std::move(rows));
  if (curve.size() < 2) return std::nullopt;
  return curve;
}
