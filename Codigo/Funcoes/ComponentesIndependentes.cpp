#include "ComponentesIndependentes.h"

#include <algorithm>
#include <cmath>
#include <utility>

std::uint32_t numero_de_componentes(std::size_t sinais, bool limitado, int limite) {
  if (limitado) return limite < 0 ? 0u : static_cast<std::uint32_t>(limite);
  return static_cast<std::uint32_t>(std::min<std::size_t>(sinais, 99));
}

namespace {
const char* StepText(EtapaIca etapa) {
  switch (etapa) {
  case EtapaIca::Dimensoes: return "dimensões dos dados";
  case EtapaIca::Covariancias: return "covariâncias";
  case EtapaIca::Autovalores: return "autovalores";
  case EtapaIca::AutovalorNaoPositivo: return "matriz de covariâncias singular";
  case EtapaIca::Produto: return "produto de matrizes";
  case EtapaIca::Fastica: return "FastICA";
  }
  return "etapa desconhecida";
}

struct CauseText {
  const char* operator()(std::monostate) const { return nullptr; }
  template <class Falha> const char* operator()(Falha falha) const { return descricao(falha); }
};

// A p x p matrix with f(lambda(j)) on the diagonal.
template <class F> Matriz Diagonal(const std::vector<double>& lambda, F f) {
  Matriz d(lambda.size(), std::vector<double>(lambda.size(), 0.0));
  for (std::size_t j = 0; j < lambda.size(); ++j)
    d[j][j] = f(lambda[j]);
  return d;
}

bool Rectangular(const Matriz& X) {
  const std::size_t p = Columns(X);
  return std::all_of(X.begin(), X.end(), [p](const auto& row) { return row.size() == p; });
}

Falhou<FalhaIca> Stop(EtapaIca etapa, decltype(FalhaIca::causa) causa = {}) {
  return Falhou{FalhaIca{etapa, causa}};
}
} // namespace

std::string descricao(const FalhaIca& falha) {
  std::string text = StepText(falha.etapa);
  if (const char* cause = std::visit(CauseText{}, falha.causa)) text.append(": ").append(cause);
  return text;
}

Resultado<AnaliseIca, FalhaIca> componentes_independentes(const Matriz& X, std::uint32_t k) {
  const std::size_t n = Rows(X), p = Columns(X);
  if (n < 2 || p == 0 || !Rectangular(X) || k < 1 || k > p) return Stop(EtapaIca::Dimensoes);

  AnaliseIca r;
  auto data = matriz_de_covariancias(X);
  if (!data) return Stop(EtapaIca::Covariancias, data.motivo());
  r.covariancia = std::move(data->matriz);
  r.medias = std::move(data->medias);
  r.desvios = std::move(data->desvios);
  Matriz xc = X;
  for (auto& row : xc)
    for (std::size_t j = 0; j < p; ++j)
      row[j] -= r.medias[j];
  auto centred = matriz_de_covariancias(xc);
  if (!centred) return Stop(EtapaIca::Covariancias, centred.motivo());

  auto spectrum = decomposicao_espectral(centred->matriz);
  if (!spectrum) {
    // Below 0 is below the smallest eigenvalue the whitening can take.
    const FalhaAutovalores motivo = spectrum.motivo().motivo;
    return Stop(motivo == FalhaAutovalores::AutovalorNegativo ? EtapaIca::AutovalorNaoPositivo
                                                              : EtapaIca::Autovalores,
                motivo);
  }
  r.autovalores = std::move(spectrum->valores);
  r.autovetores = std::move(spectrum->vetores);
  const double largest = *std::max_element(r.autovalores.begin(), r.autovalores.end());
  const bool singular =
      !(largest > 0) ||
      std::any_of(r.autovalores.begin(), r.autovalores.end(),
                  [largest](double lambda) { return !(lambda > kIcaMenorAutovalor * largest); });
  if (singular) return Stop(EtapaIca::AutovalorNaoPositivo);

  const Matriz et = transposta(r.autovetores), xct = transposta(xc);
  const Matriz raiz_inversa = Diagonal(r.autovalores, [](double l) { return std::sqrt(1 / l); });
  const Matriz raiz = Diagonal(r.autovalores, [](double l) { return std::sqrt(l); });
  auto whitening = produto(raiz_inversa, et);
  if (!whitening) return Stop(EtapaIca::Produto, whitening.motivo());
  auto dewhitening = produto(r.autovetores, raiz);
  if (!dewhitening) return Stop(EtapaIca::Produto, dewhitening.motivo());
  r.branqueamento = std::move(*whitening);
  r.desbranqueamento = std::move(*dewhitening);
  auto z = produto(r.branqueamento, xct);
  if (!z) return Stop(EtapaIca::Produto, z.motivo());

  auto separation = separa_componentes(*z, r.branqueamento, r.desbranqueamento, k);
  if (!separation) return Stop(EtapaIca::Fastica, separation.motivo());
  r.mixing = std::move(separation->mixing);
  r.demixing = std::move(separation->demixing);
  r.componentes = std::move(separation->componentes);
  auto sources = produto(r.demixing, xct);
  if (!sources) return Stop(EtapaIca::Produto, sources.motivo());
  r.fontes = std::move(*sources);
  return r;
}
