#include "PcaSaida.h"

#include <algorithm>
#include <cstdio>

#include "Dialogo.h"
#include "Pca.h"

namespace {
const BilingualText kTitle{"PCA - Análise de Componentes Principais",
                           "PCA - Principal Component Analysis"};
// The title over a correlation matrix given as the range, as it has always been spelt.
const BilingualText kTitleOfMatrix{"PCA - Análise de Componentes Principais",
                                   "PCA - Principal Componenet Analysis"};
const BilingualText kSource{"Dados de origem: Matriz de correlações",
                            "Original data: Correlation matrix"};
const BilingualText kVariables{"Variáveis", "Variables"};
const BilingualText kSample{"Amostra", "Sample"};
const BilingualText kMeans{"Médias", "Mean"};
const BilingualText kDeviations{"DP", "St. Dev."};
const BilingualText kCorrelations{"Correlações", "Correlation"};
const BilingualText kEigenvalues{"Autovalores", "Eigenvalues"};
const BilingualText kDifference{"Diferença", "Difference"};
const BilingualText kProportion{"Proporção", "Proportion"};
const BilingualText kCumulative{"Acumulada", "Cumulative"};
const BilingualText kCriterion{"Critério:", "Criteria:"};
const BilingualText kFactors{"Fatores", "Factors"};
const BilingualText kExplained{"Var. Exp.", "Exp. Var."};
const BilingualText kCommunality{"Comunalidade", "Communality"};
const BilingualText kTotal{"Var. Total", "Total Var."};
const BilingualText kFactor{"Fator", "Factor"};
constexpr const char* kSheet = "PCA";
constexpr const char* kChart = "Scree Test";
constexpr const char* kValues = "#,##0.0000";
constexpr const char* kPercent = "0.00%";
constexpr const char* kCount = "0";

std::string Numbered(const char* prefix, std::size_t i) {
  return prefix + std::to_string(i);
}

// "=PCA!R15C2:R15C5": columns B to p + 1 of one row counted from 1.
std::string RowReference(std::size_t row, std::size_t last_column) {
  char text[64];
  std::snprintf(text, sizeof text, "=PCA!R%dC2:R%dC%d", static_cast<int>(row),
                static_cast<int>(row), static_cast<int>(last_column));
  return text;
}
} // namespace

PcaSheet::PcaSheet(const Tf_pca& dialog, std::size_t variables) : dialog_(dialog), p_(variables) {}

bool PcaSheet::BlackAndWhite() const {
  return dialog_.o_cores->Checked();
}

std::string PcaSheet::Variable(std::size_t i) {
  return Numbered("V", i);
}

void PcaSheet::Write(std::size_t first_row, CellBlock& block) {
  WriteCellBlock(SheetRow(first_row), 0, block);
  last_row_ = std::max(last_row_, first_row + block.rows() - 1);
}

void PcaSheet::Table(std::size_t first_row, std::size_t last_row, std::size_t first_col,
                     std::size_t last_col, bool centre, const char* format) {
  FrameRange(SheetRect{SheetRow(first_row), SheetRow(last_row), SheetColumn(first_col),
                       SheetColumn(last_col)});
  if (centre) CenterRange();
  if (format != nullptr) FormatRangeNumbers(format);
  ShadeRange(BlackAndWhite());
}

void PcaSheet::Bold(std::size_t row, std::size_t column) {
  SelectRange(SheetRect{SheetRow(row), SheetRow(row), SheetColumn(column), SheetColumn(column)});
  BoldActiveCell();
}

void PcaSheet::Open() {
  OpenResultWorkbook(kSheet, BlackAndWhite());
}

