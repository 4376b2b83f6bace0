#include "Exponencial.h"

#include <cmath>

#if defined(__x86_64__) && defined(__SSE2__)
#include <emmintrin.h>
#define KV_EXP_SSE2 1
#endif

namespace {
constexpr double kLog2e = 1.4426950408889634;
constexpr double kLn2Hi = 6.93147180369123816490e-01; // 32 significant bits: k ln2_hi is exact
constexpr double kLn2Lo = 1.90821492927058770002e-10;
constexpr double kLowest = -708.0;

// 1/13!, 1/12!, .., 1/2!, 1/1!: the Taylor coefficients for Horner's rule, highest first.
constexpr double kTaylor[] = {1.0 / 6227020800.0,
                              1.0 / 479001600.0,
                              1.0 / 39916800.0,
                              1.0 / 3628800.0,
                              1.0 / 362880.0,
                              1.0 / 40320.0,
                              1.0 / 5040.0,
                              1.0 / 720.0,
                              1.0 / 120.0,
                              1.0 / 24.0,
                              1.0 / 6.0,
                              0.5,
                              1.0};
} // namespace

double ExpOfNonPositive(double x) {
  if (std::isnan(x)) return x;
  if (x < kLowest) return 0.0;
  if (x > 0.0) x = 0.0;
  const double k = std::nearbyint(x * kLog2e);
  const double r = (x - k * kLn2Hi) - k * kLn2Lo;
  double q = kTaylor[0];
  for (int i = 1; i < 13; ++i)
    q = q * r + kTaylor[i];
  return std::ldexp(q * r + 1.0, static_cast<int>(k));
}

void ExpOfNonPositive(const double* x, double* out, std::size_t n) {
  std::size_t i = 0;
#ifdef KV_EXP_SSE2
  // The same steps on two values at once. Rounding x / ln 2 by adding and subtracting 1.5 * 2^52
  // gives the same k as rounding to nearest; it also leaves k in the low bits of the sum, from
  // which 2^k is built directly in the exponent field.
  const __m128d lowest = _mm_set1_pd(kLowest), zero = _mm_setzero_pd();
  const __m128d log2e = _mm_set1_pd(kLog2e), round = _mm_set1_pd(0x1.8p52);
  const __m128d ln2_hi = _mm_set1_pd(kLn2Hi), ln2_lo = _mm_set1_pd(kLn2Lo);
  const __m128d one = _mm_set1_pd(1.0);
  const __m128i bias = _mm_set1_epi64x(1023);
  for (; i + 2 <= n; i += 2) {
    const __m128d v = _mm_loadu_pd(x + i);
    const __m128d below = _mm_cmplt_pd(v, lowest);
    const __m128d c = _mm_min_pd(_mm_max_pd(v, lowest), zero);
    const __m128d shifted = _mm_add_pd(_mm_mul_pd(c, log2e), round);
    const __m128d k = _mm_sub_pd(shifted, round);
    const __m128d r = _mm_sub_pd(_mm_sub_pd(c, _mm_mul_pd(k, ln2_hi)), _mm_mul_pd(k, ln2_lo));
    __m128d q = _mm_set1_pd(kTaylor[0]);
    for (int t = 1; t < 13; ++t)
      q = _mm_add_pd(_mm_mul_pd(q, r), _mm_set1_pd(kTaylor[t]));
    const __m128d p = _mm_add_pd(_mm_mul_pd(q, r), one);
    const __m128i bits = _mm_slli_epi64(_mm_add_epi64(_mm_castpd_si128(shifted), bias), 52);
    const __m128d result = _mm_mul_pd(p, _mm_castsi128_pd(bits));
    _mm_storeu_pd(out + i, _mm_andnot_pd(below, result));
  }
#endif
  for (; i < n; ++i)
    out[i] = ExpOfNonPositive(x[i]);
}
