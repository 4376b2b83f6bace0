// The result-workbook steps, seen as the calls they send: each expected call is written as
// "function(arguments)", with - for an omitted argument, plain numbers for integers, n: for
// floating-point numbers and ref(rows, columns) for a rectangle of the active sheet.
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
                        "32887(1)",
                        "33154(-, \"Histogram\")",
                        "33088(-, -, -, -, -, -, -, FALSE)",
                        "32909(FALSE)",
                        "16388()",
                        "32877(ref(0-65535, 0-255))",
                        "32852(1, 15)",
                        "41341(\"Arial\", \"Normal\", 10, -, -, -, -, -, -, 5)",
                    }));
  excel.Clear();
  OpenResultWorkbook("PCA", true);
  EXPECT_EQ(Sent(), (Calls{
                        "32887(1)",
                        "33154(-, \"PCA\")",
                        "33088(-, -, -, -, -, -, -, FALSE)",
                        "32909(FALSE)",
                        "16388()",
                        "32877(ref(0-65535, 0-255))",
                        "41341(\"Arial\", \"Normal\", 10)",
                    }));
}

TEST_F(Output, OpeningGoesOnAfterARefusedRenameAndMayTurnEchoOffFirst) {
  excel.AnswerCode(xlcWorkbookName, xlretFailed);
  OpenBareResultWorkbook("Auxiliar", EchoOff::AfterNew);
  EXPECT_EQ(Sent(), (Calls{
                        "32887(1)",
                        "32909(FALSE)",
                        "33154(-, \"Auxiliar\")",
                        "33088(-, -, -, -, -, -, -, FALSE)",
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
                        "16388()",
                        "16387(ref(12-13, 1-3), {\"Freq.\", nil, 7; nil, n:0.25, err42})",
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
                        "16388()",
                        "16387(ref(0-0, 0-3), {0, 32767, n:32768, n:1000000})",
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
  EXPECT_EQ(Sent(), (Calls{"16388()"}));
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
                        "16388()",
                        "32877(ref(13-22, 0-3))",
                        "32813(1)",
                        "32811(3)",
                        "41002(\"0.000%\")",
                        "32852(1, 2)",
                        "41341(-, -, -, -, -, -, -, -, -, 1)",
                        "41436(-, \"Bold\")",
                        "41436(-, \"Negrito\")",
                    }));
  excel.Clear();
  ShadeRange(true);
  EXPECT_TRUE(excel.calls().empty()) << "no shading in black and white";
}

TEST_F(Output, ChartSheetIsMovedWithinTheResultWorkbookAndEmptied) {
  excel.AnswerText(xlfGetDocument, "Book3");
  AddChartSheet("Chart");
  EXPECT_EQ(Sent(), (Calls{
                        "33122(2)",
                        "33154(-, \"Chart\")",
                        "188(88)",
                        "33050(\"Chart\", \"Book3\", -)",
                        "16384(\"Book3\")",
                        "32850()",
                        "32820(3)",
                        "33093(-, -, TRUE)",
                    }));
}

TEST_F(Output, ChartSheetStaysInPlaceWhenTheWorkbooksNameIsRefused) {
  excel.AnswerCode(xlfGetDocument, xlretFailed);
  AddChartSheet("Scree Test");
  EXPECT_EQ(Sent(), (Calls{
                        "33122(2)",
                        "33154(-, \"Scree Test\")",
                        "188(88)",
                        "32850()",
                        "32820(3)",
                        "33093(-, -, TRUE)",
                    }));
}

TEST_F(Output, SeriesWithAndWithoutCategories) {
  AddChartSeries("=Histogram!R13C4", "=Histogram!R14C1:R23C1", "=Histogram!R14C4:R23C4", 1);
  AddChartSeries("=Histogram!R13C6", "", "=Histogram!R14C6:R23C6", 2);
  EXPECT_EQ(Sent(), (Calls{
                        "41188(0, \"=Histogram!R13C4\", \"=Histogram!R14C1:R23C1\", "
                        "\"=Histogram!R14C4:R23C4\", -, 1)",
                        "41188(0, \"=Histogram!R13C6\", -, \"=Histogram!R14C6:R23C6\", -, 2)",
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
                        "32848(1)",
                        "32864(\"Histogram\")",
                        "32877(\"Title\")",
                        "41341(\"Arial\", \"Bold\", 10, -, -, -, -, -, -, 45)",
                        "32877(\"Axis 1\")",
                        "41002(\"0\")",
                        "41341(\"Arial\", \"Normal\", 8, -, -, -, -, -, -, 45)",
                        "32852(0, -, 45)",
                        "32848(2)",
                        "32864(\"Occurrencies\")",
                        "32877(\"Text Axis 1\")",
                        "41341(\"Arial\", \"Bold\", 8, -, -, -, -, -, -, 45)",
                        "32877(\"Axis 2\")",
                        "41341(\"Arial\", \"Normal\", 8, -, -, -, -, -, -, 45)",
                        "32852(0, -, 45)",
                        "32848(3)",
                        "32864(\"Ranges\")",
                        "32877(\"Text Axis 2\")",
                        "41341(\"Arial\", \"Bold\", 8, -, -, -, -, -, -, 45)",
                        "32848(5)",
                        "32864(\"St. Dev. / Range\")",
                        "32877(\"Text Axis 3\")",
                        "41341(\"Arial\", \"Bold\", 8, -, -, -, -, -, -, 45)",
                    }));
}

TEST_F(Output, ChartTextsInBlackAndWhiteInPortuguese) {
  CurrentLanguage = Language::Portuguese;
  TitleChart("Scree Test", true);
  StyleAxis("Axis 3", "0.0%", true);
  LabelAxis(AxisTitle::Category, "Fator", true);
  EXPECT_EQ(Sent(), (Calls{
                        "32848(1)",
                        "32864(\"Scree Test\")",
                        "32877(\"Title\")",
                        "41341(\"Arial\", \"Negrito\", 10, -, -, -, -, -, -, 1)",
                        "32877(\"Axis 3\")",
                        "41002(\"0.0%\")",
                        "41341(\"Arial\", \"Normal\", 8, -, -, -, -, -, -, 1)",
                        "32848(3)",
                        "32864(\"Fator\")",
                        "32877(\"Text Axis 2\")",
                        "41341(\"Arial\", \"Negrito\", 8, -, -, -, -, -, -, 1)",
                    }));
}

TEST_F(Output, FinishReturnsToTheDataSheetWithBestFitWidths) {
  FinishResultWorkbook("Histogram", SheetRect{1, 22, 0, 10});
  EXPECT_EQ(Sent(), (Calls{
                        "33060(\"Histogram\")",
                        "16388()",
                        "32815(-, ref(1-22, 0-10), -, 3)",
                        "16388()",
                        "32877(ref(0-0, 0-0))",
                        "32909(TRUE)",
                    }));
}
