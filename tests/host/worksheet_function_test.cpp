// Worksheet formulas calling the fixture add-in's probes: what each type letter receives, and
// how the host shows what comes back.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "excel/values.h"
#include "excel/worksheet_function.h"

using namespace kvhost;

namespace {

class WorksheetFunction : public ::testing::Test {
protected:
  void SetUp() override {
    host_.OfferExcel12(OffersExcel12());
    std::string error;
    addin_ = AddIn::Load(host_, KV_FIXTURE_ADDIN_PATH, error);
    ASSERT_NE(addin_, nullptr) << error;
    addin_->Open();

    // Data:        A      B        C          My data:  A    B
    //   row 1      1      a        TRUE                 10   20
    //   row 2      (empty) #DIV/0! 2.5                  30   40
    Workbook book;
    book.name = "data.csv";
    book.sheets.push_back(Sheet{0, "Data", Cells{}});
    book.sheets.push_back(Sheet{0, "My data", Cells{}});
    book.sheets.push_back(Sheet{0, "It's", Cells{}});
    Cells& data = book.sheets[0].cells;
    data.SetNumber(0, 0, 1);
    data.SetText(0, 1, "a");
    data.SetBoolean(0, 2, true);
    data.SetError(1, 1, 7);
    data.SetNumber(1, 2, 2.5);
    data.SetText(2, 0, "ação");
    data.SetText(2, 1, std::string(300, 'x'));
    data.SetText(2, 2, " 12 ");
    Cells& mine = book.sheets[1].cells;
    for (std::uint32_t i = 0; i < 4; ++i)
      mine.SetNumber(i / 2, i % 2, 10.0 * (i + 1));
    book.sheets[2].cells.SetText(0, 0, "quoted");
    host_.app().OpenWorkbook(std::move(book));
  }

  // The result as kvhost prints it: rows on lines, cells separated by tabs.
  std::string Eval(std::string_view formula) {
    const FormulaResult result = EvaluateFormula(host_, *addin_, formula);
    std::string shown;
    for (std::size_t i = 0; i < result.values.size(); ++i) {
      if (i > 0) shown += i % result.columns == 0 ? '\n' : '\t';
      shown += DisplayText(result.values[i]);
    }
    return shown;
  }

  int Counter(const char* name) {
    return *static_cast<int*>(dlsym(host_.app().current_addin_handle, name));
  }

  // Whether the host plays an Excel of version 12 or later.
  virtual bool OffersExcel12() const { return false; }

  ExcelHost host_; // before the add-in: it outlives it
  std::unique_ptr<AddIn> addin_;
};

class WorksheetFunction12 : public WorksheetFunction {
protected:
  bool OffersExcel12() const override { return true; }
};

} // namespace

TEST_F(WorksheetFunction, RangeArrivesAsAnArrayRowByRowWithEmptyCellsNil) {
  EXPECT_EQ(Eval("FIX.REPORT(A1:C2)"),
            "multi 2x3[n:1,s:a,b:1;nil,e:7,n:2.5] | a:0 | a:0 | i:0 | i:0");
  EXPECT_EQ(Eval("FIX.REPORT(C2:A1)"), Eval("FIX.REPORT(A1:C2)")) << "corners in any order";
  // Echoed back, the array shows as rows of cells; a nil element shows as 0.
  EXPECT_EQ(Eval("FIX.ECHO(A1:C2)"), "1\ta\tTRUE\n0\t#DIV/0!\t2.5");
  EXPECT_EQ(Eval("FIX.REPORT(A1:A3)"), "multi 3x1[n:1;nil;s:ação] | a:0 | a:0 | i:0 | i:0")
      << "texts pass in the ANSI code page and come back as UTF-8";
}

TEST_F(WorksheetFunction, SingleCellsAndConstantsArrivePlainForP) {
  const std::string rest = " | a:0 | a:0 | i:0 | i:0";
  EXPECT_EQ(Eval("FIX.REPORT(B1)"), "s:a" + rest);
  EXPECT_EQ(Eval("FIX.REPORT(C1)"), "b:1" + rest);
  EXPECT_EQ(Eval("FIX.REPORT(A2)"), "nil" + rest);
  EXPECT_EQ(Eval("FIX.REPORT(B2)"), "e:7" + rest) << "P takes an error value and is called";
  EXPECT_EQ(Eval("FIX.REPORT(-1.5e3)"), "n:-1500" + rest);
  EXPECT_EQ(Eval("FIX.REPORT(\"say \"\"hi\"\"\")"), "s:say \"hi\"" + rest);
  EXPECT_EQ(Eval("FIX.REPORT(FALSE)"), "b:0" + rest);
  EXPECT_EQ(Eval("FIX.REPORT(\"\")"), "s:" + rest);
  const std::string cut = Eval("FIX.ECHO(B3)");
  EXPECT_EQ(cut, std::string(255, 'x')) << "an XLOPER text holds 255 characters";
}

