// The menu, the toolbar, the settings read at attach and the commands that change them, seen
// through the calls the add-in makes and the registry it leaves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "BarraMenu.h"
#include "Configuracao.h"
#include "Kavenlor.h"
#include "Menu.h"
#include "kvplatform/ansi.h"
#include "kvplatform/registry.h"
#include "support/recording_dispatcher.h"
#include "xll/ExcelCall.h"

using kvtest::Call;
using kvtest::RecordingDispatcher;

namespace {
// A registry of the test's own, and a clean process-wide state per test.
class Settings : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("kv-menus-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    setenv("KAVENLOR_REGISTRY", (folder_ / "registry").c_str(), 1);
    ShowToolbarFlag = 0;
    InstallFolder[0] = VersionText[0] = '\0';
    UseLanguage(Language::English);
  }
  void TearDown() override {
    unsetenv("KAVENLOR_REGISTRY");
    std::filesystem::remove_all(folder_);
  }
  void UseLanguage(Language language) {
    CurrentLanguage = language;
    StampLanguageTables(language);
  }
  void Store(const char* name, kvp::RegistryType type, const std::string& data) {
    kvp::RegistryKey key;
    ASSERT_TRUE(kvp::CreateRegistryKey(kSettingsKey, key));
    ASSERT_TRUE(kvp::SetRegistryValue(
        key, name, type, reinterpret_cast<const unsigned char*>(data.data()), data.size()));
    kvp::CloseRegistryKey(key);
  }
  std::optional<std::string> Stored(const char* name) {
    kvp::RegistryKey key;
    if (!kvp::OpenRegistryKey(kSettingsKey, key)) return std::nullopt;
    unsigned char buffer[500];
    std::size_t size = sizeof buffer;
    kvp::RegistryType type{};
    const bool found = kvp::QueryRegistryValue(key, name, type, buffer, size);
    kvp::CloseRegistryKey(key);
    if (!found) return std::nullopt;
    if (type == kvp::RegistryType::Text && size > 0 && buffer[size - 1] == 0) --size;
    return std::string(reinterpret_cast<char*>(buffer), size);
  }
  // GET.BAR and GET.TOOLBAR answer "absent" (an error value) or "present" (a number).
  void MenuPresent(bool present) { Answer(xlfGetBar, present); }
  void ToolbarPresent(bool present) { Answer(xlfGetToolbar, present); }
  void Answer(int function, bool present) {
    excel.Script(function, [present](const Call&, LPXLOPER result) {
      if (present) {
        result->xltype = xltypeNum;
        result->val.num = 1;
      } else {
        result->xltype = xltypeErr;
        result->val.err = xlerrNA;
      }
      return xlretSuccess;
    });
  }
  static std::vector<std::string> Column(const kvtest::Value& array, std::size_t column) {
    std::vector<std::string> cells;
    for (std::size_t r = 0; r < array.rows; ++r)
      cells.push_back(kvp::AnsiToUtf8(array.elements[r * array.columns + column].text));
    return cells;
  }

  RecordingDispatcher excel;
  xl::ExcelValue query; // what GET.BAR and GET.TOOLBAR answer into, given back at the end
  std::filesystem::path folder_;
};
} // namespace

TEST_F(Settings, NoKeyMeansEnglishHiddenToolbarAndNoFolder) {
  ReadSettings();
  EXPECT_EQ(CurrentLanguage, Language::English);
  EXPECT_EQ(ShowToolbarFlag, 0);
  EXPECT_STREQ(InstallFolder, "");
}

TEST_F(Settings, LanguageIsReadOnlyUnderAnInstallFolder) {
  Store("IDIOMA", kvp::RegistryType::Text, "1");
  ReadSettings();
  EXPECT_EQ(CurrentLanguage, Language::English) << "IDIOMA without PATH is not read";

  setenv("KAVENLOR_REGISTRY", (folder_ / "second").c_str(), 1); // a fresh registry
  Store("PATH", kvp::RegistryType::Text, "C:\\Kavenlor");
  ReadSettings();
  EXPECT_EQ(CurrentLanguage, Language::English) << "PATH without IDIOMA";

  Store("VERSAO", kvp::RegistryType::Text, "2.1");
  Store("SHOW", kvp::RegistryType::Binary, std::string(1, '\x01'));
  Store("IDIOMA", kvp::RegistryType::Text, "12");
  ReadSettings();
  EXPECT_EQ(CurrentLanguage, Language::Portuguese) << "only the first character counts";
  EXPECT_STREQ(InstallFolder, "C:\\Kavenlor\\");
  EXPECT_STREQ(VersionText, "2.1");
  EXPECT_EQ(ShowToolbarFlag, 1);

  Store("IDIOMA", kvp::RegistryType::Text, "2");
  ReadSettings();
  EXPECT_EQ(CurrentLanguage, Language::English);
}

