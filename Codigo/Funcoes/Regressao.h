// Ordinary least-squares multiple regression with an intercept, and the all-subsets multiple
// correlation ranking of the regression tool. Plain C++ on Matriz; nothing here knows of Excel.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "Matriz.h"
#include "Resultado.h"

// Why `regressao_multipla` stopped; the regression tool shows its own message for each.
enum class FalhaRegressao {
  Correlacoes, // (a) the column statistics failed: fewer than 2 rows, or a constant column
  Produto,     // (b) the shapes do not fit: no explanatory column, or N <= m
  Singular,    // (c) the design is rank deficient (X'X cannot be inverted)
  NaoQuadrada  // (d) kept for the tool's messages; a well-formed block never produces it
};

struct ResultadoRegressao {
  std::vector<double> b;        // b0 (intercept), b1 .. bk
  std::vector<double> diag_inv; // the diagonal of (X'X)^-1, same order as b
  // W = R^-1 of the QR factorisation of the centred, scaled design below (k x k, upper
  // triangular, W(i, l) at [i * k + l]): (X'X)^-1 and the leverages follow from it.
  std::vector<double> inversa_r;
  double sst = 0, ssr = 0, sse = 0;
  std::vector<double> residuos;  // e(r) = fitted - observed
  double dw_num = 0, dw_den = 0; // Durbin-Watson numerator and denominator
  std::vector<double> medias;    // column means of D
  std::vector<double> desvios;   // column sample standard deviations of D
  Matriz correlacao;             // correlation matrix of D
  // Derived statistics, N observations and m = k + 1 coefficients:
  double r = 0, r2 = 0, r2_ajustado = 0, dw = 0, f = 0;
  std::vector<double> erro_padrao; // SEj = sqrt(diag_inv(j) SSE / (N - m))
  std::vector<double> t;           // bj / SEj, NaN where SEj is exactly 0
};

// Least squares of column 0 of D (N rows, m columns) on an intercept and columns 1 .. m-1:
//   X = [1, D(:, 1..m-1)], b = argmin ||y - X b||.
// Computed from a Householder QR of the centred, column-scaled design
//   Z(i, j) = (D(i, j) - mean_j) / sd_j,   j = 1 .. k,   Z = Q R,
//   c = R^-1 Q' (y - ybar),  bj = cj / sdj,  b0 = ybar - sum_j bj mean_j,
// so that the conditioning of X'X is never squared and the intercept column does not mix
// with columns far from zero. With W = R^-1 (upper triangular),
//   (X'X)^-1(j, j) = sum_l W(j, l)^2 / sdj^2,   (X'X)^-1(0, 0) = 1/N + ||W' w||^2,  wj = meanj/sdj.
// Sums, one pass over the rows (fitted values taken about the mean, e = yhat - y):
//   SST = sum (y - ybar)^2,  SSR = sum (yhat - ybar)^2,  SSE = sum e^2,
//   DW = sum_{r>0} (e(r) - e(r-1))^2 / sum e^2.
// Statistics: R^2 = SSR/SST, R = sqrt(R^2), adjusted R^2 = 1 - (1 - R^2)(N - 1)/(N - m),
//   SEj = sqrt((X'X)^-1(j, j) SSE/(N - m)), tj = bj/SEj, F = (SSR/(m - 1)) / (SSE/(N - m)).
// Rank test: the design is taken as singular when some |R(j, j)| <= m N eps sqrt(N - 1), that is
// when the part of a scaled column (norm sqrt(N - 1)) not explained by the previous columns is
// below what the rounding of the factorisation leaves; two identical columns give R(j, j) of a
// few ulps. Zero divisors (constant y, N = m) are reported as failures instead of NaN.
Resultado<ResultadoRegressao, FalhaRegressao> regressao_multipla(const Matriz& D);

// Multiple correlation of one column on a subset of the others, and its label (X1:X3).
struct CombinacaoR {
  double R;
  std::string rotulo;
};

// For each non-empty subset S of the columns of A other than ycol (masks 1 .. 2^kc - 1, bit p
// the p-th candidate column in increasing order), the multiple correlation of column ycol on S:
//   R^2 = r_S' R_SS^-1 r_S,  R = sqrt(R^2),
// where R_SS and r_S are taken from the correlation matrix of A (two-pass sums), R_SS^-1 by
// Cholesky. This is the SSR/SST of the least-squares refit of ycol on S with an intercept. The
// label names the columns of S as X<j+1> joined by ':'. lista ends sorted by R, decreasing;
// records of equal R keep the order of the walk (a stable sort).
// False, with lista empty, when the correlations fail or some R_SS is singular: a Cholesky
// pivot of at most kc * 1e-14 (the correlation matrix carries an error of a few ulps per entry,
// so a pivot below that is indistinguishable from an exact dependence).
bool correlacoes_combinadas(const Matriz& A, std::size_t ycol, std::vector<CombinacaoR>& lista);

// The nb records of highest R among those offered, in the order that a stable sort of all of
// them by decreasing R would give (among equal R, the earlier offer first). Holds at most nb.
class MelhoresCombinacoes {
public:
  explicit MelhoresCombinacoes(std::size_t nb);
  // Whether a record of R offered now would be kept (its label need not be made otherwise).
  bool Entra(double R) const;
  void Oferece(double R, std::string rotulo);
  const std::vector<CombinacaoR>& lista() const { return lista_; }
  std::vector<CombinacaoR> Retira() { return std::move(lista_); }

private:
  std::size_t nb_;
  std::vector<CombinacaoR> lista_;
};

// Called now and then during a walk with the number of subsets visited so far in it.
using ProgressoCombinacoes = std::function<void(std::size_t visitados)>;

// Why no ranking could be made.
enum class FalhaCombinacoes {
  NoSuchColumn,   // ycol is not a column of A
  Correlacoes,    // the correlations of A failed (a constant column, fewer than 2 rows)
  TooManyColumns, // more subsets than can be counted
  Singular,       // some R_SS is singular
};

// The first nb records of the list correlacoes_combinadas gives (same labels, same R, same
// order), kept while walking: memory O(nb + kc), not O(2^kc). `progresso`, when set, is called
// every few thousand subsets. Fails where correlacoes_combinadas fails.
Resultado<std::vector<CombinacaoR>, FalhaCombinacoes>
correlacoes_combinadas_melhores(const Matriz& A, std::size_t ycol, std::size_t nb,
                                const ProgressoCombinacoes& progresso = {});
