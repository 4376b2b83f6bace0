// References to cells of a named sheet, as chart series hold them: read from the R1C1 texts
// EDIT.SERIES is given, written in the A1 style of xlsx formulas.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cells.h"

namespace kvhost {

struct SheetReference {
  std::string sheet; // UTF-8
  CellRange range;
  bool operator==(const SheetReference&) const = default;
};

// Reads "=Sheet!R14C1:R23C1" or "=Sheet!R13C4": absolute R1C1 rows and columns (counted from
// 1, inside `grid`), the sheet's name quoted when it holds anything but letters, digits, '_'
// and '.' ("='Gráfico Área 1'!R1C1", a quote inside doubled). A rectangle given corner to
// corner in any order is put in order. Nothing when `formula` is not exactly such a reference.
std::optional<SheetReference> ParseR1C1Reference(std::string_view formula,
                                                 const Grid& grid = kExcel12Grid);

// A sheet name in quotes starting at `at` ('it''s' for it's): the name, with `at` moved past the
// closing quote; nothing when the closing quote is missing.
std::optional<std::string> ReadQuotedSheetName(std::string_view text, std::size_t& at);

// The reference as an xlsx formula holds it, without '=': "Histograma!$A$14:$A$23",
// "'CS x Exp'!$B$4", "'Gráfico'!$A$1" (letters beyond ASCII quoted, as every reader takes them).
std::string A1Reference(const SheetReference& reference);

// A column's letters: 0 -> "A", 25 -> "Z", 26 -> "AA".
std::string ColumnLetters(std::uint32_t column);

} // namespace kvhost
