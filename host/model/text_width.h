// How wide texts are in a cell, and the best-fit width of a column: what COLUMN.WIDTH's best
// fit measures.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "application.h"
#include "formats.h"

namespace kvhost {

// Column widths count characters of the standard font's digits: Arial 10 (the Normal style of
// kvhost's workbooks), whose digits are 7 pixels wide at 96 dpi. A column nobody sized is
// 8.43 of them wide.
constexpr double kStandardDigitPixels = 7;
constexpr double kStandardColumnWidth = 8.43;

// The width in pixels (96 dpi) of a UTF-8 text in `font`: each character's advance width in
// Arial (bold Arial for a bold font), rounded to whole pixels at the font's size, as Windows
// lays out a cell's text. Other font names are measured as Arial.
double TextWidthPixels(std::string_view utf8, const FontFormat& font);

// The best-fit width, in characters, of `column` over rows first_row..last_row of a worksheet:
// the widest text those cells show in their number formats and fonts; cells outside the rows
// do not count. Nothing when none of them holds anything.
std::optional<double> BestFitWidth(const Sheet& sheet, std::uint32_t column,
                                   std::uint32_t first_row, std::uint32_t last_row);

} // namespace kvhost
