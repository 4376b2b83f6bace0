// Value records (XLOPER and XLOPER12) on the wire, both ways, with their ownership bits.
//
// A record goes as its full xltype (ownership bits included) and then what its type holds:
// the units of a counted text (code-page bytes as they are, 0 to 255 of them; or 0 to 32,767
// UTF-16 code units), the cells of an array row by row, the rectangles of a reference and its
// sheet id. Excel 12 records carry their 32-bit fields whole. Whatever a decoded record points
// at lives in the WireMemory it was decoded into, until that memory releases it.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "XlKind.h"
#include "message.h"
#include "xlcall.h"
#include "xloper.h"

namespace kvbridge {

// The blocks that decoded records point at (texts, arrays, rectangle lists).
class WireMemory {
public:
  char* NewText(std::string_view bytes);       // counted: length byte, bytes, a closing zero
  XCHAR* NewText12(std::u16string_view units); // counted the same way, in UTF-16 code units
  template <class Oper = XLOPER> Oper* NewArray(std::size_t count); // nil elements
  template <class Oper = XLOPER> typename xl::Kind<Oper>::MRef* NewRectangles(std::size_t count);

  // Releases what `value` points at when this memory handed it out (an array's texts with it)
  // and clears the pointer; true when something was released.
  template <class Oper> bool Release(Oper& value);
  bool Owns(const void* block) const { return blocks_.count(block) > 0; }
  std::size_t BlocksInUse() const { return blocks_.size(); }

private:
  std::unordered_map<const void*, std::unique_ptr<char[]>> blocks_;
};

// Writes `value`; false (and nothing usable written) for a record the wire does not carry:
// xltypeFlow, xltypeBigData, an array inside an array, a text or array pointer that is null. A
// reference without a rectangle list (xlSheetId's answer) goes as its sheet alone.
bool PutXloper(Writer& out, const XLOPER& value);
bool PutXloper(Writer& out, const XLOPER12& value);

// Reads a record written by PutXloper into `value`, its blocks from `memory`. Throws
// BadMessage for bytes that are not such a record.
void GetXloper(Reader& in, XLOPER& value, WireMemory& memory);
void GetXloper(Reader& in, XLOPER12& value, WireMemory& memory);

} // namespace kvbridge
