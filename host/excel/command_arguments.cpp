#include "command_arguments.h"

#include <cmath>

#include "values.h"

namespace kvhost {
namespace {

// xlretSuccess when the record is a value at all.
template <class Oper> int ValueRecord(const Oper& value) {
  switch (BaseType(value)) {
  case xltypeNum:
  case xltypeStr:
  case xltypeBool:
  case xltypeErr:
  case xltypeInt: return xlretSuccess;
  default: return xlretInvXloper;
  }
}

} // namespace

template <class Oper> bool Given(ArgumentsOf<Oper> args, std::size_t index) {
  return index < args.size() && !IsOmitted(*args[index]) && BaseType(*args[index]) != xltypeNil;
}

template <class Oper>
int ReadNumber(ArgumentsOf<Oper> args, std::size_t index, std::optional<double>& out) {
  if (!Given(args, index)) return xlretSuccess;
  if (const int code = ValueRecord(*args[index])) return code;
  const auto number = NumberOf(*args[index]);
  if (!number || !std::isfinite(*number)) return xlretFailed;
  out = *number;
  return xlretSuccess;
}

template <class Oper>
int ReadInteger(ArgumentsOf<Oper> args, std::size_t index, std::optional<int>& out, int min,
                int max) {
  std::optional<double> number;
  if (const int code = ReadNumber(args, index, number)) return code;
  if (!number) return xlretSuccess;
  const double whole = std::trunc(*number);
  if (whole < min || whole > max) return xlretFailed;
  out = static_cast<int>(whole);
  return xlretSuccess;
}

template <class Oper>
int ReadBoolean(ArgumentsOf<Oper> args, std::size_t index, std::optional<bool>& out) {
  if (!Given(args, index)) return xlretSuccess;
  const Oper& value = *args[index];
  if (const int code = ValueRecord(value)) return code;
  if (BaseType(value) == xltypeStr) {
    const std::string text = AnsiTextOf(value).value_or("");
    if (!EqualsIgnoringCase(text, "TRUE") && !EqualsIgnoringCase(text, "FALSE")) return xlretFailed;
    out = EqualsIgnoringCase(text, "TRUE");
    return xlretSuccess;
  }
  const auto number = NumberOf(value);
  if (!number) return xlretFailed;
  out = *number != 0;
  return xlretSuccess;
}

template <class Oper>
int ReadText(ArgumentsOf<Oper> args, std::size_t index, std::optional<std::string>& out) {
  if (!Given(args, index)) return xlretSuccess;
  if (const int code = ValueRecord(*args[index])) return code;
  auto text = Utf8Text(*args[index]);
  if (!text) return xlretFailed;
  out = std::move(*text);
  return xlretSuccess;
}

template <class Oper>
int ReadColour(ArgumentsOf<Oper> args, std::size_t index, std::optional<PaletteIndex>& out,
               bool automatic) {
  std::optional<int> colour;
  if (const int code = ReadInteger(args, index, colour, automatic ? 0 : 1, 56)) return code;
  if (colour) out = static_cast<PaletteIndex>(*colour);
  return xlretSuccess;
}

template <class Oper> int RefuseGiven(ArgumentsOf<Oper> args, std::size_t first, std::size_t last) {
  for (std::size_t i = first; i <= last && i < args.size(); ++i)
    if (Given(args, i)) return ValueRecord(*args[i]) ? xlretInvXloper : xlretFailed;
  return xlretSuccess;
}

template <class Oper> int RefuseTrue(ArgumentsOf<Oper> args, std::size_t first, std::size_t last) {
  for (std::size_t i = first; i <= last && i < args.size(); ++i) {
    std::optional<bool> flag;
    if (const int code = ReadBoolean(args, i, flag)) return code;
    if (flag.value_or(false)) return xlretFailed;
  }
  return xlretSuccess;
}

template <class Oper> int ReadFontProperties(ArgumentsOf<Oper> args, FormatChange& change) {
  if (args.size() > 14) return xlretInvCount;
  std::optional<std::string> name, style;
  std::optional<double> size;
  std::optional<int> underline;
  if (int code = ReadText(args, 0, name)) return code;
  if (int code = ReadText(args, 1, style)) return code;
  if (int code = ReadNumber(args, 2, size)) return code;
  std::optional<int> background;
  if (int code = RefuseTrue(args, 3, 5)) return code;
  if (int code = ReadInteger(args, 8, underline, 0, 4)) return code;
  if (underline.value_or(0) != 0) return xlretFailed; // single, double, accounting: not kept
  if (int code = ReadColour(args, 9, change.font_colour, true)) return code;
  if (int code = RefuseTrue(args, 10, 10)) return code;
  if (int code = ReadInteger(args, 11, background, 1, 3)) return code;
  if (background.value_or(1) != 1) return xlretFailed; // transparent, opaque: not kept
  if (int code = RefuseGiven(args, 12, 13)) return code;
  if (name) {
    if (name->empty()) return xlretFailed;
    change.font_name = *name;
  }
  if (size) {
    if (*size < 1 || *size > 409) return xlretFailed; // Excel's range of font sizes
    change.font_size = *size;
  }
  if (style) {
    struct Style {
      const char* name;
      bool bold, italic;
    };
    static constexpr Style kStyles[] = {
        {"Regular", false, false},   {"Normal", false, false},        {"Bold", true, false},
        {"Negrito", true, false},    {"Italic", false, true},         {"Itálico", false, true},
        {"Bold Italic", true, true}, {"Negrito Itálico", true, true},
    };
    const Style* found = nullptr;
    for (const Style& known : kStyles)
      if (EqualsIgnoringCase(*style, known.name)) found = &known;
    if (found == nullptr) return xlretFailed;
    change.bold = found->bold;
    change.italic = found->italic;
  }
  return xlretSuccess;
}

template bool Given(ArgumentsOf<XLOPER>, std::size_t);
template bool Given(ArgumentsOf<XLOPER12>, std::size_t);
template int ReadNumber(ArgumentsOf<XLOPER>, std::size_t, std::optional<double>&);
template int ReadNumber(ArgumentsOf<XLOPER12>, std::size_t, std::optional<double>&);
template int ReadInteger(ArgumentsOf<XLOPER>, std::size_t, std::optional<int>&, int, int);
template int ReadInteger(ArgumentsOf<XLOPER12>, std::size_t, std::optional<int>&, int, int);
template int ReadBoolean(ArgumentsOf<XLOPER>, std::size_t, std::optional<bool>&);
template int ReadBoolean(ArgumentsOf<XLOPER12>, std::size_t, std::optional<bool>&);
template int ReadText(ArgumentsOf<XLOPER>, std::size_t, std::optional<std::string>&);
template int ReadText(ArgumentsOf<XLOPER12>, std::size_t, std::optional<std::string>&);
template int ReadColour(ArgumentsOf<XLOPER>, std::size_t, std::optional<PaletteIndex>&, bool);
template int ReadColour(ArgumentsOf<XLOPER12>, std::size_t, std::optional<PaletteIndex>&, bool);
template int RefuseGiven(ArgumentsOf<XLOPER>, std::size_t, std::size_t);
template int RefuseGiven(ArgumentsOf<XLOPER12>, std::size_t, std::size_t);
template int RefuseTrue(ArgumentsOf<XLOPER>, std::size_t, std::size_t);
template int RefuseTrue(ArgumentsOf<XLOPER12>, std::size_t, std::size_t);
template int ReadFontProperties(ArgumentsOf<XLOPER>, FormatChange&);
template int ReadFontProperties(ArgumentsOf<XLOPER12>, FormatChange&);

} // namespace kvhost
