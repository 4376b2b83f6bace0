// Workbook, sheet and window commands: NEW, CLOSE, ACTIVATE, ECHO, OPTIONS.VIEW, GET.DOCUMENT
// and the WORKBOOK commands that name, insert, move, activate and hide sheets.
#include <algorithm>
#include <cmath>

#include "command_arguments.h"
#include "excel_host.h"
#include "values.h"

namespace kvhost {
namespace {

// A sheet named by a text: "Sheet" in the active workbook, or "[Book]Sheet" in any open one.
struct NamedSheet {
  Workbook* book = nullptr;
  std::size_t index = 0;
  Sheet& sheet() const { return book->sheets[index]; }
};

std::optional<NamedSheet> FindNamedSheet(Application& app, std::string_view text) {
  Workbook* book = &app.ActiveWorkbook();
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    book = app.FindWorkbook(text.substr(1, close - 1));
    if (book == nullptr) return std::nullopt;
    text.remove_prefix(close + 1);
  }
  for (std::size_t i = 0; i < book->sheets.size(); ++i)
    if (SameSheetName(book->sheets[i].name, text)) return NamedSheet{book, i};
  return std::nullopt;
}

// Excel's rule for sheet names: 1 to 31 characters, none of : \ / ? * [ ], not starting or
// ending with an apostrophe.
bool ValidSheetName(std::string_view utf8) {
  const auto characters = std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  return characters >= 1 && characters <= 31 &&
         utf8.find_first_of(":\\/?*[]") == std::string_view::npos && utf8.front() != '\'' &&
         utf8.back() != '\'';
}

// "<prefix><n>" with the lowest n that no sheet of `book` is called. Excel counts the sheets it
// inserted instead; the two agree until a sheet is renamed, and the add-in renames every sheet
// it inserts at once.
std::string FreeSheetName(const Workbook& book, const std::string& prefix) {
  for (int n = 1;; ++n) {
    const std::string name = prefix + std::to_string(n);
    if (std::none_of(book.sheets.begin(), book.sheets.end(),
                     [&](const Sheet& sheet) { return SameSheetName(sheet.name, name); }))
      return name;
  }
}

std::size_t IndexOf(const Workbook& book, SheetId id) {
  for (std::size_t i = 0; i < book.sheets.size(); ++i)
    if (book.sheets[i].id == id) return i;
  return 0;
}

// NEW([type_num], [xy_series], [add_logical]): a new workbook, made active, whose one sheet is
// of the kind asked for: 1 (or omitted) or 5 a worksheet, 2 a chart, 3 and 4 a macro sheet, 6 a
// Visual Basic module. kvhost keeps the sheet's name only. Answers TRUE.
template <class Oper> int New(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 3) return xlretInvCount;
  double type = 1;
  if (Given(args, 0)) {
    const auto asked = BaseType(*args[0]) == xltypeStr ? std::nullopt : NumberOf(*args[0]);
    if (!asked) return xlretFailed;
    type = std::trunc(*asked);
  }
  static const char* const kFirstSheet[] = {"Sheet1", "Chart1", "Macro1",
                                            "Macro1", "Sheet1", "Module1"};
  if (type < 1 || type > 6) return xlretFailed;
  host.app().NewWorkbook(kFirstSheet[static_cast<int>(type) - 1]);
  SetBoolean(result, true);
  return xlretSuccess;
}

// CLOSE([save_logical], [route_logical]): closes the active workbook; kvhost saves nothing on
// closing whatever save_logical says. It keeps one workbook open: closing the last one fails.
template <class Oper> int Close(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 2) return xlretInvCount;
  if (!host.app().CloseActiveWorkbook()) return xlretFailed;
  SetBoolean(result, true);
  return xlretSuccess;
}

