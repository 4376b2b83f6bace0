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

// [language index][row][column]
extern FunctionRow FunctionTables[2][kFunctionRows];
// One table for both languages.
extern CommandRow CommandTable[kCommandRows];

using FunctionRows = FunctionRow[kFunctionRows];
inline FunctionRows& FunctionTable(Language language) {
  return FunctionTables[LanguageIndex(language)];
}

// Writes the length byte of every cell of the tables of `language`, row by row: the function
// table, then the command table. The other language's tables keep their placeholders.
void StampLanguageTables(Language language);
