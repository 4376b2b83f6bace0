#include "Analise.h"

#include <cmath>

namespace rlm {
namespace {
Falha FromFit(FalhaRegressao falha) {
  switch (falha) {
  case FalhaRegressao::Correlacoes: return Falha::Correlations;
  case FalhaRegressao::Produto: return Falha::Shapes;
  case FalhaRegressao::Singular: return Falha::Singular;
  case FalhaRegressao::NaoQuadrada: return Falha::NotSquare;
  }
  return Falha::Correlations;
}

// For each explanatory variable Xi, the nb combinations of the others that explain it best.
Resultado<std::vector<std::vector<CombinacaoR>>, FalhaCombinacoes>
BestCombinations(const Matriz& D, std::size_t nb, const Progress& progress) {
  const std::size_t k = Columns(D) - 1;
  Matriz A(Rows(D));
  for (std::size_t r = 0; r < Rows(D); ++r)
    A[r].assign(D[r].begin() + 1, D[r].end());
  // Each walk visits the 2^(k-1) - 1 combinations of the other variables.
  const double per_walk = std::ldexp(1.0, static_cast<int>(k) - 1) - 1;
  const double total = static_cast<double>(k) * per_walk;
  double before = 0;
  ProgressoCombinacoes walked;
  if (progress) {
    progress(0, total);
    walked = [&](std::size_t visited) { progress(before + static_cast<double>(visited), total); };
  }
  std::vector<std::vector<CombinacaoR>> best(k);
  for (std::size_t i = 0; i < k; ++i) {
    auto found = correlacoes_combinadas_melhores(A, i, nb, walked);
    if (!found) return Falhou{found.motivo()};
    best[i] = std::move(*found);
    before += per_walk;
  }
  return best;
}
} // namespace

Resultado<Result, Stop> Analyse(const Settings& settings, const Matriz& data,
                                const Progress& progress, const Announce& announce) {
  auto fit = regressao_multipla(data);
  if (!fit) return Falhou{Stop{FromFit(fit.motivo()), std::nullopt}};
  Result result;
  result.q = quadro_regressao(*fit, Rows(data));
  result.fit = std::move(*fit);
  auto step = [&](Step s) {
    if (announce) announce(s);
  };
  if (settings.errors != Covariancia::Classica) {
    step(Step::RobustErrors);
    result.q.erro_padrao = erros_padrao_regressao(data, result.fit, result.q, settings.errors);
    for (std::size_t j = 0; j < result.q.m; ++j) {
      const CelulaRegressao& se = result.q.erro_padrao[j];
      result.q.t[j] = se.numero ? quociente(result.q.b[j], se.valor) : se;
    }
  }
  if (settings.diagnostics || settings.residuals) {
    step(Step::Diagnostics);
    // The residuals sheet shows the influence the diagnostics start from: one pass for both.
    InfluenciaRegressao influence = influencia_regressao(data, result.fit, result.q);
    if (settings.diagnostics)
      result.diagnostics = diagnosticos_regressao(data, result.fit, result.q, &influence);
    if (settings.residuals) result.influence = std::move(influence);
  }
  if (!settings.combined) return result;
  result.shown = combinacoes_mostradas(result.q.m);
  auto best = BestCombinations(data, result.shown, progress);
  if (!best) return Falhou{Stop{Falha::Combined, std::move(result)}};
  result.best = std::move(*best);
  return result;
}

std::string Reason(Falha falha) {
  switch (falha) {
  case Falha::Correlations: return "as estatísticas das colunas falharam (coluna constante)";
  case Falha::Shapes: return "sem variável explicativa, ou observações de menos";
  case Falha::Singular: return "matriz não inversível";
  case Falha::NotSquare: return "matriz não quadrada";
  case Falha::Combined: return "uma combinação de variáveis explicativas é singular";
  }
  return "motivo desconhecido";
}

} // namespace rlm
