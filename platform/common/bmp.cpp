// Windows bitmap files, read the same way on both systems so that a picture looks the same in
// Excel and in kvhost. Every size and offset in the file is checked against the file's length
// before it is used.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <limits>
#include <memory>

#include "image_file.h"
#include "kvplatform/bitmap.h"

namespace kvp {
namespace detail {

std::vector<unsigned char> ReadImageFile(const std::string& path) {
#if defined(_WIN32)
  const std::string& native = path;
#else
  // The add-in names its files the Windows way (the install folder, then img\hist.bmp).
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
#endif
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(native.c_str(), "rb"),
                                                             &std::fclose);
  if (!file) throw ImageError("cannot open the picture " + path);
  // A picture file larger than this is not one of ours.
  constexpr std::size_t kMaxFileSize = std::size_t{256} << 20;
  std::vector<unsigned char> bytes;
  unsigned char chunk[65536];
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (bytes.size() > kMaxFileSize) throw ImageError("the picture " + path + " is too large");
    if (got < sizeof chunk) break;
  }
  if (std::ferror(file.get())) throw ImageError("cannot read the picture " + path);
  return bytes;
}

} // namespace detail

namespace {

constexpr std::uint32_t kRgb = 0;       // BI_RGB: no compression
constexpr std::uint32_t kBitfields = 3; // BI_BITFIELDS: pixels laid out by channel masks
constexpr std::uint32_t kOpaque = 0xFF000000u;

class Bytes {
public:
  Bytes(const std::vector<unsigned char>& bytes, const std::string& path)
      : data_(bytes), path_(path) {}

  [[noreturn]] void Fail(const std::string& why) const {
    throw ImageError("the picture " + path_ + " is not a usable bitmap: " + why);
  }
  void Need(std::uint64_t offset, std::uint64_t length, const char* what) const {
    if (offset > data_.size() || length > data_.size() - offset)
      Fail(std::string(what) + " lies beyond the end of the file");
  }
  std::uint16_t U16(std::size_t offset) const {
    Need(offset, 2, "the header");
    return static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
  }
  std::uint32_t U32(std::size_t offset) const {
    Need(offset, 4, "the header");
    return static_cast<std::uint32_t>(data_[offset]) |
           static_cast<std::uint32_t>(data_[offset + 1]) << 8 |
           static_cast<std::uint32_t>(data_[offset + 2]) << 16 |
           static_cast<std::uint32_t>(data_[offset + 3]) << 24;
  }
  const unsigned char* At(std::size_t offset) const { return data_.data() + offset; }

private:
  const std::vector<unsigned char>& data_;
  const std::string& path_;
};

// One channel of a BI_BITFIELDS pixel, scaled to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  std::uint32_t Of(std::uint32_t pixel) const {
    if (mask == 0) return 0;
    const std::uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return value >> (bits - 8);
    return value * 255u / ((1u << bits) - 1u);
  }
};

Channel MakeChannel(const Bytes& bytes, std::uint32_t mask) {
  Channel channel{mask, 0, 0};
  if (mask == 0) return channel;
  channel.shift = std::countr_zero(mask);
  channel.bits = std::popcount(mask);
  if ((mask >> channel.shift) != (std::uint32_t{0xFFFFFFFF} >> (32 - channel.bits)))
    bytes.Fail("a colour mask is not one run of bits");
  return channel;
}

} // namespace

