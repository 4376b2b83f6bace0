#include "SerieHistorica.h"

#include <algorithm>
#include <cmath>

#include "Funcoes/Estatistica.h"

Tratamento TreatmentOf(bool returns, bool log_returns) {
  if (!returns) return Tratamento::AsGiven;
  return log_returns ? Tratamento::LogReturns : Tratamento::SimpleReturns;
}

const BilingualText& TreatmentText(Tratamento treatment) {
  static const BilingualText kTexts[] = {
      {"Dados históricos diretamente utilizados", "No treatment for historic data"},
      {"Utilizados os retornos dos dados", "Using asset return from asset prices"},
      {"Utilizados os retornos logarítmicos dos dados", "Using log-returns for asset prices"}};
  return kTexts[static_cast<int>(treatment)];
}

const BilingualText& OrderText(bool reversed) {
  static const BilingualText kTexts[] = {{"Ordem por antiguidade - dados mais antigos primeiro",
                                          "Order by age - older data appears first"},
                                         {"Ordem inversa - dados mais recentes primeiro",
                                          "Reverse order - recent data appears first"}};
  return kTexts[reversed ? 1 : 0];
}

std::vector<double> PreparedSeries(std::vector<double> x, bool reverse, Tratamento treatment) {
  if (reverse) std::reverse(x.begin(), x.end());
  if (treatment == Tratamento::LogReturns) {
    for (std::size_t i = 0; i + 1 < x.size(); ++i) {
      const double ratio = x[i + 1] / x[i];
      if (!(ratio > 0) && !std::isnan(ratio)) throw NonPositiveRatio();
      x[i] = std::log(ratio);
    }
    if (!x.empty()) x.pop_back();
  } else if (treatment == Tratamento::SimpleReturns) {
    ToSimpleReturns(x);
  }
  if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
    throw std::runtime_error("a value that is not finite");
  return x;
}
