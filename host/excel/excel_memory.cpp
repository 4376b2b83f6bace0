#include "excel_memory.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "xloper.h"

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

XLOPER* ExcelMemory::NewArray(std::size_t rows, std::size_t columns) {
  const std::size_t count = std::max<std::size_t>(rows * columns, 1);
  auto block = std::make_unique<char[]>(count * sizeof(XLOPER));
  auto* elements = reinterpret_cast<XLOPER*>(block.get());
  for (std::size_t i = 0; i < count; ++i) {
    new (&elements[i]) XLOPER{};
    elements[i].xltype = xltypeNil;
  }
  blocks_.emplace(elements, std::move(block));
  return elements;
}

XLMREF* ExcelMemory::NewRectangles(std::size_t count) {
  // XLMREF is declared with one rectangle; the others follow it in place.
  const std::size_t bytes = sizeof(XLMREF) + (std::max<std::size_t>(count, 1) - 1) * sizeof(XLREF);
  auto block = std::make_unique<char[]>(bytes);
  auto* list = new (block.get()) XLMREF{};
  list->count = static_cast<std::uint16_t>(count);
  blocks_.emplace(list, std::move(block));
  return list;
}

void ExcelMemory::Release(XLOPER& value) {
  const unsigned type = xl::BaseType(value);
  void** pointer = nullptr;
  if (type == xltypeStr) {
    pointer = reinterpret_cast<void**>(&value.val.str);
  } else if (type == xltypeMulti) {
    pointer = reinterpret_cast<void**>(&value.val.array.lparray);
    if (value.val.array.lparray != nullptr && blocks_.count(value.val.array.lparray) > 0) {
      const std::size_t count = std::size_t{value.val.array.rows} * value.val.array.columns;
      for (std::size_t i = 0; i < count; ++i)
        if (xl::BaseType(value.val.array.lparray[i]) == xltypeStr)
          Release(value.val.array.lparray[i]);
    }
  } else if (type == xltypeRef)
    pointer = reinterpret_cast<void**>(&value.val.mref.lpmref);
  if (pointer == nullptr || *pointer == nullptr) return;
  if (blocks_.erase(*pointer) > 0) *pointer = nullptr;
}

} // namespace kvhost
