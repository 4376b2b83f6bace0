// Data in: the files given to --data become the sheets of one workbook, as Excel opens them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "../model/application.h"
#include "csv_dialect.h"

namespace kvhost {

// One worksheet of a data file, with the values its cells hold.
struct DataSheet {
  std::string name;
  Cells cells;
  bool visible = true;
  bool very_hidden = false; // hidden so that no one can show it from Excel's menus
};

// The data files as the sheets of one workbook, in the order given. A file is read by its
// kind:
//   - .xlsx (and .xlsm): every worksheet under its own name, in the workbook's order
//     (xlsx_reader.h);
//   - .xls: every worksheet of an Excel 97-2003 workbook, through FreeXL (xls_reader.h);
//   - anything else: CSV, one sheet named after the file's stem (csv_reader.h), in the dialect
//     `csv` forces or, for what it leaves out, the one each file shows (csv_dialect.h).
// The first visible sheet of the first file is active; the workbook is named after the first
// file. A sheet name that another file (or the same one) already brought, whatever the case,
// is an error, as is a value beyond `grid` (the Excel kvhost plays). Every error is one line
// that names the file and the reason.
std::optional<Workbook> ReadDataWorkbook(const std::vector<std::string>& paths, std::string& error,
                                         const CsvChoice& csv = {},
                                         const Grid& grid = kExcel12Grid);

// The sheets of one data file, read by its kind as above.
std::optional<std::vector<DataSheet>> ReadDataFile(const std::string& path, std::string& error,
                                                   const CsvChoice& csv = {},
                                                   const Grid& grid = kExcel12Grid);

} // namespace kvhost
