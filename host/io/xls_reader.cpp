#include "xls_reader.h"

#include <freexl.h>

#include "date_serial.h"

namespace kvhost {
namespace {

std::string FreeXlReason(int code) {
  switch (code) {
  case FREEXL_FILE_NOT_FOUND: return "the file cannot be opened";
  case FREEXL_INSUFFICIENT_MEMORY: return "out of memory";
  case FREEXL_INVALID_CFBF_HEADER:
  case FREEXL_CFBF_INVALID_SIGNATURE:
    return "not an Excel 97-2003 workbook (no compound file header)";
  case FREEXL_CFBF_READ_ERROR:
  case FREEXL_CFBF_SEEK_ERROR: return "the file is truncated or unreadable";
  case FREEXL_CFBF_INVALID_SECTOR_SIZE:
  case FREEXL_CFBF_EMPTY_FAT_CHAIN:
  case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
  case FREEXL_INVALID_MINI_STREAM:
  case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY: return "the compound file is corrupt";
  case FREEXL_BIFF_INVALID_BOF:
  case FREEXL_BIFF_INVALID_SST:
  case FREEXL_BIFF_ILLEGAL_SST_INDEX: return "the workbook stream is corrupt";
  case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    return "the file holds no workbook stream (an encrypted .xlsx, or no Excel file)";
  case FREEXL_INVALID_CHARACTER:
  case FREEXL_UNSUPPORTED_CHARSET: return "a text in a character set FreeXL cannot convert";
  case FREEXL_ILLEGAL_RK_VALUE: return "a number record is corrupt";
  case FREEXL_CRAFTED_FILE: return "the file is corrupt (FreeXL found it deliberately malformed)";
  default: return "FreeXL refused the file (code " + std::to_string(code) + ")";
  }
}

// Closes the handle however the reading ends; FreeXL wants it closed after a failed open too.
struct Handle {
  const void* handle = nullptr;
  ~Handle() {
    if (handle != nullptr) freexl_close(handle);
  }
};

bool ReadSheet(const void* handle, unsigned short index, bool date1904, DataSheet& sheet,
               std::string& error) {
  int code = freexl_select_active_worksheet(handle, index);
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (code == FREEXL_OK) code = freexl_worksheet_dimensions(handle, &rows, &columns);
  if (code != FREEXL_OK) {
    error = "sheet '" + sheet.name + "': " + FreeXlReason(code);
    return false;
  }
  if (rows > kMaxRows || columns > kMaxColumns) {
    error = "sheet '" + sheet.name + "' has " + std::to_string(rows) + " rows and " +
            std::to_string(columns) + " columns, beyond kvhost's grid of 65536 rows and 256 " +
            "columns (A:IV), the Excel 4 interface's";
    return false;
  }
  for (unsigned int row = 0; row < rows; ++row)
    for (unsigned short column = 0; column < columns; ++column) {
      FreeXL_CellValue value{};
      code = freexl_get_cell_value(handle, row, column, &value);
      if (code != FREEXL_OK) {
        error = "sheet '" + sheet.name + "': " + FreeXlReason(code);
        return false;
      }
      switch (value.type) {
      case FREEXL_CELL_INT: sheet.cells.SetNumber(row, column, value.value.int_value); break;
      case FREEXL_CELL_DOUBLE: sheet.cells.SetNumber(row, column, value.value.double_value); break;
      case FREEXL_CELL_TEXT:
      case FREEXL_CELL_SST_TEXT:
        if (value.value.text_value != nullptr)
          sheet.cells.SetText(row, column, value.value.text_value);
        break;
      case FREEXL_CELL_DATE:
      case FREEXL_CELL_DATETIME:
      case FREEXL_CELL_TIME: {
        const char* text = value.value.text_value == nullptr ? "" : value.value.text_value;
        if (const auto serial = SerialFromDateText(text, date1904))
          sheet.cells.SetNumber(row, column, *serial);
        else // a date before the workbook's date system: Excel shows it as text too
          sheet.cells.SetText(row, column, text);
        break;
      }
      default: break; // FREEXL_CELL_NULL: empty
      }
    }
  return true;
}

std::optional<std::vector<DataSheet>> ReadWorkbook(const std::string& path, std::string& error) {
  Handle file;
  int code = freexl_open(path.c_str(), &file.handle);
  if (code != FREEXL_OK) {
    error = FreeXlReason(code);
    return std::nullopt;
  }
  unsigned int password = 0, sheet_count = 0, date_mode = 0;
  if (freexl_get_info(file.handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
      password == FREEXL_BIFF_OBFUSCATED) {
    error = "the workbook is password-protected; save it without a password";
    return std::nullopt;
  }
  code = freexl_get_info(file.handle, FREEXL_BIFF_SHEET_COUNT, &sheet_count);
  if (code == FREEXL_OK) code = freexl_get_info(file.handle, FREEXL_BIFF_DATEMODE, &date_mode);
  if (code != FREEXL_OK) {
    error = FreeXlReason(code);
    return std::nullopt;
  }
  std::vector<DataSheet> sheets;
  for (unsigned int index = 0; index < sheet_count && index < 65536; ++index) {
    const char* name = nullptr;
    code = freexl_get_worksheet_name(file.handle, static_cast<unsigned short>(index), &name);
    if (code != FREEXL_OK || name == nullptr || *name == '\0') {
      error = "sheet " + std::to_string(index + 1) + " has no readable name";
      return std::nullopt;
    }
    for (const DataSheet& known : sheets)
      if (SameSheetName(known.name, name)) {
        error = std::string("two sheets are named '") + name + "'";
        return std::nullopt;
      }
    DataSheet sheet{name, {}, true};
    if (!ReadSheet(file.handle, static_cast<unsigned short>(index),
                   date_mode == FREEXL_BIFF_DATEMODE_1904, sheet, error))
      return std::nullopt;
    sheets.push_back(std::move(sheet));
  }
  if (sheets.empty()) {
    error = "the workbook holds no worksheet";
    return std::nullopt;
  }
  return sheets;
}

} // namespace

std::optional<std::vector<DataSheet>> ReadXlsSheets(const std::string& path, std::string& error) {
  std::string why;
  auto sheets = ReadWorkbook(path, why);
  if (!sheets) error = path + ": " + why;
  return sheets;
}

} // namespace kvhost
