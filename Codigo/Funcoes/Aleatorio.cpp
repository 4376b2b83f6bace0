#include "Aleatorio.h"

#include <cmath>
#include <limits>

double logaritmo(double x) {
  if (!(x > 0)) return std::numeric_limits<double>::quiet_NaN();
  if (std::isinf(x)) return x;
  int e = 0;
  double m = std::frexp(x, &e); // x = m 2^e, m in [0.5, 1)
  if (m < 0.70710678118654752) {
    m *= 2;
    --e;
  }
  // ln m = 2 atanh(s), s = (m - 1) / (m + 1), |s| < 0.1716: 12 terms reach below 1e-17.
  const double s = (m - 1) / (m + 1), s2 = s * s;
  double serie = 0;
  for (int k = 23; k >= 1; k -= 2)
    serie = serie * s2 + 1.0 / k;
  constexpr double kLn2Alto = 0.693147180369123816490; // ln 2 split so that e * hi is exact
  constexpr double kLn2Baixo = 1.90821492927058770002e-10;
  const double de = e;
  return de * kLn2Alto + (de * kLn2Baixo + 2 * s * serie);
}

namespace {
std::uint64_t SplitMix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
std::uint64_t Rotl(std::uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}
} // namespace

Aleatorio::Aleatorio(std::uint64_t semente) {
  for (auto& w : s_)
    w = SplitMix(semente);
}

std::uint64_t Aleatorio::Proximo() {
  const std::uint64_t resultado = Rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 45);
  return resultado;
}

double Aleatorio::Uniforme() {
  return (static_cast<double>(Proximo() >> 11) + 0.5) * 0x1.0p-53;
}

double Aleatorio::Normal() {
  if (tem_reserva_) {
    tem_reserva_ = false;
    return reserva_;
  }
  double u = 0, v = 0, s = 0;
  do {
    u = 2 * Uniforme() - 1;
    v = 2 * Uniforme() - 1;
    s = u * u + v * v;
  } while (s >= 1);
  const double f = std::sqrt(-2 * logaritmo(s) / s);
  reserva_ = v * f;
  tem_reserva_ = true;
  return u * f;
}

double Aleatorio::QuiQuadrado(std::uint32_t gl) {
  if (gl == 1) {
    const double z = Normal();
    return z * z;
  }
  const double d = gl / 2.0 - 1.0 / 3.0, c = 1 / std::sqrt(9 * d);
  for (;;) {
    double x = 0, v = 0;
    do {
      x = Normal();
      v = 1 + c * x;
    } while (v <= 0);
    v = v * v * v;
    const double u = Uniforme(), x2 = x * x;
    if (u < 1 - 0.0331 * x2 * x2 || logaritmo(u) < 0.5 * x2 + d * (1 - v + logaritmo(v)))
      return 2 * d * v;
  }
}
