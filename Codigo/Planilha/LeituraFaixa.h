// Turning the value arrays Excel passes to the worksheet functions (Excel 4 or Excel 12 records)
// into data vectors and yield curves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "Funcoes/CurvaJuros.h"
#include "xll/xlcall.h"

// The numbers of a range, column by column (down the first column, then down the second...):
// number cells as they are, integer cells as doubles, every other cell skipped. Nothing when
// the range is not an array, has fewer than `minimum` cells, or holds fewer than `minimum`
// numbers.
template <class Oper>
std::optional<std::vector<double>> ReadDataRange(const Oper* range, std::size_t minimum);

// The rows of a curve range of at least 2 rows by exactly 2 columns (rate, business days), as
// vertices: the rate's absolute value, the days truncated toward zero; rows whose rate is not
// a number, or whose days are not a positive number, are skipped. Nothing when the shape is
// wrong or fewer than 2 vertices remain after sorting and merging equal days.
template <class Oper> std::optional<YieldCurve> ReadYieldCurve(const Oper* range);
