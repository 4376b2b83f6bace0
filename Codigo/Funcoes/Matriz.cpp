#include "Matriz.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Estatistica.h"
#include "ProdutosEscalares.h"

Matriz Identity(std::size_t n) {
  Matriz a(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i)
    a[i][i] = 1.0;
  return a;
}

const char* descricao(FalhaMomentos falha) {
  switch (falha) {
  case FalhaMomentos::PoucasObservacoes: return "menos de duas observações";
  case FalhaMomentos::SemVariaveis: return "nenhuma variável";
  case FalhaMomentos::VariavelConstante: return "uma variável constante";
  }
  return "motivo desconhecido";
}

const char* descricao(FalhaProduto falha) {
  switch (falha) {
  case FalhaProduto::DimensoesIncompativeis: return "dimensões incompatíveis num produto";
  }
  return "motivo desconhecido";
}

const char* descricao(FalhaInversa falha) {
  switch (falha) {
  case FalhaInversa::NaoQuadrada: return "matriz não quadrada";
  case FalhaInversa::Singular: return "matriz singular";
  }
  return "motivo desconhecido";
}

namespace {
// The column statistics both operations start from: the means, and the sums of cross products
// of the deviations C (p x p, both triangles filled), of the columns each divided by 2^e(j), e(j)
// the binary exponent of the column's largest magnitude where that is outside the ordinary
// range (ScaleExponent; 0 within it, so that no digit of ordinary data changes). The division
// by a power of two is exact and commutes with every operation below; it keeps C(j, j), and C(r, r)
// C(q, q) in the correlations, from overflowing for data near 10^80 or underflowing for data near
// 10^-100.
struct CentredSums {
  std::size_t n = 0, p = 0;
  std::vector<double> mean;  // of the data themselves
  std::vector<int> exponent; // e(j)
  std::vector<double> cross; // row-major p x p, of the scaled columns
};

Resultado<CentredSums, FalhaMomentos> ComputeCentredSums(const Matriz& x) {
  CentredSums s;
  s.n = Rows(x);
  s.p = Columns(x);
  if (s.n < 2) return Falhou{FalhaMomentos::PoucasObservacoes};
  if (s.p == 0) return Falhou{FalhaMomentos::SemVariaveis};
  const std::size_t n = s.n, p = s.p;
  const double count = static_cast<double>(n);

  // The deviations column by column, each column contiguous: the sums below run down columns.
  std::vector<double> deviations(n * p);
  s.mean.assign(p, 0.0);
  s.exponent.assign(p, 0);
  for (std::size_t j = 0; j < p; ++j) {
    double* d = deviations.data() + j * n;
    double largest = 0;
    for (std::size_t i = 0; i < n; ++i) {
      d[i] = x[i][j];
      largest = std::max(largest, std::fabs(d[i]));
    }
    const int e = ScaleExponent(largest);
    const ScaleFactor scale(e);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
      d[i] = scale(d[i]);
      sum += d[i];
    }
    const double provisional = sum / count;
    double correction = 0;
#pragma omp simd reduction(+ : correction)
    for (std::size_t i = 0; i < n; ++i)
      correction += d[i] - provisional;
    const double mean = provisional + correction / count;
#pragma omp simd
    for (std::size_t i = 0; i < n; ++i)
      d[i] -= mean;
    s.mean[j] = std::ldexp(mean, e);
    s.exponent[j] = e;
  }

  s.cross.assign(p * p, 0.0);
  for (std::size_t r = 0; r < p; ++r) {
    const double* dr = deviations.data() + r * n;
    std::size_t q = r;
#if defined(__x86_64__)
    // Four columns against column r at a time: each sum in its own registers, added in the
    // order of DotProduct's, so the result does not change by a bit.
    for (; q + 4 <= p && DotProducts4Exact(); q += 4) {
      double sums[4];
      DotProducts4(dr, deviations.data() + q * n, n, sums);
      for (std::size_t k = 0; k < 4; ++k)
        s.cross[r * p + q + k] = s.cross[(q + k) * p + r] = sums[k];
    }
#endif
    for (; q < p; ++q)
      s.cross[r * p + q] = s.cross[q * p + r] = DotProduct(dr, deviations.data() + q * n, n);
  }
  return s;
}

// Sample standard deviations in the data's units: infinite where one has no double.
std::vector<double> StandardDeviations(const CentredSums& s) {
  std::vector<double> out(s.p);
  for (std::size_t j = 0; j < s.p; ++j)
    out[j] =
        std::ldexp(std::sqrt(s.cross[j * s.p + j] / static_cast<double>(s.n - 1)), s.exponent[j]);
  return out;
}

// The caller's outputs, emptied, and filled from `m` when there is one.
bool Unpack(Resultado<Momentos, FalhaMomentos> m, Matriz& matriz, std::vector<double>& medias,
            std::vector<double>& desvios) {
  matriz.clear();
  medias.clear();
  desvios.clear();
  if (!m) return false;
  matriz = std::move(m->matriz);
  medias = std::move(m->medias);
  desvios = std::move(m->desvios);
  return true;
}
} // namespace