TEST_F(Settings, AbsentMenuIsAddedBeforeHelpOrAjudaThenTheLanguageSubmenu) {
  bool added = false;
  excel.Script(xlfGetBar, [&added](const Call&, LPXLOPER result) {
    result->xltype = added ? xltypeNum : xltypeErr; // present once ADD.MENU ran
    result->val.err = xlerrNA;
    if (added) result->val.num = 9;
    return xlretSuccess;
  });
  excel.Script(xlfAddMenuIntl, [&added](const Call&, LPXLOPER) {
    added = true;
    return xlretSuccess;
  });
  ShowToolbarFlag = 1;
  BuildMenus(query);
  const auto menus = excel.CallsTo(xlfAddMenuIntl);
  ASSERT_EQ(menus.size(), 3u);
  EXPECT_EQ(menus[0].args[2].text, "Help");
  EXPECT_EQ(menus[1].args[2].text, "Ajuda") << "tried whatever came of the first";
  const auto& menu = menus[0].args[1];
  ASSERT_EQ(menu.rows, 13);
  ASSERT_EQ(menu.columns, 5);
  EXPECT_EQ(Column(menu, 0)[0], "&Kavenlor");
  EXPECT_EQ(Column(menu, 0)[5], "ML&R");
  EXPECT_EQ(Column(menu, 1)[8], " ") << "a separator's command is one blank";
  EXPECT_EQ(Column(menu, 3)[10], "Help on line - Corvane Lathi");
  // The submenu goes into "&Kavenlor" at item position 9, with the language checked.
  const auto& submenu = menus[2].args;
  ASSERT_EQ(submenu.size(), 4u);
  EXPECT_EQ(submenu[1].rows, 3);
  EXPECT_EQ(Column(submenu[1], 0),
            (std::vector<std::string>{"Idio&m", "&Portuguese (Brazil)", "&English (USA)"}));
  EXPECT_EQ(submenu[2].text, "&Kavenlor");
  EXPECT_EQ(submenu[3].integer, 9);
  const auto checks = excel.CallsTo(xlfCheckCommand);
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0].args[2].text, "&Show Kavenlor bar");
  EXPECT_EQ(checks[0].args[3].integer, 1) << "the show-toolbar item follows the setting";
  ASSERT_EQ(checks[1].args.size(), 5u);
  EXPECT_EQ(checks[1].args[2].text, "Idio&m");
  EXPECT_EQ(checks[1].args[4].text, "&English (USA)");
}

TEST_F(Settings, ExistingMenuOnlyGetsTheSubmenu) {
  UseLanguage(Language::Portuguese);
  MenuPresent(true);
  BuildMenus(query);
  const auto menus = excel.CallsTo(xlfAddMenuIntl);
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(kvp::AnsiToUtf8(menus[0].args[1].elements[5].text), "&Português (Brasil)");
  const auto checks = excel.CallsTo(xlfCheckCommand);
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(checks[0].args[2].text, "Idio&ma");
}

TEST_F(Settings, NewToolbarGetsItsToolsVisibilityAndPictures) {
  const std::string repository = KV_SOURCE_DIR;
  std::snprintf(InstallFolder, sizeof InstallFolder, "%s\\", repository.c_str());
  ToolbarPresent(false);
  std::vector<std::string> clipboard_sizes;
  BuildToolbar(query);
  const auto toolbars = excel.CallsTo(xlfAddToolbar);
  ASSERT_EQ(toolbars.size(), 1u);
  EXPECT_EQ(toolbars[0].args[0].text, "Kavenlor");
  const auto& tools = toolbars[0].args[1];
  ASSERT_EQ(tools.rows, 9);
  ASSERT_EQ(tools.columns, 9);
  EXPECT_EQ(Column(tools, 0), (std::vector<std::string>{"211", "211", "211", "211", "211", "211",
                                                        "211", "0", "211"}));
  EXPECT_EQ(Column(tools, 1)[8], "kv_menu_ajuda") << "help after the gap at position 8";
  EXPECT_EQ(Column(tools, 8)[6], "ARCH Family");
  const auto shows = excel.CallsTo(xlcShowToolbar);
  ASSERT_EQ(shows.size(), 1u);
  ASSERT_EQ(shows[0].args.size(), 8u);
  EXPECT_EQ(shows[0].args[1].integer, 0) << "hidden: the setting says so";
  EXPECT_EQ(shows[0].args[3].type, xltypeMissing);
  EXPECT_EQ(shows[0].args[4].integer, 100);
  std::vector<int> positions;
  for (const auto& paste : excel.CallsTo(xlcPasteTool))
    positions.push_back(paste.args[1].integer);
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 9}));
}