// ACTIVATE([window_text], [pane_num]): with no window, the active window stays active; a
// window is named after its workbook ("Book2", or "Book2:1" for its first window). A window
// that is not open fails the command.
template <class Oper> int Activate(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 2) return xlretInvCount;
  if (Given(args, 0)) {
    const auto window = Utf8Text(*args[0]);
    if (!window) return xlretFailed;
    const std::string book = window->substr(0, window->rfind(':'));
    if (!host.app().ActivateWorkbook(book)) return xlretFailed;
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

// ECHO([logical]): screen updating on or off; omitted, it switches. Answers TRUE.
template <class Oper> int Echo(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 1) return xlretInvCount;
  bool& updating = host.app().screen_updating;
  if (Given(args, 0)) {
    const auto flag = BaseType(*args[0]) == xltypeStr ? std::nullopt : NumberOf(*args[0]);
    if (!flag) return xlretFailed;
    updating = *flag != 0;
  } else {
    updating = !updating;
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

// MESSAGE(logical, [text]): TRUE shows the text in the status bar (an omitted text blanks it);
// FALSE gives the status bar back to Excel. kvhost keeps the text and prints each one shown as
// `[Status] text` on standard error, so that a long run shows its progress. Answers TRUE.
template <class Oper> int Message(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  std::optional<bool> show;
  if (const int code = ReadBoolean(args, 0, show)) return code;
  if (!show) return xlretFailed;
  std::optional<std::string> text;
  if (const int code = ReadText(args, 1, text)) return code;
  if (*show)
    host.ShowStatus(text.value_or(std::string{}));
  else
    host.ClearStatus();
  SetBoolean(result, true);
  return xlretSuccess;
}

// WORKBOOK.NAME(oldname_text, newname_text): renames a sheet of the active workbook ("[Book]Sheet"
// names one of another book); the old name omitted renames the active sheet. A name Excel would
// not take, or one another sheet of the book has (whatever the case), fails and changes nothing.
template <class Oper> int RenameSheet(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  std::optional<std::string> old_name, new_name;
  if (int code = ReadText(args, 0, old_name)) return code;
  if (int code = ReadText(args, 1, new_name)) return code;
  Application& app = host.app();
  std::optional<NamedSheet> target =
      old_name ? FindNamedSheet(app, *old_name)
               : NamedSheet{&app.ActiveWorkbook(), app.ActiveWorkbook().active_sheet};
  if (!target || !new_name || !ValidSheetName(*new_name)) return xlretFailed;
  for (std::size_t i = 0; i < target->book->sheets.size(); ++i)
    if (i != target->index && SameSheetName(target->book->sheets[i].name, *new_name))
      return xlretFailed;
  target->sheet().name = *new_name;
  SetBoolean(result, true);
  return xlretSuccess;
}

// OPTIONS.VIEW(formula, status, notes, show_info, object_num, page_breaks, formulas, gridlines,
// color_num, headers, outline, zeros, hor_scroll, vert_scroll, sheet_tabs): kvhost keeps the
// gridlines of the active worksheet; any other option given is refused rather than dropped.
template <class Oper> int OptionsView(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 15) return xlretInvCount;
  std::optional<bool> gridlines;
  if (int code = RefuseGiven(args, 0, 6)) return code;
  if (int code = ReadBoolean(args, 7, gridlines)) return code;
  if (int code = RefuseGiven(args, 8, 14)) return code;
  Sheet& sheet = host.app().ActiveSheet();
  if (gridlines) {
    if (sheet.kind != SheetKind::Worksheet) return xlretFailed; // a chart has no cell gridlines
    sheet.show_gridlines = *gridlines;
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

// WORKBOOK.INSERT(type_num): a new worksheet "Sheet<n>" (1, the default) or chart sheet
// "Chart<n>" (2), put to the left of the active sheet and made active. A new chart is an empty
// column chart with a legend and the value axis' major gridlines, as Excel's default chart is;
// macro sheets, modules and dialog sheets (3, 4, 6, 7) are not kept by kvhost: refused.
template <class Oper> int InsertSheet(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 1) return xlretInvCount;
  std::optional<int> type;
  if (int code = ReadInteger(args, 0, type, 1, 7)) return code;
  if (type.value_or(1) > 2) return xlretFailed;
  Application& app = host.app();
  Workbook& book = app.ActiveWorkbook();
  const bool chart = type.value_or(1) == 2;
  Sheet sheet(0, FreeSheetName(book, chart ? "Chart" : "Sheet"));
  if (chart) {
    sheet.kind = SheetKind::Chart;
    sheet.chart = Chart{};
  }
  const std::size_t position = book.active_sheet;
  app.InsertSheet(position, std::move(sheet));
  app.ActivateSheet(position);
  SetBoolean(result, true);
  return xlretSuccess;
}

// GET.DOCUMENT(type_num, name_text) with type 88: the name of the active workbook, or of the
// workbook `name_text` names ("Book2", or a sheet "[Book2]Sheet1"), #VALUE! for none open. A
// text given back with xlFree. kvhost answers no other type_num: refused rather than made up.
template <class Oper> int GetDocument(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  std::optional<int> type;
  std::optional<std::string> name;
  if (int code = ReadInteger(args, 0, type, 1, 88)) return code;
  if (int code = ReadText(args, 1, name)) return code;
  if (type != 88) return xlretFailed;
  const Workbook* book = &host.app().ActiveWorkbook();
  if (name) {
    std::string_view wanted = *name;
    if (!wanted.empty() && wanted.front() == '[') wanted = wanted.substr(1, wanted.find(']') - 1);
    book = host.app().FindWorkbook(wanted);
    if (book == nullptr) {
      SetError(result, xlerrValue);
      return xlretSuccess;
    }
  }
  SetText(host, result, book->name);
  return xlretSuccess;
}

// WORKBOOK.MOVE(name_array, dest_book, position_num): moves sheets (a name, or an array of names)
// to position `position_num` (counted from 1) of their own workbook, or to the end when it is
// omitted; the active sheet stays active. Moving to another workbook, or to a new one (dest_book
// omitted), is not done by kvhost: refused.
template <class Oper> int MoveSheets(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 3) return xlretInvCount;
  Application& app = host.app();
  std::vector<std::string> names;
  if (Given(args, 0) && BaseType(*args[0]) == xltypeMulti) {
    const auto& array = args[0]->val.array;
    const auto count =
        static_cast<std::size_t>(array.rows) * static_cast<std::size_t>(array.columns);
    for (std::size_t k = 0; array.lparray != nullptr && k < count; ++k) {
      auto name = Utf8Text(array.lparray[k]);
      if (!name) return xlretFailed;
      names.push_back(*name);
    }
  } else {
    std::optional<std::string> name;
    if (int code = ReadText(args, 0, name)) return code;
    if (name) names.push_back(*name);
  }
  std::optional<std::string> destination;
  std::optional<int> position;
  if (int code = ReadText(args, 1, destination)) return code;
  if (int code = ReadInteger(args, 2, position, 1, 255)) return code;
  if (names.empty() || !destination) return xlretFailed;

  std::vector<SheetId> moving;
  Workbook* book = nullptr;
  for (const std::string& name : names) {
    const auto found = FindNamedSheet(app, name);
    if (!found || (book != nullptr && found->book != book)) return xlretFailed;
    book = found->book;
    moving.push_back(found->sheet().id);
  }
  if (!SameSheetName(book->name, *destination)) return xlretFailed;

  const SheetId active = book->sheets[book->active_sheet].id;
  std::vector<Sheet> moved;
  for (SheetId id : moving) {
    const std::size_t at = IndexOf(*book, id);
    moved.push_back(std::move(book->sheets[at]));
    book->sheets.erase(book->sheets.begin() + static_cast<std::ptrdiff_t>(at));
  }
  const std::size_t to = std::min<std::size_t>(position ? static_cast<std::size_t>(*position - 1)
                                                        : book->sheets.size(),
                                               book->sheets.size());
  book->sheets.insert(book->sheets.begin() + static_cast<std::ptrdiff_t>(to),
                      std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
  book->active_sheet = IndexOf(*book, active);
  SetBoolean(result, true);
  return xlretSuccess;
}

// WORKBOOK.ACTIVATE(sheet_name, ungroup_logical): makes the named sheet ("Sheet" of the active
// workbook, or "[Book]Sheet") the active one, its workbook too. A hidden sheet cannot be
// activated. kvhost groups no sheets, so ungroup_logical changes nothing.
template <class Oper> int ActivateSheet(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  std::optional<std::string> name;
  std::optional<bool> ungroup;
  if (int code = ReadText(args, 0, name)) return code;
  if (int code = ReadBoolean(args, 1, ungroup)) return code;
  if (!name) return xlretFailed;
  const auto found = FindNamedSheet(host.app(), *name);
  if (!found || found->sheet().state != SheetState::Visible) return xlretFailed;
  if (found->book != &host.app().ActiveWorkbook()) host.app().ActivateWorkbook(found->book->name);
  host.app().ActivateSheet(found->index);
  SetBoolean(result, true);
  return xlretSuccess;
}

// WORKBOOK.HIDE(sheet_text, very_hidden): hides the named sheet (the active one when omitted);
// very_hidden TRUE leaves it out of the Unhide dialog. The last visible sheet of a workbook
// cannot be hidden. When the active sheet is hidden, kvhost activates the nearest visible sheet
// to its right, else to its left (which one Excel picks is not documented).
template <class Oper> int HideSheet(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 2) return xlretInvCount;
  std::optional<std::string> name;
  std::optional<bool> very_hidden;
  if (int code = ReadText(args, 0, name)) return code;
  if (int code = ReadBoolean(args, 1, very_hidden)) return code;
  Application& app = host.app();
  const std::optional<NamedSheet> target =
      name ? FindNamedSheet(app, *name)
           : NamedSheet{&app.ActiveWorkbook(), app.ActiveWorkbook().active_sheet};
  if (!target) return xlretFailed;
  std::vector<Sheet>& sheets = target->book->sheets;
  const auto visible = [&](std::size_t i) {
    return i != target->index && sheets[i].state == SheetState::Visible;
  };
  std::optional<std::size_t> next;
  for (std::size_t i = target->index + 1; !next && i < sheets.size(); ++i)
    if (visible(i)) next = i;
  for (std::size_t i = target->index; !next && i-- > 0;)
    if (visible(i)) next = i;
  if (!next) return xlretFailed; // no other sheet would stay visible
  target->sheet().state = very_hidden.value_or(false) ? SheetState::VeryHidden : SheetState::Hidden;
  if (target->book->active_sheet == target->index) {
    if (target->book == &app.ActiveWorkbook())
      app.ActivateSheet(*next);
    else
      target->book->active_sheet = *next;
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

} // namespace

void AddWorkbookCommands(HandlerTable& table) {
  table[xlcNew] = KV_HANDLER(New);
  table[xlcClose] = KV_HANDLER(Close);
  table[xlcActivate] = KV_HANDLER(Activate);
  table[xlcEcho] = KV_HANDLER(Echo);
  table[xlcMessage] = KV_HANDLER(Message);
  table[xlcWorkbookName] = KV_HANDLER(RenameSheet);
  table[xlcOptionsView] = KV_HANDLER(OptionsView);
  table[xlcWorkbookInsert] = KV_HANDLER(InsertSheet);
  table[xlfGetDocument] = KV_HANDLER(GetDocument);
  table[xlcWorkbookMove] = KV_HANDLER(MoveSheets);
  table[xlcWorkbookActivate] = KV_HANDLER(ActivateSheet);
  table[xlcWorkbookHide] = KV_HANDLER(HideSheet);
}

} // namespace kvhost