void PcaSheet::WriteData(std::size_t observations, const std::vector<double>& means,
                         const std::vector<double>& deviations, const Matriz& R) {
  const std::size_t p = p_;
  CellBlock block(SheetRow(p + 10), static_cast<std::uint16_t>(SheetColumn(p) + 1));
  block.Text(0, 0, kTitle.Text());
  block.Text(2, 0, kVariables.Text());
  block.Count(2, 1, p);
  block.Text(3, 0, kSample.Text());
  block.Count(3, 1, observations);
  block.Text(6, 0, kMeans.Text());
  block.Text(7, 0, kDeviations.Text());
  block.Text(9, 0, kCorrelations.Text());
  for (std::uint16_t j = 0; j < p; ++j) {
    const auto column = static_cast<std::uint16_t>(j + 1);
    block.Text(5, column, Variable(j + 1u));
    block.Number(6, column, means[j]);
    block.Number(7, column, deviations[j]);
    block.Text(9, column, Variable(j + 1u));
    block.Text(static_cast<std::uint16_t>(10 + j), 0, Variable(j + 1u));
    for (std::uint16_t q = 0; q < p; ++q)
      block.Number(static_cast<std::uint16_t>(10 + j), static_cast<std::uint16_t>(q + 1), R[j][q]);
  }
  Write(0, block);
  Bold(0, 0);
  Table(2, 3, 0, 0, false, nullptr);
  Table(2, 3, 1, 1, true, kCount);
  Table(5, 5, 1, p, true, nullptr);
  Table(6, 7, 0, 0, false, nullptr);
  Table(6, 7, 1, p, true, kValues);
  Table(9, 9, 0, p, true, nullptr);
  Table(10, 9 + p, 0, 0, false, nullptr);
  Table(10, 9 + p, 1, p, true, kValues);
  eigen_row_ = p + 10;
}

void PcaSheet::WriteCorrelationInput() {
  CellBlock block(4, 2);
  block.Text(0, 0, kTitleOfMatrix.Text());
  block.Text(1, 0, kSource.Text());
  block.Text(3, 0, kVariables.Text());
  block.Count(3, 1, p_);
  Write(0, block);
  Bold(0, 0);
  Table(3, 3, 0, 0, false, nullptr);
  Table(3, 3, 1, 1, true, kCount);
  eigen_row_ = 4;
}

void PcaSheet::WriteEigenvalues(const std::vector<double>& lambda, const TabelaAutovalores& table) {
  const std::size_t p = p_, e = eigen_row_;
  CellBlock block(5, static_cast<std::uint16_t>(SheetColumn(p) + 1));
  block.Text(1, 0, kEigenvalues.Text());
  block.Text(2, 0, kDifference.Text());
  block.Text(3, 0, kProportion.Text());
  block.Text(4, 0, kCumulative.Text());
  for (std::uint16_t j = 0; j < p; ++j) {
    const auto column = static_cast<std::uint16_t>(j + 1);
    block.Count(0, column, j + 1u);
    block.Number(1, column, lambda[j]);
    if (j < table.diferencas.size()) block.Number(2, column, table.diferencas[j]);
    block.Number(3, column, table.proporcoes[j]);
    block.Number(4, column, table.acumuladas[j]);
  }
  Write(e, block);
  Table(e, e, 1, p, true, nullptr);
  Table(e + 1, e + 4, 0, 0, false, nullptr);
  Table(e + 1, e + 2, 1, p, true, kValues);
  Table(e + 3, e + 4, 1, p, true, kPercent);
  next_row_ = e + 6;
}

