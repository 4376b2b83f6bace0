#include "xloper_wire.h"

#include <algorithm>
#include <new>

namespace kvbridge {
namespace {

constexpr std::uint16_t kOwnership = xlbitXLFree | xlbitDLLFree;

unsigned BaseType(const XLOPER& value) {
  return value.xltype & ~kOwnership;
}

void PutRectangle(Writer& out, const XLREF& r) {
  out.U16(r.rwFirst);
  out.U16(r.rwLast);
  out.U8(r.colFirst);
  out.U8(r.colLast);
}

XLREF GetRectangle(Reader& in) {
  XLREF r{};
  r.rwFirst = in.U16();
  r.rwLast = in.U16();
  r.colFirst = in.U8();
  r.colLast = in.U8();
  return r;
}

bool PutValue(Writer& out, const XLOPER& value, bool in_array) {
  const unsigned type = BaseType(value);
  out.U16(value.xltype);
  switch (type) {
  case xltypeNum: out.F64(value.val.num); return true;
  case xltypeStr: {
    if (value.val.str == nullptr) return false;
    const auto length = static_cast<unsigned char>(value.val.str[0]);
    out.U8(length);
    out.Raw(value.val.str + 1, length);
    return true;
  }
  case xltypeBool: out.U16(value.val.xbool); return true;
  case xltypeErr: out.U16(value.val.err); return true;
  case xltypeInt: out.U16(static_cast<std::uint16_t>(value.val.w)); return true;
  case xltypeMissing:
  case xltypeNil: return true;
  case xltypeSRef:
    if (in_array) return false; // an array holds values, never references
    PutRectangle(out, value.val.sref.ref);
    return true;
  case xltypeRef: {
    if (in_array) return false;
    // xlSheetId answers a reference that names only its sheet: no rectangle list.
    const XLMREF* list = value.val.mref.lpmref;
    out.U64(value.val.mref.idSheet);
    out.U8(list != nullptr);
    if (list == nullptr) return true;
    if (list->count == 0) return false; // a list of no area is no reference
    out.U16(list->count);
    for (std::uint16_t i = 0; i < list->count; ++i)
      PutRectangle(out, list->reftbl[i]);
    return true;
  }
  case xltypeMulti: {
    const auto& array = value.val.array;
    if (in_array || (array.lparray == nullptr && array.rows * array.columns > 0)) return false;
    out.U16(array.rows);
    out.U16(array.columns);
    const std::size_t count = std::size_t{array.rows} * array.columns;
    for (std::size_t i = 0; i < count; ++i)
      if (!PutValue(out, array.lparray[i], true)) return false;
    return true;
  }
  default: return false; // xltypeFlow, xltypeBigData and unknown types
  }
}

void GetValue(Reader& in, XLOPER& value, WireMemory& memory, bool in_array) {
  value = XLOPER{};
  const std::uint16_t xltype = in.U16();
  value.xltype = xltype;
  switch (xltype & ~kOwnership) {
  case xltypeNum: value.val.num = in.F64(); return;
  case xltypeStr: {
    const std::uint8_t length = in.U8();
    std::string bytes(length, '\0');
    in.Raw(bytes.data(), length);
    value.val.str = memory.NewText(bytes);
    return;
  }
  case xltypeBool: value.val.xbool = in.U16(); return;
  case xltypeErr: value.val.err = in.U16(); return;
  case xltypeInt: value.val.w = static_cast<std::int16_t>(in.U16()); return;
  case xltypeMissing:
  case xltypeNil: return;
  case xltypeSRef:
    if (in_array) throw BadMessage("a reference inside an array");
    value.val.sref.count = 1;
    value.val.sref.ref = GetRectangle(in);
    return;
  case xltypeRef: {
    if (in_array) throw BadMessage("a reference inside an array");
    value.val.mref.idSheet = static_cast<IDSHEET>(in.U64());
    if (in.U8() == 0) return; // a sheet without areas
    const std::uint16_t count = in.U16();
    if (count == 0) throw BadMessage("a reference's list of areas holds none");
    in.ExpectRoomFor(count, 6);
    XLMREF* list = memory.NewRectangles(count);
    for (std::uint16_t i = 0; i < count; ++i)
      list->reftbl[i] = GetRectangle(in);
    value.val.mref.lpmref = list;
    return;
  }
  case xltypeMulti: {
    if (in_array) throw BadMessage("an array inside an array");
    const std::uint16_t rows = in.U16();
    const std::uint16_t columns = in.U16();
    const std::size_t count = std::size_t{rows} * columns;
    in.ExpectRoomFor(count, 2);
    value.val.array.rows = rows;
    value.val.array.columns = columns;
    value.val.array.lparray = memory.NewArray(count);
    for (std::size_t i = 0; i < count; ++i) {
      try {
        GetValue(in, value.val.array.lparray[i], memory, true);
      } catch (...) {
        memory.Release(value); // nothing of a damaged array stays behind
        throw;
      }
    }
    return;
  }
  default: throw BadMessage("a value record of unknown type " + std::to_string(xltype));
  }
}

} // namespace

char* WireMemory::NewText(std::string_view bytes) {
  const std::size_t length = std::min<std::size_t>(bytes.size(), 255);
  auto block = std::make_unique<char[]>(length + 2);
  block[0] = static_cast<char>(static_cast<unsigned char>(length));
  std::memcpy(block.get() + 1, bytes.data(), length);
  block[length + 1] = '\0';
  char* text = block.get();
  blocks_.emplace(text, std::move(block));
  return text;
}

XLOPER* WireMemory::NewArray(std::size_t count) {
  const std::size_t slots = std::max<std::size_t>(count, 1);
  auto block = std::make_unique<char[]>(slots * sizeof(XLOPER));
  auto* elements = reinterpret_cast<XLOPER*>(block.get());
  for (std::size_t i = 0; i < slots; ++i) {
    new (&elements[i]) XLOPER{};
    elements[i].xltype = xltypeNil;
  }
  blocks_.emplace(elements, std::move(block));
  return elements;
}

XLMREF* WireMemory::NewRectangles(std::size_t count) {
  // XLMREF is declared with one rectangle; the others follow it in place.
  const std::size_t bytes = sizeof(XLMREF) + (std::max<std::size_t>(count, 1) - 1) * sizeof(XLREF);
  auto block = std::make_unique<char[]>(bytes);
  auto* list = new (block.get()) XLMREF{};
  list->count = static_cast<std::uint16_t>(count);
  blocks_.emplace(list, std::move(block));
  return list;
}

bool WireMemory::Release(XLOPER& value) {
  void** pointer = nullptr;
  switch (BaseType(value)) {
  case xltypeStr: pointer = reinterpret_cast<void**>(&value.val.str); break;
  case xltypeRef: pointer = reinterpret_cast<void**>(&value.val.mref.lpmref); break;
  case xltypeMulti:
    pointer = reinterpret_cast<void**>(&value.val.array.lparray);
    if (Owns(value.val.array.lparray)) {
      const std::size_t count = std::size_t{value.val.array.rows} * value.val.array.columns;
      for (std::size_t i = 0; i < count; ++i)
        Release(value.val.array.lparray[i]);
    }
    break;
  default: return false;
  }
  if (*pointer == nullptr || blocks_.erase(*pointer) == 0) return false;
  *pointer = nullptr;
  return true;
}

bool PutXloper(Writer& out, const XLOPER& value) {
  return PutValue(out, value, false);
}

void GetXloper(Reader& in, XLOPER& value, WireMemory& memory) {
  GetValue(in, value, memory, false);
}

} // namespace kvbridge
