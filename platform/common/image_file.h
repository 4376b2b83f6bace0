// What the picture readers of both systems share (not part of the library's interface).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvp::detail {

// The largest picture we decode, in pixels: far above any toolbar or dialog picture, and low
// enough that a file claiming huge dimensions cannot make us allocate gigabytes.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;

// The whole file; throws ImageError when it cannot be read.
std::vector<unsigned char> ReadImageFile(const std::string& path);

} // namespace kvp::detail
