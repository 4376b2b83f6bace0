#include "xls_reader.h"

#include <freexl.h>

#include <cstring>

#include "date_serial.h"
#include "isolated_call.h"

namespace kvhost {
namespace {

// A workbook of the whole grid reads in a few seconds; a reading that takes longer is stuck.
constexpr unsigned kSecondsToRead = 60;

// FreeXL's error codes in words. The codes for a wrong call (a null or invalid handle or
// argument, a sheet or cell out of range, no sheet selected) come from no wrong call here: FreeXL
// reports them for files whose records contradict each other.
std::string FreeXlReason(int code) {
  switch (code) {
  case FREEXL_FILE_NOT_FOUND: return "the file cannot be opened";
  case FREEXL_INSUFFICIENT_MEMORY: return "not enough memory to read it";
  case FREEXL_INVALID_CFBF_HEADER:
  case FREEXL_CFBF_INVALID_SIGNATURE:
    return "not an Excel 97-2003 workbook (no compound file header)";
  case FREEXL_CFBF_READ_ERROR:
  case FREEXL_CFBF_SEEK_ERROR: return "the file is truncated or unreadable";
  case FREEXL_CFBF_INVALID_SECTOR_SIZE:
  case FREEXL_CFBF_EMPTY_FAT_CHAIN:
  case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
  case FREEXL_INVALID_MINI_STREAM:
  case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
    return "the file is damaged: its compound file structure is broken";
  case FREEXL_BIFF_INVALID_BOF:
    return "the workbook is of a BIFF version FreeXL does not read (it reads those of Excel 2.1 "
           "to 2003), or damaged";
  case FREEXL_BIFF_INVALID_SST:
  case FREEXL_BIFF_ILLEGAL_SST_INDEX:
    return "the file is damaged: its table of shared texts is broken";
  case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    return "the file holds no workbook stream (an encrypted .xlsx, or no Excel file)";
  case FREEXL_INVALID_CHARACTER:
  case FREEXL_UNSUPPORTED_CHARSET: return "a text in a character set FreeXL cannot convert";
  case FREEXL_ILLEGAL_RK_VALUE: return "the file is damaged: a number record is broken";
  case FREEXL_CRAFTED_FILE:
    return "the file is damaged (FreeXL found it malformed, maybe on purpose)";
  case FREEXL_NULL_HANDLE:
  case FREEXL_INVALID_HANDLE:
  case FREEXL_NULL_ARGUMENT:
  case FREEXL_INVALID_INFO_ARG:
  case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
  case FREEXL_BIFF_UNSELECTED_SHEET:
  case FREEXL_ILLEGAL_CELL_ROW_COL:
    return "the file is damaged: FreeXL stopped at a record that contradicts the others";
  default:
    return "the file is damaged or of a kind FreeXL does not read (FreeXL error " +
           std::to_string(code) + ")";
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
  // An Excel 97-2003 file's own grid is the Excel 4 interface's.
  if (rows > kExcel4Grid.rows || columns > kExcel4Grid.columns) {
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
  // FreeXL 1.0 gives up on a record it cannot take (a workbook stream of a BIFF version it does
  // not know starts with one) without an error code: the open succeeds and hands back no
  // workbook.
  if (file.handle == nullptr) {
    error = FreeXlReason(FREEXL_BIFF_INVALID_BOF);
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

// The sheets as bytes across the pipe from the reader process: a flag (1 sheets, 0 an error),
// then the error text, or the sheets: name, visibility and the cells that hold a value, each as
// row, column, type and the number or the text.
class Writer {
public:
  void Byte(std::uint8_t b) { bytes_.push_back(static_cast<char>(b)); }
  void Word(std::uint32_t w) { bytes_.append(reinterpret_cast<const char*>(&w), sizeof w); }
  void Number(double d) { bytes_.append(reinterpret_cast<const char*>(&d), sizeof d); }
  void Text(const std::string& t) {
    Word(static_cast<std::uint32_t>(t.size()));
    bytes_ += t;
  }
  std::string bytes_;
};

class Reader {
public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool Byte(std::uint8_t& b) { return Take(&b, 1); }
  bool Word(std::uint32_t& w) { return Take(&w, sizeof w); }
  bool Number(double& d) { return Take(&d, sizeof d); }
  bool Text(std::string& t) {
    std::uint32_t size = 0;
    if (!Word(size) || size > bytes_.size() - at_) return false;
    t.assign(bytes_, at_, size);
    at_ += size;
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

private:
  bool Take(void* out, std::size_t size) {
    if (size > bytes_.size() - at_) return false;
    std::memcpy(out, bytes_.data() + at_, size);
    at_ += size;
    return true;
  }
  const std::string& bytes_;
  std::size_t at_ = 0;
};

std::string Encode(const std::optional<std::vector<DataSheet>>& sheets, const std::string& why) {
  Writer out;
  out.Byte(sheets ? 1 : 0);
  if (!sheets) {
    out.Text(why);
    return out.bytes_;
  }
  out.Word(static_cast<std::uint32_t>(sheets->size()));
  for (const DataSheet& sheet : *sheets) {
    out.Text(sheet.name);
    out.Byte(sheet.visible ? 1 : 0);
    for (std::uint32_t column = 0; column < sheet.cells.Columns(); ++column)
      for (std::uint32_t row = 0; row < sheet.cells.Rows(); ++row) {
        const Value value = sheet.cells.Get(row, column);
        if (value.type == ValueType::Empty) continue;
        out.Byte(static_cast<std::uint8_t>(value.type));
        out.Word(row);
        out.Word(column);
        if (value.type == ValueType::Number)
          out.Number(value.number);
        else
          out.Text(value.text); // FreeXL gives only numbers and texts
      }
    out.Byte(static_cast<std::uint8_t>(ValueType::Empty)); // the sheet's end
  }
  return out.bytes_;
}

bool Decode(const std::string& bytes, std::optional<std::vector<DataSheet>>& sheets,
            std::string& why) {
  Reader in(bytes);
  std::uint8_t flag = 0;
  if (!in.Byte(flag)) return false;
  if (flag == 0) return in.Text(why) && in.AtEnd();
  std::uint32_t count = 0;
  if (!in.Word(count)) return false;
  std::vector<DataSheet> out;
  for (std::uint32_t i = 0; i < count; ++i) {
    DataSheet sheet;
    std::uint8_t visible = 0, type = 0;
    if (!in.Text(sheet.name) || !in.Byte(visible)) return false;
    sheet.visible = visible != 0;
    while (in.Byte(type) && type != static_cast<std::uint8_t>(ValueType::Empty)) {
      std::uint32_t row = 0, column = 0;
      if (!in.Word(row) || !in.Word(column) || !kExcel4Grid.Holds(row, column)) return false;
      if (type == static_cast<std::uint8_t>(ValueType::Number)) {
        double number = 0;
        if (!in.Number(number)) return false;
        sheet.cells.SetNumber(row, column, number);
      } else if (type == static_cast<std::uint8_t>(ValueType::Text)) {
        std::string text;
        if (!in.Text(text)) return false;
        sheet.cells.SetText(row, column, text);
      } else {
        return false;
      }
    }
    if (type != static_cast<std::uint8_t>(ValueType::Empty)) return false;
    out.push_back(std::move(sheet));
  }
  if (!in.AtEnd()) return false;
  sheets = std::move(out);
  return true;
}

} // namespace

// FreeXL 1.0 can crash on a damaged file (the fuzzing pass finds invalid frees in it), so it
// reads in a process of its own; its sheets come back through a pipe.
std::optional<std::vector<DataSheet>> ReadXlsSheets(const std::string& path, std::string& error) {
  std::string bytes, failure, why;
  std::optional<std::vector<DataSheet>> sheets;
  const bool done = RunIsolated(
      [&] {
        std::string reason;
        const auto read = ReadWorkbook(path, reason);
        return Encode(read, reason);
      },
      kSecondsToRead, bytes, failure);
  if (!done) {
    error = path + ": the file is corrupt: FreeXL could not read it (" + failure + ")";
    return std::nullopt;
  }
  if (!Decode(bytes, sheets, why)) {
    error = path + ": the reader process gave back damaged sheets";
    return std::nullopt;
  }
  if (!sheets) error = path + ": " + why;
  return sheets;
}

} // namespace kvhost
