// Workbooks crafted to cost a reader time or memory, or to be read two ways: each is refused
// with its place, or read as the one thing it can mean.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "io/data_workbook.h"
#include "io/xlsx_worksheet_reader.h"
#include "io/xml_token_guard.h"
#include "workbook_files.h"

using namespace kvhost;
using namespace kvhost::testing_books;

namespace {

// Feeds `xml` to a guard of bound `max` in pieces of `piece` bytes; false when refused.
bool Passes(const std::string& xml, std::size_t max, std::size_t piece) {
  xlsx::XmlTokenGuard guard(max);
  for (std::size_t at = 0; at < xml.size(); at += piece)
    if (!guard.Feed(std::string_view(xml).substr(at, piece))) return false;
  return true;
}

} // namespace

// Markup is counted from '<' to the '>' that ends it, whatever the pieces the document comes in:
// a '>' inside a quoted value, a comment or a processing instruction does not end it early, and
// text (CDATA sections included) is never markup.
TEST(XmlTokenGuard, BoundsEachPieceOfMarkupWhereverTheBlocksEnd) {
  const std::string tag = "<c r=\"A1\" s=\"a>b\" t='x\">y'>";
  const std::string comment = "<!-- a > b -- c -> d -->";
  const std::string instruction = "<?pi a > b ?>";
  const std::string cdata = "<![CDATA[" + std::string(500, 'x') + " ]] > ]]>";
  const std::string text = std::string(500, 't');
  const std::string document = "<a>" + tag + text + comment + cdata + instruction + "</a>";
  for (std::size_t piece = 1; piece <= 7; ++piece) {
    EXPECT_TRUE(Passes(document, 64, piece)) << "pieces of " << piece;
    // One byte short of each piece of markup's length refuses it.
    EXPECT_FALSE(Passes(document, tag.size() - 1, piece)) << "pieces of " << piece;
    EXPECT_FALSE(Passes("<a>" + comment, comment.size() - 1, piece));
    EXPECT_FALSE(Passes("<a>" + instruction, instruction.size() - 1, piece));
    EXPECT_TRUE(Passes("<a>" + comment, comment.size(), piece));
  }
  xlsx::XmlTokenGuard guard(100);
  EXPECT_FALSE(guard.Feed("<row spans=\"" + std::string(200, '1')));
  EXPECT_EQ(guard.Kind(), "a tag");
  xlsx::XmlTokenGuard comments(100);
  EXPECT_FALSE(comments.Feed("<!--" + std::string(200, '\'')));
  EXPECT_EQ(comments.Kind(), "a comment");
}

TEST_F(WorkbookFiles, ALongTagIsRefusedBeforeItIsRead) {
  const std::string spans(xlsx::XmlTokenGuard::kMaxTokenBytes, '1');
  EXPECT_NE(Refusal(Book({{"S", "<row r=\"1\" spans=\"" + spans + "\"/>", ""}}))
                .find("holds a tag longer than 256 KiB"),
            std::string::npos);
  // Just under the bound, and as much text as anyone likes, read.
  const std::string near(xlsx::XmlTokenGuard::kMaxTokenBytes - 100, '1');
  EXPECT_EQ(
      Read(Book({{"S",
                  "<row r=\"1\" spans=\"" + near + "\">" +
                      Cell("A1", "inlineStr", "<is><t>" + std::string(30000, 'a') + "</t></is>") +
                      "</row>",
                  ""}}))[0]
          .cells.Get(0, 0),
      Value::Text(std::string(30000, 'a')));
}

// A cell holds up to 32,767 characters as Excel counts them (UTF-16 units: a character past
// U+FFFF is two); a longer text is refused where it is, inline or shared.
TEST_F(WorkbookFiles, TextsLongerThanACellHoldsAreRefused) {
  const std::string longest(32767, 'a');
  const std::string emoji = "\xF0\x9F\x98\x80"; // U+1F600, two units
  auto inline_cell = [&](const std::string& text) {
    return Book(
        {{"S", "<row>" + Cell("B2", "inlineStr", "<is><t>" + text + "</t></is>") + "</row>", ""}});
  };
  EXPECT_EQ(Read(inline_cell(longest))[0].cells.Get(1, 1), Value::Text(longest));
  EXPECT_NE(Refusal(inline_cell(longest + "b")).find("at B2 a value longer than 32767 characters"),
            std::string::npos);
  std::string error;
  EXPECT_FALSE(ReadDataFile(inline_cell(std::string(32766, 'a') + emoji), error));
  EXPECT_TRUE(ReadDataFile(inline_cell(std::string(32765, 'a') + emoji), error)) << error;
  EXPECT_NE(Refusal(Book({{"S", "<row>" + Cell("A1", "s", "<v>1</v>") + "</row>", ""}},
                         "<si><t>a</t></si><si><t>" + longest + "é</t></si>"))
                .find("the shared strings part's text 2 is longer than 32767 characters"),
            std::string::npos);
}

// One shared string shown by many cells is kept once: a cell costs its 16 bytes and a share
// of the text, not a copy (the memory itself is checked end to end, under a limit).
TEST_F(WorkbookFiles, ASharedStringIsKeptOnceForEveryCellThatShowsIt) {
  std::string row;
  for (int c = 0; c < 256; ++c)
    row += "<c t=\"s\"><v>0</v></c>";
  std::string rows;
  for (int r = 0; r < 40; ++r)
    rows += "<row>" + row + "</row>";
  const std::string text(32767, 'x');
  const auto sheets = Read(Book({{"S", rows, ""}}, "<si><t>" + text + "</t></si>"));
  ASSERT_EQ(sheets.size(), 1u);
  EXPECT_EQ(sheets[0].cells.Get(39, 255), Value::Text(text));
  EXPECT_EQ(sheets[0].cells.Rows(), 40u);
}

