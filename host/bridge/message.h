// The bytes of one message between kvhost and the Windows helper: fixed-width little-endian
// numbers and counted byte strings, written in order and read back in the same order. Plain
// C++ so that both ends compile the same code.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kvbridge {

// The conversation cannot go on: the other end stopped, or sent bytes that are no message.
class PeerBroken : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A message that does not hold what its reader expects: cut short, or a value out of range.
// Nothing sane can follow it, so it breaks the conversation too.
class BadMessage : public PeerBroken {
public:
  using PeerBroken::PeerBroken;
};

class Writer {
public:
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value) { Little(value, 2); }
  void U32(std::uint32_t value) { Little(value, 4); }
  void U64(std::uint64_t value) { Little(value, 8); }
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void F64(double value);
  // A byte string with a 32-bit count: the texts of the wire are bytes, never re-encoded.
  void Bytes(std::string_view bytes);
  void Raw(const void* data, std::size_t size);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t>&& Take() { return std::move(bytes_); }

private:
  void Little(std::uint64_t value, int width);
  std::vector<std::uint8_t> bytes_;
};

class Reader {
public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  explicit Reader(const std::vector<std::uint8_t>& bytes) : Reader(bytes.data(), bytes.size()) {}

  std::uint8_t U8() { return static_cast<std::uint8_t>(Little(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Little(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Little(4)); }
  std::uint64_t U64() { return Little(8); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  double F64();
  std::string Bytes();
  void Raw(void* data, std::size_t size);

  std::size_t left() const { return size_ - at_; }
  // Refuses a count of items that cannot fit in what is left, each at least `each` bytes: a
  // damaged count must not make the reader allocate gigabytes.
  void ExpectRoomFor(std::uint64_t count, std::size_t each) const;

private:
  std::uint64_t Little(int width);
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

} // namespace kvbridge
