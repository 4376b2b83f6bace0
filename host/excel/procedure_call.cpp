#include "procedure_call.h"

#include <ffi.h>

#include <cassert>
#include <cstring>
#include <vector>

namespace kvhost {
namespace {

ffi_type* TypeOf(char letter) {
  switch (letter) {
  case 'P':
  case 'Q': return &ffi_type_pointer;
  case 'A':
  case 'I': return &ffi_type_sint16;
  case 'B': return &ffi_type_double;
  case 'J': return &ffi_type_sint32;
  default: return nullptr;
  }
}

// Where the value a NativeValue holds for its letter lives, for libffi to read.
const void* SlotOf(const NativeValue& value) {
  switch (value.letter) {
  case 'P': return &value.record;
  case 'Q': return &value.record12;
  case 'A':
  case 'I': return &value.short_value;
  case 'B': return &value.number;
  case 'J': return &value.long_value;
  default: return nullptr;
  }
}

} // namespace

bool IsSupportedLetter(char letter) {
  return TypeOf(letter) != nullptr;
}

std::optional<Signature> ReadSignature(std::string_view type_text, std::string& error) {
  while (!type_text.empty() && std::strchr("!#$", type_text.back()) != nullptr)
    type_text.remove_suffix(1);
  if (type_text.empty()) {
    error = "the type text names no result";
    return std::nullopt;
  }
  Signature signature;
  for (char c : type_text) {
    const char letter = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    if (!IsSupportedLetter(letter)) {
      error = std::string("kvhost does not pass the type letter ") + c;
      return std::nullopt;
    }
    if (signature.result == 0)
      signature.result = letter;
    else
      signature.arguments.push_back(letter);
  }
  return signature;
}

std::optional<NativeValue> CallProcedure(void* address, const Signature& signature,
                                         std::span<const NativeValue> arguments) {
  assert(arguments.size() == signature.arguments.size());
  std::vector<ffi_type*> types;
  std::vector<void*> slots;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    assert(arguments[i].letter == signature.arguments[i]);
    types.push_back(TypeOf(signature.arguments[i]));
    // libffi reads through these pointers and never writes.
    slots.push_back(const_cast<void*>(SlotOf(arguments[i])));
  }
  // Excel calls worksheet procedures with __stdcall on 32-bit Windows; kvhost runs them where
  // there is one C calling convention, the default one.
  ffi_cif cif;
  if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, static_cast<unsigned>(types.size()),
                   TypeOf(signature.result), types.data()) != FFI_OK)
    return std::nullopt;

  // libffi widens integer results narrower than a register to a whole ffi_arg.
  union {
    ffi_arg integer;
    double number;
    void* pointer;
  } returned{};
  ffi_call(&cif, FFI_FN(address), &returned, slots.data());

  NativeValue result;
  result.letter = signature.result;
  switch (signature.result) {
  case 'P': result.record = static_cast<LPXLOPER>(returned.pointer); break;
  case 'Q': result.record12 = static_cast<LPXLOPER12>(returned.pointer); break;
  case 'A':
  case 'I':
    result.short_value = static_cast<std::int16_t>(static_cast<ffi_sarg>(returned.integer));
    break;
  case 'B': result.number = returned.number; break;
  case 'J':
    result.long_value = static_cast<std::int32_t>(static_cast<ffi_sarg>(returned.integer));
    break;
  default: break;
  }
  return result;
}

} // namespace kvhost
