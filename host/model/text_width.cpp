#include "text_width.h"

#include <algorithm>
#include <cmath>

#include "number_display.h"

namespace kvhost {
namespace {

// Advance widths, in thousandths of the font size, of the printable ASCII characters (space to
// '~') in Arial and bold Arial: the published Helvetica metrics, to which Arial's are equal.
constexpr std::uint16_t kRegular[95] = {
    278,  278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, // sp-/
    556,  556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, // 0-?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, // @-O
    667,  778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556, // P-_
    333,  556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556, // `-o
    556,  556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};     // p-~
constexpr std::uint16_t kBold[95] = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, // sp-/
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, // 0-?
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778, // @-O
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556, // P-_
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611, // `-o
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};     // p-~

// The next code point of a UTF-8 text; a broken sequence counts as one character.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(at);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  char32_t code = extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : lead & 0x1Fu;
  if (extra == 0) code = lead;
  ++at;
  for (; extra > 0 && at < text.size() && (byte(at) & 0xC0) == 0x80; --extra)
    code = (code << 6) | (byte(at++) & 0x3Fu);
  return code;
}

// Accented Latin-1 letters are as wide as their base letters.
char BaseLetter(char32_t code) {
  static constexpr char kLatin1[] = "AAAAAA"
                                    "\0CEEEEIIII\0NOOOOO\0OUUUUY\0\0"
                                    "aaaaaa\0ceeee\0\0\0\0\0nooooo\0ouuuuy\0y";
  if (code < 0xC0 || code > 0xFF) return 0;
  return kLatin1[code - 0xC0];
}

int AdvanceWidth(char32_t code, bool bold) {
  const std::uint16_t* table = bold ? kBold : kRegular;
  if (code >= 0x20 && code <= 0x7E) return table[code - 0x20];
  if (code >= 0xEC && code <= 0xEF) return 278; // accented i: as wide as a dotless i
  if (const char base = BaseLetter(code)) return table[base - 0x20];
  switch (code) {
  case 0xA0: return 278;  // no-break space
  case 0xC6: return 1000; // AE
  case 0xE6: return 889;  // ae
  case 0xD7:
  case 0xF7: return 584; // multiplication and division signs
  case 0xB0: return 400; // degree sign
  case 0xAA:
  case 0xBA: return 370; // ordinal indicators
  default: return 556;   // anything else: a digit's width
  }
}

} // namespace

double TextWidthPixels(std::string_view utf8, const FontFormat& font) {
  const double pixels_per_em = font.size * 96.0 / 72.0;
  double width = 0;
  for (std::size_t at = 0; at < utf8.size();)
    width += std::round(AdvanceWidth(NextCodePoint(utf8, at), font.bold) * pixels_per_em / 1000.0);
  return width;
}

std::optional<double> BestFitWidth(const Sheet& sheet, std::uint32_t column,
                                   std::uint32_t first_row, std::uint32_t last_row) {
  std::optional<double> widest;
  if (sheet.cells.Rows() == 0) return widest;
  last_row = std::min(last_row, sheet.cells.Rows() - 1);
  for (std::uint32_t row = first_row; row <= last_row; ++row) {
    if (sheet.cells.TypeAt(row, column) == ValueType::Empty) continue;
    const CellFormat& format = sheet.formats.At(row, column);
    const std::string shown = CellDisplayText(sheet.cells.Get(row, column), format.number_format);
    const double pixels = TextWidthPixels(shown, format.font);
    widest = std::max(widest.value_or(0), pixels);
  }
  if (widest) *widest /= kStandardDigitPixels;
  return widest;
}

} // namespace kvhost
