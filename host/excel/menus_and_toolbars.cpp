// Menus and toolbars: GET.BAR, ADD.MENU, CHECK.COMMAND, DELETE.MENU, GET.TOOLBAR,
// ADD.TOOLBAR, SHOW.TOOLBAR, PASTE.TOOL and DELETE.TOOLBAR on the model's command bars.
//
// The macro functions among them report a refusal as an error value with the call itself
// succeeding, as Excel's macro functions do (DELETE.MENU's "#VALUE!" for a missing menu);
// the two commands (SHOW.TOOLBAR, PASTE.TOOL) report theirs as a failed command (32).
#include "excel_host.h"
#include "kvplatform/ansi.h"
#include "kvplatform/bitmap.h"
#include "values.h"

namespace kvhost {
namespace {

constexpr int kWorksheetMenuBar = 10;

// A menu, a command or a toolbar named by a text or given by its 1-based position.
template <class Oper> std::optional<ItemPosition> NameOrNumber(const Oper& value) {
  if (BaseType(value) == xltypeStr) return ItemPosition{std::nullopt, Utf8Text(value)};
  switch (BaseType(value)) {
  case xltypeNum:
  case xltypeInt: return ItemPosition{NumberOf(value), std::nullopt};
  default: return std::nullopt;
  }
}

template <class Oper> bool Given(ArgumentsOf<Oper> args, std::size_t index) {
  return index < args.size() && !IsOmitted(*args[index]);
}

template <class Oper> MenuBar* FindBar(ExcelHost& host, const Oper& bar_number) {
  const auto number = NumberOf(bar_number);
  if (!number || BaseType(bar_number) == xltypeStr) return nullptr;
  return host.app().Bars().FindBar(static_cast<int>(*number));
}

template <class Oper> Toolbar* FindToolbar(ExcelHost& host, const Oper& bar_id) {
  if (BaseType(bar_id) == xltypeStr) return host.app().Bars().FindToolbar(*Utf8Text(bar_id));
  const auto number = NumberOf(bar_id);
  if (!number || BaseType(bar_id) == xltypeBool) return nullptr;
  return host.app().Bars().FindToolbar(static_cast<int>(*number));
}

// One cell of a menu or tool description as text; nothing for an error value or a reference.
template <class Oper> std::optional<std::string> CellText(const Oper& cell) {
  switch (BaseType(cell)) {
  case xltypeStr: return Utf8Text(cell);
  case xltypeNum:
  case xltypeInt: return GeneralNumberText(*NumberOf(cell));
  case xltypeBool: return std::string(cell.val.xbool ? "TRUE" : "FALSE");
  case xltypeNil:
  case xltypeMissing: return std::string();
  default: return std::nullopt;
  }
}

// A logical argument or cell: TRUE/FALSE, a number, or the text "TRUE"/"FALSE"; `empty` when
// the cell is empty or the argument omitted.
template <class Oper>
std::optional<bool> Logical(const Oper& value, std::optional<bool> empty = std::nullopt) {
  switch (BaseType(value)) {
  case xltypeBool: return value.val.xbool != 0;
  case xltypeNum:
  case xltypeInt: return *NumberOf(value) != 0;
  case xltypeStr: {
    const std::string text = *AnsiTextOf(value);
    if (EqualsIgnoringCase(text, "TRUE")) return true;
    if (EqualsIgnoringCase(text, "FALSE")) return false;
    if (text.empty()) return empty;
    return std::nullopt;
  }
  case xltypeNil:
  case xltypeMissing: return empty;
  default: return std::nullopt;
  }
}

// The cells of an array argument, row by row; nothing for anything else (kvhost has no macro
// sheet whose cells a description could be read from).
template <class Oper> struct Table {
  const Oper* cells = nullptr;
  std::size_t rows = 0;
  std::size_t columns = 0;
  const Oper& At(std::size_t row, std::size_t column) const {
    static constexpr Oper kEmpty = xl::Nil<Oper>();
    return column < columns ? cells[row * columns + column] : kEmpty;
  }
};

template <class Oper> std::optional<Table<Oper>> ReadTable(const Oper& value) {
  if (BaseType(value) != xltypeMulti || value.val.array.lparray == nullptr) return std::nullopt;
  return Table<Oper>{value.val.array.lparray, static_cast<std::size_t>(value.val.array.rows),
                     static_cast<std::size_t>(value.val.array.columns)};
}

// A menu description: row 1 the title (its status text and help in columns 4 and 5), then one
// row per command: text ("-" a separator), macro, Macintosh shortcut, status text, help. Rows
// without a text describe nothing and are passed over. Like Excel, at least two rows and two
// columns.
template <class Oper> std::optional<Menu> ReadMenuDescription(const Table<Oper>& table) {
  if (table.rows < 2 || table.columns < 2) return std::nullopt;
  Menu menu;
  std::vector<std::string> row(5);
  for (std::size_t r = 0; r < table.rows; ++r) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      const auto text = CellText(table.At(r, c));
      if (!text) return std::nullopt;
      row[c] = *text;
    }
    if (r == 0) {
      if (row[0].empty()) return std::nullopt; // a menu needs a title
      menu.name = row[0];
      menu.status_text = row[3];
      menu.help = row[4];
      continue;
    }
    if (row[0].empty()) continue;
    MenuItem item;
    item.text = row[0];
    item.command = row[1];
    item.shortcut = row[2];
    item.status_text = row[3];
    item.help = row[4];
    menu.items.push_back(std::move(item));
  }
  return menu;
}

