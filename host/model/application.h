// What kvhost models of Excel's application state: open workbooks and their sheets, the table
// of registered procedures, defined names, the menu bars and toolbars, and the alerts and
// message boxes shown.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cells.h"
#include "chart.h"
#include "command_bars.h"
#include "formats.h"

namespace kvhost {

using SheetId = std::uintptr_t;

enum class SheetKind : std::uint8_t { Worksheet, Chart };
enum class SheetState : std::uint8_t { Visible, Hidden, VeryHidden };

// A column's width in characters of the standard font's digits, and whether it was best fit.
struct ColumnWidth {
  double characters = 0;
  bool best_fit = false;
};

// Whether `area` is every cell of the sheet as either interface names it: A1:IV65536, all an
// Excel 4 record reaches (the add-in's "select everything" through it), or A1:XFD1048576.
inline bool IsWholeSheet(const CellRange& area) {
  const auto whole = [&area](const Grid& grid) {
    return area.first_row == 0 && area.last_row == grid.rows - 1 && area.first_column == 0 &&
           area.last_column == grid.columns - 1;
  };
  return whole(kExcel4Grid) || whole(kExcel12Grid);
}

// The formats of a worksheet's cells: the whole sheet's format, and the cells formatted apart
// from it. A result sheet formats hundreds of thousands of cells alike, so each distinct format
// is kept once and a cell holds its number; a change is worked out once for each distinct
// format it meets, not once a cell.
class SheetFormats {
public:
  CellFormat whole_sheet;

  // The format cell (row, column) shows.
  const CellFormat& At(std::uint32_t row, std::uint32_t column) const {
    const auto found = cells_.find(Key(row, column));
    return found == cells_.end() ? whole_sheet : distinct_[found->second];
  }
  // The cell's own format; null when it shows the whole sheet's.
  const CellFormat* Own(std::uint32_t row, std::uint32_t column) const {
    const auto found = cells_.find(Key(row, column));
    return found == cells_.end() ? nullptr : &distinct_[found->second];
  }
  // Gives the cell a format of its own.
  void Set(std::uint32_t row, std::uint32_t column, const CellFormat& format) {
    cells_.insert_or_assign(Key(row, column), Intern(format));
  }
  std::size_t FormattedCount() const { return cells_.size(); }

  struct Formatted {
    std::uint32_t row = 0;
    std::uint32_t column = 0;
    const CellFormat* format = nullptr;
  };
  // The cells formatted apart, row by row and left to right in a row.
  std::vector<Formatted> FormattedCells() const;
  // Calls visit(row, column, format) for each cell formatted apart, in no particular order, until
  // it returns false; false then.
  template <class Visit> bool ForEachFormatted(Visit&& visit) const {
    for (const auto& [key, format] : cells_)
      if (!visit(static_cast<std::uint32_t>(key >> 32), static_cast<std::uint32_t>(key),
                 distinct_[format]))
        return false;
    return true;
  }

  // Makes `change` (a callable taking CellFormat&, which must not depend on the cell) to the
  // format of every cell of `area`. The whole sheet changes its own format and those of the
  // cells formatted apart, so that 16 million cells are never stored one by one.
  template <class Change> void Apply(const CellRange& area, Change&& change) {
    if (IsWholeSheet(area)) {
      change(whole_sheet);
      for (CellFormat& format : distinct_)
        change(format);
      return;
    }
    // What each format present becomes, by its number; the last entry is the whole sheet's.
    const std::size_t present = distinct_.size();
    std::vector<std::uint32_t> becomes(present + 1, kNotYet);
    const auto changed = [&](std::uint32_t from) {
      std::uint32_t& to = becomes[from == kWholeSheet ? present : from];
      if (to == kNotYet) {
        CellFormat format = from == kWholeSheet ? whole_sheet : distinct_[from];
        change(format);
        to = Intern(std::move(format));
      }
      return to;
    };
    for (std::uint32_t column = area.first_column; column <= area.last_column; ++column)
      for (std::uint32_t row = area.first_row; row <= area.last_row; ++row) {
        std::uint32_t& format = cells_.try_emplace(Key(row, column), kWholeSheet).first->second;
        format = changed(format);
      }
  }

private:
  static constexpr std::uint32_t kWholeSheet = 0xFFFFFFFFu;
  static constexpr std::uint32_t kNotYet = 0xFFFFFFFEu;
  static std::uint64_t Key(std::uint32_t row, std::uint32_t column) {
    return std::uint64_t{row} << 32 | column;
  }
  // The number of `format` among the distinct ones, added when new.
  std::uint32_t Intern(CellFormat format);

