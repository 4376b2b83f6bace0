#include "xlsx_worksheet_reader.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "../model/references.h"
#include "date_serial.h"
#include "xml_lean.h"

namespace kvhost::xlsx {
namespace {

// The largest sheet any workbook file may describe (XFD1048576); beyond it a reference is
// malformed, not merely outside kvhost's grid.
constexpr std::uint32_t kFileRows = 1048576;
constexpr std::uint32_t kFileColumns = 16384;

template <class Number> std::optional<Number> WholeNumber(std::string_view text) {
  Number value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The power of ten of a number's first significant digit, from its text ("1E5000" 5000,
// "0.001" -3), clamped far past any floating-point range; 0 for a zero. The text is one
// from_chars has read whole.
long long DecimalExponent(std::string_view text) {
  constexpr long long kFar = 1'000'000;
  long long integer_digits = 0, index = 0, first = -1;
  std::size_t i = text.front() == '-' ? 1 : 0;
  bool point = false;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    if (text[i] == '.') {
      point = true;
      continue;
    }
    if (!point) ++integer_digits;
    if (first < 0 && text[i] != '0') first = index;
    ++index;
  }
  if (first < 0) return 0;
  long long exponent = 0;
  if (i + 1 < text.size()) {
    std::size_t j = i + 1;
    const bool negative = text[j] == '-';
    if (text[j] == '-' || text[j] == '+') ++j;
    for (; j < text.size() && exponent < kFar; ++j)
      exponent = exponent * 10 + (text[j] - '0');
    if (negative) exponent = -exponent;
  }
  return integer_digits - 1 - first + exponent;
}

// A number as a cell's <v> holds it. A text past the largest double only by the rounding of its
// last digit (writers that keep 15 or 16 significant digits write -1.797693134862316E+308 for
// the largest negative double) is that double; a number too small for a double is 0 or the
// nearest subnormal.
std::optional<double> NumberText(std::string_view text) {
  if (const auto number = WholeNumber<double>(text)) return number;
  long double wide = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), wide);
  if (end != text.data() + text.size() ||
      (ec != std::errc() && ec != std::errc::result_out_of_range))
    return std::nullopt;
  // Past even a long double's range, from_chars leaves the value as it was: the text is too
  // large for any cell, or so small that it is 0.
  if (ec == std::errc::result_out_of_range) {
    if (DecimalExponent(text) > 0) return std::nullopt;
    return text.front() == '-' ? -0.0 : 0.0;
  }
  constexpr long double kMax = std::numeric_limits<double>::max();
  if (std::fabs(wide) > kMax * (1 + 1e-15L)) return std::nullopt;
  if (std::fabs(wide) > kMax)
    return std::copysign(std::numeric_limits<double>::max(), static_cast<double>(wide));
  return static_cast<double>(wide);
}

// A text that is a number but for its size (NumberText refuses it).
bool IsNumberBeyondRange(std::string_view text) {
  const std::string_view digits = text.substr(!text.empty() && text.front() == '-' ? 1 : 0);
  if (digits.empty() ||
      !((digits.front() >= '0' && digits.front() <= '9') || digits.front() == '.'))
    return false; // "inf", "nan"
  long double wide = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), wide);
  return end == text.data() + text.size() &&
         (ec == std::errc::result_out_of_range || ec == std::errc()) && DecimalExponent(text) > 0;
}

