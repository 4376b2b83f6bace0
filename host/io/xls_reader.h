// .xls in: the worksheets of an Excel 97-2003 (BIFF) workbook, through FreeXL.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data_workbook.h"

namespace kvhost {

// Reads every worksheet of the workbook at `path`, in its order, under its own name (the first
// one is active: FreeXL does not tell hidden sheets apart). Numbers stay numbers, texts texts;
// a date FreeXL hands over as text ("2020-01-31", "2020-01-31 12:30:15", "12:30:15") becomes its
// serial number again, in the workbook's own date system (to the second: FreeXL gives no
// fractions of one).
//
// FreeXL reads in a child process: a file that makes it crash or hang is refused with a reason
// rather than ending kvhost.
//
// FreeXL 1.0 reports no Booleans, no error values and no formulas' cached values: such cells
// come in empty. A password-protected (obfuscated or encrypted) file, a corrupt one and one
// FreeXL refuses are errors, one line naming `path`.
std::optional<std::vector<DataSheet>> ReadXlsSheets(const std::string& path, std::string& error);

} // namespace kvhost