Image LoadBitmapFile(const std::string& path) {
  const std::vector<unsigned char> data = detail::ReadImageFile(path);
  const Bytes bytes(data, path);
  if (data.size() < 18 || data[0] != 'B' || data[1] != 'M') bytes.Fail("no bitmap signature");

  const std::uint32_t pixel_offset = bytes.U32(10);
  const std::uint32_t header_size = bytes.U32(14);
  // BITMAPINFOHEADER and its later versions (V2, V3, V4, V5).
  if (header_size != 40 && header_size != 52 && header_size != 56 && header_size != 108 &&
      header_size != 124)
    bytes.Fail("unsupported header of " + std::to_string(header_size) + " bytes");
  bytes.Need(14, header_size, "the header");

  const auto width = static_cast<std::int32_t>(bytes.U32(18));
  const auto height = static_cast<std::int32_t>(bytes.U32(22));
  const std::uint16_t planes = bytes.U16(26);
  const std::uint16_t depth = bytes.U16(28);
  const std::uint32_t compression = bytes.U32(30);
  const std::uint32_t colours_used = bytes.U32(46);

  if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min())
    bytes.Fail("bad dimensions");
  const bool top_down = height < 0; // a negative height stores the top row first
  const std::uint64_t rows = top_down ? -static_cast<std::int64_t>(height) : height;
  if (static_cast<std::uint64_t>(width) * rows > detail::kMaxPixels) bytes.Fail("too large");
  if (planes != 1) bytes.Fail("more than one plane");
  if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
    bytes.Fail("unsupported depth of " + std::to_string(depth) + " bits");
  if (compression != kRgb && !(compression == kBitfields && depth == 32))
    bytes.Fail("compressed bitmaps are not supported");

  std::uint64_t palette_offset = 14 + std::uint64_t{header_size};
  Channel red, green, blue, alpha;
  if (compression == kBitfields) {
    // The masks follow a BITMAPINFOHEADER, and sit at the same place inside the later ones.
    bytes.Need(54, 12, "the colour masks");
    red = MakeChannel(bytes, bytes.U32(54));
    green = MakeChannel(bytes, bytes.U32(58));
    blue = MakeChannel(bytes, bytes.U32(62));
    if (header_size >= 56) alpha = MakeChannel(bytes, bytes.U32(66));
    if (header_size == 40) palette_offset += 12;
  }

  std::vector<std::uint32_t> palette;
  if (depth <= 8) {
    const std::uint32_t most = 1u << depth;
    const std::uint32_t count = colours_used == 0 ? most : colours_used;
    if (count > most) bytes.Fail("more palette colours than the depth allows");
    bytes.Need(palette_offset, std::uint64_t{count} * 4, "the palette");
    for (std::uint32_t i = 0; i < count; ++i) {
      const unsigned char* entry = bytes.At(palette_offset + std::size_t{i} * 4); // B G R -
      palette.push_back(kOpaque | std::uint32_t{entry[2]} << 16 | std::uint32_t{entry[1]} << 8 |
                        entry[0]);
    }
  }

  // Rows are padded to whole 32-bit words; the last row's padding may be missing.
  const std::uint64_t bits_per_row = static_cast<std::uint64_t>(width) * depth;
  const std::uint64_t stride = (bits_per_row + 31) / 32 * 4;
  const std::uint64_t row_bytes = (bits_per_row + 7) / 8;
  if (pixel_offset < 14 + std::uint64_t{header_size}) bytes.Fail("pixels inside the header");
  bytes.Need(pixel_offset, stride * (rows - 1) + row_bytes, "the pixels");

  Image image;
  image.width = width;
  image.height = static_cast<int>(rows);
  image.pixels.resize(static_cast<std::size_t>(width) * rows);
  for (std::uint64_t y = 0; y < rows; ++y) {
    const std::uint64_t stored_row = top_down ? y : rows - 1 - y;
    const unsigned char* row = bytes.At(pixel_offset + stored_row * stride);
    std::uint32_t* out = image.pixels.data() + y * static_cast<std::uint64_t>(width);
    for (std::int32_t x = 0; x < width; ++x) {
      std::uint32_t index = 0;
      switch (depth) {
      case 1: index = (row[x >> 3] >> (7 - (x & 7))) & 1u; break;
      case 4: index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu; break;
      case 8: index = row[x]; break;
      case 24: {
        const unsigned char* p = row + std::size_t{3} * x; // B G R
        out[x] = kOpaque | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
        continue;
      }
      default: { // 32
        const unsigned char* p = row + std::size_t{4} * x;
        const std::uint32_t pixel = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                    std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
        if (compression == kRgb) {
          out[x] = kOpaque | (pixel & 0xFFFFFFu); // the fourth byte is unused in BI_RGB
        } else {
          const std::uint32_t a = alpha.mask == 0 ? 0xFFu : alpha.Of(pixel);
          out[x] = a << 24 | red.Of(pixel) << 16 | green.Of(pixel) << 8 | blue.Of(pixel);
        }
        continue;
      }
      }
      if (index >= palette.size()) bytes.Fail("a pixel outside the palette");
      out[x] = palette[index];
    }
  }
  return image;
}

} // namespace kvp