// GET.BAR() or GET.BAR(bar_num, menu, command, [subcommand]). A menu or command asked for by
// name answers its position, one asked for by number its name (with its ampersand); command 0
// asks about the menu itself. Not found: #N/A.
template <class Oper> int GetBar(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 4) return xlretInvCount;
  if (args.empty()) { // the active menu bar: kvhost shows the worksheet's
    SetNumber(result, kWorksheetMenuBar);
    return xlretSuccess;
  }
  SetError(result, xlerrValue);
  if (args.size() < 3) return xlretSuccess;
  const MenuBar* bar = FindBar(host, *args[0]);
  const auto menu_ref = NameOrNumber(*args[1]);
  const auto command = NameOrNumber(*args[2]);
  const auto subcommand = Given(args, 3) ? NameOrNumber(*args[3]) : std::nullopt;
  if (bar == nullptr || !menu_ref || !command || (Given(args, 3) && !subcommand))
    return xlretSuccess;

  SetError(result, xlerrNA);
  const auto menu = bar->FindMenu(*menu_ref);
  if (!menu) return xlretSuccess;
  if (command->number && *command->number == 0) {
    if (menu_ref->name)
      SetNumber(result, static_cast<double>(*menu + 1));
    else
      SetText(host, result, bar->menus[*menu].name);
    return xlretSuccess;
  }
  const std::vector<MenuItem>& items = bar->menus[*menu].items;
  const auto item = FindCommand(items, *command);
  if (!item) return xlretSuccess;
  const ItemPosition* asked = &*command;
  const std::vector<MenuItem>* list = &items;
  std::size_t found = *item;
  if (subcommand) { // a command of a submenu: the command must be a submenu with commands
    if (!items[*item].is_submenu || items[*item].items.empty()) return xlretSuccess;
    list = &items[*item].items;
    const auto inner = FindCommand(*list, *subcommand);
    if (!inner) return xlretSuccess;
    asked = &*subcommand;
    found = *inner;
  }
  if (asked->name)
    SetNumber(result, static_cast<double>(found + 1));
  else
    SetText(host, result, (*list)[found].text);
  return xlretSuccess;
}

