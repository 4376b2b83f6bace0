// Special functions the quantiles of the error distributions rest on: the log-gamma function,
// the inverse of the normal distribution function, and the regularized incomplete beta and gamma
// functions. Plain C++; nothing here knows of Excel.
#pragma once

// ln G(x), x > 0. Ours, not std::lgamma, which writes the global signgam.
double log_gama(double x);

// The p-quantile of the standard normal distribution, 0 < p < 1, to about the last bit.
double normal_inversa(double p);

// A probability and its complement, each computed directly, so that the smaller of the two keeps
// its relative accuracy.
struct ProbabilidadeComplementar {
  double p = 0;
  double q = 1;
};

// The regularized incomplete beta function I_x(a, b) and 1 - I_x(a, b), a, b > 0, with y = 1 - x
// given by the caller (who can often form it without cancellation).
ProbabilidadeComplementar beta_incompleta(double a, double b, double x, double y);

// The regularized incomplete gamma functions P(a, x) and Q(a, x) = 1 - P(a, x), a > 0, x >= 0.
ProbabilidadeComplementar gama_incompleta(double a, double x);
