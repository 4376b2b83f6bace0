#include "QuadroRegressao.h"

#include <cmath>
#include <cstdio>
#include <limits>

CelulaRegressao valor_finito(double v) {
  if (std::isfinite(v)) return {true, v, 0};
  return {false, 0, kErroNum};
}

CelulaRegressao quociente(double num, double den) {
  if (den == 0) return {false, 0, kErroDiv0};
  return valor_finito(num / den);
}

bool ajuste_exato(double sse, double sst, std::size_t n) {
  const double eps = std::numeric_limits<double>::epsilon();
  return sse <= 64.0 * static_cast<double>(n) * eps * eps * sst;
}

QuadroRegressao quadro_regressao(const ResultadoRegressao& fit, std::size_t n) {
  QuadroRegressao q;
  q.n = n;
  q.m = fit.b.size();
  q.b = fit.b;
  q.sst = fit.sst;
  q.exato = ajuste_exato(fit.sse, fit.sst, n);
  q.ssr = q.exato ? fit.sst : fit.ssr;
  q.sse = q.exato ? 0.0 : fit.sse;
  const double nn = static_cast<double>(n), mm = static_cast<double>(q.m);
  q.r2 = quociente(q.ssr, q.sst);
  q.r = q.r2.numero ? valor_finito(std::sqrt(q.r2.valor)) : q.r2;
  q.r2_ajustado = q.r2.numero ? valor_finito(1 - (1 - q.r2.valor) * (nn - 1) / (nn - mm)) : q.r2;
  // An exact fit leaves residuals of zero: both sums of the statistic vanish.
  q.dw = q.exato ? quociente(0, 0) : quociente(fit.dw_num, fit.dw_den);
  for (std::size_t j = 0; j < q.m; ++j) {
    const CelulaRegressao se = valor_finito(std::sqrt(fit.diag_inv[j] * q.sse / (nn - mm)));
    q.erro_padrao.push_back(se);
    q.t.push_back(se.numero ? quociente(q.b[j], se.valor) : se);
  }
  q.msr = quociente(q.ssr, mm - 1);
  q.mse = quociente(q.sse, nn - mm);
  q.f = q.msr.numero && q.mse.numero ? quociente(q.msr.valor, q.mse.valor)
                                     : CelulaRegressao{false, 0, kErroNum};
  return q;
}

namespace {
std::string Format(const char* format, double value, int j = 0) {
  char text[512];
  std::snprintf(text, sizeof text, format, value, j);
  return text;
}
} // namespace

std::string texto_equacao(const std::vector<double>& b, bool virgula) {
  if (b.empty()) return {};
  std::string text = "Y = " + Format(b[0] > 1 ? "%.3f" : "%.6f", b[0]) + " ";
  for (std::size_t j = 1; j < b.size(); ++j) {
    const int x = static_cast<int>(j);
    if (b[j] > 0)
      text += Format(b[j] > 1 ? "+ %.3f*X%d" : "+ %.6f*X%d", b[j], x);
    else
      text += Format(b[j] < -1 ? "- %.3f*X%d" : "- %.6f*X%d", std::fabs(b[j]), x);
  }
  if (virgula)
    for (char& c : text)
      if (c == '.') c = ',';
  return text;
}

std::size_t combinacoes_mostradas(std::size_t m) {
  if (m < 2) return 0;
  if (m - 2 >= 3) return 5;
  return (std::size_t{1} << (m - 2)) - 1;
}
