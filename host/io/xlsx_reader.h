// .xlsx in: the worksheets of an Office Open XML workbook, as Excel and LibreOffice write them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data_workbook.h"

namespace kvhost {

// Reads every worksheet of the workbook at `path` (zip package through libzip, parts through
// expat), in the workbook's order, with its cells as the file holds them:
//   - numbers (dates are numbers already; a cell of type "d" becomes its serial number);
//   - shared and inline texts (rich text runs joined; phonetic guides left out);
//   - Booleans; error values (#NULL!, #DIV/0!, #VALUE!, #REF!, #NAME?, #NUM!, #N/A; an error
//     the Excel 4 interface has no code for, such as #SPILL!, becomes #VALUE!);
//   - a formula's cached value, or an empty cell when the file holds none: kvhost does not
//     recalculate;
//   - nothing for a cell that holds no value (a styled one).
// Chart sheets, dialog and macro sheets, styles, merges and drawings are passed over. A value
// beyond `grid` is an error (an Excel before 12 opens no more than the Excel 4 interface's
// A1:IV65536), as are an encrypted or password-protected file, a part that inflates beyond
// 1 GiB, a corrupt package and XML that is not well-formed. The error is one line naming `path`.
std::optional<std::vector<DataSheet>> ReadXlsxSheets(const std::string& path, std::string& error,
                                                     const Grid& grid = kExcel12Grid);

} // namespace kvhost
