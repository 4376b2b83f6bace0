// kvhost eval: worksheet formulas calling the add-in's registered functions, on the data files
// (CSV, .xlsx, .xls).
#include <iostream>

#include "../excel/values.h"
#include "../excel/worksheet_function.h"
#include "../io/data_workbook.h"
#include "commands.h"

namespace kvhost {
namespace {

// One line per row; the cells of a row separated by a tab.
void Print(const FormulaResult& result, int significant_digits) {
  for (std::size_t row = 0; row < result.rows; ++row) {
    for (std::size_t column = 0; column < result.columns; ++column) {
      if (column > 0) std::cout << '\t';
      std::cout << DisplayText(result.values[row * result.columns + column], significant_digits);
    }
    std::cout << '\n';
  }
}

} // namespace

int RunEval(const Options& options, const EvalOptions& eval) {
  // The data first: a file that cannot be read stops everything before the add-in loads.
  std::optional<Workbook> data;
  if (!eval.data_files.empty()) {
    std::string error;
    data = ReadDataWorkbook(eval.data_files, error, eval.csv, GridOf(options));
    if (!data || !ActivateDataSheet(*data, eval.sheet, error)) {
      std::cerr << "kvhost: " << error << '\n';
      return kExitUsage;
    }
  } else if (!eval.sheet.empty()) {
    std::cerr << "kvhost: --sheet " << eval.sheet << ": no --data file was given\n";
    return kExitUsage;
  }

  ExcelHost host;
  auto addin = LoadAddIn(host, options);
  if (!addin) return kExitUsage;
  addin->Open(); // at Excel's start, before the user opens the data
  if (data) host.app().OpenWorkbook(std::move(*data));
  ArmCallFaults();

  // An error value is a formula's result, not a failure of the run.
  for (const std::string& formula : eval.formulas) {
    const FormulaResult result = EvaluateFormula(host, *addin, formula);
    if (!result.problem.empty())
      std::cerr << "kvhost: " << formula << ": " << result.problem << '\n';
    Print(result, eval.significant_digits);
  }
  std::cout.flush();
  return kExitDone;
}

} // namespace kvhost
