// The calls a recording dispatcher kept, one readable line each: "function(arguments)", with -
// for an omitted argument, plain numbers for integers, n: for floating-point numbers (to twelve
// significant digits), TRUE/FALSE, errN for error values, nil, texts in
// quotes (UTF-8), ref(rows, columns) for rectangles and {a, b; c, d} for arrays row by row.
#pragma once

#include <string>
#include <vector>

#include "recording_dispatcher.h"

namespace kvtest {

std::string Describe(const Value& value);
std::string Describe(const Call& call);
std::vector<std::string> Transcript(const std::vector<Call>& calls);

// Compares a transcript with the golden file `path` (one call per line; numbers agreeing to
// 1e-11 relative count as equal). With the environment variable KV_UPDATE_GOLDEN set, writes the
// file instead. Returns a readable difference, or nothing when they match.
std::string CompareWithGolden(const std::vector<std::string>& transcript, const std::string& path);

} // namespace kvtest
