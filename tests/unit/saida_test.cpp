// The result-workbook steps, seen as the calls they send: each expected call is written as
// "FUNCTION(arguments)" (support/call_transcript.h), with - for an omitted argument, plain
// numbers for integers, n: for floating-point numbers and a rectangle of the active sheet in A1
// notation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Saida.h"
#include "Tabelas.h"
#include "support/call_transcript.h"
#include "support/recording_dispatcher.h"
#include "xll/ExcelCall.h"

using kvtest::Call;
using kvtest::RecordingDispatcher;
using kvtest::Value;
using Calls = std::vector<std::string>;

namespace {
// Two texts alike, or where they part: their lengths and the first character that differs.
::testing::AssertionResult SameText(const std::string& computed, const std::string& expected) {
  if (computed == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < computed.size() && at < expected.size() && computed[at] == expected[at])
    ++at;
  return ::testing::AssertionFailure() << "computed " << computed.size() << " characters, expected "
                                       << expected.size() << "; they differ from character " << at;
}

class Output : public ::testing::Test {
protected:
  void SetUp() override { CurrentLanguage = Language::English; }
  Calls Sent() const { return kvtest::Transcript(excel.calls()); }
  RecordingDispatcher excel;
};
} // namespace

TEST_F(Output, OpenResultWorkbookInColourAndInBlackAndWhite) {
  OpenResultWorkbook("Histogram", false);
  EXPECT_EQ(Sent(), (Calls{
                        "NEW(1)",
                        "WORKBOOK.NAME(-, \"Histogram\")",
                        "OPTIONS.VIEW(-, -, -, -, -, -, -, FALSE)",
                        "ECHO(FALSE)",
                        "xlSheetId()",
                        "SELECT(A1:IV65536)",
                        "PATTERNS(1, 15)",
                        "FONT.PROPERTIES(\"Arial\", \"Normal\", 10, -, -, -, -, -, -, 5)",
                    }));
  excel.Clear();
  OpenResultWorkbook("PCA", true);
  EXPECT_EQ(Sent(), (Calls{
                        "NEW(1)",
                        "WORKBOOK.NAME(-, \"PCA\")",
                        "OPTIONS.VIEW(-, -, -, -, -, -, -, FALSE)",
                        "ECHO(FALSE)",
                        "xlSheetId()",
                        "SELECT(A1:IV65536)",
                        "FONT.PROPERTIES(\"Arial\", \"Normal\", 10)",
                    }));
}

TEST_F(Output, OpeningGoesOnAfterARefusedRenameAndMayTurnEchoOffFirst) {
  excel.AnswerCode(xlcWorkbookName, xlretFailed);
  OpenBareResultWorkbook("Auxiliar", EchoOff::AfterNew);
  EXPECT_EQ(Sent(), (Calls{
                        "NEW(1)",
                        "ECHO(FALSE)",
                        "WORKBOOK.NAME(-, \"Auxiliar\")",
                        "OPTIONS.VIEW(-, -, -, -, -, -, -, FALSE)",
                    }));
}

TEST_F(Output, CellBlockIsOneSetOnTheActiveSheetWithTheBlocksShape) {
  excel.Script(xlSheetId, [](const Call&, LPXLOPER result) {
    result->xltype = xltypeRef;
    result->val.mref.lpmref = nullptr;
    result->val.mref.idSheet = 0x5150;
    return xlretSuccess;
  });
  CellBlock block(2, 3);
  block.Text(0, 0, "Freq.");
  block.Integer(0, 2, 7);
  block.Number(1, 1, 0.25);
  block.Error(1, 2, xlerrNA);
  WriteCellBlock(12, 1, block);
  EXPECT_EQ(Sent(), (Calls{
                        "xlSheetId()",
                        "xlSet(B13:D14, {\"Freq.\", nil, 7; nil, n:0.25, #N/A})",
                    }));
  EXPECT_EQ(excel.calls()[1].args[0].sheet, 0x5150u);
}

// Counts are integer cells while 16 bits hold them, numbers from 32768 on.
TEST_F(Output, CountsAreIntegerCellsUpTo32767AndNumbersBeyond) {
  CellBlock block(1, 4);
  block.Count(0, 0, 0);
  block.Count(0, 1, 32767);
  block.Count(0, 2, 32768);
  block.Count(0, 3, 1000000);
  WriteCellBlock(0, 0, block);
  EXPECT_EQ(Sent(), (Calls{
                        "xlSheetId()",
                        "xlSet(A1:D1, {0, 32767, n:32768, n:1000000})",
                    }));
}

