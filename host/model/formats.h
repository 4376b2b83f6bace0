// How cells look: fonts, fills, frames, alignment and number formats, and the palette their
// colours come from.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kvhost {

// A colour as Excel's 56-colour palette numbers it (1-56); 0 means automatic.
using PaletteIndex = std::uint8_t;
constexpr PaletteIndex kAutomaticColour = 0;

// The RGB value (0xRRGGBB) of palette colour `index` in Excel's default palette; automatic (0)
// and numbers outside the palette give black.
std::uint32_t PaletteRgb(PaletteIndex index);

struct FontFormat {
  std::string name = "Arial";
  double size = 10;
  bool bold = false;
  bool italic = false;
  PaletteIndex colour = kAutomaticColour;
  bool operator==(const FontFormat&) const = default;
};

// Horizontal alignment, numbered as ALIGNMENT numbers it.
enum class HorizontalAlignment : std::uint8_t {
  General = 1,
  Left = 2,
  Center = 3,
  Right = 4,
  Fill = 5,
  Justify = 6,
  CenterAcrossSelection = 7,
};

// Line styles of a cell edge, numbered as BORDER numbers them.
enum class BorderStyle : std::uint8_t {
  None = 0,
  Thin = 1,
  Medium = 2,
  Dashed = 3,
  Dotted = 4,
  Thick = 5,
  Double = 6,
  Hairline = 7,
};

struct CellBorders {
  BorderStyle left = BorderStyle::None;
  BorderStyle right = BorderStyle::None;
  BorderStyle top = BorderStyle::None;
  BorderStyle bottom = BorderStyle::None;
  bool operator==(const CellBorders&) const = default;
};

struct CellFormat {
  FontFormat font;
  // PATTERNS' cell patterns: 0 none, 1 solid, up to 18; a solid fill shows the fore colour.
  std::uint8_t fill_pattern = 0;
  PaletteIndex fill_fore = kAutomaticColour;
  PaletteIndex fill_back = kAutomaticColour;
  std::string number_format = "General";
  HorizontalAlignment alignment = HorizontalAlignment::General;
  CellBorders borders;
  bool operator==(const CellFormat&) const = default;
};

// A change to cell formats, as one formatting command makes it: only what is given changes.
struct FormatChange {
  std::optional<std::string> font_name;
  std::optional<double> font_size;
  std::optional<bool> bold;
  std::optional<bool> italic;
  std::optional<PaletteIndex> font_colour;
  std::optional<std::uint8_t> fill_pattern;
  std::optional<PaletteIndex> fill_fore;
  std::optional<PaletteIndex> fill_back;
  std::optional<std::string> number_format;
  std::optional<HorizontalAlignment> alignment;

  void ApplyTo(CellFormat& format) const;
  void ApplyTo(FontFormat& font) const; // the font part only
};

} // namespace kvhost
