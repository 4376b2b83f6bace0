// The CSV reader on any bytes: it either gives cells inside the grid or refuses with a reason.
// The first byte also picks the dialect: found in the file, or one of those the command line
// can force (the byte stays part of the file).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/csv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/kvfuzz-csv-" + std::to_string(::getpid()) + ".csv";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  static const kvhost::CsvChoice kChoices[] = {
      {}, {',', '.'}, {';', ','}, {';', '.'}, {'\t', ','}, {'\t', '.'}, {std::nullopt, '.'}};
  constexpr std::size_t kChoiceCount = sizeof kChoices / sizeof kChoices[0];
  // Found in the file most often: it is what a run without the options does.
  const std::size_t pick = size == 0 ? 0 : data[0] % (2 * kChoiceCount);
  const kvhost::CsvChoice choice = pick < kChoiceCount ? kChoices[pick] : kvhost::CsvChoice{};
  std::string error;
  const auto cells = kvhost::ReadCsvCells(path, error, choice);
  if (!cells && error.empty()) std::abort(); // a refusal always says why
  if (cells && (cells->Rows() > kvhost::kMaxRows || cells->Columns() > kvhost::kMaxColumns))
    std::abort();
  if (cells)
    for (std::uint32_t r = 0; r < cells->Rows() && r < 64; ++r)
      for (std::uint32_t c = 0; c < cells->Columns() && c < 64; ++c)
        (void)cells->Get(r, c);
  return 0;
}