void PcaSheet::WriteLoadings(bool proportion, double pct, const std::vector<double>& lambda,
                             const Matriz& V, const Matriz& L) {
  const std::size_t p = p_, k = Columns(L), f = next_row_;
  CellBlock block(SheetRow(p + 4), static_cast<std::uint16_t>(SheetColumn(2 * k + 2) + 1));
  block.Text(0, 0, kCriterion.Text());
  if (proportion) {
    block.Text(0, 1, kProportion.Text());
    char percentage[32];
    std::snprintf(percentage, sizeof percentage, "%.0f%%", pct);
    block.Text(0, 2, percentage);
  } else {
    block.Text(0, 1, "Kaiser");
  }
  block.Text(2, 0, kFactors.Text());
  block.Text(2, static_cast<std::uint16_t>(k + 2), "PCA");
  block.Text(static_cast<std::uint16_t>(p + 3), 0, kExplained.Text());
  for (std::uint16_t j = 0; j < k; ++j) {
    block.Text(2, static_cast<std::uint16_t>(j + 1), Numbered("F", j + 1u));
    block.Text(2, static_cast<std::uint16_t>(k + 3 + j), Numbered("PCA", j + 1u));
    block.Number(static_cast<std::uint16_t>(p + 3), static_cast<std::uint16_t>(j + 1), lambda[j]);
  }
  for (std::uint16_t i = 0; i < p; ++i) {
    const auto row = static_cast<std::uint16_t>(3 + i);
    block.Text(row, 0, Variable(i + 1u));
    block.Text(row, static_cast<std::uint16_t>(k + 2), Variable(i + 1u));
    for (std::uint16_t j = 0; j < k; ++j) {
      block.Number(row, static_cast<std::uint16_t>(j + 1), L[i][j]);
      block.Number(row, static_cast<std::uint16_t>(k + 3 + j), V[i][j]);
    }
  }
  Write(f, block);
  Table(f, f, 0, 0, false, nullptr);
  Table(f, f, 1, proportion ? 2 : 1, true, nullptr);
  Bold(f, 1);
  Table(f + 2, f + 2, 0, k, true, nullptr);
  Table(f + 3, f + 2 + p, 0, 0, false, nullptr);
  Table(f + 3, f + 2 + p, 1, k, true, kValues);
  Table(f + 3 + p, f + 3 + p, 0, 0, false, nullptr);
  Table(f + 3 + p, f + 3 + p, 1, k, true, kValues);
  Table(f + 2, f + 2, k + 2, 2 * k + 2, true, nullptr);
  Table(f + 3, f + 2 + p, k + 2, k + 2, false, nullptr);
  Table(f + 3, f + 2 + p, k + 3, 2 * k + 2, true, kValues);
  next_row_ = f + p + 5;
}

namespace {
// A communality table with its heading at row `first` of `block`: "Ci" and one row per
// variable. Returns the sum of the communalities, the total variance.
double CommunalityRows(CellBlock& block, std::uint16_t first, std::size_t p,
                       const std::vector<double>& h) {
  block.Text(first, 0, kCommunality.Text());
  block.Text(first, 1, "Ci");
  double total = 0;
  for (std::uint16_t i = 0; i < p; ++i) {
    block.Text(static_cast<std::uint16_t>(first + 1 + i), 0, Numbered("V", i + 1u));
    block.Number(static_cast<std::uint16_t>(first + 1 + i), 1, h[i]);
    total += h[i];
  }
  return total;
}

void TotalRow(CellBlock& block, std::uint16_t row, double total) {
  block.Text(row, 0, kTotal.Text());
  block.Number(row, 1, total);
}
} // namespace

void PcaSheet::WriteCommunalities(const Matriz& L) {
  const std::size_t p = p_, q = next_row_;
  CellBlock block(SheetRow(p + 3), 2);
  TotalRow(block, static_cast<std::uint16_t>(p + 2),
           CommunalityRows(block, 0, p, comunalidades(L)));
  Write(q, block);
  Table(q, q, 0, 1, true, nullptr);
  Table(q + 1, q + p, 0, 0, false, nullptr);
  Table(q + 1, q + p, 1, 1, true, kValues);
  Table(q + p + 2, q + p + 2, 0, 0, false, nullptr);
  Table(q + p + 2, q + p + 2, 1, 1, true, kValues);
  next_row_ = q + p + 5;
}

