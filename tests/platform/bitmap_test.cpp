// Bitmap and JPEG files as the toolbar and the welcome dialog load them, and the clipboard
// that carries a toolbar picture from the add-in to the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kvplatform/bitmap.h"
#include "scratch.h"

namespace {

using kvp::Image;
using kvp::ImageError;
using Pixels = std::vector<std::uint32_t>;

void PutU16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(std::string& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

void SetU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  std::string four;
  PutU32(four, value);
  bytes.replace(offset, 4, four);
}

// A bitmap file written byte by byte, as the format lays it out.
struct Bmp {
  std::int32_t width = 0;
  std::int32_t height = 0; // negative: top row stored first
  std::uint16_t depth = 24;
  std::uint32_t header_size = 40;
  std::uint32_t compression = 0;
  std::uint32_t colours_used = 0;
  std::vector<std::uint32_t> palette = {}; // 0xRRGGBB
  std::vector<std::uint32_t> masks = {};   // inside a later header, or after a 40-byte one
  std::vector<std::string> rows = {};      // in file order, unpadded

  std::string Bytes() const {
    std::string info;
    PutU32(info, header_size);
    PutU32(info, static_cast<std::uint32_t>(width));
    PutU32(info, static_cast<std::uint32_t>(height));
    PutU16(info, 1);
    PutU16(info, depth);
    PutU32(info, compression);
    PutU32(info, 0);    // image size: may be 0 without compression
    PutU32(info, 2835); // 72 dpi
    PutU32(info, 2835);
    PutU32(info, colours_used);
    PutU32(info, 0);
    for (std::uint32_t mask : masks)
      PutU32(info, mask);
    while (info.size() < header_size)
      PutU32(info, 0);
    for (std::uint32_t colour : palette) {
      PutU32(info, colour); // B G R 0
    }
    std::string pixels;
    for (const std::string& row : rows)
      pixels += row + std::string((4 - row.size() % 4) % 4, '\0');
    std::string file = "BM";
    PutU32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
    PutU32(file, 0);
    PutU32(file, static_cast<std::uint32_t>(14 + info.size()));
    return file + info + pixels;
  }
};

std::string Row(std::initializer_list<int> bytes) {
  std::string row;
  for (int b : bytes)
    row += static_cast<char>(b);
  return row;
}

constexpr std::uint32_t kOpaque = 0xFF000000u;

class Pictures : public ::testing::Test {
protected:
  kvtest::ScratchFolder folder;
  int files = 0;

