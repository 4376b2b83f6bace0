// The .xlsx reader on any bytes: a workbook's sheets, or a refusal with its reason. (The .xls
// reader runs FreeXL in a forked process, which libFuzzer cannot follow; the mutation pass of
// tests/fuzz/workbook_mutations.cpp covers it.)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/data_workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/kvfuzz-book-" + std::to_string(::getpid()) + ".xlsx";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  std::string error;
  const auto sheets = kvhost::ReadDataFile(path, error);
  std::remove(path.c_str());
  if (!sheets && error.empty()) std::abort();
  return 0;
}
