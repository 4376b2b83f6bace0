#include "Analise.h"

#include <utility>

namespace pca {
namespace {
Falhou<Failure> Stopped(Stop stop, Analysis& reached, decltype(Failure::cause) cause = {}) {
  return Falhou{Failure{stop, cause, std::move(reached)}};
}

// The sum in the order of the variables, as the sheet's total row shows it.
double Sum(const std::vector<double>& values) {
  double total = 0;
  for (double v : values)
    total += v;
  return total;
}

std::size_t RetainedFactors(const Settings& settings, const Eigen& eigen) {
  if (settings.criterion == Criterion::Proportion)
    return fatores_proporcao(eigen.table.acumuladas, settings.percentage);
  return fatores_kaiser(eigen.values);
}

// The options' parts, once the analysis is complete; each one that cannot be computed (a
// singular matrix) is left out.
void AddExtras(const Settings& settings, const Matriz& data, Analysis& a) {
  const Matriz& R = settings.correlation_input ? data : a.data->correlations;
  Extras& x = a.extras;
  if (settings.adequacy) {
    if (auto kmo = adequacao_amostra(R)) x.adequacy = std::move(*kmo);
    if (a.data)
      if (auto b = esfericidade_bartlett(R, a.data->observations)) x.sphericity = *b;
  }
  if (!a.data) return;
  if (settings.scores) {
    x.scores = escores_componentes(data, a.data->means, a.data->deviations, a.eigen->values,
                                   a.eigen->vectors, a.factors->count);
    if (a.rotation)
      if (auto rotated = produto(*x.scores, a.rotation->rotation))
        x.rotated_scores = std::move(*rotated);
  }
  if (settings.parallel)
    if (auto pa = analise_paralela(a.data->observations, a.eigen->values))
      x.parallel = std::move(*pa);
}

const char* StopText(Stop stop) {
  switch (stop) {
  case Stop::NotACorrelationMatrix: return "o intervalo não é uma matriz de correlações";
  case Stop::NoCorrelations: return "sem matriz de correlações";
  case Stop::NoEigenvalues: return "sem autovalores";
  case Stop::NegativeEigenvalue: return "autovalor negativo";
  case Stop::NoFactorByKaiser: return "nenhum autovalor maior do que 1";
  case Stop::NoRotation: return "sem rotação VARIMAX";
  }
  return "motivo desconhecido";
}

struct CauseText {
  const char* operator()(std::monostate) const { return nullptr; }
  template <class Falha> const char* operator()(Falha falha) const { return descricao(falha); }
};
} // namespace

Resultado<Analysis, Failure> Analyse(const Settings& settings, const Matriz& data) {
  Analysis a;
  a.variables = Columns(data);
  if (settings.correlation_input) {
    if (!e_matriz_de_correlacoes(data)) return Stopped(Stop::NotACorrelationMatrix, a);
  } else {
    auto moments = matriz_de_correlacoes(data);
    if (!moments) return Stopped(Stop::NoCorrelations, a, moments.motivo());
    a.data = DataSummary{Rows(data), std::move(moments->medias), std::move(moments->desvios),
                         std::move(moments->matriz)};
  }

  auto spectrum = decomposicao_espectral(settings.correlation_input ? data : a.data->correlations);
  if (!spectrum) {
    const FalhaAutovalores why = spectrum.motivo().motivo;
    return Stopped(why == FalhaAutovalores::AutovalorNegativo ? Stop::NegativeEigenvalue
                                                              : Stop::NoEigenvalues,
                   a, why);
  }
  Eigen& eigen = a.eigen.emplace();
  eigen.values = std::move(spectrum->valores);
  eigen.table = tabela_autovalores(eigen.values);
  eigen.vectors = std::move(spectrum->vetores);

  const std::size_t k = RetainedFactors(settings, eigen);
  if (k == 0) return Stopped(Stop::NoFactorByKaiser, a);
  Factors& factors = a.factors.emplace();
  factors.count = k;
  factors.loadings = cargas(eigen.values, eigen.vectors, k);
  factors.communalities = comunalidades(factors.loadings);
  factors.total_variance = Sum(factors.communalities);

  if (!settings.rotate) {
    AddExtras(settings, data, a);
    return a;
  }
  auto varimax = rotacao_varimax(factors.loadings, settings.tolerance, settings.sweeps);
  if (!varimax) return Stopped(Stop::NoRotation, a, varimax.motivo());
  auto rotated = produto(factors.loadings, varimax->T);
  if (!rotated) return Stopped(Stop::NoRotation, a, rotated.motivo());
  Rotation& rotation = a.rotation.emplace();
  rotation.rotation = std::move(varimax->T);
  rotation.rotated = std::move(*rotated);
  rotation.explained = variancias_explicadas(rotation.rotated);
  rotation.communalities = comunalidades(rotation.rotated);
  rotation.total_variance = Sum(rotation.communalities);
  AddExtras(settings, data, a);
  return a;
}

std::string Reason(const Failure& failure) {
  std::string text = StopText(failure.stop);
  if (const char* cause = std::visit(CauseText{}, failure.cause)) text.append(": ").append(cause);
  return text;
}

} // namespace pca