  std::string Write(const std::string& bytes) {
    const std::string path = folder / ("picture" + std::to_string(files++));
    kvtest::WriteFile(path, bytes);
    return path;
  }
  Image Load(const std::string& bytes) { return kvp::LoadBitmapFile(Write(bytes)); }
  void ExpectPixels(const Image& image, int width, int height, const Pixels& expected) {
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    ASSERT_EQ(image.pixels.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(image.pixels[i], expected[i])
          << std::hex << "pixel " << i % width << "," << i / width << ": got " << image.pixels[i]
          << ", expected " << expected[i];
  }
};

TEST_F(Pictures, PaletteDepthsReadEveryPixelInBothRowOrders) {
  {
    SCOPED_TRACE("1 bit, 10 wide (two bytes and padding a row), bottom-up");
    Bmp bmp{.width = 10, .height = 2, .depth = 1, .palette = {0x102030, 0xF0E0D0}};
    bmp.rows = {Row({0b00000111, 0b11000000}),  // bottom: 0000011111
                Row({0b10101100, 0b11000000})}; // top:    1010110011
    const std::uint32_t o = kOpaque | 0x102030, i = kOpaque | 0xF0E0D0;
    ExpectPixels(Load(bmp.Bytes()), 10, 2,
                 {i, o, i, o, i, i, o, o, i, i, o, o, o, o, o, i, i, i, i, i});
  }
  {
    SCOPED_TRACE("4 bits, three colours used, top-down");
    Bmp bmp{.width = 3,
            .height = -2,
            .depth = 4,
            .colours_used = 3,
            .palette = {0x0000FF, 0x00FF00, 0xFF0000}};
    bmp.rows = {Row({0x20, 0x10}), Row({0x11, 0x20})};
    const std::uint32_t b = kOpaque | 0x0000FF, g = kOpaque | 0x00FF00, r = kOpaque | 0xFF0000;
    ExpectPixels(Load(bmp.Bytes()), 3, 2, {r, b, g, g, g, r});
  }
  {
    SCOPED_TRACE("8 bits, a full palette, top-down");
    Bmp bmp{.width = 5, .height = -2, .depth = 8};
    const auto colour = [](std::uint32_t i) { return i << 16 | (255 - i) << 8 | (i ^ 0x5A); };
    for (std::uint32_t i = 0; i < 256; ++i)
      bmp.palette.push_back(colour(i));
    bmp.rows = {Row({0, 1, 127, 128, 255}), Row({254, 3, 4, 5, 6})};
    Pixels expected;
    for (int index : {0, 1, 127, 128, 255, 254, 3, 4, 5, 6})
      expected.push_back(kOpaque | colour(static_cast<std::uint32_t>(index)));
    ExpectPixels(Load(bmp.Bytes()), 5, 2, expected);
  }
}

TEST_F(Pictures, TrueColourDepthsKeepChannelsInPlace) {
  {
    SCOPED_TRACE("24 bits, 3 wide (padded rows), bottom-up");
    Bmp bmp{.width = 3, .height = 2, .depth = 24};
    bmp.rows = {Row({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09}),  // bottom, B G R
                Row({0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF})}; // top
    ExpectPixels(Load(bmp.Bytes()), 3, 2,
                 {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF030201, 0xFF060504, 0xFF090807});
  }
  {
    SCOPED_TRACE("24 bits under a V4 header");
    Bmp bmp{.width = 1, .height = 1, .depth = 24, .header_size = 108};
    bmp.rows = {Row({0x30, 0x20, 0x10})};
    ExpectPixels(Load(bmp.Bytes()), 1, 1, {0xFF102030});
  }
  {
    SCOPED_TRACE("32 bits BI_RGB: the fourth byte is unused, the pixel opaque");
    Bmp bmp{.width = 2, .height = 1, .depth = 32};
    bmp.rows = {Row({0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0x80})};
    ExpectPixels(Load(bmp.Bytes()), 2, 1, {0xFF332211, 0xFF665544});
  }
  {
    SCOPED_TRACE("32 bits with masks and alpha in a V5 header");
    Bmp bmp{.width = 2,
            .height = -1,
            .depth = 32,
            .header_size = 124,
            .compression = 3,
            .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}};
    bmp.rows = {Row({0x11, 0x22, 0x33, 0x80, 0x44, 0x55, 0x66, 0x00})};
    ExpectPixels(Load(bmp.Bytes()), 2, 1, {0x80332211, 0x00665544});
  }
  {
    SCOPED_TRACE("32 bits with 5-bit masks after a 40-byte header, red lowest");
    Bmp bmp{.width = 3,
            .height = 1,
            .depth = 32,
            .compression = 3,
            .masks = {0x0000001F, 0x000003E0, 0x00007C00}};
    // red 31, green 0, blue 16 | red 0, green 31, blue 0 | all 1
    bmp.rows = {Row({0x1F, 0x40, 0x00, 0x00, 0xE0, 0x03, 0x00, 0x00, 0x21, 0x04, 0x00, 0x00})};
    ExpectPixels(Load(bmp.Bytes()), 3, 1, {0xFFFF0083, 0xFF00FF00, 0xFF080808});
  }
}

TEST_F(Pictures, MalformedBitmapsAreRefusedWithoutReadingOutsideTheFile) {
  Bmp bmp{.width = 4,
          .height = 2,
          .depth = 8,
          .colours_used = 4,
          .palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000}};
  bmp.rows = {Row({0, 1, 2, 3}), Row({3, 2, 1, 0})}; // no padding: every byte counts
  const std::string good = bmp.Bytes();
  ASSERT_NO_THROW(Load(good));

  for (std::size_t length = 0; length < good.size(); ++length)
    EXPECT_THROW(Load(good.substr(0, length)), ImageError) << "cut to " << length << " bytes";

