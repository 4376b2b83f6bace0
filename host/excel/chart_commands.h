// The chart half of the commands that act on what is selected: with a chart sheet active,
// SELECT, PATTERNS, FONT.PROPERTIES and FORMAT.NUMBER act on the selected chart item. The cell
// commands' handlers hand their calls over to these.
#pragma once

#include "excel_host.h"

namespace kvhost {

int SelectChartItem(ExcelHost& host, LPXLOPER result, Arguments args);
int FormatChartItemPatterns(ExcelHost& host, LPXLOPER result, Arguments args);
int FormatChartItemFont(ExcelHost& host, LPXLOPER result, Arguments args);
int FormatChartItemNumbers(ExcelHost& host, LPXLOPER result, Arguments args);

} // namespace kvhost
