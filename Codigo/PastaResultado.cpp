#include "PastaResultado.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

Block::Block(std::size_t first_row, std::size_t first_col, std::size_t rows, std::size_t columns)
    : first_row_(first_row), first_col_(first_col), rows_(rows), columns_(columns),
      cells_(rows * columns) {}

CellValue& Block::Cell(std::size_t row, std::size_t column) {
  if (row >= rows_ || column >= columns_) throw std::out_of_range("a cell outside its block");
  return cells_[row * columns_ + column];
}

const CellValue& Block::At(std::size_t row, std::size_t column) const {
  if (row >= rows_ || column >= columns_) throw std::out_of_range("a cell outside its block");
  return cells_[row * columns_ + column];
}

void Block::Number(std::size_t row, std::size_t column, double value) {
  Cell(row, column) = value;
}

void Block::Text(std::size_t row, std::size_t column, std::string_view text) {
  Cell(row, column) = std::string(text);
}

void Block::Count(std::size_t row, std::size_t column, std::size_t value) {
  Cell(row, column) = ::Count{value};
}

void Block::Error(std::size_t row, std::size_t column, std::uint16_t code) {
  Cell(row, column) = ErrorValue{code};
}

void Block::Optional(std::size_t row, std::size_t column, const std::optional<double>& value) {
  if (value) Number(row, column, *value);
}

RangeStyle& Block::Style(std::size_t first_row, std::size_t last_row, std::size_t first_col,
                         std::size_t last_col) {
  return styles_.emplace_back(RangeStyle{Rect{first_row, last_row, first_col, last_col}});
}

namespace {
std::string SheetPrefix(std::string_view sheet) {
  const bool plain = std::all_of(sheet.begin(), sheet.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '.' || u >= 0x80;
  });
  std::string prefix = plain ? "=" : "='";
  for (char c : sheet) {
    prefix.push_back(c);
    if (c == '\'') prefix.push_back(c); // a quote inside a quoted name is doubled
  }
  prefix.append(plain ? "!" : "'!");
  return prefix;
}
} // namespace

std::string CellReference(std::string_view sheet, unsigned row, unsigned column) {
  std::string text = SheetPrefix(sheet);
  text.append("R").append(std::to_string(row)).append("C").append(std::to_string(column));
  return text;
}

std::string ColumnReference(std::string_view sheet, unsigned first_row, unsigned last_row,
                            unsigned column) {
  std::string text = CellReference(sheet, first_row, column);
  text.append(":R").append(std::to_string(last_row)).append("C").append(std::to_string(column));
  return text;
}

ResultBook OpenedBook(std::string sheet, bool black_and_white) {
  ResultBook book;
  book.black_and_white = black_and_white;
  book.AddWorksheet(std::move(sheet));
  return book;
}
