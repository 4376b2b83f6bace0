#include "values.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <type_traits>

#include "kvplatform/ansi.h"

namespace kvhost {

std::optional<std::string> AnsiText(const XLOPER& value) {
  if (BaseType(value) != xltypeStr || value.val.str == nullptr) return std::nullopt;
  const auto length = static_cast<unsigned char>(value.val.str[0]);
  return std::string(value.val.str + 1, length);
}

template <class Oper> std::optional<std::string> Utf8Text(const Oper& value) {
  if (BaseType(value) != xltypeStr || value.val.str == nullptr) return std::nullopt;
  if constexpr (std::is_same_v<Oper, XLOPER>) {
    return kvp::AnsiToUtf8(*AnsiText(value));
  } else {
    return kvp::Utf16ToUtf8(std::u16string_view(value.val.str + 1, value.val.str[0]));
  }
}

template <class Oper> std::optional<std::string> AnsiTextOf(const Oper& value) {
  if constexpr (std::is_same_v<Oper, XLOPER>) {
    return AnsiText(value);
  } else {
    auto text = Utf8Text(value);
    if (!text) return std::nullopt;
    return kvp::Utf8ToAnsi(*text);
  }
}

template <class Oper> std::optional<double> NumberOf(const Oper& value) {
  switch (BaseType(value)) {
  case xltypeNum: return value.val.num;
  case xltypeInt: return value.val.w;
  case xltypeBool: return value.val.xbool != 0 ? 1.0 : 0.0;
  case xltypeStr: {
    const auto text = Utf8Text(value);
    if (!text) return std::nullopt;
    double number = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    auto [end, error] = std::from_chars(first, last, number);
    if (text->empty() || error != std::errc{} || end != last) return std::nullopt;
    return number;
  }
  default: return std::nullopt;
  }
}

template std::optional<std::string> Utf8Text(const XLOPER&);
template std::optional<std::string> Utf8Text(const XLOPER12&);
template std::optional<std::string> AnsiTextOf(const XLOPER&);
template std::optional<std::string> AnsiTextOf(const XLOPER12&);
template std::optional<double> NumberOf(const XLOPER&);
template std::optional<double> NumberOf(const XLOPER12&);

std::string GeneralNumberText(double number, int significant_digits) {
  if (!std::isfinite(number)) return "#NUM!";
  if (number == 0) number = 0; // no "-0"
  char buffer[40];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number,
                                    std::chars_format::general, significant_digits);
  if (error != std::errc{}) return "#NUM!";
  std::string text(buffer, end);
  for (char& c : text)
    if (c == 'e') c = 'E'; // Excel writes 1E+20
  return text;
}

std::string DisplayText(const Value& value, int significant_digits) {
  if (value.type != ValueType::Number) return NonNumberText(value);
  return GeneralNumberText(value.number, significant_digits);
}

} // namespace kvhost
