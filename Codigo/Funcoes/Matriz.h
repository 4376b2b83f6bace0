// Dense matrices of doubles for the multivariate tools (principal and independent components,
// regression): column statistics, product, copy, transpose and inverse. Plain C++ on vectors;
// nothing here knows of Excel.
//
// Conventions shared by every operation on a Matriz:
//  - inputs are taken by value (private copies), so the caller's matrices are never modified,
//    and an output may be the very object the caller also passes as an input;
//  - each operation empties its outputs before filling them, and leaves them empty when it
//    fails;
//  - success is a boolean (the inverse reports an integer code).
//
// Failures across the numerical core, for new code: a routine that can fail returns bool (true =
// done) and leaves its outputs empty, or untouched where it says so. When the caller must tell
// reasons apart, the reason is an enum in the routine's result or report struct (FalhaRegressao
// in ResultadoRegressao, EigenOutcome in EigenReport), set on every return. Nothing is thrown,
// and there are no new integer codes or sentinel values: those that exist are the interfaces the
// tools were built on (`inverte`'s 1/0/-1, `estima_arch`'s 1/0/-1, the EGARCH likelihood's
// kSentinelaArch, the always-true `copia` and `transpoe`). The worksheet-function cores
// (Estatistica, Ewv) answer with a value or nothing (StatValue, std::optional) instead, since a
// cell shows either a number or an error.
#pragma once

#include <cstddef>
#include <vector>

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

// Statistics of a data matrix X of n observations (rows) by p variables (columns), from sums of
// deviations from the column means, so that data far from zero (price levels near 10^7) keep the
// digits that the raw sums sum(x), sum(x^2) would cancel away:
//   mean(j) = sum_i x(i, j) / n, taken as a provisional mean plus the mean of the deviations
//             from it;
//   d(i, j) = x(i, j) - mean(j);   C(r, q) = sum_i d(i, r) d(i, q);
//   sd(j)   = sqrt(C(j, j) / (n - 1))   (the sample standard deviation).
// `correlacoes`:  R(r, q) = C(r, q) / sqrt(C(r, r) C(q, q)), R(j, j) = 1 exactly, and every
//                 value kept within [-1, 1]. The n of the population moments cancels.
// `covariancias`: S(r, q) = C(r, q) / (n - 1), the unbiased sample covariance.
// Both fill the p x p matrix and the p means and standard deviations in column order. They
// report false, with empty outputs, where a divisor is zero: fewer than 2 observations, no
// column, and for `correlacoes` a column whose values are all equal.
bool correlacoes(Matriz X, Matriz& R, std::vector<double>& medias, std::vector<double>& desvios);
bool covariancias(Matriz X, Matriz& S, std::vector<double>& medias, std::vector<double>& desvios);

// M = A x B: M(i, j) = sum_m A(i, m) B(m, j), accumulated from 0 in increasing m. False, with M
// empty, when the columns of A differ from the rows of B.
bool multiplica(Matriz A, Matriz B, Matriz& M);

// B = A element by element. Always true.
bool copia(Matriz A, Matriz& B);

// B(j, i) = A(i, j): each column of A becomes a row of B. Always true.
bool transpoe(Matriz A, Matriz& B);

// B = A^-1 by Gauss-Jordan elimination on [A | I] without row exchanges: for each pivot
// column q in order, row q is multiplied by 1 / A(q, q) and f = A(r, q) times row q is
// subtracted from every other row r. Returns 1 when inverted; 0 when singular, that is when a
// row whose first n entries are all 0 is found among rows q .. n-1 at some step, or the pivot
// A(q, q) met at step q is 0 (a matrix that needs row exchanges counts as singular); -1 when A is
// not square. B stays empty unless the result is 1.
int inverte(Matriz A, Matriz& B);
