// The cells of a worksheet, and the values they hold.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvhost {

enum class ValueType : std::uint8_t { Empty, Number, Text, Boolean, Error };

// What a cell holds or a formula gives: a number, a UTF-8 text, a Boolean, one of Excel's error
// codes (0 #NULL!, 7 #DIV/0!, 15 #VALUE!, 23 #REF!, 29 #NAME?, 36 #NUM!, 42 #N/A), or nothing.
struct Value {
  ValueType type = ValueType::Empty;
  double number = 0;
  bool boolean = false;
  std::uint16_t error = 0;
  std::string text;

  static Value Number(double n) { return Value{ValueType::Number, n, false, 0, {}}; }
  static Value Text(std::string t) { return Value{ValueType::Text, 0, false, 0, std::move(t)}; }
  static Value Boolean(bool b) { return Value{ValueType::Boolean, 0, b, 0, {}}; }
  static Value Error(std::uint16_t code) { return Value{ValueType::Error, 0, false, code, {}}; }

  bool operator==(const Value&) const = default;
};

// Excel's name of an error code ("#N/A"); empty for a code Excel does not have.
std::string_view ErrorName(std::uint16_t code);
// What a cell shows for a value that is no number: the text itself, TRUE or FALSE, the error's
// name (#VALUE! for a code Excel does not have), nothing when empty. A number shows by a number
// format or a precision its caller chooses: empty here.
std::string NonNumberText(const Value& value);
// The code of an error name in any case ("#n/a" -> 42), as Excel reads one typed into a cell.
std::optional<std::uint16_t> ErrorCodeFromName(std::string_view name);

// Texts equal but for the case of ASCII letters, as Excel compares TRUE, error names and
// sheet names (whatever the process locale).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// A number as typed into a cell: optional sign, digits with an optional '.' decimal point,
// optional exponent ("-1.5", "+2", ".5", "3E+20"). Never the locale's decimal comma, never
// "inf", "nan" or hexadecimal. Nothing when `text` is not exactly such a number.
std::optional<double> NumberFromText(std::string_view text);

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

// A sheet's grid. The Excel 4 interface's references hold 16-bit rows and 8-bit columns, so an
// Excel before 12 has 65536 rows and 256 columns (A..IV); from 12 on, with the Excel 12
// interface, 1,048,576 rows and 16,384 columns (A..XFD).
struct Grid {
  std::uint32_t rows = 0;
  std::uint32_t columns = 0;

  bool Holds(std::uint32_t row, std::uint32_t column) const {
    return row < rows && column < columns;
  }
  bool Holds(const CellRange& range) const {
    return range.first_row <= range.last_row && range.first_column <= range.last_column &&
           Holds(range.last_row, range.last_column);
  }
  // "A1:IV65536", "A1:XFD1048576".
  std::string Extent() const;
  // "kvhost's grid of 65536 rows and 256 columns (A1:IV65536), the Excel 4 interface's", for
  // the messages that refuse what lies beyond it.
  std::string Described() const;
  bool operator==(const Grid&) const = default;
};
constexpr Grid kExcel4Grid{65536, 256};
constexpr Grid kExcel12Grid{1048576, 16384};
// The largest grid: what a sheet's cells can hold, whatever the Excel kvhost plays.
constexpr std::uint32_t kMaxRows = kExcel12Grid.rows;
constexpr std::uint32_t kMaxColumns = kExcel12Grid.columns;

// One worksheet's cells, stored column by column in pages of 1024 rows, each made when a cell
// of it is first set: a sheet of data costs 16 bytes a cell and an empty one nothing, and a
// value far down a column costs one page, not the rows above it. A text of up to 8 bytes sits
// in its cell; longer ones live in a pool the cells index (16 bytes, the text's control block
// and the text, which cells given the same shared text share).
class Cells {
public:
  Cells() = default;
  Cells(const Cells& other);
  Cells& operator=(const Cells& other);
  Cells(Cells&&) noexcept = default;
  Cells& operator=(Cells&&) noexcept = default;

