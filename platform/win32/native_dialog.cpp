#include "native_dialog.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace kvp::win32 {

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

const char* KindText(const std::string& kind) {
  static const char* const kinds[] = {"label",     "button",         "check box", "radio group",
                                      "group box", "drop-down list", "edit",      "masked edit",
                                      "up-down",   "image",          "memo",      "panel"};
  for (const char* k : kinds)
    if (kind == k) return k;
  return "control";
}

BaseUnits MeasureBaseUnits(HFONT font) {
  BaseUnits units;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  SIZE size{};
  // The average width of the Latin letters, as the dialog manager measures it.
  static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  if (GetTextMetricsA(dc, &metrics) && GetTextExtentPoint32A(dc, letters, 52, &size)) {
    units.x = (size.cx / 26 + 1) / 2;
    units.y = metrics.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return units;
}

COLORREF ToColorRef(std::uint32_t color) {
  if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

MaskShape ParseMask(const std::string& mask) {
  MaskShape shape;
  const std::string pattern = mask.substr(0, mask.find(';'));
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool escaped = pattern[i] == '\\' && i + 1 < pattern.size();
    if (escaped) ++i;
    if (!escaped && (pattern[i] == '0' || pattern[i] == '9')) {
      ++shape.places;
      shape.trailing.clear(); // literals between digit places are not shown apart
    } else {
      (shape.places == 0 ? shape.leading : shape.trailing) += pattern[i];
    }
  }
  return shape;
}

std::string MaskDisplay(const MaskShape& shape, const std::string& digits) {
  return shape.leading + digits + shape.trailing;
}

std::string MaskDigits(const MaskShape& shape, const std::string& shown) {
  std::string_view rest = shown;
  if (rest.starts_with(shape.leading)) rest.remove_prefix(shape.leading.size());
  std::string digits;
  for (char c : rest)
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
  return digits;
}

RECT RadioItemRect(const RECT& group, int index, int count, int columns, const BaseUnits& units) {
  columns = std::max(1, columns);
  const int rows = std::max(1, (count + columns - 1) / columns);
  const int column = index / rows, row = index % rows;
  const int caption = units.PixelsY(11), bottom = units.PixelsY(3), margin = units.PixelsX(8);
  const int item_height = units.PixelsY(10);
  const int width = (group.right - group.left - 2 * margin) / columns;
  const int pitch =
      std::max<int>(item_height, (group.bottom - group.top - caption - bottom) / rows);
  RECT r;
  r.left = group.left + margin + column * width;
  r.top = group.top + caption + row * pitch;
  r.right = r.left + width;
  r.bottom = r.top + item_height;
  return r;
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(0, got)));
  return text;
}

std::vector<std::string> ListItems(HWND combo) {
  std::vector<std::string> items;
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::string item(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1,
                     '\0');
    const auto got = SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    items.push_back(item);
  }
  return items;
}

RECT ClientBounds(HWND dialog, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

} // namespace kvp::win32
