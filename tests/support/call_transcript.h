// The calls a recording dispatcher kept, one readable line each: "FUNCTION(arguments)".
// The function by its name (tests/support/excel_functions.cpp: SELECT, FONT.PROPERTIES, xlSet),
// or by its number when the table does not know it. Each argument as it was sent: - for an
// omitted argument, plain numbers for 16-bit integers, n: for floating-point numbers (to twelve
// significant digits), TRUE/FALSE, Excel's error values (#N/A; errN for a code Excel does not
// have), nil, texts in quotes (UTF-8), a reference's rectangle in A1 notation (A1:IV65536, B3
// for one cell; several areas in parentheses, (A1:B2,D4)) and {a, b; c, d} for arrays row by
// row. For example:
//   SELECT(A1:IV65536)
//   FONT.PROPERTIES("Arial", "Normal", 10, -, -, -, -, -, -, 5)
//   xlSet(A3:B4, {"Mean", n:34.0272727273; "Mode", 33})
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "recording_dispatcher.h"

namespace kvtest {

std::string Describe(const Value& value);
std::string Describe(const Call& call);
std::vector<std::string> Transcript(const std::vector<Call>& calls);

// Two lines describe the same call when they are equal, or when they differ only in numbers
// ("n:" and its digits) that agree to 1e-11 relative.
bool SameCall(std::string_view golden, std::string_view sent);

// Compares a transcript with the golden file `path` (one call per line, compared by SameCall).
// With the environment variable KV_UPDATE_GOLDEN set, writes the file instead and says so on
// standard output. Returns a readable difference and how to accept a deliberate one, or nothing
// when they match.
std::string CompareWithGolden(const std::vector<std::string>& transcript, const std::string& path);

} // namespace kvtest
