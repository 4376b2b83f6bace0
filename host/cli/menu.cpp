// kvhost menu and kvhost command: the menu bar and toolbar the add-in built, and its commands
// run as a click on them runs them.
#include <iostream>
#include <map>
#include <sstream>

#include "../excel/addin.h"
#include "../excel/command_macro.h"
#include "../io/toolbar_picture.h"
#include "../ui/dialog_driver.h"
#include "commands.h"
#include "settings_store.h"

namespace kvhost {
namespace {

constexpr int kWorksheetMenuBar = 10;
constexpr const char* kAddInMenu = "&Kavenlor";
constexpr const char* kAddInToolbar = "Kavenlor";

std::string Quoted(const std::string& text) {
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return quoted;
}

std::string Number(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

const MenuBar& WorksheetBar(ExcelHost& host) {
  return *host.app().Bars().FindBar(kWorksheetMenuBar);
}

void PrintBar(const MenuBar& bar) {
  std::cout << "Menu bar " << bar.id << ':';
  for (const Menu& menu : bar.menus)
    std::cout << ' ' << Quoted(menu.name);
  std::cout << '\n';
}

// One command line: its number in the menu, its text, the macro it runs, its status-bar text
// and its check mark.
void PrintItem(const MenuItem& item, const std::string& number, const std::string& indent) {
  std::cout << indent << number << ' ';
  if (item.IsSeparator()) {
    std::cout << "----\n";
    return;
  }
  std::cout << (item.is_submenu ? "submenu " : "") << Quoted(item.text);
  if (!item.is_submenu) std::cout << " runs " << item.command;
  if (!item.status_text.empty()) std::cout << "; status " << Quoted(item.status_text);
  if (item.checked) std::cout << "; checked";
  std::cout << '\n';
  for (std::size_t i = 0; i < item.items.size(); ++i)
    PrintItem(item.items[i], number + "." + std::to_string(i + 1), indent + "    ");
}

void PrintMenu(const Menu& menu, std::size_t position) {
  std::cout << "Menu " << Quoted(menu.name) << " at position " << position;
  if (!menu.status_text.empty()) std::cout << "; status " << Quoted(menu.status_text);
  std::cout << '\n';
  for (std::size_t i = 0; i < menu.items.size(); ++i) {
    std::string number = std::to_string(i + 1);
    PrintItem(menu.items[i], std::string(number.size() < 2 ? 1 : 0, ' ') + number, "  ");
  }
}

const char* DockName(Dock dock) {
  switch (dock) {
  case Dock::Top: return "docked at the top";
  case Dock::Left: return "docked on the left";
  case Dock::Right: return "docked on the right";
  case Dock::Bottom: return "docked at the bottom";
  case Dock::Floating: return "floating";
  }
  return "";
}

void PrintToolbar(const Toolbar& toolbar) {
  std::cout << "Toolbar " << Quoted(toolbar.name) << ": " << (toolbar.visible ? "shown" : "hidden")
            << "; " << DockName(toolbar.dock);
  if (toolbar.x) std::cout << ", x " << Number(*toolbar.x);
  if (toolbar.y) std::cout << ", y " << Number(*toolbar.y);
  if (toolbar.width) std::cout << ", width " << Number(*toolbar.width);
  std::cout << "; protection " << toolbar.protection << '\n';
  for (std::size_t i = 0; i < toolbar.tools.size(); ++i) {
    const Tool& tool = toolbar.tools[i];
    std::cout << (i + 1 < 10 ? "   " : "  ") << i + 1 << ' ';
    if (tool.IsGap()) {
      std::cout << "gap\n";
      continue;
    }
    std::cout << "button " << (tool.id_name.empty() ? Number(tool.id) : Quoted(tool.id_name))
              << " runs " << tool.command << "; tip " << Quoted(tool.tip_text) << "; status "
              << Quoted(tool.status_text);
    if (tool.down) std::cout << "; pressed";
    if (!tool.enabled) std::cout << "; disabled";
    if (tool.pasted_face)
      std::cout << "; picture " << tool.pasted_face->width << 'x' << tool.pasted_face->height;
    else
      std::cout << "; no picture";
    std::cout << '\n';
  }
}

// The add-in's menus (a second one shows when something added it twice) and its toolbar.
void PrintAddInBars(ExcelHost& host) {
  const MenuBar& bar = WorksheetBar(host);
  PrintBar(bar);
  bool found = false;
  for (std::size_t i = 0; i < bar.menus.size(); ++i) {
    if (!SameMenuText(bar.menus[i].name, kAddInMenu)) continue;
    std::cout << '\n';
    PrintMenu(bar.menus[i], i + 1);
    found = true;
  }
  if (!found) std::cout << "\nNo \"Kavenlor\" menu on bar " << kWorksheetMenuBar << ".\n";
  std::cout << '\n';
  if (const Toolbar* toolbar = host.app().Bars().FindToolbar(kAddInToolbar))
    PrintToolbar(*toolbar);
  else
    std::cout << "No \"Kavenlor\" toolbar.\n";
  std::cout << "Tool tips " << (host.app().Bars().tool_tips ? "shown" : "not shown") << '\n';
}

// What a command may change that a person would see.
struct Snapshot {
  std::vector<std::string> menus;
  std::map<std::string, bool> toolbars;
  std::map<std::string, bool> check_marks; // "menu > command [> command]"
  std::map<std::string, StoredValue> settings;
};

void CollectChecks(const std::vector<MenuItem>& items, const std::string& path,
                   std::map<std::string, bool>& checks) {
  for (const MenuItem& item : items) {
    if (item.IsSeparator()) continue;
    const std::string here = path + " > " + Quoted(item.text);
    if (item.is_submenu)
      CollectChecks(item.items, here, checks);
    else
      checks[here] = item.checked;
  }
}

Snapshot Take(ExcelHost& host) {
  Snapshot snapshot;
  for (const Menu& menu : WorksheetBar(host).menus) {
    snapshot.menus.push_back(menu.name);
    CollectChecks(menu.items, Quoted(menu.name), snapshot.check_marks);
  }
  for (const Toolbar& toolbar : host.app().Bars().Toolbars())
    snapshot.toolbars[Quoted(toolbar.name)] = toolbar.visible;
  snapshot.settings = host.addin() != nullptr ? host.addin()->ReadSettings() : ReadStoredSettings();
  return snapshot;
}

template <typename Value, typename Describe>
int PrintChanges(const std::string& what, const std::map<std::string, Value>& before,
                 const std::map<std::string, Value>& after, Describe describe) {
  int changes = 0;
  auto describe_or = [&](const std::map<std::string, Value>& map, const std::string& key) {
    const auto found = map.find(key);
    return found == map.end() ? std::string("(none)") : describe(found->second);
  };
  std::map<std::string, bool> keys;
  for (const auto& entry : before)
    keys[entry.first] = true;
  for (const auto& entry : after)
    keys[entry.first] = true;
  for (const auto& [key, unused] : keys) {
    const std::string old_value = describe_or(before, key);
    const std::string new_value = describe_or(after, key);
    if (old_value == new_value) continue;
    std::cout << what << ' ' << key << ": " << old_value << " -> " << new_value << '\n';
    ++changes;
  }
  return changes;
}

// With --lang the add-in's settings are a copy made for the run: its changes are shown, and
// said to be lost.
void PrintDifferences(const Snapshot& before, const Snapshot& after, bool settings_are_a_copy) {
  int changes = 0;
  if (before.menus != after.menus) {
    auto list = [](const std::vector<std::string>& menus) {
      std::string text;
      for (const std::string& menu : menus) {
        if (!text.empty()) text += ' ';
        text += Quoted(menu);
      }
      return text;
    };
    std::cout << "Menus on bar " << kWorksheetMenuBar << ": " << list(before.menus) << " -> "
              << list(after.menus) << '\n';
    ++changes;
  }
  changes += PrintChanges("Toolbar", before.toolbars, after.toolbars,
                          [](bool shown) { return std::string(shown ? "shown" : "hidden"); });
  changes += PrintChanges("Check mark on", before.check_marks, after.check_marks,
                          [](bool checked) { return std::string(checked ? "on" : "off"); });
  const int settings = PrintChanges("Setting", before.settings, after.settings, DescribeValue);
  if (settings > 0 && settings_are_a_copy)
    std::cout
        << "(--lang made these settings a copy for this run: the stored ones are unchanged)\n";
  changes += settings;
  if (changes == 0) std::cout << "Nothing changed.\n";
}

} // namespace

int RunMenu(const Options& options, bool close, const std::string& toolbar_picture) {
  ExcelHost host;
  DialogDriver dialogs(DialogModeOf(options), std::cout, std::cin);
  dialogs.Install();
  auto addin = LoadAddIn(host, options);
  if (!addin) return kExitUsage;
  ArmCallFaults();
  addin->Open();
  PrintAddInBars(host);
  if (!toolbar_picture.empty()) {
    const Toolbar* toolbar = host.app().Bars().FindToolbar(kAddInToolbar);
    std::string error = "the add-in built no \"Kavenlor\" toolbar";
    if (toolbar == nullptr || !WriteToolbarPicture(*toolbar, toolbar_picture, 3, error)) {
      std::cerr << "kvhost: " << error << '\n';
      return kExitUsage;
    }
  }
  if (close) {
    addin->Close();
    const bool menu_gone = !WorksheetBar(host).FindMenu(kAddInMenu);
    const bool toolbar_gone = host.app().Bars().FindToolbar(kAddInToolbar) == nullptr;
    std::cout << "\nAfter xlAutoClose:\n";
    PrintBar(WorksheetBar(host));
    std::cout << (menu_gone ? "No \"Kavenlor\" menu" : "The \"Kavenlor\" menu is still there")
              << " on bar " << kWorksheetMenuBar << "; "
              << (toolbar_gone ? "no \"Kavenlor\" toolbar"
                               : "the \"Kavenlor\" toolbar is still there")
              << ".\n";
  }
  return kExitDone;
}

int RunCommand(const Options& options, const std::string& name) {
  ExcelHost host;
  DialogDriver dialogs(DialogModeOf(options), std::cout, std::cin);
  dialogs.Install();
  auto addin = LoadAddIn(host, options);
  if (!addin) return kExitUsage;
  addin->Open();

  const Snapshot before = Take(host);
  const std::size_t alerts = host.app().Alerts().size();
  std::string problem;
  ArmCallFaults();
  if (!RunCommandMacro(host, name, problem)) {
    std::cerr << "kvhost: " << problem << '\n';
    return kExitUsage;
  }
  std::cout << "Ran " << name << '\n';
  PrintDifferences(before, Take(host), !options.lang.empty());
  std::cout.flush();
  if (dialogs.Refused()) return kExitUsage;
  return host.app().ErrorShownSince(alerts) ? kExitCommandFailed : kExitDone;
}

} // namespace kvhost
