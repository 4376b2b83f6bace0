#include "date_serial.h"

#include <cstdint>

namespace kvhost {
namespace {

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar (H. Hinnant's
// days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Exactly `width` digits at `at`.
std::optional<unsigned> Digits(std::string_view text, std::size_t at, std::size_t width) {
  if (at + width > text.size()) return std::nullopt;
  unsigned value = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return value;
}

std::optional<double> DayFraction(std::string_view text) {
  const auto h = Digits(text, 0, 2), m = Digits(text, 3, 2), s = Digits(text, 6, 2);
  if (!h || !m || !s || text[2] != ':' || text[5] != ':' || *h > 23 || *m > 59 || *s > 59)
    return std::nullopt;
  double seconds = *s;
  if (text.size() > 8) {
    if (text[8] != '.' || text.size() == 9) return std::nullopt;
    double fraction = 0, scale = 0.1;
    for (const char c : text.substr(9)) {
      if (c < '0' || c > '9') return std::nullopt;
      fraction += (c - '0') * scale;
      scale /= 10;
    }
    seconds += fraction;
  }
  return (*h * 3600.0 + *m * 60.0 + seconds) / 86400.0;
}

} // namespace

std::optional<double> SerialFromDateText(std::string_view text, bool date1904) {
  if (text.size() >= 8 && text[2] == ':') return DayFraction(text);
  const auto y = Digits(text, 0, 4), m = Digits(text, 5, 2), d = Digits(text, 8, 2);
  if (!y || !m || !d || text[4] != '-' || text[7] != '-' || *m < 1 || *m > 12 || *d < 1)
    return std::nullopt;
  static constexpr unsigned kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (*y % 4 == 0 && *y % 100 != 0) || *y % 400 == 0;
  const bool excel_leap_day = !date1904 && *y == 1900 && *m == 2 && *d == 29;
  if (*d > kDays[*m - 1] || (*m == 2 && *d == 29 && !leap && !excel_leap_day)) return std::nullopt;
  double serial = 0;
  if (excel_leap_day) {
    serial = 60;
  } else if (date1904) {
    serial = static_cast<double>(DaysFromCivil(*y, *m, *d) - DaysFromCivil(1904, 1, 1));
    if (serial < 0) return std::nullopt;
  } else {
    serial = static_cast<double>(DaysFromCivil(*y, *m, *d) - DaysFromCivil(1899, 12, 30));
    if (serial < 61) serial -= 1; // before Excel's 1900-02-29
    if (serial < 1) return std::nullopt;
  }
  if (text.size() == 10) return serial;
  if (text[10] != 'T' && text[10] != ' ') return std::nullopt;
  const auto fraction = DayFraction(text.substr(11));
  if (!fraction) return std::nullopt;
  return serial + *fraction;
}

} // namespace kvhost