  // Row and column are counted from 0 and must lie inside the grid.
  Value Get(std::uint32_t row, std::uint32_t column) const;
  ValueType TypeAt(std::uint32_t row, std::uint32_t column) const;
  // The number a cell holds; 0 when it holds none.
  double NumberAt(std::uint32_t row, std::uint32_t column) const {
    const Cell* cell = Find(row, column);
    return cell != nullptr && cell->type == ValueType::Number ? cell->number : 0;
  }
  // The cell's type, and its number in `number` when it holds one: one lookup for both.
  ValueType TypeAndNumber(std::uint32_t row, std::uint32_t column, double& number) const {
    const Cell* cell = Find(row, column);
    if (cell == nullptr) return ValueType::Empty;
    number = cell->number;
    return cell->type;
  }

  void SetNumber(std::uint32_t row, std::uint32_t column, double number);
  void SetText(std::uint32_t row, std::uint32_t column, std::string_view utf8);
  // A text many cells may hold (a workbook's shared string): kept once, whatever the cells.
  void SetText(std::uint32_t row, std::uint32_t column,
               const std::shared_ptr<const std::string>& utf8);
  void SetBoolean(std::uint32_t row, std::uint32_t column, bool flag);
  void SetError(std::uint32_t row, std::uint32_t column, std::uint16_t code);
  void Set(std::uint32_t row, std::uint32_t column, const Value& value);
  void Clear(std::uint32_t row, std::uint32_t column);

  // The used extent: one past the last row and column that ever held a value.
  std::uint32_t Rows() const { return rows_; }
  std::uint32_t Columns() const { return static_cast<std::uint32_t>(columns_.size()); }
  bool IsEmpty() const { return rows_ == 0; }

  // Calls visit(row, column) for each cell that holds a value, row by row and, within a row,
  // column by column, at the cost of the pages in use: a sheet with one value at A1 and one
  // at XFD1048576 is two visits, not the cells between them.
  template <class Visit> void ForEachValue(Visit&& visit) const {
    std::vector<std::pair<std::uint32_t, const Cell*>> band;
    for (std::uint32_t page = 0; page * kPageRows < rows_; ++page) {
      band.clear();
      for (std::uint32_t column = 0; column < Columns(); ++column)
        if (page < columns_[column].size() && columns_[column][page])
          band.emplace_back(column, columns_[column][page].get());
      if (band.empty()) continue;
      for (std::uint32_t offset = 0; offset < kPageRows; ++offset)
        for (const auto& [column, cells] : band)
          if (cells[offset].type != ValueType::Empty) visit(page * kPageRows + offset, column);
    }
  }

private:
  struct Cell {
    double number = 0;
    std::uint32_t detail = 0; // text slot, error code or Boolean
    ValueType type = ValueType::Empty;
  };
  static_assert(sizeof(Cell) == 16);
  // In a text cell's detail: the text is in the cell's own 8 bytes, its length in the low bits.
  static constexpr std::uint32_t kInlineText = 0x80000000u;
  static std::string_view InlineText(const Cell& cell) {
    return {reinterpret_cast<const char*>(&cell.number), cell.detail & ~kInlineText};
  }

  Cell& Place(std::uint32_t row, std::uint32_t column); // makes the page; frees an old text
  const Cell* Find(std::uint32_t row, std::uint32_t column) const;

  static constexpr std::uint32_t kPageRows = 1024;
  using Page = std::unique_ptr<Cell[]>; // kPageRows cells, or none yet
  std::vector<std::vector<Page>> columns_;
  std::uint32_t rows_ = 0;
  std::uint32_t NewTextSlot(std::shared_ptr<const std::string> text);

  std::vector<std::shared_ptr<const std::string>> texts_;
  std::vector<std::uint32_t> free_texts_; // slots of texts that were overwritten
};

} // namespace kvhost
