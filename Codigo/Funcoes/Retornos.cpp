#include "Retornos.h"

#include <algorithm>
#include <cmath>

std::vector<double> retornos(std::vector<double> precos, TipoRetorno tipo, OrdemDados ordem) {
  std::vector<double>& x = precos;
  if (x.empty()) return x;
  const bool recentes = ordem == OrdemDados::MaisRecentesPrimeiro;
  for (std::size_t i = 0; i + 1 < x.size(); ++i) {
    const double recente = recentes ? x[i] : x[i + 1];
    const double anterior = recentes ? x[i + 1] : x[i];
    x[i] = tipo == TipoRetorno::Logaritmico ? std::log(recente / anterior) : recente / anterior - 1;
  }
  x.pop_back();
  return x;
}

Tratamento TreatmentOf(bool returns, bool log_returns) {
  if (!returns) return Tratamento::AsGiven;
  return log_returns ? Tratamento::LogReturns : Tratamento::SimpleReturns;
}

Resultado<std::vector<double>, FalhaSerie> serie_historica(std::vector<double> x, OrdemDados ordem,
                                                           Tratamento tratamento) {
  if (ordem == OrdemDados::MaisRecentesPrimeiro) std::reverse(x.begin(), x.end());
  if (tratamento == Tratamento::LogReturns) {
    for (std::size_t i = 0; i + 1 < x.size(); ++i) {
      const double ratio = x[i + 1] / x[i];
      if (!(ratio > 0) && !std::isnan(ratio)) return Falhou{FalhaSerie::RazaoNaoPositiva};
    }
    x = retornos(std::move(x), TipoRetorno::Logaritmico, OrdemDados::MaisAntigosPrimeiro);
  } else if (tratamento == Tratamento::SimpleReturns) {
    x = retornos(std::move(x), TipoRetorno::Simples, OrdemDados::MaisAntigosPrimeiro);
  }
  if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
    return Falhou{FalhaSerie::NaoFinito};
  return x;
}