// ADD.MENU(bar_num, menu_ref, [position1], [position2]), in its plain and international forms
// alike (menu positions name the menus of the interface language either way: a Portuguese
// Excel has no "Help" menu to place one before).
//   - position2 omitted: a new menu before position1 (a menu's name or number; omitted or past
//     the last menu: at the end). Answers the new menu's position. A menu of the same name may
//     already be there: Excel adds a second one, which is why add-ins ask GET.BAR first.
//   - position2 given: position1 names the menu and the description becomes a submenu of it,
//     inserted before command position2 (number, separators counted, past the end: at the
//     end; a command's name; "-", "--" the first, second separator). Answers the submenu's
//     command position in its menu (Excel's answer here is not documented).
//   - menu_ref a text: puts back Excel's own menu of that name after a DELETE.MENU.
// Anything it cannot place (a missing menu, a bad description) adds nothing and answers
// #VALUE!.
template <class Oper> int AddMenu(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 4) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.size() < 2) return xlretSuccess;
  MenuBar* bar = FindBar(host, *args[0]);
  if (bar == nullptr) return xlretSuccess;

  std::optional<Menu> menu;
  if (BaseType(*args[1]) == xltypeStr) {
    const Menu* own = host.app().Bars().BuiltInMenu(*Utf8Text(*args[1]));
    if (own == nullptr || bar->FindMenu(own->name)) return xlretSuccess; // not deleted
    menu = *own;
  } else if (const auto table = ReadTable(*args[1])) {
    menu = ReadMenuDescription(*table);
  }
  if (!menu) return xlretSuccess;

  if (!Given(args, 3)) {
    std::size_t at = bar->menus.size();
    if (Given(args, 2)) {
      const auto before = NameOrNumber(*args[2]);
      if (!before) return xlretSuccess;
      if (before->number && *before->number > static_cast<double>(bar->menus.size())) {
        at = bar->menus.size();
      } else {
        const auto found = bar->FindMenu(*before);
        if (!found) return xlretSuccess;
        at = *found;
      }
    }
    bar->menus.insert(bar->menus.begin() + static_cast<std::ptrdiff_t>(at), std::move(*menu));
    SetNumber(result, static_cast<double>(at + 1));
    return xlretSuccess;
  }

  const auto into = Given(args, 2) ? NameOrNumber(*args[2]) : std::nullopt;
  const auto position = NameOrNumber(*args[3]);
  if (!into || !position) return xlretSuccess;
  const auto target = bar->FindMenu(*into);
  if (!target) return xlretSuccess;
  std::vector<MenuItem>& items = bar->menus[*target].items;
  const auto at = CommandInsertionPoint(items, *position);
  if (!at) return xlretSuccess;
  MenuItem submenu;
  submenu.text = menu->name;
  submenu.status_text = menu->status_text;
  submenu.help = menu->help;
  submenu.is_submenu = true;
  submenu.items = std::move(menu->items);
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(*at), std::move(submenu));
  SetNumber(result, static_cast<double>(*at + 1));
  return xlretSuccess;
}

// CHECK.COMMAND(bar_num, menu, command, check, [position]): with position, command names a
// submenu and position the command inside it. Answers TRUE (not documented by Excel); a menu
// or command that is not there: #VALUE!, nothing changed.
template <class Oper> int CheckCommand(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 5) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.size() < 4) return xlretSuccess;
  MenuBar* bar = FindBar(host, *args[0]);
  const auto menu_ref = NameOrNumber(*args[1]);
  const auto command = NameOrNumber(*args[2]);
  const auto check = Logical(*args[3]);
  if (bar == nullptr || !menu_ref || !command || !check) return xlretSuccess;
  const auto menu = bar->FindMenu(*menu_ref);
  if (!menu) return xlretSuccess;
  std::vector<MenuItem>& items = bar->menus[*menu].items;
  const auto item = FindCommand(items, *command);
  if (!item) return xlretSuccess;
  MenuItem* target = &items[*item];
  if (Given(args, 4)) {
    const auto inner_ref = NameOrNumber(*args[4]);
    if (!inner_ref || !target->is_submenu) return xlretSuccess;
    const auto inner = FindCommand(target->items, *inner_ref);
    if (!inner) return xlretSuccess;
    target = &target->items[*inner];
  }
  target->checked = *check;
  SetBoolean(result, true);
  return xlretSuccess;
}

