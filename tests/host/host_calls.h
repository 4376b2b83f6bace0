// Calls into kvhost's Excel with argument records built as the add-in builds them, for tests.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "excel/excel_host.h"
#include "kvplatform/ansi.h"

namespace kvtest {

inline XLOPER Missing() {
  XLOPER x{};
  x.xltype = xltypeMissing;
  return x;
}
inline XLOPER Int(std::int16_t value) {
  XLOPER x{};
  x.xltype = xltypeInt;
  x.val.w = value;
  return x;
}
inline XLOPER Num(double value) {
  XLOPER x{};
  x.xltype = xltypeNum;
  x.val.num = value;
  return x;
}
inline XLOPER Bool(bool value) {
  XLOPER x{};
  x.xltype = xltypeBool;
  x.val.xbool = value ? 1 : 0;
  return x;
}
inline XLOPER Nil() {
  XLOPER x{};
  x.xltype = xltypeNil;
  return x;
}

// Holds what the records point at (texts, rectangle lists, arrays) for as long as it lives.
class HostCalls {
public:
  explicit HostCalls(kvhost::ExcelHost& host) : host_(host) {}

  // A text given in UTF-8, passed as the add-in passes it: counted, code page 1252.
  XLOPER Str(const std::string& utf8) {
    const std::string ansi = kvp::Utf8ToAnsi(utf8);
    texts_.push_back(std::string(1, static_cast<char>(ansi.size())) + ansi);
    XLOPER x{};
    x.xltype = xltypeStr;
    x.val.str = texts_.back().data();
    return x;
  }
  // A reference to one rectangle (rows and columns from 0) of the sheet with this id, of the
  // active sheet when 0, built as the add-in builds it from xlSheetId.
  XLOPER Ref(std::uint16_t first_row, std::uint16_t last_row, std::uint8_t first_column,
             std::uint8_t last_column, IDSHEET sheet = 0) {
    rectangles_.push_back(XLMREF{1, {XLREF{first_row, last_row, first_column, last_column}}});
    XLOPER x{};
    x.xltype = xltypeRef;
    x.val.mref.lpmref = &rectangles_.back();
    x.val.mref.idSheet = sheet != 0 ? sheet : host_.app().ActiveSheet().id;
    return x;
  }
  XLOPER WholeSheet() { return Ref(0, 65535, 0, 255); }
  // A rows x columns array of the values given row by row.
  XLOPER Array(std::uint16_t rows, std::uint16_t columns, std::vector<XLOPER> values) {
    arrays_.push_back(std::move(values));
    XLOPER x{};
    x.xltype = xltypeMulti;
    x.val.array.lparray = arrays_.back().data();
    x.val.array.rows = rows;
    x.val.array.columns = columns;
    return x;
  }

  // Runs one call through the dispatcher; what it answered is in `result`.
  int operator()(int xlfn, std::vector<XLOPER> args = {}) {
    std::vector<LPXLOPER> pointers;
    for (XLOPER& arg : args)
      pointers.push_back(&arg);
    result = XLOPER{};
    return host_.Call(xlfn, &result, kvhost::Arguments(pointers.data(), pointers.size()));
  }
  XLOPER result{};

private:
  kvhost::ExcelHost& host_;
  std::deque<std::string> texts_;
  std::deque<XLMREF> rectangles_;
  std::deque<std::vector<XLOPER>> arrays_;
};

} // namespace kvtest
