// Entry points: what Excel calls when it loads, registers, lists and unloads the add-in.
#include "Kavenlor.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "BarraMenu.h"
#include "Configuracao.h"
#include "Textos.h"
#include "xll/Excel12.h"
#include "xll/ExcelCall.h"
#include "xll/Firewall.h"
#include "xll/MacroCall.h"
#include "xll/Xlauto.h"
#include "xll/xloper.h"

kvp::WindowHandle ExcelMainWindow = 0;
kvp::ModuleHandle ThisModule = nullptr;

namespace {

#define KV_SIGNATURE_PT KV_MAKER_LINE_PT
#define KV_SIGNATURE_EN KV_MAKER_LINE_EN

// Counted texts, [language index]; the first byte is a placeholder until used.
char AddMessage[2][256] = {
    " Suplemento KAVENLOR - Cálculos para Mercado Financeiro - será adicionado!\n"
    "Para remover este add-in, selecione a opção correspondente no gerenciador de "
    "suplementos.\n\n" KV_SIGNATURE_PT "\n",
    " KAVENLOR add-in - Metrics for Financial Market - will be added!\n"
    "To remove it, select the available option in Excel add-in manager.\n\n" KV_SIGNATURE_EN "\n"};
char RemoveMessage[2][256] = {
    " Suplemento KAVENLOR - Cálculos para Mercado Financeiro - será removido!\n"
    "Para reinstalar este add-in, selecione a opção correspondente no gerenciador de "
    "suplementos.\n\n" KV_SIGNATURE_PT "\n",
    " KAVENLOR add-in - Metrics for Financial Market - will be removed!\n"
    "To reinstall it, select the available option in Excel add-in manager.\n\n" KV_SIGNATURE_EN
    "\n"};
char LongName[2][64] = {" Kavenlor - Cálculos para Mercado Financeiro",
                        " Kavenlor - Metrics for Financial Market"};

// Results handed back to Excel must outlive the call.
XLOPER RegisterResult{};
XLOPER12 RegisterResult12{};
XLOPER ManagerInfoResult{};

constexpr std::int16_t kAlertInformation = 2;

// The add-in's full file name, which every REGISTER call names; a failed request leaves it
// nil, which REGISTER refuses. Released with xlFree after each use.
void FetchAddInFileName(xl::ExcelValue& file_name) {
  ExcelCall(xlGetName, file_name.Fill(), 0);
}

// The version says 12 or later and Excel answers through the Excel 12 entry point.
bool OffersExcel12() {
  if (std::atoi(ExcelVersion().c_str()) < 12 || !ConnectExcel12()) return false;
  XLOPER12 type = xl::Integer<XLOPER12>(2), version{};
  if (Excel12(xlfGetWorkspace, &version, 1, &type) != xlretSuccess) return false;
  Excel12(xlFree, nullptr, 1, &version);
  return true;
}

} // namespace

bool UsesExcel12() {
  return Excel12InUse();
}