TEST_F(Settings, MissingPictureStopsThePicturesNotTheLoad) {
  std::snprintf(InstallFolder, sizeof InstallFolder, "%s\\", folder_.c_str());
  ToolbarPresent(false);
  BuildToolbar(query);
  EXPECT_EQ(excel.CallsTo(xlfAddToolbar).size(), 1u);
  EXPECT_TRUE(excel.CallsTo(xlcPasteTool).empty());

  excel.Clear();
  ToolbarPresent(true);
  BuildToolbar(query);
  EXPECT_EQ(excel.calls().size(), 1u) << "an existing toolbar is left as it is";
}

TEST_F(Settings, CloseRemovesWhatIsThere) {
  MenuPresent(true);
  ToolbarPresent(true);
  RemoveMenuAndToolbar();
  const auto menus = excel.CallsTo(xlfDeleteMenu);
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].args[1].text, "Kavenlor") << "named without its ampersand";
  EXPECT_EQ(excel.CallsTo(xlfDeleteToolbar).size(), 1u);
  excel.Clear();
  MenuPresent(false);
  ToolbarPresent(false);
  RemoveMenuAndToolbar();
  EXPECT_TRUE(excel.CallsTo(xlfDeleteMenu).empty());
  EXPECT_TRUE(excel.CallsTo(xlfDeleteToolbar).empty());
}

TEST_F(Settings, ShowToolbarTwiceComesBackToWhereItWas) {
  EXPECT_EQ(kv_chama_exibir(), 1);
  EXPECT_EQ(Stored("SHOW"), std::string(1, '\x01'));
  EXPECT_EQ(kv_chama_exibir(), 1);
  EXPECT_EQ(Stored("SHOW"), std::string(1, '\x00'));
  EXPECT_EQ(ShowToolbarFlag, 0);
  const auto shows = excel.CallsTo(xlcShowToolbar);
  ASSERT_EQ(shows.size(), 2u);
  EXPECT_EQ(shows[0].args[1].integer, 1);
  EXPECT_EQ(shows[1].args[1].integer, 0);
  const auto checks = excel.CallsTo(xlfCheckCommand);
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[1].args[3].integer, 0);
}

TEST_F(Settings, LanguageCommandsStoreTheChoiceForTheNextStart) {
  UseLanguage(Language::Portuguese);
  EXPECT_EQ(kv_chama_port(), 1);
  EXPECT_TRUE(excel.calls().empty()) << "Portuguese already: no message";
  EXPECT_EQ(Stored("IDIOMA"), std::nullopt) << "and no registry write";

  EXPECT_EQ(kv_chama_ing(), 1);
  EXPECT_EQ(Stored("IDIOMA"), "2");
  const auto alerts = excel.CallsTo(xlcAlert);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].args[0].Utf8(),
            "Por favor, inicie novamente o Microsoft Excel para que as alterações tenham efeito.");
  EXPECT_EQ(alerts[0].args[1].integer, 2);
  EXPECT_EQ(CurrentLanguage, Language::Portuguese) << "the language changes at the next start";
}

TEST_F(Settings, AboutShowsTheVersion) {
  kv_chama_sobre();
  std::strcpy(VersionText, "3.0");
  UseLanguage(Language::Portuguese);
  kv_chama_sobre();
  const auto alerts = excel.CallsTo(xlcAlert);
  ASSERT_EQ(alerts.size(), 2u);
  EXPECT_EQ(
      alerts[0].args[0].Utf8().rfind(
          "Kavenlor - Metrics for Financial Market\nMicrosoft Excel Add-in\nVersion: \n\n", 0),
      0u)
      << "an empty version: the blank line follows directly";
  EXPECT_EQ(alerts[1].args[0].Utf8().rfind("Kavenlor - Cálculos para Mercado Financeiro\n"
                                           "Suplemento para Microsoft Excel\nVersão: 3.0\n\n",
                                           0),
            0u);
  EXPECT_EQ(alerts[1].args[1].integer, 2);
}

TEST_F(Settings, HelpWithoutABrowserTriesFourTimesThenAlertsOnce) {
  const char* path = std::getenv("PATH");
  const std::string saved_path = path ? path : "";
  unsetenv("BROWSER");
  setenv("PATH", folder_.c_str(), 1); // no URL opener to be found
  kv_chama_ajuda();
  setenv("PATH", saved_path.c_str(), 1);
  const auto alerts = excel.CallsTo(xlcAlert);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].args[1].integer, 3);
  EXPECT_NE(alerts[0].args[0].Utf8().find("connected  or"), std::string::npos);
}