// "B12" -> row 11, column 1 (counted from 0).
bool ParseCellReference(std::string_view text, std::uint32_t& row, std::uint32_t& column) {
  std::size_t i = 0;
  std::uint32_t letters = 0;
  while (i < text.size() && i < 4 && text[i] >= 'A' && text[i] <= 'Z')
    letters = letters * 26 + static_cast<std::uint32_t>(text[i++] - 'A' + 1);
  if (i == 0 || letters > kFileColumns) return false;
  const auto number = WholeNumber<std::uint32_t>(text.substr(i));
  if (!number || *number < 1 || *number > kFileRows) return false;
  row = *number - 1;
  column = letters - 1;
  return true;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\n' || text.front() == '\r' ||
                           text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

// Excel's error names the Excel 4 interface has codes for; a newer error is #VALUE! there.
std::uint16_t ErrorCode(std::string_view name) {
  if (const auto code = ErrorCodeFromName(Trimmed(name))) return *code;
  return 15; // #VALUE!
}

// A cell's text as it arrives in pieces, counted in Excel's characters so that an overlong one
// is refused at once rather than gathered whole.
class CellText {
public:
  // False once the text is longer than a cell may hold.
  bool Append(std::string_view piece) {
    for (const char byte : piece) {
      const auto b = static_cast<unsigned char>(byte);
      if ((b & 0xC0) != 0x80) units_ += b >= 0xF0 ? 2 : 1; // a character past U+FFFF is two
    }
    if (units_ > kMaxCellCharacters) return false;
    text_.append(piece);
    return true;
  }
  void Clear() {
    text_.clear();
    units_ = 0;
  }
  const std::string& Get() const { return text_; }

private:
  std::string text_;
  std::size_t units_ = 0;
};

// The first bytes of a cell's text for a one-line message: line ends and other control
// characters inside it become spaces.
std::string Shown(std::string_view text, std::size_t bytes) {
  std::string shown(text.substr(0, bytes));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return shown;
}

std::string TooLong() {
  return "longer than " + std::to_string(kMaxCellCharacters) + " characters, a cell's limit";
}

bool TakeFromBudget(WorkbookContext& context, std::size_t bytes) {
  context.text_bytes += bytes;
  return context.text_bytes <= context.max_text_bytes;
}

std::string OverBudget(const WorkbookContext& context) {
  return "brings more than " + std::to_string(context.max_text_bytes) +
         " bytes of text in all, beyond what kvhost reads from one workbook";
}

class SheetReader final : public XmlHandler {
public:
  SheetReader(const std::string& sheet, WorkbookContext& context, Cells& cells)
      : sheet_(sheet), context_(context), cells_(cells) {}

  void Start(std::string_view name, const char** attributes) override {
    if (in_cell_) {
      if ((name == "v" || name == "is") && has_value_)
        return Fail("holds more than one value at " + Where());
      if (name == "v") {
        in_value_ = true;
        has_value_ = true;
      } else if (name == "is") {
        in_inline_ = true;
        has_value_ = true;
      } else if (in_inline_ && name == "rPh") {
        ++in_phonetic_;
      } else if (in_inline_ && name == "t" && in_phonetic_ == 0) {
        in_inline_text_ = true;
      }
      return;
    }
    if (name == "sheetData") {
      in_sheet_data_ = true;
    } else if (!in_sheet_data_) {
      return; // the sheet's views, formats and extensions bring no values
    } else if (name == "c") {
      StartCell(attributes);
    } else if (name == "row") {
      if (const char* r = Attribute(attributes, "r")) {
        const auto number = WholeNumber<std::uint32_t>(r);
        if (!number || *number < 1 || *number > kFileRows)
          return Fail(std::string("has a row numbered \"") + r + "\"");
        row_ = *number - 1;
      } else {
        row_ = started_rows_ ? row_ + 1 : 0;
      }
      started_rows_ = true;
      next_column_ = 0;
    }
  }

  void End(std::string_view name) override {
    if (name == "sheetData") in_sheet_data_ = false;
    if (!in_cell_) return;
    if (name == "v") {
      in_value_ = false;
    } else if (name == "t") {
      in_inline_text_ = false;
    } else if (name == "rPh") {
      if (in_phonetic_ > 0) --in_phonetic_;
    } else if (name == "is") {
      in_inline_ = false;
    } else if (name == "c") {
      in_cell_ = false;
      StoreCell();
    }
  }

  void Text(std::string_view text) override {
    if (!text_.Append(text)) Fail("holds at " + Where() + " a value " + TooLong());
  }
  bool WantsText() const override { return in_value_ || in_inline_text_; }

  // A cell of the shape writers give a number or a shared text, <c r="B2" s="1" t="n"><v>1.5</v>
  // </c> (the style and the type may be left out), read whole as its elements' calls would
  // read it. Anything else, or a cell they would refuse, is left to them.
  std::size_t Shortcut(const char* bytes, std::size_t size) override {
    if (in_cell_ || !in_sheet_data_ || !failure.empty()) return 0;
    std::string_view rest(bytes, size);
    const auto take = [&rest](std::string_view prefix) {
      if (rest.substr(0, prefix.size()) != prefix) return false;
      rest.remove_prefix(prefix.size());
      return true;
    };
    // A short value of plain characters up to its closing quote (or the '<' of </v>).
    const auto value = [&rest](char close, auto allowed, std::string_view& out) {
      const std::size_t end = rest.substr(0, 40).find(close);
      if (end == std::string_view::npos || end == 0) return false;
      out = rest.substr(0, end);
      for (const char c : out)
        if (!allowed(c)) return false;
      rest.remove_prefix(end + 1);
      return true;
    };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto reference_byte = [digit](char c) { return digit(c) || (c >= 'A' && c <= 'Z'); };
    const auto number_byte = [digit](char c) {
      return digit(c) || c == '-' || c == '.' || c == 'E' || c == 'e' || c == '+';
    };
    const auto type_byte = [](char c) { return c == 'n' || c == 's'; };
    std::string_view reference, style, type = "n", text;
    if (!take("<c r=\"") || !value('"', reference_byte, reference)) return 0;
    if (take(" s=\"") && !value('"', digit, style)) return 0;
    if (take(" t=\"") && !value('"', type_byte, type)) return 0;
    if ((type != "n" && type != "s") || !take("><v>") || !value('<', number_byte, text) ||
        !take("/v></c>"))
      return 0;
    std::uint32_t row = 0, column = 0;
    if (!ParseCellReference(reference, row, column) || !context_.grid.Holds(row, column)) return 0;
    if (type == "n") {
      const auto number = NumberText(text);
      if (!number || !std::isfinite(*number)) return 0;
      cells_.SetNumber(row, column, *number);
    } else {
      const auto index = WholeNumber<std::size_t>(text);
      if (!index || *index >= context_.shared_strings.size()) return 0;
      cells_.SetText(row, column, context_.shared_strings[*index]);
    }
    row_ = row;
    column_ = column;
    next_column_ = column + 1;
    return size - rest.size();
  }

private:
  void Fail(std::string why) {
    if (failure.empty()) failure = "sheet '" + sheet_ + "' " + std::move(why);
  }

  std::string Where() const { return ColumnLetters(column_) + std::to_string(row_ + 1); }

  void StartCell(const char** attributes) {
    in_cell_ = true;
    has_value_ = false;
    in_phonetic_ = 0;
    text_.Clear();
    type_ = 'n';
    if (const char* t = Attribute(attributes, "t")) {
      const std::string_view type(t);
      if (type == "s")
        type_ = 's';
      else if (type == "str")
        type_ = 't';
      else if (type == "inlineStr")
        type_ = 'i';
      else if (type == "b")
        type_ = 'b';
      else if (type == "e")
        type_ = 'e';
      else if (type == "d")
        type_ = 'd';
      else if (type != "n")
        return Fail("has a cell of unknown type \"" + std::string(type) + "\"");
    }
    if (const char* r = Attribute(attributes, "r")) {
      std::uint32_t row = 0;
      if (!ParseCellReference(r, row, column_))
        return Fail(std::string("has a cell at \"") + r + "\", which is no cell reference");
      // A cell outside its row element is malformed; Excel and LibreOffice take the cell's own.
      row_ = row;
    } else {
      column_ = next_column_;
    }
    next_column_ = column_ + 1;
  }

  void StoreCell() {
    if (!has_value_ || !failure.empty()) return; // a styled cell, or a formula never calculated
    if (!context_.grid.Holds(row_, column_))
      return Fail("holds a value at " + Where() + ", beyond " + context_.grid.Described());
    switch (type_) {
    case 'n': {
      const std::string_view text = Trimmed(text_.Get());
      if (text.empty()) return; // <v/>: no value
      const auto number = NumberText(text);
      if (!number && IsNumberBeyondRange(text))
        return Fail("holds \"" + Shown(text, 40) + "\" at " + Where() +
                    ", a number beyond the largest a cell holds (1.79769313486232E+308)");
      if (!number || !std::isfinite(*number))
        return Fail("holds \"" + Shown(text, 40) + "\" at " + Where() +
                    " where a number was expected");
      cells_.SetNumber(row_, column_, *number);
      return;
    }
    case 's': {
      const auto index = WholeNumber<std::size_t>(Trimmed(text_.Get()));
      if (!index || *index >= context_.shared_strings.size())
        return Fail("refers at " + Where() + " to shared string \"" + Shown(text_.Get(), 20) +
                    "\" of " + std::to_string(context_.shared_strings.size()));
      cells_.SetText(row_, column_, context_.shared_strings[*index]);
      return;
    }
    case 't':
    case 'i':
      if (!TakeFromBudget(context_, text_.Get().size())) return Fail(OverBudget(context_));
      cells_.SetText(row_, column_, text_.Get());
      return;
    case 'b': {
      const std::string_view text = Trimmed(text_.Get());
      if (text == "1" || text == "true")
        cells_.SetBoolean(row_, column_, true);
      else if (text == "0" || text == "false")
        cells_.SetBoolean(row_, column_, false);
      else
        return Fail("holds \"" + Shown(text, 40) + "\" at " + Where() +
                    " where a Boolean was expected");
      return;
    }
    case 'e': cells_.SetError(row_, column_, ErrorCode(text_.Get())); return;
    case 'd': {
      const auto serial = SerialFromDateText(Trimmed(text_.Get()), context_.date1904);
      if (!serial)
        return Fail("holds \"" + Shown(text_.Get(), 40) + "\" at " + Where() +
                    " where a date was expected");
      cells_.SetNumber(row_, column_, *serial);
      return;
    }
    }
  }

  const std::string& sheet_;
  WorkbookContext& context_;
  Cells& cells_;
  std::uint32_t row_ = 0;
  std::uint32_t column_ = 0;
  std::uint32_t next_column_ = 0;
  bool started_rows_ = false;
  bool in_sheet_data_ = false;
  bool in_cell_ = false;
  bool in_value_ = false;
  bool in_inline_ = false;
  bool in_inline_text_ = false;
  int in_phonetic_ = 0;
  bool has_value_ = false;
  char type_ = 'n'; // n number, s shared, t formula text, i inline, b Boolean, e error, d date
  CellText text_;
};

class SharedStringsReader final : public XmlHandler {
public:
  explicit SharedStringsReader(WorkbookContext& context) : context_(context) {}

  void Start(std::string_view name, const char**) override {
    if (name == "si") {
      in_item_ = true;
      text_.Clear();
    } else if (in_item_ && name == "rPh") {
      ++in_phonetic_;
    } else if (in_item_ && name == "t" && in_phonetic_ == 0) {
      in_text_ = true;
    }
  }
  void End(std::string_view name) override {
    if (name == "t") {
      in_text_ = false;
    } else if (name == "rPh") {
      if (in_phonetic_ > 0) --in_phonetic_;
    } else if (name == "si" && in_item_) {
      in_item_ = false;
      auto& strings = context_.shared_strings;
      // No cell of the grid can refer to more texts than it has cells.
      if (strings.size() >= std::size_t{context_.grid.rows} * context_.grid.columns) {
        failure = "the shared strings part holds more texts than the grid has cells";
        return;
      }
      if (!TakeFromBudget(context_, text_.Get().size())) {
        failure = "the shared strings part " + OverBudget(context_);
        return;
      }
      strings.push_back(std::make_shared<const std::string>(text_.Get()));
    }
  }
  void Text(std::string_view text) override {
    if (!text_.Append(text))
      failure = "the shared strings part's text " +
                std::to_string(context_.shared_strings.size() + 1) + " is " + TooLong();
  }
  bool WantsText() const override { return in_text_; }

private:
  WorkbookContext& context_;
  bool in_item_ = false;
  bool in_text_ = false;
  int in_phonetic_ = 0;
  CellText text_;
};

} // namespace

bool ReadWorksheetPart(const ZipPackage& package, const std::string& part,
                       const std::string& sheet_name, WorkbookContext& context, Cells& cells,
                       std::string& error) {
  // The plain XML that writers give a worksheet goes through the lean reader. Whatever it
  // leaves (other XML, or a part that is refused) is read again through expat, from a clean
  // start, which finds the reason and words it.
  const std::uint64_t text_bytes = context.text_bytes;
  {
    SheetReader reader(sheet_name, context, cells);
    LeanXmlReader lean(reader);
    std::string ignored;
    if (package.Read(
            part, [&lean](std::string_view bytes) { return lean.Feed(bytes); }, ignored) &&
        lean.Finished())
      return true;
  }
  cells = Cells();
  context.text_bytes = text_bytes;
  SheetReader reader(sheet_name, context, cells);
  return package.Parse(part, reader, error);
}

bool ReadSharedStrings(const ZipPackage& package, const std::string& part, WorkbookContext& context,
                       std::string& error) {
  SharedStringsReader reader(context);
  return package.Parse(part, reader, error);
}

} // namespace kvhost::xlsx