// A counted text carries at most 255 characters: one of exactly 255 reaches Excel whole, one of
// 300 as its first 255, in a cell block as in a command's text argument.
TEST_F(Output, TextsKeepUpTo255CharactersAndLongerOnesAreCutThere) {
  std::string long_text;
  for (int i = 0; i < 300; ++i)
    long_text.push_back(static_cast<char>('a' + i % 26));
  const std::string text_255 = long_text.substr(0, 255);
  CellBlock block(1, 2);
  block.Text(0, 0, text_255);
  block.Text(0, 1, long_text);
  WriteCellBlock(0, 0, block);
  TitleChart(text_255, false);
  TitleChart(long_text, false);

  const auto sets = excel.CallsTo(xlSet);
  ASSERT_EQ(sets.size(), 1u);
  const auto& cells = sets[0].args.at(1).elements;
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_TRUE(SameText(cells[0].text, text_255)) << "a cell of 255 characters";
  EXPECT_TRUE(SameText(cells[1].text, text_255)) << "a cell of 300 characters";
  const auto titles = excel.CallsTo(xlcFormula);
  ASSERT_EQ(titles.size(), 2u);
  EXPECT_TRUE(SameText(titles[0].args.at(0).text, text_255)) << "a title of 255 characters";
  EXPECT_TRUE(SameText(titles[1].args.at(0).text, text_255)) << "a title of 300 characters";
}

TEST_F(Output, CellBlockIsNotWrittenWithoutTheSheetsId) {
  excel.AnswerCode(xlSheetId, xlretFailed);
  CellBlock block(1, 1);
  block.Number(0, 0, 1);
  WriteCellBlock(0, 0, block);
  EXPECT_EQ(Sent(), (Calls{"xlSheetId()"}));
}

TEST_F(Output, TableFormattingSteps) {
  FrameRange(SheetRect{13, 22, 0, 3});
  CenterRange();
  FormatRangeNumbers("0.000%");
  ShadeRange(false);
  BoldActiveCell();
  CurrentLanguage = Language::Portuguese;
  BoldActiveCell();
  EXPECT_EQ(Sent(), (Calls{
                        "xlSheetId()",
                        "SELECT(A14:D23)",
                        "BORDER(1)",
                        "ALIGNMENT(3)",
                        "FORMAT.NUMBER(\"0.000%\")",
                        "PATTERNS(1, 2)",
                        "FONT.PROPERTIES(-, -, -, -, -, -, -, -, -, 1)",
                        "ACTIVE.CELL.FONT(-, \"Bold\")",
                        "ACTIVE.CELL.FONT(-, \"Negrito\")",
                    }));
  excel.Clear();
  ShadeRange(true);
  EXPECT_TRUE(excel.calls().empty()) << "no shading in black and white";
}

TEST_F(Output, ChartSheetIsMovedWithinTheResultWorkbookAndEmptied) {
  excel.AnswerText(xlfGetDocument, "Book3");
  AddChartSheet("Chart");
  EXPECT_EQ(Sent(), (Calls{
                        "WORKBOOK.INSERT(2)",
                        "WORKBOOK.NAME(-, \"Chart\")",
                        "GET.DOCUMENT(88)",
                        "WORKBOOK.MOVE(\"Chart\", \"Book3\", -)",
                        "xlFree(\"Book3\")",
                        "SELECT.CHART()",
                        "CLEAR(3)",
                        "OPTIONS.CHART(-, -, TRUE)",
                    }));
}

TEST_F(Output, ChartSheetStaysInPlaceWhenTheWorkbooksNameIsRefused) {
  excel.AnswerCode(xlfGetDocument, xlretFailed);
  AddChartSheet("Scree Test");
  EXPECT_EQ(Sent(), (Calls{
                        "WORKBOOK.INSERT(2)",
                        "WORKBOOK.NAME(-, \"Scree Test\")",
                        "GET.DOCUMENT(88)",
                        "SELECT.CHART()",
                        "CLEAR(3)",
                        "OPTIONS.CHART(-, -, TRUE)",
                    }));
}

