// What the regression tool's sheet shows of a fit, cell by cell and independent of its layout:
// numbers where the arithmetic gives a finite value, Excel's error values where it does not,
// the regression equation's text, and how many combinations the combined table shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Regressao.h"

// Excel's error codes as a cell holds them.
constexpr std::uint16_t kErroDiv0 = 7; // #DIV/0!
constexpr std::uint16_t kErroNum = 36; // #NUM!

// One cell: a number, or an error value (never a NaN or an infinity).
struct CelulaRegressao {
  bool numero = true;
  double valor = 0;
  std::uint16_t erro = 0;
};

// num / den as Excel shows it: #DIV/0! for a zero divisor, #NUM! for a non-finite quotient.
CelulaRegressao quociente(double num, double den);
// v itself when finite, #NUM! otherwise.
CelulaRegressao valor_finito(double v);

// An exact fit: the residual sum of squares is taken as 0 when
//   SSE <= 64 N eps^2 SST,
// that is when the residuals are, on average, within 8 ulps of the spread of y about its mean:
// what the rounding of a fit that passes through every point leaves. NIST's Wampler1 (a
// quintic matched exactly) and y = 2 + 3x stay below 1/1000 of the bound; ordinary data (NIST
// Norris, Longley, Wampler3, the stock indices) lie more than 1e22 times above it.
bool ajuste_exato(double sse, double sst, std::size_t n);

struct QuadroRegressao {
  bool exato = false; // SSE taken as 0: SSR = SST, R = R^2 = adjusted R^2 = 1
  std::size_t n = 0, m = 0;
  std::vector<double> b;
  std::vector<CelulaRegressao> erro_padrao, t; // t is #DIV/0! where the SE is 0
  CelulaRegressao r, r2, r2_ajustado, dw;
  // Analysis of variance.
  double ssr = 0, sse = 0, sst = 0;
  CelulaRegressao msr, mse, f;
};

// The cells of a successful fit of N observations.
QuadroRegressao quadro_regressao(const ResultadoRegressao& fit, std::size_t n);

// "Y = b0 " then one term per slope, "+ %.3f*X%d" or "- %.6f*X%d" and so on: three decimals
// for a magnitude above 1, six otherwise (b0 > 1 for the intercept, so a negative intercept
// always has six). With `virgula`, every '.' becomes ','.
std::string texto_equacao(const std::vector<double>& b, bool virgula);

// The number of best combinations shown per variable for m columns (the dependent one
// included): 2^(m-2) - 1 while that is below 5, else 5.
std::size_t combinacoes_mostradas(std::size_t m);
