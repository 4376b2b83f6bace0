#include "SerieHistorica.h"

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