  const std::size_t pixels = good.size() - 8;
  const std::vector<std::pair<const char*, std::function<void(std::string&)>>> faults = {
      {"signature", [](std::string& b) { b[1] = 'A'; }},
      {"OS/2 header", [](std::string& b) { SetU32(b, 14, 12); }},
      {"unknown header size", [](std::string& b) { SetU32(b, 14, 64); }},
      {"header beyond the file", [](std::string& b) { SetU32(b, 14, 0xFFFFFFFF); }},
      {"zero width", [](std::string& b) { SetU32(b, 18, 0); }},
      {"negative width", [](std::string& b) { SetU32(b, 18, static_cast<std::uint32_t>(-4)); }},
      {"zero height", [](std::string& b) { SetU32(b, 22, 0); }},
      {"most negative height", [](std::string& b) { SetU32(b, 22, 0x80000000u); }},
      {"rows beyond the file", [](std::string& b) { SetU32(b, 22, 3); }},
      {"huge width", [](std::string& b) { SetU32(b, 18, 0x40000000); }},
      {"huge both", [](std::string& b) { SetU32(b, 18, 0x10000), SetU32(b, 22, 0x10000); }},
      {"two planes", [](std::string& b) { b[26] = 2; }},
      {"16 bits", [](std::string& b) { b[28] = 16; }},
      {"2 bits", [](std::string& b) { b[28] = 2; }},
      {"RLE8", [](std::string& b) { SetU32(b, 30, 1); }},
      {"RLE4", [](std::string& b) { SetU32(b, 30, 2); }},
      {"JPEG inside", [](std::string& b) { SetU32(b, 30, 4); }},
      {"PNG inside", [](std::string& b) { SetU32(b, 30, 5); }},
      {"masks on 8 bits", [](std::string& b) { SetU32(b, 30, 3); }},
      {"too many colours", [](std::string& b) { SetU32(b, 46, 257); }},
      {"palette beyond the file", [](std::string& b) { SetU32(b, 46, 0xFFFFFFFF); }},
      {"pixel outside a short palette", [](std::string& b) { SetU32(b, 46, 3); }},
      {"pixels at the end", [&](std::string& b) { SetU32(b, 10, b.size()); }},
      {"pixels far away", [](std::string& b) { SetU32(b, 10, 0xFFFFFFF0); }},
      {"pixels inside the header", [](std::string& b) { SetU32(b, 10, 20); }},
      {"pixel index past the palette", [&](std::string& b) { b[pixels] = 9; }},
  };
  for (const auto& [what, fault] : faults) {
    std::string bad = good;
    fault(bad);
    EXPECT_THROW(Load(bad), ImageError) << what;
  }
  EXPECT_THROW(kvp::LoadBitmapFile(folder / "missing.bmp"), ImageError);
  EXPECT_THROW(kvp::LoadBitmapFile(folder.path().string()), ImageError) << "a folder";
}

TEST_F(Pictures, ToolbarPicturesLoadAs16By16) {
  for (const char* name : {"hist", "cmp", "pca", "ica", "rlm", "ewv", "arc", "hlp"}) {
    SCOPED_TRACE(name);
    const Image image = kvp::LoadBitmapFile(std::string(KV_IMG_DIR) + "/" + name + ".bmp");
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 16);
    ASSERT_EQ(image.pixels.size(), 256u);
    const auto drawn = std::count_if(image.pixels.begin(), image.pixels.end(),
                                     [&](std::uint32_t p) { return p != image.pixels[0]; });
    EXPECT_GE(drawn, 20) << "a picture, not a blank";
  }
  // The histogram stands on a black base line one row above the bottom: rows come out in
  // the right order from a real file.
  const Image histogram = kvp::LoadBitmapFile(std::string(KV_IMG_DIR) + "/hist.bmp");
  for (int x = 0; x < 16; ++x) {
    EXPECT_EQ(histogram.pixels[14 * 16 + x], 0xFF000000u) << x;
    EXPECT_NE(histogram.pixels[1 * 16 + x], 0xFF000000u) << x;
  }
}