  std::deque<CellFormat> distinct_; // stays put as it grows: At's references hold
  std::unordered_map<std::uint64_t, std::uint32_t> cells_;
};

struct CellAddress {
  std::uint32_t row = 0;
  std::uint32_t column = 0;
  bool operator==(const CellAddress&) const = default;
};

struct Sheet {
  Sheet() = default;
  Sheet(SheetId sheet_id, std::string sheet_name, Cells sheet_cells = {})
      : id(sheet_id), name(std::move(sheet_name)), cells(std::move(sheet_cells)) {}

  SheetId id = 0; // handed out by the Application when the sheet's workbook opens
  std::string name;
  Cells cells;
  SheetKind kind = SheetKind::Worksheet;
  SheetState state = SheetState::Visible;
  // Worksheets:
  std::vector<CellRange> selection{CellRange{}}; // the selected areas, A1 at first
  CellAddress active_cell;
  SheetFormats formats;
  std::map<std::uint32_t, ColumnWidth> column_widths; // columns given a width
  bool show_gridlines = true;
  // Chart sheets:
  std::optional<Chart> chart;
};

struct Workbook {
  std::string name;
  std::vector<Sheet> sheets;
  std::size_t active_sheet = 0;
};

// The cells selected, as SELECTION reports them: one or more areas of one worksheet.
struct Selection {
  SheetId sheet = 0;
  std::vector<CellRange> areas;
};

// Excel compares sheet names without regard to case (Latin-1 letters, accented ones
// included).
bool SameSheetName(std::string_view a, std::string_view b);

// One row of the table REGISTER builds. Texts are UTF-8.
struct Registration {
  double id = 0;
  std::string module;
  std::string procedure;
  std::string type_text;
  std::string function_text;
  std::string argument_text;
  int macro_type = 1; // 1 listed worksheet function, 2 command, 0 hidden
  std::string category;
  std::string shortcut;
  std::string help_topic;
  std::string function_help;
  std::vector<std::string> argument_help;
  int use_count = 1;
  void* address = nullptr; // the exported procedure, as a handle the add-in's Call takes

  bool IsCommand() const { return macro_type == 2; }
};

// A defined name: REGISTER's hidden name holds the register id; SET.NAME may store a number or
// a text.
struct DefinedName {
  std::string name;
  std::optional<double> number;
  std::optional<std::string> text;
  bool hidden = false;
};

// An ALERT, or a message box the add-in showed.
struct AlertRecord {
  std::string text; // UTF-8
  int type = 2;     // ALERT: 1 OK/Cancel, 2 information, 3 error
  std::string title = "Alert";
  bool message_box = false;
  unsigned style = 0;       // a message box's MessageBoxA type bits
  std::uintptr_t owner = 0; // the window that owns a message box (0: none)

  // An error message: ALERT type 3, or a message box with the error (stop) icon.
  bool IsError() const { return message_box ? (style & 0xF0) == 0x10 : type == 3; }
};

// Something the add-in changed, in the order it happened, for `kvhost addin` to report.
struct JournalEntry {
  enum class Kind { Registered, RegisterRefused, Unregistered, NameDeleted, Alert } kind;
  std::string subject; // the procedure registered, refused or unregistered, the name deleted
  std::string text;    // what happened, for people
};

class Application {
public:
  Application();

  Workbook& ActiveWorkbook() { return workbooks_[active_workbook_]; }
  Sheet& ActiveSheet() { return ActiveWorkbook().sheets[ActiveWorkbook().active_sheet]; }
  const std::vector<Workbook>& Workbooks() const { return workbooks_; }

  // Opens `book` as Excel opens a file: its sheets get ids and it becomes the active workbook.
  // Like Excel, it takes the place of the untouched Book1 Excel started with.
  Workbook& OpenWorkbook(Workbook book);
  // A new workbook "Book<n>" with one sheet called `sheet_name`, made the active one.
  Workbook& NewWorkbook(std::string sheet_name);
  // Puts `sheet` into the active workbook before the sheet at `position` (at the end past the
  // last) and gives it an id; the active sheet stays the same sheet.
  Sheet& InsertSheet(std::size_t position, Sheet sheet);
  // Makes sheet `index` of the active workbook the active sheet, showing its own selection.
  void ActivateSheet(std::size_t index);
  // The open workbook holding the sheet with this id; null when there is none.
  Workbook* WorkbookOf(SheetId id);
  // The open workbook called `name` (whatever the case); null when there is none.
  Workbook* FindWorkbook(std::string_view name);
  // Closes the active workbook; the last opened of those left becomes active. kvhost always keeps
  // one workbook open: closing the last one is refused (false).
  bool CloseActiveWorkbook();
  // Makes the workbook called `name` active; false when none is open.
  bool ActivateWorkbook(std::string_view name);
  // The sheet of the active workbook called `name`; null when there is none.
  Sheet* FindSheet(std::string_view name);
  // The sheet of any open workbook with this id; null when there is none.
  Sheet* FindSheet(SheetId id);

