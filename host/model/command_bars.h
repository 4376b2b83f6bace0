// Excel's menu bars and toolbars as the add-in sees them through the menu and toolbar macro
// functions: the worksheet menu bar (10) with Excel's own menus in the interface language, the
// menus and submenus added to it, and the toolbars with their tools, faces and visibility.
// Texts are UTF-8 and keep their access-key ampersands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvhost {

// The language of Excel's own interface: the captions of its menus and toolbars.
enum class InterfaceLanguage { English, Portuguese };

// Excel finds menus and commands by name the way a person reads them: without the access-key
// ampersand ("&&" stands for one '&') and without regard to case (code page 1252 letters,
// accented ones included). An ellipsis is part of the name.
std::string MenuTextKey(std::string_view utf8);
bool SameMenuText(std::string_view a, std::string_view b);

// Toolbar names are compared without regard to case; they have no access keys.
bool SameToolbarName(std::string_view a, std::string_view b);

struct MenuItem {
  std::string text; // "-" a separator line
  std::string command;
  std::string shortcut; // the Macintosh shortcut column of a menu description
  std::string status_text;
  std::string help;
  bool checked = false;
  bool is_submenu = false;
  std::vector<MenuItem> items; // a submenu's commands

  bool IsSeparator() const { return text == "-"; }
};

// Where a command sits inside a menu (or a submenu): before the command at a 1-based position,
// before the command of that name, or before the n-th separator ("-", "--", ...).
struct ItemPosition {
  std::optional<double> number;
  std::optional<std::string> name;
};

// The 0-based index of the command of a menu or submenu that `position` names, or nothing. A
// number must lie in 1..items (separators count); a name is a command's name, or hyphens
// counting separators.
std::optional<std::size_t> FindCommand(const std::vector<MenuItem>& items,
                                       const ItemPosition& position);
// Where a command inserted at `position` goes: as FindCommand, but a number past the last
// command means the end.
std::optional<std::size_t> CommandInsertionPoint(const std::vector<MenuItem>& items,
                                                 const ItemPosition& position);

struct Menu {
  std::string name;
  std::string status_text;
  std::string help;
  std::vector<MenuItem> items;
  bool built_in = false;
};

struct MenuBar {
  int id = 0;
  std::vector<Menu> menus;

  // The 0-based index of the menu named `name` (the first one, as names may repeat).
  std::optional<std::size_t> FindMenu(std::string_view name) const;
  // The same for a menu given by name or by 1-based position.
  std::optional<std::size_t> FindMenu(const ItemPosition& menu) const;
};

// A picture pasted onto a tool: 0xAARRGGBB pixels, top row first.
struct ToolFace {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

struct Tool {
  double id = 0;       // 0 a gap; 201-231 custom buttons; other numbers built-in buttons
  std::string id_name; // a custom button named by a text instead of a number
  std::string command;
  bool down = false;
  bool enabled = true;
  std::string face; // a picture object named by the description (not pasted)
  std::string status_text;
  std::string balloon_text;
  std::string help_topic;
  std::string tip_text;
  std::optional<ToolFace> pasted_face;

  bool IsGap() const { return id_name.empty() && id == 0; }
};

enum class Dock { Top = 1, Left = 2, Right = 3, Bottom = 4, Floating = 5 };

struct Toolbar {
  std::string name;
  int built_in_number = 0; // Excel's own toolbars have a number (1 Standard, 2 Formatting)
  std::vector<Tool> tools;
  bool visible = false; // a new toolbar stays hidden until SHOW.TOOLBAR
  Dock dock = Dock::Top;
  std::optional<double> x;
  std::optional<double> y;
  std::optional<double> width;
  int protection = 0; // 0 none .. 4 cannot be moved at all

  bool BuiltIn() const { return built_in_number != 0; }
};

class CommandBars {
public:
  explicit CommandBars(InterfaceLanguage language = InterfaceLanguage::English);

  InterfaceLanguage language() const { return language_; }

  MenuBar* FindBar(int id);
  const MenuBar* FindBar(int id) const;

  // Excel's own menu of the worksheet menu bar called `name` in the interface language (a
  // deleted one can be put back by name); null when it has no such menu.
  const Menu* BuiltInMenu(std::string_view name) const;

  // A toolbar by name, or an Excel toolbar by its number.
  Toolbar* FindToolbar(std::string_view name);
  Toolbar* FindToolbar(int built_in_number);
  const std::vector<Toolbar>& Toolbars() const { return toolbars_; }
  // Adds a toolbar, hidden; false (nothing added) when one of that name exists.
  bool AddToolbar(Toolbar toolbar);
  // Deletes a custom toolbar; false when there is none of that name or it is one of Excel's.
  bool DeleteToolbar(std::string_view name);

  // The application-wide toolbar options SHOW.TOOLBAR sets.
  bool tool_tips = true;
  bool large_buttons = false;
  bool color_buttons = true;

private:
  InterfaceLanguage language_;
  std::vector<MenuBar> bars_;
  std::vector<Menu> built_in_menus_;
  std::vector<Toolbar> toolbars_;
};

} // namespace kvhost
