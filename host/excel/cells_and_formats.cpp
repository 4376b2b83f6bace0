// Cells, the selection and cell formats on a worksheet: SELECTION, GET.CELL, SELECT, PATTERNS,
// FONT.PROPERTIES, ACTIVE.CELL.FONT, FORMAT.NUMBER, BORDER, ALIGNMENT and COLUMN.WIDTH. With a
// chart sheet active, SELECT, PATTERNS, FONT.PROPERTIES and FORMAT.NUMBER act on the selected
// chart item instead; the other cell commands fail there.
#include <algorithm>
#include <map>

#include "../model/text_width.h"
#include "chart_formats.h"
#include "chart_items.h"
#include "command_arguments.h"
#include "excel_host.h"
#include "values.h"

namespace kvhost {
namespace {

// SELECTION(): the selected cells. One area on the active sheet comes back as a single-sheet
// reference (xltypeSRef); several areas, or cells of a sheet that is not the active one, as a
// reference that names its sheet (xltypeRef), whose rectangle list is given back with xlFree.
// Excel's documentation leaves open which of the two it uses for one area; the add-in tells a
// selection it can read from one it cannot by this split.
template <class Oper> int SelectedCells(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (!args.empty()) return xlretInvCount;
  if (result == nullptr) return xlretSuccess;
  const Selection selection = host.app().CurrentSelection();
  // An Excel 4 record cannot name a cell beyond A1:IV65536: such a selection is not given.
  if constexpr (std::is_same_v<Oper, XLOPER>)
    for (const CellRange& area : selection.areas)
      if (!kExcel4Grid.Holds(area)) return xlretFailed;
  if (selection.areas.size() == 1 && selection.sheet == host.app().ActiveSheet().id) {
    result->xltype = xltypeSRef;
    result->val.sref.count = 1;
    result->val.sref.ref = RefOf<typename xl::Kind<Oper>::Ref>(selection.areas[0]);
    return xlretSuccess;
  }
  auto* list = host.memory().template NewRectangles<Oper>(selection.areas.size());
  for (std::size_t i = 0; i < selection.areas.size(); ++i)
    list->reftbl[i] = RefOf<typename xl::Kind<Oper>::Ref>(selection.areas[i]);
  result->xltype = xltypeRef;
  result->val.mref.lpmref = list;
  result->val.mref.idSheet = selection.sheet;
  return xlretSuccess;
}

// GET.CELL(type_num, [reference]) with type 5, the contents of a cell: a number, a text (given
// back with xlFree), a Boolean, an error value, or nil for an empty cell. The cell is the
// upper-left one of the reference's first area, or the active cell (the upper-left cell of
// the selection) when the reference is omitted. kvhost answers no other type_num: those are
// refused (xlretFailed) rather than answered wrongly.
template <class Oper> int GetCell(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  const auto type = NumberOf(*args[0]);
  if (!type || *type != 5) return xlretFailed;
  const Sheet* sheet = nullptr;
  std::uint32_t row = 0, column = 0;
  if (args.size() < 2 || IsOmitted(*args[1])) {
    const Selection selection = host.app().CurrentSelection();
    sheet = host.app().FindSheet(selection.sheet);
    row = selection.areas[0].first_row;
    column = selection.areas[0].first_column;
  } else {
    // The tools read their input one cell at a time: the reference is read in place rather
    // than through ResolveReference's copy of its rectangles.
    const Oper& reference = *args[1];
    const typename xl::Kind<Oper>::Ref* first = nullptr;
    if (BaseType(reference) == xltypeSRef) {
      sheet = &host.app().ActiveSheet();
      first = &reference.val.sref.ref;
    } else if (BaseType(reference) == xltypeRef && reference.val.mref.lpmref != nullptr &&
               reference.val.mref.lpmref->count > 0) {
      sheet = host.app().FindSheet(static_cast<SheetId>(reference.val.mref.idSheet));
      first = &reference.val.mref.lpmref->reftbl[0];
    }
    if (sheet == nullptr) return xlretInvXloper;
    row = static_cast<std::uint32_t>(first->rwFirst);
    column = static_cast<std::uint32_t>(first->colFirst);
    if (!host.app().grid.Holds(row, column)) return xlretInvXloper; // beyond the grid
  }
  if (result != nullptr) SetCellValue(host, result, sheet->cells, row, column);
  return xlretSuccess;
}

// The active worksheet, or null when the active sheet is a chart.
Sheet* ActiveWorksheet(ExcelHost& host) {
  Sheet& sheet = host.app().ActiveSheet();
  return sheet.kind == SheetKind::Worksheet ? &sheet : nullptr;
}

// The areas of a reference argument to cells of the active worksheet; the code the command fails
// with otherwise: a record that is no reference is invalid, cells of another sheet fail, and so
// do references given as R1C1 texts, which kvhost does not read.
template <class Oper>
int ActiveSheetAreas(ExcelHost& host, const Oper& reference, std::vector<CellRange>& areas) {
  if (BaseType(reference) == xltypeStr) return xlretFailed;
  const auto cells = ResolveReference(host, reference);
  if (!cells) return xlretInvXloper;
  if (cells->sheet != &host.app().ActiveSheet()) return xlretFailed;
  areas.clear();
  for (const CellRange& area : cells->areas) {
    if (area.first_row > area.last_row || area.first_column > area.last_column)
      return xlretInvXloper;
    areas.push_back(area);
  }
  return xlretSuccess;
}

// The selected areas of a worksheet.
std::vector<CellRange> SelectedAreas(const Sheet& sheet) {
  return sheet.selection.empty() ? std::vector<CellRange>{CellRange{}} : sheet.selection;
}

// SELECT(selection, active_cell) on a worksheet: selects the cells of a reference to the active
// sheet, the active cell at the top left of its first area or, when given, at active_cell, which
// must lie in the selection. A reference to another sheet fails (Excel selects on the active
// sheet only).
template <class Oper> int Select(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  Sheet* sheet = ActiveWorksheet(host);
  if (sheet == nullptr) return SelectChartItem(host, result, args);
  std::vector<CellRange> areas;
  if (int code = ActiveSheetAreas(host, *args[0], areas)) return code;
  std::optional<CellAddress> active;
  if (Given(args, 1)) {
    std::vector<CellRange> cell;
    if (int code = ActiveSheetAreas(host, *args[1], cell)) return code;
    active = CellAddress{cell[0].first_row, cell[0].first_column};
    const bool inside = std::any_of(areas.begin(), areas.end(), [&](const CellRange& area) {
      return active->row >= area.first_row && active->row <= area.last_row &&
             active->column >= area.first_column && active->column <= area.last_column;
    });
    if (!inside) return xlretFailed;
  }
  host.app().Select(Selection{sheet->id, std::move(areas)});
  if (active) sheet->active_cell = *active;
  SetBoolean(result, true);
  return xlretSuccess;
}

// Makes `change` to the format of every selected cell.
template <class Change> void ChangeSelection(Sheet& sheet, Change&& change) {
  for (const CellRange& area : SelectedAreas(sheet))
    sheet.formats.Apply(area, change);
}

// PATTERNS(apattern, afore, aback, newui) on cells: the fill pattern (0 none, 1 solid, up to 18)
// and its palette colours (1-56). Arguments of the chart items' syntaxes have
// no effect on cells, as in Excel. newui FALSE asks for Excel 4's colours and patterns, which
// kvhost does not keep: refused.
template <class Oper> int Patterns(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 12) return xlretInvCount;
  Sheet* sheet = ActiveWorksheet(host);
  if (sheet == nullptr) return FormatChartItemPatterns(host, result, args);
  std::optional<int> pattern;
  std::optional<bool> new_colours;
  FormatChange change;
  if (int code = ReadInteger(args, 0, pattern, 0, 18)) return code;
  if (int code = ReadColour(args, 1, change.fill_fore, false)) return code;
  if (int code = ReadColour(args, 2, change.fill_back, false)) return code;
  if (int code = ReadBoolean(args, 3, new_colours)) return code;
  if (!new_colours.value_or(true)) return xlretFailed;
  if (pattern) change.fill_pattern = static_cast<std::uint8_t>(*pattern);
  ChangeSelection(*sheet, [&](CellFormat& format) { change.ApplyTo(format); });
  SetBoolean(result, true);
  return xlretSuccess;
}

// FONT.PROPERTIES on the selected cells (see ReadFontProperties).
template <class Oper> int FontProperties(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  Sheet* sheet = ActiveWorksheet(host);
  if (sheet == nullptr) return FormatChartItemFont(host, result, args);
  FormatChange change;
  if (int code = ReadFontProperties(args, change)) return code;
  ChangeSelection(*sheet, [&](CellFormat& format) { change.ApplyTo(format.font); });
  SetBoolean(result, true);
  return xlretSuccess;
}

// ACTIVE.CELL.FONT: FONT.PROPERTIES' arguments, on the active cell alone.
template <class Oper> int ActiveCellFont(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  Sheet* sheet = ActiveWorksheet(host);
  if (sheet == nullptr) return xlretFailed;
  FormatChange change;
  if (int code = ReadFontProperties(args, change)) return code;
  const CellAddress cell = sheet->active_cell;
  sheet->formats.Apply(CellRange{cell.row, cell.row, cell.column, cell.column},
                       [&](CellFormat& format) { change.ApplyTo(format.font); });
  SetBoolean(result, true);
  return xlretSuccess;
}

// FORMAT.NUMBER(format_text) on the selected cells, in the US syntax of the international form.
template <class Oper>
int FormatNumberCommand(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 1) return xlretInvCount;
  Sheet* sheet = ActiveWorksheet(host);
  if (sheet == nullptr) return FormatChartItemNumbers(host, result, args);
  std::optional<std::string> format;
  if (int code = ReadText(args, 0, format)) return code;
  if (!format || format->empty()) return xlretFailed;
  ChangeSelection(*sheet, [&](CellFormat& cell) { cell.number_format = *format; });
  SetBoolean(result, true);
  return xlretSuccess;
}

