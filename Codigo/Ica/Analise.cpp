#include "Analise.h"

namespace ica {

std::uint32_t Components(const Settings& settings, std::size_t signals) {
  return numero_de_componentes(signals, settings.limited, settings.limit);
}

Resultado<AnaliseIca, FalhaIca> Analyse(const Settings& settings, const Matriz& data) {
  return componentes_independentes(data, Components(settings, Columns(data)));
}

std::string Reason(const FalhaIca& failure) {
  return descricao(failure);
}

} // namespace ica
