// How a cell shows its value in its number format: the text a person reads in the cell, which
// is also what a best-fit column width is measured on. Numbers are shown with '.' as the
// decimal point and ',' between thousands whatever the process locale, as Excel shows them
// under the US formats the add-in gives (FORMAT.NUMBER in its international form).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cells.h"

namespace kvhost {

// `number` in the General format as a cell of the standard width shows it: at most 11
// characters, sign and decimal point included; the digits that do not fit are rounded away, and
// a number that does not fit at all, or shows more of its digits that way, is written with an
// exponent ("1.23457E+11", "1.2E-10").
std::string GeneralDisplay(double number);

// `number` in a number format made of digit placeholders, as these show it:
//   "0", "0.000", "#,##0.0000", "0.0####" — '0' a digit always shown, '#' a digit shown when it
//   is not a leading or trailing zero, ',' between integer placeholders groups thousands;
//   a trailing "%" shows the number times 100 followed by '%';
//   "0.000E+00" an exponent of at least as many digits as zeros after the sign ("E-" shows the
//   sign of negative exponents only).
// Rounding is half away from zero on the number's 15 significant decimal digits, as Excel
// rounds what it shows. A negative number keeps its '-' even when it rounds to zero ("-0.00").
// "General" (in any case) gives GeneralDisplay. Nothing for a format outside these.
std::optional<std::string> FormatNumber(double number, std::string_view format);

// What a cell holding `value` shows in `format`: numbers as FormatNumber (General for a format
// it does not know), TRUE or FALSE, the error's name, the text itself, nothing when empty.
std::string CellDisplayText(const Value& value, std::string_view format);

} // namespace kvhost
