#include "arguments.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <unordered_map>

#include "kvplatform/ansi.h"
#include "values.h"

namespace kvhost {

// Counted texts of one call (ANSI for Excel 4 records, UTF-16 for Excel 12 ones), packed into
// large blocks: a range of thousands of texts costs a few allocations, not one each.
class CallArguments::TextArena {
public:
  char* NewCountedText(std::string_view utf8) {
    // A character is one byte of the code page: the first 255 characters are all that can
    // reach the record, whatever the text's length.
    std::size_t end = 0;
    for (int characters = 0; end < utf8.size() && characters <= 255; ++characters)
      do
        ++end;
      while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80);
    std::string ansi = kvp::Utf8ToAnsi(utf8.substr(0, end));
    // An XLOPER text holds at most 255 characters; longer cell texts reach the add-in cut.
    const std::size_t length = std::min<std::size_t>(ansi.size(), 255);
    char* text = ansi_.Take(length + 2); // length byte, characters, a closing zero
    text[0] = static_cast<char>(static_cast<unsigned char>(length));
    std::memcpy(text + 1, ansi.data(), length);
    text[length + 1] = '\0';
    return text;
  }

  // Equal texts in one call share their record text, as a workbook's shared string is kept
  // once: the add-in only reads them, and a long text shown by many cells would otherwise cost
  // its 64 KiB in every cell.
  XCHAR* NewCountedText12(std::string_view utf8) {
    auto [known, added] = texts12_.try_emplace(std::string(utf8), nullptr);
    if (added) known->second = CopyCountedText12(utf8);
    return known->second;
  }

private:
  // Counted texts packed one after another into blocks of kBlockUnits units, each far longer
  // than the longest text.
  template <class Char> class Blocks {
  public:
    Char* Take(std::size_t units) {
      if (blocks_.empty() || used_ + units > kBlockUnits) {
        blocks_.push_back(std::make_unique<Char[]>(kBlockUnits));
        used_ = 0;
      }
      Char* taken = blocks_.back().get() + used_;
      used_ += units;
      return taken;
    }

  private:
    static constexpr std::size_t kBlockUnits = 1 << 16;
    std::vector<std::unique_ptr<Char[]>> blocks_;
    std::size_t used_ = 0;
  };

  // An Excel 12 text holds at most 32767 UTF-16 units; a longer cell text reaches the add-in
  // cut, never in the middle of a surrogate pair.
  XCHAR* CopyCountedText12(std::string_view utf8) {
    const std::u16string units = kvp::Utf8ToUtf16(utf8);
    std::size_t length = std::min<std::size_t>(units.size(), kMaxText12);
    if (length < units.size() && length > 0 && (units[length - 1] & 0xFC00) == 0xD800) --length;
    XCHAR* text = utf16_.Take(length + 2); // length unit, units, a closing zero
    text[0] = static_cast<XCHAR>(length);
    std::copy_n(units.begin(), length, text + 1);
    text[length + 1] = 0;
    return text;
  }

  static constexpr std::size_t kMaxText12 = 32767;
  Blocks<char> ansi_;
  Blocks<XCHAR> utf16_;
  std::unordered_map<std::string, XCHAR*> texts12_;
};

namespace {

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  return text;
}

// The one value a by-value argument takes: the constant, the single cell's value, or empty
// when omitted. Nothing for a range of several cells.
std::optional<Value> SingleValue(const Operand& operand) {
  switch (operand.kind) {
  case Operand::Kind::Omitted: return Value{};
  case Operand::Kind::Constant: return operand.constant;
  case Operand::Kind::Cells:
    if (operand.range.Rows() != 1 || operand.range.Columns() != 1) return std::nullopt;
    return operand.cells->Get(operand.range.first_row, operand.range.first_column);
  }
  return std::nullopt;
}

// The number a by-value argument passes, or the error that stops the call.
struct Scalar {
  double number = 0;
  std::optional<std::uint16_t> error;
  std::string problem;
};

Scalar Passes(double number) {
  Scalar scalar;
  scalar.number = number;
  return scalar;
}

Scalar Refused(std::uint16_t code, std::string problem = {}) {
  Scalar scalar;
  scalar.error = code;
  scalar.problem = std::move(problem);
  return scalar;
}

// A Boolean for A: TRUE/FALSE, or a number (any non-zero number is TRUE); empty is FALSE.
Scalar BooleanOf(const Value& value) {
  switch (value.type) {
  case ValueType::Empty: return Passes(0);
  case ValueType::Number: return Passes(value.number != 0 ? 1 : 0);
  case ValueType::Boolean: return Passes(value.boolean ? 1 : 0);
  case ValueType::Text:
    if (EqualsIgnoringCase(value.text, "TRUE")) return Passes(1);
    if (EqualsIgnoringCase(value.text, "FALSE")) return Passes(0);
    return Refused(xlerrValue, "the text \"" + value.text + "\" is not TRUE or FALSE");
  case ValueType::Error: return Refused(value.error);
  }
  return Passes(0);
}

// A number for B, I and J: a number, a Boolean (TRUE is 1), or a text that reads as a number,
// as Excel converts "12" for a numeric argument; empty is 0.
Scalar NumberOf(const Value& value) {
  switch (value.type) {
  case ValueType::Empty: return Passes(0);
  case ValueType::Number: return Passes(value.number);
  case ValueType::Boolean: return Passes(value.boolean ? 1 : 0);
  case ValueType::Text:
    if (const auto number = NumberFromText(TrimSpaces(value.text))) return Passes(*number);
    return Refused(xlerrValue, "the text \"" + value.text + "\" is not a number");
  case ValueType::Error: return Refused(value.error);
  }
  return Passes(0);
}

} // namespace