// DELETE.MENU(bar_num, menu, [submenu]): deletes the menu, or the submenu of it that the third
// argument names (by name or command position). Answers TRUE (not documented by Excel); a
// menu or submenu that is not there: #VALUE!, as Excel documents for the menu.
template <class Oper> int DeleteMenu(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 3) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.size() < 2) return xlretSuccess;
  MenuBar* bar = FindBar(host, *args[0]);
  const auto menu_ref = NameOrNumber(*args[1]);
  if (bar == nullptr || !menu_ref) return xlretSuccess;
  const auto menu = bar->FindMenu(*menu_ref);
  if (!menu) return xlretSuccess;
  if (Given(args, 2)) {
    const auto submenu_ref = NameOrNumber(*args[2]);
    std::vector<MenuItem>& items = bar->menus[*menu].items;
    const auto submenu = submenu_ref ? FindCommand(items, *submenu_ref) : std::nullopt;
    if (!submenu || !items[*submenu].is_submenu) return xlretSuccess;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(*submenu));
  } else {
    bar->menus.erase(bar->menus.begin() + static_cast<std::ptrdiff_t>(*menu));
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

// A one-row array answer.
template <class Oper> void SetRow(ExcelHost& host, Oper* result, const std::vector<Oper>& values) {
  if (result == nullptr) return;
  Oper* elements = host.memory().template NewArray<Oper>(1, values.size());
  std::copy(values.begin(), values.end(), elements);
  result->xltype = xltypeMulti;
  result->val.array.lparray = elements;
  result->val.array.rows = 1;
  result->val.array.columns = static_cast<decltype(result->val.array.columns)>(values.size());
}

template <class Oper> Oper TextRecord(ExcelHost& host, const std::string& utf8) {
  Oper x{};
  SetText(host, &x, utf8);
  return x;
}

// GET.TOOLBAR(type_num, [bar_id]). kvhost answers 1 (the tool ids, gaps as 0), 2 and 3 (the
// position SHOW.TOOLBAR gave, 0 when none was), 6 (the dock), 7 (visible), 8 and 9 (the ids
// of all, or of the visible, toolbars: Excel's own by number, the others by name). It keeps no
// sizes and no full-screen layout: 4, 5 and 10 answer #VALUE!, as any other type does. A
// toolbar that does not exist answers #VALUE! (Excel documents only "an error value").
template <class Oper> int GetToolbar(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 2) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.empty()) return xlretSuccess;
  const auto type = NumberOf(*args[0]);
  if (!type || BaseType(*args[0]) == xltypeStr) return xlretSuccess;
  if (*type == 8 || *type == 9) {
    std::vector<Oper> ids;
    for (const Toolbar& toolbar : host.app().Bars().Toolbars())
      if (*type == 8 || toolbar.visible)
        ids.push_back(toolbar.BuiltIn() ? xl::Number<Oper>(toolbar.built_in_number)
                                        : TextRecord<Oper>(host, toolbar.name));
    if (ids.empty())
      SetError(result, xlerrNA);
    else
      SetRow(host, result, ids);
    return xlretSuccess;
  }
  const Toolbar* toolbar = args.size() > 1 ? FindToolbar(host, *args[1]) : nullptr;
  if (toolbar == nullptr) return xlretSuccess;
  switch (static_cast<int>(*type)) {
  case 1: {
    std::vector<Oper> ids;
    for (const Tool& tool : toolbar->tools)
      ids.push_back(tool.id_name.empty() ? xl::Number<Oper>(tool.id)
                                         : TextRecord<Oper>(host, tool.id_name));
    if (ids.empty())
      SetError(result, xlerrNA);
    else
      SetRow(host, result, ids);
    break;
  }
  case 2: SetNumber(result, toolbar->x.value_or(0)); break;
  case 3: SetNumber(result, toolbar->y.value_or(0)); break;
  case 6: SetNumber(result, static_cast<double>(toolbar->dock)); break;
  case 7: SetBoolean(result, toolbar->visible); break;
  default: break;
  }
  return xlretSuccess;
}

