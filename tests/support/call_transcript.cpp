#include "call_transcript.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>

#include "excel_functions.h"

namespace kvtest {
namespace {

// What a failure says after the difference: how to accept a deliberate change.
constexpr const char* kHowToUpdate =
    "\n(a deliberate change: KV_UPDATE_GOLDEN=1 ctest --preset default -L golden, then read "
    "git diff before committing)";

// A cell in A1 notation: the column in letters (A..Z, AA..IV), the row counted from 1.
std::string CellName(unsigned row, unsigned column) {
  std::string name;
  if (column >= 26) name += static_cast<char>('A' + column / 26 - 1);
  name += static_cast<char>('A' + column % 26);
  return name + std::to_string(row + 1);
}

std::string RectangleName(const XLREF& r) {
  const std::string first = CellName(r.rwFirst, r.colFirst);
  if (r.rwFirst == r.rwLast && r.colFirst == r.colLast) return first;
  return first + ":" + CellName(r.rwLast, r.colLast);
}

// Excel's error values by their codes; another code keeps its number.
std::string ErrorName(std::int32_t code) {
  switch (code) {
  case xlerrNull: return "#NULL!";
  case xlerrDiv0: return "#DIV/0!";
  case xlerrValue: return "#VALUE!";
  case xlerrRef: return "#REF!";
  case xlerrName: return "#NAME?";
  case xlerrNum: return "#NUM!";
  case xlerrNA: return "#N/A";
  default: return "err" + std::to_string(code);
  }
}

} // namespace

// A value whose last bits differ between the release and the sanitizer builds can fall on
// either side of the twelfth digit's rounding: numbers agree to 1e-11 relative.
bool SameCall(std::string_view a, std::string_view b) {
  if (a == b) return true;
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const bool number_a = a.compare(i, 2, "n:") == 0, number_b = b.compare(j, 2, "n:") == 0;
    if (number_a && number_b) {
      double x = 0, y = 0;
      const auto [end_a, error_a] = std::from_chars(a.data() + i + 2, a.data() + a.size(), x);
      const auto [end_b, error_b] = std::from_chars(b.data() + j + 2, b.data() + b.size(), y);
      if (error_a != std::errc{} || error_b != std::errc{}) return false;
      if (!(std::fabs(x - y) <= 1e-11 * std::max(std::fabs(x), std::fabs(y)))) return false;
      i = static_cast<std::size_t>(end_a - a.data());
      j = static_cast<std::size_t>(end_b - b.data());
      continue;
    }
    if (a[i] != b[j]) return false;
    ++i, ++j;
  }
  return i == a.size() && j == b.size();
}

std::string Describe(const Value& v) {
  switch (v.BaseType()) {
  case xltypeNum: {
    // Twelve significant digits: the last bits of a sum depend on how the compiler vectorised
    // it, which differs between the release and the sanitizer builds.
    char digits[32];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, v.number, std::chars_format::general, 12).ptr;
    std::string text = "n:";
    text.append(digits, end);
    return text;
  }
  case xltypeStr: {
    std::string text = "\"";
    text.append(v.Utf8());
    text.push_back('"');
    return text;
  }
  case xltypeBool: return v.integer ? "TRUE" : "FALSE";
  case xltypeInt: return std::to_string(v.integer);
  case xltypeErr: return ErrorName(v.integer);
  case xltypeMissing: return "-";
  case xltypeNil: return "nil";
  case xltypeRef:
  case xltypeSRef: {
    if (v.rects.size() == 1) return RectangleName(v.rects[0]);
    // Several areas (or none) as Excel writes a union: in parentheses, separated by commas.
    std::string text = "(";
    for (std::size_t i = 0; i < v.rects.size(); ++i)
      text += (i == 0 ? "" : ",") + RectangleName(v.rects[i]);
    return text + ")";
  }
  case xltypeMulti: {
    std::string text = "{";
    for (std::size_t i = 0; i < v.elements.size(); ++i)
      text += (i == 0 ? "" : i % v.columns == 0 ? "; " : ", ") + Describe(v.elements[i]);
    return text + "}";
  }
  default: return "type" + std::to_string(v.type);
  }
}

std::string Describe(const Call& call) {
  const std::string_view name = ExcelFunctionName(call.function);
  std::string text = (name.empty() ? std::to_string(call.function) : std::string(name)) + "(";
  for (std::size_t i = 0; i < call.args.size(); ++i)
    text += (i == 0 ? "" : ", ") + Describe(call.args[i]);
  return text + ")";
}

std::vector<std::string> Transcript(const std::vector<Call>& calls) {
  std::vector<std::string> lines;
  lines.reserve(calls.size());
  for (const Call& call : calls)
    lines.push_back(Describe(call));
  return lines;
}

std::string CompareWithGolden(const std::vector<std::string>& transcript, const std::string& path) {
  if (std::getenv("KV_UPDATE_GOLDEN") != nullptr) {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : transcript)
      out << line << '\n';
    out.close();
    if (!out) return "could not write " + path;
    std::cout << "KV_UPDATE_GOLDEN is set: wrote " << path << " (" << transcript.size()
              << " calls), not compared\n";
    return "";
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return "no golden file " + path + kHowToUpdate;
  std::vector<std::string> golden;
  for (std::string line; std::getline(in, line);)
    golden.push_back(line);
  const std::size_t common = std::min(golden.size(), transcript.size());
  for (std::size_t i = 0; i < common; ++i)
    if (!SameCall(golden[i], transcript[i]))
      return "call " + std::to_string(i + 1) + " differs from " + path +
             "\n  golden: " + golden[i] + "\n  sent:   " + transcript[i] + kHowToUpdate;
  if (golden.size() != transcript.size()) {
    std::ostringstream text;
    text << path << " has " << golden.size() << " calls, the run sent " << transcript.size();
    if (common < transcript.size()) text << "; the first extra call: " << transcript[common];
    if (common < golden.size()) text << "; the first missing call: " << golden[common];
    return text.str() + kHowToUpdate;
  }
  return "";
}

} // namespace kvtest
