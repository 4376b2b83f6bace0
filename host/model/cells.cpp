#include "cells.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstring>

namespace kvhost {
namespace {
struct ErrorEntry {
  std::uint16_t code;
  std::string_view name;
};
constexpr ErrorEntry kErrors[] = {{0, "#NULL!"},  {7, "#DIV/0!"}, {15, "#VALUE!"}, {23, "#REF!"},
                                  {29, "#NAME?"}, {36, "#NUM!"},  {42, "#N/A"}};
} // namespace

std::string_view ErrorName(std::uint16_t code) {
  for (const auto& e : kErrors)
    if (e.code == code) return e.name;
  return {};
}

std::string NonNumberText(const Value& value) {
  switch (value.type) {
  case ValueType::Empty:
  case ValueType::Number: return {};
  case ValueType::Text: return value.text;
  case ValueType::Boolean: return value.boolean ? "TRUE" : "FALSE";
  case ValueType::Error: {
    const std::string_view name = ErrorName(value.error);
    return name.empty() ? "#VALUE!" : std::string(name);
  }
  }
  return {};
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  const auto upper = [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return upper(x) == upper(y); });
}

std::optional<std::uint16_t> ErrorCodeFromName(std::string_view name) {
  for (const auto& e : kErrors)
    if (EqualsIgnoringCase(name, e.name)) return e.code;
  return std::nullopt;
}

std::optional<double> NumberFromText(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1); // from_chars takes only '-'
  const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
  // from_chars also reads "inf" and "nan"; a number typed into a cell starts with a digit or
  // the decimal point.
  if (digits.empty() ||
      !((digits.front() >= '0' && digits.front() <= '9') || digits.front() == '.'))
    return std::nullopt;
  double number = 0;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, number);
  if (error != std::errc{} || end != last) return std::nullopt;
  return number;
}

std::string Grid::Extent() const {
  std::string last_column;
  for (std::uint32_t n = columns; n > 0; n = (n - 1) / 26)
    last_column.insert(last_column.begin(), static_cast<char>('A' + (n - 1) % 26));
  return "A1:" + last_column + std::to_string(rows);
}

std::string Grid::Described() const {
  return "kvhost's grid of " + std::to_string(rows) + " rows and " + std::to_string(columns) +
         " columns (" + Extent() + "), the Excel " + (*this == kExcel4Grid ? "4" : "12") +
         " interface's";
}

Cells::Cells(const Cells& other)
    : rows_(other.rows_), texts_(other.texts_), free_texts_(other.free_texts_) {
  columns_.resize(other.columns_.size());
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    const auto& pages = other.columns_[column];
    columns_[column].resize(pages.size());
    for (std::size_t page = 0; page < pages.size(); ++page) {
      if (!pages[page]) continue;
      columns_[column][page] = std::make_unique<Cell[]>(kPageRows);
      std::copy_n(pages[page].get(), kPageRows, columns_[column][page].get());
    }
  }
}

Cells& Cells::operator=(const Cells& other) {
  if (this != &other) *this = Cells(other);
  return *this;
}

const Cells::Cell* Cells::Find(std::uint32_t row, std::uint32_t column) const {
  if (column >= columns_.size()) return nullptr;
  const auto& pages = columns_[column];
  const std::uint32_t page = row / kPageRows;
  if (page >= pages.size() || !pages[page]) return nullptr;
  return &pages[page][row % kPageRows];
}

ValueType Cells::TypeAt(std::uint32_t row, std::uint32_t column) const {
  const Cell* cell = Find(row, column);
  return cell == nullptr ? ValueType::Empty : cell->type;
}

Value Cells::Get(std::uint32_t row, std::uint32_t column) const {
  const Cell* cell = Find(row, column);
  if (cell == nullptr) return Value{};
  switch (cell->type) {
  case ValueType::Empty: return Value{};
  case ValueType::Number: return Value::Number(cell->number);
  case ValueType::Text:
    if (cell->detail & kInlineText) return Value::Text(std::string(InlineText(*cell)));
    return Value::Text(*texts_[cell->detail]);
  case ValueType::Boolean: return Value::Boolean(cell->detail != 0);
  case ValueType::Error: return Value::Error(static_cast<std::uint16_t>(cell->detail));
  }
  return Value{};
}

Cells::Cell& Cells::Place(std::uint32_t row, std::uint32_t column) {
  assert(row < kMaxRows && column < kMaxColumns);
  if (column >= columns_.size()) columns_.resize(column + 1);
  auto& pages = columns_[column];
  const std::uint32_t page = row / kPageRows;
  if (page >= pages.size()) pages.resize(page + 1);
  if (!pages[page]) pages[page] = std::make_unique<Cell[]>(kPageRows);
  rows_ = std::max(rows_, row + 1);
  Cell& cell = pages[page][row % kPageRows];
  if (cell.type == ValueType::Text && !(cell.detail & kInlineText)) {
    texts_[cell.detail].reset();
    free_texts_.push_back(cell.detail);
  }
  return cell;
}

void Cells::SetNumber(std::uint32_t row, std::uint32_t column, double number) {
  Cell& cell = Place(row, column);
  cell = Cell{number, 0, ValueType::Number};
}

void Cells::SetText(std::uint32_t row, std::uint32_t column, std::string_view utf8) {
  if (utf8.size() > sizeof(Cell::number))
    return SetText(row, column, std::make_shared<const std::string>(utf8));
  // A short text sits in the cell itself, in the bytes a number would take.
  Cell& cell = Place(row, column);
  cell = Cell{0, kInlineText | static_cast<std::uint32_t>(utf8.size()), ValueType::Text};
  std::memcpy(&cell.number, utf8.data(), utf8.size());
}

void Cells::SetText(std::uint32_t row, std::uint32_t column,
                    const std::shared_ptr<const std::string>& utf8) {
  if (utf8->size() <= sizeof(Cell::number)) return SetText(row, column, std::string_view(*utf8));
  // The slot first: a failed allocation leaves the cell as it was.
  const std::uint32_t slot = NewTextSlot(utf8);
  Cell& cell = Place(row, column);
  cell = Cell{0, slot, ValueType::Text};
}

std::uint32_t Cells::NewTextSlot(std::shared_ptr<const std::string> text) {
  if (!free_texts_.empty()) {
    const std::uint32_t slot = free_texts_.back();
    free_texts_.pop_back();
    texts_[slot] = std::move(text);
    return slot;
  }
  texts_.push_back(std::move(text));
  return static_cast<std::uint32_t>(texts_.size() - 1);
}

void Cells::SetBoolean(std::uint32_t row, std::uint32_t column, bool flag) {
  Cell& cell = Place(row, column);
  cell = Cell{0, flag ? 1u : 0u, ValueType::Boolean};
}

void Cells::SetError(std::uint32_t row, std::uint32_t column, std::uint16_t code) {
  Cell& cell = Place(row, column);
  cell = Cell{0, code, ValueType::Error};
}

void Cells::Clear(std::uint32_t row, std::uint32_t column) {
  if (Find(row, column) == nullptr) return; // nothing there: the used extent stays
  Cell& cell = Place(row, column);
  cell = Cell{};
}

void Cells::Set(std::uint32_t row, std::uint32_t column, const Value& value) {
  switch (value.type) {
  case ValueType::Empty: Clear(row, column); break;
  case ValueType::Number: SetNumber(row, column, value.number); break;
  case ValueType::Text: SetText(row, column, value.text); break;
  case ValueType::Boolean: SetBoolean(row, column, value.boolean); break;
  case ValueType::Error: SetError(row, column, value.error); break;
  }
}

} // namespace kvhost
