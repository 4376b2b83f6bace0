#include "excel_host.h"

#include <unistd.h>

#include <cstdio>
#include <new>

#include "kvplatform/ansi.h"
#include "kvplatform/messagebox.h"
#include "xlcall32.h"
#include "xloper.h"

namespace kvhost {
namespace {
// Macro-sheet functions a worksheet function may not call while Excel recalculates (calling
// class 1): they answer "invalid function" there, as every command does.
bool MacroSheetOnly(int xlfn) {
  if (xlfn & xlSpecial) return false;
  switch (xlfn & xlFunctionMask) {
  case xlfLinks:
  case xlfGetBar:
  case xlfAddMenu:
  case xlfCheckCommand:
  case xlfDeleteMenu:
  case xlfGetToolbar:
  case xlfAddToolbar:
  case xlfDeleteToolbar:
  case xlfGetWorkspace:
  case xlfGetDocument:
  case xlfSelection:
  case xlfGetCell: return true;
  default: return false;
  }
}
} // namespace

ExcelHost::ExcelHost() : status_in_place_(isatty(STDERR_FILENO) == 1) {
  AddInterfaceFunctions(handlers_);
  AddAddInManagement(handlers_);
  AddMenusAndToolbars(handlers_);
  AddWorkbookCommands(handlers_);
  AddCellsAndFormats(handlers_);
  AddChartCommands(handlers_);
  AddBuiltInFunctions(handlers_);
  XlInstallDispatcher(&ExcelHost::Dispatch<XLOPER>, this);
  kvp::SetMessageBoxHandler(&ExcelHost::MessageBox, this);
  kvp::RegisterTopLevelWindow(kMainWindow, "XLMAIN");
  app_.main_window = kMainWindow;
}

namespace {
std::size_t g_blocks_never_freed = 0;
} // namespace

ExcelHost::~ExcelHost() {
  g_blocks_never_freed += memory_.BlocksInUse();
  kvp::UnregisterTopLevelWindow(kMainWindow);
  kvp::SetMessageBoxHandler(nullptr, nullptr);
  XlInstallDispatcher(nullptr, nullptr);
  if (offers_excel12_) XlInstallDispatcher12(nullptr, nullptr);
}

void ExcelHost::OfferExcel12(bool offer) {
  offers_excel12_ = offer;
  app_.grid = offer ? kExcel12Grid : kExcel4Grid;
  if (offer)
    XlInstallDispatcher12(&ExcelHost::Dispatch<XLOPER12>, this);
  else
    XlInstallDispatcher12(nullptr, nullptr);
}

namespace {
CallFaults g_faults;
bool g_armed = false;
long g_callbacks = 0;
bool g_out_of_memory = false;
} // namespace

void ArmCallFaults() {
  g_armed = true;
}

void SetCallFaults(const CallFaults& faults) {
  g_faults = faults;
}

long CallbacksMade() {
  return g_callbacks;
}

std::size_t BlocksNeverFreed() {
  return g_blocks_never_freed;
}

bool OutOfMemoryInCallbacks() {
  return g_out_of_memory;
}

// No exception crosses the add-in's frames: kvhost out of memory while it serves a call is a
// call that failed.
template <class Oper>
int ExcelHost::Dispatch(void* context, int xlfn, Oper* result, int count, Oper** args) {
  for (int i = 0; i < count; ++i)
    if (args[i] == nullptr) return xlretInvXloper;
  try {
    return static_cast<ExcelHost*>(context)->CallFromAddIn(
        xlfn, result, ArgumentsOf<Oper>(args, static_cast<std::size_t>(count)));
  } catch (const std::bad_alloc&) {
    g_out_of_memory = true;
    SetError(result, xlerrValue);
    return xlretFailed;
  }
}

template <class Oper> int ExcelHost::CallFromAddIn(int xlfn, Oper* result, ArgumentsOf<Oper> args) {
  if (!g_armed) return Call(xlfn, result, args);
  const long number = ++g_callbacks;
  const bool refused = number == g_faults.fail_call ||
                       (g_faults.fail_calls_from > 0 && number >= g_faults.fail_calls_from);
  if (!refused || xlfn == xlFree) return Call(xlfn, result, args);
  SetError(result, xlerrValue);
  return (xlfn & (xlCommand | xlSpecial)) ? xlretFailed : xlretSuccess;
}

template <class Oper> int ExcelHost::Call(int xlfn, Oper* result, ArgumentsOf<Oper> args) {
  auto handler = handlers_.find(xlfn);
  if (handler == handlers_.end()) return xlretInvXlfn;
  if (recalculating() && ((xlfn & xlCommand) || MacroSheetOnly(xlfn))) return xlretInvXlfn;
  return handler->second.For<Oper>()(*this, result, args);
}

template int ExcelHost::Call(int, XLOPER*, Arguments);
template int ExcelHost::Call(int, XLOPER12*, Arguments12);
template int ExcelHost::CallFromAddIn(int, XLOPER*, Arguments);
template int ExcelHost::CallFromAddIn(int, XLOPER12*, Arguments12);

void ExcelHost::ShowAlert(const std::string& utf8_text, int type) {
  EndStatusLine();
  std::fprintf(stderr, "[Alert] %s\n", utf8_text.c_str());
  std::fflush(stderr);
  app_.RecordAlert(AlertRecord{utf8_text, type});
}

void ExcelHost::ShowStatus(const std::string& utf8_text) {
  if (status_in_place_) {
    // Back to the start of the line, which is cleared and rewritten.
    std::fprintf(stderr, "\r\033[K[Status] %s", utf8_text.c_str());
    status_line_open_ = true;
  } else {
    std::fprintf(stderr, "[Status] %s\n", utf8_text.c_str());
  }
  std::fflush(stderr);
  app_.status_bar_text = utf8_text;
}

void ExcelHost::ClearStatus() {
  EndStatusLine();
  app_.status_bar_text.reset();
}

void ExcelHost::EndStatusLine() {
  if (!status_line_open_) return;
  std::fputc('\n', stderr);
  std::fflush(stderr);
  status_line_open_ = false;
}

int ExcelHost::ShowMessageBox(const std::string& utf8_text, const std::string& utf8_title,
                              unsigned style, kvp::WindowHandle owner) {
  EndStatusLine();
  std::fprintf(stderr, "[%s] %s\n", utf8_title.c_str(), utf8_text.c_str());
  std::fflush(stderr);
  AlertRecord record;
  record.text = utf8_text;
  record.title = utf8_title;
  record.message_box = true;
  record.style = style;
  record.owner = owner;
  app_.RecordAlert(std::move(record));
  return kvp::kIdOk; // the boxes the add-in shows have only an OK button
}

int ExcelHost::MessageBox(void* context, kvp::WindowHandle owner, const char* text,
                          const char* caption, unsigned type) {
  // MessageBoxA titles a box without a caption "Error".
  return static_cast<ExcelHost*>(context)->ShowMessageBox(
      kvp::AnsiToUtf8(text != nullptr ? text : ""),
      kvp::AnsiToUtf8(caption != nullptr ? caption : "Error"), type, owner);
}

template <class Oper>
std::optional<ReferencedCells> ResolveReference(ExcelHost& host, const Oper& reference) {
  ReferencedCells cells;
  switch (xl::BaseType(reference)) {
  case xltypeSRef:
    cells.sheet = &host.app().ActiveSheet();
    cells.areas.push_back(RangeOf(reference.val.sref.ref));
    break;
  case xltypeRef: {
    const auto* list = reference.val.mref.lpmref;
    if (list == nullptr) return std::nullopt;
    cells.sheet = host.app().FindSheet(static_cast<SheetId>(reference.val.mref.idSheet));
    for (std::uint16_t i = 0; i < list->count; ++i)
      cells.areas.push_back(RangeOf(list->reftbl[i]));
    break;
  }
  default: return std::nullopt;
  }
  if (cells.sheet == nullptr || cells.areas.empty()) return std::nullopt;
  for (const CellRange& area : cells.areas) // a rectangle beyond the grid names no cells
    if (!host.app().grid.Holds(area)) return std::nullopt;
  return cells;
}

template <class Oper> void SetError(Oper* result, std::uint16_t code) {
  if (result != nullptr) *result = xl::Error<Oper>(code);
}

template <class Oper> void SetBoolean(Oper* result, bool flag) {
  if (result != nullptr) *result = xl::Boolean<Oper>(flag);
}

template <class Oper> void SetNumber(Oper* result, double number) {
  if (result != nullptr) *result = xl::Number<Oper>(number);
}

template <class Oper> void SetText(ExcelHost& host, Oper* result, const std::string& utf8) {
  if (result == nullptr) return;
  result->xltype = xltypeStr;
  if constexpr (std::is_same_v<Oper, XLOPER>)
    result->val.str = host.memory().NewCountedText(kvp::Utf8ToAnsi(utf8));
  else
    result->val.str = host.memory().NewCountedText12(kvp::Utf8ToUtf16(utf8));
}

template <class Oper>
void SetCellValue(ExcelHost& host, Oper* result, const Cells& cells, std::uint32_t row,
                  std::uint32_t column) {
  double number = 0;
  switch (cells.TypeAndNumber(row, column, number)) { // no Value to build for these
  case ValueType::Number: return SetNumber(result, number);
  case ValueType::Empty: result->xltype = xltypeNil; return;
  default: break;
  }
  const Value value = cells.Get(row, column);
  switch (value.type) {
  case ValueType::Number: SetNumber(result, value.number); break;
  case ValueType::Text: SetText(host, result, value.text); break;
  case ValueType::Boolean: SetBoolean(result, value.boolean); break;
  case ValueType::Error: SetError(result, value.error); break;
  case ValueType::Empty: result->xltype = xltypeNil; break;
  }
}

template std::optional<ReferencedCells> ResolveReference(ExcelHost&, const XLOPER&);
template std::optional<ReferencedCells> ResolveReference(ExcelHost&, const XLOPER12&);
template void SetError(XLOPER*, std::uint16_t);
template void SetError(XLOPER12*, std::uint16_t);
template void SetBoolean(XLOPER*, bool);
template void SetBoolean(XLOPER12*, bool);
template void SetNumber(XLOPER*, double);
template void SetNumber(XLOPER12*, double);
template void SetText(ExcelHost&, XLOPER*, const std::string&);
template void SetText(ExcelHost&, XLOPER12*, const std::string&);
template void SetCellValue(ExcelHost&, XLOPER*, const Cells&, std::uint32_t, std::uint32_t);
template void SetCellValue(ExcelHost&, XLOPER12*, const Cells&, std::uint32_t, std::uint32_t);

} // namespace kvhost
