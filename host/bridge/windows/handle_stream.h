// The helper's end of the pipe: its standard input and output handles, read and written whole.
#pragma once

#include <windows.h>

#include "peer.h"

namespace kvbridge {

class HandleStream final : public ByteStream {
public:
  HandleStream(HANDLE in, HANDLE out) : in_(in), out_(out) {}
  bool ReadAll(void* data, std::size_t size) override {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
      DWORD got = 0;
      if (!ReadFile(in_, at, static_cast<DWORD>(size), &got, nullptr) || got == 0) return false;
      at += got;
      size -= got;
    }
    return true;
  }
  bool WriteAll(const void* data, std::size_t size) override {
    const auto* at = static_cast<const char*>(data);
    while (size > 0) {
      DWORD put = 0;
      if (!WriteFile(out_, at, static_cast<DWORD>(size), &put, nullptr) || put == 0) return false;
      at += put;
      size -= put;
    }
    return true;
  }

private:
  HANDLE in_;
  HANDLE out_;
};

} // namespace kvbridge
