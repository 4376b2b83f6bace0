// The workbook: its sheets in order, their states, the active sheet; the numeric locale around
// libxlsxwriter.
#include "xlsx_writer.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>

#include "isolated_call.h"
#include "output_target.h"
#include "stored_parts.h"
#include "xlsx_parts.h"

namespace kvhost {
namespace xlsx {

lxw_color_t Colour(PaletteIndex index) {
  if (index == kAutomaticColour) return LXW_COLOR_UNSET;
  const std::uint32_t rgb = PaletteRgb(index);
  return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

std::string HexColour(PaletteIndex index) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(PaletteRgb(index)));
  return text;
}

std::string XmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
    case '&': escaped += "&amp;"; break;
    case '<': escaped += "&lt;"; break;
    case '>': escaped += "&gt;"; break;
    case '"': escaped += "&quot;"; break;
    default: escaped += c;
    }
  }
  return escaped;
}

std::string NumberText(double number) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, number);
  return std::string(text, result.ptr);
}

} // namespace xlsx

namespace {

// libxlsxwriter prints numbers with the C library's formatting, which follows the locale: the
// calling thread works in the C locale while the workbook is written. (The whole C locale, not
// the process locale with C numbers: glibc leaks the name it composes for a mixed locale.)
class CNumericLocale {
public:
  CNumericLocale() {
    c_numeric_ = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (c_numeric_ == static_cast<locale_t>(0)) return;
    previous_ = uselocale(c_numeric_);
  }
  ~CNumericLocale() {
    if (c_numeric_ == static_cast<locale_t>(0)) return;
    uselocale(previous_);
    freelocale(c_numeric_);
  }
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;
  bool Active() const { return c_numeric_ != static_cast<locale_t>(0); }

private:
  locale_t c_numeric_ = static_cast<locale_t>(0);
  locale_t previous_ = static_cast<locale_t>(0);
};

// The sheet to show when the file opens: the active one, or the first visible one when the
// active sheet is hidden (Excel never shows a hidden sheet).
std::size_t SheetToActivate(const Workbook& book) {
  if (book.active_sheet < book.sheets.size() &&
      book.sheets[book.active_sheet].state == SheetState::Visible)
    return book.active_sheet;
  for (std::size_t i = 0; i < book.sheets.size(); ++i)
    if (book.sheets[i].state == SheetState::Visible) return i;
  return 0;
}

bool WriteSheets(lxw_workbook* workbook, const Workbook& book, std::vector<xlsx::SheetEdits>& edits,
                 std::string& error) {
  xlsx::FormatTable formats(workbook);
  const std::size_t active = SheetToActivate(book);
  for (std::size_t i = 0; i < book.sheets.size(); ++i) {
    const Sheet& sheet = book.sheets[i];
    if (const lxw_error refused = workbook_validate_sheet_name(workbook, sheet.name.c_str())) {
      error = "sheet name '" + sheet.name + "': " + lxw_strerror(refused);
      return false;
    }
    xlsx::SheetEdits& edit = edits.emplace_back();
    edit.name = sheet.name;
    edit.very_hidden = sheet.state == SheetState::VeryHidden;
    const bool hidden = sheet.state != SheetState::Visible;
    if (sheet.kind == SheetKind::Worksheet) {
      lxw_worksheet* worksheet = workbook_add_worksheet(workbook, sheet.name.c_str());
      if (worksheet == nullptr) {
        error = "sheet '" + sheet.name + "' was refused";
        return false;
      }
      if (!xlsx::WriteWorksheet(worksheet, sheet, formats, edit, error)) return false;
      if (hidden) worksheet_hide(worksheet);
      if (i == active) worksheet_activate(worksheet);
    } else {
      lxw_chartsheet* chartsheet = workbook_add_chartsheet(workbook, sheet.name.c_str());
      if (chartsheet == nullptr) {
        error = "sheet '" + sheet.name + "' was refused";
        return false;
      }
      // A chart sheet always holds a chart, empty when nothing was plotted.
      const Chart chart = sheet.chart.value_or(Chart{});
      lxw_chart* made = xlsx::BuildChart(workbook, book, chart, edit.chart, error);
      if (made == nullptr || chartsheet_set_chart(chartsheet, made) != LXW_NO_ERROR) {
        error = "chart sheet '" + sheet.name + "': " + (made ? "the chart was refused" : error);
        return false;
      }
      edit.has_chart = true;
      edit.zoom_to_fit = chart.size_with_window;
      if (hidden) chartsheet_hide(chartsheet);
      if (i == active) chartsheet_activate(chartsheet);
    }
  }
  return true;
}

bool WriteInThisProcess(const Workbook& book, const std::string& file, std::string& error,
                        const XlsxOptions& options) {
  if (book.sheets.empty()) return (error = "a workbook needs a sheet"), false;
  if (std::none_of(book.sheets.begin(), book.sheets.end(),
                   [](const Sheet& sheet) { return sheet.state == SheetState::Visible; }))
    return (error = "a workbook needs a visible sheet"), false;
  const std::time_t created = options.created.value_or(std::time(nullptr));
  CNumericLocale c_numbers;
  if (!c_numbers.Active()) return (error = "cannot switch to the C numeric locale"), false;
  lxw_workbook* workbook = workbook_new(file.c_str());
  if (workbook == nullptr) return (error = "libxlsxwriter cannot start a workbook"), false;
  lxw_doc_properties properties{};
  properties.created = created;
  std::vector<xlsx::SheetEdits> edits;
  if (const lxw_error refused = workbook_set_properties(workbook, &properties)) {
    lxw_workbook_free(workbook);
    return (error = lxw_strerror(refused)), false;
  }
  if (!WriteSheets(workbook, book, edits, error)) {
    lxw_workbook_free(workbook);
    return false;
  }
  // libxlsxwriter reports a failed write as its own code; errno still holds the system's reason
  // (a full disk, a file-size limit), which is the one a person can act on.
  errno = 0;
  const xlsx::StoredParts stored; // FinishPackage deflates them, once
  if (const lxw_error closed = workbook_close(workbook); closed != LXW_NO_ERROR) {
    const int cause = errno;
    error = lxw_strerror(closed);
    if (!error.empty() && error.back() == '.') error.pop_back();
    if (cause != 0) error += std::string(": ") + std::strerror(cause);
    return false;
  }
  return xlsx::FinishPackage(file, edits, created, error);
}

} // namespace