  // What is selected: what Select chose, or else the active sheet's own selection (A1 of a
  // sheet nobody selected cells on). Opening, creating, activating or closing a workbook, or
  // activating a sheet, shows the selection of the new active sheet.
  Selection CurrentSelection();
  // Selects areas of the sheet with this id, which keeps them as its selection with the active
  // cell at the top left of the first area. Excel selects cells on the active sheet; a sheet
  // that is not the active one stands for a selection Excel reports on another sheet.
  void Select(Selection selection);

  // Registers or re-registers (same module and procedure: same id, one more use).
  Registration& Register(Registration registration);
  // Drops every registration of `module`, as Excel does after the add-in's xlAutoClose;
  // returns how many there were.
  std::size_t UnregisterModule(const std::string& module);
  // One use less of the registration with this id; at none left it is dropped. False when no
  // registration has the id.
  bool Unregister(double id);
  const std::vector<Registration>& Registrations() const { return registrations_; }
  const Registration* FindRegistration(const std::string& function_text) const;
  // The registration of `procedure` of `module` (names as given to REGISTER).
  const Registration* FindProcedure(const std::string& module, const std::string& procedure) const;

  void DefineName(DefinedName name);
  bool DeleteName(const std::string& name); // false when there is no such name
  const DefinedName* FindName(const std::string& name) const;

  // A REGISTER call Excel answered with #VALUE!: what it asked for, and why it was refused.
  void RecordRefusedRegistration(Registration attempted, const std::string& reason);
  struct Refusal {
    Registration attempted;
    std::string reason;
  };
  const std::vector<Refusal>& RefusedRegistrations() const { return refused_; }

  void RecordAlert(AlertRecord alert);
  const std::vector<AlertRecord>& Alerts() const { return alerts_; }

  // True when an error message was shown since the alert count was `from`.
  bool ErrorShownSince(std::size_t from) const;

  const std::vector<JournalEntry>& Journal() const { return journal_; }

  // Menu bars and toolbars, in the interface language; a new language starts them afresh.
  CommandBars& Bars() { return bars_; }
  const CommandBars& Bars() const { return bars_; }
  void SetInterfaceLanguage(InterfaceLanguage language) { bars_ = CommandBars(language); }

  // The add-in Excel is running a call of: its file name, for xlGetName and REGISTER.
  std::string current_addin_path;
  // Its dlopen handle when it is a Linux library (tests read its counters through it).
  void* current_addin_handle = nullptr;
  // The main window "XLMAIN" as the add-in finds it; xlGetHwnd reports its low 16 bits.
  std::uintptr_t main_window = 0;
  // GET.WORKSPACE(2): the version of Excel kvhost plays.
  std::string version_text = "16.0";
  // Its grid: the Excel 4 interface's before 12, the whole of today's from 12 on.
  Grid grid = kExcel4Grid;
  // ECHO: whether the screen follows what macros do.
  bool screen_updating = true;
  // MESSAGE: the text a macro shows in the status bar; nothing while Excel shows its own.
  std::optional<std::string> status_bar_text;

private:
  std::vector<Workbook> workbooks_;
  std::size_t active_workbook_ = 0;
  // The sheet whose selection SELECTION reports, as Select last chose it; 0: the active sheet.
  // The areas themselves are the sheet's own.
  SheetId selected_sheet_ = 0;
  SheetId next_sheet_id_ = 1;
  int next_book_number_ = 2; // Book1 is the one Excel starts with
  std::vector<Registration> registrations_;
  std::vector<Refusal> refused_;
  double next_register_id_ = 1;
  std::map<std::string, DefinedName> names_; // keyed by the upper-cased name
  std::vector<AlertRecord> alerts_;
  std::vector<JournalEntry> journal_;
  CommandBars bars_;
};

} // namespace kvhost
