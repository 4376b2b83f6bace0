// A sheet's cells keep every value exactly, whether a text sits in its cell (up to 8 bytes) or in
// the pool, and through overwriting one kind with the other; their formats follow each cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "model/application.h"
#include "model/cells.h"

namespace kvhost {
namespace {

TEST(Cells, TextsOfEveryLengthComeBackAsTheyWereSet) {
  Cells cells;
  const std::string texts[] = {
      "a", "12345678", "123456789", std::string("a\0b", 3), "ção", std::string(32767, 'x')};
  for (std::uint32_t i = 0; i < std::size(texts); ++i)
    cells.SetText(i, 0, texts[i]);
  for (std::uint32_t i = 0; i < std::size(texts); ++i)
    EXPECT_EQ(cells.Get(i, 0), Value::Text(texts[i])) << i;

  // Short over long, long over short, a number over each: nothing of the old value shows.
  cells.SetText(2, 0, "ab");
  cells.SetText(0, 0, "a longer text than eight bytes");
  cells.SetNumber(1, 0, 2.5);
  cells.SetText(5, 0, "");
  EXPECT_EQ(cells.Get(2, 0), Value::Text("ab"));
  EXPECT_EQ(cells.Get(0, 0), Value::Text("a longer text than eight bytes"));
  EXPECT_EQ(cells.Get(1, 0), Value::Number(2.5));
  EXPECT_EQ(cells.Get(5, 0), Value::Text(""));
  EXPECT_EQ(cells.TypeAt(3, 0), ValueType::Text);
  EXPECT_EQ(cells.NumberAt(3, 0), 0.0) << "a text's bytes are no number";
  cells.SetText(7, 3, "123456789");
  cells.Clear(7, 3);
  EXPECT_EQ(cells.Get(7, 3), Value{});
}

} // namespace
} // namespace kvhost

namespace kvhost {
// Cells formatted alike share one format; a change reaches each cell it is made to, on top of
// what the cell had, and a whole-sheet change reaches every cell.
TEST(SheetFormats, ChangesFollowEachCellWhateverTheyShare) {
  SheetFormats formats;
  formats.Apply(CellRange{0, 9, 0, 1}, [](CellFormat& f) { f.number_format = "0.00"; });
  formats.Apply(CellRange{5, 14, 1, 1}, [](CellFormat& f) { f.font.bold = true; });
  const CellFormat& first = formats.At(0, 0);
  EXPECT_EQ(first.number_format, "0.00");
  EXPECT_FALSE(first.font.bold);
  EXPECT_TRUE(formats.At(5, 1).font.bold && formats.At(5, 1).number_format == "0.00");
  EXPECT_TRUE(formats.At(12, 1).font.bold && formats.At(12, 1).number_format == "General");
  EXPECT_EQ(formats.Own(12, 0), nullptr);
  EXPECT_EQ(formats.FormattedCount(), 25u);

  // Many new formats later, the first one still reads where it was.
  for (std::uint32_t row = 100; row < 400; ++row)
    formats.Apply(CellRange{row, row, 0, 0},
                  [row](CellFormat& f) { f.number_format = std::to_string(row); });
  EXPECT_EQ(first.number_format, "0.00");
  EXPECT_EQ(formats.At(399, 0).number_format, "399");

  formats.Apply(CellRange{0, kMaxRows - 1, 0, kMaxColumns - 1},
                [](CellFormat& f) { f.font.colour = 5; });
  EXPECT_EQ(formats.At(12, 0).font.colour, 5);
  EXPECT_EQ(formats.At(5, 1).font.colour, 5);
  EXPECT_TRUE(formats.At(5, 1).font.bold);
  EXPECT_EQ(formats.FormattedCount(), 325u) << "a whole-sheet change stores no cell";

  const CellFormat plain;
  formats.Set(5, 1, plain);
  EXPECT_TRUE(formats.At(5, 1) == plain);
  const auto cells = formats.FormattedCells();
  ASSERT_EQ(cells.size(), 325u);
  EXPECT_TRUE(std::is_sorted(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
    return std::pair{a.row, a.column} < std::pair{b.row, b.column};
  }));
  EXPECT_EQ(cells[1].row, 0u);
  EXPECT_EQ(cells[1].column, 1u);
  EXPECT_EQ(*cells[1].format, formats.At(0, 1));
}

} // namespace kvhost