// One row of a tool description: tool id (0 a gap, a number or a name), macro, down, enabled,
// face, status text, balloon text, help topic, tip text. The logical cells may hold TRUE/FALSE
// as texts; empty ones mean up and enabled.
template <class Oper> std::optional<Tool> ReadTool(const Table<Oper>& table, std::size_t row) {
  Tool tool;
  const Oper& id = table.At(row, 0);
  if (BaseType(id) == xltypeStr) {
    const std::string text = *Utf8Text(id);
    if (const auto number = NumberOf(id))
      tool.id = *number;
    else if (!text.empty())
      tool.id_name = text;
    else
      return std::nullopt;
  } else if (const auto number = BaseType(id) == xltypeBool ? std::nullopt : NumberOf(id)) {
    tool.id = *number;
  } else {
    return std::nullopt;
  }
  if (tool.id < 0) return std::nullopt;
  if (tool.IsGap()) return tool;
  std::string* texts[] = {&tool.command,    nullptr,           nullptr,
                          &tool.face,       &tool.status_text, &tool.balloon_text,
                          &tool.help_topic, &tool.tip_text};
  for (std::size_t c = 1; c < 9; ++c) {
    if (texts[c - 1] == nullptr) continue;
    const auto text = CellText(table.At(row, c));
    if (!text) return std::nullopt;
    *texts[c - 1] = *text;
  }
  const auto down = Logical(table.At(row, 2), false);
  const auto enabled = Logical(table.At(row, 3), true);
  if (!down || !enabled) return std::nullopt;
  tool.down = *down;
  tool.enabled = *enabled;
  return tool;
}

// ADD.TOOLBAR(bar_name, [tool_ref]): a new toolbar, hidden until SHOW.TOOLBAR, with the tools
// described (an array of rows, or the number of one of Excel's buttons). Answers TRUE (not
// documented by Excel). A toolbar of that name already there, or a description it cannot
// read: #VALUE!, nothing added.
template <class Oper> int AddToolbar(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 2) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.empty() || BaseType(*args[0]) != xltypeStr) return xlretSuccess;
  Toolbar toolbar;
  toolbar.name = *Utf8Text(*args[0]);
  if (Given(args, 1)) {
    if (const auto table = ReadTable(*args[1])) {
      for (std::size_t row = 0; row < table->rows; ++row) {
        auto tool = ReadTool(*table, row);
        if (!tool) return xlretSuccess;
        toolbar.tools.push_back(std::move(*tool));
      }
    } else if (BaseType(*args[1]) == xltypeNum || BaseType(*args[1]) == xltypeInt) {
      Tool button;
      button.id = *NumberOf(*args[1]);
      toolbar.tools.push_back(button);
    } else {
      return xlretSuccess;
    }
  }
  if (!host.app().Bars().AddToolbar(std::move(toolbar))) return xlretSuccess;
  SetBoolean(result, true);
  return xlretSuccess;
}

