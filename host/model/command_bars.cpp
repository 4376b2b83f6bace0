#include "command_bars.h"

#include <algorithm>

#include "kvplatform/ansi.h"

namespace kvhost {
namespace {

std::string FoldAnsi(std::string_view utf8) {
  return kvp::FoldAnsiCase(kvp::Utf8ToAnsi(utf8));
}

// A text made only of hyphens names the separator it counts: "-" the first, "--" the second.
std::optional<std::size_t> SeparatorNumber(std::string_view text) {
  if (text.empty() || text.find_first_not_of('-') != std::string_view::npos) return std::nullopt;
  return text.size();
}

// Excel's worksheet menu bar. The captions and access keys are those of the Excel 97-2003
// menus in each language; kvhost keeps the menus, not the commands inside them.
std::vector<Menu> WorksheetMenus(InterfaceLanguage language) {
  static const char* const kEnglish[] = {"&File",  "&Edit", "&View",   "&Insert", "F&ormat",
                                         "&Tools", "&Data", "&Window", "&Help"};
  static const char* const kPortuguese[] = {"&Arquivo", "&Editar",   "E&xibir",
                                            "&Inserir", "F&ormatar", "Ferramen&tas",
                                            "&Dados",   "&Janela",   "Aj&uda"};
  std::vector<Menu> menus;
  for (const char* name : language == InterfaceLanguage::English ? kEnglish : kPortuguese) {
    Menu menu;
    menu.name = name;
    menu.built_in = true;
    menus.push_back(std::move(menu));
  }
  return menus;
}

std::vector<Toolbar> ExcelToolbars(InterfaceLanguage language) {
  const bool english = language == InterfaceLanguage::English;
  std::vector<Toolbar> toolbars(2);
  toolbars[0].name = english ? "Standard" : "Padrão";
  toolbars[1].name = english ? "Formatting" : "Formatação";
  for (std::size_t i = 0; i < toolbars.size(); ++i) {
    toolbars[i].built_in_number = static_cast<int>(i + 1);
    toolbars[i].visible = true;
  }
  return toolbars;
}

} // namespace

std::string MenuTextKey(std::string_view utf8) {
  std::string plain;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '&') {
      plain += utf8[i];
    } else if (i + 1 < utf8.size() && utf8[i + 1] == '&') {
      plain += '&';
      ++i;
    }
  }
  return FoldAnsi(plain);
}

bool SameMenuText(std::string_view a, std::string_view b) {
  return MenuTextKey(a) == MenuTextKey(b);
}

bool SameToolbarName(std::string_view a, std::string_view b) {
  return FoldAnsi(a) == FoldAnsi(b);
}

std::optional<std::size_t> FindCommand(const std::vector<MenuItem>& items,
                                       const ItemPosition& position) {
  if (position.number) {
    const double n = *position.number;
    if (n < 1 || n > static_cast<double>(items.size())) return std::nullopt;
    return static_cast<std::size_t>(n) - 1;
  }
  if (!position.name) return std::nullopt;
  if (const auto separator = SeparatorNumber(*position.name)) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].IsSeparator() && ++seen == *separator) return i;
    return std::nullopt;
  }
  const std::string key = MenuTextKey(*position.name);
  for (std::size_t i = 0; i < items.size(); ++i)
    if (!items[i].IsSeparator() && MenuTextKey(items[i].text) == key) return i;
  return std::nullopt;
}

std::optional<std::size_t> CommandInsertionPoint(const std::vector<MenuItem>& items,
                                                 const ItemPosition& position) {
  if (position.number && *position.number > static_cast<double>(items.size())) return items.size();
  return FindCommand(items, position);
}

std::optional<std::size_t> MenuBar::FindMenu(std::string_view name) const {
  const std::string key = MenuTextKey(name);
  for (std::size_t i = 0; i < menus.size(); ++i)
    if (MenuTextKey(menus[i].name) == key) return i;
  return std::nullopt;
}

std::optional<std::size_t> MenuBar::FindMenu(const ItemPosition& menu) const {
  if (menu.number) {
    const double n = *menu.number;
    if (n < 1 || n > static_cast<double>(menus.size())) return std::nullopt;
    return static_cast<std::size_t>(n) - 1;
  }
  if (menu.name) return FindMenu(*menu.name);
  return std::nullopt;
}

CommandBars::CommandBars(InterfaceLanguage language)
    : language_(language), built_in_menus_(WorksheetMenus(language)),
      toolbars_(ExcelToolbars(language)) {
  bars_.push_back(MenuBar{10, built_in_menus_});
}

MenuBar* CommandBars::FindBar(int id) {
  for (MenuBar& bar : bars_)
    if (bar.id == id) return &bar;
  return nullptr;
}

const MenuBar* CommandBars::FindBar(int id) const {
  return const_cast<CommandBars*>(this)->FindBar(id);
}

const Menu* CommandBars::BuiltInMenu(std::string_view name) const {
  for (const Menu& menu : built_in_menus_)
    if (SameMenuText(menu.name, name)) return &menu;
  return nullptr;
}

Toolbar* CommandBars::FindToolbar(std::string_view name) {
  for (Toolbar& toolbar : toolbars_)
    if (SameToolbarName(toolbar.name, name)) return &toolbar;
  return nullptr;
}

Toolbar* CommandBars::FindToolbar(int built_in_number) {
  for (Toolbar& toolbar : toolbars_)
    if (toolbar.built_in_number == built_in_number) return &toolbar;
  return nullptr;
}

bool CommandBars::AddToolbar(Toolbar toolbar) {
  if (toolbar.name.empty() || FindToolbar(toolbar.name) != nullptr) return false;
  toolbar.built_in_number = 0;
  toolbars_.push_back(std::move(toolbar));
  return true;
}

bool CommandBars::DeleteToolbar(std::string_view name) {
  const auto found = std::find_if(toolbars_.begin(), toolbars_.end(),
                                  [&](const Toolbar& t) { return SameToolbarName(t.name, name); });
  if (found == toolbars_.end() || found->BuiltIn()) return false;
  toolbars_.erase(found);
  return true;
}

} // namespace kvhost
