// CSV in: data files become worksheets, as Excel opens a .csv file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "../model/application.h"

namespace kvhost {

// Reads one CSV file (UTF-8, an optional byte-order mark, ',' between fields, CR, LF or CRLF
// between records) into the worksheet's cells, row by row from A1:
//   - an unquoted number ("-1.5", "2e-3", "+7") becomes a number, always with a '.' decimal
//     point whatever the process locale;
//   - TRUE/FALSE in any case becomes a Boolean, an error name (#N/A, #DIV/0!, ...) an error
//     value, as Excel does when it opens a CSV file;
//   - an empty field leaves the cell empty, and a blank line an empty row;
//   - everything else, and every quoted field (even "12"), is text. Spaces around unquoted
//     fields are dropped.
// Returns nothing and a one-line `error` naming the file when it cannot be read or does not fit
// the grid (65536 rows, 256 columns).
std::optional<Cells> ReadCsvCells(const std::string& path, std::string& error);

} // namespace kvhost
