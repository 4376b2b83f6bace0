// Internal: what the native dialog driver and its reader (attached_form.cpp) share: the marks
// on the windows beyond those of attached_form.h, the dialog font and its units, the masked
// edit's shape, and where a radio group's items sit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kvp::win32 {

// Further marks on the control windows, for a reader: the control's kind (a text that lives as
// long as the program), its place among the form's controls (1-based), its group box's name,
// the model's colours (VCL colour values), a masked edit's mask and the most digits it holds.
inline constexpr char kKindProperty[] = "KvKind";
inline constexpr char kOrderProperty[] = "KvOrder";
inline constexpr char kParentProperty[] = "KvParent";
inline constexpr char kColorProperty[] = "KvColor";
inline constexpr char kFontColorProperty[] = "KvFontColor";
inline constexpr char kMaskProperty[] = "KvMask";
inline constexpr char kMaxLengthProperty[] = "KvMaxLength";

// The module the driver is part of (the add-in), which owns its window class and windows.
HMODULE ThisModule();

// The kind names of ControlState, as texts that outlive any window.
const char* KindText(const std::string& kind);

// The dialog font's base units, which turn dialog units into pixels: 4 horizontal units to the
// average character width, 8 vertical units to the character height.
struct BaseUnits {
  int x = 6, y = 13;
  int PixelsX(int units) const { return MulDiv(units, x, 4); }
  int PixelsY(int units) const { return MulDiv(units, y, 8); }
  int UnitsX(int pixels) const { return MulDiv(pixels, 4, x); }
  int UnitsY(int pixels) const { return MulDiv(pixels, 8, y); }
};
BaseUnits MeasureBaseUnits(HFONT font);

// A VCL colour value (0x00BBGGRR or a system colour 0x800000nn) as a Windows colour.
COLORREF ToColorRef(std::uint32_t color);

// A masked edit shows its digits between the literals of its mask ("0," before a fraction's
// digits, "%" after a percentage's); the model's text is the digits alone.
struct MaskShape {
  std::string leading, trailing;
  std::size_t places = 0;
};
MaskShape ParseMask(const std::string& mask);
std::string MaskDisplay(const MaskShape& shape, const std::string& digits);
std::string MaskDigits(const MaskShape& shape, const std::string& shown);

// Item `index` of a radio group of `count` items in `columns` columns, in pixels of the dialog's
// client area, given the group box's rectangle: the items fill the columns top to bottom, below
// the group's caption.
RECT RadioItemRect(const RECT& group, int index, int count, int columns, const BaseUnits& units);

// Reads a window's text in the ANSI code page.
std::string WindowText(HWND window);

// The items of a drop-down list.
std::vector<std::string> ListItems(HWND list);

// The bounds of a child window in its dialog's client area, in pixels.
RECT ClientBounds(HWND dialog, HWND child);

} // namespace kvp::win32
