#include "ProdutosEscalares.h"

#include <cmath>
#include <cstring>
#include <vector>

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

bool DotProducts4Exact() {
  static const bool exact = [] {
    // Terms of magnitudes from 1e-8 to 1e8, so that any other order of additions shows, over
    // lengths of each parity.
    for (const std::size_t n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 33, 1001}) {
      std::vector<double> a(n), b(4 * n);
      for (std::size_t i = 0; i < b.size(); ++i) {
        const double term =
            std::ldexp(1.0 + static_cast<double>(i % 7) / 8, static_cast<int>((i * 37) % 53) - 26);
        b[i] = i % 3 == 1 ? -term : term;
        if (i < n)
          a[i] =
              std::ldexp(1.0 + static_cast<double>(i % 5) / 16, static_cast<int>((i * 11) % 9) - 4);
      }
      double sums[4];
      DotProducts4(a.data(), b.data(), n, sums);
      for (std::size_t k = 0; k < 4; ++k) {
        const double one = DotProduct(a.data(), b.data() + k * n, n);
        if (std::memcmp(&one, &sums[k], sizeof one) != 0) return false;
      }
    }
    return true;
  }();
  return exact;
}
#endif