// The text of a whole workbook has a budget: a shared string counts once, an inline text each
// time.
TEST_F(WorkbookFiles, AWorkbooksTextHasABudget) {
  std::string error;
  const std::string path =
      Book({{"S", "<row>" + Cell("A1", "inlineStr", "<is><t>abcdefghij</t></is>") + "</row>", ""}},
           "<si><t>0123456789</t></si><si><t>0123456789</t></si>");
  auto package = xlsx::ZipPackage::Open(path, error);
  ASSERT_TRUE(package) << error;
  xlsx::WorkbookContext context;
  context.max_text_bytes = 29;
  ASSERT_TRUE(xlsx::ReadSharedStrings(*package, "xl/sharedStrings.xml", context, error)) << error;
  EXPECT_EQ(context.text_bytes, 20u);
  Cells cells;
  EXPECT_FALSE(
      xlsx::ReadWorksheetPart(*package, "xl/worksheets/sheet1.xml", "S", context, cells, error));
  EXPECT_NE(error.find("more than 29 bytes of text"), std::string::npos) << error;
  context.max_text_bytes = 30;
  context.text_bytes = 20;
  EXPECT_TRUE(
      xlsx::ReadWorksheetPart(*package, "xl/worksheets/sheet1.xml", "S", context, cells, error))
      << error;
}

// A value is read one way or refused: numbers past the double's range (even past a long
// double's) are refused with their cell, numbers too small for it are 0, and a cell with two
// values is refused rather than read as their concatenation.
TEST_F(WorkbookFiles, ValuesThatCouldBeReadTwoWaysAreRefused) {
  auto one = [&](const std::string& inner) {
    return Book({{"S", "<row r=\"3\">" + Cell("C3", "", inner) + "</row>", ""}});
  };
  for (const char* huge : {"1E5000", "-1e400", "1E99999999999999999999", "0.0001E5000"})
    EXPECT_NE(Refusal(one(std::string("<v>") + huge + "</v>"))
                  .find(std::string("holds \"") + huge + "\" at C3, a number beyond the largest"),
              std::string::npos)
        << huge;
  for (const char* tiny : {"1E-5000", "-1e-400", "10000E-5000"}) {
    const Value value = Read(one(std::string("<v>") + tiny + "</v>"))[0].cells.Get(2, 2);
    EXPECT_EQ(value, Value::Number(0)) << tiny;
  }
  EXPECT_TRUE(std::signbit(Read(one("<v>-1E-5000</v>"))[0].cells.Get(2, 2).number));
  EXPECT_NE(Refusal(one("<v>1</v><v>2</v>")).find("holds more than one value at C3"),
            std::string::npos);
  EXPECT_NE(Refusal(Book({{"S",
                           "<row>" + Cell("A1", "inlineStr", "<is><t>a</t></is><is><t>b</t></is>") +
                               "</row>",
                           ""}}))
                .find("more than one value at A1"),
            std::string::npos);
}

// Part names are the same whatever their case: a package holding two such parts is refused, so
// that no reader takes the one its relationships do not name.
TEST_F(WorkbookFiles, PartNamesDifferingOnlyInCaseAreRefused) {
  const std::string path = Book({{"S", Cell("A1", "", "<v>1</v>"), ""}});
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), 0, &code);
  ASSERT_NE(zip, nullptr);
  const std::string other = "<worksheet><sheetData><row><c><v>666</v></c></row></sheetData>"
                            "</worksheet>";
  zip_source_t* source = zip_source_buffer(zip, other.data(), other.size(), 0);
  ASSERT_GE(zip_file_add(zip, "xl/worksheets/Sheet1.xml", source, 0), 0);
  ASSERT_EQ(zip_close(zip), 0);
  EXPECT_NE(Refusal(path).find("two parts named xl/worksheets/Sheet1.xml"), std::string::npos);
}

// A very hidden sheet comes in very hidden and is never the active sheet; with no visible sheet
// the first hidden one is active; a workbook whose sheets are all very hidden has none to show.
TEST_F(WorkbookFiles, AVeryHiddenSheetIsNeverActive) {
  std::string error;
  const auto book = ReadDataWorkbook({Book({{"Oculta", Cell("A1", "", "<v>1</v>"), "veryHidden"},
                                            {"Escondida", Cell("A1", "", "<v>2</v>"), "hidden"},
                                            {"Dados", Cell("A1", "", "<v>3</v>"), ""}})},
                                     error);
  ASSERT_TRUE(book) << error;
  EXPECT_EQ(book->sheets[0].state, SheetState::VeryHidden);
  EXPECT_EQ(book->sheets[1].state, SheetState::Hidden);
  EXPECT_EQ(book->active_sheet, 2u);
  const auto hidden =
      ReadDataWorkbook({Book({{"Oculta", "", "veryHidden"}, {"Escondida", "", "hidden"}})}, error);
  ASSERT_TRUE(hidden) << error;
  EXPECT_EQ(hidden->active_sheet, 1u);
  const std::string none = Book({{"Oculta", "", "veryHidden"}});
  EXPECT_FALSE(ReadDataWorkbook({none}, error));
  EXPECT_NE(error.find("every worksheet is very hidden"), std::string::npos) << error;
}
