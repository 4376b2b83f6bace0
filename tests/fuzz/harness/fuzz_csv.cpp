// The CSV reader on any bytes: it either gives cells inside the grid or refuses with a reason.
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
  std::string error;
  const auto cells = kvhost::ReadCsvCells(path, error);
  if (!cells && error.empty()) std::abort(); // a refusal always says why
  if (cells && (cells->Rows() > kvhost::kMaxRows || cells->Columns() > kvhost::kMaxColumns))
    std::abort();
  if (cells)
    for (std::uint32_t r = 0; r < cells->Rows() && r < 64; ++r)
      for (std::uint32_t c = 0; c < cells->Columns() && c < 64; ++c)
        (void)cells->Get(r, c);
  return 0;
}
