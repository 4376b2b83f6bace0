#include "data_workbook.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "csv_reader.h"
#include "xls_reader.h"
#include "xlsx_reader.h"

namespace kvhost {
namespace {

enum class FileKind { Csv, Xlsx, Xls };

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return extension;
}

// A workbook named .xls that is a zip package (or the other way round) is read by what it is;
// anything else by its name.
FileKind KindOf(const std::string& path, const unsigned char* magic, std::size_t size) {
  const std::string extension = LowerExtension(path);
  if (extension != ".xlsx" && extension != ".xlsm" && extension != ".xls") return FileKind::Csv;
  if (size >= 4 && std::memcmp(magic, "PK\x03\x04", 4) == 0) return FileKind::Xlsx;
  static constexpr unsigned char kOle2[4] = {0xD0, 0xCF, 0x11, 0xE0};
  if (size >= 4 && std::memcmp(magic, kOle2, 4) == 0 && extension == ".xls") return FileKind::Xls;
  return extension == ".xls" ? FileKind::Xls : FileKind::Xlsx;
}

} // namespace

std::optional<std::vector<DataSheet>> ReadDataFile(const std::string& path, std::string& error,
                                                   const CsvChoice& csv, const Grid& grid) {
  // Only a regular file has an end: a device such as /dev/zero would be read forever, and a
  // FIFO would keep the run waiting for a writer.
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    error = "cannot read " + path + ": " +
            (S_ISDIR(status.st_mode) ? "it is a folder" : "it is not a regular file");
    return std::nullopt;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  unsigned char magic[4] = {};
  const std::size_t got = std::fread(magic, 1, sizeof magic, file);
  std::fclose(file);
  switch (KindOf(path, magic, got)) {
  case FileKind::Xlsx: return ReadXlsxSheets(path, error, grid);
  case FileKind::Xls: return ReadXlsSheets(path, error);
  case FileKind::Csv: break;
  }
  auto cells = ReadCsvCells(path, error, csv, grid);
  if (!cells) return std::nullopt;
  std::vector<DataSheet> sheets;
  sheets.push_back(DataSheet{std::filesystem::path(path).stem().string(), std::move(*cells), true});
  return sheets;
}

std::optional<Workbook> ReadDataWorkbook(const std::vector<std::string>& paths, std::string& error,
                                         const CsvChoice& csv, const Grid& grid) {
  Workbook book;
  bool active_chosen = false;
  for (const std::string& path : paths) {
    auto sheets = ReadDataFile(path, error, csv, grid);
    if (!sheets) return std::nullopt;
    for (DataSheet& data : *sheets) {
      for (const Sheet& sheet : book.sheets)
        if (SameSheetName(sheet.name, data.name)) {
          error = path + ": a worksheet named \"" + sheet.name +
                  "\" comes already from another data file; one workbook cannot hold both";
          return std::nullopt;
        }
      if (data.visible && !active_chosen) {
        book.active_sheet = book.sheets.size();
        active_chosen = true;
      }
      Sheet sheet{0, std::move(data.name), std::move(data.cells)};
      if (!data.visible)
        sheet.state = data.very_hidden ? SheetState::VeryHidden : SheetState::Hidden;
      book.sheets.push_back(std::move(sheet));
    }
  }
  // Without a visible sheet, the first hidden one is active, as Excel shows such a file; a very
  // hidden sheet never is.
  for (std::size_t i = 0; i < book.sheets.size() && !active_chosen; ++i)
    if (book.sheets[i].state == SheetState::Hidden) {
      book.active_sheet = i;
      active_chosen = true;
    }
  if (!active_chosen && !book.sheets.empty()) {
    error = paths.front() + ": every worksheet is very hidden; the workbook has none to show";
    return std::nullopt;
  }
  if (!paths.empty()) book.name = std::filesystem::path(paths.front()).filename().string();
  return book;
}

} // namespace kvhost
