#include "Autovalores.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "AutovaloresInterno.h"
#include "IteracaoInversa.h"
#include "IteracaoQr.h"
#include "ReducaoTridiagonal.h"

using interno::AllFinite;
using interno::Block;
using interno::Eigenpair;
using interno::Tridiagonal;

Matriz interno::UnitColumns(const std::vector<double>& y, std::size_t n) {
  Matriz V(n, std::vector<double>(n, 0.0));
  for (std::size_t c = 0; c < n; ++c) {
    double squares = 0, sum = 0;
    for (std::size_t r = 0; r < n; ++r) {
      squares += y[r * n + c] * y[r * n + c];
      sum += y[r * n + c];
    }
    const double scale = (sum <= 0 ? -1 : 1) / std::sqrt(squares);
    for (std::size_t r = 0; r < n; ++r)
      V[r][c] = y[r * n + c] * scale;
  }
  return V;
}

const char* descricao(FalhaAutovalores falha) {
  switch (falha) {
  case FalhaAutovalores::NaoQuadrada: return "matriz vazia ou não quadrada";
  case FalhaAutovalores::NaoFinita: return "um valor infinito ou que não é um número";
  case FalhaAutovalores::SemConvergencia: return "a iteração QR não convergiu";
  case FalhaAutovalores::AutovalorNegativo: return "um autovalor negativo";
  }
  return "motivo desconhecido";
}

Resultado<Espectro, FalhaEspectral> decomposicao_espectral(const Matriz& A) {
  std::size_t n;
  if (!interno::Square(A, n) || n == 0)
    return Falhou{FalhaEspectral{FalhaAutovalores::NaoQuadrada}};
  // The mean of A and A^T, scaled by a power of 2 (exact) to magnitude 1, so that squares of
  // elements neither overflow nor underflow whatever the units of the data.
  std::vector<double> a(n * n);
  double largest = 0;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      a[i * n + j] = 0.5 * A[i][j] + 0.5 * A[j][i];
      largest = std::max(largest, std::fabs(a[i * n + j]));
    }
  if (!std::isfinite(largest) || !AllFinite(a))
    return Falhou{FalhaEspectral{FalhaAutovalores::NaoFinita}};
  int exponent = 0;
  if (largest > 0) std::frexp(largest, &exponent);
  for (double& v : a)
    v = std::ldexp(v, -exponent);

  Tridiagonal t = interno::Tridiagonalise(a, n);
  std::vector<double> e = t.e;
  for (std::size_t k = 0; k + 1 < n; ++k)
    if (interno::Negligible(e[k] * e[k], t.d[k], t.d[k + 1])) e[k] = 0;
  const std::vector<Block> blocks = interno::Blocks(e, n);

  double trace = 0;
  for (double v : t.d)
    trace += v;
  const double tolerance = kEigenTolerance * std::fabs(trace) / static_cast<double>(n);
  std::vector<double> d = t.d, e2(e.size());
  for (std::size_t k = 0; k < e.size(); ++k)
    e2[k] = e[k] * e[k];
  Espectro result;
  const auto iteration = interno::QrIteration(d, e2, tolerance, result.passos_qr);
  if (!iteration) {
    const FalhaAutovalores motivo = iteration.motivo() == interno::FalhaIteracaoQr::LimiteDePassos
                                        ? FalhaAutovalores::SemConvergencia
                                        : FalhaAutovalores::NaoFinita;
    return Falhou{FalhaEspectral{motivo, {}, result.passos_qr}};
  }

  // Eigenvectors of T block by block: the QR steps never mix the blocks, so the values on the
  // diagonal of a block are the eigenvalues of that block.
  std::vector<Eigenpair> pairs;
  pairs.reserve(n);
  for (const Block& b : blocks) {
    if (b.hi == b.lo) {
      pairs.push_back({t.d[b.lo], d[b.lo], b.lo, {1.0}});
      continue;
    }
    const std::vector<double> shifts(d.begin() + static_cast<std::ptrdiff_t>(b.lo),
                                     d.begin() + static_cast<std::ptrdiff_t>(b.hi + 1));
    if (!interno::InverseIteration(t.d.data() + b.lo, e.data() + b.lo, b.hi - b.lo + 1, b.lo,
                                   shifts, pairs))
      return Falhou{FalhaEspectral{FalhaAutovalores::NaoFinita, {}, result.passos_qr}};
  }
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const Eigenpair& x, const Eigenpair& y) { return x.value > y.value; });

  result.valores.resize(n);
  result.diagonal_qr.resize(n);
  for (std::size_t c = 0; c < n; ++c) {
    result.valores[c] = std::ldexp(pairs[c].value, exponent);
    result.diagonal_qr[c] = std::ldexp(pairs[c].diagonal, exponent);
  }
  if (std::any_of(result.valores.begin(), result.valores.end(), [](double v) { return v < 0; }))
    return Falhou{FalhaEspectral{FalhaAutovalores::AutovalorNegativo, std::move(result.valores),
                                 result.passos_qr}};

  // V = P Y, in unit columns with positive sums.
  std::vector<double> y(n * n, 0.0);
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t i = 0; i < pairs[c].y.size(); ++i)
      y[(pairs[c].lo + i) * n + c] = pairs[c].y[i];
  interno::ApplyReflectors(t, y, n);
  result.vetores = interno::UnitColumns(y, n);
  return result;
}

bool autovalores(Matriz A, std::vector<double>& lambda, Matriz& V) {
  lambda.clear();
  V.clear();
  auto spectrum = decomposicao_espectral(A);
  if (spectrum) {
    lambda = std::move(spectrum->valores);
    V = std::move(spectrum->vetores);
    return true;
  }
  // A negative eigenvalue is the caller's to judge: the values without vectors.
  if (spectrum.motivo().motivo != FalhaAutovalores::AutovalorNegativo) return false;
  lambda = spectrum.motivo().valores;
  return true;
}
