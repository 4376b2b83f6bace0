// The names of the Excel functions the add-in calls, for call transcripts: the Excel 4 macro
// name of each command and function ("SELECT", "FONT.PROPERTIES"), and the xlcall.h name of each
// special function ("xlSet", "xlFree"). One name stands for one exact function number, flag bits
// included: FORMAT.NUMBER is 41002, the international form the add-in sends, so that a call to
// another form would show as its bare number rather than look like the call expected.
#pragma once

#include <span>
#include <string_view>

namespace kvtest {

struct ExcelFunction {
  int number;
  std::string_view name;
};

// Every function number the add-in sends to Excel, with its name.
std::span<const ExcelFunction> ExcelFunctions();

// The name of function `number`, or nothing when the table does not know it.
std::string_view ExcelFunctionName(int number);

} // namespace kvtest
