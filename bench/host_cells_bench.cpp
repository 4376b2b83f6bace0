// kvhost's cells as the add-in reaches them: GET.CELL(5) on one cell and xlSet of blocks, through
// Excel4v and the installed dispatcher, on a worksheet of a million numbers. The tools read their
// input cell by cell with GET.CELL, so its cost per call bounds how fast a large selection loads.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "excel/excel_host.h"

namespace {
constexpr std::uint32_t kRows = 62500, kColumns = 16; // 10^6 cells

void FillSheet(kvhost::ExcelHost& host) {
  std::mt19937_64 random(42);
  std::normal_distribution<double> normal(0.0, 0.01);
  kvhost::Cells& cells = host.app().ActiveSheet().cells;
  for (std::uint32_t column = 0; column < kColumns; ++column)
    for (std::uint32_t row = 0; row < kRows; ++row)
      cells.SetNumber(row, column, normal(random));
}

// One cell after another, column by column, as the tools read a selection.
void GetCellNumber(benchmark::State& state) {
  kvhost::ExcelHost host;
  FillSheet(host);
  XLMREF area{1, {XLREF{0, 0, 0, 0}}};
  XLOPER type{}, reference{}, result{};
  type.xltype = xltypeInt;
  type.val.w = 5;
  reference.xltype = xltypeRef;
  reference.val.mref.lpmref = &area;
  reference.val.mref.idSheet = host.app().ActiveSheet().id;
  LPXLOPER args[] = {&type, &reference};
  std::uint32_t cell = 0;
  double sum = 0;
  for (auto _ : state) {
    const auto row = static_cast<std::uint16_t>(cell % kRows);
    const auto column = static_cast<std::uint8_t>(cell / kRows % kColumns);
    area.reftbl[0] = XLREF{row, row, column, column};
    if (Excel4v(xlfGetCell, &result, 2, args) != xlretSuccess || result.xltype != xltypeNum)
      state.SkipWithError("GET.CELL did not give a number");
    sum += result.val.num;
    ++cell;
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(GetCellNumber);

// A block of numbers written with one xlSet, as the tools write their tables; time per block,
// items are cells.
void SetBlock(benchmark::State& state) {
  kvhost::ExcelHost host;
  FillSheet(host);
  const auto rows = static_cast<std::uint16_t>(state.range(0));
  std::vector<XLOPER> values(std::size_t{rows} * kColumns);
  for (std::size_t k = 0; k < values.size(); ++k) {
    values[k].xltype = xltypeNum;
    values[k].val.num = static_cast<double>(k);
  }
  XLMREF area{1, {XLREF{0, static_cast<std::uint16_t>(rows - 1), 0, kColumns - 1}}};
  XLOPER reference{}, block{}, result{};
  reference.xltype = xltypeRef;
  reference.val.mref.lpmref = &area;
  reference.val.mref.idSheet = host.app().ActiveSheet().id;
  block.xltype = xltypeMulti;
  block.val.array.lparray = values.data();
  block.val.array.rows = rows;
  block.val.array.columns = kColumns;
  LPXLOPER args[] = {&reference, &block};
  std::uint16_t first = 0;
  for (auto _ : state) {
    area.reftbl[0].rwFirst = first;
    area.reftbl[0].rwLast = static_cast<std::uint16_t>(first + rows - 1);
    if (Excel4v(xlSet, &result, 2, args) != xlretSuccess) state.SkipWithError("xlSet failed");
    first = static_cast<std::uint16_t>((first + rows) % (kRows - rows));
  }
  state.SetItemsProcessed(state.iterations() * rows * kColumns);
}
BENCHMARK(SetBlock)->Arg(1)->Arg(1000);
} // namespace

BENCHMARK_MAIN();