TEST_F(WorksheetFunction, OmittedArgumentsArriveAsExcelPassesThem) {
  const std::string none = "missing | a:0 | a:0 | i:0 | i:0";
  EXPECT_EQ(Eval("FIX.REPORT()"), none);
  EXPECT_EQ(Eval("=FIX.REPORT( , ,,, )"), none);
  EXPECT_EQ(Eval("FIX.REPORT(,TRUE,,-3)"), "missing | a:1 | a:0 | i:-3 | i:0");
  EXPECT_EQ(Eval("FIX.MIXED()"), "b:0 i:0 j:0 a:0");
}

TEST_F(WorksheetFunction, ByValueLettersConvertAsExcelDoes) {
  EXPECT_EQ(Eval("FIX.MIXED(TRUE, \"12\", 2.9, \"true\")"), "b:1 i:12 j:2 a:1");
  EXPECT_EQ(Eval("FIX.MIXED(C2, C3, -2.9, 5)"), "b:2.5 i:12 j:-2 a:1") << "cells, spaces trimmed";
  EXPECT_EQ(Eval("FIX.MIXED(A2, A2, A2, C2)"), "b:0 i:0 j:0 a:1") << "an empty cell is 0";
  EXPECT_EQ(Eval("FIX.REPORT(, 0, C1, 32767.9, -32768.9)"),
            "missing | a:0 | a:1 | i:32767 | i:-32768")
      << "integers are truncated toward zero, then checked";
}

TEST_F(WorksheetFunction, RefusedArgumentsStopTheCall) {
  const int before = Counter("fixture_calls");
  EXPECT_EQ(Eval("FIX.NOT(\"maybe\")"), "#VALUE!");
  EXPECT_EQ(Eval("FIX.NOT(B1)"), "#VALUE!") << "a cell text that is not TRUE or FALSE";
  EXPECT_EQ(Eval("FIX.HALF(32768)"), "#NUM!");
  EXPECT_EQ(Eval("FIX.HALF(-32769)"), "#NUM!");
  EXPECT_EQ(Eval("FIX.NEXT(2147483648)"), "#NUM!");
  EXPECT_EQ(Eval("FIX.RATIO(A1:A2, 1)"), "#VALUE!") << "several cells where one value goes";
  EXPECT_EQ(Eval("FIX.RATIO(\"x\", 1)"), "#VALUE!");
  EXPECT_EQ(Eval("FIX.RATIO(B2, 1)"), "#DIV/0!") << "an error in a cell passes on";
  EXPECT_EQ(Eval("FIX.NOT(TRUE, FALSE)"), "#VALUE!") << "more arguments than the type text";
  EXPECT_EQ(Eval("FIX.REPORT(Nowhere!A1)"), "#REF!");
  EXPECT_EQ(Eval("NO.SUCH(1)"), "#NAME?");
  EXPECT_EQ(Eval("FIX.COMMAND()"), "#NAME?") << "a command is no worksheet function";
  EXPECT_EQ(Eval("FIX.REPORT(A1"), "#NAME?");
  EXPECT_EQ(Eval("FIX.REPORT(SUM(A1))"), "#NAME?");
  EXPECT_EQ(Counter("fixture_calls"), before) << "none of these reached a procedure";
  EXPECT_EQ(Eval("FIX.HALF(32767.9)"), "16383");
  EXPECT_EQ(Counter("fixture_calls"), before + 1);
}

TEST_F(WorksheetFunction, SheetNamesQuotesAnchorsAndCase) {
  const std::string mine = "multi 2x2[n:10,n:20;n:30,n:40] | a:0 | a:0 | i:0 | i:0";
  EXPECT_EQ(Eval("FIX.REPORT('My data'!A1:B2)"), mine);
  EXPECT_EQ(Eval("fix.report('MY DATA'!$A$1:B$2)"), mine) << "names ignore case";
  EXPECT_EQ(Eval("FIX.REPORT('It''s'!A1)"), "s:quoted | a:0 | a:0 | i:0 | i:0");
  EXPECT_EQ(Eval("FIX.REPORT(data!$C$2)"), "n:2.5 | a:0 | a:0 | i:0 | i:0");
  EXPECT_EQ(Eval("FIX.REPORT(My data!A1)"), "#NAME?") << "a name with a space needs quotes";
}

TEST_F(WorksheetFunction, ResultsAsExcelShowsThem) {
  EXPECT_EQ(Eval("FIX.NOT(FALSE)"), "TRUE");
  EXPECT_EQ(Eval("FIX.HALF(-7)"), "-3");
  EXPECT_EQ(Eval("FIX.NEXT(41)"), "42");
  EXPECT_EQ(Eval("FIX.RATIO(1, 3)"), "0.333333333333333");
  EXPECT_EQ(Eval("FIX.RATIO(1, 0)"), "#NUM!") << "a non-finite number";
  EXPECT_EQ(Eval("FIX.RATIO(0, 0)"), "#NUM!");
  EXPECT_EQ(Eval("FIX.OVERFLOW(10)"), "#NUM!");
  EXPECT_EQ(Eval("FIX.OVERFLOW(1)"), "1E+308");
  EXPECT_EQ(Eval("FIX.NULL()"), "#NUM!") << "a null result";
  EXPECT_EQ(Eval("FIX.NOTHING(TRUE)"), "0") << "nil";
  EXPECT_EQ(Eval("FIX.NOTHING(FALSE)"), "0") << "missing";
}