TEST_F(Output, SeriesWithAndWithoutCategories) {
  AddChartSeries("=Histogram!R13C4", "=Histogram!R14C1:R23C1", "=Histogram!R14C4:R23C4", 1);
  AddChartSeries("=Histogram!R13C6", "", "=Histogram!R14C6:R23C6", 2);
  EXPECT_EQ(Sent(), (Calls{
                        "EDIT.SERIES(0, \"=Histogram!R13C4\", \"=Histogram!R14C1:R23C1\", "
                        "\"=Histogram!R14C4:R23C4\", -, 1)",
                        "EDIT.SERIES(0, \"=Histogram!R13C6\", -, \"=Histogram!R14C6:R23C6\", -, 2)",
                    }));
}

TEST_F(Output, ChartTextsInColour) {
  TitleChart("Histogram", false);
  StyleAxis("Axis 1", "0", false);
  LabelAxis(AxisTitle::Value, "Occurrencies", false);
  StyleAxis("Axis 2", "", false);
  LabelAxis(AxisTitle::Category, "Ranges", false);
  LabelAxis(AxisTitle::SecondValue, "St. Dev. / Range", false);
  EXPECT_EQ(Sent(), (Calls{
                        "ATTACH.TEXT(1)",
                        "FORMULA(\"Histogram\")",
                        "SELECT(\"Title\")",
                        "FONT.PROPERTIES(\"Arial\", \"Bold\", 10, -, -, -, -, -, -, 45)",
                        "SELECT(\"Axis 1\")",
                        "FORMAT.NUMBER(\"0\")",
                        "FONT.PROPERTIES(\"Arial\", \"Normal\", 8, -, -, -, -, -, -, 45)",
                        "PATTERNS(0, -, 45)",
                        "ATTACH.TEXT(2)",
                        "FORMULA(\"Occurrencies\")",
                        "SELECT(\"Text Axis 1\")",
                        "FONT.PROPERTIES(\"Arial\", \"Bold\", 8, -, -, -, -, -, -, 45)",
                        "SELECT(\"Axis 2\")",
                        "FONT.PROPERTIES(\"Arial\", \"Normal\", 8, -, -, -, -, -, -, 45)",
                        "PATTERNS(0, -, 45)",
                        "ATTACH.TEXT(3)",
                        "FORMULA(\"Ranges\")",
                        "SELECT(\"Text Axis 2\")",
                        "FONT.PROPERTIES(\"Arial\", \"Bold\", 8, -, -, -, -, -, -, 45)",
                        "ATTACH.TEXT(5)",
                        "FORMULA(\"St. Dev. / Range\")",
                        "SELECT(\"Text Axis 3\")",
                        "FONT.PROPERTIES(\"Arial\", \"Bold\", 8, -, -, -, -, -, -, 45)",
                    }));
}

TEST_F(Output, ChartTextsInBlackAndWhiteInPortuguese) {
  CurrentLanguage = Language::Portuguese;
  TitleChart("Scree Test", true);
  StyleAxis("Axis 3", "0.0%", true);
  LabelAxis(AxisTitle::Category, "Fator", true);
  EXPECT_EQ(Sent(), (Calls{
                        "ATTACH.TEXT(1)",
                        "FORMULA(\"Scree Test\")",
                        "SELECT(\"Title\")",
                        "FONT.PROPERTIES(\"Arial\", \"Negrito\", 10, -, -, -, -, -, -, 1)",
                        "SELECT(\"Axis 3\")",
                        "FORMAT.NUMBER(\"0.0%\")",
                        "FONT.PROPERTIES(\"Arial\", \"Normal\", 8, -, -, -, -, -, -, 1)",
                        "ATTACH.TEXT(3)",
                        "FORMULA(\"Fator\")",
                        "SELECT(\"Text Axis 2\")",
                        "FONT.PROPERTIES(\"Arial\", \"Negrito\", 8, -, -, -, -, -, -, 1)",
                    }));
}

TEST_F(Output, FinishReturnsToTheDataSheetWithBestFitWidths) {
  FinishResultWorkbook("Histogram", SheetRect{1, 22, 0, 10});
  EXPECT_EQ(Sent(), (Calls{
                        "WORKBOOK.ACTIVATE(\"Histogram\")",
                        "xlSheetId()",
                        "COLUMN.WIDTH(-, A2:K23, -, 3)",
                        "xlSheetId()",
                        "SELECT(A1)",
                        "ECHO(TRUE)",
                    }));
}
