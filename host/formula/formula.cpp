#include "formula.h"

#include <algorithm>

#include "../model/cells.h"
#include "../model/references.h"

namespace kvhost {
namespace {

// ASCII classes, whatever the process locale.
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
// Characters of a sheet name that needs no quotes; bytes of UTF-8 sequences count as letters.
bool IsWordChar(char c) {
  return IsLetter(c) || IsDigit(c) || c == '_' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// Excel refuses a text constant of more than 255 characters in a formula.
constexpr std::size_t kMaxTextCharacters = 255;

std::size_t Utf8Characters(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

class Parser {
public:
  Parser(std::string_view text, const Grid& grid) : text_(text), grid_(grid) {}

  // Areas separated by ',', each a reference; nothing after the last.
  bool ParseAreas(ParsedSelection& selection) {
    for (;;) {
      SkipSpaces();
      Argument argument;
      const char c = Peek();
      bool parsed = false;
      if (c == '\'')
        parsed = ParseQuotedSheetReference(argument);
      else if (c == '$')
        parsed = ParseRange(std::nullopt, argument);
      else if (IsWordChar(c))
        parsed = ParseWord(argument);
      else
        return Fail("a cell reference was expected");
      if (!parsed) return false;
      auto* reference = std::get_if<Reference>(&argument);
      if (reference == nullptr) return Fail("a cell reference was expected");
      if (selection.areas.empty())
        selection.sheet = reference->sheet;
      else if (reference->sheet.has_value() != selection.sheet.has_value() ||
               (reference->sheet && !EqualsIgnoringCase(*reference->sheet, *selection.sheet)))
        return Fail("every area of a selection is on one sheet");
      selection.areas.push_back(reference->range);
      SkipSpaces();
      if (AtEnd()) return true;
      if (Peek() != ',') return Fail("',' was expected between areas");
      ++pos_;
    }
  }
  const std::string& error() const { return error_; }

  ParsedFormula Parse() {
    ParsedFormula parsed;
    FunctionCall call;
    if (ParseCall(call))
      parsed.call = std::move(call);
    else
      parsed.error = error_;
    return parsed;
  }

private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  void SkipSpaces() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t'))
      ++pos_;
  }
  bool Fail(std::string why) {
    if (error_.empty()) error_ = std::move(why) + " at character " + std::to_string(pos_ + 1);
    return false;
  }

  bool ParseCall(FunctionCall& call) {
    SkipSpaces();
    if (Peek() == '=') ++pos_;
    SkipSpaces();
    const std::size_t start = pos_;
    if (!(IsLetter(Peek()) || Peek() == '_')) return Fail("a function name was expected");
    while (IsLetter(Peek()) || IsDigit(Peek()) || Peek() == '_' || Peek() == '.')
      ++pos_;
    call.function = std::string(text_.substr(start, pos_ - start));
    SkipSpaces();
    if (Peek() != '(') return Fail("'(' was expected after " + call.function);
    ++pos_;
    SkipSpaces();
    if (Peek() == ')') { // no arguments at all
      ++pos_;
    } else {
      for (;;) {
        Argument argument;
        if (!ParseArgument(argument)) return false;
        call.arguments.push_back(std::move(argument));
        SkipSpaces();
        if (Peek() == ',') {
          ++pos_;
          continue;
        }
        if (Peek() == ')') {
          ++pos_;
          break;
        }
        return Fail(AtEnd() ? "')' is missing" : "',' or ')' was expected");
      }
    }
    SkipSpaces();
    if (!AtEnd()) return Fail("unexpected text after ')'");
    return true;
  }

  bool ParseArgument(Argument& argument) {
    SkipSpaces();
    const char c = Peek();
    if (c == ',' || c == ')') {
      argument = Omitted{};
      return true;
    }
    if (c == '"') return ParseText(argument);
    if (IsDigit(c) || c == '.' || c == '+' || c == '-') return ParseNumber(argument);
    if (c == '\'') return ParseQuotedSheetReference(argument);
    if (c == '$') return ParseRange(std::nullopt, argument);
    if (IsWordChar(c)) return ParseWord(argument);
    return Fail("an argument was expected");
  }

  bool ParseText(Argument& argument) {
    ++pos_; // the opening quote
    std::string text;
    for (;;) {
      if (AtEnd()) return Fail("a text is missing its closing '\"'");
      const char c = text_[pos_++];
      if (c == '"') {
        if (Peek() != '"') break;
        ++pos_; // "" stands for one "
      }
      text.push_back(c);
    }
    if (Utf8Characters(text) > kMaxTextCharacters)
      return Fail("a text in a formula holds at most 255 characters");
    argument = std::move(text);
    return true;
  }

  bool ParseNumber(Argument& argument) {
    const std::size_t start = pos_;
    if (Peek() == '+' || Peek() == '-') ++pos_;
    while (IsDigit(Peek()) || Peek() == '.')
      ++pos_;
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
      pos_ += 2;
      while (IsDigit(Peek()))
        ++pos_;
    }
    const auto number = NumberFromText(text_.substr(start, pos_ - start));
    if (!number || IsWordChar(Peek())) {
      pos_ = start;
      return Fail("not a number");
    }
    argument = *number;
    return true;
  }

  bool ParseQuotedSheetReference(Argument& argument) {
    auto sheet = ReadQuotedSheetName(text_, pos_);
    if (!sheet) return Fail("a sheet name is missing its closing quote");
    if (sheet->empty()) return Fail("empty sheet name");
    if (Peek() != '!') return Fail("'!' was expected after the sheet name");
    ++pos_;
    return ParseRange(std::move(*sheet), argument);
  }

  // A sheet name followed by '!', TRUE, FALSE, or a reference on the formula's sheet.
  bool ParseWord(Argument& argument) {
    const std::size_t start = pos_;
    while (IsWordChar(Peek()))
      ++pos_;
    const std::string_view word = text_.substr(start, pos_ - start);
    if (Peek() == '!') {
      ++pos_;
      return ParseRange(std::string(word), argument);
    }
    if (Peek() != '$' && Peek() != ':') {
      if (EqualsIgnoringCase(word, "TRUE") || EqualsIgnoringCase(word, "FALSE")) {
        argument = EqualsIgnoringCase(word, "TRUE");
        return true;
      }
    }
    pos_ = start;
    return ParseRange(std::nullopt, argument);
  }

  bool ParseRange(std::optional<std::string> sheet, Argument& argument) {
    std::uint32_t row1 = 0, column1 = 0, row2 = 0, column2 = 0;
    if (!ParseCell(row1, column1)) return false;
    row2 = row1;
    column2 = column1;
    const std::size_t after_first = pos_;
    SkipSpaces();
    if (Peek() == ':') {
      ++pos_;
      SkipSpaces();
      if (!ParseCell(row2, column2)) return false;
    } else {
      pos_ = after_first;
    }
    Reference reference;
    reference.sheet = std::move(sheet);
    reference.range = CellRange{std::min(row1, row2), std::max(row1, row2),
                                std::min(column1, column2), std::max(column1, column2)};
    argument = std::move(reference);
    return true;
  }

  // [$]column[$]row inside the grid: columns A..IV and rows 1..65536 before Excel 12, A..XFD
  // and 1..1048576 from 12 on.
  bool ParseCell(std::uint32_t& row, std::uint32_t& column) {
    const std::size_t start = pos_;
    if (Peek() == '$') ++pos_;
    std::uint32_t letters = 0, number = 0;
    while (IsLetter(Peek()) && letters < 3) {
      number = number * 26 + static_cast<std::uint32_t>(Upper(Peek()) - 'A' + 1);
      ++letters;
      ++pos_;
    }
    if (Peek() == '$') ++pos_;
    std::uint32_t digits = 0, row_number = 0;
    while (IsDigit(Peek()) && digits < 7) {
      row_number = row_number * 10 + static_cast<std::uint32_t>(Peek() - '0');
      ++digits;
      ++pos_;
    }
    if (letters == 0 || digits == 0 || IsWordChar(Peek())) {
      pos_ = start;
      return Fail(IsLetter(Peek()) ? "unknown name or bad cell reference"
                                   : "a cell reference was expected");
    }
    if (row_number < 1 || !grid_.Holds(row_number - 1, number - 1)) {
      pos_ = start;
      return Fail("the cell is outside the sheet (" + grid_.Extent() + ")");
    }
    column = number - 1;
    row = row_number - 1;
    return true;
  }

  std::string_view text_;
  Grid grid_;
  std::size_t pos_ = 0;
  std::string error_;
};

} // namespace

ParsedFormula ParseFormula(std::string_view formula, const Grid& grid) {
  return Parser(formula, grid).Parse();
}

std::optional<ParsedSelection> ParseSelection(std::string_view text, const Grid& grid,
                                              std::string& error) {
  Parser parser(text, grid);
  ParsedSelection selection;
  if (!parser.ParseAreas(selection)) {
    error = parser.error();
    return std::nullopt;
  }
  return selection;
}

} // namespace kvhost
