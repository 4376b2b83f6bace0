#include "RlmSaida.h"

#include <algorithm>
#include <cmath>

#include "Dialogo.h"
#include "Rlm.h"
#include "Tabelas.h"
#include "xll/ExcelCall.h"
#include "xll/xloper.h"

namespace {
const BilingualText kTitle{"RLM - Regressão Linear Múltipla", "MLR - Multiple Linear Regression"};
const BilingualText kEquation{"Equação", "Equation"};
const BilingualText kVariables{"Variáveis", "Variables"};
const BilingualText kSample{"Amostra", "Sample"};
const BilingualText kMeans{"Médias", "Means"};
const BilingualText kDeviations{"DP", "St. Dev."};
const BilingualText kIntercept{"Intersecção", "Intersection"};
const BilingualText kRegression{"Regressão", "Regression"};
const BilingualText kError{"Erro", "Error"};
const BilingualText kCorrelations{"Correlações", "Correlations"};
const BilingualText kCross{"Combinadas", "Cross"};
constexpr const char* kSheet = "RLM";
constexpr const char* kStatistics = "#,##0.0000";
constexpr const char* kCount = "0";

std::string X(std::size_t i) {
  return "X" + std::to_string(i);
}
std::uint16_t U16(std::size_t v) {
  return static_cast<std::uint16_t>(v);
}
} // namespace

RlmSheet::RlmSheet(const Tf_rlm& dialog) : dialog_(dialog) {}

bool RlmSheet::BlackAndWhite() const {
  return dialog_.o_cores->Checked();
}

void RlmSheet::Put(CellBlock& block, std::uint16_t row, std::uint16_t column,
                   const CelulaRegressao& cell) {
  if (cell.numero)
    block.Number(row, column, cell.valor);
  else
    block.Error(row, column, cell.erro);
}

void RlmSheet::Values(std::size_t first, std::size_t last, std::size_t first_col,
                      std::size_t last_col, const char* format) {
  FrameRange(
      SheetRect{SheetRow(first), SheetRow(last), SheetColumn(first_col), SheetColumn(last_col)});
  FormatRangeNumbers(format);
  ShadeRange(BlackAndWhite());
}

void RlmSheet::Style(std::size_t header, std::size_t last, std::size_t last_col,
                     std::size_t first_value, std::size_t last_value, const char* format) {
  FrameRange(SheetRect{SheetRow(header), SheetRow(header), 0, SheetColumn(last_col)});
  CenterRange();
  if (last_col >= 1)
    FrameRange(SheetRect{SheetRow(header), SheetRow(header), 1, SheetColumn(last_col)});
  if (last <= header) return;
  FrameRange(SheetRect{SheetRow(header + 1), SheetRow(last), 0, SheetColumn(last_col)});
  if (first_value <= last_value) Values(header + 1, last, first_value, last_value, format);
}

void RlmSheet::Open() {
  OpenResultWorkbook(kSheet, BlackAndWhite());
}

void RlmSheet::WriteHeading(const QuadroRegressao& q, bool equation) {
  const std::uint16_t counts = equation ? 4 : 2;
  CellBlock block(U16(counts + 2), 2);
  block.Text(0, 0, kTitle.Text());
  if (equation) {
    block.Text(2, 0, kEquation.Text());
    block.Text(2, 1, texto_equacao(q.b, CurrentLanguage == Language::Portuguese));
  }
  block.Text(counts, 0, kVariables.Text());
  block.Count(counts, 1, q.m);
  block.Text(U16(counts + 1), 0, kSample.Text());
  block.Count(U16(counts + 1), 1, q.n);
  WriteCellBlock(0, 0, block);
  SelectRange(SheetRect{0, 0, 0, 0});
  BoldActiveCell();
  if (equation) {
    SelectRange(SheetRect{2, 2, 1, 1});
    BoldActiveCell();
  }
  FrameRange(SheetRect{counts, U16(counts + 1), 0, 1});
  Values(counts, counts + 1u, 1, 1, kCount);
  r_ = counts + 2u;
}

void RlmSheet::WriteMeans(const std::vector<double>& means, const std::vector<double>& deviations) {
  const std::size_t m = means.size();
  CellBlock block(3, U16(m + 1));
  block.Text(0, 1, "Y");
  for (std::size_t j = 1; j < m; ++j)
    block.Text(0, U16(j + 1), X(j));
  block.Text(1, 0, kMeans.Text());
  block.Text(2, 0, kDeviations.Text());
  for (std::size_t j = 0; j < m; ++j) {
    block.Number(1, U16(j + 1), means[j]);
    block.Number(2, U16(j + 1), deviations[j]);
  }
  WriteCellBlock(SheetRow(r_ + 1), 0, block);
  Style(r_ + 1, r_ + 3, m, 1, m, kStatistics);
  r_ += 4;
}

