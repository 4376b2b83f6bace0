// A worksheet formula that calls one function, as a user types it into a cell:
//   =KV.EWV(prices!B2:B900, 0.94, , 1)
// The function is named by its function text; each argument is a reference in A1 style
// (optionally on a named sheet), a number, TRUE or FALSE, a double-quoted text, or nothing
// (an omitted argument).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kvhost {

// A rectangle of cells, rows and columns counted from 0, first <= last.
struct CellRange {
  std::uint32_t first_row = 0;
  std::uint32_t last_row = 0;
  std::uint32_t first_column = 0;
  std::uint32_t last_column = 0;

  std::uint32_t Rows() const { return last_row - first_row + 1; }
  std::uint32_t Columns() const { return last_column - first_column + 1; }
  bool operator==(const CellRange&) const = default;
};

struct Reference {
  std::optional<std::string> sheet; // UTF-8; none: the sheet the formula is on
  CellRange range;
  bool operator==(const Reference&) const = default;
};

struct Omitted {
  bool operator==(const Omitted&) const = default;
};

// A text argument is UTF-8.
using Argument = std::variant<Omitted, double, bool, std::string, Reference>;

struct FunctionCall {
  std::string function; // as typed; Excel matches function texts without regard to case
  std::vector<Argument> arguments;
};

struct ParsedFormula {
  std::optional<FunctionCall> call;
  std::string error; // why the formula does not parse, when it does not
};

// Reads a formula: an optional leading '=', the function text, then its arguments in
// parentheses separated by ','; spaces are allowed around every part. A1 references name
// columns A..IV and rows 1..65536 ('$' anchors are accepted and change nothing here); a sheet
// name that is not a plain word goes in single quotes, with '' for a quote inside.
ParsedFormula ParseFormula(std::string_view formula);

} // namespace kvhost
