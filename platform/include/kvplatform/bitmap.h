// Bitmaps loaded from .bmp files and the clipboard that carries them (LoadImage and the
// CF_BITMAP clipboard on Windows; in-process on Linux, shared by the add-in and the host).
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "api.h"

namespace kvp {

// An image as 32-bit BGRA pixels, top row first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels; // 0xAARRGGBB
};

struct ImageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads a Windows bitmap file (uncompressed 1, 4, 8, 24 or 32 bits per pixel). Throws
// ImageError when the file is missing, unreadable or not such a bitmap.
// Both systems read the file with the same code, so a picture is the same pixels everywhere:
// a BITMAPINFOHEADER or one of its later versions (V2 to V5), 1, 4 or 8 bits with a palette,
// 24 bits, or 32 bits either plain (BI_RGB, whose fourth byte is unused: the pixels come out
// opaque) or laid out by colour masks (BI_BITFIELDS, with alpha when the header has its mask);
// rows stored bottom-up (positive height) or top-down (negative height). Compressed files
// (RLE, JPEG or PNG inside), other depths, OS/2 headers, and any file whose sizes or offsets
// do not fit inside it are refused.
KVP_API Image LoadBitmapFile(const std::string& path);

// Decodes a JPEG file. Throws ImageError when it cannot, a damaged or truncated file included.
// Linux decodes with libjpeg-turbo. The Windows build has no JPEG decoder and always throws
// ImageError saying so; the caller keeps its dialog without the picture.
KVP_API Image LoadJpegFile(const std::string& path);

// The clipboard. Put replaces its contents; Take returns a copy (nothing when it holds no
// picture); Empty clears it. Put throws ImageError for a picture without pixels or whose
// pixel count is not width x height, and on Windows when the clipboard refuses it. On Windows
// the picture travels as a CF_BITMAP, which has no transparency: Take answers opaque pixels.
KVP_API void PutBitmapOnClipboard(const Image& image);
KVP_API bool TakeBitmapFromClipboard(Image& image);
KVP_API void EmptyClipboard();

} // namespace kvp
