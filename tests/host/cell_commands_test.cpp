// kvhost's Excel writing and formatting cells as the add-in's result steps do: xlSet, SELECT
// and the format commands on the selection, best-fit column widths.
#include <gtest/gtest.h>

#include "host_calls.h"
#include "model/formats.h"
#include "model/text_width.h"

using namespace kvhost;
using namespace kvtest;

namespace {
constexpr int kOk = xlretSuccess;

const CellFormat* Stored(const Sheet& sheet, std::uint32_t row, std::uint32_t column) {
  return sheet.formats.Own(row, column);
}
} // namespace

TEST(CellCommands, SetFollowsExcelsShapeRules) {
  ExcelHost host;
  HostCalls call(host);
  const Cells& cells = host.app().ActiveSheet().cells;
  // A 2x2 block into 3x3: the row and column beyond it are #N/A.
  ASSERT_EQ(call(xlSet, {call.Ref(0, 2, 0, 2),
                         call.Array(2, 2, {Num(1), Int(2), call.Str("Preço"), Nil()})}),
            kOk);
  EXPECT_EQ(cells.Get(0, 1), Value::Number(2)) << "an integer becomes a number";
  EXPECT_EQ(cells.Get(1, 0), Value::Text("Preço")) << "ANSI in, UTF-8 kept";
  EXPECT_EQ(cells.Get(1, 1).type, ValueType::Empty);
  EXPECT_EQ(cells.Get(2, 0), Value::Error(xlerrNA));
  EXPECT_EQ(cells.Get(0, 2), Value::Error(xlerrNA));

  // One row repeats down, one column across; a larger array is cut.
  ASSERT_EQ(call(xlSet, {call.Ref(0, 2, 0, 2), call.Array(1, 3, {Num(7), Num(8), Num(9)})}), kOk);
  EXPECT_EQ(cells.Get(2, 2), Value::Number(9));
  ASSERT_EQ(call(xlSet, {call.Ref(4, 5, 0, 1), call.Array(2, 1, {Num(1), Num(2)})}), kOk);
  EXPECT_EQ(cells.Get(5, 1), Value::Number(2));
  ASSERT_EQ(call(xlSet, {call.Ref(7, 7, 0, 0), call.Array(2, 2, {Num(3), Num(4), Num(5), Num(6)})}),
            kOk);
  EXPECT_EQ(cells.Get(7, 0), Value::Number(3));
  EXPECT_EQ(cells.Get(8, 0).type, ValueType::Empty);

  // A single value fills the rectangle; omitted values clear it; formats stay.
  host.app().ActiveSheet().formats.Apply(CellRange{},
                                         [](CellFormat& format) { format.number_format = "0.00"; });
  ASSERT_EQ(call(xlSet, {call.Ref(0, 1, 0, 1), Bool(true)}), kOk);
  EXPECT_EQ(cells.Get(1, 1), Value::Boolean(true));
  ASSERT_EQ(call(xlSet, {call.Ref(0, 1, 0, 1)}), kOk);
  EXPECT_EQ(cells.Get(0, 0).type, ValueType::Empty);
  EXPECT_EQ(host.app().ActiveSheet().formats.At(0, 0).number_format, "0.00");
}

TEST(CellCommands, SetWritesAnyWorksheetByIdAndRefusesWhatExcelRefuses) {
  ExcelHost host;
  HostCalls call(host);
  const SheetId first = host.app().ActiveSheet().id;
  ASSERT_EQ(call(xlcWorkbookInsert, {Int(2)}), kOk); // a chart sheet, now active
  const SheetId chart = host.app().ActiveSheet().id;
  ASSERT_EQ(call(xlSet, {call.Ref(0, 0, 0, 0, first), Num(4)}), kOk) << "need not be active";
  EXPECT_EQ(host.app().FindSheet(first)->cells.Get(0, 0), Value::Number(4));
  EXPECT_EQ(call(xlSet, {call.Ref(0, 0, 0, 0, chart), Num(4)}), xlretFailed) << "a chart sheet";
  EXPECT_EQ(call(xlSheetId), xlretFailed) << "a chart sheet has no id to refer to cells by";

  // A list of two rectangles: room for the second one after the first.
  alignas(XLMREF) unsigned char storage[sizeof(XLMREF) + sizeof(XLREF)] = {};
  auto* two = reinterpret_cast<XLMREF*>(storage);
  two->count = 2;
  XLOPER areas{};
  areas.xltype = xltypeRef;
  areas.val.mref.lpmref = two;
  areas.val.mref.idSheet = first;
  EXPECT_EQ(call(xlSet, {areas, Num(1)}), xlretInvXloper) << "one rectangle only";
  XLOPER flow{};
  flow.xltype = xltypeFlow;
  EXPECT_EQ(call(xlSet, {call.Ref(0, 0, 0, 0, first), flow}), xlretInvXloper);
  EXPECT_EQ(host.app().FindSheet(first)->cells.Get(0, 0), Value::Number(4)) << "nothing written";
  {
    const ExcelHost::Recalculation recalculation(host);
    EXPECT_EQ(call(xlSet, {call.Ref(0, 0, 0, 0, first), Num(5)}), xlretInvXlfn) << "commands only";
  }
}

