// Value records through the wire: every type both ways with its ownership bits, the blocks a
// decoded record points at owned by the memory it was decoded into, and damaged bytes refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "xloper.h"
#include "xloper_wire.h"

namespace kvbridge {
namespace {

XLOPER Text(WireMemory& memory, const std::string& bytes, std::uint16_t bits = 0) {
  XLOPER x{};
  x.xltype = xltypeStr | bits;
  x.val.str = memory.NewText(bytes);
  return x;
}

std::string BytesOf(const XLOPER& text) {
  return std::string(text.val.str + 1, static_cast<unsigned char>(text.val.str[0]));
}

// Encodes `value`, decodes it into `into`, and checks every byte was read.
XLOPER RoundTrip(const XLOPER& value, WireMemory& into) {
  Writer out;
  EXPECT_TRUE(PutXloper(out, value));
  Reader in(out.bytes());
  XLOPER back{};
  GetXloper(in, back, into);
  EXPECT_EQ(in.left(), 0u);
  return back;
}

TEST(XloperWire, ScalarsKeepTheirValueAndOwnershipBits) {
  WireMemory memory;
  XLOPER number{};
  number.xltype = xltypeNum | xlbitDLLFree;
  number.val.num = -1.25e-300;
  XLOPER back = RoundTrip(number, memory);
  EXPECT_EQ(back.xltype, xltypeNum | xlbitDLLFree);
  EXPECT_EQ(back.val.num, -1.25e-300);

  XLOPER flag{};
  flag.xltype = xltypeBool | xlbitXLFree;
  flag.val.xbool = 1;
  back = RoundTrip(flag, memory);
  EXPECT_EQ(back.xltype, xltypeBool | xlbitXLFree);
  EXPECT_EQ(back.val.xbool, 1);

  XLOPER error{};
  error.xltype = xltypeErr;
  error.val.err = xlerrNA;
  EXPECT_EQ(RoundTrip(error, memory).val.err, xlerrNA);

  XLOPER integer{};
  integer.xltype = xltypeInt;
  integer.val.w = -32768;
  EXPECT_EQ(RoundTrip(integer, memory).val.w, -32768);

  for (std::uint16_t empty : {xltypeMissing, xltypeNil}) {
    XLOPER nothing{};
    nothing.xltype = empty;
    EXPECT_EQ(RoundTrip(nothing, memory).xltype, empty);
  }
  EXPECT_EQ(memory.BlocksInUse(), 0u);
}

TEST(XloperWire, TextsAreCountedBytesOfAnyValueUpTo255) {
  WireMemory source, target;
  std::string every_byte;
  for (int i = 0; i < 255; ++i)
    every_byte.push_back(static_cast<char>(255 - i)); // NUL, CR, LF and 0xE9 among them
  for (const std::string& bytes : {std::string{}, std::string("a\0b", 3), every_byte}) {
    XLOPER back = RoundTrip(Text(source, bytes, xlbitDLLFree), target);
    EXPECT_EQ(back.xltype, xltypeStr | xlbitDLLFree);
    EXPECT_EQ(BytesOf(back), bytes);
    EXPECT_EQ(back.val.str[bytes.size() + 1], '\0'); // closed with a zero for C readers
    EXPECT_TRUE(target.Owns(back.val.str));
    EXPECT_TRUE(target.Release(back));
    EXPECT_EQ(back.val.str, nullptr);
  }
  EXPECT_EQ(target.BlocksInUse(), 0u);
}

TEST(XloperWire, ArraysOfMixedCellsComeBackCellByCell) {
  WireMemory source, target;
  XLOPER cells[6] = {};
  cells[0].xltype = xltypeNum;
  cells[0].val.num = 3.5;
  cells[1] = Text(source, "Média");
  cells[2].xltype = xltypeBool;
  cells[2].val.xbool = 0;
  cells[3].xltype = xltypeErr;
  cells[3].val.err = xlerrDiv0;
  cells[4].xltype = xltypeNil;
  cells[5] = Text(source, "");
  XLOPER array{};
  array.xltype = xltypeMulti | xlbitXLFree;
  array.val.array = {cells, 2, 3};

  XLOPER back = RoundTrip(array, target);
  ASSERT_EQ(back.xltype, xltypeMulti | xlbitXLFree);
  ASSERT_EQ(back.val.array.rows, 2);
  ASSERT_EQ(back.val.array.columns, 3);
  const XLOPER* got = back.val.array.lparray;
  EXPECT_EQ(got[0].val.num, 3.5);
  EXPECT_EQ(BytesOf(got[1]), "Média");
  EXPECT_EQ(got[2].xltype, xltypeBool);
  EXPECT_EQ(got[3].val.err, xlerrDiv0);
  EXPECT_EQ(got[4].xltype, xltypeNil);
  EXPECT_EQ(BytesOf(got[5]), "");
  EXPECT_EQ(target.BlocksInUse(), 3u); // the cells and their two texts
  EXPECT_TRUE(target.Release(back));
  EXPECT_EQ(target.BlocksInUse(), 0u);
}

TEST(XloperWire, ReferencesKeepTheirAreasAndSheet) {
  WireMemory memory;
  XLOPER single{};
  single.xltype = xltypeSRef;
  single.val.sref.count = 1;
  single.val.sref.ref = {1, 1860, 0, 255};
  const XLOPER one = RoundTrip(single, memory);
  EXPECT_EQ(one.xltype, xltypeSRef);
  EXPECT_EQ(one.val.sref.ref.rwLast, 1860);
  EXPECT_EQ(one.val.sref.ref.colLast, 255);

  XLMREF* areas = memory.NewRectangles(3);
  areas->reftbl[0] = {0, 4, 0, 1};
  areas->reftbl[1] = {0, 4, 3, 3};
  areas->reftbl[2] = {65535, 65535, 7, 9};
  XLOPER multi{};
  multi.xltype = xltypeRef | xlbitXLFree;
  multi.val.mref.lpmref = areas;
  multi.val.mref.idSheet = 0x123456789ABCULL;
  WireMemory target;
  XLOPER back = RoundTrip(multi, target);
  EXPECT_EQ(back.xltype, xltypeRef | xlbitXLFree);
  EXPECT_EQ(back.val.mref.idSheet, 0x123456789ABCULL);
  ASSERT_EQ(back.val.mref.lpmref->count, 3);
  EXPECT_EQ(back.val.mref.lpmref->reftbl[1].colFirst, 3);
  EXPECT_EQ(back.val.mref.lpmref->reftbl[2].rwFirst, 65535);
  EXPECT_TRUE(target.Release(back));
  EXPECT_EQ(target.BlocksInUse(), 0u);

  // xlSheetId's answer names a sheet and no area.
  XLOPER sheet{};
  sheet.xltype = xltypeRef;
  sheet.val.mref.idSheet = 42;
  back = RoundTrip(sheet, target);
  EXPECT_EQ(back.xltype, xltypeRef);
  EXPECT_EQ(back.val.mref.idSheet, 42u);
  EXPECT_EQ(back.val.mref.lpmref, nullptr);
  EXPECT_EQ(target.BlocksInUse(), 0u);
}

TEST(XloperWire, RecordsTheWireCannotCarryAreRefused) {
  WireMemory memory;
  Writer out;
  XLOPER flow{};
  flow.xltype = xltypeFlow;
  EXPECT_FALSE(PutXloper(out, flow));
  XLOPER big{};
  big.xltype = xltypeBigData;
  EXPECT_FALSE(PutXloper(out, big));
  XLOPER no_text{};
  no_text.xltype = xltypeStr;
  EXPECT_FALSE(PutXloper(out, no_text));
  XLOPER inner{};
  inner.xltype = xltypeMulti;
  XLOPER cell[1] = {inner};
  XLOPER nested{};
  nested.xltype = xltypeMulti;
  nested.val.array = {cell, 1, 1};
  EXPECT_FALSE(PutXloper(out, nested));
}

TEST(XloperWire, DamagedBytesAreRefusedWithoutLeavingBlocks) {
  WireMemory source;
  XLOPER cells[2] = {Text(source, "first"), Text(source, "second")};
  XLOPER array{};
  array.xltype = xltypeMulti;
  array.val.array = {cells, 1, 2};
  Writer out;
  ASSERT_TRUE(PutXloper(out, array));
  // Cut short anywhere: refused, and what was decoded before the cut is released.
  for (std::size_t size = 0; size < out.bytes().size(); ++size) {
    WireMemory target;
    Reader in(out.bytes().data(), size);
    XLOPER back{};
    EXPECT_THROW(GetXloper(in, back, target), BadMessage) << "cut at " << size;
    EXPECT_EQ(target.BlocksInUse(), 0u) << "cut at " << size;
  }
  // A count far beyond the bytes is refused before anything is allocated.
  Writer huge;
  huge.U16(xltypeMulti);
  huge.U16(65535);
  huge.U16(65535);
  WireMemory target;
  Reader in(huge.bytes());
  XLOPER back{};
  EXPECT_THROW(GetXloper(in, back, target), BadMessage);
  // An unknown type.
  Writer unknown;
  unknown.U16(0x0200);
  Reader odd(unknown.bytes());
  EXPECT_THROW(GetXloper(odd, back, target), BadMessage);
}

// Records no Excel sends, in bytes a damaged or hostile peer could: refused, with nothing of
// them left in the memory they were decoded into.
TEST(XloperWire, MalformedReferencesAndNestedArraysAreRefusedWithoutLeavingBlocks) {
  auto refused = [](const Writer& bytes, const char* what) {
    WireMemory target;
    Reader in(bytes.bytes());
    XLOPER back{};
    EXPECT_THROW(GetXloper(in, back, target), BadMessage) << what;
    EXPECT_EQ(target.BlocksInUse(), 0u) << what;
  };
  auto reference = [](Writer& out, std::uint16_t count, std::uint16_t written) {
    out.U16(xltypeRef);
    out.U64(7);
    out.U8(1);
    out.U16(count);
    for (std::uint16_t i = 0; i < written; ++i) {
      out.U16(i);
      out.U16(i);
      out.U8(0);
      out.U8(1);
    }
  };
  Writer short_list;
  reference(short_list, 3, 2);
  refused(short_list, "three areas announced, two sent");
  Writer no_area;
  reference(no_area, 0, 0);
  refused(no_area, "a list of no area");
  // An array holds values, never references: a reference in one, even whole, is refused, and so
  // is one whose areas are cut short after the array has been made.
  for (const std::uint16_t written : {2, 1}) {
    Writer in_array;
    in_array.U16(xltypeMulti);
    in_array.U16(1);
    in_array.U16(2);
    in_array.U16(xltypeNum);
    in_array.F64(1.5);
    reference(in_array, 2, written);
    refused(in_array, "a reference inside an array");
  }
  Writer nested;
  nested.U16(xltypeMulti);
  nested.U16(1);
  nested.U16(2);
  nested.U16(xltypeStr);
  nested.U8(1);
  nested.U8('a');
  nested.U16(xltypeMulti);
  nested.U16(1);
  nested.U16(1);
  nested.U16(xltypeNum);
  nested.F64(2);
  refused(nested, "an array inside an array");
}

TEST(XloperWire, MemoryReleasesOnlyWhatItHandedOut) {
  WireMemory mine, other;
  XLOPER foreign = Text(other, "not mine");
  EXPECT_FALSE(mine.Release(foreign));
  EXPECT_NE(foreign.val.str, nullptr);
  XLOPER own = Text(mine, "mine");
  EXPECT_TRUE(mine.Release(own));
  EXPECT_FALSE(mine.Release(own)); // a second xlFree of the same record is harmless
}

// Excel 12 records: every type both ways with its 32-bit fields whole, texts of any UTF-16 code
// units up to Excel's 32,767, references anywhere on the 1,048,576 x 16,384 grid.
XLOPER12 RoundTrip12(const XLOPER12& value, WireMemory& into) {
  Writer out;
  EXPECT_TRUE(PutXloper(out, value));
  Reader in(out.bytes());
  XLOPER12 back{};
  GetXloper(in, back, into);
  EXPECT_EQ(in.left(), 0u);
  return back;
}

XLOPER12 Text12(WireMemory& memory, std::u16string_view units, std::uint32_t bits = 0) {
  XLOPER12 x{};
  x.xltype = xltypeStr | bits;
  x.val.str = memory.NewText12(units);
  return x;
}

TEST(XloperWire, Excel12RecordsOfEveryTypeComeBackWhole) {
  WireMemory source, memory;
  auto scalar = [&](std::uint32_t type, auto set) {
    XLOPER12 x{};
    x.xltype = type;
    set(x);
    return RoundTrip12(x, memory);
  };
  XLOPER12 back = scalar(xltypeNum | xlbitDLLFree, [](XLOPER12& x) { x.val.num = -1.25e-300; });
  EXPECT_EQ(back.xltype, xltypeNum | xlbitDLLFree);
  EXPECT_EQ(back.val.num, -1.25e-300);
  EXPECT_EQ(scalar(xltypeInt, [](XLOPER12& x) { x.val.w = -2147483647 - 1; }).val.w,
            -2147483647 - 1);
  EXPECT_EQ(scalar(xltypeInt, [](XLOPER12& x) { x.val.w = 2147483647; }).val.w, 2147483647);
  EXPECT_EQ(scalar(xltypeBool | xlbitXLFree, [](XLOPER12& x) { x.val.xbool = 1; }).xltype,
            xltypeBool | xlbitXLFree);
  EXPECT_EQ(scalar(xltypeErr, [](XLOPER12& x) { x.val.err = xlerrNA; }).val.err, xlerrNA);
  EXPECT_EQ(scalar(xltypeMissing, [](XLOPER12&) {}).xltype, xltypeMissing);
  EXPECT_EQ(scalar(xltypeNil, [](XLOPER12&) {}).xltype, xltypeNil);

  // Greek, Chinese, an emoji (a surrogate pair), a zero unit; and the longest text Excel holds.
  const std::u16string words = u"\u0391\u03b8\u03ae\u03bd\u03b1 \u5317\u4eac \U0001F600 a\0b";
  back = RoundTrip12(Text12(source, words, xlbitXLFree), memory);
  EXPECT_EQ(back.xltype, xltypeStr | xlbitXLFree);
  EXPECT_EQ(std::u16string(back.val.str + 1, back.val.str[0]), words);
  const std::u16string longest(kExcel12TextLength, u'\u00e9');
  back = RoundTrip12(Text12(source, longest), memory);
  EXPECT_EQ(std::u16string(back.val.str + 1, back.val.str[0]), longest);

  XLOPER12 last{};
  last.xltype = xltypeSRef;
  last.val.sref = {1, {kExcel12Rows - 2, kExcel12Rows - 1, 0, kExcel12Columns - 1}};
  back = RoundTrip12(last, memory);
  EXPECT_EQ(back.val.sref.ref.rwLast, kExcel12Rows - 1);
  EXPECT_EQ(back.val.sref.ref.colLast, kExcel12Columns - 1);

  XLOPER12 areas{};
  areas.xltype = xltypeRef;
  areas.val.mref.idSheet = 0x1234567890ULL;
  areas.val.mref.lpmref = source.NewRectangles<XLOPER12>(2);
  areas.val.mref.lpmref->reftbl[0] = {0, 999999, 300, 300};
  areas.val.mref.lpmref->reftbl[1] = {65536, 65536, 256, 16383};
  back = RoundTrip12(areas, memory);
  ASSERT_NE(back.val.mref.lpmref, nullptr);
  EXPECT_EQ(back.val.mref.idSheet, 0x1234567890ULL);
  EXPECT_EQ(back.val.mref.lpmref->count, 2);
  EXPECT_EQ(back.val.mref.lpmref->reftbl[0].rwLast, 999999);
  EXPECT_EQ(back.val.mref.lpmref->reftbl[1].colLast, 16383);

  XLOPER12* cells = source.NewArray<XLOPER12>(6);
  cells[0] = xl::Number<XLOPER12>(1.5);
  cells[1] = Text12(source, u"\u5317");
  cells[2] = xl::Boolean<XLOPER12>(true);
  cells[3] = xl::Error<XLOPER12>(xlerrDiv0);
  cells[5] = xl::Integer<XLOPER12>(70000);
  XLOPER12 array{};
  array.xltype = xltypeMulti;
  array.val.array = {cells, 3, 2};
  back = RoundTrip12(array, memory);
  ASSERT_EQ(back.val.array.rows, 3);
  ASSERT_EQ(back.val.array.columns, 2);
  const XLOPER12* got = back.val.array.lparray;
  EXPECT_EQ(got[0].val.num, 1.5);
  EXPECT_EQ(got[1].val.str[1], u'\u5317');
  EXPECT_EQ(got[2].val.xbool, 1);
  EXPECT_EQ(got[3].val.err, xlerrDiv0);
  EXPECT_EQ(got[4].xltype, xltypeNil);
  EXPECT_EQ(got[5].val.w, 70000);
  const std::size_t blocks = memory.BlocksInUse();
  EXPECT_TRUE(memory.Release(back));
  EXPECT_EQ(memory.BlocksInUse(), blocks - 2) << "the array and its one text";
}

TEST(XloperWire, DamagedExcel12RecordsAreRefusedWithoutLeavingBlocks) {
  WireMemory target;
  XLOPER12 back{};
  auto refused = [&](const Writer& bytes, const char* what) {
    Reader in(bytes.bytes());
    EXPECT_THROW(GetXloper(in, back, target), BadMessage) << what;
    EXPECT_EQ(target.BlocksInUse(), 0u) << what;
  };
  Writer too_long;
  too_long.U32(xltypeStr);
  too_long.U16(kExcel12TextLength + 1);
  refused(too_long, "a text longer than Excel's");
  Writer negative;
  negative.U32(xltypeMulti);
  negative.I32(-1);
  negative.I32(1);
  refused(negative, "an array of a negative size");
  Writer huge;
  huge.U32(xltypeMulti);
  huge.I32(kExcel12Rows);
  huge.I32(kExcel12Columns);
  refused(huge, "a count far beyond the bytes");
  Writer nested;
  nested.U32(xltypeMulti);
  nested.I32(1);
  nested.I32(1);
  nested.U32(xltypeMulti);
  nested.I32(0);
  nested.I32(0);
  refused(nested, "an array inside an array");

  WireMemory source;
  XLOPER12 cells[2] = {Text12(source, u"first"), Text12(source, u"second")};
  XLOPER12 array{};
  array.xltype = xltypeMulti;
  array.val.array = {cells, 1, 2};
  Writer out;
  ASSERT_TRUE(PutXloper(out, array));
  for (std::size_t size = 0; size < out.bytes().size(); ++size) {
    Reader in(out.bytes().data(), size);
    EXPECT_THROW(GetXloper(in, back, target), BadMessage) << "cut at " << size;
    EXPECT_EQ(target.BlocksInUse(), 0u) << "cut at " << size;
  }
}

} // namespace
} // namespace kvbridge