// SHOW.TOOLBAR(bar_id, visible, [dock], [x_pos], [y_pos], [width], [protect], [tool_tips],
// [large_buttons], [color_buttons]). Omitted arguments keep what is there; the last three are
// application-wide options. Answers TRUE; an unknown toolbar or an argument out of its range
// fails the command and changes nothing.
template <class Oper> int ShowToolbar(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 10) return xlretInvCount;
  if (args.size() < 2) return xlretFailed;
  Toolbar* toolbar = FindToolbar(host, *args[0]);
  const auto visible = Logical(*args[1]);
  if (toolbar == nullptr || !visible) return xlretFailed;
  auto number = [&](std::size_t index, double low, double high) -> std::optional<double> {
    const auto value = NumberOf(*args[index]);
    if (!value || BaseType(*args[index]) == xltypeStr || *value < low || *value > high)
      return std::nullopt;
    return value;
  };
  std::optional<double> dock, x, y, width, protection;
  std::optional<bool> options[3];
  if (Given(args, 2) && !(dock = number(2, 1, 5))) return xlretFailed;
  if (Given(args, 3) && !(x = number(3, 0, 1e6))) return xlretFailed;
  if (Given(args, 4) && !(y = number(4, 0, 1e6))) return xlretFailed;
  if (Given(args, 5) && !(width = number(5, 0, 1e6))) return xlretFailed;
  if (Given(args, 6) && !(protection = number(6, 0, 4))) return xlretFailed;
  for (std::size_t i = 0; i < 3; ++i)
    if (Given(args, 7 + i) && !(options[i] = Logical(*args[7 + i]))) return xlretFailed;

  toolbar->visible = *visible;
  if (dock) toolbar->dock = static_cast<Dock>(static_cast<int>(*dock));
  if (x) toolbar->x = x;
  if (y) toolbar->y = y;
  if (width) toolbar->width = width;
  if (protection) toolbar->protection = static_cast<int>(*protection);
  CommandBars& bars = host.app().Bars();
  if (options[0]) bars.tool_tips = *options[0];
  if (options[1]) bars.large_buttons = *options[1];
  if (options[2]) bars.color_buttons = *options[2];
  SetBoolean(result, true);
  return xlretSuccess;
}

// PASTE.TOOL(bar_id, position): the picture now on the clipboard becomes the face of the tool
// at the 1-based position (gaps count). Answers TRUE. Nothing on the clipboard, no such
// toolbar, a position past its tools or on a gap: the command fails.
template <class Oper> int PasteTool(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 2) return xlretInvCount;
  if (args.size() < 2) return xlretFailed;
  Toolbar* toolbar = FindToolbar(host, *args[0]);
  const auto position = BaseType(*args[1]) == xltypeStr ? std::nullopt : NumberOf(*args[1]);
  if (toolbar == nullptr || !position || *position < 1 ||
      *position > static_cast<double>(toolbar->tools.size()))
    return xlretFailed;
  Tool& tool = toolbar->tools[static_cast<std::size_t>(*position) - 1];
  kvp::Image picture;
  if (tool.IsGap() || !host.TakeClipboardPicture(picture)) return xlretFailed;
  tool.pasted_face = ToolFace{picture.width, picture.height, std::move(picture.pixels)};
  SetBoolean(result, true);
  return xlretSuccess;
}

// DELETE.TOOLBAR(bar_name): TRUE when the custom toolbar is deleted; #VALUE! for Excel's own
// toolbars, as Excel documents, and for a toolbar that does not exist.
template <class Oper> int DeleteToolbar(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 1) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.empty() || BaseType(*args[0]) != xltypeStr) return xlretSuccess;
  if (host.app().Bars().DeleteToolbar(*Utf8Text(*args[0]))) SetBoolean(result, true);
  return xlretSuccess;
}

} // namespace

void AddMenusAndToolbars(HandlerTable& table) {
  table[xlfGetBar] = KV_HANDLER(GetBar);
  table[xlfAddMenu] = KV_HANDLER(AddMenu);
  table[xlfAddMenuIntl] = KV_HANDLER(AddMenu);
  table[xlfCheckCommand] = KV_HANDLER(CheckCommand);
  table[xlfDeleteMenu] = KV_HANDLER(DeleteMenu);
  table[xlfGetToolbar] = KV_HANDLER(GetToolbar);
  table[xlfAddToolbar] = KV_HANDLER(AddToolbar);
  table[xlcShowToolbar] = KV_HANDLER(ShowToolbar);
  table[xlcPasteTool] = KV_HANDLER(PasteTool);
  table[xlfDeleteToolbar] = KV_HANDLER(DeleteToolbar);
}

} // namespace kvhost
