// Worksheets: cell values, the cell formats of the file, column widths and the sheet's view.
#include <algorithm>
#include <cmath>
#include <new>

#include "../model/references.h"
#include "xlsx_parts.h"

namespace kvhost::xlsx {
namespace {

lxw_format_alignments Alignment(HorizontalAlignment alignment) {
  switch (alignment) {
  case HorizontalAlignment::General: return LXW_ALIGN_NONE;
  case HorizontalAlignment::Left: return LXW_ALIGN_LEFT;
  case HorizontalAlignment::Center: return LXW_ALIGN_CENTER;
  case HorizontalAlignment::Right: return LXW_ALIGN_RIGHT;
  case HorizontalAlignment::Fill: return LXW_ALIGN_FILL;
  case HorizontalAlignment::Justify: return LXW_ALIGN_JUSTIFY;
  case HorizontalAlignment::CenterAcrossSelection: return LXW_ALIGN_CENTER_ACROSS;
  }
  return LXW_ALIGN_NONE;
}

// BORDER numbers its line styles as the file format does (thin 1 ... hairline 7).
std::uint8_t Border(BorderStyle style) {
  return style <= BorderStyle::Hairline ? static_cast<std::uint8_t>(style)
                                        : static_cast<std::uint8_t>(LXW_BORDER_THIN);
}

std::string Where(const Sheet& sheet, std::uint32_t row, std::uint32_t column) {
  return "sheet '" + sheet.name + "' cell " + ColumnLetters(column) + std::to_string(row + 1);
}

} // namespace

lxw_format* FormatTable::Get(const CellFormat& format) {
  if (last_made_ != nullptr && format == last_asked_) return last_made_;
  last_asked_ = format;
  for (const auto& [known, made] : formats_)
    if (known == format) return last_made_ = made;

  lxw_format* made = workbook_add_format(workbook_);
  if (made == nullptr) throw std::bad_alloc(); // its only failure
  const FontFormat& font = format.font;
  format_set_font_name(made, font.name.c_str());
  format_set_font_size(made, font.size);
  if (font.bold) format_set_bold(made);
  if (font.italic) format_set_italic(made);
  if (font.colour != kAutomaticColour) format_set_font_color(made, Colour(font.colour));
  // Cell patterns are numbered as in the file format (1 solid ... 18 6.25% grey). A solid fill
  // shows the fore colour; libxlsxwriter takes that as the "background" of a solid pattern.
  if (format.fill_pattern == LXW_PATTERN_SOLID) {
    format_set_pattern(made, LXW_PATTERN_SOLID);
    format_set_bg_color(made, format.fill_fore == kAutomaticColour
                                  ? static_cast<lxw_color_t>(LXW_COLOR_BLACK)
                                  : Colour(format.fill_fore));
  } else if (format.fill_pattern > LXW_PATTERN_SOLID &&
             format.fill_pattern <= LXW_PATTERN_GRAY_0625) {
    format_set_pattern(made, format.fill_pattern);
    if (format.fill_fore != kAutomaticColour) format_set_fg_color(made, Colour(format.fill_fore));
    if (format.fill_back != kAutomaticColour) format_set_bg_color(made, Colour(format.fill_back));
  }
  if (format.number_format != "General") format_set_num_format(made, format.number_format.c_str());
  format_set_align(made, Alignment(format.alignment));
  format_set_left(made, Border(format.borders.left));
  format_set_right(made, Border(format.borders.right));
  format_set_top(made, Border(format.borders.top));
  format_set_bottom(made, Border(format.borders.bottom));
  formats_.emplace_back(format, made);
  return last_made_ = made;
}

bool WriteWorksheet(lxw_worksheet* worksheet, const Sheet& sheet, FormatTable& formats,
                    SheetEdits& edits, std::string& error) {
  // The whole-sheet format is the style of every column, so that cells nobody wrote show it
  // in Excel and LibreOffice alike; columns given a width get theirs.
  lxw_format* whole =
      sheet.formats.whole_sheet == CellFormat{} ? nullptr : formats.Get(sheet.formats.whole_sheet);
  for (std::uint32_t column = 0; column < kMaxColumns;) {
    const auto width = sheet.column_widths.find(column);
    if (width != sheet.column_widths.end()) {
      if (const lxw_error refused = worksheet_set_column(worksheet, static_cast<lxw_col_t>(column),
                                                         static_cast<lxw_col_t>(column),
                                                         width->second.characters, whole)) {
        error = "sheet '" + sheet.name + "' column " + ColumnLetters(column) + ": " +
                lxw_strerror(refused);
        return false;
      }
      if (width->second.best_fit) edits.best_fit_columns.push_back(column);
      ++column;
      continue;
    }
    std::uint32_t last = column;
    while (last + 1 < kMaxColumns && !sheet.column_widths.contains(last + 1))
      ++last;
    if (whole != nullptr) {
      if (const lxw_error refused =
              worksheet_set_column(worksheet, static_cast<lxw_col_t>(column),
                                   static_cast<lxw_col_t>(last), LXW_DEF_COL_WIDTH, whole)) {
        error = "sheet '" + sheet.name + "' columns: " + lxw_strerror(refused);
        return false;
      }
    }
    column = last + 1;
  }
  if (!sheet.show_gridlines) worksheet_gridlines(worksheet, LXW_HIDE_ALL_GRIDLINES);
  // The file keeps one selected rectangle; A1, the default, needs none.
  if (!sheet.selection.empty() && sheet.selection[0] != CellRange{}) {
    const CellRange& area = sheet.selection[0];
    worksheet_set_selection(worksheet, area.first_row, static_cast<lxw_col_t>(area.first_column),
                            area.last_row, static_cast<lxw_col_t>(area.last_column));
  }

  auto write = [&](std::uint32_t row, std::uint32_t column, const Value& value) -> lxw_error {
    lxw_format* format = formats.Get(sheet.formats.At(row, column));
    const auto r = static_cast<lxw_row_t>(row);
    const auto c = static_cast<lxw_col_t>(column);
    switch (value.type) {
    case ValueType::Empty: return worksheet_write_blank(worksheet, r, c, format);
    case ValueType::Number:
      // A file holds no infinities or NaNs: Excel shows such a result as #NUM!.
      if (std::isfinite(value.number))
        return worksheet_write_number(worksheet, r, c, value.number, format);
      edits.has_errors = true;
      return worksheet_write_formula_str(worksheet, r, c, "#NUM!", format, "#NUM!");
    case ValueType::Text:
      return worksheet_write_string(worksheet, r, c, value.text.c_str(), format);
    case ValueType::Boolean: return worksheet_write_boolean(worksheet, r, c, value.boolean, format);
    case ValueType::Error: {
      // libxlsxwriter writes no error values: the error goes in as a formula that is its own
      // name, and the package step turns the cell into an error value.
      const std::string name(ErrorName(value.error));
      if (name.empty()) return LXW_ERROR_PARAMETER_VALIDATION;
      edits.has_errors = true;
      return worksheet_write_formula_str(worksheet, r, c, name.c_str(), format, name.c_str());
    }
    }
    return LXW_NO_ERROR;
  };

  // An empty cell is written only when it has a format of its own (a frame, a fill): below.
  const Cells& cells = sheet.cells;
  bool written = true;
  cells.ForEachValue([&](std::uint32_t row, std::uint32_t column) {
    if (!written) return;
    const Value value = cells.Get(row, column);
    if (const lxw_error result = write(row, column, value); result != LXW_NO_ERROR) {
      error = Where(sheet, row, column) + ": " +
              (value.type == ValueType::Error ? "unknown error code " + std::to_string(value.error)
                                              : std::string(lxw_strerror(result)));
      written = false;
    }
  });
  if (!written) return false;
  // Then the formatted cells that hold nothing, row by row as before.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> empty;
  const bool inside = sheet.formats.ForEachFormatted(
      [&](std::uint32_t row, std::uint32_t column, const CellFormat&) {
        if (row >= kMaxRows || column >= kMaxColumns) return false;
        if (cells.TypeAt(row, column) == ValueType::Empty) empty.emplace_back(row, column);
        return true;
      });
  if (!inside) {
    error = "sheet '" + sheet.name + "': a formatted cell outside the grid";
    return false;
  }
  std::sort(empty.begin(), empty.end());
  for (const auto& [row, column] : empty)
    if (const lxw_error result = write(row, column, Value{}); result != LXW_NO_ERROR) {
      error = Where(sheet, row, column) + ": " + lxw_strerror(result);
      return false;
    }
  return true;
}

} // namespace kvhost::xlsx
