// Reading a fuzzer's bytes as the values a harness needs, without ever running past them: every
// read past the end gives zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace kvfuzz {

class FuzzInput {
public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
  bool Flag() { return Byte() & 1; }
  // A number from the bytes as they are: infinities, NaNs and denormals included.
  double Double() {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
      bits |= std::uint64_t{Byte()} << (8 * i);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // Mostly plain numbers, sometimes the edge ones.
  double Number() {
    switch (Byte() % 8) {
    case 0: return Double();
    case 1: return static_cast<std::int16_t>(Word());
    case 2: return Word() / 256.0 - 128.0;
    default: return (Word() - 32768.0) * (1 + Byte()) / 64.0;
    }
  }
  std::string Text(std::size_t longest) {
    const std::size_t length = Byte() % (longest + 1);
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
      text.push_back(static_cast<char>(Byte()));
    return text;
  }
  bool Empty() const { return at_ >= size_; }

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

} // namespace kvfuzz
