#include "Matriz.h"

#include <algorithm>
#include <cmath>
#include <utility>

Matriz Identity(std::size_t n) {
  Matriz a(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i)
    a[i][i] = 1.0;
  return a;
}

namespace {
// The column statistics both operations start from: the means, and the sums of cross products
// of the deviations C (p x p, both triangles filled). False when n < 2 or p = 0.
struct CentredSums {
  std::size_t n = 0, p = 0;
  std::vector<double> mean;
  std::vector<double> cross; // row-major p x p
};

bool ComputeCentredSums(const Matriz& x, CentredSums& s) {
  s.n = Rows(x);
  s.p = Columns(x);
  if (s.n < 2 || s.p == 0) return false;
  const std::size_t n = s.n, p = s.p;
  const double count = static_cast<double>(n);

  // The deviations column by column, each column contiguous: the sums below run down columns.
  std::vector<double> deviations(n * p);
  s.mean.assign(p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    double* d = deviations.data() + j * n;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
      d[i] = x[i][j];
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
    s.mean[j] = mean;
  }

  s.cross.assign(p * p, 0.0);
  for (std::size_t r = 0; r < p; ++r) {
    const double* dr = deviations.data() + r * n;
    for (std::size_t q = r; q < p; ++q) {
      const double* dq = deviations.data() + q * n;
      double sum = 0;
#pragma omp simd reduction(+ : sum)
      for (std::size_t i = 0; i < n; ++i)
        sum += dr[i] * dq[i];
      s.cross[r * p + q] = s.cross[q * p + r] = sum;
    }
  }
  return true;
}

void StandardDeviations(const CentredSums& s, std::vector<double>& out) {
  out.resize(s.p);
  for (std::size_t j = 0; j < s.p; ++j)
    out[j] = std::sqrt(s.cross[j * s.p + j] / static_cast<double>(s.n - 1));
}
} // namespace

bool correlacoes(Matriz X, Matriz& R, std::vector<double>& medias, std::vector<double>& desvios) {
  R.clear();
  medias.clear();
  desvios.clear();
  CentredSums s;
  if (!ComputeCentredSums(X, s)) return false;
  const std::size_t p = s.p;
  for (std::size_t j = 0; j < p; ++j)
    if (!(s.cross[j * p + j] > 0)) return false; // a constant column has no correlation
  R.assign(p, std::vector<double>(p, 0.0));
  for (std::size_t r = 0; r < p; ++r) {
    R[r][r] = 1.0;
    for (std::size_t q = r + 1; q < p; ++q) {
      const double scale = std::sqrt(s.cross[r * p + r] * s.cross[q * p + q]);
      R[r][q] = R[q][r] = std::clamp(s.cross[r * p + q] / scale, -1.0, 1.0);
    }
  }
  medias = std::move(s.mean);
  StandardDeviations(s, desvios);
  return true;
}

bool covariancias(Matriz X, Matriz& S, std::vector<double>& medias, std::vector<double>& desvios) {
  S.clear();
  medias.clear();
  desvios.clear();
  CentredSums s;
  if (!ComputeCentredSums(X, s)) return false;
  const std::size_t p = s.p;
  const double divisor = static_cast<double>(s.n - 1);
  S.assign(p, std::vector<double>(p, 0.0));
  for (std::size_t r = 0; r < p; ++r)
    for (std::size_t q = 0; q < p; ++q)
      S[r][q] = s.cross[r * p + q] / divisor;
  medias = std::move(s.mean);
  StandardDeviations(s, desvios);
  return true;
}

bool multiplica(Matriz A, Matriz B, Matriz& M) {
  M.clear();
  const std::size_t rows = Rows(A), inner = Columns(A), columns = Columns(B);
  if (inner != Rows(B)) return false;
  M.assign(rows, std::vector<double>(columns, 0.0));
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
  return true;
}

bool copia(Matriz A, Matriz& B) {
  B = std::move(A);
  return true;
}

bool transpoe(Matriz A, Matriz& B) {
  const std::size_t rows = Rows(A), columns = Columns(A);
  B.assign(columns, std::vector<double>(rows, 0.0));
  for (std::size_t i = 0; i < rows; ++i)
    for (std::size_t j = 0; j < columns; ++j)
      B[j][i] = A[i][j];
  return true;
}

int inverte(Matriz A, Matriz& B) {
  B.clear();
  const std::size_t n = Rows(A);
  if (n != Columns(A)) return -1;
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
        return 0;
    }
    const double pivot = work[q][q];
    if (pivot == 0.0) return 0; // no row exchanges: this elimination cannot go on
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
  B.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    B[i].assign(work[i].begin() + static_cast<std::ptrdiff_t>(n), work[i].end());
  return 1;
}
