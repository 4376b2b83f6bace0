#include "number_display.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kvhost {
namespace {

// A magnitude as decimal digits: 0.d1d2d3... x 10^exponent, without trailing zeros; no digits
// for zero. Taken from the 15 significant digits Excel keeps of a number.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

void StripTrailingZeros(std::string& digits) {
  while (!digits.empty() && digits.back() == '0')
    digits.pop_back();
}

Decimal ToDecimal(double magnitude) {
  Decimal decimal;
  if (magnitude == 0 || !std::isfinite(magnitude)) return decimal;
  char buffer[40];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
  if (error != std::errc{}) return decimal;
  const std::string_view text(buffer, static_cast<std::size_t>(end - buffer)); // d.ddde+XX
  const std::size_t e = text.find('e');
  decimal.digits.push_back(text[0]);
  decimal.digits.append(text.substr(2, e - 2));
  std::string_view power = text.substr(e + 1);
  const bool negative = power.front() == '-';
  if (power.front() == '-' || power.front() == '+') power.remove_prefix(1);
  int exponent = 0;
  std::from_chars(power.data(), power.data() + power.size(), exponent);
  decimal.exponent = (negative ? -exponent : exponent) + 1;
  StripTrailingZeros(decimal.digits);
  return decimal;
}

// Keeps the first `count` digits, rounding half away from zero.
void RoundTo(Decimal& decimal, int count) {
  if (count >= static_cast<int>(decimal.digits.size())) return;
  if (count < 0) {
    decimal.digits.clear();
    return;
  }
  const bool up = decimal.digits[static_cast<std::size_t>(count)] >= '5';
  decimal.digits.resize(static_cast<std::size_t>(count));
  if (up) {
    int i = count - 1;
    while (i >= 0 && decimal.digits[static_cast<std::size_t>(i)] == '9')
      decimal.digits[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
      decimal.digits.insert(decimal.digits.begin(), '1');
      ++decimal.exponent;
    } else {
      ++decimal.digits[static_cast<std::size_t>(i)];
    }
  }
  StripTrailingZeros(decimal.digits);
}

// The digits before the decimal point; empty below 1.
std::string IntegerDigits(const Decimal& decimal) {
  if (decimal.digits.empty() || decimal.exponent <= 0) return {};
  std::string digits = decimal.digits.substr(0, static_cast<std::size_t>(decimal.exponent));
  digits.resize(static_cast<std::size_t>(decimal.exponent), '0');
  return digits;
}

// The first `count` digits after the decimal point.
std::string FractionDigits(const Decimal& decimal, int count) {
  std::string digits;
  for (int k = 0; k < count; ++k) {
    const int at = decimal.exponent + k;
    digits.push_back(at >= 0 && at < static_cast<int>(decimal.digits.size())
                         ? decimal.digits[static_cast<std::size_t>(at)]
                         : '0');
  }
  return digits;
}

// "d.dddE+XX" with the digits of `decimal` (at least one).
std::string ScientificText(const Decimal& decimal, int fraction_digits, bool plus_sign,
                           int exponent_digits) {
  const int exponent = decimal.digits.empty() ? 0 : decimal.exponent - 1;
  std::string text(1, decimal.digits.empty() ? '0' : decimal.digits[0]);
  if (fraction_digits > 0) {
    text.push_back('.');
    for (int k = 1; k <= fraction_digits; ++k)
      text.push_back(k < static_cast<int>(decimal.digits.size())
                         ? decimal.digits[static_cast<std::size_t>(k)]
                         : '0');
  }
  text.push_back('E');
  if (exponent < 0)
    text.push_back('-');
  else if (plus_sign)
    text.push_back('+');
  std::string power = std::to_string(std::abs(exponent));
  if (static_cast<int>(power.size()) < exponent_digits)
    power.insert(0, static_cast<std::size_t>(exponent_digits) - power.size(), '0');
  return text + power;
}

// A format of digit placeholders, read by ParseDigitFormat.
struct DigitFormat {
  int integer_zeros = 0;
  int integer_placeholders = 0;
  bool grouping = false;
  bool point = false;
  int fraction_zeros = 0;
  int fraction_hashes = 0;
  bool percent = false;
  bool scientific = false;
  bool exponent_plus = false;
  int exponent_zeros = 0;
};

std::optional<DigitFormat> ParseDigitFormat(std::string_view format) {
  DigitFormat parsed;
  std::size_t i = 0;
  bool comma_pending = false;
  for (; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '#' || c == '0') {
      if (c == '#' && parsed.integer_zeros > 0) return std::nullopt; // "0#" is no format here
      if (c == '0') ++parsed.integer_zeros;
      ++parsed.integer_placeholders;
      if (comma_pending) parsed.grouping = true;
      comma_pending = false;
    } else if (c == ',') {
      if (parsed.integer_placeholders == 0) return std::nullopt;
      comma_pending = true;
    } else {
      break;
    }
  }
  if (comma_pending) return std::nullopt; // a trailing ',' scales by 1000: not handled
  if (i < format.size() && format[i] == '.') {
    parsed.point = true;
    for (++i; i < format.size() && format[i] == '0'; ++i)
      ++parsed.fraction_zeros;
    for (; i < format.size() && format[i] == '#'; ++i)
      ++parsed.fraction_hashes;
  }
  if (parsed.integer_placeholders + parsed.fraction_zeros + parsed.fraction_hashes == 0)
    return std::nullopt;
  if (i < format.size() && format[i] == '%') {
    parsed.percent = true;
    ++i;
  } else if (i + 1 < format.size() && (format[i] == 'E' || format[i] == 'e') &&
             (format[i + 1] == '+' || format[i + 1] == '-')) {
    parsed.scientific = true;
    parsed.exponent_plus = format[i + 1] == '+';
    for (i += 2; i < format.size() && format[i] == '0'; ++i)
      ++parsed.exponent_zeros;
    if (parsed.exponent_zeros == 0 || parsed.integer_placeholders != 1 || parsed.grouping)
      return std::nullopt;
  }
  if (i != format.size()) return std::nullopt;
  return parsed;
}

