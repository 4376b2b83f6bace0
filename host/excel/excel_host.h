// kvhost's Excel: answers every Excel4/Excel4v call of the add-in, one handler per function
// number, against the application model.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <unordered_map>

#include "../model/application.h"
#include "excel_memory.h"
#include "kvplatform/bitmap.h"
#include "kvplatform/windows.h"
#include "xlcall.h"

namespace kvhost {

class AddIn;
class ExcelHost;

// Function numbers the add-in reaches only through its automation bridge, which its xlcall.h
// leaves unnamed.
constexpr int xlfCos = 16;
constexpr int xlfLinks = 103;
constexpr int xlfReplace = 119;
constexpr int xlfTimevalue = 141;
constexpr int xlcActivate = 103 | xlCommand;

template <class Oper> using ArgumentsOf = std::span<Oper* const>;
using Arguments = ArgumentsOf<XLOPER>;
using Arguments12 = ArgumentsOf<XLOPER12>;
// Fills `result` (which may be null when the caller wants none) and returns an Excel return code.
// Each handler is written once over the record and serves both interfaces: its Excel 4 and its
// Excel 12 instance.
template <class Oper>
using HandlerOf = std::function<int(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args)>;
struct Handler {
  HandlerOf<XLOPER> excel4;
  HandlerOf<XLOPER12> excel12;
  template <class Oper> const HandlerOf<Oper>& For() const {
    if constexpr (std::is_same_v<Oper, XLOPER>)
      return excel4;
    else
      return excel12;
  }
};
// Both instances of the handler template F.
#define KV_HANDLER(F)                                                                              \
  ::kvhost::Handler {                                                                              \
    &F<XLOPER>, &F<XLOPER12>                                                                       \
  }
using HandlerTable = std::unordered_map<int, Handler>;

// Handlers by area.
void AddInterfaceFunctions(HandlerTable& table);
void AddAddInManagement(HandlerTable& table);
void AddMenusAndToolbars(HandlerTable& table);
void AddWorkbookCommands(HandlerTable& table);
void AddCellsAndFormats(HandlerTable& table);
void AddChartCommands(HandlerTable& table);
void AddBuiltInFunctions(HandlerTable& table);

// Excel refusing the add-in's calls, for testing how the add-in copes: the call numbered
// `fail_call` (from 1, in the order the add-in makes them through Excel4v) fails, and with
// `fail_calls_from` every call from that one on. 0 leaves the calls alone. A refused command
// answers xlretFailed, a refused function the error value #VALUE!; xlFree is never refused,
// as Excel never refuses to take memory back.
struct CallFaults {
  long fail_call = 0;
  long fail_calls_from = 0;
};
// For the whole process: set once by the command line, before any add-in loads.
void SetCallFaults(const CallFaults& faults);
// From here on the add-in's calls are the command's own: they are counted, and the faults
// apply to them (loading the add-in before a command is not part of it).
void ArmCallFaults();
// How many calls the add-in has made through Excel4v since ArmCallFaults.
long CallbacksMade();
// Blocks of memory the hosts that ended had lent the add-in (texts, arrays, rectangle lists in
// answers) and never got back with xlFree.
std::size_t BlocksNeverFreed();
// Whether a call of the add-in failed because kvhost ran out of memory while serving it: the
// add-in got xlretFailed, as Excel answers a call it cannot complete, and the run ends with
// kvhost's own "out of memory".
bool OutOfMemoryInCallbacks();

// The main window's handle; its low 16 bits are what xlGetHwnd reports (above 0x7FFF on
// purpose: the add-in must compare them as unsigned).
constexpr kvp::WindowHandle kMainWindow = 0x0001C0DE;

class ExcelHost {
public:
  ExcelHost();
  ~ExcelHost();
  ExcelHost(const ExcelHost&) = delete;
  ExcelHost& operator=(const ExcelHost&) = delete;

  // Runs one call as Excel would; 2 (invalid function) for a number the host does not know,
  // and for a command or a macro-sheet function asked for during a recalculation.
  template <class Oper> int Call(int xlfn, Oper* result, ArgumentsOf<Oper> args);
  // A call as the add-in makes it through Excel4v or Excel12v (here or from the Windows helper):
  // counted, and refused when the faults say so.
  template <class Oper> int CallFromAddIn(int xlfn, Oper* result, ArgumentsOf<Oper> args);

  // Whether the host offers the Excel 12 interface (Excel 2007 and later), as the version it
  // plays says; off, Excel12v answers every call with a failure.
  void OfferExcel12(bool offer);
  bool offers_excel12() const { return offers_excel12_; }

