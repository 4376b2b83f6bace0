// kvhost's Excel naming, inserting, moving, activating and hiding sheets as the add-in's result
// steps do, with the sheet orders those steps give; MESSAGE's status-bar text.
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

// MESSAGE through Excel4, as a macro shows its progress.
TEST(Status, MessageShowsAndRestoresTheStatusBar) {
  ExcelHost host;
  EXPECT_FALSE(host.app().status_bar_text.has_value());
  XLOPER yes = Bool(true), no = Bool(false), zero = Num(0), missing = Missing();
  XLOPER progress = Text("Computing 3 of 10"), word = Text("maybe");
  XLOPER result{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(Excel4(xlcMessage, &result, 2, &yes, &progress), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  EXPECT_EQ(host.app().status_bar_text, "Computing 3 of 10");
  EXPECT_EQ(Excel4(xlcMessage, &result, 1, &no), xlretSuccess);
  EXPECT_FALSE(host.app().status_bar_text.has_value());
  EXPECT_EQ(Excel4(xlcMessage, &result, 1, &yes), xlretSuccess);
  EXPECT_EQ(host.app().status_bar_text, "") << "TRUE without a text blanks the bar";
  EXPECT_EQ(Excel4(xlcMessage, &result, 2, &zero, &missing), xlretSuccess);
  EXPECT_FALSE(host.app().status_bar_text.has_value());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Status] Computing 3 of 10\n[Status] \n")
      << "one line per text shown, none for the clearing calls";

  EXPECT_EQ(Excel4v(xlcMessage, &result, 0, nullptr), xlretInvCount);
  EXPECT_EQ(Excel4(xlcMessage, &result, 2, &word, &word), xlretFailed);
  EXPECT_EQ(Excel4(xlcMessage, &result, 1, &missing), xlretFailed) << "the logical is required";
  ExcelHost::Recalculation recalculation(host);
  EXPECT_EQ(Excel4(xlcMessage, &result, 2, &yes, &progress), xlretInvXlfn)
      << "a command, refused during a recalculation";
  EXPECT_FALSE(host.app().status_bar_text.has_value());
}
