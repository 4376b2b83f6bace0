// The Excel 4 and Excel 12 interfaces as one template parameter, the record: what its texts,
// references and small integers are made of, how large a grid it reaches, and the callback that
// runs it. Code written once over the record serves both interfaces.
#pragma once

#include <cstdint>

#include "Excel12.h"
#include "xlcall.h"

namespace xl {

template <class Oper> struct Kind;

template <> struct Kind<XLOPER> {
  using Ref = XLREF;
  using MRef = XLMREF;
  using Char = char; // counted texts of bytes in the Windows ANSI code page
  using Row = std::uint16_t;
  using Column = std::uint8_t;
  using Int = std::int16_t;
  using Flag = std::uint16_t; // Booleans and error codes
  using Type = std::uint16_t;
  static constexpr std::int32_t kRows = kExcel4Rows;
  static constexpr std::int32_t kColumns = kExcel4Columns;
  static constexpr std::int32_t kTextLength = kExcel4TextLength;
  static constexpr int kMostArguments = 30;
  static int Callv(int xlfn, XLOPER* result, int count, XLOPER** args) {
    return Excel4v(xlfn, result, count, args);
  }
};

template <> struct Kind<XLOPER12> {
  using Ref = XLREF12;
  using MRef = XLMREF12;
  using Char = XCHAR; // counted texts of UTF-16 code units
  using Row = RW;
  using Column = COL;
  using Int = std::int32_t;
  using Flag = std::int32_t;
  using Type = std::uint32_t;
  static constexpr std::int32_t kRows = kExcel12Rows;
  static constexpr std::int32_t kColumns = kExcel12Columns;
  static constexpr std::int32_t kTextLength = kExcel12TextLength;
  static constexpr int kMostArguments = 255;
  static int Callv(int xlfn, XLOPER12* result, int count, XLOPER12** args) {
    return Excel12v(xlfn, result, count, args);
  }
};

template <class Oper>
concept Record = requires {
  typename Kind<Oper>::Ref;
};

} // namespace xl
