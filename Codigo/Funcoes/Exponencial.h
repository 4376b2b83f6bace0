// e^x for x <= 0, one value or a whole block of them (the FastICA contrast takes one per
// observation and iteration, and the block form does two at a time where the processor can).
#pragma once

#include <cstddef>

// x = k ln 2 + r with k = round(x / ln 2) and |r| <= ln 2 / 2, ln 2 split in two parts (Cody
// and Waite) so that k ln2_hi is exact; e^r by its Taylor polynomial of degree 13 (the first term
// left out is below 5e-18 relative); then e^x = 2^k e^r, an exact scaling. Within 1 ulp of e^x
// in tests against the C library. Arguments below -708 (results under 3.3e-308, the edge of the
// normal range) give 0, arguments above 0 are taken as 0, and a NaN stays a NaN in the one-value
// form.
double ExpOfNonPositive(double x);

// out[i] = ExpOfNonPositive(x[i]) for i < n, with the same arithmetic, so that the values are the
// same to the last bit whichever form computes them (but for a NaN argument).
void ExpOfNonPositive(const double* x, double* out, std::size_t n);