void RlmSheet::WriteCoefficients(const QuadroRegressao& q) {
  const std::size_t m = q.m;
  CellBlock block(U16(m + 6), 5);
  const char* header[] = {"CR", "Slope", "SE", "t", "p"};
  for (std::uint16_t c = 0; c < 5; ++c)
    block.Text(0, c, header[c]);
  const double df = static_cast<double>(q.n - m);
  for (std::size_t j = 0; j < m; ++j) {
    const auto row = U16(j + 1);
    block.Text(row, 0, j == 0 ? std::string(kIntercept.Text()) : X(j));
    block.Number(row, 1, q.b[j]);
    Put(block, row, 2, q.erro_padrao[j]);
    Put(block, row, 3, q.t[j]);
    double p = 0;
    if (q.t[j].numero && ExcelTdist(std::fabs(q.t[j].valor), df, p)) block.Number(row, 4, p);
  }
  const char* labels[] = {"R", "R2", "R2A", "DW"};
  const CelulaRegressao* values[] = {&q.r, &q.r2, &q.r2_ajustado, &q.dw};
  for (std::size_t i = 0; i < 4; ++i) {
    block.Text(U16(m + 2 + i), 0, labels[i]);
    Put(block, U16(m + 2 + i), 1, *values[i]);
  }
  const std::size_t top = r_ + 1;
  WriteCellBlock(SheetRow(top), 0, block);
  Style(top, top + m, 4, 1, 4, kStatistics);
  FrameRange(SheetRect{SheetRow(top + m + 2), SheetRow(top + m + 5), 0, 1});
  Values(top + m + 2, top + m + 5, 1, 1, kStatistics);
  r_ += m + 7;
}

void RlmSheet::WriteAnova(const QuadroRegressao& q) {
  CellBlock block(4, 6);
  const char* header[] = {"ANOVA", "DF", "SS", "MSS", "F", "p"};
  for (std::uint16_t c = 0; c < 6; ++c)
    block.Text(0, c, header[c]);
  block.Text(1, 0, kRegression.Text());
  block.Count(1, 1, q.m - 1);
  block.Number(1, 2, q.ssr);
  Put(block, 1, 3, q.msr);
  Put(block, 1, 4, q.f);
  double p = 0;
  if (q.f.numero &&
      ExcelFdist(q.f.valor, static_cast<double>(q.m - 1), static_cast<double>(q.n - q.m), p))
    block.Number(1, 5, p);
  block.Text(2, 0, kError.Text());
  block.Count(2, 1, q.n - q.m);
  block.Number(2, 2, q.sse);
  Put(block, 2, 3, q.mse);
  block.Text(3, 0, "Total");
  block.Count(3, 1, q.n - 1);
  block.Number(3, 2, q.sst);
  const std::size_t top = r_ + 1;
  WriteCellBlock(SheetRow(top), 0, block);
  Style(top, top + 3, 5, 2, 5, kStatistics);
  Values(top + 1, top + 3, 1, 1, kCount);
  r_ += 5;
}

void RlmSheet::WriteCorrelations(const Matriz& correlations) {
  const std::size_t k = Rows(correlations) - 1;
  CellBlock block(U16(k + 1), U16(k + 1));
  block.Text(0, 0, kCorrelations.Text());
  for (std::size_t i = 1; i <= k; ++i) {
    block.Text(0, U16(i), X(i));
    block.Text(U16(i), 0, X(i));
    for (std::size_t j = 1; j <= k; ++j)
      block.Number(U16(i), U16(j), correlations[i][j]);
  }
  const std::size_t top = r_ + 1;
  WriteCellBlock(SheetRow(top), 0, block);
  Style(top, top + k, k, 1, k, kStatistics);
  r_ += k + 2;
}

void RlmSheet::WriteCombined(std::size_t nb, const std::vector<std::vector<CombinacaoR>>& best) {
  const std::size_t k = best.size();
  CellBlock block(U16(2 * k + 1), U16(nb + 1));
  block.Text(0, 0, kCross.Text());
  for (std::size_t i = 0; i < k; ++i) {
    const auto labels = U16(2 * i + 1), values = U16(2 * i + 2);
    block.Text(labels, 0, X(i + 1));
    block.Text(values, 0, "|R|");
    for (std::size_t c = 0; c < nb && c < best[i].size(); ++c) {
      block.Text(labels, U16(c + 1), best[i][c].rotulo);
      block.Number(values, U16(c + 1), best[i][c].R);
    }
  }
  const std::size_t top = r_ + 1;
  WriteCellBlock(SheetRow(top), 0, block);
  FrameRange(SheetRect{SheetRow(top), SheetRow(top), 0, SheetColumn(nb)});
  for (std::size_t i = 0; i < k; ++i) {
    const std::size_t labels = top + 2 * i + 1;
    FrameRange(SheetRect{SheetRow(labels), SheetRow(labels), 0, SheetColumn(nb)});
    CenterRange();
    FrameRange(SheetRect{SheetRow(labels + 1), SheetRow(labels + 1), 0, SheetColumn(nb)});
    FormatRangeNumbers(kStatistics);
    CenterRange();
    ShadeRange(BlackAndWhite());
  }
  r_ += 2 * k + 1;
}

void RlmSheet::Finish(std::size_t m) {
  const std::size_t last_col = std::min<std::size_t>(2 * m + 2, 255);
  FinishResultWorkbook(kSheet, SheetRect{3, SheetRow(std::max<std::size_t>(r_, 3)), 0,
                                         static_cast<std::uint8_t>(last_col)});
}
