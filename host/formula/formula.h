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

#include "../model/cells.h"

namespace kvhost {

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
// parentheses separated by ','; spaces are allowed around every part. A1 references name cells
// of `grid` ('$' anchors are accepted and change nothing here); a sheet name that is not a
// plain word goes in single quotes, with '' for a quote inside.
ParsedFormula ParseFormula(std::string_view formula, const Grid& grid);

// A selection as a user types it into Excel's name box: one or more A1 references separated
// by ',' ("A1:B10", "A1:A5,C1:C5", "$A$1"), each optionally on a named sheet; every area must be
// on the same sheet. Nothing, with the reason in `error`, when the text is not such a list.
struct ParsedSelection {
  std::optional<std::string> sheet; // UTF-8; none: the active sheet
  std::vector<CellRange> areas;
};
std::optional<ParsedSelection> ParseSelection(std::string_view text, const Grid& grid,
                                              std::string& error);

} // namespace kvhost
