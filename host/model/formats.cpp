#include "formats.h"

namespace kvhost {

std::uint32_t PaletteRgb(PaletteIndex index) {
  // Excel's default 56-colour palette (the ECMA-376 indexed colours 8 to 63).
  static constexpr std::array<std::uint32_t, 56> kPalette = {
      0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
      0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
      0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
      0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
      0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
      0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
      0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
  if (index < 1 || index > kPalette.size()) return 0x000000;
  return kPalette[index - 1];
}

void FormatChange::ApplyTo(FontFormat& font) const {
  if (font_name) font.name = *font_name;
  if (font_size) font.size = *font_size;
  if (bold) font.bold = *bold;
  if (italic) font.italic = *italic;
  if (font_colour) font.colour = *font_colour;
}

void FormatChange::ApplyTo(CellFormat& format) const {
  ApplyTo(format.font);
  if (fill_pattern) format.fill_pattern = *fill_pattern;
  if (fill_fore) format.fill_fore = *fill_fore;
  if (fill_back) format.fill_back = *fill_back;
  if (number_format) format.number_format = *number_format;
  if (alignment) format.alignment = *alignment;
}

} // namespace kvhost
