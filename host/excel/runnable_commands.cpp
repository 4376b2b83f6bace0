#include "runnable_commands.h"

#include <cctype>

#include "kvplatform/ansi.h"

namespace kvhost {
namespace {

// The bar the add-in's menus go on.
constexpr int kWorksheetMenuBar = 10;

// Excel matches command names without regard to case.
std::string CommandKey(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

// A byte of a letter or a digit; the bytes of a UTF-8 character beyond ASCII count as a letter's.
bool InWord(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 || std::isalnum(byte) != 0;
}

void CollectItems(const std::vector<MenuItem>& items, std::vector<std::string>& path,
                  std::vector<RunnableCommand>& runnable) {
  for (const MenuItem& item : items) {
    if (item.IsSeparator()) continue;
    path.push_back(item.text);
    if (item.is_submenu)
      CollectItems(item.items, path, runnable);
    else if (!item.command.empty()) // an item that names no macro runs nothing
      runnable.push_back({item.command, path, {}, false});
    path.pop_back();
  }
}

std::string Quoted(const std::string& text) {
  return '"' + text + '"';
}

std::string Describe(const RunnableCommand& entry) {
  std::string text;
  for (const std::string& caption : entry.menu_path)
    text += (text.empty() ? "" : " > ") + Quoted(caption);
  text += text.empty() ? entry.command + ", on no menu" : " runs " + entry.command;
  if (!entry.registered)
    text += " (not a registered command)";
  else if (!entry.short_name.empty())
    text += " (short name " + entry.short_name + ")";
  return text;
}

} // namespace

std::string SharedCommandPrefix(const std::vector<std::string>& names) {
  if (names.empty()) return {};
  const std::string& first = names.front();
  std::size_t length = first.size();
  for (const std::string& name : names) {
    std::size_t same = 0;
    while (same < length && same < name.size() &&
           std::toupper(static_cast<unsigned char>(name[same])) ==
               std::toupper(static_cast<unsigned char>(first[same])))
      ++same;
    length = same;
  }
  while (length > 0 && InWord(first[length - 1]))
    --length;
  return first.substr(0, length);
}

std::vector<RunnableCommand> RunnableCommands(const Application& app) {
  std::vector<RunnableCommand> runnable;
  // Excel's own menus hold no commands in kvhost's model: every item on the bar is one the add-in
  // put there, on its own menu or on a submenu it added to one of Excel's.
  if (const MenuBar* bar = app.Bars().FindBar(kWorksheetMenuBar)) {
    for (const Menu& menu : bar->menus) {
      std::vector<std::string> path{menu.name};
      CollectItems(menu.items, path, runnable);
    }
  }

  std::vector<const Registration*> commands;
  std::vector<std::string> names;
  for (const Registration& registration : app.Registrations()) {
    if (!registration.IsCommand()) continue;
    commands.push_back(&registration);
    names.push_back(registration.function_text);
  }
  const std::size_t prefix = SharedCommandPrefix(names).size();
  for (const Registration* command : commands) {
    const std::string key = CommandKey(command->function_text);
    bool on_a_menu = false;
    for (RunnableCommand& entry : runnable) {
      if (CommandKey(entry.command) != key) continue;
      entry.registered = true;
      entry.short_name = command->function_text.substr(prefix);
      on_a_menu = on_a_menu || !entry.menu_path.empty();
    }
    if (!on_a_menu)
      runnable.push_back({command->function_text, {}, command->function_text.substr(prefix), true});
  }
  return runnable;
}

std::optional<std::string> FindRunnableCommand(const std::vector<RunnableCommand>& runnable,
                                               std::string_view name, std::string& problem) {
  const std::string wanted = CommandKey(name);
  // A caption as the add-in wrote it ("ML&R", "&Variance && more") or as a person reads it on the
  // menu ("MLR", "Variance & more").
  const std::string written = MenuTextKey(name);
  const std::string read = kvp::FoldAnsiCase(kvp::Utf8ToAnsi(name));
  // From the most exact kind of name to the least: a command's own name wins over a caption that
  // happens to read the same, and a caption over a short name.
  enum class Kind { Command, Caption, ShortName };
  const auto fits = [&](const RunnableCommand& entry, Kind kind) {
    switch (kind) {
    case Kind::Command: return entry.registered && CommandKey(entry.command) == wanted;
    case Kind::Caption: {
      if (entry.menu_path.empty()) return false;
      const std::string caption = MenuTextKey(entry.menu_path.back());
      return caption == written || caption == read;
    }
    case Kind::ShortName:
      return !entry.short_name.empty() && CommandKey(entry.short_name) == wanted;
    }
    return false;
  };
  for (const Kind kind : {Kind::Command, Kind::Caption, Kind::ShortName}) {
    std::vector<const RunnableCommand*> found;
    for (const RunnableCommand& entry : runnable)
      if (fits(entry, kind)) found.push_back(&entry);
    if (found.empty()) continue;
    bool one_command = true;
    for (const RunnableCommand* entry : found)
      one_command = one_command && CommandKey(entry->command) == CommandKey(found[0]->command);
    if (one_command) return found[0]->command;
    problem = Quoted(std::string(name)) + " names items that run different commands:";
    for (const RunnableCommand* entry : found)
      problem += "\n  " + Describe(*entry);
    return std::nullopt;
  }

  if (runnable.empty()) {
    problem = Quoted(std::string(name)) +
              ": the add-in put no command on a menu and registered none, so nothing can be run";
    return std::nullopt;
  }
  problem = Quoted(std::string(name)) +
            " names no item of the add-in's menu and no command it registered.\nWhat can be run "
            "(a menu item by its caption, with or without '&'; a command by its name or its "
            "short name):";
  for (const RunnableCommand& entry : runnable)
    problem += "\n  " + Describe(entry);
  return std::nullopt;
}

} // namespace kvhost