namespace {

// A row's procedure and type text for Excel 12: "skew12", each value record P a Q.
void Excel12Names(const FunctionRow& row, TableCell& procedure, TableCell& type_text) {
  std::snprintf(procedure, sizeof procedure, " %s12", row[kColProcedure] + 1);
  std::snprintf(type_text, sizeof type_text, "%s", row[kColTypeText]);
  for (char* c = type_text + 1; *c != '\0'; ++c)
    if (*c == 'P') *c = 'Q';
}

// The add-in's full file name, which every REGISTER call names, asked for through the
// interface in use; a failed request leaves it nil, which REGISTER refuses. Given back with
// xlFree as its owner ends, unless released before.
struct AddInFileName {
  AddInFileName() {
    if (UsesExcel12())
      xl::Macro(xlGetName, excel12.Fill(), {});
    else
      FetchAddInFileName(excel4);
  }
  xl::MacroArg Arg() const {
    return UsesExcel12() ? xl::MacroArg::Answer(*excel12) : xl::MacroArg::Answer(*excel4);
  }
  xl::ExcelValue excel4;
  xl::ExcelValue12 excel12;
};

// The row's cell as REGISTER takes it: the characters after its length byte.
xl::MacroArg CellText(const TableCell& cell) {
  return xl::MacroArg::Text(cell + 1);
}

// One REGISTER call for a function row, through the interface in use: the file name and the
// row's 15 cells; `macro_type` replaces the row's own macro type when given.
void RegisterFunctionRow(const AddInFileName& file_name, FunctionRow& row,
                         std::optional<std::int16_t> macro_type = std::nullopt) {
  std::vector<xl::MacroArg> args;
  args.reserve(1 + kFunctionColumns);
  args.push_back(file_name.Arg());
  for (int column = 0; column < kFunctionColumns; ++column)
    args.push_back(column == kColMacroType && macro_type ? xl::MacroArg::Integer(*macro_type)
                                                         : CellText(row[column]));
  TableCell procedure, type_text;
  if (UsesExcel12()) {
    Excel12Names(row, procedure, type_text);
    args[1 + kColProcedure] = CellText(procedure);
    args[1 + kColTypeText] = CellText(type_text);
  }
  xl::Macro(xlfRegister, args);
}

void RegisterCommandRow(const AddInFileName& file_name, CommandRow& row) {
  std::vector<xl::MacroArg> args;
  args.reserve(1 + kCommandColumns);
  args.push_back(file_name.Arg());
  for (int column = 0; column < kCommandColumns; ++column)
    args.push_back(CellText(row[column]));
  xl::Macro(xlfRegister, args);
}

void Alert(const char* counted_text) {
  xl::Macro(xlcAlert,
            {xl::MacroArg::Text(counted_text + 1), xl::MacroArg::Integer(kAlertInformation)});
}

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

struct WindowSearch {
  std::uint16_t low_word;
  kvp::WindowHandle found;
};

bool MatchExcelWindow(void* context, kvp::WindowHandle window) {
  auto* search = static_cast<WindowSearch*>(context);
  char class_name[51]; // class names are read up to 50 characters
  kvp::WindowClassName(window, class_name, sizeof class_name);
  if (EqualsIgnoringCase(class_name, "XLMAIN") &&
      static_cast<std::uint16_t>(window & 0xFFFF) == search->low_word) {
    search->found = window;
    return false; // stop the enumeration
  }
  return true;
}

} // namespace