std::string GroupThousands(const std::string& digits) {
  std::string grouped;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[k]);
  }
  return grouped;
}

std::string ShowDigits(double number, const DigitFormat& format) {
  const std::string sign = number < 0 ? "-" : "";
  Decimal decimal = ToDecimal(std::fabs(number));
  const int fraction_places = format.fraction_zeros + format.fraction_hashes;
  if (format.scientific) {
    RoundTo(decimal, 1 + fraction_places);
    std::string text =
        ScientificText(decimal, fraction_places, format.exponent_plus, format.exponent_zeros);
    if (format.fraction_hashes > 0) { // optional digits drop their trailing zeros
      const std::size_t e = text.find('E');
      std::size_t last = e;
      while (last > 0 && text[last - 1] == '0' &&
             static_cast<int>(last - 1 - text.find('.')) > format.fraction_zeros)
        --last;
      text.erase(last, e - last);
    }
    return sign + text;
  }
  if (format.percent && !decimal.digits.empty()) decimal.exponent += 2;
  RoundTo(decimal, decimal.exponent + fraction_places);
  std::string integer = IntegerDigits(decimal);
  if (static_cast<int>(integer.size()) < format.integer_zeros)
    integer.insert(0, static_cast<std::size_t>(format.integer_zeros) - integer.size(), '0');
  if (format.grouping) integer = GroupThousands(integer);
  std::string fraction = FractionDigits(decimal, fraction_places);
  while (static_cast<int>(fraction.size()) > format.fraction_zeros && fraction.back() == '0')
    fraction.pop_back();
  std::string text = sign + integer;
  if (format.point) text.append(1, '.').append(fraction);
  if (format.percent) text.push_back('%');
  return text;
}

} // namespace

std::string GeneralDisplay(double number) {
  if (!std::isfinite(number)) return "#NUM!";
  if (number == 0) return "0";
  const std::string sign = number < 0 ? "-" : "";
  const int room = 11 - static_cast<int>(sign.size());
  const Decimal exact = ToDecimal(std::fabs(number));

  std::optional<std::string> fixed;
  std::size_t fixed_digits = 0;
  if (std::max(exact.exponent, 1) <= room) {
    Decimal decimal = exact;
    const int places = std::max(room - std::max(exact.exponent, 1) - 1, 0);
    RoundTo(decimal, decimal.exponent + places);
    std::string integer = IntegerDigits(decimal);
    if (integer.empty()) integer.push_back('0');
    if (static_cast<int>(integer.size()) <= room) {
      std::string fraction = FractionDigits(decimal, places);
      StripTrailingZeros(fraction);
      if (!fraction.empty()) integer.append(1, '.').append(fraction);
      fixed = integer;
      fixed_digits = decimal.digits.size();
    }
  }

  Decimal decimal = exact;
  const int exponent_length = std::abs(exact.exponent - 1) >= 100 ? 5 : 4; // E+05, E+100
  RoundTo(decimal, std::max(room - exponent_length - 1, 1));
  const std::string scientific =
      ScientificText(decimal, static_cast<int>(decimal.digits.size()) - 1, true, 2);
  // Fixed when it shows as many of the number's digits as the exponent form.
  if (fixed && fixed_digits >= decimal.digits.size()) return sign + *fixed;
  return sign + scientific;
}

std::optional<std::string> FormatNumber(double number, std::string_view format) {
  if (EqualsIgnoringCase(format, "General")) return GeneralDisplay(number);
  if (!std::isfinite(number)) return "#NUM!";
  const auto parsed = ParseDigitFormat(format);
  if (!parsed) return std::nullopt;
  return ShowDigits(number, *parsed);
}

std::string CellDisplayText(const Value& value, std::string_view format) {
  if (value.type != ValueType::Number) return NonNumberText(value);
  auto shown = FormatNumber(value.number, format);
  return shown ? *shown : GeneralDisplay(value.number);
}

} // namespace kvhost
