// The .xlsx and .xls readers on any bytes: a workbook's sheets, or a refusal with its reason.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/data_workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the name the file goes by, as the reader looks at it.
  static const std::string base = "/tmp/kvfuzz-book-" + std::to_string(::getpid());
  const std::string path = base + (data[0] & 1 ? ".xls" : ".xlsx");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);
  std::string error;
  const auto sheets = kvhost::ReadDataFile(path, error);
  std::remove(path.c_str());
  if (!sheets && error.empty()) std::abort();
  return 0;
}
