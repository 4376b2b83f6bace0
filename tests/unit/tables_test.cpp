// The registration tables: their shape in both languages, and the load-time stamping.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Configuracao.h"
#include "Kavenlor.h"
#include "Tabelas.h"
#include "kvplatform/ansi.h"

namespace {
// A cell's characters, whatever its first byte holds.
std::string Chars(const TableCell& cell) {
  return std::string(cell + 1);
}

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (!text.empty()) {
    const std::size_t comma = text.find(", ", start);
    names.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 2;
  }
  return names;
}

constexpr Language kLanguages[] = {Language::Portuguese, Language::English};
} // namespace

TEST(Tables, FunctionRowsAgreeWithTheirTypeTextsInBothLanguages) {
  for (Language language : kLanguages) {
    for (int row = 0; row < kFunctionRows; ++row) {
      const FunctionRow& cells = FunctionTable(language)[row];
      SCOPED_TRACE(Chars(cells[kColFunctionText]) + " language " +
                   std::to_string(static_cast<int>(language)));
      const std::string type_text = Chars(cells[kColTypeText]);
      const auto arguments = SplitArguments(Chars(cells[kColArgumentText]));
      EXPECT_EQ(type_text.size(), arguments.size() + 1) << "one letter per argument + result";
      EXPECT_EQ(type_text.find_first_not_of("PABI"), std::string::npos);
      int helps = 0;
      for (int column = 9; column < kFunctionColumns; ++column)
        helps += cells[column][1] != 0;
      EXPECT_EQ(helps, static_cast<int>(arguments.size())) << "a help for every argument";
      EXPECT_FALSE(Chars(cells[8]).empty()) << "function help";
      // Procedure, type text, function text, macro type and category are language-neutral.
      const FunctionRow& other = FunctionTable(Language::English)[row];
      for (int column : {0, 1, 2, 4, 5})
        EXPECT_EQ(Chars(cells[column]), Chars(other[column]));
      EXPECT_EQ(Chars(cells[kColMacroType]), "1");
      EXPECT_EQ(Chars(cells[kColCategory]), "Kavenlor");
      EXPECT_EQ(Chars(cells[6]), "");
      EXPECT_EQ(Chars(cells[7]), "");
    }
  }
}

TEST(Tables, CommandRowsNameTheirMenuCommand) {
  for (const CommandRow& cells : CommandTable) {
    const std::string procedure = Chars(cells[kColProcedure]);
    ASSERT_EQ(procedure.rfind("kv_chama_", 0), 0u);
    EXPECT_EQ(Chars(cells[kColFunctionText]), "kv_menu_" + procedure.substr(9));
    EXPECT_EQ(Chars(cells[kColTypeText]), "A");
    EXPECT_EQ(Chars(cells[kColArgumentText]), "");
    EXPECT_EQ(Chars(cells[kColMacroType]), "2");
    EXPECT_EQ(Chars(cells[kColCategory]), "Kavenlor");
  }
}

TEST(Tables, TextsAreStoredInTheAnsiCodePageAndFitACell) {
  EXPECT_EQ(Chars(FunctionTable(Language::Portuguese)[2][kColArgumentText]),
            kvp::Utf8ToAnsi("Dias Úteis, Curva de Juros, Anos Flat"));
  // Kept as the add-in has always shown them.
  EXPECT_NE(kvp::AnsiToUtf8(Chars(FunctionTable(Language::Portuguese)[3][10])).find("dias úties"),
            std::string::npos);
  EXPECT_NE(Chars(FunctionTable(Language::English)[1][10]).find("returns  from"),
            std::string::npos);
  for (Language language : kLanguages)
    for (const FunctionRow& row : FunctionTable(language))
      for (const TableCell& cell : row)
        EXPECT_LE(std::strlen(cell + 1), kCellChars);
}

TEST(Tables, MenusAndToolbarHaveTheirShape) {
  for (Language language : kLanguages) {
    const MenuRows& menu = MenuTable(language);
    EXPECT_EQ(Chars(menu[0][0]), "&Kavenlor");
    for (int row = 0; row < kMenuRows; ++row) {
      const bool separator = Chars(menu[row][0]) == "-";
      EXPECT_EQ(Chars(menu[row][1]), separator ? " " : Chars(menu[row][1]));
      if (!separator && row > 0) {
        EXPECT_EQ(Chars(menu[row][1]).rfind("kv_menu_", 0), 0u) << Chars(menu[row][0]);
        EXPECT_FALSE(Chars(menu[row][3]).empty()) << "a status-bar text";
      }
      EXPECT_EQ(Chars(menu[row][2]), "");
      EXPECT_EQ(Chars(menu[row][4]), "");
    }
    EXPECT_EQ(Chars(menu[8][0]), "-");
    EXPECT_EQ(Chars(menu[11][0]), "-");
    const SubmenuRows& submenu = SubmenuTable(language);
    EXPECT_EQ(Chars(submenu[1][1]), "kv_menu_port");
    EXPECT_EQ(Chars(submenu[2][1]), "kv_menu_ing");
    const ToolbarRows& toolbar = ToolbarTable(language);
    for (int row = 0; row < kToolbarRows; ++row) {
      const bool gap = row == 7;
      EXPECT_EQ(Chars(toolbar[row][0]), gap ? "0" : "211");
      EXPECT_EQ(ToolbarPictures[row][0] == '\0', gap) << "a picture for every button";
      for (int column = 1; gap && column < kToolbarColumns; ++column)
        EXPECT_EQ(Chars(toolbar[row][column]), "") << "a gap holds nothing else";
      if (!gap) {
        EXPECT_EQ(Chars(toolbar[row][2]), "FALSE");
        EXPECT_EQ(Chars(toolbar[row][3]), "TRUE");
        // Every button runs a command of the menu.
        bool in_menu = false;
        for (int m = 0; m < kMenuRows; ++m)
          in_menu |= Chars(menu[m][1]) == Chars(toolbar[row][1]);
        EXPECT_TRUE(in_menu) << Chars(toolbar[row][1]);
      }
    }
  }
}

