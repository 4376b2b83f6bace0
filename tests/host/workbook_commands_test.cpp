// kvhost's Excel naming, inserting, moving, activating and hiding sheets as the add-in's result
// steps do, with the sheet orders those steps give.
#include <gtest/gtest.h>

#include "excel/values.h"
#include "host_calls.h"

using namespace kvhost;
using namespace kvtest;

namespace {
constexpr int kOk = xlretSuccess;

std::vector<std::string> SheetNames(ExcelHost& host) {
  std::vector<std::string> names;
  for (const Sheet& sheet : host.app().ActiveWorkbook().sheets)
    names.push_back(sheet.name);
  return names;
}
} // namespace

TEST(WorkbookCommands, RenameValidatesAsExcelDoes) {
  ExcelHost host;
  HostCalls call(host);
  ASSERT_EQ(call(xlcNew, {Int(1)}), kOk);
  ASSERT_EQ(call(xlcWorkbookName, {Missing(), call.Str("Histograma")}), kOk);
  EXPECT_EQ(call.result.xltype, xltypeBool);
  ASSERT_EQ(call(xlcWorkbookInsert, {Int(2)}), kOk);
  EXPECT_EQ(host.app().ActiveSheet().name, "Chart1");
  ASSERT_EQ(call(xlcWorkbookName, {Missing(), call.Str("Gráfico")}), kOk);

  // Forbidden characters, empty, quoted, another sheet's name in any case, 32 characters.
  for (const std::string& name :
       {std::string("a:b"), std::string("x/y"), std::string("[1]"), std::string(),
        std::string("'quoted'"), std::string("GRÁFICO"), std::string(32, 'a')})
    EXPECT_EQ(call(xlcWorkbookName, {call.Str("Histograma"), call.Str(name)}), xlretFailed)
        << '"' << name << '"';
  EXPECT_EQ(SheetNames(host), (std::vector<std::string>{"Gráfico", "Histograma"}));
  EXPECT_EQ(call(xlcWorkbookName, {call.Str("Nowhere"), call.Str("Other")}), xlretFailed);
  ASSERT_EQ(call(xlcWorkbookName, {call.Str("gráfico"), call.Str(std::string(31, 'b'))}), kOk)
      << "31 characters, found whatever the case";
  ASSERT_EQ(call(xlcWorkbookName, {call.Str("histograma"), call.Str("HISTOGRAMA")}), kOk)
      << "a sheet may take its own name in another case";
  EXPECT_EQ(call(xlcWorkbookName, {call.Str(std::string(31, 'b')), Num(3)}), xlretFailed);
  EXPECT_EQ(call(xlcWorkbookName, {Missing(), call.Str("a"), Missing()}), xlretInvCount);
}

// Each chart goes in to the left of the active sheet, is moved to the end and stays active.
TEST(WorkbookCommands, HistogramSheetsEndInOrder) {
  ExcelHost host;
  HostCalls call(host);
  ASSERT_EQ(call(xlcNew, {Int(1)}), kOk);
  ASSERT_EQ(call(xlcWorkbookName, {Missing(), call.Str("Histograma")}), kOk);
  AddChartSheet(call, "Gráfico", true);
  AddChartSheet(call, "Gráfico Área 1", true);
  EXPECT_EQ(SheetNames(host),
            (std::vector<std::string>{"Histograma", "Gráfico", "Gráfico Área 1"}));
  EXPECT_EQ(host.app().ActiveSheet().name, "Gráfico Área 1");
  EXPECT_EQ(host.app().ActiveSheet().kind, SheetKind::Chart);
  ASSERT_EQ(call(xlcWorkbookActivate, {call.Str("Histograma")}), kOk);
  EXPECT_EQ(host.app().ActiveSheet().name, "Histograma");

  ASSERT_EQ(call(xlcWorkbookMove, {call.Str("Histograma"), call.Str("Book2"), Int(2)}), kOk);
  EXPECT_EQ(SheetNames(host),
            (std::vector<std::string>{"Gráfico", "Histograma", "Gráfico Área 1"}));
  EXPECT_EQ(host.app().ActiveSheet().name, "Histograma") << "the moved sheet stays active";
  EXPECT_EQ(call(xlcWorkbookMove, {call.Str("Histograma"), call.Str("Book1"), Missing()}),
            xlretFailed)
      << "moving to another workbook is not done";
}

