#include "xlsx_worksheet_reader.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "../model/references.h"
#include "date_serial.h"

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
  constexpr long double kMax = std::numeric_limits<double>::max();
  if (std::fabs(wide) > kMax * (1 + 1e-15L)) return std::nullopt;
  if (std::fabs(wide) > kMax)
    return std::copysign(std::numeric_limits<double>::max(), static_cast<double>(wide));
  return static_cast<double>(wide);
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

class SheetReader final : public XmlHandler {
public:
  SheetReader(const std::string& sheet, const WorkbookContext& context, Cells& cells)
      : sheet_(sheet), context_(context), cells_(cells) {}

  void Start(std::string_view name, const char** attributes) override {
    if (in_cell_) {
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

  void Text(std::string_view text) override { text_.append(text); }
  bool WantsText() const override { return in_value_ || in_inline_text_; }

private:
  void Fail(std::string why) {
    if (failure.empty()) failure = "sheet '" + sheet_ + "' " + std::move(why);
  }

  std::string Where() const { return ColumnLetters(column_) + std::to_string(row_ + 1); }

  void StartCell(const char** attributes) {
    in_cell_ = true;
    has_value_ = false;
    in_phonetic_ = 0;
    text_.clear();
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
    if (row_ >= kMaxRows || column_ >= kMaxColumns)
      return Fail("holds a value at " + Where() + ", beyond kvhost's grid of " +
                  std::to_string(kMaxRows) + " rows and " + std::to_string(kMaxColumns) +
                  " columns (A:IV), the Excel 4 interface's");
    switch (type_) {
    case 'n': {
      const std::string_view text = Trimmed(text_);
      if (text.empty()) return; // <v/>: no value
      const auto number = NumberText(text);
      if (!number || !std::isfinite(*number))
        return Fail("holds \"" + std::string(text.substr(0, 40)) + "\" at " + Where() +
                    " where a number was expected");
      cells_.SetNumber(row_, column_, *number);
      return;
    }
    case 's': {
      const auto index = WholeNumber<std::size_t>(Trimmed(text_));
      if (!index || *index >= context_.shared_strings.size())
        return Fail("refers at " + Where() + " to shared string \"" + text_.substr(0, 20) +
                    "\" of " + std::to_string(context_.shared_strings.size()));
      cells_.SetText(row_, column_, context_.shared_strings[*index]);
      return;
    }
    case 't':
    case 'i': cells_.SetText(row_, column_, text_); return;
    case 'b': {
      const std::string_view text = Trimmed(text_);
      if (text == "1" || text == "true")
        cells_.SetBoolean(row_, column_, true);
      else if (text == "0" || text == "false")
        cells_.SetBoolean(row_, column_, false);
      else
        return Fail("holds \"" + std::string(text.substr(0, 40)) + "\" at " + Where() +
                    " where a Boolean was expected");
      return;
    }
    case 'e': cells_.SetError(row_, column_, ErrorCode(text_)); return;
    case 'd': {
      const auto serial = SerialFromDateText(Trimmed(text_), context_.date1904);
      if (!serial)
        return Fail("holds \"" + text_.substr(0, 40) + "\" at " + Where() +
                    " where a date was expected");
      cells_.SetNumber(row_, column_, *serial);
      return;
    }
    }
  }

  const std::string& sheet_;
  const WorkbookContext& context_;
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
  std::string text_;
};

class SharedStringsReader final : public XmlHandler {
public:
  explicit SharedStringsReader(std::vector<std::string>& strings) : strings_(strings) {}

  void Start(std::string_view name, const char**) override {
    if (name == "si") {
      in_item_ = true;
      text_.clear();
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
      // No cell of the grid can refer to more texts than it has cells.
      if (strings_.size() >= std::size_t{kMaxRows} * kMaxColumns) {
        failure = "the shared strings part holds more texts than the grid has cells";
        return;
      }
      strings_.push_back(text_);
    }
  }
  void Text(std::string_view text) override { text_.append(text); }
  bool WantsText() const override { return in_text_; }

private:
  std::vector<std::string>& strings_;
  bool in_item_ = false;
  bool in_text_ = false;
  int in_phonetic_ = 0;
  std::string text_;
};

} // namespace

bool ReadWorksheetPart(const ZipPackage& package, const std::string& part,
                       const std::string& sheet_name, const WorkbookContext& context, Cells& cells,
                       std::string& error) {
  SheetReader reader(sheet_name, context, cells);
  return package.Parse(part, reader, error);
}

bool ReadSharedStrings(const ZipPackage& package, const std::string& part,
                       std::vector<std::string>& strings, std::string& error) {
  SharedStringsReader reader(strings);
  return package.Parse(part, reader, error);
}

} // namespace kvhost::xlsx
