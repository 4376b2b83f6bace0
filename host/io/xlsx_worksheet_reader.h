// The cells of one worksheet part of an .xlsx package (xl/worksheets/sheetN.xml).
#pragma once

#include <string>
#include <vector>

#include "../model/cells.h"
#include "zip_xml.h"

namespace kvhost::xlsx {

// What a worksheet's cells need from the rest of the workbook.
struct WorkbookContext {
  std::vector<std::string> shared_strings;
  bool date1904 = false;
};

// Fills `cells` from the worksheet part `part`, as ReadXlsxSheets describes. False, with the
// reason (naming the sheet, not the file) in `error`, when the part cannot be used.
bool ReadWorksheetPart(const ZipPackage& package, const std::string& part,
                       const std::string& sheet_name, const WorkbookContext& context, Cells& cells,
                       std::string& error);

// The shared strings part: one text per <si>, rich runs joined, phonetic guides left out.
bool ReadSharedStrings(const ZipPackage& package, const std::string& part,
                       std::vector<std::string>& strings, std::string& error);

} // namespace kvhost::xlsx
