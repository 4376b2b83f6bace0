// What a person at Excel can run of the add-in: the commands of the items it put on the worksheet
// menu bar, and the commands it registered. kvhost run names one of them the way a person would
// find it: by the menu item's caption, by the command's name, or by that name's short form.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../model/application.h"

namespace kvhost {

struct RunnableCommand {
  std::string command; // the command name the menu item runs, or the add-in registered
  // The captions from the menu down to the item, as the add-in wrote them ("&Kavenlor",
  // "Idio&m", "&English (USA)"); empty for a registered command that no menu item runs.
  std::vector<std::string> menu_path;
  // The registered command's name without the prefix that all the add-in's command names share
  // ("hist" for kv_menu_hist); empty when the command is not registered or nothing is left.
  std::string short_name;
  bool registered = false; // whether the add-in registered `command`
};

// The menu items in menu order (a submenu's items where the submenu sits), then the registered
// commands that no menu item runs, in the order they were registered.
std::vector<RunnableCommand> RunnableCommands(const Application& app);

// The prefix that every name in `names` begins with, up to and including its last character that
// is neither a letter nor a digit ("kv_menu_" of kv_menu_hist and kv_menu_pca; "FIX." of
// FIX.COMMAND alone), so that a short name never starts in the middle of a word. Compared without
// regard to case, as Excel compares command names.
std::string SharedCommandPrefix(const std::vector<std::string>& names);

// The command `name` stands for: a registered command's name, else a menu item's caption (as the
// add-in wrote it, or as the menu shows it, without the '&' of its access key; without regard to
// case, as Excel finds menu items), else a short name. A name
// that fits none, or that fits items running different commands, gives nothing, with the reason
// and the list of what can be run in `problem`.
std::optional<std::string> FindRunnableCommand(const std::vector<RunnableCommand>& runnable,
                                               std::string_view name, std::string& problem);

} // namespace kvhost
