#include "message.h"

namespace kvbridge {

void Writer::Little(std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i)
    bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Writer::F64(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  U64(bits);
}

void Writer::Bytes(std::string_view bytes) {
  U32(static_cast<std::uint32_t>(bytes.size()));
  Raw(bytes.data(), bytes.size());
}

void Writer::Raw(const void* data, std::size_t size) {
  const auto* first = static_cast<const std::uint8_t*>(data);
  bytes_.insert(bytes_.end(), first, first + size);
}

std::uint64_t Reader::Little(int width) {
  if (left() < static_cast<std::size_t>(width)) throw BadMessage("the message ends too soon");
  std::uint64_t value = 0;
  for (int i = 0; i < width; ++i)
    value |= std::uint64_t{data_[at_ + i]} << (8 * i);
  at_ += width;
  return value;
}

double Reader::F64() {
  const std::uint64_t bits = U64();
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string Reader::Bytes() {
  const std::uint32_t size = U32();
  ExpectRoomFor(size, 1);
  std::string text(reinterpret_cast<const char*>(data_ + at_), size);
  at_ += size;
  return text;
}

void Reader::Raw(void* data, std::size_t size) {
  ExpectRoomFor(size, 1);
  std::memcpy(data, data_ + at_, size);
  at_ += size;
}

void Reader::ExpectRoomFor(std::uint64_t count, std::size_t each) const {
  if (count > left() / each) throw BadMessage("the message counts more than it holds");
}

} // namespace kvbridge
