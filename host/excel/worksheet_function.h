// Worksheet formulas that call a registered function: found by its function text, the
// arguments built from its type text, the exported procedure called, the result copied.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "../model/cells.h"
#include "addin.h"

namespace kvhost {

// What a formula gives: one value, or an array of values row by row.
struct FormulaResult {
  std::size_t rows = 1;
  std::size_t columns = 1;
  std::vector<Value> values;
  // Why the formula shows an error the procedure did not give (it does not parse, names an
  // unknown function or sheet, an argument Excel would refuse); empty otherwise.
  std::string problem;
};

// Evaluates `formula` as a cell of the active sheet would: references without a sheet name
// refer to the active sheet; the rest as Excel does:
//   - a formula that does not parse, an unknown function or a command gives #NAME?;
//   - more arguments than the type text has gives #VALUE!; a sheet that does not exist #REF!;
//   - an argument Excel refuses for its letter gives that error without calling;
//   - a P result: null gives #NUM!, nil or missing 0; a non-finite number shows as #NUM!.
// A returned record marked xlbitDLLFree goes back through the add-in's xlAutoFree once it is
// copied; one marked xlbitXLFree (memory the host handed out) is freed by the host.
FormulaResult EvaluateFormula(ExcelHost& host, AddIn& addin, std::string_view formula);

} // namespace kvhost