// libxlsxwriter does not survive every failed allocation (some of its calls return nothing to
// check, and a few crash): the workbook is written by a child process, which writes `file` and
// gives back its one-line reason when it could not. kvhost outlives the child whatever happens.
// What libxlsxwriter prints of its own on standard error is dropped: the reason says it.
bool WriteXlsxFile(const Workbook& book, const std::string& file, std::string& error,
                   const XlsxOptions& options) {
  std::string reason, failure;
  const bool ended = RunIsolated(
      [&]() -> std::string {
        try {
          std::string cause;
          if (WriteInThisProcess(book, file, cause, options)) return {};
          return cause.empty() ? std::string("the workbook could not be written") : cause;
        } catch (const std::bad_alloc&) {
          return "out of memory";
        }
      },
      Isolation{"workbook writer", 0, false, true}, reason, failure);
  if (!ended) return (error = failure), false;
  if (!reason.empty()) return (error = reason), false;
  return true;
}

bool WriteXlsx(const Workbook& book, const std::string& path, std::string& error,
               const XlsxOptions& options) {
  OutputSet output;
  std::string file, cause;
  if (!output.Stage(path, file, error)) return false;
  if (!WriteXlsxFile(book, file, cause, options)) {
    error = "cannot write " + path + ": " + cause;
    return false;
  }
  return output.Commit(error);
}

} // namespace kvhost
