#include "ProdutosEscalares.h"

#include <cstring>

// The sum of a[i] b[i], in the order the compiler's two-lane reduction gives it.
double DotProduct(const double* a, const double* b, std::size_t n) {
  double sum = 0;
#pragma omp simd reduction(+ : sum)
  for (std::size_t i = 0; i < n; ++i)
    sum += a[i] * b[i];
  return sum;
}

#if defined(__x86_64__)
// DotProduct of `a` with the four columns of n values from `b` on, written out: two lanes per
// sum, the even and the odd terms, the last odd-numbered term into the even lane, then the
// lanes added, which is what the compiler makes of DotProduct on x86-64 (SSE2, two doubles a
// register, no fused multiply-add). Four sums at once keep their additions in registers side
// by side instead of one chain of additions through memory.
void DotProducts4(const double* a, const double* b, std::size_t n, double sums[4]) {
  using Pair = double __attribute__((vector_size(16)));
  const auto load = [](const double* at) {
    Pair pair;
    std::memcpy(&pair, at, sizeof pair);
    return pair;
  };
  Pair lanes[4] = {};
  const std::size_t even = n & ~std::size_t{1};
  for (std::size_t i = 0; i < even; i += 2) {
    const Pair ai = load(a + i);
    for (std::size_t k = 0; k < 4; ++k)
      lanes[k] += ai * load(b + k * n + i);
  }
  for (std::size_t k = 0; k < 4; ++k) {
    double low = lanes[k][0];
    if (n & 1) low = a[n - 1] * b[k * n + n - 1] + low;
    sums[k] = (low + 0.0) + lanes[k][1];
  }
}
#endif
