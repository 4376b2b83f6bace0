#include "SerieHistorica.h"

#include <algorithm>
#include <cmath>

#include "Funcoes/Estatistica.h"

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
  auto serie = serie_historica(
      std::move(x), reverse ? OrdemDados::MaisRecentesPrimeiro : OrdemDados::MaisAntigosPrimeiro,
      treatment);
  if (!serie && serie.motivo() == FalhaSerie::RazaoNaoPositiva) throw NonPositiveRatio();
  if (!serie) throw std::runtime_error("a value that is not finite");
  return *serie;
}
