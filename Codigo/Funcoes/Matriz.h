// Dense matrices of doubles for the multivariate tools (principal and independent components,
// regression): column statistics, product, copy, transpose and inverse. Plain C++ on vectors;
// nothing here knows of Excel.
//
// Conventions shared by every operation on a Matriz:
//  - each routine that can fail returns Resultado<T, Falha...> (Resultado.h): its result, or the
//    reason it has none, an enum of its own; a routine that cannot fail returns its result.
//    Nothing is thrown;
//  - the routines named by the tools' interface (`correlacoes`, `covariancias`, `multiplica`,
//    `copia`, `transpoe`, `inverte`, and `autovalores`, `varimax`, `fastica` beside them) keep
//    their boolean (or, for the inverse, integer) results and their output arguments, as thin
//    wrappers over the Resultado forms. They take their inputs by value (private copies), so an
//    output may be the very object the caller also passes as an input; each empties its outputs
//    first and leaves them empty when it fails.
#pragma once

#include <cstddef>
#include <vector>

#include "Resultado.h"

// Rows of equal length; element (i, j) is row i, position j, indices from 0. The number of rows
// is the outer length and the number of columns the length of row 0 (every row is taken to be
// as long as row 0).
using Matriz = std::vector<std::vector<double>>;

inline std::size_t Rows(const Matriz& a) {
  return a.size();
}
inline std::size_t Columns(const Matriz& a) {
  return a.empty() ? 0 : a[0].size();
}
// The identity of order n.
Matriz Identity(std::size_t n);

// Why a column statistic has no value: a divisor would be zero.
enum class FalhaMomentos {
  PoucasObservacoes, // fewer than 2 observations: n - 1 = 0
  SemVariaveis,      // no column
  VariavelConstante  // (correlations) a column whose values are all equal: its deviation is 0
};
const char* descricao(FalhaMomentos falha);

// The p x p matrix of a data matrix's correlations or covariances, with the column means and
// sample standard deviations, in column order.
struct Momentos {
  Matriz matriz;
  std::vector<double> medias;
  std::vector<double> desvios;
};

// Statistics of a data matrix X of n observations (rows) by p variables (columns), from sums of
// deviations from the column means, so that data far from zero (price levels near 10^7) keep the
// digits that the raw sums sum(x), sum(x^2) would cancel away:
//   mean(j) = sum_i x(i, j) / n, taken as a provisional mean plus the mean of the deviations
//             from it;
//   d(i, j) = x(i, j) - mean(j);   C(r, q) = sum_i d(i, r) d(i, q);
//   sd(j)   = sqrt(C(j, j) / (n - 1))   (the sample standard deviation).
// The sums are those of the columns each divided by a power of two near its largest magnitude
// (exactly, so that no digit changes): the correlations of data near 10^80 or 10^-100 are those
// of data near 1, where C(r, r) C(q, q) neither overflows nor underflows.
// `matriz_de_correlacoes`:  R(r, q) = C(r, q) / sqrt(C(r, r) C(q, q)), R(j, j) = 1 exactly, and
//                           every value kept within [-1, 1]. The n of the population moments
//                           cancels.
// `matriz_de_covariancias`: S(r, q) = C(r, q) / (n - 1), the unbiased sample covariance.
// A zero divisor is a reason: fewer than 2 observations, no column, and for the correlations a
// column whose values are all equal.
Resultado<Momentos, FalhaMomentos> matriz_de_correlacoes(const Matriz& X);
Resultado<Momentos, FalhaMomentos> matriz_de_covariancias(const Matriz& X);
// The same, into the caller's R (or S), means and deviations; false where the above has no
// value.
bool correlacoes(Matriz X, Matriz& R, std::vector<double>& medias, std::vector<double>& desvios);
bool covariancias(Matriz X, Matriz& S, std::vector<double>& medias, std::vector<double>& desvios);

enum class FalhaProduto {
  DimensoesIncompativeis // the columns of A differ from the rows of B
};
const char* descricao(FalhaProduto falha);

// A x B: M(i, j) = sum_m A(i, m) B(m, j), accumulated from 0 in increasing m.
Resultado<Matriz, FalhaProduto> produto(const Matriz& A, const Matriz& B);
// The same into M; false, with M empty, when the dimensions do not fit.
bool multiplica(Matriz A, Matriz B, Matriz& M);

// A^T: each column of A becomes a row.
Matriz transposta(const Matriz& A);
// B = A^T, and B = A element by element; both are always done (true).
bool transpoe(Matriz A, Matriz& B);
bool copia(Matriz A, Matriz& B);

enum class FalhaInversa {
  NaoQuadrada, // rows and columns differ
  Singular     // a row of zeros, or a zero pivot, met by the elimination
};
const char* descricao(FalhaInversa falha);

// A^-1 by Gauss-Jordan elimination on [A | I] without row exchanges: for each pivot column q in
// order, row q is multiplied by 1 / A(q, q) and f = A(r, q) times row q is subtracted from every
// other row r. Singular when a row whose first n entries are all 0 is found among rows q .. n-1
// at some step, or the pivot A(q, q) met at step q is 0 (a matrix that needs row exchanges
// counts as singular).
Resultado<Matriz, FalhaInversa> inversa(const Matriz& A);
// The same into B, as an integer code: 1 when inverted; 0 when singular; -1 when A is not
// square. B stays empty unless the result is 1.
int inverte(Matriz A, Matriz& B);
