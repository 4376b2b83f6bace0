// kvhost's Excel answering calls made through Excel4, as an add-in makes them.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "excel/excel_host.h"
#include "excel/values.h"
#include "kvplatform/ansi.h"
#include "kvplatform/messagebox.h"
#include "xlcall32.h"

using namespace kvhost;

namespace {
struct Text {
  explicit Text(const std::string& s) : bytes(s.size() + 2, '\0') {
    bytes[0] = static_cast<char>(s.size());
    std::memcpy(bytes.data() + 1, s.data(), s.size());
    value.xltype = xltypeStr;
    value.val.str = bytes.data();
  }
  std::string bytes;
  XLOPER value{};
};

XLOPER Number(double n) {
  XLOPER x{};
  x.xltype = xltypeNum;
  x.val.num = n;
  return x;
}

XLOPER Integer(std::int16_t w) {
  XLOPER x{};
  x.xltype = xltypeInt;
  x.val.w = w;
  return x;
}
} // namespace

TEST(ExcelHost, UnknownFunctionIsAnInvalidFunctionNotACrash) {
  ExcelHost host;
  XLOPER result{};
  EXPECT_EQ(Excel4(4000, &result, 0), xlretInvXlfn);
  EXPECT_EQ(Excel4(999 | xlCommand, &result, 0), xlretInvXlfn);
  EXPECT_EQ(Excel4(xlcAlert, &result, 31), xlretInvCount) << "Excel takes at most 30";
}

TEST(ExcelHost, TextsItHandsOutLiveUntilFreed) {
  ExcelHost host;
  host.app().current_addin_path = "/opt/kavenlor/kavenlor.so";
  XLOPER name{};
  ASSERT_EQ(Excel4(xlGetName, &name, 0), xlretSuccess);
  EXPECT_EQ(AnsiText(name), "/opt/kavenlor/kavenlor.so");
  EXPECT_EQ(host.memory().BlocksInUse(), 1u);
  XLOPER foreign{};
  Text mine("not the host's");
  foreign = mine.value;
  ASSERT_EQ(Excel4(xlFree, nullptr, 2, &name, &foreign), xlretSuccess);
  EXPECT_EQ(name.val.str, nullptr);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
  EXPECT_EQ(foreign.val.str, mine.bytes.data()) << "memory the host did not give is left alone";
}

TEST(ExcelHost, SheetIdAndMainWindow) {
  ExcelHost host;
  XLOPER sheet{};
  ASSERT_EQ(Excel4(xlSheetId, &sheet, 0), xlretSuccess);
  EXPECT_EQ(sheet.xltype, xltypeRef);
  EXPECT_EQ(sheet.val.mref.lpmref, nullptr);
  EXPECT_EQ(sheet.val.mref.idSheet, host.app().ActiveSheet().id);
  EXPECT_EQ(Excel4(xlFree, nullptr, 1, &sheet), xlretSuccess) << "nothing to free";

  XLOPER window{};
  ASSERT_EQ(Excel4(xlGetHwnd, &window, 0), xlretSuccess);
  EXPECT_EQ(window.xltype, xltypeInt);
  EXPECT_EQ(static_cast<std::uint16_t>(window.val.w), kMainWindow & 0xFFFF);
  char class_name[16];
  EXPECT_GT(kvp::WindowClassName(kMainWindow, class_name, sizeof class_name), 0);
  EXPECT_STREQ(class_name, "XLMAIN");
}