// The frames of a table and then of a sub-range of it give the inner dividing lines.
TEST(CellCommands, FramingATableAndASubRangeDrawsInnerLines) {
  ExcelHost host;
  HostCalls call(host);
  const Sheet& sheet = host.app().ActiveSheet();
  ASSERT_EQ(call(xlcSelect, {call.Ref(12, 12, 0, 3)}), kOk);
  ASSERT_EQ(call(xlcBorder, {Int(1)}), kOk);
  ASSERT_EQ(call(xlcSelect, {call.Ref(12, 12, 1, 2)}), kOk);
  ASSERT_EQ(call(xlcBorder, {Int(1)}), kOk);
  const auto edges = [&](std::uint32_t column) { return sheet.formats.At(12, column).borders; };
  const BorderStyle thin = BorderStyle::Thin, none = BorderStyle::None;
  EXPECT_EQ(edges(0), (CellBorders{thin, none, thin, thin}));
  EXPECT_EQ(edges(1), (CellBorders{thin, none, thin, thin}));
  EXPECT_EQ(edges(2), (CellBorders{none, thin, thin, thin}));
  EXPECT_EQ(edges(3), (CellBorders{none, thin, thin, thin}));
  EXPECT_EQ(Stored(sheet, 11, 0), nullptr) << "cells outside the frames untouched";
  EXPECT_EQ(call(xlcBorder, {Int(8)}), xlretFailed) << "no such line style";
  EXPECT_EQ(
      call(xlcBorder, {Int(1), Missing(), Missing(), Missing(), Missing(), Missing(), Int(3)}),
      xlretFailed)
      << "edge colours are not kept: refused, not dropped";
}

// The whole sheet is formatted without storing its cells; a table then shaded starts from it.
TEST(CellCommands, WholeSheetFillThenTableShading) {
  ExcelHost host;
  HostCalls call(host);
  const Sheet& sheet = host.app().ActiveSheet();
  ASSERT_EQ(call(xlcSelect, {call.WholeSheet()}), kOk);
  ASSERT_EQ(call(xlcPatterns, {Int(1), Int(15)}), kOk);
  ASSERT_EQ(
      call(xlcFontPropertiesIntl, {call.Str("Arial"), call.Str("Normal"), Int(10), Missing(),
                                   Missing(), Missing(), Missing(), Missing(), Missing(), Int(5)}),
      kOk);
  EXPECT_TRUE(sheet.formats.FormattedCount() == 0);
  EXPECT_EQ(sheet.formats.whole_sheet.fill_fore, 15);
  EXPECT_EQ(sheet.formats.whole_sheet.font.colour, 5);

  ASSERT_EQ(call(xlcSelect, {call.Ref(3, 4, 1, 2)}), kOk);
  ASSERT_EQ(call(xlcPatterns, {Int(1), Int(2)}), kOk);
  ASSERT_EQ(call(xlcFontPropertiesIntl, {Missing(), Missing(), Missing(), Missing(), Missing(),
                                         Missing(), Missing(), Missing(), Missing(), Int(1)}),
            kOk);
  ASSERT_EQ(call(xlcFormatNumberIntl, {call.Str("0.000%")}), kOk);
  EXPECT_EQ(sheet.formats.FormattedCount(), 4u);
  const CellFormat& body = sheet.formats.At(4, 2);
  EXPECT_EQ(body.fill_pattern, 1);
  EXPECT_EQ(body.fill_fore, 2);
  EXPECT_EQ(body.font.colour, 1);
  EXPECT_EQ(body.font.name, "Arial") << "the rest comes from the whole sheet";
  EXPECT_EQ(body.number_format, "0.000%");
  EXPECT_EQ(sheet.formats.At(5, 2).fill_fore, 15);

  // Formatting the whole sheet again reaches the cells formatted apart too.
  ASSERT_EQ(call(xlcSelect, {call.WholeSheet()}), kOk);
  ASSERT_EQ(call(xlcAlignment, {Int(3)}), kOk);
  EXPECT_EQ(sheet.formats.At(4, 2).alignment, HorizontalAlignment::Center);
  EXPECT_EQ(sheet.formats.whole_sheet.alignment, HorizontalAlignment::Center);
  EXPECT_EQ(sheet.formats.FormattedCount(), 4u);
}

