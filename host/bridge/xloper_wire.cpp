#include "xloper_wire.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>

namespace kvbridge {
namespace {

template <class T> bool Negative(T value) {
  if constexpr (std::is_signed_v<T>)
    return value < 0;
  else
    return false;
}

// How each kind's fields go on the wire. An Excel 4 record keeps the bytes it always had; an
// Excel 12 record carries 32-bit types, flags, integers, rows and columns, and its texts as
// UTF-16 code units.
template <class Oper> struct Fields;

template <> struct Fields<XLOPER> {
  static constexpr std::size_t kRectangleBytes = 6;
  static constexpr std::size_t kTypeBytes = 2;
  static void Type(Writer& out, std::uint32_t type) { out.U16(static_cast<std::uint16_t>(type)); }
  static std::uint32_t Type(Reader& in) { return in.U16(); }
  static void Flag(Writer& out, std::uint16_t flag) { out.U16(flag); }
  static std::uint16_t Flag(Reader& in) { return in.U16(); }
  static void Int(Writer& out, std::int16_t w) { out.U16(static_cast<std::uint16_t>(w)); }
  static std::int16_t Int(Reader& in) { return static_cast<std::int16_t>(in.U16()); }
  static void Size(Writer& out, std::uint16_t n) { out.U16(n); }
  static std::uint16_t Size(Reader& in) { return in.U16(); }
  static void Text(Writer& out, const char* text) {
    const auto length = static_cast<unsigned char>(text[0]);
    out.U8(length);
    out.Raw(text + 1, length);
  }
  static char* Text(Reader& in, WireMemory& memory) {
    const std::uint8_t length = in.U8();
    std::string bytes(length, '\0');
    in.Raw(bytes.data(), length);
    return memory.NewText(bytes);
  }
  static void Rectangle(Writer& out, const XLREF& r) {
    out.U16(r.rwFirst);
    out.U16(r.rwLast);
    out.U8(r.colFirst);
    out.U8(r.colLast);
  }
  static XLREF Rectangle(Reader& in) {
    XLREF r{};
    r.rwFirst = in.U16();
    r.rwLast = in.U16();
    r.colFirst = in.U8();
    r.colLast = in.U8();
    return r;
  }
};

template <> struct Fields<XLOPER12> {
  static constexpr std::size_t kRectangleBytes = 16;
  static constexpr std::size_t kTypeBytes = 4;
  static void Type(Writer& out, std::uint32_t type) { out.U32(type); }
  static std::uint32_t Type(Reader& in) { return in.U32(); }
  static void Flag(Writer& out, std::int32_t flag) { out.I32(flag); }
  static std::int32_t Flag(Reader& in) { return in.I32(); }
  static void Int(Writer& out, std::int32_t w) { out.I32(w); }
  static std::int32_t Int(Reader& in) { return in.I32(); }
  static void Size(Writer& out, std::int32_t n) { out.I32(n); }
  static std::int32_t Size(Reader& in) {
    const std::int32_t n = in.I32();
    if (n < 0) throw BadMessage("an array of a negative size");
    return n;
  }
  static void Text(Writer& out, const XCHAR* text) {
    const std::uint16_t length = text[0];
    out.U16(length);
    for (std::uint16_t i = 1; i <= length; ++i)
      out.U16(text[i]);
  }
  static XCHAR* Text(Reader& in, WireMemory& memory) {
    const std::uint16_t length = in.U16();
    if (length > kExcel12TextLength) throw BadMessage("a text longer than Excel's");
    in.ExpectRoomFor(length, 2);
    std::u16string units(length, u'\0');
    for (char16_t& unit : units)
      unit = in.U16();
    return memory.NewText12(units);
  }
  static void Rectangle(Writer& out, const XLREF12& r) {
    out.I32(r.rwFirst);
    out.I32(r.rwLast);
    out.I32(r.colFirst);
    out.I32(r.colLast);
  }
  static XLREF12 Rectangle(Reader& in) {
    XLREF12 r{};
    r.rwFirst = in.I32();
    r.rwLast = in.I32();
    r.colFirst = in.I32();
    r.colLast = in.I32();
    return r;
  }
};

template <class Oper> bool PutValue(Writer& out, const Oper& value, bool in_array) {
  using F = Fields<Oper>;
  const unsigned type = xl::BaseType(value);
  F::Type(out, value.xltype);
  switch (type) {
  case xltypeNum: out.F64(value.val.num); return true;
  case xltypeStr:
    if (value.val.str == nullptr) return false;
    F::Text(out, value.val.str);
    return true;
  case xltypeBool: F::Flag(out, value.val.xbool); return true;
  case xltypeErr: F::Flag(out, value.val.err); return true;
  case xltypeInt: F::Int(out, value.val.w); return true;
  case xltypeMissing:
  case xltypeNil: return true;
  case xltypeSRef:
    if (in_array) return false; // an array holds values, never references
    F::Rectangle(out, value.val.sref.ref);
    return true;
  case xltypeRef: {
    if (in_array) return false;
    // xlSheetId answers a reference that names only its sheet: no rectangle list.
    const auto* list = value.val.mref.lpmref;
    out.U64(value.val.mref.idSheet);
    out.U8(list != nullptr);
    if (list == nullptr) return true;
    if (list->count == 0) return false; // a list of no area is no reference
    out.U16(list->count);
    for (std::uint16_t i = 0; i < list->count; ++i)
      F::Rectangle(out, list->reftbl[i]);
    return true;
  }
  case xltypeMulti: {
    const auto& array = value.val.array;
    if (in_array || Negative(array.rows) || Negative(array.columns)) return false;
    const std::size_t count =
        static_cast<std::size_t>(array.rows) * static_cast<std::size_t>(array.columns);
    if (array.lparray == nullptr && count > 0) return false;
    F::Size(out, array.rows);
    F::Size(out, array.columns);
    for (std::size_t i = 0; i < count; ++i)
      if (!PutValue(out, array.lparray[i], true)) return false;
    return true;
  }
  default: return false; // xltypeFlow, xltypeBigData and unknown types
  }
}

template <class Oper> void GetValue(Reader& in, Oper& value, WireMemory& memory, bool in_array) {
  using F = Fields<Oper>;
  value = Oper{};
  const std::uint32_t xltype = F::Type(in);
  value.xltype = static_cast<decltype(value.xltype)>(xltype);
  switch (xltype & ~std::uint32_t{xl::kOwnershipBits}) {
  case xltypeNum: value.val.num = in.F64(); return;
  case xltypeStr: value.val.str = F::Text(in, memory); return;
  case xltypeBool: value.val.xbool = F::Flag(in); return;
  case xltypeErr: value.val.err = F::Flag(in); return;
  case xltypeInt: value.val.w = F::Int(in); return;
  case xltypeMissing:
  case xltypeNil: return;
  case xltypeSRef:
    if (in_array) throw BadMessage("a reference inside an array");
    value.val.sref.count = 1;
    value.val.sref.ref = F::Rectangle(in);
    return;
  case xltypeRef: {
    if (in_array) throw BadMessage("a reference inside an array");
    value.val.mref.idSheet = static_cast<IDSHEET>(in.U64());
    if (in.U8() == 0) return; // a sheet without areas
    const std::uint16_t count = in.U16();
    if (count == 0) throw BadMessage("a reference's list of areas holds none");
    in.ExpectRoomFor(count, F::kRectangleBytes);
    auto* list = memory.NewRectangles<Oper>(count);
    for (std::uint16_t i = 0; i < count; ++i)
      list->reftbl[i] = F::Rectangle(in);
    value.val.mref.lpmref = list;
    return;
  }
  case xltypeMulti: {
    if (in_array) throw BadMessage("an array inside an array");
    const auto rows = F::Size(in);
    const auto columns = F::Size(in);
    const std::uint64_t count = std::uint64_t(rows) * std::uint64_t(columns);
    in.ExpectRoomFor(count, F::kTypeBytes);
    value.val.array.rows = rows;
    value.val.array.columns = columns;
    value.val.array.lparray = memory.NewArray<Oper>(static_cast<std::size_t>(count));
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
  const std::size_t length = std::min<std::size_t>(bytes.size(), kExcel4TextLength);
  auto block = std::make_unique<char[]>(length + 2);
  block[0] = static_cast<char>(static_cast<unsigned char>(length));
  std::memcpy(block.get() + 1, bytes.data(), length);
  block[length + 1] = '\0';
  char* text = block.get();
  blocks_.emplace(text, std::move(block));
  return text;
}

XCHAR* WireMemory::NewText12(std::u16string_view units) {
  const std::size_t length = std::min<std::size_t>(units.size(), kExcel12TextLength);
  auto block = std::make_unique<char[]>((length + 2) * sizeof(XCHAR));
  auto* text = reinterpret_cast<XCHAR*>(block.get());
  text[0] = static_cast<XCHAR>(length);
  std::memcpy(text + 1, units.data(), length * sizeof(XCHAR));
  text[length + 1] = u'\0';
  blocks_.emplace(text, std::move(block));
  return text;
}

template <class Oper> Oper* WireMemory::NewArray(std::size_t count) {
  const std::size_t slots = std::max<std::size_t>(count, 1);
  auto block = std::make_unique<char[]>(slots * sizeof(Oper));
  auto* elements = reinterpret_cast<Oper*>(block.get());
  for (std::size_t i = 0; i < slots; ++i) {
    new (&elements[i]) Oper{};
    elements[i].xltype = xltypeNil;
  }
  blocks_.emplace(elements, std::move(block));
  return elements;
}

template <class Oper> typename xl::Kind<Oper>::MRef* WireMemory::NewRectangles(std::size_t count) {
  using MRef = typename xl::Kind<Oper>::MRef;
  using Ref = typename xl::Kind<Oper>::Ref;
  // The list is declared with one rectangle; the others follow it in place.
  const std::size_t bytes = sizeof(MRef) + (std::max<std::size_t>(count, 1) - 1) * sizeof(Ref);
  auto block = std::make_unique<char[]>(bytes);
  auto* list = new (block.get()) MRef{};
  list->count = static_cast<std::uint16_t>(count);
  blocks_.emplace(list, std::move(block));
  return list;
}

template <class Oper> bool WireMemory::Release(Oper& value) {
  void** pointer = nullptr;
  switch (xl::BaseType(value)) {
  case xltypeStr: pointer = reinterpret_cast<void**>(&value.val.str); break;
  case xltypeRef: pointer = reinterpret_cast<void**>(&value.val.mref.lpmref); break;
  case xltypeMulti:
    pointer = reinterpret_cast<void**>(&value.val.array.lparray);
    if (Owns(value.val.array.lparray)) {
      const std::size_t count = static_cast<std::size_t>(value.val.array.rows) *
                                static_cast<std::size_t>(value.val.array.columns);
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

template XLOPER* WireMemory::NewArray<XLOPER>(std::size_t);
template XLOPER12* WireMemory::NewArray<XLOPER12>(std::size_t);
template XLMREF* WireMemory::NewRectangles<XLOPER>(std::size_t);
template XLMREF12* WireMemory::NewRectangles<XLOPER12>(std::size_t);
template bool WireMemory::Release<XLOPER>(XLOPER&);
template bool WireMemory::Release<XLOPER12>(XLOPER12&);

bool PutXloper(Writer& out, const XLOPER& value) {
  return PutValue(out, value, false);
}

bool PutXloper(Writer& out, const XLOPER12& value) {
  return PutValue(out, value, false);
}

void GetXloper(Reader& in, XLOPER& value, WireMemory& memory) {
  GetValue(in, value, memory, false);
}

void GetXloper(Reader& in, XLOPER12& value, WireMemory& memory) {
  GetValue(in, value, memory, false);
}

} // namespace kvbridge
