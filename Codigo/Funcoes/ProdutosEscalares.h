// Sums of products of two columns of doubles, the inner loop of the correlation matrix.
#pragma once

#include <cstddef>

// The sum of a[i] b[i] for i < n, as the compiler vectorises it.
double DotProduct(const double* a, const double* b, std::size_t n);

#if defined(__x86_64__)
// DotProduct(a, b + k n, n) for k = 0..3 into sums[k], in the order the compiler's vectorised
// DotProduct adds in an optimised build.
void DotProducts4(const double* a, const double* b, std::size_t n, double sums[4]);
// Whether DotProducts4 gives DotProduct's sums to the last bit in this build, as tried once on
// sums whose value shows their order; an unoptimised build keeps the loop in order, and then
// DotProduct alone is to be used.
bool DotProducts4Exact();
#endif