TEST_F(WorksheetFunction, ArrayTheAddInOwnsGoesBackThroughAutoFreeOnce) {
  EXPECT_EQ(Eval("FIX.COLUMN(2.5)"), "2.5\nx\nTRUE");
  EXPECT_EQ(Counter("fixture_column_frees"), 1) << "copied, then handed back with the bit set";
  EXPECT_EQ(Eval("FIX.COLUMN(-1)"), "-1\nx\nTRUE");
  EXPECT_EQ(Counter("fixture_column_frees"), 2);
  EXPECT_EQ(Eval("FIX.ECHO(A1:B1)"), "1\ta");
  EXPECT_EQ(Counter("fixture_column_frees"), 2) << "a value without the bit is not handed back";
}

TEST_F(WorksheetFunction, TextTheHostMadeIsFreedByTheHost) {
  EXPECT_EQ(Eval("FIX.AS.TEXT(0.25)"), "0.25");
  EXPECT_EQ(host_.memory().BlocksInUse(), 0u) << "a result marked xlbitXLFree";
}

TEST_F(WorksheetFunction, AnExcel4HostKnowsNoExcel12RecordsAndNoWholeColumnArray) {
  EXPECT_EQ(Eval("FIX.ECHO12(A1)"), "#NAME?") << "REGISTER refused the Q letter";
  EXPECT_EQ(Eval("FIX.SHAPE12(A1:A2)"), "#NAME?");
  EXPECT_EQ(Eval("FIX.REPORT(A1:A65536)"), "#VALUE!") << "an XLOPER array has 16-bit rows";
  EXPECT_EQ(Eval("FIX.REPORT(A1:A65535)").substr(0, 13), "multi 65535x1");
}

TEST_F(WorksheetFunction12, Excel12RecordsCarryUnicodeLongTextsAndWholeColumns) {
  Cells& data = host_.app().FindSheet("Data")->cells;
  const std::string unicode = "Ωμέγα 收益率 📈 ação";
  data.SetText(5, 0, unicode);
  EXPECT_EQ(Eval("FIX.ECHO12(A6)"), unicode) << "UTF-16 both ways, a surrogate pair whole";
  EXPECT_EQ(Eval("FIX.ECHO(A6)"), "????? ??? ? ação") << "the Excel 4 record, code page 1252";
  EXPECT_EQ(Eval("FIX.ECHO12(B3)"), std::string(300, 'x')) << "32767 units, not 255 bytes";
  data.SetText(6, 0, std::string(32766, 'y') + "📈");
  EXPECT_EQ(Eval("FIX.ECHO12(A7)"), std::string(32766, 'y'))
      << "cut at 32767 units, before a pair that would not fit whole";
  EXPECT_EQ(Eval("FIX.ECHO12(A1:C2)"), "1\ta\tTRUE\n0\t#DIV/0!\t2.5");
  EXPECT_EQ(Eval("FIX.SHAPE12(A1:A65536)"), "6553600001") << "32-bit rows";
  EXPECT_EQ(Eval("FIX.SHAPE12(A1:IV2)"), "200256");
  EXPECT_EQ(Eval("FIX.SHAPE12(7)"), "-1");
  const std::string column = Eval("FIX.ECHO12(A1:A65536)");
  EXPECT_EQ(std::count(column.begin(), column.end(), '\n'), 65535) << "one line per row";
  EXPECT_EQ(Eval("FIX.REPORT(A1:A3)"), "multi 3x1[n:1;nil;s:ação] | a:0 | a:0 | i:0 | i:0")
      << "the Excel 4 functions keep working beside them";
  EXPECT_EQ(host_.memory().BlocksInUse(), 0u);
}

TEST(DisplayText, SignificantDigitsAndExcelsExponents) {
  EXPECT_EQ(GeneralNumberText(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(GeneralNumberText(2.0 / 3, 4), "0.6667");
  EXPECT_EQ(GeneralNumberText(1e20), "1E+20");
  EXPECT_EQ(GeneralNumberText(0.00001234), "1.234E-05");
  EXPECT_EQ(GeneralNumberText(123456789, 3), "1.23E+08");
  EXPECT_EQ(GeneralNumberText(-0.0), "0");
  EXPECT_EQ(GeneralNumberText(std::numeric_limits<double>::infinity()), "#NUM!");
  EXPECT_EQ(DisplayText(Value::Error(42)), "#N/A");
  EXPECT_EQ(DisplayText(Value::Error(0)), "#NULL!");
  EXPECT_EQ(DisplayText(Value::Error(99)), "#VALUE!") << "a code Excel does not have";
  EXPECT_EQ(DisplayText(Value::Number(2.0 / 3), 4), "0.6667") << "the precision reaches numbers";
  EXPECT_EQ(DisplayText(Value::Boolean(false), 4), "FALSE");
  EXPECT_EQ(DisplayText(Value::Text("1.23456"), 2), "1.23456") << "texts are not rounded";
  EXPECT_EQ(DisplayText(Value{}), "");
}
