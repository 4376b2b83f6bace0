#include "references.h"

#include <algorithm>

namespace kvhost {
namespace {

bool PlainNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || static_cast<unsigned char>(c) >= 0x80; // letters beyond ASCII, in UTF-8
}

// Reads "R<n>" or "C<n>" with n in 1..limit, moving `at` past it.
std::optional<std::uint32_t> ReadIndex(std::string_view text, std::size_t& at, char letter,
                                       std::uint32_t limit) {
  if (at >= text.size() || (text[at] != letter && text[at] != letter - 'A' + 'a'))
    return std::nullopt;
  std::uint32_t value = 0;
  std::size_t digits = 0;
  for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
    value = value * 10 + static_cast<std::uint32_t>(text[at] - '0');
    if (value > limit) return std::nullopt;
  }
  if (digits == 0 || value == 0) return std::nullopt; // "R[1]" and "R" are relative: not here
  return value - 1;
}

// Whether `name` may stand in a formula written out without quotes: not like a cell reference
// ("A1", "R1C1"), not starting with a digit, only ASCII letters, digits, '_' and '.'. Names with
// letters beyond ASCII, which a formula typed in may leave bare, are quoted too, as every reader
// of a file takes them then.
bool NeedsQuotes(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return true;
  const auto plain_ascii = [](char c) {
    return PlainNameCharacter(c) && static_cast<unsigned char>(c) < 0x80;
  };
  if (!std::all_of(name.begin(), name.end(), plain_ascii)) return true;
  std::size_t letters = 0;
  const auto ascii_letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  while (letters < name.size() && ascii_letter(name[letters]))
    ++letters;
  const bool digits_follow =
      letters < name.size() && std::all_of(name.begin() + static_cast<std::ptrdiff_t>(letters),
                                           name.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (letters >= 1 && letters <= 3 && digits_follow) return true; // A1 .. XFD1048576 and the like
  std::size_t at = 0;
  return ReadIndex(name, at, 'R', kMaxRows) &&
         (at == name.size() || ReadIndex(name, at, 'C', kMaxColumns));
}

} // namespace

std::optional<std::string> ReadQuotedSheetName(std::string_view text, std::size_t& at) {
  std::string name;
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] == '\'') {
      if (i + 1 < text.size() && text[i + 1] == '\'') {
        name.push_back('\''); // '' stands for one '
        ++i;
        continue;
      }
      at = i + 1;
      return name;
    }
    name.push_back(text[i]);
  }
  return std::nullopt;
}

std::optional<SheetReference> ParseR1C1Reference(std::string_view formula, const Grid& grid) {
  if (formula.empty() || formula[0] != '=') return std::nullopt;
  std::size_t at = 1;
  SheetReference reference;
  if (at < formula.size() && formula[at] == '\'') {
    auto quoted = ReadQuotedSheetName(formula, at);
    if (!quoted) return std::nullopt;
    reference.sheet = std::move(*quoted);
  } else {
    while (at < formula.size() && PlainNameCharacter(formula[at]))
      reference.sheet.push_back(formula[at++]);
  }
  if (reference.sheet.empty() || at >= formula.size() || formula[at] != '!') return std::nullopt;
  ++at;
  const auto row = ReadIndex(formula, at, 'R', grid.rows);
  const auto column = ReadIndex(formula, at, 'C', grid.columns);
  if (!row || !column) return std::nullopt;
  reference.range = CellRange{*row, *row, *column, *column};
  if (at < formula.size() && formula[at] == ':') {
    ++at;
    const auto last_row = ReadIndex(formula, at, 'R', grid.rows);
    const auto last_column = ReadIndex(formula, at, 'C', grid.columns);
    if (!last_row || !last_column) return std::nullopt;
    reference.range = CellRange{std::min(*row, *last_row), std::max(*row, *last_row),
                                std::min(*column, *last_column), std::max(*column, *last_column)};
  }
  if (at != formula.size()) return std::nullopt;
  return reference;
}

std::string ColumnLetters(std::uint32_t column) {
  std::string letters;
  for (std::uint32_t n = column + 1; n > 0; n = (n - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
  return letters;
}

std::string A1Reference(const SheetReference& reference) {
  std::string text;
  if (NeedsQuotes(reference.sheet)) {
    text.push_back('\'');
    for (char c : reference.sheet) {
      if (c == '\'') text.push_back('\'');
      text.push_back(c);
    }
    text.push_back('\'');
  } else {
    text = reference.sheet;
  }
  const auto cell = [&](char before, std::uint32_t row, std::uint32_t column) {
    text.append(1, before).append(1, '$').append(ColumnLetters(column));
    text.append(1, '$').append(std::to_string(row + 1));
  };
  const CellRange& r = reference.range;
  cell('!', r.first_row, r.first_column);
  if (r.Rows() > 1 || r.Columns() > 1) cell(':', r.last_row, r.last_column);
  return text;
}

} // namespace kvhost
