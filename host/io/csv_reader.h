// CSV in: data files become worksheets, as Excel opens a .csv file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "../model/application.h"
#include "csv_dialect.h"

namespace kvhost {

// Reads one CSV file (UTF-8, an optional byte-order mark, CR, LF or CRLF between records) into
// the worksheet's cells, row by row from A1. The fields are separated and the decimals marked as
// the file's dialect says: the one `choice` forces, or the one its first lines show
// (csv_dialect.h) — ',' and '.' for a comma file, ';' and ',' as Excel writes under Portuguese
// settings:
//   - an unquoted number becomes a number whatever the process locale: with a decimal point
//     "-1.5", "2e-3", "+7"; with a decimal comma "-1,5", "1.628,75", "1,5E+03" (csv_dialect.h);
//   - TRUE/FALSE in any case becomes a Boolean, an error name (#N/A, #DIV/0!, ...) an error
//     value, as Excel does when it opens a CSV file;
//   - an empty field leaves the cell empty, and a blank line an empty row;
//   - everything else (dates such as 01/01/2024 too), and every quoted field (even "12"), is
//     text. Spaces around unquoted fields are dropped.
// Returns nothing and a one-line `error` naming the file when it cannot be read or does not fit
// `grid`.
std::optional<Cells> ReadCsvCells(const std::string& path, std::string& error,
                                  const CsvChoice& choice = {}, const Grid& grid = kExcel12Grid);

} // namespace kvhost
