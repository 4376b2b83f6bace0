#include "Analise.h"

namespace comparacao {

Resultado<std::vector<ComparisonRow>, Falha> Analyse(const Settings&, const YieldCurve& curve,
                                                     std::size_t sheet_rows) {
  const std::vector<GridDay> days = ComparisonDays(curve);
  if (days.empty()) return Falhou{Falha::NoGrid};
  if (days.size() > MostGridRows(sheet_rows)) return Falhou{Falha::LongerThanSheet};
  return ComparisonRows(curve, days);
}

std::string Reason(Falha falha) {
  switch (falha) {
  case Falha::NoGrid: return "uma curva de menos de dois vértices não tem grade";
  case Falha::LongerThanSheet: return "a grade de dias não cabe na planilha";
  }
  return "motivo desconhecido";
}

} // namespace comparacao
