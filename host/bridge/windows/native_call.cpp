#include "native_call.h"

#include <utility>

#if !defined(_WIN64)
#error "the helper calls procedures with the x64 Windows convention"
#endif

namespace kvbridge {
namespace {

using Slot = std::uint64_t;
template <std::size_t> using SlotAt = Slot;

template <class T> T Take(const NativeArgument& argument) {
  if constexpr (std::is_same_v<T, double>)
    return argument.number;
  else
    return argument.bits;
}

template <class R, class A0, class A1, class A2, class A3, std::size_t... I>
R Invoke(void* procedure, const NativeArgument* a, std::index_sequence<I...>) {
  using Procedure = R (*)(A0, A1, A2, A3, SlotAt<I>...);
  return reinterpret_cast<Procedure>(procedure)(Take<A0>(a[0]), Take<A1>(a[1]), Take<A2>(a[2]),
                                                Take<A3>(a[3]), a[4 + I].bits...);
}

// Picks, for each of the four register positions, a double or an integer register.
template <class R, class... Chosen>
R Pick(void* procedure, const NativeArgument* a, unsigned doubles) {
  if constexpr (sizeof...(Chosen) == 4) {
    return Invoke<R, Chosen...>(procedure, a, std::make_index_sequence<kMaxNativeArguments - 4>{});
  } else {
    constexpr unsigned position = sizeof...(Chosen);
    if (doubles & (1u << position)) return Pick<R, Chosen..., double>(procedure, a, doubles);
    return Pick<R, Chosen..., Slot>(procedure, a, doubles);
  }
}

} // namespace

NativeResult CallNative(void* procedure, const NativeArgument* arguments, int count,
                        bool double_result) {
  NativeArgument all[kMaxNativeArguments];
  unsigned doubles = 0;
  for (int i = 0; i < count && i < kMaxNativeArguments; ++i) {
    all[i] = arguments[i];
    // On the stack a double is its 8 bytes, as an integer slot holds them.
    if (all[i].is_double) {
      static_assert(sizeof(double) == sizeof(Slot));
      __builtin_memcpy(&all[i].bits, &all[i].number, sizeof(Slot));
      if (i < 4) doubles |= 1u << i;
    }
  }
  NativeResult result;
  if (double_result)
    result.number = Pick<double>(procedure, all, doubles);
  else
    result.bits = Pick<Slot>(procedure, all, doubles);
  return result;
}

} // namespace kvbridge
