// JPEG pictures on Windows: decoded by OLE's picture loader (OleLoadPicture), which every
// Windows has, so the add-in needs no decoder of its own; the bitmap it makes is read back as
// 32-bit pixels, top row first.
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "../common/image_file.h"
#include "kvplatform/bitmap.h"

namespace kvp {
namespace {

// Releases a COM object when it goes.
template <typename Interface> struct Released {
  Interface* object = nullptr;
  ~Released() {
    if (object != nullptr) object->Release();
  }
};

} // namespace

Image LoadJpegFile(const std::string& path) {
  const std::vector<unsigned char> bytes = detail::ReadImageFile(path);
  if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8)
    throw ImageError("the picture " + path + " is not a JPEG file");
  // The stream takes the memory over and frees it with itself.
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (memory == nullptr) throw ImageError("no memory for the picture " + path);
  std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
  GlobalUnlock(memory);
  Released<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream.object))) {
    GlobalFree(memory);
    throw ImageError("no memory for the picture " + path);
  }
  Released<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.object, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(&picture.object))))
    throw ImageError("the picture " + path + " cannot be decoded");
  OLE_HANDLE handle = 0;
  SHORT type = PICTYPE_NONE;
  if (FAILED(picture.object->get_Type(&type)) || type != PICTYPE_BITMAP ||
      FAILED(picture.object->get_Handle(&handle)))
    throw ImageError("the picture " + path + " is not a bitmap once decoded");
  HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
  BITMAP size{};
  if (GetObjectA(bitmap, sizeof size, &size) == 0 || size.bmWidth <= 0 || size.bmHeight <= 0)
    throw ImageError("the picture " + path + " has no size");

  Image image;
  image.width = size.bmWidth;
  image.height = size.bmHeight;
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height; // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(image.height),
                             image.pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != image.height) throw ImageError("the picture " + path + " cannot be read back");
  for (std::uint32_t& pixel : image.pixels)
    pixel |= 0xFF000000u; // GDI leaves the alpha byte empty: the picture is opaque
  return image;
}

} // namespace kvp
