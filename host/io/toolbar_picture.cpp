#include "toolbar_picture.h"

#include <png.h>

#include <cstdint>
#include <vector>

#include "output_target.h"

namespace kvhost {
namespace {

// Classic 3-D colours of a docked toolbar, 0xRRGGBB.
constexpr std::uint32_t kFace = 0xD4D0C8;
constexpr std::uint32_t kLight = 0xFFFFFF;
constexpr std::uint32_t kShadow = 0x808080;
constexpr std::uint32_t kEmptyFace = 0xA0A0A0; // a button the add-in gave no picture

constexpr int kButtonWidth = 23, kButtonHeight = 22, kFaceSize = 16;
constexpr int kGapWidth = 8, kGripWidth = 8, kBorder = 2;

class Canvas {
public:
  Canvas(int width, int height) : width_(width), height_(height), rgb_(width * height, kFace) {}
  void Set(int x, int y, std::uint32_t rgb) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) rgb_[y * width_ + x] = rgb;
  }
  void Fill(int x, int y, int w, int h, std::uint32_t rgb) {
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        Set(x + i, y + j, rgb);
  }
  // A raised frame: light on the top and left edges, shadow on the bottom and right.
  void Raised(int x, int y, int w, int h) {
    Fill(x, y, w, 1, kLight);
    Fill(x, y, 1, h, kLight);
    Fill(x, y + h - 1, w, 1, kShadow);
    Fill(x + w - 1, y, 1, h, kShadow);
  }
  // RGBA bytes, each pixel repeated scale x scale.
  std::vector<std::uint8_t> Scaled(int scale) const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(width_) * height_ * scale * scale * 4);
    for (int y = 0; y < height_ * scale; ++y)
      for (int x = 0; x < width_ * scale; ++x) {
        const std::uint32_t rgb = rgb_[(y / scale) * width_ + x / scale];
        bytes.insert(bytes.end(),
                     {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                      static_cast<std::uint8_t>(rgb), 0xFF});
      }
    return bytes;
  }
  int width() const { return width_; }
  int height() const { return height_; }

private:
  int width_, height_;
  std::vector<std::uint32_t> rgb_;
};

void DrawFace(Canvas& canvas, int x, int y, const Tool& tool) {
  if (!tool.pasted_face) {
    canvas.Fill(x, y, kFaceSize, kFaceSize, kEmptyFace);
    return;
  }
  const ToolFace& face = *tool.pasted_face;
  // A face of another size is drawn from its top-left corner, clipped to the button.
  for (int j = 0; j < face.height && j < kFaceSize; ++j)
    for (int i = 0; i < face.width && i < kFaceSize; ++i) {
      const std::uint32_t argb = face.pixels[static_cast<std::size_t>(j) * face.width + i];
      canvas.Set(x + i, y + j, argb & 0xFFFFFF);
    }
}

Canvas Draw(const Toolbar& toolbar) {
  int width = kBorder + kGripWidth;
  for (const Tool& tool : toolbar.tools)
    width += tool.IsGap() ? kGapWidth : kButtonWidth;
  width += kBorder;
  Canvas canvas(width, kButtonHeight + 2 * kBorder);
  canvas.Raised(0, 0, canvas.width(), canvas.height());
  // The gripper: two raised bars a person drags the toolbar by.
  canvas.Raised(kBorder + 2, kBorder + 1, 3, kButtonHeight - 2);
  int x = kBorder + kGripWidth;
  for (const Tool& tool : toolbar.tools) {
    if (tool.IsGap()) {
      canvas.Fill(x + kGapWidth / 2 - 1, kBorder + 2, 1, kButtonHeight - 4, kShadow);
      canvas.Fill(x + kGapWidth / 2, kBorder + 2, 1, kButtonHeight - 4, kLight);
      x += kGapWidth;
      continue;
    }
    DrawFace(canvas, x + (kButtonWidth - kFaceSize) / 2, kBorder + (kButtonHeight - kFaceSize) / 2,
             tool);
    x += kButtonWidth;
  }
  return canvas;
}

} // namespace

bool WriteToolbarPicture(const Toolbar& toolbar, const std::string& path, int scale,
                         std::string& error) {
  if (scale < 1 || scale > 16) {
    error = "the scale must be from 1 to 16";
    return false;
  }
  const Canvas canvas = Draw(toolbar);
  const std::vector<std::uint8_t> pixels = canvas.Scaled(scale);
  OutputSet output;
  std::string file;
  if (!output.Stage(path, file, error)) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(canvas.width() * scale);
  image.height = static_cast<png_uint_32>(canvas.height() * scale);
  image.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&image, file.c_str(), 0, pixels.data(), 0, nullptr)) {
    error = "cannot write " + path + ": " + image.message;
    return false;
  }
  return output.Commit(error);
}

} // namespace kvhost
