// Random numbers that are the same on every platform: an integer generator of our own
// (xoshiro256**, seeded by splitmix64) and normal and chi-squared draws built from it with
// +, -, *, /, sqrt and a logarithm of our own, all of which IEEE arithmetic rounds the same
// everywhere (the standard library's distributions and log are not the same between libraries).
#pragma once

#include <array>
#include <cstdint>

// ln(x) for finite x > 0 from frexp and the series of atanh: the same bits on every platform,
// within a few units in the last place of the true value. NaN for x <= 0.
double logaritmo(double x);

class Aleatorio {
public:
  // The four words of state from splitmix64 started at `semente`.
  explicit Aleatorio(std::uint64_t semente);

  std::uint64_t Proximo();
  // Uniform on (0, 1): 53 random bits, centred on their interval so that 0 never comes.
  double Uniforme();
  // Standard normal, by Marsaglia's polar method (each pair of uniforms accepted gives two).
  double Normal();
  // Chi-squared with `gl` >= 1 degrees of freedom: a squared normal for 1, else twice a
  // gamma(gl / 2) by Marsaglia and Tsang's method; the cost does not grow with gl.
  double QuiQuadrado(std::uint32_t gl);

private:
  std::array<std::uint64_t, 4> s_{};
  double reserva_ = 0;
  bool tem_reserva_ = false;
};
