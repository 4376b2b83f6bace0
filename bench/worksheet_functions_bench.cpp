// The five worksheet functions on random data, through their exported procedures: the time per
// cell includes reading the value array Excel passes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <type_traits>
#include <vector>

#include "Planilha/FuncoesPlanilha.h"
#include "xll/ExcelCall.h"

namespace {
// n normal returns as Excel passes them: through the Excel 4 interface an array of at most
// 50000 rows (its rows are 16-bit), through the Excel 12 one a single column.
template <class Oper = XLOPER> struct Cells {
  explicit Cells(std::size_t n) : cells(n) {
    std::mt19937_64 random(42);
    std::normal_distribution<double> normal(0.0, 0.01);
    for (auto& cell : cells) {
      cell.xltype = xltypeNum;
      cell.val.num = normal(random);
    }
    const std::size_t rows = std::is_same_v<Oper, XLOPER> ? std::min<std::size_t>(n, 50000) : n;
    record.xltype = xltypeMulti;
    record.val.array.lparray = cells.data();
    record.val.array.rows = static_cast<decltype(record.val.array.rows)>(rows);
    record.val.array.columns = static_cast<decltype(record.val.array.columns)>(n / rows);
  }
  std::vector<Oper> cells;
  Oper record{};
};

// A curve of m vertices: a month apart, rates rising from 10% with some noise.
struct Curve {
  explicit Curve(int m) : cells(2 * static_cast<std::size_t>(m)) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> noise(-0.002, 0.002);
    for (int k = 0; k < m; ++k) {
      cells[2 * k].xltype = cells[2 * k + 1].xltype = xltypeNum;
      cells[2 * k].val.num = 0.10 + 0.02 * k / m + noise(random);
      cells[2 * k + 1].val.num = 21.0 * (k + 1);
    }
    record.xltype = xltypeMulti;
    record.val.array.lparray = cells.data();
    record.val.array.rows = static_cast<std::uint16_t>(m);
    record.val.array.columns = 2;
    last_day = 21 * m;
  }
  std::vector<XLOPER> cells;
  XLOPER record{};
  int last_day;
};

void PerCell(benchmark::State& state, std::size_t n) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}

void SkewMoment(benchmark::State& state) {
  Cells<> data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(skew(&data.record, 0, 0, 0, 0)->val.num);
  PerCell(state, data.cells.size());
}

// The same through the Excel 12 procedure: no slower per cell.
void SkewMoment12(benchmark::State& state) {
  Cells<XLOPER12> data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(skew12(&data.record, 0, 0, 0, 0)->val.num);
  PerCell(state, data.cells.size());
}

void SkewMedian(benchmark::State& state) {
  Cells<> data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(skew(&data.record, 0, 0, 2, 0)->val.num);
  PerCell(state, data.cells.size());
}

// Pearson's first coefficient with 20 bins, as a user would ask for a histogram's mode.
void SkewMode(benchmark::State& state) {
  Cells<> data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(skew(&data.record, 0, 0, 1, 20)->val.num);
  PerCell(state, data.cells.size());
}

void Kurt(benchmark::State& state) {
  Cells<> data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(kurt(&data.record, 0, 0)->val.num);
  PerCell(state, data.cells.size());
}

void Ewv(benchmark::State& state) {
  Cells<> data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    LPXLOPER result = ewv(&data.record, 0.94, 0, 0, 0);
    benchmark::DoNotOptimize(result->val.array.lparray[0].val.num);
    xlAutoFree(result);
  }
  PerCell(state, data.cells.size());
}

// One call per iteration, at a day inside the curve that moves from call to call.
void Interpolex(benchmark::State& state) {
  Curve curve(static_cast<int>(state.range(0)));
  int day = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(interpol(static_cast<short>(day), &curve.record, 0)->val.num);
    day = day % curve.last_day + 37;
  }
}

void Cspline(benchmark::State& state) {
  Curve curve(static_cast<int>(state.range(0)));
  int day = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(cspline(static_cast<short>(day), &curve.record)->val.num);
    day = day % curve.last_day + 37;
  }
}
} // namespace

BENCHMARK(SkewMoment)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(SkewMoment12)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Kurt)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ewv)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(SkewMedian)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(SkewMode)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Interpolex)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Cspline)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
