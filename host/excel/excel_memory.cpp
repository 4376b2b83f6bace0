#include "excel_memory.h"

#include <algorithm>
#include <cstring>

namespace kvhost {

char* ExcelMemory::NewCountedText(std::string_view ansi) {
  const std::size_t length = std::min<std::size_t>(ansi.size(), 255);
  auto block = std::make_unique<char[]>(length + 2);
  block[0] = static_cast<char>(static_cast<unsigned char>(length));
  std::memcpy(block.get() + 1, ansi.data(), length);
  block[length + 1] = '\0';
  char* text = block.get();
  blocks_.emplace(text, std::move(block));
  return text;
}

void ExcelMemory::Release(XLOPER& value) {
  const auto type = value.xltype & ~(xlbitXLFree | xlbitDLLFree);
  void** pointer = nullptr;
  if (type == xltypeStr)
    pointer = reinterpret_cast<void**>(&value.val.str);
  else if (type == xltypeMulti)
    pointer = reinterpret_cast<void**>(&value.val.array.lparray);
  else if (type == xltypeRef)
    pointer = reinterpret_cast<void**>(&value.val.mref.lpmref);
  if (pointer == nullptr || *pointer == nullptr) return;
  if (blocks_.erase(*pointer) > 0) *pointer = nullptr;
}

} // namespace kvhost