void PcaSheet::WriteVarimax(const Matriz& T, const Matriz& M) {
  const std::size_t p = p_, k = Columns(T), w = next_row_;
  CellBlock rotation(SheetRow(p + k + 6), static_cast<std::uint16_t>(SheetColumn(k) + 1));
  rotation.Text(0, 0, "VARIMAX");
  rotation.Text(1, 0, "ORT.");
  const auto rotated = static_cast<std::uint16_t>(k + 4); // the rotated loadings' heading
  rotation.Text(static_cast<std::uint16_t>(k + 3), 0, "VARIMAX");
  rotation.Text(rotated, 0, kFactors.Text());
  const std::vector<double> explained = variancias_explicadas(M);
  for (std::uint16_t j = 0; j < k; ++j) {
    const auto column = static_cast<std::uint16_t>(j + 1);
    rotation.Text(1, column, std::to_string(j + 1));
    rotation.Text(static_cast<std::uint16_t>(2 + j), 0, std::to_string(j + 1));
    for (std::uint16_t m = 0; m < k; ++m)
      rotation.Number(static_cast<std::uint16_t>(2 + j), static_cast<std::uint16_t>(m + 1),
                      T[j][m]);
    rotation.Text(rotated, column, Numbered("FRot", j + 1u));
    rotation.Number(static_cast<std::uint16_t>(rotated + p + 1), column, explained[j]);
  }
  rotation.Text(static_cast<std::uint16_t>(rotated + p + 1), 0, kExplained.Text());
  for (std::uint16_t i = 0; i < p; ++i) {
    const auto row = static_cast<std::uint16_t>(rotated + 1 + i);
    rotation.Text(row, 0, Variable(i + 1u));
    for (std::uint16_t j = 0; j < k; ++j)
      rotation.Number(row, static_cast<std::uint16_t>(j + 1), M[i][j]);
  }
  Write(w, rotation);
  Bold(w, 0);
  Table(w + 1, w + 1, 0, k, true, nullptr);
  Table(w + 2, w + 1 + k, 0, 0, true, nullptr);
  Table(w + 2, w + 1 + k, 1, k, true, kValues);
  Bold(w + k + 3, 0);
  Table(w + rotated, w + rotated, 0, k, true, nullptr);
  Table(w + rotated + 1, w + rotated + p, 0, 0, false, nullptr);
  Table(w + rotated + 1, w + rotated + p, 1, k, true, kValues);
  Table(w + rotated + p + 1, w + rotated + p + 1, 0, 0, false, nullptr);
  Table(w + rotated + p + 1, w + rotated + p + 1, 1, k, true, kValues);

  const std::size_t x = w + k + p + 7;
  CellBlock communalities(SheetRow(p + 5), 2);
  communalities.Text(0, 0, "VARIMAX");
  const double total = CommunalityRows(communalities, 1, p, comunalidades(M));
  communalities.Text(static_cast<std::uint16_t>(p + 3), 0, "VARIMAX");
  TotalRow(communalities, static_cast<std::uint16_t>(p + 4), total);
  Write(x, communalities);
  Bold(x, 0);
  Table(x + 1, x + 1, 0, 1, true, nullptr);
  Table(x + 2, x + 1 + p, 0, 0, false, nullptr);
  Table(x + 2, x + 1 + p, 1, 1, true, kValues);
  Bold(x + p + 3, 0);
  Table(x + p + 4, x + p + 4, 0, 0, false, nullptr);
  Table(x + p + 4, x + p + 4, 1, 1, true, kValues);
}

void PcaSheet::WriteScree() {
  const bool bw = BlackAndWhite();
  AddChartSheet(kChart);
  AddChartSeries(kEigenvalues.Text(), RowReference(eigen_row_ + 1, p_ + 1),
                 RowReference(eigen_row_ + 2, p_ + 1), 1);
  SelectChartItem("S1");
  SetSeriesKind(SeriesKind::Scatter);
  ShowCategoryLabels();
  ChartFont(false, 8, bw ? palette::kBlack : palette::kWhite);
  SelectChartItem("S1");
  Patterns({2, omitted, omitted, omitted, 0, 1, 1, 2});
  RemoveLegend();
  const ChartColours colours(bw);
  TitleChart(kChart, colours);
  StyleAxis("Axis 1", "0.00", colours);
  LabelAxis(AxisTitle::Value, kEigenvalues.Text(), colours);
  StyleAxis("Axis 2", "", colours);
  LabelAxis(AxisTitle::Category, kFactor.Text(), colours);
  FramePlotArea();
  if (!bw) FillChartArea(palette::kDarkTeal);
  ColourGridlines(bw);
  SelectWholeChart();
}

void PcaSheet::Finish() {
  FinishResultWorkbook(kSheet, SheetRect{2, SheetRow(std::max<std::size_t>(last_row_, 2)), 0,
                                         SheetColumn(std::min<std::size_t>(2 * p_ + 2, 255))});
}
