#include "Varimax.h"

#include <cmath>
#include <cstddef>
#include <utility>

const char* descricao(FalhaVarimax falha) {
  switch (falha) {
  case FalhaVarimax::SemCargas: return "nenhuma carga fatorial";
  }
  return "motivo desconhecido";
}

Resultado<RotacaoVarimax, FalhaVarimax> rotacao_varimax(const Matriz& L, double tolerancia,
                                                        std::uint32_t maximo_varreduras) {
  if (Rows(L) == 0 || Columns(L) == 0) return Falhou{FalhaVarimax::SemCargas};
  Matriz W = L;
  const std::size_t p = Rows(W), k = Columns(W);
  const double rows = static_cast<double>(p);
  RotacaoVarimax result;
  Matriz& T = result.T;
  T = Identity(k);

  for (auto& row : W) {
    double squares = 0;
    for (std::size_t j = 0; j < k; ++j)
      squares += row[j] * row[j];
    const double h = std::sqrt(squares);
    if (h == 0) continue;
    for (std::size_t j = 0; j < k; ++j)
      row[j] /= h;
  }

  double previous = 0;
  std::vector<double> u(p), v(p);
  for (std::uint32_t s = 0; s < maximo_varreduras;) {
    double criterion = 0;
    for (std::size_t j = 0; j < k; ++j) {
      double squares = 0, fourths = 0;
      for (std::size_t i = 0; i < p; ++i) {
        const double w2 = W[i][j] * W[i][j];
        squares += w2;
        fourths += w2 * w2;
      }
      criterion += rows * fourths - squares * squares;
    }
    criterion /= rows * rows;
    result.criterio = criterion;
    if (s > 0 && std::fabs(criterion - previous) <= tolerancia) {
      result.fim = FimVarimax::CriterioEstavel;
      break;
    }
    previous = criterion;
    result.varreduras = ++s;

    for (std::size_t j = 0; j + 1 < k; ++j)
      for (std::size_t l = j + 1; l < k; ++l) {
        double sa = 0, sb = 0, sc = 0, sd = 0;
        for (std::size_t i = 0; i < p; ++i) {
          const double x = W[i][j], y = W[i][l];
          u[i] = x * x - y * y;
          v[i] = 2 * x * y;
          sa += u[i];
          sb += v[i];
          sc += u[i] * u[i] - v[i] * v[i];
          sd += 2 * u[i] * v[i];
        }
        const double num = sd - 2 * sa * sb / rows;
        const double den = sc - (sa * sa - sb * sb) / rows;
        if (num == 0 && den == 0) continue;
        const double r = std::sqrt(num * num + den * den);
        const double cos4 = den / r;
        const double cos2 = std::sqrt((1 + cos4) * 0.5);
        const double cosine = std::sqrt((1 + cos2) * 0.5);
        double sine = std::sqrt(1 - cosine * cosine);
        if (num < 0) sine = -sine;
        for (auto& row : W) {
          const double x = row[j], y = row[l];
          row[j] = x * cosine + y * sine;
          row[l] = y * cosine - x * sine;
        }
        for (auto& row : T) {
          const double tj = row[j], tl = row[l];
          row[j] = tj * cosine + tl * sine;
          row[l] = tl * cosine - tj * sine;
        }
      }
  }
  return result;
}

bool varimax(Matriz L, std::int32_t, double tolerancia, std::uint32_t maximo_varreduras,
             Matriz& T) {
  T.clear();
  auto rotation = rotacao_varimax(L, tolerancia, maximo_varreduras);
  if (!rotation) return false;
  T = std::move(rotation->T);
  return true;
}