// BORDER(outline, left, right, top, bottom, shade, outline_color, left_color, right_color,
// top_color, bottom_color): outline draws the outer edges of each selected rectangle; left,
// right, top and bottom the edges of every selected cell (applied first, so an outline given
// with them wins on the outer edges). Styles 0 none, 1 thin, 2 medium, 3 dashed, 4 dotted,
// 5 thick, 6 double, 7 hairline. kvhost keeps no edge colours and no shading: colours other than
// automatic (0), and shade TRUE, are refused.
template <class Oper> int Border(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 11) return xlretInvCount;
  Sheet* sheet = ActiveWorksheet(host);
  if (sheet == nullptr) return xlretFailed;
  std::optional<int> outline, left, right, top, bottom;
  if (int code = ReadInteger(args, 0, outline, 0, 7)) return code;
  if (int code = ReadInteger(args, 1, left, 0, 7)) return code;
  if (int code = ReadInteger(args, 2, right, 0, 7)) return code;
  if (int code = ReadInteger(args, 3, top, 0, 7)) return code;
  if (int code = ReadInteger(args, 4, bottom, 0, 7)) return code;
  if (int code = RefuseTrue(args, 5, 5)) return code;
  for (std::size_t i = 6; i < 11; ++i) {
    std::optional<PaletteIndex> colour;
    if (int code = ReadColour(args, i, colour, true)) return code;
    if (colour.value_or(kAutomaticColour) != kAutomaticColour) return xlretFailed;
  }
  const auto style = [](int value) { return static_cast<BorderStyle>(value); };
  for (const CellRange& area : SelectedAreas(*sheet)) {
    sheet->formats.Apply(area, [&](CellFormat& format) {
      if (left) format.borders.left = style(*left);
      if (right) format.borders.right = style(*right);
      if (top) format.borders.top = style(*top);
      if (bottom) format.borders.bottom = style(*bottom);
    });
    if (!outline) continue;
    const BorderStyle edge = style(*outline);
    const auto edges = [&](CellRange cells, BorderStyle CellBorders::*side) {
      sheet->formats.Apply(cells, [&](CellFormat& format) { format.borders.*side = edge; });
    };
    edges(CellRange{area.first_row, area.first_row, area.first_column, area.last_column},
          &CellBorders::top);
    edges(CellRange{area.last_row, area.last_row, area.first_column, area.last_column},
          &CellBorders::bottom);
    edges(CellRange{area.first_row, area.last_row, area.first_column, area.first_column},
          &CellBorders::left);
    edges(CellRange{area.first_row, area.last_row, area.last_column, area.last_column},
          &CellBorders::right);
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

// ALIGNMENT(horiz_align, wrap, vert_align, orientation, add_indent, shrink_to_fit,
// merge_cells): the horizontal alignment of the selected cells, 1 general to 7 centred across
// the selection. kvhost keeps no other alignment: wrapping, shrinking or merging (TRUE) and the
// other settings given are refused.
template <class Oper> int Alignment(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 7) return xlretInvCount;
  Sheet* sheet = ActiveWorksheet(host);
  if (sheet == nullptr) return xlretFailed;
  std::optional<int> horizontal;
  if (int code = ReadInteger(args, 0, horizontal, 1, 7)) return code;
  if (int code = RefuseTrue(args, 1, 1)) return code;
  if (int code = RefuseGiven(args, 2, 4)) return code;
  if (int code = RefuseTrue(args, 5, 6)) return code;
  if (horizontal) {
    const auto alignment = static_cast<HorizontalAlignment>(*horizontal);
    ChangeSelection(*sheet, [&](CellFormat& format) { format.alignment = alignment; });
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

// COLUMN.WIDTH(width_num, reference, standard, type_num, standard_num): the width of the columns
// of `reference` (the selection when omitted), in characters of the standard font: width_num, or
// the standard width when standard is TRUE, or with type_num 3 the best fit of the cells inside
// the reference's rectangles only (cells above or below them do not count). A column with nothing
// to fit gets the standard width. Hiding and unhiding (type 1, 2) and changing the standard
// width (standard_num) are not kept by kvhost: refused.
template <class Oper>
int ColumnWidthCommand(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 5) return xlretInvCount;
  Sheet* sheet = ActiveWorksheet(host);
  if (sheet == nullptr) return xlretFailed;
  std::optional<double> width;
  std::optional<bool> standard;
  std::optional<int> type;
  if (int code = ReadNumber(args, 0, width)) return code;
  std::vector<CellRange> areas = SelectedAreas(*sheet);
  if (Given(args, 1))
    if (int code = ActiveSheetAreas(host, *args[1], areas)) return code;
  if (int code = ReadBoolean(args, 2, standard)) return code;
  if (int code = ReadInteger(args, 3, type, 1, 3)) return code;
  if (int code = RefuseGiven(args, 4, 4)) return code;
  if (type && *type != 3) return xlretFailed;

  auto& widths = sheet->column_widths;
  if (type) {
    std::map<std::uint32_t, std::optional<double>> fitted;
    for (const CellRange& area : areas) {
      for (std::uint32_t column = area.first_column; column <= area.last_column; ++column) {
        const auto fit = BestFitWidth(*sheet, column, area.first_row, area.last_row);
        auto& widest = fitted[column];
        if (fit && (!widest || *fit > *widest)) widest = fit;
      }
    }
    for (const auto& [column, fit] : fitted) {
      if (fit)
        widths[column] = ColumnWidth{*fit, true};
      else
        widths.erase(column);
    }
  } else if (standard.value_or(false) || width) {
    if (width && (*width < 0 || *width > 255)) return xlretFailed;
    for (const CellRange& area : areas) {
      for (std::uint32_t column = area.first_column; column <= area.last_column; ++column) {
        if (standard.value_or(false))
          widths.erase(column);
        else
          widths[column] = ColumnWidth{*width, false};
      }
    }
  } else {
    return xlretFailed; // nothing asked for
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

} // namespace

void AddCellsAndFormats(HandlerTable& table) {
  table[xlfSelection] = KV_HANDLER(SelectedCells);
  table[xlfGetCell] = KV_HANDLER(GetCell);
  table[xlcSelect] = KV_HANDLER(Select);
  table[xlcPatterns] = KV_HANDLER(Patterns);
  table[xlcFontPropertiesIntl] = KV_HANDLER(FontProperties);
  table[xlcActiveCellFontIntl] = KV_HANDLER(ActiveCellFont);
  table[xlcFormatNumberIntl] = KV_HANDLER(FormatNumberCommand);
  table[xlcBorder] = KV_HANDLER(Border);
  table[xlcAlignment] = KV_HANDLER(Alignment);
  table[xlcColumnWidth] = KV_HANDLER(ColumnWidthCommand);
}

} // namespace kvhost
