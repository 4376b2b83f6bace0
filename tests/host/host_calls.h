// Calls into kvhost's Excel with argument records built as the add-in builds them, for tests.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "../support/xloper_builders.h"
#include "excel/excel_host.h"
#include "kvplatform/ansi.h"

namespace kvtest {

// Holds what the records point at (rectangle lists, arrays) for as long as it lives.
class HostCalls {
public:
  explicit HostCalls(kvhost::ExcelHost& host) : host_(host) {}

  // A text given in UTF-8, passed as the add-in passes it: counted, code page 1252.
  XLOPER Str(const std::string& utf8) { return Text(kvp::Utf8ToAnsi(utf8)); }
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
    return *arrays_.emplace_back(rows, columns, std::move(values)).get();
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
  std::deque<XLMREF> rectangles_;
  std::deque<Range> arrays_; // a deque: each Range's record points into itself
};

// The add-in's step that adds a chart sheet, call for call: insert it, name it, ask for the
// workbook's name and, when `move`, move the sheet to the end of that workbook.
inline void AddChartSheet(HostCalls& call, const std::string& name, bool move) {
  ASSERT_EQ(call(xlcWorkbookInsert, {Int(2)}), xlretSuccess);
  ASSERT_EQ(call(xlcWorkbookName, {Missing(), call.Str(name)}), xlretSuccess);
  ASSERT_EQ(call(xlfGetDocument, {Int(88)}), xlretSuccess);
  XLOPER book = call.result;
  if (move) {
    ASSERT_EQ(call(xlcWorkbookMove, {call.Str(name), book, Missing()}), xlretSuccess);
  }
  ASSERT_EQ(call(xlFree, {book}), xlretSuccess);
}

} // namespace kvtest