TEST(ExcelHost, CoercionOfScalars) {
  ExcelHost host;
  XLOPER out{};
  XLOPER one = Number(1), int_type = Integer(xltypeInt), str_type = Integer(xltypeStr);
  ASSERT_EQ(Excel4(xlCoerce, &out, 2, &one, &int_type), xlretSuccess);
  EXPECT_EQ(out.xltype, xltypeInt);
  EXPECT_EQ(out.val.w, 1);

  XLOPER big = Number(1e20);
  EXPECT_EQ(Excel4(xlCoerce, &out, 2, &big, &int_type), xlretInvXloper) << "out of 16-bit range";

  XLOPER tenth = Number(0.1);
  ASSERT_EQ(Excel4(xlCoerce, &out, 2, &tenth, &str_type), xlretSuccess);
  EXPECT_EQ(AnsiText(out), "0.1");
  Excel4(xlFree, nullptr, 1, &out);

  Text digits("12.5");
  XLOPER num_type = Integer(xltypeNum);
  ASSERT_EQ(Excel4(xlCoerce, &out, 2, &digits.value, &num_type), xlretSuccess);
  EXPECT_EQ(out.val.num, 12.5);
  Text word("twelve");
  EXPECT_EQ(Excel4(xlCoerce, &out, 2, &word.value, &num_type), xlretInvXloper);

  XLOPER missing{};
  missing.xltype = xltypeMissing;
  ASSERT_EQ(Excel4(xlCoerce, &out, 2, &one, &missing), xlretSuccess) << "default type";
  EXPECT_EQ(out.xltype, xltypeNum);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
}

TEST(ExcelHost, RegisterRefusesWhatExcelRefuses) {
  ExcelHost host;
  host.app().current_addin_path = "/x/addin.so";
  host.app().current_addin_handle = nullptr; // nothing loaded: no procedure can be found
  Text file("/x/addin.so"), proc("skew"), type("PPAAII");
  XLOPER result{};
  ASSERT_EQ(Excel4(xlfRegister, &result, 3, &file.value, &proc.value, &type.value), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr);
  EXPECT_EQ(result.val.err, xlerrValue);
  EXPECT_TRUE(host.app().Registrations().empty());
}

