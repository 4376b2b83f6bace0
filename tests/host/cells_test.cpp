// A sheet's cells keep every value exactly, whether a text sits in its cell (up to 8 bytes) or in
// the pool, and through overwriting one kind with the other.
#include <gtest/gtest.h>

#include <string>

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