CallArguments::CallArguments() : texts_(std::make_unique<TextArena>()) {}
CallArguments::~CallArguments() = default;

template <class Oper> void CallArguments::Fill(Oper& record, const Value& value) {
  switch (value.type) {
  case ValueType::Empty: record.xltype = xltypeNil; break;
  case ValueType::Number:
    record.xltype = xltypeNum;
    record.val.num = value.number;
    break;
  case ValueType::Text:
    record.xltype = xltypeStr;
    if constexpr (std::is_same_v<Oper, XLOPER>)
      record.val.str = texts_->NewCountedText(value.text);
    else
      record.val.str = texts_->NewCountedText12(value.text);
    break;
  case ValueType::Boolean:
    record.xltype = xltypeBool;
    record.val.xbool = value.boolean ? 1 : 0;
    break;
  case ValueType::Error:
    record.xltype = xltypeErr;
    record.val.err = value.error;
    break;
  }
}

// P and Q: a value record, never a reference. A range of several cells becomes an array of its
// values row by row, empty cells nil; one cell or a constant a plain value; omitted, missing.
template <class Oper>
std::optional<std::uint16_t> CallArguments::AddRecord(const Operand& operand,
                                                      std::string& problem) {
  auto record = std::make_unique<Oper>();
  const CellRange& range = operand.range;
  if (operand.kind == Operand::Kind::Omitted) {
    record->xltype = xltypeMissing;
  } else if (operand.kind == Operand::Kind::Constant) {
    Fill(*record, operand.constant);
  } else if (range.Rows() == 1 && range.Columns() == 1) {
    Fill(*record, operand.cells->Get(range.first_row, range.first_column));
  } else {
    // An Excel 4 array's row count is 16-bit: a whole column of 65536 rows does not fit.
    if (std::is_same_v<Oper, XLOPER> && range.Rows() > std::numeric_limits<std::uint16_t>::max()) {
      problem = "a range of " + std::to_string(range.Rows()) +
                " rows does not fit an XLOPER array (at most 65535)";
      return xlerrValue;
    }
    const std::size_t count = std::size_t{range.Rows()} * range.Columns();
    auto elements = std::make_unique<Oper[]>(count);
    std::size_t i = 0;
    for (std::uint32_t row = range.first_row; row <= range.last_row; ++row)
      for (std::uint32_t column = range.first_column; column <= range.last_column; ++column)
        Fill(elements[i++], operand.cells->Get(row, column));
    record->xltype = xltypeMulti;
    record->val.array.lparray = elements.get();
    record->val.array.rows = static_cast<decltype(record->val.array.rows)>(range.Rows());
    record->val.array.columns = static_cast<decltype(record->val.array.columns)>(range.Columns());
    if constexpr (std::is_same_v<Oper, XLOPER>)
      arrays_.push_back(std::move(elements));
    else
      arrays12_.push_back(std::move(elements));
  }
  NativeValue native;
  native.letter = kRecordLetter<Oper>;
  RecordOf<Oper>(native) = record.get();
  if constexpr (std::is_same_v<Oper, XLOPER>)
    records_.push_back(std::move(record));
  else
    records12_.push_back(std::move(record));
  values_.push_back(native);
  return std::nullopt;
}

std::optional<std::uint16_t> CallArguments::Add(char letter, const Operand& operand,
                                                std::string& problem) {
  if (letter == 'P') return AddRecord<XLOPER>(operand, problem);
  if (letter == 'Q') return AddRecord<XLOPER12>(operand, problem);

  const auto value = SingleValue(operand);
  if (!value) {
    problem = "a range of several cells where one value is expected";
    return xlerrValue;
  }
  const Scalar scalar = letter == 'A' ? BooleanOf(*value) : NumberOf(*value);
  if (scalar.error) {
    problem = scalar.problem;
    return scalar.error;
  }
  NativeValue native;
  native.letter = letter;
  switch (letter) {
  case 'A': native.short_value = static_cast<std::int16_t>(scalar.number); break;
  case 'B': native.number = scalar.number; break;
  case 'I':
  case 'J': {
    // Excel's documentation does not say whether 2.7 reaches an integer argument as 2 or 3:
    // kvhost truncates toward zero (2.7 -> 2, -2.7 -> -2), as C converts a double to an
    // integer, and checks the range after truncating.
    const double whole = std::trunc(scalar.number);
    const double low = letter == 'I' ? std::numeric_limits<std::int16_t>::min()
                                     : std::numeric_limits<std::int32_t>::min();
    const double high = letter == 'I' ? std::numeric_limits<std::int16_t>::max()
                                      : std::numeric_limits<std::int32_t>::max();
    if (!(whole >= low && whole <= high)) {
      problem = GeneralNumberText(scalar.number) + " is outside the range of a " +
                (letter == 'I' ? "16" : "32") + "-bit integer argument";
      return xlerrNum;
    }
    if (letter == 'I')
      native.short_value = static_cast<std::int16_t>(whole);
    else
      native.long_value = static_cast<std::int32_t>(whole);
    break;
  }
  default:
    problem = std::string("kvhost does not pass the type letter ") + letter;
    return xlerrValue;
  }
  values_.push_back(native);
  return std::nullopt;
}

} // namespace kvhost
