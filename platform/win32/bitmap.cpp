// The Windows clipboard carries the picture as a CF_BITMAP made from a 32-bit DIB section.
// Bitmap files are read by the reader both systems share (common/bmp.cpp).
#include "kvplatform/bitmap.h"

#include <windows.h>

#include <cstring>

namespace kvp {
namespace {

// EmptyClipboard gives the clipboard to the window that opened it; with no window,
// SetClipboardData fails. A message-only window of our own owns what we put there, for as
// long as the add-in is loaded.
HWND ClipboardOwner() {
  static HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
  return owner;
}

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; // top row first, as Image keeps it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Opens the clipboard for as long as it lives.
class OpenedClipboard {
public:
  OpenedClipboard() : open_(OpenClipboard(ClipboardOwner()) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool open() const { return open_; }

private:
  bool open_;
};

} // namespace

void PutBitmapOnClipboard(const Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
    throw ImageError("an empty or inconsistent picture cannot go on the clipboard");
  const BITMAPINFO info = TopDown32(image.width, image.height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) throw ImageError("cannot make a bitmap for the clipboard");
  // 0xAARRGGBB in memory is B, G, R, A: the DIB's own byte order.
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(std::uint32_t));
  GdiFlush();
  const OpenedClipboard clipboard;
  if (!clipboard.open() || !::EmptyClipboard() || SetClipboardData(CF_BITMAP, bitmap) == nullptr) {
    DeleteObject(bitmap);
    throw ImageError("cannot put the picture on the clipboard");
  }
  // The clipboard owns the bitmap now.
}

bool TakeBitmapFromClipboard(Image& image) {
  if (!IsClipboardFormatAvailable(CF_BITMAP)) return false;
  const OpenedClipboard clipboard;
  if (!clipboard.open()) return false;
  auto* bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP shape{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof shape, &shape) == 0 || shape.bmWidth <= 0 ||
      shape.bmHeight <= 0)
    return false;
  BITMAPINFO info = TopDown32(shape.bmWidth, shape.bmHeight);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(shape.bmWidth) * shape.bmHeight);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), pixels.data(),
                             &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != shape.bmHeight) return false;
  // CF_BITMAP carries no transparency: what comes back is opaque.
  for (std::uint32_t& pixel : pixels)
    pixel |= 0xFF000000u;
  image.width = shape.bmWidth;
  image.height = shape.bmHeight;
  image.pixels = std::move(pixels);
  return true;
}

void EmptyClipboard() {
  const OpenedClipboard clipboard;
  if (clipboard.open()) ::EmptyClipboard();
}

} // namespace kvp