namespace {
template <class Rows> void AppendCells(Rows& rows, std::vector<char*>& cells) {
  for (auto& row : rows)
    for (TableCell& cell : row)
      cells.push_back(cell);
}

// The cells of the tables of `language` that the load may stamp, the command table aside.
std::vector<char*> LanguageCells(Language language) {
  std::vector<char*> cells;
  AppendCells(FunctionTable(language), cells);
  AppendCells(MenuTable(language), cells);
  AppendCells(SubmenuTable(language), cells);
  AppendCells(ToolbarTable(language), cells);
  return cells;
}

std::vector<char*> EveryCell() {
  std::vector<char*> cells = LanguageCells(Language::Portuguese);
  for (char* cell : LanguageCells(Language::English))
    cells.push_back(cell);
  AppendCells(CommandTable, cells);
  return cells;
}

std::vector<char> FirstBytes() {
  std::vector<char> bytes;
  for (const char* cell : EveryCell())
    bytes.push_back(cell[0]);
  return bytes;
}

void PutFirstBytes(const std::vector<char>& bytes) {
  const std::vector<char*> cells = EveryCell();
  for (std::size_t i = 0; i < cells.size(); ++i)
    cells[i][0] = bytes[i];
}

// The first byte of every cell as the library was loaded: taken while the test program starts,
// before any test of this process has stamped a table.
const std::vector<char> kFirstBytesAtLoad = FirstBytes();

// What process attach changes, put back as it was when the guard goes: the tables' first bytes,
// the language, the install folder, the module and the settings' location.
class AttachGuard {
public:
  AttachGuard()
      : bytes_(FirstBytes()), language_(CurrentLanguage), module_(ThisModule),
        registry_(Environment("KAVENLOR_REGISTRY")) {
    std::memcpy(folder_, InstallFolder, sizeof folder_);
  }
  ~AttachGuard() {
    PutFirstBytes(bytes_);
    CurrentLanguage = language_;
    ThisModule = module_;
    std::memcpy(InstallFolder, folder_, sizeof folder_);
    if (registry_)
      ::setenv("KAVENLOR_REGISTRY", registry_->c_str(), 1);
    else
      ::unsetenv("KAVENLOR_REGISTRY");
  }
  AttachGuard(const AttachGuard&) = delete;
  AttachGuard& operator=(const AttachGuard&) = delete;

private:
  static std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
  }

  std::vector<char> bytes_;
  Language language_;
  kvp::ModuleHandle module_;
  std::optional<std::string> registry_;
  char folder_[sizeof InstallFolder];
};
} // namespace

// Other tests of the same process stamp tables too: the load is replayed on the tables as the
// library was loaded, and whatever they held before is put back afterwards.
TEST(Tables, LoadStampsTheTablesOfTheLanguageInUseOnly) {
  for (char byte : kFirstBytesAtLoad)
    ASSERT_EQ(byte, ' ') << "placeholder before load";

  const AttachGuard guard;
  PutFirstBytes(kFirstBytesAtLoad);
  ::setenv("KAVENLOR_REGISTRY", "/nonexistent/kavenlor/registry", 1); // no settings at all
  ProcessAttach(nullptr);
  ASSERT_EQ(CurrentLanguage, Language::English) << "no settings: English";
  for (const char* cell : LanguageCells(Language::English))
    EXPECT_EQ(static_cast<unsigned char>(cell[0]), std::strlen(cell + 1)) << cell + 1;
  for (const CommandRow& row : CommandTable)
    for (const TableCell& cell : row)
      EXPECT_EQ(static_cast<unsigned char>(cell[0]), std::strlen(cell + 1)) << cell + 1;
  for (const char* cell : LanguageCells(Language::Portuguese))
    EXPECT_EQ(cell[0], ' ') << "other language untouched";
}

TEST(CountedText, EqualityIgnoresCaseButNotLength) {
  EXPECT_TRUE(CountedTextEquals("\x04SKEW", "\x04skew"));
  EXPECT_FALSE(CountedTextEquals("\x04skew", "\x05skewx"));
  EXPECT_FALSE(CountedTextEquals("\x03skew", "\x04skew")) << "the length byte decides";
  EXPECT_TRUE(CountedTextEquals("\x00x", "\x00y")) << "two empty texts";
  EXPECT_FALSE(CountedTextEquals("\x04kurt", "\x04skew"));
}
