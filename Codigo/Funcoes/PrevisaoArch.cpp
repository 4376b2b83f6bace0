#include "PrevisaoArch.h"

// To be written: the forecast, the quantiles and the backtest.
std::vector<double> previsao_variancias_arch(const EspecArch&, const std::vector<double>&,
                                             const std::vector<double>&, std::size_t) {
  return {};
}
double quantil_erro_arch(DistribuicaoArch, double, double) {
  return 0;
}
BacktestArch backtest_var_arch(const std::vector<double>&, const std::vector<double>&, double,
                               double) {
  return {};
}