TEST(ExcelHost, SetNameDeletesAndDefines) {
  ExcelHost host;
  Text name("Rate");
  XLOPER value = Number(0.5), result{};
  ASSERT_EQ(Excel4(xlfSetName, &result, 2, &name.value, &value), xlretSuccess);
  ASSERT_NE(host.app().FindName("RATE"), nullptr) << "names ignore case";
  ASSERT_EQ(Excel4(xlfSetName, &result, 1, &name.value), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  EXPECT_EQ(result.val.xbool, 1);
  ASSERT_EQ(Excel4(xlfSetName, &result, 1, &name.value), xlretSuccess);
  EXPECT_EQ(result.val.xbool, 0) << "no such name any more";
}

TEST(ExcelHost, AlertIsRecordedAndAnsweredWithOk) {
  ExcelHost host;
  Text message("Atualiza\xE7\xE3o conclu\xED"
               "da"); // ANSI, as the add-in sends it
  XLOPER type = Integer(3), result{};
  ASSERT_EQ(Excel4(xlcAlert, &result, 2, &message.value, &type), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  ASSERT_EQ(host.app().Alerts().size(), 1u);
  EXPECT_EQ(host.app().Alerts()[0].text, "Atualização concluída");
  EXPECT_EQ(host.app().Alerts()[0].type, 3);
  XLOPER bad_type = Integer(9);
  ASSERT_EQ(Excel4(xlcAlert, &result, 2, &message.value, &bad_type), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr);
}

TEST(ExcelHost, MessageBoxesAreShownRecordedAndAnsweredWithOk) {
  ExcelHost host;
  EXPECT_EQ(kvp::ShowMessageBox(0, "Falha no c\xE1lculo", "Aten\xE7\xE3o",
                                kvp::kMbOk | kvp::kMbIconError),
            kvp::kIdOk);
  EXPECT_EQ(kvp::ShowMessageBox(0, "Done", nullptr, kvp::kMbIconInformation), kvp::kIdOk);
  ASSERT_EQ(host.app().Alerts().size(), 2u);
  EXPECT_EQ(host.app().Alerts()[0].title, "Atenção");
  EXPECT_EQ(host.app().Alerts()[0].text, "Falha no cálculo");
  EXPECT_TRUE(host.app().Alerts()[0].IsError());
  EXPECT_EQ(host.app().Alerts()[1].title, "Error") << "MessageBoxA's title for no caption";
  EXPECT_FALSE(host.app().Alerts()[1].IsError()) << "an information box is no error";
  EXPECT_TRUE(host.app().ErrorShownSince(0));
  EXPECT_FALSE(host.app().ErrorShownSince(1));

  Text warning("Look"), info("Fine");
  XLOPER three = Integer(3), two = Integer(2);
  Excel4(xlcAlert, nullptr, 2, &info.value, &two);
  EXPECT_FALSE(host.app().ErrorShownSince(2));
  Excel4(xlcAlert, nullptr, 2, &warning.value, &three);
  EXPECT_TRUE(host.app().ErrorShownSince(2)) << "ALERT type 3 is an error message";
}

TEST(ExcelHost, GetWorkspaceGivesTheVersionText) {
  ExcelHost host;
  XLOPER two = Integer(2), one = Integer(1), version{};
  ASSERT_EQ(Excel4(xlfGetWorkspace, &version, 1, &two), xlretSuccess);
  EXPECT_EQ(AnsiText(version), "16.0");
  Excel4(xlFree, nullptr, 1, &version);
  host.app().version_text = "8.0";
  ASSERT_EQ(Excel4(xlfGetWorkspace, &version, 1, &two), xlretSuccess);
  EXPECT_EQ(AnsiText(version), "8.0");
  Excel4(xlFree, nullptr, 1, &version);
  ASSERT_EQ(Excel4(xlfGetWorkspace, &version, 1, &one), xlretSuccess);
  EXPECT_EQ(version.xltype, xltypeErr);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
}

TEST(ExcelHost, ARecalculationMayNotRunCommandsOrMacroSheetFunctions) {
  ExcelHost host;
  XLOPER result{};
  {
    const ExcelHost::Recalculation recalculation(host);
    EXPECT_EQ(Excel4(xlcActivate, &result, 0), xlretInvXlfn);
    EXPECT_EQ(Excel4(xlfLinks, &result, 0), xlretInvXlfn);
    XLOPER one = Number(1);
    EXPECT_EQ(Excel4(xlfCos, &result, 1, &one), xlretSuccess) << "a worksheet function";
  }
  EXPECT_EQ(Excel4(xlcActivate, &result, 0), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  EXPECT_EQ(Excel4(xlfLinks, &result, 0), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr);
  EXPECT_EQ(result.val.err, xlerrNA) << "no workbook of kvhost links to another";
}

TEST(ExcelHost, IsTextOverARangeAndOrFoldIt) {
  ExcelHost host;
  Cells& cells = host.app().ActiveSheet().cells;
  cells.SetNumber(0, 0, 1);
  cells.SetNumber(1, 0, 2);
  cells.SetText(2, 0, "n/a");
  XLOPER range{};
  range.xltype = xltypeSRef;
  range.val.sref.count = 1;
  auto ask = [&](std::uint16_t last_row) {
    range.val.sref.ref = XLREF{0, last_row, 0, 0};
    XLOPER istext{}, any{};
    EXPECT_EQ(Excel4(xlfIstext, &istext, 1, &range), xlretSuccess);
    EXPECT_EQ(istext.xltype, xltypeMulti);
    EXPECT_EQ(istext.val.array.rows, last_row + 1);
    EXPECT_EQ(Excel4(xlfOr, &any, 1, &istext), xlretSuccess);
    Excel4(xlFree, nullptr, 1, &istext);
    EXPECT_EQ(any.xltype, xltypeBool);
    return any.val.xbool != 0;
  };
  EXPECT_FALSE(ask(1)) << "numbers only";
  EXPECT_TRUE(ask(2)) << "with the text in A3";
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);

  XLOPER result{}, text_cell{};
  text_cell.xltype = xltypeSRef;
  text_cell.val.sref.count = 1;
  text_cell.val.sref.ref = XLREF{2, 2, 0, 0};
  ASSERT_EQ(Excel4(xlfIstext, &result, 1, &text_cell), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool) << "one cell: one answer";
  EXPECT_EQ(result.val.xbool, 1);
  Text word("maybe");
  ASSERT_EQ(Excel4(xlfOr, &result, 1, &word.value), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr) << "a text given directly is no logical value";
}

TEST(ExcelHost, TextAndTimeFunctions) {
  ExcelHost host;
  Text old_text("abcdef"), new_text("XY"), time("6:45 PM"), bad_time("25:99");
  XLOPER start = Number(2), count = Number(3), result{};
  ASSERT_EQ(Excel4(xlfReplace, &result, 4, &old_text.value, &start, &count, &new_text.value),
            xlretSuccess);
  EXPECT_EQ(AnsiText(result), "aXYef");
  Excel4(xlFree, nullptr, 1, &result);
  ASSERT_EQ(Excel4(xlfTimevalue, &result, 1, &time.value), xlretSuccess);
  EXPECT_DOUBLE_EQ(result.val.num, (18 * 60 + 45) / 1440.0);
  ASSERT_EQ(Excel4(xlfTimevalue, &result, 1, &bad_time.value), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr);
  XLOPER zero = Number(0);
  ASSERT_EQ(Excel4(xlfCos, &result, 1, &zero), xlretSuccess);
  EXPECT_EQ(result.val.num, 1);
}

TEST(ExcelHost, NewCloseActivateAndEcho) {
  ExcelHost host;
  XLOPER module = Integer(6), off{}, result{};
  off.xltype = xltypeBool;
  ASSERT_EQ(Excel4(xlcEcho, &result, 1, &off), xlretSuccess);
  EXPECT_FALSE(host.app().screen_updating);
  ASSERT_EQ(Excel4(xlcNew, &result, 1, &module), xlretSuccess);
  EXPECT_EQ(host.app().Workbooks().size(), 2u);
  EXPECT_EQ(host.app().ActiveWorkbook().name, "Book2");
  EXPECT_EQ(host.app().ActiveSheet().name, "Module1");
  Text first("Book1:1");
  ASSERT_EQ(Excel4(xlcActivate, &result, 1, &first.value), xlretSuccess);
  EXPECT_EQ(host.app().ActiveWorkbook().name, "Book1");
  Text missing("Book9");
  EXPECT_EQ(Excel4(xlcActivate, &result, 1, &missing.value), xlretFailed);
  ASSERT_EQ(Excel4(xlcClose, &result, 1, &off), xlretSuccess);
  EXPECT_EQ(host.app().ActiveWorkbook().name, "Book2");
  EXPECT_EQ(Excel4(xlcClose, &result, 1, &off), xlretFailed) << "kvhost keeps one workbook";
  ASSERT_EQ(Excel4(xlcEcho, &result, 0), xlretSuccess);
  EXPECT_TRUE(host.app().screen_updating) << "omitted: switches";
}

namespace {
// A workbook of two sheets opened as a data file is: "prices" (active) and "rates".
void OpenPricesAndRates(ExcelHost& host) {
  Workbook book{"prices.csv", {Sheet{0, "prices", {}}, Sheet{0, "rates", {}}}, 0};
  Cells& cells = book.sheets[0].cells;
  cells.SetNumber(0, 0, 2.5);
  cells.SetText(1, 0, "Preço");
  cells.SetBoolean(2, 0, true);
  cells.SetError(3, 0, 42);
  cells.SetNumber(0, 3, -1);
  book.sheets[1].cells.SetNumber(0, 0, 9);
  host.app().OpenWorkbook(std::move(book));
}
} // namespace

// One area of the active sheet is a single-sheet reference; several areas, or cells of
// another sheet, a reference naming its sheet, given back with xlFree.
TEST(ExcelHost, SelectionAnswersOneAreaOfTheActiveSheetAsItsOwnType) {
  ExcelHost host;
  OpenPricesAndRates(host);
  XLOPER selection{};
  ASSERT_EQ(Excel4(xlfSelection, &selection, 0), xlretSuccess);
  EXPECT_EQ(selection.xltype, xltypeSRef) << "A1 when nothing was selected";
  EXPECT_EQ(selection.val.sref.ref.rwLast, 0);

  Sheet& prices = host.app().ActiveSheet();
  host.app().Select(Selection{prices.id, {CellRange{1, 499, 0, 3}}});
  ASSERT_EQ(Excel4(xlfSelection, &selection, 0), xlretSuccess);
  ASSERT_EQ(selection.xltype, xltypeSRef);
  EXPECT_EQ(selection.val.sref.ref.rwFirst, 1);
  EXPECT_EQ(selection.val.sref.ref.rwLast, 499);
  EXPECT_EQ(selection.val.sref.ref.colLast, 3);

  host.app().Select(Selection{prices.id, {CellRange{0, 4, 0, 0}, CellRange{0, 4, 2, 2}}});
  ASSERT_EQ(Excel4(xlfSelection, &selection, 0), xlretSuccess);
  ASSERT_EQ(selection.xltype, xltypeRef);
  EXPECT_EQ(selection.val.mref.idSheet, prices.id);
  ASSERT_EQ(selection.val.mref.lpmref->count, 2);
  EXPECT_EQ(selection.val.mref.lpmref->reftbl[1].colFirst, 2);
  Excel4(xlFree, nullptr, 1, &selection);

  const SheetId rates = host.app().FindSheet("rates")->id;
  host.app().Select(Selection{rates, {CellRange{0, 9, 0, 1}}});
  ASSERT_EQ(Excel4(xlfSelection, &selection, 0), xlretSuccess);
  ASSERT_EQ(selection.xltype, xltypeRef) << "one area, but not on the active sheet";
  EXPECT_EQ(selection.val.mref.idSheet, rates);
  Excel4(xlFree, nullptr, 1, &selection);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);

  host.app().NewWorkbook("Sheet1");
  ASSERT_EQ(Excel4(xlfSelection, &selection, 0), xlretSuccess);
  EXPECT_EQ(selection.xltype, xltypeSRef) << "a new workbook starts at its A1";
}

TEST(ExcelHost, GetCellGivesACellsContentsWithNilForAnEmptyCell) {
  ExcelHost host;
  OpenPricesAndRates(host);
  XLOPER five = Integer(5), result{};
  auto contents = [&](std::uint16_t row, std::uint8_t column, IDSHEET sheet) {
    XLMREF area{1, {XLREF{row, row, column, column}}};
    XLOPER reference{};
    reference.xltype = xltypeRef;
    reference.val.mref.lpmref = &area;
    reference.val.mref.idSheet = sheet;
    result = XLOPER{};
    return Excel4(xlfGetCell, &result, 2, &five, &reference);
  };
  const IDSHEET prices = host.app().ActiveSheet().id;
  ASSERT_EQ(contents(0, 0, prices), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeNum);
  EXPECT_EQ(result.val.num, 2.5);
  ASSERT_EQ(contents(1, 0, prices), xlretSuccess);
  EXPECT_EQ(Utf8Text(result), "Preço");
  EXPECT_EQ(host.memory().BlocksInUse(), 1u);
  Excel4(xlFree, nullptr, 1, &result);
  ASSERT_EQ(contents(2, 0, prices), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  ASSERT_EQ(contents(3, 0, prices), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr);
  EXPECT_EQ(result.val.err, 42);
  ASSERT_EQ(contents(5, 0, prices), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeNil) << "an empty cell is not 0";
  ASSERT_EQ(contents(0, 0, host.app().FindSheet("rates")->id), xlretSuccess);
  EXPECT_EQ(result.val.num, 9) << "the sheet the reference names";

  // Without a reference: the active cell, the top-left one of the selection.
  host.app().Select(Selection{prices, {CellRange{0, 3, 3, 5}}});
  ASSERT_EQ(Excel4(xlfGetCell, &result, 1, &five), xlretSuccess);
  EXPECT_EQ(result.val.num, -1);
  XLOPER formula_type = Integer(6);
  EXPECT_EQ(Excel4(xlfGetCell, &result, 1, &formula_type), xlretFailed)
      << "a kind of information kvhost does not give is refused, not made up";
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
}

TEST(ExcelHost, MessageBoxesKeepTheirOwner) {
  ExcelHost host;
  kvp::ShowMessageBox(kMainWindow, "Selecione", "Aten\xE7\xE3o", kvp::kMbOk | kvp::kMbIconError);
  ASSERT_EQ(host.app().Alerts().size(), 1u);
  EXPECT_EQ(host.app().Alerts()[0].owner, kMainWindow);
}

namespace {
// A counted UTF-16 text an add-in builds for Excel12.
struct Text12 {
  explicit Text12(const std::string& utf8) : units(1, u'\0') {
    units += kvp::Utf8ToUtf16(utf8);
    units[0] = static_cast<char16_t>(units.size() - 1);
    value.xltype = xltypeStr;
    value.val.str = units.data();
  }
  std::u16string units;
  XLOPER12 value{};
};

int Call12(int xlfn, XLOPER12* result, std::vector<XLOPER12*> args) {
  return MdCallBack12(xlfn, static_cast<int>(args.size()), args.data(), result);
}
} // namespace

// The Excel 12 interface answers only in a host that plays Excel 2007 or later, in Excel 12
// records: UTF-16 texts that keep every character, and 32-bit rows and columns.
TEST(ExcelHost, Excel12CallsAnswerInExcel12Records) {
  ExcelHost host;
  XLOPER12 two = xl::Integer<XLOPER12>(2), version{};
  EXPECT_EQ(Call12(xlfGetWorkspace, &version, {&two}), xlretFailed) << "Excel 2003 has none";
  host.OfferExcel12(true);
  ASSERT_EQ(Call12(xlfGetWorkspace, &version, {&two}), xlretSuccess);
  EXPECT_EQ(version.xltype, xltypeStr);
  EXPECT_EQ(Utf8Text(version), "16.0");
  ASSERT_EQ(Call12(xlFree, nullptr, {&version}), xlretSuccess);

  Workbook book{"Ελληνικά.csv", {Sheet{0, "收益率", {}}}, 0};
  host.app().OpenWorkbook(std::move(book));
  XLOPER12 sheet{}, name{};
  ASSERT_EQ(Call12(xlSheetId, &sheet, {}), xlretSuccess);
  ASSERT_EQ(Call12(xlSheetNm, &name, {&sheet}), xlretSuccess);
  EXPECT_EQ(Utf8Text(name), "[Ελληνικά.csv]收益率");
  Call12(xlFree, nullptr, {&name});

  // xlSet writes a text through the Excel 12 record; GET.CELL reads it back through each.
  XLMREF12 area{1, {XLREF12{40000, 40000, 200, 200}}};
  XLOPER12 reference{};
  reference.xltype = xltypeRef;
  reference.val.mref.lpmref = &area;
  reference.val.mref.idSheet = host.app().ActiveSheet().id;
  Text12 text("Ωμέγα 📈 ação");
  ASSERT_EQ(Call12(xlSet, nullptr, {&reference, &text.value}), xlretSuccess);
  XLOPER12 five = xl::Integer<XLOPER12>(5), contents{};
  ASSERT_EQ(Call12(xlfGetCell, &contents, {&five, &reference}), xlretSuccess);
  EXPECT_EQ(Utf8Text(contents), "Ωμέγα 📈 ação");
  Call12(xlFree, nullptr, {&contents});
  XLMREF narrow_area{1, {XLREF{40000, 40000, 200, 200}}};
  XLOPER narrow{}, five4 = Integer(5), shown{};
  narrow.xltype = xltypeRef;
  narrow.val.mref.lpmref = &narrow_area;
  narrow.val.mref.idSheet = reference.val.mref.idSheet;
  ASSERT_EQ(Excel4(xlfGetCell, &shown, 2, &five4, &narrow), xlretSuccess);
  EXPECT_EQ(Utf8Text(shown), "????? ? ação") << "code page 1252 through the Excel 4 record";
  Excel4(xlFree, nullptr, 1, &shown);

  area.reftbl[0].rwFirst = -1; // no row of any grid
  contents = XLOPER12{};
  const int code = Call12(xlfGetCell, &contents, {&five, &reference});
  EXPECT_TRUE(code != xlretSuccess || contents.xltype == xltypeErr) << "refused, not read";
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
}

// xlCoerce of a reference: one cell converts as a constant would; an area, or any cell asked as
// xltypeMulti, comes as an array of its values row by row, its texts given back with the array.
// An Excel 4 record reaches neither an array of 65536 rows nor a selection past A1:IV65536.
TEST(ExcelHost, CoercedReferencesGiveTheirCellsValues) {
  ExcelHost host;
  OpenPricesAndRates(host);
  host.OfferExcel12(true);
  const SheetId prices = host.app().ActiveSheet().id;
  XLOPER12 reference{}, multi = xl::Integer<XLOPER12>(xltypeMulti),
                        text_type = xl::Integer<XLOPER12>(xltypeStr), out{};
  XLMREF12 area{1, {XLREF12{0, 4, 0, 3}}}; // A1:D5
  reference.xltype = xltypeRef;
  reference.val.mref.lpmref = &area;
  reference.val.mref.idSheet = prices;
  ASSERT_EQ(Call12(xlCoerce, &out, {&reference}), xlretSuccess) << "several cells: an array";
  ASSERT_EQ(out.xltype, xltypeMulti);
  ASSERT_EQ(out.val.array.rows, 5);
  ASSERT_EQ(out.val.array.columns, 4);
  const XLOPER12* cell = out.val.array.lparray;
  EXPECT_EQ(cell[0].xltype, xltypeNum);
  EXPECT_EQ(cell[0].val.num, 2.5);
  EXPECT_EQ(cell[3].val.num, -1) << "D1, the fourth of the first row";
  EXPECT_EQ(Utf8Text(cell[4]), "Preço");
  EXPECT_EQ(cell[8].xltype, xltypeBool);
  EXPECT_EQ(cell[12].xltype, xltypeErr);
  EXPECT_EQ(cell[12].val.err, 42);
  EXPECT_EQ(cell[1].xltype, xltypeNil);
  EXPECT_EQ(cell[19].xltype, xltypeNil);
  ASSERT_EQ(Call12(xlFree, nullptr, {&out}), xlretSuccess);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u) << "the array's text went with it";

  area.reftbl[0] = XLREF12{0, 0, 0, 0};
  ASSERT_EQ(Call12(xlCoerce, &out, {&reference, &multi}), xlretSuccess);
  EXPECT_EQ(out.xltype, xltypeMulti) << "one cell asked as an array";
  EXPECT_EQ(out.val.array.rows * out.val.array.columns, 1);
  Call12(xlFree, nullptr, {&out});
  ASSERT_EQ(Call12(xlCoerce, &out, {&reference, &text_type}), xlretSuccess);
  EXPECT_EQ(Utf8Text(out), "2.5") << "one cell converts as its value would";
  Call12(xlFree, nullptr, {&out});
  area.reftbl[0] = XLREF12{1, 1, 0, 0};
  ASSERT_EQ(Call12(xlCoerce, &out, {&reference}), xlretSuccess);
  EXPECT_EQ(Utf8Text(out), "Preço");
  Call12(xlFree, nullptr, {&out});

  // A list of two rectangles: the record's one, and the one stored right after it.
  struct {
    XLMREF12 list;
    XLREF12 second;
  } two_areas{{2, {XLREF12{0, 0, 0, 0}}}, XLREF12{2, 2, 0, 0}};
  static_assert(offsetof(decltype(two_areas), second) == sizeof(XLMREF12));
  reference.val.mref.lpmref = &two_areas.list;
  EXPECT_EQ(Call12(xlCoerce, &out, {&reference}), xlretInvXloper) << "several areas";

  // The Excel 4 record: a whole column of 65536 rows is no array of it; a selection past its
  // grid is not given to it, while the Excel 12 record carries it.
  XLMREF whole{1, {XLREF{0, 65535, 0, 0}}};
  XLOPER column{}, multi4 = Integer(xltypeMulti), array{};
  column.xltype = xltypeRef;
  column.val.mref.lpmref = &whole;
  column.val.mref.idSheet = prices;
  EXPECT_EQ(Excel4(xlCoerce, &array, 2, &column, &multi4), xlretFailed);
  host.app().Select(Selection{prices, {CellRange{0, 99999, 0, 1}}});
  XLOPER selection{};
  EXPECT_EQ(Excel4(xlfSelection, &selection, 0), xlretFailed);
  XLOPER12 selection12{};
  ASSERT_EQ(Call12(xlfSelection, &selection12, {}), xlretSuccess);
  EXPECT_EQ(selection12.val.sref.ref.rwLast, 99999);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
}
