// Macro commands and functions called with arguments that belong to neither interface yet: each
// call is written once and goes through Excel4v with XLOPER records, or through Excel12v with
// XLOPER12 records (UTF-16 texts, references anywhere on today's grid), as the add-in chose when
// it opened. The add-in's own texts are in the Windows ANSI code page; the call layer turns them
// into UTF-16 for Excel 12.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "xlcall.h"

namespace xl {

// A rectangle of the active sheet, rows and columns counted from 0.
struct SheetArea {
  std::uint32_t first_row, last_row, first_col, last_col;
};

// The sheet as the interface in use reaches it: 65,536 rows and 256 columns through Excel 4
// records, 1,048,576 rows and 16,384 columns through Excel 12 ones.
struct SheetGrid {
  std::uint32_t rows, columns;
};
SheetGrid GridInUse();

// One argument of a call.
class MacroArg {
public:
  static MacroArg Number(double value) { return MacroArg(value); }
  static MacroArg Integer(std::int16_t value) { return MacroArg(value); }
  static MacroArg Boolean(bool flag) { return MacroArg(flag); }
  static MacroArg Omitted() { return MacroArg(std::monostate{}); }
  // At most 255 characters are kept, as a counted text holds.
  static MacroArg Text(std::string_view ansi) { return MacroArg(std::string(ansi.substr(0, 255))); }
  // A reference to `area` of the active sheet.
  static MacroArg Area(const SheetArea& area) { return MacroArg(area); }
  // A value Excel answered an earlier call with, handed on as it is; it must be a record of the
  // interface in use.
  static MacroArg Answer(const XLOPER& value) { return MacroArg(&value); }
  static MacroArg Answer(const XLOPER12& value) { return MacroArg(&value); }

  using Value = std::variant<std::monostate, double, std::int16_t, bool, std::string, SheetArea,
                             const XLOPER*, const XLOPER12*>;
  const Value& value() const { return value_; }

private:
  template <class T> explicit MacroArg(T value) : value_(std::move(value)) {}
  Value value_;
};

// Runs the call through the interface in use, wanting no result; Excel's return code. A failure
// is traced, as every call of the add-in's.
int Macro(int xlfn, std::initializer_list<MacroArg> args);
int Macro(int xlfn, std::span<const MacroArg> args);
// The same through the interface of `result`, which Excel fills.
int Macro(int xlfn, XLOPER* result, std::initializer_list<MacroArg> args);
int Macro(int xlfn, XLOPER12* result, std::initializer_list<MacroArg> args);

} // namespace xl
