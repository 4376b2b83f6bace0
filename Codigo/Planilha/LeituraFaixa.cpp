#include "LeituraFaixa.h"

#include <algorithm>
#include <cmath>

#include "xll/xloper.h"

namespace {
using xl::BaseType;

template <class Oper> bool IsArray(const Oper* value) {
  return value != nullptr && BaseType(*value) == xltypeMulti && value->val.array.lparray != nullptr;
}
} // namespace

template <class Oper>
std::optional<std::vector<double>> ReadDataRange(const Oper* range, std::size_t minimum) {
  if (!IsArray(range) || range->val.array.rows < 1 || range->val.array.columns < 1)
    return std::nullopt;
  const auto rows = static_cast<std::size_t>(range->val.array.rows);
  const auto columns = static_cast<std::size_t>(range->val.array.columns);
  if (rows * columns < minimum) return std::nullopt;
  // The array is stored row by row but read column by column. Walking whole columns would
  // jump a row's width at every step; instead take a band of rows at a time, which stays in
  // cache, and append each column's numbers to that column's own stretch of the result.
  std::vector<double> data(rows * columns);
  std::vector<std::size_t> filled(columns, 0);
  const Oper* cells = range->val.array.lparray;
  constexpr std::size_t kBand = 64;
  for (std::size_t first = 0; first < rows; first += kBand) {
    const std::size_t last = std::min(rows, first + kBand);
    for (std::size_t c = 0; c < columns; ++c) {
      double* out = data.data() + c * rows + filled[c];
      std::size_t kept = 0;
      for (std::size_t r = first; r < last; ++r) {
        const Oper& cell = cells[r * columns + c];
        if (BaseType(cell) == xltypeNum)
          out[kept++] = cell.val.num;
        else if (BaseType(cell) == xltypeInt)
          out[kept++] = cell.val.w;
      }
      filled[c] += kept;
    }
  }
  // Close the gaps that skipped cells left at the end of each column's stretch.
  std::size_t count = filled[0];
  for (std::size_t c = 1; c < columns; ++c) {
    if (count != c * rows)
      std::copy(data.begin() + static_cast<std::ptrdiff_t>(c * rows),
                data.begin() + static_cast<std::ptrdiff_t>(c * rows + filled[c]),
                data.begin() + static_cast<std::ptrdiff_t>(count));
    count += filled[c];
  }
  data.resize(count);
  if (data.size() < minimum) return std::nullopt;
  return data;
}

namespace {
template <class Oper> std::optional<double> Rate(const Oper& cell) {
  if (BaseType(cell) == xltypeNum) return std::fabs(cell.val.num);
  if (BaseType(cell) == xltypeInt) return std::fabs(static_cast<double>(cell.val.w));
  return std::nullopt;
}

template <class Oper> std::optional<std::int32_t> Days(const Oper& cell) {
  if (BaseType(cell) == xltypeInt)
    return cell.val.w > 0 ? std::optional<std::int32_t>(cell.val.w) : std::nullopt;
  if (BaseType(cell) != xltypeNum || !(cell.val.num > 0.0)) return std::nullopt;
  // A day count a 32-bit integer cannot hold is no business-day count: the row is skipped
  // rather than truncated into a wrapped number.
  if (cell.val.num >= 2147483648.0) return std::nullopt;
  return static_cast<std::int32_t>(cell.val.num); // toward zero: 0.5 gives day 0
}
} // namespace

template <class Oper> std::optional<YieldCurve> ReadYieldCurve(const Oper* range) {
  if (!IsArray(range) || range->val.array.rows < 2 || range->val.array.columns != 2)
    return std::nullopt;
  std::vector<Vertex> rows;
  const auto count = static_cast<std::size_t>(range->val.array.rows);
  rows.reserve(count);
  const Oper* cells = range->val.array.lparray;
  for (std::size_t r = 0; r < count; ++r) {
    const auto rate = Rate(cells[2 * r]);
    const auto days = Days(cells[2 * r + 1]);
    if (rate && days) rows.push_back(Vertex{*days, *rate});
  }
  if (rows.size() < 2) return std::nullopt;
  YieldCurve curve = MergeCurve(std::move(rows));
  if (curve.size() < 2) return std::nullopt;
  return curve;
}

template std::optional<std::vector<double>> ReadDataRange(const XLOPER*, std::size_t);
template std::optional<std::vector<double>> ReadDataRange(const XLOPER12*, std::size_t);
template std::optional<YieldCurve> ReadYieldCurve(const XLOPER*);
template std::optional<YieldCurve> ReadYieldCurve(const XLOPER12*);