// Excel's default palette runs from 1, black, to 56, dark grey. PATTERNS and FONT.PROPERTIES
// take both ends and refuse 57, which names no colour, leaving the cell as it was; 0 is the
// automatic colour, a font's but not a fill's.
TEST(CellCommands, PaletteColoursRunFrom1To56) {
  EXPECT_EQ(PaletteRgb(1), 0x000000u);
  EXPECT_EQ(PaletteRgb(2), 0xFFFFFFu);
  EXPECT_EQ(PaletteRgb(56), 0x333333u);
  EXPECT_EQ(PaletteRgb(57), 0x000000u) << "past the palette: black";

  ExcelHost host;
  HostCalls call(host);
  const Sheet& sheet = host.app().ActiveSheet();
  const auto font_colour = [&](XLOPER colour) {
    return call(xlcFontPropertiesIntl, {Missing(), Missing(), Missing(), Missing(), Missing(),
                                        Missing(), Missing(), Missing(), Missing(), colour});
  };
  ASSERT_EQ(call(xlcSelect, {call.Ref(0, 0, 0, 0)}), kOk);
  EXPECT_EQ(call(xlcPatterns, {Int(1), Int(1)}), kOk);
  EXPECT_EQ(sheet.formats.At(0, 0).fill_fore, 1);
  EXPECT_EQ(call(xlcPatterns, {Int(1), Int(56)}), kOk);
  EXPECT_EQ(sheet.formats.At(0, 0).fill_fore, 56);
  EXPECT_EQ(call(xlcPatterns, {Int(1), Int(57)}), xlretFailed);
  EXPECT_EQ(call(xlcPatterns, {Int(1), Int(0)}), xlretFailed);
  EXPECT_EQ(sheet.formats.At(0, 0).fill_fore, 56) << "a refused colour changes nothing";

  EXPECT_EQ(font_colour(Int(56)), kOk);
  EXPECT_EQ(sheet.formats.At(0, 0).font.colour, 56);
  EXPECT_EQ(font_colour(Int(57)), xlretFailed);
  EXPECT_EQ(sheet.formats.At(0, 0).font.colour, 56) << "a refused colour changes nothing";
  EXPECT_EQ(font_colour(Int(1)), kOk);
  EXPECT_EQ(sheet.formats.At(0, 0).font.colour, 1);
  EXPECT_EQ(font_colour(Int(0)), kOk);
  EXPECT_EQ(sheet.formats.At(0, 0).font.colour, kAutomaticColour);
}

TEST(CellCommands, BoldGoesToTheActiveCellOnly) {
  ExcelHost host;
  HostCalls call(host);
  const Sheet& sheet = host.app().ActiveSheet();
  ASSERT_EQ(call(xlcSelect, {call.Ref(2, 2, 0, 1)}), kOk);
  ASSERT_EQ(call(xlcActiveCellFontIntl, {Missing(), call.Str("Negrito")}), kOk);
  EXPECT_TRUE(sheet.formats.At(2, 0).font.bold);
  EXPECT_FALSE(sheet.formats.At(2, 1).font.bold);
  ASSERT_EQ(call(xlcSelect, {call.Ref(2, 2, 0, 1), call.Ref(2, 2, 1, 1)}), kOk);
  ASSERT_EQ(call(xlcActiveCellFontIntl, {Missing(), call.Str("Negrito Itálico")}), kOk);
  EXPECT_TRUE(sheet.formats.At(2, 1).font.bold && sheet.formats.At(2, 1).font.italic);

  EXPECT_EQ(call(xlcActiveCellFontIntl, {Missing(), call.Str("Heavy")}), xlretFailed);
  EXPECT_EQ(call(xlcSelect, {call.Ref(2, 2, 0, 1), call.Ref(5, 5, 5, 5)}), xlretFailed)
      << "the active cell must lie in the selection";
  EXPECT_EQ(sheet.active_cell, (CellAddress{2, 1})) << "the failed SELECT changed nothing";
  EXPECT_EQ(call(xlcFontPropertiesIntl, {Missing(), Missing(), Missing(), Missing(), Missing(),
                                         Missing(), Missing(), Missing(), Int(2)}),
            xlretFailed)
      << "underlining is not kept: refused";
}

TEST(CellCommands, SelectTakesCellsOfTheActiveSheetOnly) {
  ExcelHost host;
  HostCalls call(host);
  const SheetId first = host.app().ActiveSheet().id;
  ASSERT_EQ(call(xlcWorkbookInsert, {Int(1)}), kOk);
  EXPECT_EQ(call(xlcSelect, {call.Ref(0, 3, 0, 0, first)}), xlretFailed);
  ASSERT_EQ(call(xlcSelect, {call.Ref(0, 3, 0, 0)}), kOk);
  ASSERT_EQ(call(xlfSelection), kOk);
  EXPECT_EQ(call.result.xltype, xltypeSRef);
  EXPECT_EQ(call.result.val.sref.ref.rwLast, 3);
  EXPECT_EQ(call(xlcSelect, {Num(3)}), xlretInvXloper) << "not a reference";
  EXPECT_EQ(call(xlcSelect), xlretInvCount);
}