  // A worksheet function's call from a recalculation (calling class 1) lasts as long as one of
  // these does.
  class Recalculation {
  public:
    explicit Recalculation(ExcelHost& host) : host_(host) { ++host_.recalculating_; }
    ~Recalculation() { --host_.recalculating_; }
    Recalculation(const Recalculation&) = delete;
    Recalculation& operator=(const Recalculation&) = delete;

  private:
    ExcelHost& host_;
  };
  bool recalculating() const { return recalculating_ > 0; }

  Application& app() { return app_; }
  // The add-in whose entry points and procedures Excel calls; null when none is loaded.
  AddIn* addin() const { return addin_; }
  void set_addin(AddIn* addin) { addin_ = addin; }

  // Where PASTE.TOOL takes the picture the add-in put on the clipboard: this process's
  // clipboard, or, for an add-in running elsewhere, the clipboard of its process.
  using PictureSource = std::function<bool(kvp::Image& picture)>;
  void set_clipboard_source(PictureSource source) { clipboard_source_ = std::move(source); }
  bool TakeClipboardPicture(kvp::Image& picture) { return clipboard_source_(picture); }
  ExcelMemory& memory() { return memory_; }

  // Shows an alert: `[Alert] text` on standard error, and recorded.
  void ShowAlert(const std::string& utf8_text, int type);
  // Shows a text in the status bar: kept in the model and printed as `[Status] text` on standard
  // error, one line each, or, when standard error is a terminal, on one line rewritten in place.
  void ShowStatus(const std::string& utf8_text);
  // Gives the status bar back to Excel; a line rewritten in place is ended.
  void ClearStatus();
  // Shows a message box owned by `owner`: `[Title] text` on standard error, recorded, answered
  // with OK.
  int ShowMessageBox(const std::string& utf8_text, const std::string& utf8_title, unsigned style,
                     kvp::WindowHandle owner = 0);

private:
  template <class Oper>
  static int Dispatch(void* context, int xlfn, Oper* result, int count, Oper** args);
  static int MessageBox(void* context, kvp::WindowHandle owner, const char* text,
                        const char* caption, unsigned type);

  // Ends the status line rewritten in place, if one is showing, before anything else prints.
  void EndStatusLine();

  Application app_;
  ExcelMemory memory_;
  HandlerTable handlers_;
  AddIn* addin_ = nullptr;
  PictureSource clipboard_source_ = kvp::TakeBitmapFromClipboard;
  int recalculating_ = 0;
  bool status_in_place_ = false;
  bool status_line_open_ = false;
  bool offers_excel12_ = false;
};

// The cells a reference argument names: its sheet and its areas (an SRef is on the active
// sheet; a Ref names its sheet by id). Nothing when it is not a reference, names a sheet that
// is not open, or holds no area.
struct ReferencedCells {
  Sheet* sheet = nullptr;
  std::vector<CellRange> areas;
};
template <class Oper>
std::optional<ReferencedCells> ResolveReference(ExcelHost& host, const Oper& reference);

// The rectangle of a record's reference (rows and columns from 0) and back.
template <class Ref> CellRange RangeOf(const Ref& r) {
  return CellRange{static_cast<std::uint32_t>(r.rwFirst), static_cast<std::uint32_t>(r.rwLast),
                   static_cast<std::uint32_t>(r.colFirst), static_cast<std::uint32_t>(r.colLast)};
}
template <class Ref> Ref RefOf(const CellRange& r) {
  using Row = decltype(Ref{}.rwFirst);
  using Column = decltype(Ref{}.colFirst);
  return Ref{static_cast<Row>(r.first_row), static_cast<Row>(r.last_row),
             static_cast<Column>(r.first_column), static_cast<Column>(r.last_column)};
}

// Result makers.
template <class Oper> void SetError(Oper* result, std::uint16_t code);
template <class Oper> void SetBoolean(Oper* result, bool flag);
template <class Oper> void SetNumber(Oper* result, double number);
// A text result in memory the add-in gives back with xlFree: ANSI for an Excel 4 record, cut to
// 255 bytes; UTF-16 for an Excel 12 one.
template <class Oper> void SetText(ExcelHost& host, Oper* result, const std::string& utf8);
// A cell's value: a number, a text (given back with xlFree), a Boolean, an error, or nil.
template <class Oper>
void SetCellValue(ExcelHost& host, Oper* result, const Cells& cells, std::uint32_t row,
                  std::uint32_t column);

} // namespace kvhost
