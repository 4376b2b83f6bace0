// The principal component tool's result workbook: the sheet "PCA" block by block, and the
// chart sheet "Scree Test". Each step writes one block with its frames, formats and shading,
// in the order the analysis reaches it; the rows of the next block follow from p and K.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Funcoes/ComponentesPrincipais.h"
#include "Funcoes/Matriz.h"
#include "Saida.h"

class Tf_pca;

class PcaSheet {
public:
  // `dialog` is read at every step for the black-and-white box.
  PcaSheet(const Tf_pca& dialog, std::size_t variables);

  void Open();
  // Layout of data: counts, means and standard deviations, the correlation matrix.
  void WriteData(std::size_t observations, const std::vector<double>& means,
                 const std::vector<double>& deviations, const Matriz& R);
  // Layout of a range given as a correlation matrix.
  void WriteCorrelationInput();
  void WriteEigenvalues(const std::vector<double>& lambda, const TabelaAutovalores& table);
  // The criterion's row, the loadings beside the principal-component coefficients, and the
  // communalities. `pct` is shown for the proportion criterion only.
  void WriteLoadings(bool proportion, double pct, const std::vector<double>& lambda,
                     const Matriz& V, const Matriz& L);
  void WriteCommunalities(const Matriz& L);
  // The rotation T, the rotated loadings M with their explained variances, and M's
  // communalities.
  void WriteVarimax(const Matriz& T, const Matriz& M);
  void WriteScree();
  // Best fit of the used columns, A1 selected, screen updating back on.
  void Finish();

private:
  bool BlackAndWhite() const;
  void Write(std::size_t first_row, CellBlock& block);
  // Frames `rect`, centres it when asked, gives it `format` unless empty, and shades it.
  void Table(std::size_t first_row, std::size_t last_row, std::size_t first_col,
             std::size_t last_col, bool centre, const char* format);
  void Bold(std::size_t row, std::size_t column);
  // The label of variable i (from 1): "V" followed by i.
  static std::string Variable(std::size_t i);

  const Tf_pca& dialog_;
  std::size_t p_;
  std::size_t eigen_row_ = 0; // E, counted from 0
  std::size_t next_row_ = 0;  // where the next block starts, counted from 0
  std::size_t last_row_ = 0;  // the last row written, counted from 0
};
