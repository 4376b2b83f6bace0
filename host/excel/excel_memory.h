// Memory that the host hands to the add-in inside result records (texts, arrays, rectangle
// lists). It stays valid until the add-in gives it back with xlFree; a pointer the host did
// not hand out is never freed.
#pragma once

#include <string_view>

#include "../bridge/xloper_wire.h"
#include "xlcall.h"

namespace kvhost {

class ExcelMemory {
public:
  // A counted text (length byte, at most 255 characters, then a zero) in the ANSI code page.
  char* NewCountedText(std::string_view ansi) { return blocks_.NewText(ansi); }
  // A counted UTF-16 text (length unit, at most 32,767 units, then a zero).
  XCHAR* NewCountedText12(std::u16string_view units) { return blocks_.NewText12(units); }

  // The elements of an array of rows x columns values (nil at first), row by row. Texts put in
  // its elements with NewCountedText go with the array when it is released.
  template <class Oper> Oper* NewArray(std::size_t rows, std::size_t columns) {
    return blocks_.NewArray<Oper>(rows * columns);
  }

  // The rectangle list of a reference made of `count` areas (count set, rectangles zeroed).
  template <class Oper> typename xl::Kind<Oper>::MRef* NewRectangles(std::size_t count) {
    return blocks_.NewRectangles<Oper>(count);
  }

  // Releases what `value` points at, if the host handed it out, and clears the pointer; an
  // array's texts with it.
  template <class Oper> void Release(Oper& value) { blocks_.Release(value); }

  std::size_t BlocksInUse() const { return blocks_.BlocksInUse(); }

private:
  // The same blocks the Windows add-in's records cross the bridge in.
  kvbridge::WireMemory blocks_;
};

} // namespace kvhost
