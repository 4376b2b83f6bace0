// JPEG pictures through libjpeg-turbo, and the clipboard as one picture slot in this shared
// library: the add-in puts a picture there and the host's toolbar takes it, as two modules of
// one Windows process share the clipboard.
#include "kvplatform/bitmap.h"

#include <turbojpeg.h>

#include <mutex>
#include <optional>

#include "../common/image_file.h"

namespace kvp {
namespace {

class Decompressor {
public:
  Decompressor() : handle_(tjInitDecompress()) {
    if (handle_ == nullptr) throw ImageError("cannot start the JPEG decoder");
  }
  ~Decompressor() { tjDestroy(handle_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
  tjhandle get() const { return handle_; }
  std::string Error() const { return tjGetErrorStr2(handle_); }

private:
  tjhandle handle_;
};

std::mutex g_clipboard_mutex;
std::optional<Image> g_clipboard;

} // namespace

Image LoadJpegFile(const std::string& path) {
  const std::vector<unsigned char> data = detail::ReadImageFile(path);
  const auto fail = [&](const std::string& why) {
    return ImageError("the picture " + path + " is not a usable JPEG: " + why);
  };
  if (data.empty()) throw fail("empty file");
  const Decompressor decoder;
  const auto size = static_cast<unsigned long>(data.size());
  int width = 0, height = 0, subsampling = 0, colour_space = 0;
  if (tjDecompressHeader3(decoder.get(), data.data(), size, &width, &height, &subsampling,
                          &colour_space) != 0)
    throw fail(decoder.Error());
  if (width <= 0 || height <= 0 ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > detail::kMaxPixels)
    throw fail("bad dimensions");

  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
  // A warning (a truncated or damaged stream) fails too: half a picture is not the picture.
  if (tjDecompress2(decoder.get(), data.data(), size, rgb.data(), width, 0, height, TJPF_RGB,
                    TJFLAG_ACCURATEDCT) != 0)
    throw fail(decoder.Error());

  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = 0xFF000000u | std::uint32_t{rgb[3 * i]} << 16 |
                      std::uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
  return image;
}

void PutBitmapOnClipboard(const Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
    throw ImageError("an empty or inconsistent picture cannot go on the clipboard");
  const std::lock_guard lock(g_clipboard_mutex);
  g_clipboard = image;
}

bool TakeBitmapFromClipboard(Image& image) {
  const std::lock_guard lock(g_clipboard_mutex);
  if (!g_clipboard) return false;
  image = *g_clipboard;
  return true;
}

void EmptyClipboard() {
  const std::lock_guard lock(g_clipboard_mutex);
  g_clipboard.reset();
}

} // namespace kvp