Resultado<Momentos, FalhaMomentos> matriz_de_correlacoes(const Matriz& X) {
  auto sums = ComputeCentredSums(X);
  if (!sums) return Falhou{sums.motivo()};
  CentredSums& s = *sums;
  const std::size_t p = s.p;
  for (std::size_t j = 0; j < p; ++j)
    if (!(s.cross[j * p + j] > 0)) return Falhou{FalhaMomentos::VariavelConstante};
  Momentos m;
  m.matriz.assign(p, std::vector<double>(p, 0.0));
  for (std::size_t r = 0; r < p; ++r) {
    m.matriz[r][r] = 1.0;
    for (std::size_t q = r + 1; q < p; ++q) {
      const double scale = std::sqrt(s.cross[r * p + r] * s.cross[q * p + q]);
      m.matriz[r][q] = m.matriz[q][r] = std::clamp(s.cross[r * p + q] / scale, -1.0, 1.0);
    }
  }
  m.desvios = StandardDeviations(s);
  m.medias = std::move(s.mean);
  return m;
}

Resultado<Momentos, FalhaMomentos> matriz_de_covariancias(const Matriz& X) {
  auto sums = ComputeCentredSums(X);
  if (!sums) return Falhou{sums.motivo()};
  CentredSums& s = *sums;
  const std::size_t p = s.p;
  const double divisor = static_cast<double>(s.n - 1);
  Momentos m;
  m.matriz.assign(p, std::vector<double>(p, 0.0));
  for (std::size_t r = 0; r < p; ++r)
    for (std::size_t q = 0; q < p; ++q)
      m.matriz[r][q] = std::ldexp(s.cross[r * p + q] / divisor, s.exponent[r] + s.exponent[q]);
  m.desvios = StandardDeviations(s);
  m.medias = std::move(s.mean);
  return m;
}

bool correlacoes(Matriz X, Matriz& R, std::vector<double>& medias, std::vector<double>& desvios) {
  return Unpack(matriz_de_correlacoes(X), R, medias, desvios);
}

bool covariancias(Matriz X, Matriz& S, std::vector<double>& medias, std::vector<double>& desvios) {
  return Unpack(matriz_de_covariancias(X), S, medias, desvios);
}

Resultado<Matriz, FalhaProduto> produto(const Matriz& A, const Matriz& B) {
  const std::size_t rows = Rows(A), inner = Columns(A), columns = Columns(B);
  if (inner != Rows(B)) return Falhou{FalhaProduto::DimensoesIncompativeis};
  Matriz M(rows, std::vector<double>(columns, 0.0));
  // Row by row of A; for each element the terms are added from 0 in increasing m, as in the
  // plain triple loop, while the innermost loop runs along contiguous rows of B and M.
  for (std::size_t i = 0; i < rows; ++i) {
    double* out = M[i].data();
    for (std::size_t m = 0; m < inner; ++m) {
      const double a = A[i][m];
      const double* b = B[m].data();
#pragma omp simd
      for (std::size_t j = 0; j < columns; ++j)
        out[j] += a * b[j];
    }
  }
  return M;
}

bool multiplica(Matriz A, Matriz B, Matriz& M) {
  M.clear();
  auto m = produto(A, B);
  if (!m) return false;
  M = std::move(*m);
  return true;
}

Matriz transposta(const Matriz& A) {
  const std::size_t rows = Rows(A), columns = Columns(A);
  Matriz B(columns, std::vector<double>(rows, 0.0));
  for (std::size_t i = 0; i < rows; ++i)
    for (std::size_t j = 0; j < columns; ++j)
      B[j][i] = A[i][j];
  return B;
}

bool transpoe(Matriz A, Matriz& B) {
  B = transposta(A);
  return true;
}

bool copia(Matriz A, Matriz& B) {
  B = std::move(A);
  return true;
}

Resultado<Matriz, FalhaInversa> inversa(const Matriz& A) {
  const std::size_t n = Rows(A);
  if (n != Columns(A)) return Falhou{FalhaInversa::NaoQuadrada};
  Matriz work(n, std::vector<double>(2 * n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    std::copy(A[i].begin(), A[i].begin() + static_cast<std::ptrdiff_t>(n), work[i].begin());
    work[i][n + i] = 1.0;
  }
  for (std::size_t q = 0; q < n; ++q) {
    for (std::size_t r = q; r < n; ++r) {
      const auto& row = work[r];
      if (std::all_of(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(n),
                      [](double v) { return v == 0.0; }))
        return Falhou{FalhaInversa::Singular};
    }
    const double pivot = work[q][q];
    // No row exchanges: this elimination cannot go on.
    if (pivot == 0.0) return Falhou{FalhaInversa::Singular};
    const double scale = 1.0 / pivot;
    for (double& v : work[q])
      v *= scale;
    for (std::size_t r = 0; r < n; ++r) {
      if (r == q) continue;
      const double f = work[r][q];
      for (std::size_t k = q; k < 2 * n; ++k)
        work[r][k] -= f * work[q][k];
    }
  }
  Matriz B(n);
  for (std::size_t i = 0; i < n; ++i)
    B[i].assign(work[i].begin() + static_cast<std::ptrdiff_t>(n), work[i].end());
  return B;
}

int inverte(Matriz A, Matriz& B) {
  B.clear();
  auto inverse = inversa(A);
  if (inverse) {
    B = std::move(*inverse);
    return 1;
  }
  return inverse.motivo() == FalhaInversa::NaoQuadrada ? -1 : 0;
}
