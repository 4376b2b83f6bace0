// The formula, selection and R1C1 reference parsers on any text: each parses or says why, and
// what parses lies inside the grid.
#include <cstdlib>
#include <string>
#include <string_view>

#include "formula/formula.h"
#include "model/references.h"

namespace {
bool InGrid(const kvhost::CellRange& r) {
  return r.first_row <= r.last_row && r.last_row < kvhost::kMaxRows &&
         r.first_column <= r.last_column && r.last_column < kvhost::kMaxColumns;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const kvhost::ParsedFormula formula = kvhost::ParseFormula(text, kvhost::kExcel12Grid);
  if (!formula.call && formula.error.empty()) std::abort();
  if (formula.call)
    for (const kvhost::Argument& argument : formula.call->arguments)
      if (const auto* reference = std::get_if<kvhost::Reference>(&argument))
        if (!InGrid(reference->range)) std::abort();
  std::string error;
  if (const auto selection = kvhost::ParseSelection(text, kvhost::kExcel4Grid, error)) {
    for (const kvhost::CellRange& area : selection->areas)
      if (!kvhost::kExcel4Grid.Holds(area)) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
  if (const auto reference = kvhost::ParseR1C1Reference(text)) {
    if (!InGrid(reference->range)) std::abort();
    (void)kvhost::A1Reference(*reference);
  }
  return 0;
}
