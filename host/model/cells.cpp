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

const Cells::Cell* Cells::Find(std::uint32_t row, std::uint32_t column) const {
  if (column >= columns_.size() || row >= columns_[column].size()) return nullptr;
  return &columns_[column][row];
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
  auto& cells = columns_[column];
  if (row >= cells.size()) cells.resize(row + 1);
  rows_ = std::max(rows_, row + 1);
  Cell& cell = cells[row];
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
