#include "FuncoesEspeciais.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace {
constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kTiny = 1e-300; // keeps Lentz's denominators off zero
constexpr int kMaxTermos = 10000;

// Lentz's evaluation of the continued fraction of I_x(a, b); it converges fast for
// x < (a + 1) / (a + b + 2).
double FracaoBeta(double a, double b, double x) {
  const double qab = a + b, qap = a + 1, qam = a - 1;
  double c = 1, d = 1 - qab * x / qap;
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1 / d;
  double h = d;
  for (int m = 1; m <= kMaxTermos; ++m) {
    const double m2 = 2.0 * m;
    double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    h *= d * c;
    aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1) <= kEps) break;
  }
  return h;
}
} // namespace

double log_gama(double x) {
  // Stirling's series from 10 on, where its first omitted term is below 1e-15; the recurrence
  // G(x + 1) = x G(x) below.
  double shift = 0;
  double product = 1;
  while (x < 10) {
    product *= x;
    x += 1;
    if (product > 1e280) shift += std::log(product), product = 1;
  }
  shift += std::log(product);
  const double r = 1 / x, r2 = r * r;
  const double series =
      r * (1.0 / 12 -
           r2 * (1.0 / 360 -
                 r2 * (1.0 / 1260 - r2 * (1.0 / 1680 - r2 * (1.0 / 1188 - r2 * 691.0 / 360360)))));
  return (x - 0.5) * std::log(x) - x + 0.5 * std::log(2 * std::numbers::pi) + series - shift;
}

double normal_inversa(double p) {
  if (p <= 0) return -std::numeric_limits<double>::infinity();
  if (p >= 1) return std::numeric_limits<double>::infinity();
  if (p > 0.5) return -normal_inversa(1 - p); // 1 - p exact here
  // Acklam's rational approximation (relative error 1.2e-9), then one Halley step on the
  // distribution function.
  static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                 -2.759285104469687e+02, 1.383577518672690e+02,
                                 -3.066479806614716e+01, 2.506628277459239e+00};
  static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                 -1.556989798598866e+02, 6.680131188771972e+01,
                                 -1.328068155288572e+01};
  static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                 -2.400758277161838e+00, -2.549732539343734e+00,
                                 4.374664141464968e+00,  2.938163982698783e+00};
  static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01,
                                 2.445134137142996e+00, 3.754408661907416e+00};
  double x;
  if (p < 0.02425) {
    const double q = std::sqrt(-2 * std::log(p));
    x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
        ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
  } else {
    const double q = p - 0.5, r = q * q;
    x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
        (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
  }
  if (x == 0) return 0;
  // The residual Phi(x) - p: from erfc in the tail, from erf near the centre, where p - 1/2 is
  // exact and Phi(x) - 1/2 keeps its relative accuracy.
  const double residual = p < 0.25 ? 0.5 * std::erfc(-x / std::numbers::sqrt2) - p
                                   : 0.5 * std::erf(x / std::numbers::sqrt2) - (p - 0.5);
  const double u = residual * std::sqrt(2 * std::numbers::pi) * std::exp(0.5 * x * x);
  return x - u / (1 + 0.5 * x * u);
}

ProbabilidadeComplementar beta_incompleta(double a, double b, double x, double y) {
  if (x <= 0) return {0, 1};
  if (y <= 0) return {1, 0};
  const double front =
      std::exp(log_gama(a + b) - log_gama(a) - log_gama(b) + a * std::log(x) + b * std::log(y));
  if (x < (a + 1) / (a + b + 2)) {
    const double p = front * FracaoBeta(a, b, x) / a;
    return {p, 1 - p};
  }
  const double q = front * FracaoBeta(b, a, y) / b;
  return {1 - q, q};
}

ProbabilidadeComplementar gama_incompleta(double a, double x) {
  if (x <= 0) return {0, 1};
  const double front = std::exp(-x + a * std::log(x) - log_gama(a));
  if (x < a + 1) {
    // The series of P.
    double ap = a, term = 1 / a, sum = term;
    for (int n = 0; n < kMaxTermos; ++n) {
      ap += 1;
      term *= x / ap;
      sum += term;
      if (std::fabs(term) < std::fabs(sum) * kEps) break;
    }
    const double p = sum * front;
    return {p, 1 - p};
  }
  // Lentz's evaluation of the continued fraction of Q.
  double bb = x + 1 - a, c = 1 / kTiny, d = 1 / bb, h = d;
  for (int i = 1; i <= kMaxTermos; ++i) {
    const double an = -i * (i - a);
    bb += 2;
    d = an * d + bb;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = bb + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1) <= kEps) break;
  }
  const double q = front * h;
  return {1 - q, q};
}
