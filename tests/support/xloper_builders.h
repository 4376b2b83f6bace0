// Value records and arrays as Excel passes them to worksheet functions and as the add-in passes
// them to Excel, for tests.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// By its path from here: the host's tests do not see the add-in's folders.
#include "../../Codigo/xll/xloper.h"

namespace kvtest {

inline constexpr auto& Num = xl::Number<XLOPER>;
inline constexpr auto& Int = xl::Integer<XLOPER>;
inline constexpr auto& Bool = xl::Boolean<XLOPER>;
inline constexpr auto& Err = xl::Error<XLOPER>;
inline constexpr auto& Missing = xl::Missing<XLOPER>;
inline constexpr auto& Nil = xl::Nil<XLOPER>;
// A text cell, counted as Excel passes it; the characters live as long as the test program.
inline XLOPER Text(const std::string& text) {
  static std::deque<std::string> texts;
  texts.push_back(std::string(1, static_cast<char>(text.size())) + text);
  XLOPER x{};
  x.xltype = xltypeStr;
  x.val.str = texts.back().data();
  return x;
}

// A rows × columns array; cells given row by row.
class Range {
public:
  Range(std::uint16_t rows, std::uint16_t columns, std::vector<XLOPER> cells)
      : cells_(std::move(cells)) {
    record_.xltype = xltypeMulti;
    record_.val.array.lparray = cells_.data();
    record_.val.array.rows = rows;
    record_.val.array.columns = columns;
  }
  static Range Column(const std::vector<double>& values) {
    std::vector<XLOPER> cells;
    for (double v : values)
      cells.push_back(Num(v));
    return Range(static_cast<std::uint16_t>(values.size()), 1, std::move(cells));
  }
  // A curve: rows of (rate, days).
  static Range Curve(const std::vector<std::pair<double, double>>& rows) {
    std::vector<XLOPER> cells;
    for (const auto& [rate, days] : rows) {
      cells.push_back(Num(rate));
      cells.push_back(Num(days));
    }
    return Range(static_cast<std::uint16_t>(rows.size()), 2, std::move(cells));
  }
  LPXLOPER get() { return &record_; }

private:
  std::vector<XLOPER> cells_;
  XLOPER record_{};
};

} // namespace kvtest
