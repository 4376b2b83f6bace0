// The arguments of a worksheet-function call, built from the formula's arguments as Excel
// builds them for the procedure's type letters.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "../formula/formula.h"
#include "../model/cells.h"
#include "procedure_call.h"

namespace kvhost {

// One argument with its reference resolved: nothing (omitted), a constant typed in the
// formula, or a rectangle of cells on a sheet.
struct Operand {
  enum class Kind { Omitted, Constant, Cells } kind = Kind::Omitted;
  Value constant;
  const Cells* cells = nullptr;
  CellRange range;
};

// The values one call passes. The records behind P and Q arguments, their arrays and texts
// belong to the host: they live as long as this object and are released after the call.
class CallArguments {
public:
  CallArguments();
  ~CallArguments();
  CallArguments(const CallArguments&) = delete;
  CallArguments& operator=(const CallArguments&) = delete;

  // Adds the argument for `letter`. When Excel would not make the call at all, returns the
  // error value the cell shows instead, and says why in `problem`.
  std::optional<std::uint16_t> Add(char letter, const Operand& operand, std::string& problem);

  std::span<const NativeValue> values() const { return values_; }

private:
  template <class Oper>
  std::optional<std::uint16_t> AddRecord(const Operand& operand, std::string& problem);
  template <class Oper> void Fill(Oper& record, const Value& value);

  class TextArena;
  std::vector<NativeValue> values_;
  std::vector<std::unique_ptr<XLOPER>> records_;
  std::vector<std::unique_ptr<XLOPER[]>> arrays_;
  std::vector<std::unique_ptr<XLOPER12>> records12_;
  std::vector<std::unique_ptr<XLOPER12[]>> arrays12_;
  std::unique_ptr<TextArena> texts_;
};

} // namespace kvhost
