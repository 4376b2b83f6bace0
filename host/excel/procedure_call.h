// Calling a registered procedure as its type text describes it. The call is built at run time
// with libffi from the letters, so every combination of letters works without a hand-written
// thunk per type text.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "xlcall.h"

namespace kvhost {

// A type text's letters: the result's first, then one per argument.
struct Signature {
  char result = 0;
  std::string arguments;
};

// The letters the host passes and takes back:
//   P  XLOPER*       (a value record: number, text, Boolean, error, array, nil or missing)
//   Q  XLOPER12*     (the same in an Excel 12 record)
//   A  short         (Boolean, 0 or 1)
//   I  short         (signed 16-bit integer)
//   B  double
//   J  std::int32_t  (signed 32-bit integer)
bool IsSupportedLetter(char letter);

// Reads REGISTER's type text. The marks that may follow the letters (! volatile, # macro-sheet
// equivalent, $ thread-safe) do not change how the procedure is called. Nothing, and the
// reason in `error`, for a letter the host does not pass.
std::optional<Signature> ReadSignature(std::string_view type_text, std::string& error);

// One argument or result, as the procedure sees it.
struct NativeValue {
  char letter = 0;
  union {
    std::int16_t short_value; // A, I
    std::int32_t long_value;  // J
    double number;            // B
    LPXLOPER record;          // P
    LPXLOPER12 record12;      // Q
  };
  NativeValue() : number(0) {}
};

// The letter of a value record of each kind, and where a NativeValue holds it.
template <class Oper> constexpr char kRecordLetter = std::is_same_v<Oper, XLOPER> ? 'P' : 'Q';
template <class Oper> Oper*& RecordOf(NativeValue& value) {
  if constexpr (std::is_same_v<Oper, XLOPER>)
    return value.record;
  else
    return value.record12;
}
template <class Oper> Oper* RecordOf(const NativeValue& value) {
  if constexpr (std::is_same_v<Oper, XLOPER>)
    return value.record;
  else
    return value.record12;
}

// Calls the procedure at `address` with one argument per letter of `signature.arguments`,
// by value or by pointer as the letters say, and returns its result; nothing when libffi cannot
// build the call.
std::optional<NativeValue> CallProcedure(void* address, const Signature& signature,
                                         std::span<const NativeValue> arguments);

} // namespace kvhost
