// Reads one data file as --data does and reports the time, the peak memory of this process and
// what was read (cells, and the sum of the numbers so that a caller can tell the same content was
// read). bench/openpyxl_read.py runs it beside openpyxl's read-only mode on the same file.
//
// Usage: bench_workbook_read FILE [RUNS]
// Prints one line: seconds=<best of RUNS> peak_mb=<peak resident set> cells=<n> sum=<sum>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/huge_page_heap.h"
#include "io/data_workbook.h"

int main(int argc, char** argv) {
  kvhost::RestartWithHugePageHeap(argv);
  if (argc < 2) {
    std::cerr << "usage: bench_workbook_read FILE [RUNS]\n";
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::stoi(argv[2])) : 3;
  double best = 1e300, sum = 0;
  long cells = 0;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    const auto sheets = kvhost::ReadDataFile(argv[1], error);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!sheets) {
      std::cerr << error << '\n';
      return 2;
    }
    best = std::min(best, seconds);
    sum = 0;
    cells = 0;
    for (const kvhost::DataSheet& sheet : *sheets)
      for (std::uint32_t column = 0; column < sheet.cells.Columns(); ++column)
        for (std::uint32_t row = 0; row < sheet.cells.Rows(); ++row)
          if (sheet.cells.TypeAt(row, column) == kvhost::ValueType::Number) {
            sum += sheet.cells.NumberAt(row, column);
            ++cells;
          }
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("seconds=%.4f peak_mb=%.1f cells=%ld sum=%.17g\n", best,
              static_cast<double>(usage.ru_maxrss) / 1024.0, cells, sum);
  return 0;
}
