// The cells of one worksheet part of an .xlsx package (xl/worksheets/sheetN.xml).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../model/cells.h"
#include "zip_xml.h"

namespace kvhost::xlsx {

// The longest text a cell holds, in UTF-16 code units as Excel counts characters.
constexpr std::size_t kMaxCellCharacters = 32767;

// Bytes of text one workbook may bring in all: a shared string counts once, whatever the cells
// that show it. Far above any sheet of data; far below what would exhaust the memory.
constexpr std::uint64_t kMaxWorkbookTextBytes = std::uint64_t{1} << 30;

// What a worksheet's cells need from the rest of the workbook.
struct WorkbookContext {
  std::vector<std::shared_ptr<const std::string>> shared_strings;
  bool date1904 = false;
  std::uint64_t max_text_bytes = kMaxWorkbookTextBytes;
  std::uint64_t text_bytes = 0; // of that budget, taken by the parts read so far
  Grid grid = kExcel12Grid;     // a value beyond it is refused
};

// Fills `cells` from the worksheet part `part`, as ReadXlsxSheets describes. False, with the
// reason (naming the sheet, not the file) in `error`, when the part cannot be used.
bool ReadWorksheetPart(const ZipPackage& package, const std::string& part,
                       const std::string& sheet_name, WorkbookContext& context, Cells& cells,
                       std::string& error);

// The shared strings part into `context`: one text per <si>, rich runs joined, phonetic guides
// left out.
bool ReadSharedStrings(const ZipPackage& package, const std::string& part, WorkbookContext& context,
                       std::string& error);

} // namespace kvhost::xlsx
