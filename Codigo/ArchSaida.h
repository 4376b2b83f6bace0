// The conditional-volatility tool's result: the sheet named after the model (or "Melhor ARCH")
// with the heading, the parameter table with the likelihood-ratio tests, the volatilities and
// the log-likelihood, and the criteria; on request the hidden data sheet "Auxiliar" and the
// volatility chart drawn from it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "Funcoes/EstatisticasArch.h"
#include "Funcoes/MelhorArch.h"

class Tf_arch;

// "ARCH (2)", "GARCH (1,1)", "EGARCH (2,1)": the model's name with its orders.
std::string NomeModeloArch(const EspecArch& m);

// One fitted model as the sheet shows it.
struct ResultadoArch {
  EspecArch espec;
  std::string nome;
  bool convergiu = true;
  std::vector<double> theta;
  double LL = 0;
  std::vector<double> lr;                  // one per parameter; shown when > 0
  std::vector<std::optional<double>> p;    // Excel's CHIDIST(LR, 1), where LR > 0
  double vol_atual = 0;                    // sqrt(h(T)), as a simple return when log returns
  std::optional<double> vol_incondicional; // stationary fits only, likewise
  CriteriosArch criterios;
  std::size_t T = 0;
};

// The series and the fit behind the chart.
struct SerieGraficoArch {
  const std::vector<double>& e;        // the prepared series
  const std::vector<double>& h;        // h(0) .. h(T)
  const std::vector<double>& projecao; // h^(T), h^(T+1), ...: stationary fits only
  PontosGrafico pontos;
};

class ArchSheet {
public:
  // `dialog` is read at every step for the black-and-white box and the treatment.
  explicit ArchSheet(const Tf_arch& dialog);

  // The result sheet; `melhor` in best-model mode, with the criterion of the choice.
  void Write(const ResultadoArch& r, std::optional<CriterioArch> melhor);
  // "Auxiliar" (hidden) and the chart sheet.
  void WriteChart(const ResultadoArch& r, const SerieGraficoArch& serie);
  // Back on the result sheet `sheet`, best fit, A1 selected, screen updating on.
  void Finish(const std::string& sheet, const ResultadoArch& r);

private:
  bool BlackAndWhite() const;

  const Tf_arch& dialog_;
};
