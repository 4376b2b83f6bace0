// Memory that the host hands to the add-in inside result records (texts, arrays, rectangle
// lists). It stays valid until the add-in gives it back with xlFree; a pointer the host did
// not hand out is never freed.
#pragma once

#include <memory>
#include <string_view>
#include <unordered_map>

#include "xlcall.h"

namespace kvhost {

class ExcelMemory {
public:
  // A counted text (length byte, at most 255 characters, then a zero) in the ANSI code page.
  char* NewCountedText(std::string_view ansi);

  // The elements of an array of rows x columns values (nil at first), row by row. Texts put in
  // its elements with NewCountedText go with the array when it is released.
  XLOPER* NewArray(std::size_t rows, std::size_t columns);

  // The rectangle list of a reference made of `count` areas (count set, rectangles zeroed).
  XLMREF* NewRectangles(std::size_t count);

  // Releases what `value` points at, if the host handed it out, and clears the pointer; an
  // array's texts with it.
  void Release(XLOPER& value);

  std::size_t BlocksInUse() const { return blocks_.size(); }

private:
  std::unordered_map<const void*, std::unique_ptr<char[]>> blocks_;
};

} // namespace kvhost
