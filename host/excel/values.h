// Reading the add-in's argument records.
#pragma once

#include <optional>
#include <string>

#include "../model/cells.h"
#include "xloper.h"

namespace kvhost {

// The record's type without the ownership bits.
using xl::BaseType;

// The characters of an Excel 4 counted text (ANSI), or nothing when the record is not a text.
std::optional<std::string> AnsiText(const XLOPER& value);

// A record's text in the ANSI code page: an Excel 4 text as it is, an Excel 12 one converted
// (characters outside code page 1252 as '?'). Names of procedures and type texts are read so.
template <class Oper> std::optional<std::string> AnsiTextOf(const Oper& value);

// A record's text in UTF-8 (from ANSI or from UTF-16), or nothing when it is not a text.
template <class Oper> std::optional<std::string> Utf8Text(const Oper& value);

// A number from a number, integer or Boolean record, or from a text holding a plain decimal
// number (Excel takes "1" where a number is expected).
template <class Oper> std::optional<double> NumberOf(const Oper& value);

template <class Oper> bool IsOmitted(const Oper& value) {
  return BaseType(value) == xltypeMissing;
}

// Excel's way of showing a number in a cell of general format: up to 15 significant digits,
// no trailing zeros, an exponent when the number is too large or too small for them (1E+20,
// 1E-05). Never the locale's decimal comma. A number that is not finite shows as #NUM!.
std::string GeneralNumberText(double number, int significant_digits = 15);

// A value as a cell shows it: numbers as above, TRUE/FALSE, the error's name, the text itself.
std::string DisplayText(const Value& value, int significant_digits = 15);

} // namespace kvhost
