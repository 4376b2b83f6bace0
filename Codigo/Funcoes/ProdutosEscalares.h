// Sums of products of two columns of doubles, the inner loop of the correlation matrix.
#pragma once

#include <cstddef>

// The sum of a[i] b[i] for i < n, as the compiler vectorises it.
double DotProduct(const double* a, const double* b, std::size_t n);

#if defined(__x86_64__)
// DotProduct(a, b + k n, n) for k = 0..3 into sums[k], each equal to it to the last bit.
void DotProducts4(const double* a, const double* b, std::size_t n, double sums[4]);
#endif