TEST_F(Pictures, WelcomeJpegDecodesWithItsColours) {
  const std::string path = std::string(KV_IMG_DIR) + "/welcome.jpg";
  const Image logo = kvp::LoadJpegFile(path);
  ASSERT_EQ(logo.width, 41);
  ASSERT_EQ(logo.height, 41);
  ASSERT_EQ(logo.pixels.size(), 41u * 41u);
  const auto channels = [&](int x, int y) {
    const std::uint32_t p = logo.pixels[static_cast<std::size_t>(y) * 41 + x];
    return std::array<int, 4>{int(p >> 24), int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
  };
  // JPEG is lossy: colours within a margin. A corner is white, the disc's top is navy
  // (0, 0, 128) and the tallest bar is orange (240, 128, 0): red and blue in their places.
  const auto corner = channels(0, 0);
  EXPECT_EQ(corner[0], 255);
  EXPECT_GE(corner[1], 235);
  EXPECT_GE(corner[2], 235);
  EXPECT_GE(corner[3], 235);
  const auto navy = channels(20, 5);
  EXPECT_LE(navy[1], 30);
  EXPECT_LE(navy[2], 30);
  EXPECT_NEAR(navy[3], 128, 20);
  const auto orange = channels(27, 24);
  EXPECT_GE(orange[1], 215);
  EXPECT_NEAR(orange[2], 128, 25);
  EXPECT_LE(orange[3], 30);
}

TEST_F(Pictures, DamagedJpegsAreRefused) {
  const std::string jpeg = kvtest::ReadFile(std::string(KV_IMG_DIR) + "/welcome.jpg");
  ASSERT_GT(jpeg.size(), 400u);
  std::string flipped = jpeg;
  for (std::size_t i = jpeg.size() / 2; i < jpeg.size() / 2 + 64; ++i)
    flipped[i] = static_cast<char>(0xFF); // markers in the middle of the entropy-coded data
  const std::pair<const char*, std::string> damaged[] = {
      {"empty", ""},
      {"not a JPEG", "GIF89a and then some bytes"},
      {"header only", jpeg.substr(0, 20)},
      {"cut in half", jpeg.substr(0, jpeg.size() / 2)},
      {"without its end", jpeg.substr(0, jpeg.size() - 40)},
      {"scrambled", flipped},
  };
  for (const auto& [what, bytes] : damaged)
    EXPECT_THROW(kvp::LoadJpegFile(Write(bytes)), ImageError) << what;
  EXPECT_THROW(kvp::LoadJpegFile(folder / "missing.jpg"), ImageError);
}

TEST(Clipboard, HoldsOneCopyUntilReplacedOrEmptied) {
  kvp::EmptyClipboard();
  Image taken{1, 1, {0x12345678}};
  EXPECT_FALSE(kvp::TakeBitmapFromClipboard(taken));
  EXPECT_EQ(taken.pixels, Pixels{0x12345678}) << "nothing taken, nothing changed";

  Image first{2, 1, {0xFF102030, 0x80405060}};
  kvp::PutBitmapOnClipboard(first);
  first.pixels[0] = 0; // the clipboard keeps its own copy
  ASSERT_TRUE(kvp::TakeBitmapFromClipboard(taken));
  EXPECT_EQ(taken.width, 2);
  EXPECT_EQ(taken.height, 1);
  EXPECT_EQ(taken.pixels, (Pixels{0xFF102030, 0x80405060}));
  ASSERT_TRUE(kvp::TakeBitmapFromClipboard(taken)) << "taking leaves the picture there";

  kvp::PutBitmapOnClipboard(Image{1, 2, {0xFFFFFFFF, 0xFF000000}});
  ASSERT_TRUE(kvp::TakeBitmapFromClipboard(taken));
  EXPECT_EQ(taken.height, 2);
  EXPECT_EQ(taken.pixels, (Pixels{0xFFFFFFFF, 0xFF000000}));

  EXPECT_THROW(kvp::PutBitmapOnClipboard(Image{2, 2, {0xFF000000}}), ImageError);
  EXPECT_THROW(kvp::PutBitmapOnClipboard(Image{}), ImageError);
  ASSERT_TRUE(kvp::TakeBitmapFromClipboard(taken)) << "a refused picture replaces nothing";
  EXPECT_EQ(taken.height, 2);

  kvp::EmptyClipboard();
  EXPECT_FALSE(kvp::TakeBitmapFromClipboard(taken));
}

} // namespace