// The comparison tool's chart is not moved, and its data sheet is hidden at the end.
TEST(WorkbookCommands, ComparisonChartStaysFirstAndItsDataSheetIsVeryHidden) {
  ExcelHost host;
  HostCalls call(host);
  ASSERT_EQ(call(xlcNew, {Int(1)}), kOk);
  ASSERT_EQ(call(xlcWorkbookName, {Missing(), call.Str("Auxiliar")}), kOk);
  AddChartSheet(call, "CS x Exp", false);
  ASSERT_EQ(call(xlcWorkbookActivate, {call.Str("Auxiliar")}), kOk);
  ASSERT_EQ(call(xlcWorkbookHide, {call.Str("Auxiliar"), Bool(true)}), kOk);
  EXPECT_EQ(SheetNames(host), (std::vector<std::string>{"CS x Exp", "Auxiliar"}));
  const Workbook& book = host.app().ActiveWorkbook();
  EXPECT_EQ(book.sheets[1].state, SheetState::VeryHidden);
  EXPECT_EQ(host.app().ActiveSheet().name, "CS x Exp") << "no visible sheet to its right";
  EXPECT_EQ(call(xlcWorkbookHide, {call.Str("CS x Exp")}), xlretFailed)
      << "the last visible sheet stays";
  EXPECT_EQ(call(xlcWorkbookActivate, {call.Str("Auxiliar")}), xlretFailed) << "hidden";
  EXPECT_EQ(host.app().ActiveSheet().name, "CS x Exp");
}

TEST(WorkbookCommands, HidingTheActiveSheetActivatesItsRightNeighbour) {
  ExcelHost host;
  HostCalls call(host);
  ASSERT_EQ(call(xlcWorkbookInsert, {Int(1)}), kOk); // [Sheet2, Sheet1], Sheet2 active
  ASSERT_EQ(call(xlcWorkbookInsert, {Int(1)}), kOk); // [Sheet3, Sheet2, Sheet1]
  ASSERT_EQ(call(xlcWorkbookActivate, {call.Str("Sheet2")}), kOk);
  ASSERT_EQ(call(xlcWorkbookHide, {Missing(), Bool(false)}), kOk);
  EXPECT_EQ(host.app().ActiveWorkbook().sheets[1].state, SheetState::Hidden);
  EXPECT_EQ(host.app().ActiveSheet().name, "Sheet1");
  ASSERT_EQ(call(xlcWorkbookHide, {}), kOk);
  EXPECT_EQ(host.app().ActiveSheet().name, "Sheet3") << "nothing visible right: the left one";
}

TEST(WorkbookCommands, BookAndSheetNamesAndGridlines) {
  ExcelHost host;
  HostCalls call(host);
  ASSERT_EQ(call(xlcNew, {Int(1)}), kOk);
  ASSERT_EQ(call(xlfGetDocument, {Int(88)}), kOk);
  EXPECT_EQ(AnsiText(call.result), "Book2");
  ASSERT_EQ(call(xlFree, {call.result}), kOk);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
  EXPECT_EQ(call(xlfGetDocument, {Int(1)}), xlretFailed) << "only 88 is answered";

  ASSERT_EQ(call(xlcWorkbookName, {Missing(), call.Str("Preços")}), kOk);
  ASSERT_EQ(call(xlSheetNm, {call.Ref(0, 0, 0, 0)}), kOk);
  EXPECT_EQ(Utf8Text(call.result), "[Book2]Preços");
  ASSERT_EQ(call(xlFree, {call.result}), kOk);
  ASSERT_EQ(call(xlcWorkbookActivate, {call.Str("[Book1]Sheet1")}), kOk);
  EXPECT_EQ(host.app().ActiveWorkbook().name, "Book1");

  ASSERT_EQ(call(xlcOptionsView, {Missing(), Missing(), Missing(), Missing(), Missing(), Missing(),
                                  Missing(), Bool(false)}),
            kOk);
  EXPECT_FALSE(host.app().ActiveSheet().show_gridlines);
  EXPECT_EQ(call(xlcOptionsView, {Bool(false)}), xlretFailed) << "formula bar: not kept";
  ASSERT_EQ(call(xlcWorkbookInsert, {Int(2)}), kOk);
  EXPECT_EQ(call(xlcOptionsView, {Missing(), Missing(), Missing(), Missing(), Missing(), Missing(),
                                  Missing(), Bool(false)}),
            xlretFailed)
      << "a chart has no cell gridlines";
  EXPECT_EQ(call(xlcWorkbookInsert, {Int(3)}), xlretFailed) << "macro sheets are not kept";
}
