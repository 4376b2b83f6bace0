// What an econometrician checks after a least-squares fit: standard errors that stay valid under
// heteroskedasticity (HC0 .. HC3) or autocorrelation (Newey-West), the residual tests
// (Jarque-Bera, Breusch-Pagan, Breusch-Godfrey, RESET), the collinearity measures (condition
// number, VIF) and each observation's influence. Plain C++ on the fit of regressao_multipla;
// every value is a cell of the regression sheet, so a quantity the data leave undefined is an
// Excel error value rather than a NaN.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "Matriz.h"
#include "QuadroRegressao.h"
#include "Regressao.h"

// The covariance of the coefficients behind the SE, t and p columns.
enum class Covariancia { Classica, HC0, HC1, HC2, HC3, NeweyWest };

// The Newey-West lags for n observations: floor(4 (n/100)^(2/9)).
std::size_t defasagens_newey_west(std::size_t n);

// The standard errors of b0 .. bk (same order as fit.b) under `tipo`, with X = [1, X1 .. Xk],
// e = y - yhat (all zero for an exact fit, as the sheet takes it), h_i the leverages and
// B = (X'X)^-1:
//   Classica   the fit's own, q.erro_padrao;
//   HCj        B (sum_i w_i e_i^2 x_i x_i') B with w_i = 1 (HC0), n/(n - m) (HC1), 1/(1 - h_i)
//              (HC2), 1/(1 - h_i)^2 (HC3);
//   NeweyWest  B S B with S = sum_i e_i^2 x_i x_i' + sum_{l=1..L} (1 - l/(L+1))
//              sum_{t>=l} e_t e_{t-l} (x_t x_{t-l}' + x_{t-l} x_t'), L = defasagens_newey_west(n),
//              without prewhitening or small-sample factor.
// HC2 and HC3 are #DIV/0! in every cell when some h_i is 1 (an observation the fit passes
// through whatever its y: its weight is infinite).
std::vector<CelulaRegressao> erros_padrao_regressao(const Matriz& D, const ResultadoRegressao& fit,
                                                    const QuadroRegressao& q, Covariancia tipo);

// Each observation's place in the fit, in the order of the rows of D.
struct InfluenciaRegressao {
  std::vector<double> ajustados;             // yhat
  std::vector<double> residuos;              // e = y - yhat (zero for an exact fit)
  std::vector<double> alavancagem;           // h_i, the diagonal of X (X'X)^-1 X'
  std::vector<CelulaRegressao> padronizados; // e_i / (s sqrt(1 - h_i)), s^2 = SSE/(n - m)
  std::vector<CelulaRegressao> cook;         // r_i^2 h_i / (m (1 - h_i)), r_i standardised
};
InfluenciaRegressao influencia_regressao(const Matriz& D, const ResultadoRegressao& fit,
                                         const QuadroRegressao& q);

// A test's statistic, empty when the test is undefined for the data (too few observations).
struct TesteRegressao {
  std::optional<CelulaRegressao> estatistica;
  double gl = 0; // degrees of freedom shown beside it
};

struct DiagnosticosRegressao {
  TesteRegressao jarque_bera;       // n/6 (S^2 + (K - 3)^2/4) of the residuals, gl 2
  TesteRegressao breusch_pagan;     // Koenker's n R^2 of e^2 on X, gl k
  TesteRegressao breusch_godfrey;   // n R^2 of e_t on X and e_{t-1} (e_0 = 0), gl 1
  TesteRegressao reset;             // F of yhat^2 and yhat^3 added, gl 2 (and n - k - 3)
  CelulaRegressao condicao;         // of X with columns scaled to unit length
  std::vector<CelulaRegressao> vif; // X1 .. Xk: 1 / (1 - R_j^2) of Xj on the others
};
// `influencia`, when given, is influencia_regressao's answer for the same fit (spares its pass).
DiagnosticosRegressao diagnosticos_regressao(const Matriz& D, const ResultadoRegressao& fit,
                                             const QuadroRegressao& q,
                                             const InfluenciaRegressao* influencia = nullptr);