// Best fit measures the cells inside the rectangle only, as they show in their formats.
TEST(CellCommands, BestFitMeasuresTheShownTextsInsideTheRectangle) {
  ExcelHost host;
  HostCalls call(host);
  const Sheet& sheet = host.app().ActiveSheet();
  ASSERT_EQ(call(xlSet, {call.Ref(0, 0, 0, 0), call.Str("A long title that must not count")}), kOk);
  ASSERT_EQ(call(xlSet,
                 {call.Ref(2, 4, 0, 1), call.Array(3, 2,
                                                   {call.Str("Média"), Num(0.01234), call.Str("DP"),
                                                    Num(0.5), call.Str("n"), Num(0.1)})}),
            kOk);
  ASSERT_EQ(call(xlcColumnWidth, {Missing(), call.Ref(2, 4, 0, 2), Missing(), Int(3)}), kOk);
  const double digit = kStandardDigitPixels;
  ASSERT_TRUE(sheet.column_widths.count(0));
  EXPECT_TRUE(sheet.column_widths.at(0).best_fit);
  EXPECT_DOUBLE_EQ(sheet.column_widths.at(0).characters,
                   TextWidthPixels("Média", FontFormat{}) / digit);
  EXPECT_DOUBLE_EQ(sheet.column_widths.at(1).characters,
                   TextWidthPixels("0.01234", FontFormat{}) / digit)
      << "General shows 0.01234";
  EXPECT_FALSE(sheet.column_widths.count(2)) << "an empty column keeps the standard width";

  const double general = sheet.column_widths.at(1).characters;
  ASSERT_EQ(call(xlcSelect, {call.Ref(2, 4, 1, 1)}), kOk);
  ASSERT_EQ(call(xlcFormatNumberIntl, {call.Str("0.000%")}), kOk);
  ASSERT_EQ(call(xlcColumnWidth, {Missing(), call.Ref(2, 4, 0, 1), Missing(), Int(3)}), kOk);
  EXPECT_DOUBLE_EQ(sheet.column_widths.at(1).characters,
                   TextWidthPixels("50.000%", FontFormat{}) / digit);
  EXPECT_GT(sheet.column_widths.at(1).characters, general);

  const double regular = sheet.column_widths.at(0).characters;
  ASSERT_EQ(call(xlcSelect, {call.Ref(2, 2, 0, 0)}), kOk);
  ASSERT_EQ(call(xlcActiveCellFontIntl, {Missing(), call.Str("Bold")}), kOk);
  ASSERT_EQ(call(xlcColumnWidth, {Missing(), call.Ref(2, 4, 0, 0), Missing(), Int(3)}), kOk);
  EXPECT_GT(sheet.column_widths.at(0).characters, regular) << "bold is a little wider";

  ASSERT_EQ(call(xlcColumnWidth, {Num(12.5), call.Ref(0, 0, 3, 3)}), kOk);
  EXPECT_EQ(sheet.column_widths.at(3).characters, 12.5);
  EXPECT_FALSE(sheet.column_widths.at(3).best_fit);
  EXPECT_EQ(call(xlcColumnWidth, {Missing(), call.Ref(0, 0, 3, 3), Missing(), Int(1)}), xlretFailed)
      << "hiding columns is not kept: refused";
}

TEST(CellCommands, CellCommandsFailWithAChartSheetActive) {
  ExcelHost host;
  HostCalls call(host);
  ASSERT_EQ(call(xlcWorkbookInsert, {Int(2)}), kOk);
  EXPECT_EQ(call(xlcBorder, {Int(1)}), xlretFailed);
  EXPECT_EQ(call(xlcAlignment, {Int(3)}), xlretFailed);
  EXPECT_EQ(call(xlcActiveCellFontIntl, {Missing(), call.Str("Bold")}), xlretFailed);
  EXPECT_EQ(call(xlcColumnWidth, {Num(10)}), xlretFailed);
  EXPECT_EQ(call(xlcPatterns, {Int(1), Int(15)}), xlretFailed) << "nothing selected on the chart";
  EXPECT_EQ(call(xlcFormatNumberIntl, {Num(3)}), xlretFailed) << "a number is no format";
  EXPECT_EQ(call(xlcFormatNumberIntl, {call.Array(1, 1, {Num(3)})}), xlretInvXloper);
}
