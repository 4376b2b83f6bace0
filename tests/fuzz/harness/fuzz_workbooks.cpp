// The .xlsx reader on any bytes: a workbook's sheets, or a refusal with its reason. (The .xls
// reader runs FreeXL in a forked process, which libFuzzer cannot follow; the mutation pass of
// tests/fuzz/workbook_mutations.cpp covers it.)
//
// An input that starts as a zip does ("PK") is the file itself. Any other input is the package's
// parts, NAME\0CONTENT\0NAME\0CONTENT..., which the harness stores uncompressed in a zip: inside
// deflated members mutations almost never reach the XML of the relationships, the workbook, the
// sheets and the shared strings; here every one of them does.
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "io/data_workbook.h"

namespace {

bool WritePackage(const std::string& path, std::string_view input) {
  std::vector<std::string_view> fields;
  for (std::size_t at = 0; at <= input.size();) {
    const std::size_t end = std::min(input.find('\0', at), input.size());
    fields.push_back(input.substr(at, end - at));
    at = end + 1;
  }
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (zip == nullptr) return false;
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    zip_source_t* source = zip_source_buffer(zip, fields[i + 1].data(), fields[i + 1].size(), 0);
    if (source == nullptr) continue;
    const std::string name(fields[i]); // libzip copies it
    const zip_int64_t index =
        zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      continue;
    }
    zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  if (zip_close(zip) == 0) return true;
  zip_discard(zip);
  return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/kvfuzz-book-" + std::to_string(::getpid()) + ".xlsx";
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.substr(0, 2) == "PK") {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else if (!WritePackage(path, input)) {
    std::remove(path.c_str());
    return 0;
  }
  std::string error;
  const auto sheets = kvhost::ReadDataFile(path, error);
  std::remove(path.c_str());
  if (!sheets && error.empty()) std::abort();
  return 0;
}
