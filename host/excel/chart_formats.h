// The formats of the selected chart item: with a chart sheet active, PATTERNS, FONT.PROPERTIES
// and FORMAT.NUMBER act on it. The cell commands' handlers hand their calls over to these.
#pragma once

#include "excel_host.h"

namespace kvhost {

int FormatChartItemPatterns(ExcelHost& host, LPXLOPER result, Arguments args);
int FormatChartItemFont(ExcelHost& host, LPXLOPER result, Arguments args);
int FormatChartItemNumbers(ExcelHost& host, LPXLOPER result, Arguments args);

} // namespace kvhost