bool CountedTextEquals(const char* a, const char* b) {
  const auto length = static_cast<unsigned char>(a[0]);
  if (length != static_cast<unsigned char>(b[0])) return false;
  for (unsigned i = 1; i <= length; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool FindExcelMainWindow(kvp::WindowHandle& window) {
  XLOPER handle{};
  if (Excel4(xlGetHwnd, &handle, 0) != xlretSuccess) return false;
  WindowSearch search{static_cast<std::uint16_t>(handle.val.w), 0};
  kvp::EnumerateTopLevelWindows(MatchExcelWindow, &search);
  if (search.found == 0) return false;
  window = search.found;
  return true;
}

void ProcessAttach(kvp::ModuleHandle module) {
  Guarded("ProcessAttach", [&] {
    ThisModule = module;
    ReadSettings();
    StampLanguageTables(CurrentLanguage);
  });
}

// Loading goes on whatever fails: Excel is told the add-in opened.
KV_ENTRY(int) xlAutoOpen() {
  return Guarded("xlAutoOpen", 1, [] {
    FindExcelMainWindow(ExcelMainWindow);
    ExcelLayerInit();
    UseExcel12(OffersExcel12());
    AddInFileName file_name;
    xl::ExcelValue query;
    for (FunctionRow& row : FunctionTable(CurrentLanguage))
      RegisterFunctionRow(file_name, row);
    for (CommandRow& row : CommandTable)
      RegisterCommandRow(file_name, row);
    BuildMenus(query);
    BuildToolbar(query);
    // Through Excel 4 records the file name and the last answer of the menus go back together.
    if (UsesExcel12())
      query.Release();
    else
      ReleaseTogether(file_name.excel4, query);
    return 1;
  });
}

KV_ENTRY(int) xlAutoClose() {
  return Guarded("xlAutoClose", 1, [] {
    // Deleting the names is all: Excel unregisters the procedures itself after this call.
    for (FunctionRow& row : FunctionTable(CurrentLanguage))
      xl::Macro(xlfSetName, {CellText(row[kColFunctionText])});
    for (CommandRow& row : CommandTable)
      xl::Macro(xlfSetName, {CellText(row[kColFunctionText])});
    RemoveMenuAndToolbar();
    AutomationStop();
    return 1;
  });
}

namespace {
// Registers the first row whose procedure is `name`; the answer is #VALUE! whatever happens.
void RegisterByName(const char* name) {
  for (FunctionRow& row : FunctionTable(CurrentLanguage)) {
    if (CountedTextEquals(name, row[kColProcedure])) {
      RegisterFunctionRow(AddInFileName(), row);
      return;
    }
  }
  for (CommandRow& row : CommandTable) {
    if (CountedTextEquals(name, row[kColProcedure])) {
      RegisterCommandRow(AddInFileName(), row);
      return;
    }
  }
}

LPXLOPER ValueError(XLOPER& record) {
  record = xl::Error(xlerrValue);
  return &record;
}

// What a failed entry point answers: #VALUE!, as when nothing matched.
auto ValueAnswer(XLOPER& record) {
  return [&record] { return ValueError(record); };
}
} // namespace

KV_ENTRY(LPXLOPER) xlAutoRegister(LPXLOPER name) {
  return Guarded("xlAutoRegister", ValueAnswer(RegisterResult), [name] {
    ValueError(RegisterResult);
    if (name != nullptr && xl::BaseType(*name) == xltypeStr && name->val.str != nullptr)
      RegisterByName(name->val.str);
    return &RegisterResult;
  });
}

// Excel 12 names the procedure in UTF-16, the function's own ("skew") or its Excel 12 one
// ("skew12"); the add-in's names are ASCII, so a character beyond it names none of them.
KV_ENTRY(LPXLOPER12) xlAutoRegister12(LPXLOPER12 name) {
  return Guarded(
      "xlAutoRegister12", [] { return &(RegisterResult12 = xl::Error<XLOPER12>(xlerrValue)); },
      [name] {
        RegisterResult12 = xl::Error<XLOPER12>(xlerrValue);
        if (name == nullptr || xl::BaseType(*name) != xltypeStr || name->val.str == nullptr)
          return &RegisterResult12;
        const XCHAR* text = name->val.str;
        TableCell counted{};
        const std::size_t length = std::min<std::size_t>(text[0], kCellChars);
        for (std::size_t i = 0; i < length; ++i)
          counted[i + 1] = text[i + 1] < 0x80 ? static_cast<char>(text[i + 1]) : '?';
        const bool excel12_name =
            length > 2 && counted[length - 1] == '1' && counted[length] == '2';
        counted[0] = static_cast<char>(excel12_name ? length - 2 : length);
        RegisterByName(counted);
        return &RegisterResult12;
      });
}

KV_ENTRY(int) xlAutoAdd() {
  return Guarded("xlAutoAdd", 1, [] {
    Alert(AddMessage[LanguageIndex(CurrentLanguage)]);
    return 1;
  });
}

KV_ENTRY(int) xlAutoRemove() {
  return Guarded("xlAutoRemove", 1, [] {
    Alert(RemoveMessage[LanguageIndex(CurrentLanguage)]);
    const AddInFileName file_name;
    // Registering again with macro type 0 hides the functions from Excel's lists.
    for (FunctionRow& row : FunctionTable(CurrentLanguage))
      RegisterFunctionRow(file_name, row, 0);
    return 1;
  });
}

KV_ENTRY(LPXLOPER) xlAddInManagerInfo(LPXLOPER action) {
  return Guarded("xlAddInManagerInfo", ValueAnswer(ManagerInfoResult), [action] {
    XLOPER code{};
    const int status = ExcelCall(xlCoerce, &code, 2, action, TempInteger(xltypeInt));
    if (status != xlretSuccess || code.xltype != xltypeInt || code.val.w != 1)
      return ValueError(ManagerInfoResult);
    ManagerInfoResult.xltype = xltypeStr;
    ManagerInfoResult.val.str = StampCountedText(LongName[LanguageIndex(CurrentLanguage)]);
    return &ManagerInfoResult;
  });
}
