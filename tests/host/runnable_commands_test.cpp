// What kvhost run can run of an add-in, learned from the menu it built and the commands it
// registered, and how a name given to kvhost run finds one of them.
#include <gtest/gtest.h>

#include "excel/runnable_commands.h"

using namespace kvhost;

namespace {

MenuItem Item(const std::string& text, const std::string& command) {
  MenuItem item;
  item.text = text;
  item.command = command;
  return item;
}

MenuItem Submenu(const std::string& text, std::vector<MenuItem> items) {
  MenuItem submenu;
  submenu.text = text;
  submenu.is_submenu = true;
  submenu.items = std::move(items);
  return submenu;
}

void RegisterCommand(Application& app, const std::string& name, int macro_type = 2) {
  Registration registration;
  registration.module = "/addins/stats.so";
  registration.procedure = "run_" + name;
  registration.type_text = "A";
  registration.function_text = name;
  registration.macro_type = macro_type;
  app.Register(std::move(registration));
}

// An add-in with a menu of two tools, a separator, a submenu of one command and an item naming a
// macro it never registered; a third tool only registered; and a worksheet function.
Application StatsAddIn() {
  Application app;
  for (const char* name : {"st_cmd_mean", "st_cmd_var", "st_cmd_lang_en", "st_cmd_hidden"})
    RegisterCommand(app, name);
  RegisterCommand(app, "ST.MEAN", 1);
  Menu menu;
  menu.name = "&Stats";
  menu.items = {Item("&Mean", "st_cmd_mean"), Item("&Variance && more", "st_cmd_var"),
                Item("-", " "), Submenu("&Language", {Item("&English", "st_cmd_lang_en")}),
                Item("&Lost", "st_cmd_gone")};
  MenuBar& bar = *app.Bars().FindBar(10);
  bar.menus.insert(bar.menus.end() - 1, menu); // before "&Help", as add-ins place theirs
  return app;
}

TEST(RunnableCommands, SharedPrefixEndsBetweenWords) {
  struct Case {
    std::vector<std::string> names;
    std::string prefix;
  };
  const Case cases[] = {
      {{"kv_menu_hist", "kv_menu_pca", "kv_menu_arch"}, "kv_menu_"},
      // "kv_menu_a" is shared, but a short name must not lose the first letter of its word.
      {{"kv_menu_arch", "kv_menu_ajuda"}, "kv_menu_"},
      {{"FIX.COMMAND"}, "FIX."},
      {{"KV_MENU_X", "kv_menu_y"}, "KV_MENU_"},
      {{"alpha", "beta"}, ""},
      {{"report", "reprise"}, ""},
      {{"st_mean", "st_"}, "st_"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    std::string names;
    for (const std::string& name : c.names)
      names += name + " ";
    EXPECT_EQ(SharedCommandPrefix(c.names), c.prefix) << "names: " << names;
  }
}

TEST(RunnableCommands, MenuItemsInOrderThenCommandsOnNoMenu) {
  const auto runnable = RunnableCommands(StatsAddIn());
  ASSERT_EQ(runnable.size(), 5u);
  EXPECT_EQ(runnable[0].command, "st_cmd_mean");
  EXPECT_EQ(runnable[0].menu_path, (std::vector<std::string>{"&Stats", "&Mean"}));
  EXPECT_EQ(runnable[0].short_name, "mean");
  EXPECT_TRUE(runnable[0].registered);
  EXPECT_EQ(runnable[1].menu_path, (std::vector<std::string>{"&Stats", "&Variance && more"}));
  EXPECT_EQ(runnable[1].short_name, "var");
  EXPECT_EQ(runnable[2].menu_path, (std::vector<std::string>{"&Stats", "&Language", "&English"}));
  EXPECT_EQ(runnable[2].short_name, "lang_en");
  // On the menu, but no command of that name: it can be named, not given a short name.
  EXPECT_EQ(runnable[3].command, "st_cmd_gone");
  EXPECT_FALSE(runnable[3].registered);
  EXPECT_EQ(runnable[3].short_name, "");
  EXPECT_EQ(runnable[4].command, "st_cmd_hidden");
  EXPECT_TRUE(runnable[4].menu_path.empty());
  EXPECT_EQ(runnable[4].short_name, "hidden");
}

TEST(RunnableCommands, NamedByCommandCaptionOrShortName) {
  const auto runnable = RunnableCommands(StatsAddIn());
  struct Case {
    const char* name;
    const char* command;
  };
  const Case cases[] = {
      {"st_cmd_var", "st_cmd_var"},
      {"ST_CMD_VAR", "st_cmd_var"},
      {"&Variance && more", "st_cmd_var"},
      {"variance & more", "st_cmd_var"},
      {"VARIANCE & MORE", "st_cmd_var"},
      {"Var&iance && more", "st_cmd_var"},
      {"var", "st_cmd_var"},
      {"Mean", "st_cmd_mean"},
      {"English", "st_cmd_lang_en"},
      {"lang_en", "st_cmd_lang_en"},
      {"hidden", "st_cmd_hidden"},
      {"st_cmd_hidden", "st_cmd_hidden"},
      {"&Lost", "st_cmd_gone"},
  };
  for (const Case& c : cases) {
    std::string problem;
    const auto found = FindRunnableCommand(runnable, c.name, problem);
    EXPECT_EQ(found.value_or("(none: " + problem + ")"), c.command) << "name: " << c.name;
  }
}

TEST(RunnableCommands, NamesOfNothingRunnableAreRefusedWithTheList) {
  const auto runnable = RunnableCommands(StatsAddIn());
  // The menu's and the submenu's own captions run nothing; nor does a worksheet function, a
  // separator, or a command named through a short name's prefix; the unregistered item has no
  // short name.
  for (const char* name : {"Stats", "&Language", "ST.MEAN", "-", "st_cmd_", "mea", "gone", "",
                           "Variance more", "st_cmd_gone"}) {
    std::string problem;
    EXPECT_EQ(FindRunnableCommand(runnable, name, problem), std::nullopt) << "name: " << name;
    EXPECT_EQ(problem, '"' + std::string(name) +
                           "\" names no item of the add-in's menu and no command it registered.\n"
                           "What can be run (a menu item by its caption, with or without '&'; a "
                           "command by its name or its short name):\n"
                           "  \"&Stats\" > \"&Mean\" runs st_cmd_mean (short name mean)\n"
                           "  \"&Stats\" > \"&Variance && more\" runs st_cmd_var (short name var)\n"
                           "  \"&Stats\" > \"&Language\" > \"&English\" runs st_cmd_lang_en "
                           "(short name lang_en)\n"
                           "  \"&Stats\" > \"&Lost\" runs st_cmd_gone (not a registered command)\n"
                           "  st_cmd_hidden, on no menu (short name hidden)");
  }
}

TEST(RunnableCommands, ExactKindsOfNameComeFirst) {
  Application app = StatsAddIn();
  // A second menu whose captions read as another command's name and another's short name.
  Menu other;
  other.name = "&Other";
  other.items = {Item("st_cmd_mean", "st_cmd_var"), Item("&var", "st_cmd_mean")};
  app.Bars().FindBar(10)->menus.push_back(other);
  const auto runnable = RunnableCommands(app);
  std::string problem;
  EXPECT_EQ(FindRunnableCommand(runnable, "st_cmd_mean", problem), "st_cmd_mean");
  EXPECT_EQ(FindRunnableCommand(runnable, "var", problem), "st_cmd_mean");
  EXPECT_EQ(FindRunnableCommand(runnable, "mean", problem), "st_cmd_mean");
}

TEST(RunnableCommands, OneCaptionForTwoCommandsIsAmbiguous) {
  Application app = StatsAddIn();
  Menu again;
  again.name = "&Stats";
  again.items = {Item("&Mean", "st_cmd_mean")};
  Menu other;
  other.name = "&Other";
  other.items = {Item("M&ean", "st_cmd_var")};
  app.Bars().FindBar(10)->menus.push_back(again);
  std::string problem;
  // The same command on two menus (a menu added twice) is one command.
  EXPECT_EQ(FindRunnableCommand(RunnableCommands(app), "mean", problem), "st_cmd_mean");
  app.Bars().FindBar(10)->menus.push_back(other);
  EXPECT_EQ(FindRunnableCommand(RunnableCommands(app), "&Mean", problem), std::nullopt);
  EXPECT_EQ(problem, "\"&Mean\" names items that run different commands:\n"
                     "  \"&Stats\" > \"&Mean\" runs st_cmd_mean (short name mean)\n"
                     "  \"&Stats\" > \"&Mean\" runs st_cmd_mean (short name mean)\n"
                     "  \"&Other\" > \"M&ean\" runs st_cmd_var (short name var)");
}

TEST(RunnableCommands, AnAddInThatOffersNothing) {
  Application app;
  RegisterCommand(app, "ST.MEAN", 1);
  const auto runnable = RunnableCommands(app);
  EXPECT_TRUE(runnable.empty());
  std::string problem;
  EXPECT_EQ(FindRunnableCommand(runnable, "mean", problem), std::nullopt);
  EXPECT_EQ(problem, "\"mean\": the add-in put no command on a menu and registered none, so "
                     "nothing can be run");
}

} // namespace
