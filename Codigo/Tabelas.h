// The registration tables: every worksheet function and command macro the add-in registers,
// as counted texts in static, writable storage, one function table per language.
#pragma once

#include <cstddef>

enum class Language : int { Portuguese = 1, English = 2 };

// Fixed at process attach; selects every text table and message.
extern Language CurrentLanguage;

constexpr int LanguageIndex(Language language) {
  return static_cast<int>(language) - 1;
}

// One counted-text cell: placeholder/length byte, at most 199 characters, a zero.
constexpr std::size_t kCellChars = 199;
using TableCell = char[kCellChars + 2];

constexpr int kFunctionRows = 5;
constexpr int kFunctionColumns = 15;
constexpr int kCommandRows = 12;
constexpr int kCommandColumns = 7;

// Columns of both tables, in the order of the REGISTER arguments after the file name.
enum TableColumn : int {
  kColProcedure = 0,
  kColTypeText = 1,
  kColFunctionText = 2,
  kColArgumentText = 3,
  kColMacroType = 4,
  kColCategory = 5,
};

using FunctionRow = TableCell[kFunctionColumns];
using CommandRow = TableCell[kCommandColumns];

constexpr int kMenuRows = 13;
constexpr int kSubmenuRows = 3;
constexpr int kMenuColumns = 5;
constexpr int kToolbarRows = 9;
constexpr int kToolbarColumns = 9;

using MenuRow = TableCell[kMenuColumns];
using ToolbarRow = TableCell[kToolbarColumns];

// [language index][row][column]
extern FunctionRow FunctionTables[2][kFunctionRows];
// Menu rows: text (row 1 names the menu itself; "-" a separator), command, empty, status-bar
// text, empty.
extern MenuRow MenuTables[2][kMenuRows];
extern MenuRow SubmenuTables[2][kSubmenuRows];
// Tool rows: tool id ("211" a button, "0" a gap), command, pressed, enabled, face, status-bar
// text, balloon help, help topic, tip text.
extern ToolbarRow ToolbarTables[2][kToolbarRows];
// The picture of each toolbar position, below the install folder; empty for the gap.
extern const char* const ToolbarPictures[kToolbarRows];
// One table for both languages.
extern CommandRow CommandTable[kCommandRows];

using FunctionRows = FunctionRow[kFunctionRows];
inline FunctionRows& FunctionTable(Language language) {
  return FunctionTables[LanguageIndex(language)];
}

using MenuRows = MenuRow[kMenuRows];
using SubmenuRows = MenuRow[kSubmenuRows];
using ToolbarRows = ToolbarRow[kToolbarRows];
inline MenuRows& MenuTable(Language language) {
  return MenuTables[LanguageIndex(language)];
}
inline SubmenuRows& SubmenuTable(Language language) {
  return SubmenuTables[LanguageIndex(language)];
}
inline ToolbarRows& ToolbarTable(Language language) {
  return ToolbarTables[LanguageIndex(language)];
}

// Writes the length byte of every cell of the tables of `language`, row by row: the function
// table, the command table, the menu, the language submenu and the toolbar. The other
// language's tables keep their placeholders.
void StampLanguageTables(Language language);
