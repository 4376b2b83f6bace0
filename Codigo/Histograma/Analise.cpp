#include "Analise.h"

#include "Funcoes/Retornos.h"

namespace histograma {

std::vector<double> Values(bool returns, std::vector<double> data) {
  // Prices come oldest first, as a column of a sheet lists them.
  if (!returns) return data;
  return retornos(std::move(data), TipoRetorno::Simples, OrdemDados::MaisAntigosPrimeiro);
}

Resultado<Histograma, FalhaHistograma> Analyse(const Settings& settings, std::vector<double> data) {
  return monta_histograma(Values(settings.returns, std::move(data)), settings.bins,
                          settings.dispersion);
}

std::string Reason(FalhaHistograma falha) {
  switch (falha) {
  case FalhaHistograma::TooFewValues: return "menos de dois valores";
  case FalhaHistograma::NotFinite: return "um valor infinito ou que não é um número";
  case FalhaHistograma::BadBinCount: return "número de faixas menor do que 1";
  }
  return "motivo desconhecido";
}

} // namespace histograma
