// The formats of the selected chart item: with a chart sheet active, PATTERNS, FONT.PROPERTIES
// and FORMAT.NUMBER act on it. The cell commands' handlers hand their calls over to these.
#pragma once

#include "excel_host.h"

namespace kvhost {

template <class Oper>
int FormatChartItemPatterns(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args);
template <class Oper>
int FormatChartItemFont(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args);
template <class Oper>
int FormatChartItemNumbers(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args);

} // namespace kvhost
