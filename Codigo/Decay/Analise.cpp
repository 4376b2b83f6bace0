#include "Analise.h"

#include <algorithm>

namespace decay {

Resultado<Result, Falha> Analyse(const Settings& settings, const std::vector<double>& serie) {
  if (!settings.tolerance) return Falhou{Falha::NoTolerance};
  // Returns of prices that are zero or negative stop the run, whichever returns are asked for.
  if (settings.treatment != Tratamento::AsGiven &&
      std::any_of(serie.begin(), serie.end(), [](double price) { return !(price > 0); }))
    return Falhou{Falha::NonPositivePrice};
  const auto x = serie_historica(
      serie, settings.reversed ? OrdemDados::MaisRecentesPrimeiro : OrdemDados::MaisAntigosPrimeiro,
      settings.treatment);
  if (!x) return Falhou{Falha::NotFinite};

  const auto search = melhor_decay(*x, *settings.tolerance, settings.zero_mean);
  if (!search) return Falhou{Falha::NoDecay};
  Result result{x->size(), *search, std::nullopt};
  const auto forecast = melhor_previsao_ewv(*x, settings.zero_mean);
  if (forecast)
    result.forecast = *forecast;
  else if (forecast.motivo() != FalhaPrevisao::TooShort)
    return Falhou{Falha::NoForecast};
  return result;
}

std::string Reason(Falha falha) {
  switch (falha) {
  case Falha::NoTolerance: return "nenhuma tolerância escolhida";
  case Falha::NonPositivePrice: return "retornos de cotações nulas ou negativas";
  case Falha::NotFinite: return "um valor ou um retorno que não é finito";
  case Falha::NoDecay: return "nenhum decay da grade pôde ser avaliado";
  case Falha::NoForecast: return "o critério de previsão não pôde ser calculado";
  }
  return "motivo desconhecido";
}

} // namespace decay
