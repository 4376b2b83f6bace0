// The Excel 4 and Excel 12 interfaces as one template parameter, the record: what its
// references, small integers and type word are made of, and the callback that runs it. Code written
// once over the record serves both interfaces.
#pragma once

#include <cstdint>

#include "Excel12.h"
#include "xlcall.h"

namespace xl {

template <class Oper> struct Kind;

template <> struct Kind<XLOPER> {
  using Ref = XLREF;
  using MRef = XLMREF;
  using Int = std::int16_t;
  using Type = std::uint16_t;
  static int Callv(int xlfn, XLOPER* result, int count, XLOPER** args) {
    return Excel4v(xlfn, result, count, args);
  }
};

template <> struct Kind<XLOPER12> {
  using Ref = XLREF12;
  using MRef = XLMREF12;
  using Int = std::int32_t;
  using Type = std::uint32_t;
  static int Callv(int xlfn, XLOPER12* result, int count, XLOPER12** args) {
    return Excel12v(xlfn, result, count, args);
  }
};

template <class Oper>
concept Record = requires {
  typename Kind<Oper>::Ref;
};

} // namespace xl
