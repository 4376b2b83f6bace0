// Calling an add-in's procedure by its type text on x64 Windows, without libffi: the Microsoft
// x64 convention passes the first four arguments in RCX/RDX/R8/R9, or XMM0-3 for doubles, by
// position, and the rest in 8-byte stack slots that the caller owns; so a call through a
// pointer typed with the right register kinds and more stack slots than the callee reads is
// exactly the call the callee expects.
#pragma once

#include <cstdint>
#include <string_view>

namespace kvbridge {

// One argument as the convention sees it: integer and pointer values widened to 64 bits, or a
// double.
struct NativeArgument {
  std::uint64_t bits = 0;
  double number = 0;
  bool is_double = false;
};

// At most this many arguments, as Excel passes.
constexpr int kMaxNativeArguments = 30;

// The result: the integer register, or XMM0 when `double_result`.
struct NativeResult {
  std::uint64_t bits = 0;
  double number = 0;
};

NativeResult CallNative(void* procedure, const NativeArgument* arguments, int count,
                        bool double_result);

} // namespace kvbridge
