// The regression tool's result sheet "RLM", table by table from the top: the heading, the
// means, the coefficients with the fit statistics, the analysis of variance, the correlations
// of the explanatory variables and the combined correlations. Each table is one block written
// with one xlSet, then framed, formatted and shaded; r follows the last row used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Distribuicoes.h"
#include "Funcoes/Matriz.h"
#include "Funcoes/QuadroRegressao.h"
#include "Funcoes/Regressao.h"
#include "Saida.h"
#include "StatusBar.h"

class Tf_rlm;

class RlmSheet {
public:
  // `dialog` is read at every step for the black-and-white box.
  explicit RlmSheet(const Tf_rlm& dialog);

  void Open();
  void WriteHeading(const QuadroRegressao& q, bool equation);
  void WriteMeans(const std::vector<double>& means, const std::vector<double>& deviations);
  // The p cells are Excel's TDIST of |t| (empty where t is an error value or Excel refuses).
  void WriteCoefficients(const QuadroRegressao& q);
  // The p cell is Excel's FDIST of F (empty where F is an error value or Excel refuses).
  void WriteAnova(const QuadroRegressao& q);
  // The correlations of X1 .. Xk, rows and columns 1 .. k of the correlation matrix of D.
  void WriteCorrelations(const Matriz& correlations);
  // `best[i]` holds the nb best combinations explaining X(i+1).
  void WriteCombined(std::size_t nb, const std::vector<std::vector<CombinacaoR>>& best);
  // Best fit of rows 3 .. r and columns 0 .. 2m + 2, A1 selected, screen updating back on.
  void Finish(std::size_t m);

private:
  bool BlackAndWhite() const;
  // A table's header row `header`, its body rows below to `last`, columns 0 .. `last_col`:
  // the header centred and framed (and framed without its first cell), the body framed, and
  // the body's columns `first_value` .. `last_value` framed, formatted and shaded.
  void Style(std::size_t header, std::size_t last, std::size_t last_col, std::size_t first_value,
             std::size_t last_value, const char* format);
  // Framed, formatted with `format` and shaded.
  void Values(std::size_t first, std::size_t last, std::size_t first_col, std::size_t last_col,
              const char* format);
  static void Put(CellBlock& block, std::uint16_t row, std::uint16_t column,
                  const CelulaRegressao& cell);

  const Tf_rlm& dialog_;
  std::size_t r_ = 0;
};
