// Dates as Excel holds them: numbers of days, the time of day as the fraction.
#pragma once

#include <optional>
#include <string_view>

namespace kvhost {

// The serial number of a date and time written as text: "YYYY-MM-DD", "HH:MM:SS[.fff]" (a time
// alone, a fraction of a day) or both joined by 'T' or ' ' (ISO 8601, as an .xlsx cell of type
// "d" and FreeXL give them). In the 1900 date system 1900-01-01 is day 1 and, as in Excel,
// 1900-02-29 exists (day 60), so days from 1900-03-01 on count from 1899-12-30; in the 1904
// system 1904-01-01 is day 0. Nothing for any other text, or a date before the system's start.
std::optional<double> SerialFromDateText(std::string_view text, bool date1904);

} // namespace kvhost
