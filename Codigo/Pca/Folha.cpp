#include "Folha.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "Dialogo.h"

namespace pca {
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
const BilingualText kAdequacy{"Adequação", "Adequacy"};
const BilingualText kBartlett{"Bartlett qui-2", "Bartlett chi-2"};
const BilingualText kDf{"gl", "df"};
const BilingualText kParallel{"Análise paralela", "Parallel analysis"};
const BilingualText kEigenvalue{"Autovalor", "Eigenvalue"};
const BilingualText kRandomMean{"Média aleatória", "Random mean"};
const BilingualText kPercentile{"Percentil 95", "95th percentile"};
const BilingualText kParallelK{"K (análise paralela)", "K (parallel analysis)"};
const BilingualText kScores{"Escores", "Scores"};
constexpr const char* kSheet = "PCA";
constexpr const char* kChart = "Scree Test";
constexpr const char* kValues = "#,##0.0000";
constexpr const char* kPercent = "0.00%";
constexpr const char* kCount = "0";

using namespace palette;

std::string Numbered(const char* prefix, std::size_t i) {
  return prefix + std::to_string(i);
}

// The label of variable i (from 1): "V" followed by i.
std::string Variable(std::size_t i) {
  return Numbered("V", i);
}

// "=PCA!R15C2:R15C5": columns B to p + 1 of one row counted from 1.
std::string RowReference(std::size_t row, std::size_t last_column) {
  char text[64];
  std::snprintf(text, sizeof text, "=PCA!R%dC2:R%dC%d", static_cast<int>(row),
                static_cast<int>(row), static_cast<int>(last_column));
  return text;
}

// A table's range: framed, centred when asked, in `format` unless none, and shaded.
void Table(Block& block, std::size_t first_row, std::size_t last_row, std::size_t first_col,
           std::size_t last_col, bool centre, const char* format) {
  RangeStyle& style = block.Style(first_row, last_row, first_col, last_col).Frame();
  if (centre) style.Centre();
  if (format != nullptr) style.Format(format);
  style.Shade();
}

void Bold(Block& block, std::size_t row, std::size_t column) {
  block.Style(row, row, column, column).Bold();
}

// A communality table with its heading at row `first` of `block`: "Ci" and one row per
// variable.
void CommunalityRows(Block& block, std::size_t first, const std::vector<double>& h) {
  block.Text(first, 0, kCommunality.Text());
  block.Text(first, 1, "Ci");
  for (std::size_t i = 0; i < h.size(); ++i) {
    block.Text(first + 1 + i, 0, Variable(i + 1));
    block.Number(first + 1 + i, 1, h[i]);
  }
}

void TotalRow(Block& block, std::size_t row, double total) {
  block.Text(row, 0, kTotal.Text());
  block.Number(row, 1, total);
}

// The blocks follow one another down column A; each starts at a row that follows from p and K.
class Description {
public:
  Description(const Settings& settings, const Analysis& analysis,
              std::optional<double> bartlett_p = std::nullopt)
      : s_(settings), a_(analysis), p_(analysis.variables), bartlett_p_(bartlett_p) {}

  // The blocks of what the analysis reached; the scree chart only after a complete one, and the
  // closing steps when `finished`.
  ResultBook Book(bool complete, bool finished) {
    ResultBook book;
    book.black_and_white = s_.black_and_white;
    Worksheet& sheet = book.AddWorksheet(kSheet);
    if (s_.correlation_input)
      CorrelationInput(sheet);
    else if (a_.data)
      Data(sheet, *a_.data);
    if (a_.eigen) Eigenvalues(sheet, *a_.eigen);
    if (a_.factors) {
      Loadings(sheet, *a_.eigen, *a_.factors);
      Communalities(sheet, *a_.factors);
    }
    if (a_.rotation) Varimax(sheet, *a_.rotation);
    if (complete && s_.adequacy) Adequacy(sheet, LastRow(sheet) + 2);
    if (complete && a_.extras.parallel) Parallel(sheet, LastRow(sheet) + 2, *a_.extras.parallel);
    if (complete && s_.scree) Scree(book.AddChart(kChart));
    if (complete && a_.extras.scores) Scores(book);
    // Best fit of columns A through 2p + 3 over rows 3 to the last row written.
    if (finished)
      book.closing = Closing{kSheet, Rect{2, std::max<std::size_t>(LastRow(sheet), 2), 0,
                                          std::min<std::size_t>(2 * p_ + 2, 255)}};
    return book;
  }

private:
  static std::size_t LastRow(const Worksheet& sheet) {
    std::size_t last = 0;
    for (const Block& block : sheet.blocks)
      if (block.rows() > 0) last = std::max(last, block.first_row() + block.rows() - 1);
    return last;
  }

  void Data(Worksheet& sheet, const DataSummary& d) {
    const std::size_t p = p_;
    Block& block = sheet.Add(Block(0, 0, p + 10, p + 1));
    block.Text(0, 0, kTitle.Text());
    block.Text(2, 0, kVariables.Text());
    block.Count(2, 1, p);
    block.Text(3, 0, kSample.Text());
    block.Count(3, 1, d.observations);
    block.Text(6, 0, kMeans.Text());
    block.Text(7, 0, kDeviations.Text());
    block.Text(9, 0, kCorrelations.Text());
    for (std::size_t j = 0; j < p; ++j) {
      block.Text(5, j + 1, Variable(j + 1));
      block.Number(6, j + 1, d.means[j]);
      block.Number(7, j + 1, d.deviations[j]);
      block.Text(9, j + 1, Variable(j + 1));
      block.Text(10 + j, 0, Variable(j + 1));
      for (std::size_t q = 0; q < p; ++q)
        block.Number(10 + j, q + 1, d.correlations[j][q]);
    }
    Bold(block, 0, 0);
    Table(block, 2, 3, 0, 0, false, nullptr);
    Table(block, 2, 3, 1, 1, true, kCount);
    Table(block, 5, 5, 1, p, true, nullptr);
    Table(block, 6, 7, 0, 0, false, nullptr);
    Table(block, 6, 7, 1, p, true, kValues);
    Table(block, 9, 9, 0, p, true, nullptr);
    Table(block, 10, 9 + p, 0, 0, false, nullptr);
    Table(block, 10, 9 + p, 1, p, true, kValues);
    eigen_row_ = p + 10;
  }

  void CorrelationInput(Worksheet& sheet) {
    Block& block = sheet.Add(Block(0, 0, 4, 2));
    block.Text(0, 0, kTitleOfMatrix.Text());
    block.Text(1, 0, kSource.Text());
    block.Text(3, 0, kVariables.Text());
    block.Count(3, 1, p_);
    Bold(block, 0, 0);
    Table(block, 3, 3, 0, 0, false, nullptr);
    Table(block, 3, 3, 1, 1, true, kCount);
    eigen_row_ = 4;
  }

  void Eigenvalues(Worksheet& sheet, const Eigen& eigen) {
    const std::size_t p = p_, e = eigen_row_;
    const TabelaAutovalores& table = eigen.table;
    Block& block = sheet.Add(Block(e, 0, 5, p + 1));
    block.Text(1, 0, kEigenvalues.Text());
    block.Text(2, 0, kDifference.Text());
    block.Text(3, 0, kProportion.Text());
    block.Text(4, 0, kCumulative.Text());
    for (std::size_t j = 0; j < p; ++j) {
      block.Count(0, j + 1, j + 1);
      block.Number(1, j + 1, eigen.values[j]);
      // The last difference cell stays empty: there are p - 1 of them.
      if (j < table.diferencas.size()) block.Number(2, j + 1, table.diferencas[j]);
      block.Number(3, j + 1, table.proporcoes[j]);
      block.Number(4, j + 1, table.acumuladas[j]);
    }
    Table(block, e, e, 1, p, true, nullptr);
    Table(block, e + 1, e + 4, 0, 0, false, nullptr);
    Table(block, e + 1, e + 2, 1, p, true, kValues);
    Table(block, e + 3, e + 4, 1, p, true, kPercent);
    next_row_ = e + 6;
  }

  // The criterion's row, then the loadings beside the principal-component coefficients.
  void Loadings(Worksheet& sheet, const Eigen& eigen, const Factors& factors) {
    const std::size_t p = p_, k = factors.count, f = next_row_;
    const bool proportion = s_.criterion == Criterion::Proportion;
    Block& block = sheet.Add(Block(f, 0, p + 4, 2 * k + 3));
    block.Text(0, 0, kCriterion.Text());
    if (proportion) {
      block.Text(0, 1, kProportion.Text());
      char percentage[32];
      std::snprintf(percentage, sizeof percentage, "%.0f%%", s_.percentage);
      block.Text(0, 2, percentage);
    } else {
      block.Text(0, 1, "Kaiser");
    }
    block.Text(2, 0, kFactors.Text());
    block.Text(2, k + 2, "PCA");
    block.Text(p + 3, 0, kExplained.Text());
    for (std::size_t j = 0; j < k; ++j) {
      block.Text(2, j + 1, Numbered("F", j + 1));
      block.Text(2, k + 3 + j, Numbered("PCA", j + 1));
      block.Number(p + 3, j + 1, eigen.values[j]);
    }
    for (std::size_t i = 0; i < p; ++i) {
      block.Text(3 + i, 0, Variable(i + 1));
      block.Text(3 + i, k + 2, Variable(i + 1));
      for (std::size_t j = 0; j < k; ++j) {
        block.Number(3 + i, j + 1, factors.loadings[i][j]);
        block.Number(3 + i, k + 3 + j, eigen.vectors[i][j]);
      }
    }
    Table(block, f, f, 0, 0, false, nullptr);
    Table(block, f, f, 1, proportion ? 2 : 1, true, nullptr);
    Bold(block, f, 1);
    Table(block, f + 2, f + 2, 0, k, true, nullptr);
    Table(block, f + 3, f + 2 + p, 0, 0, false, nullptr);
    Table(block, f + 3, f + 2 + p, 1, k, true, kValues);
    Table(block, f + 3 + p, f + 3 + p, 0, 0, false, nullptr);
    Table(block, f + 3 + p, f + 3 + p, 1, k, true, kValues);
    Table(block, f + 2, f + 2, k + 2, 2 * k + 2, true, nullptr);
    Table(block, f + 3, f + 2 + p, k + 2, k + 2, false, nullptr);
    Table(block, f + 3, f + 2 + p, k + 3, 2 * k + 2, true, kValues);
    next_row_ = f + p + 5;
  }

  void Communalities(Worksheet& sheet, const Factors& factors) {
    const std::size_t p = p_, q = next_row_;
    Block& block = sheet.Add(Block(q, 0, p + 3, 2));
    CommunalityRows(block, 0, factors.communalities);
    TotalRow(block, p + 2, factors.total_variance);
    Table(block, q, q, 0, 1, true, nullptr);
    Table(block, q + 1, q + p, 0, 0, false, nullptr);
    Table(block, q + 1, q + p, 1, 1, true, kValues);
    Table(block, q + p + 2, q + p + 2, 0, 0, false, nullptr);
    Table(block, q + p + 2, q + p + 2, 1, 1, true, kValues);
    next_row_ = q + p + 5;
  }

  // The rotation T, the rotated loadings with their explained variances, then their
  // communalities.
  void Varimax(Worksheet& sheet, const Rotation& r) {
    const std::size_t p = p_, k = Columns(r.rotation), w = next_row_;
    const std::size_t rotated = k + 4; // the rotated loadings' heading, from row w
    Block& block = sheet.Add(Block(w, 0, p + k + 6, k + 1));
    block.Text(0, 0, "VARIMAX");
    block.Text(1, 0, "ORT.");
    block.Text(k + 3, 0, "VARIMAX");
    block.Text(rotated, 0, kFactors.Text());
    for (std::size_t j = 0; j < k; ++j) {
      block.Text(1, j + 1, std::to_string(j + 1));
      block.Text(2 + j, 0, std::to_string(j + 1));
      for (std::size_t m = 0; m < k; ++m)
        block.Number(2 + j, m + 1, r.rotation[j][m]);
      block.Text(rotated, j + 1, Numbered("FRot", j + 1));
      block.Number(rotated + p + 1, j + 1, r.explained[j]);
    }
    block.Text(rotated + p + 1, 0, kExplained.Text());
    for (std::size_t i = 0; i < p; ++i) {
      block.Text(rotated + 1 + i, 0, Variable(i + 1));
      for (std::size_t j = 0; j < k; ++j)
        block.Number(rotated + 1 + i, j + 1, r.rotated[i][j]);
    }
    Bold(block, w, 0);
    Table(block, w + 1, w + 1, 0, k, true, nullptr);
    Table(block, w + 2, w + 1 + k, 0, 0, true, nullptr);
    Table(block, w + 2, w + 1 + k, 1, k, true, kValues);
    Bold(block, w + k + 3, 0);
    Table(block, w + rotated, w + rotated, 0, k, true, nullptr);
    Table(block, w + rotated + 1, w + rotated + p, 0, 0, false, nullptr);
    Table(block, w + rotated + 1, w + rotated + p, 1, k, true, kValues);
    Table(block, w + rotated + p + 1, w + rotated + p + 1, 0, 0, false, nullptr);
    Table(block, w + rotated + p + 1, w + rotated + p + 1, 1, k, true, kValues);

    const std::size_t x = w + k + p + 7;
    Block& communalities = sheet.Add(Block(x, 0, p + 5, 2));
    communalities.Text(0, 0, "VARIMAX");
    CommunalityRows(communalities, 1, r.communalities);
    communalities.Text(p + 3, 0, "VARIMAX");
    TotalRow(communalities, p + 4, r.total_variance);
    Bold(communalities, x, 0);
    Table(communalities, x + 1, x + 1, 0, 1, true, nullptr);
    Table(communalities, x + 2, x + 1 + p, 0, 0, false, nullptr);
    Table(communalities, x + 2, x + 1 + p, 1, 1, true, kValues);
    Bold(communalities, x + p + 3, 0);
    Table(communalities, x + p + 4, x + p + 4, 0, 0, false, nullptr);
    Table(communalities, x + p + 4, x + p + 4, 1, 1, true, kValues);
  }

  // KMO, each variable's MSA, and Bartlett's chi-squared, df and p; a value that has none (a
  // singular matrix, or no observations for Bartlett) leaves its cell empty.
  void Adequacy(Worksheet& sheet, std::size_t top) {
    const std::size_t p = p_, rows = p + 5;
    Block& block = sheet.Add(Block(top, 0, rows, 2));
    const auto& kmo = a_.extras.adequacy;
    const auto& bartlett = a_.extras.sphericity;
    block.Text(0, 0, kAdequacy.Text());
    block.Text(1, 0, "KMO");
    if (kmo) block.Number(1, 1, kmo->kmo);
    for (std::size_t j = 0; j < p; ++j) {
      block.Text(2 + j, 0, "MSA " + Variable(j + 1));
      if (kmo) block.Number(2 + j, 1, kmo->msa[j]);
    }
    block.Text(p + 2, 0, kBartlett.Text());
    block.Text(p + 3, 0, kDf.Text());
    block.Text(p + 4, 0, "p");
    if (bartlett) {
      block.Number(p + 2, 1, bartlett->qui2);
      block.Count(p + 3, 1, static_cast<std::size_t>(bartlett->gl));
      block.Optional(p + 4, 1, bartlett_p_);
    }
    Bold(block, top, 0);
    Table(block, top + 1, top + rows - 1, 0, 0, false, nullptr);
    Table(block, top + 1, top + p + 2, 1, 1, true, kValues);
    Table(block, top + p + 3, top + p + 3, 1, 1, true, kCount);
    Table(block, top + p + 4, top + p + 4, 1, 1, true, kValues);
  }

  // The eigenvalues beside the random means and 95th percentiles, one row per factor, then K.
  void Parallel(Worksheet& sheet, std::size_t top, const ResultadoParalela& pa) {
    const std::size_t p = p_;
    Block& block = sheet.Add(Block(top, 0, p + 2, 4));
    const std::string header[] = {kParallel.Text(), kEigenvalue.Text(), kRandomMean.Text(),
                                  kPercentile.Text()};
    for (std::size_t c = 0; c < 4; ++c)
      block.Text(0, c, header[c]);
    for (std::size_t j = 0; j < p; ++j) {
      block.Count(1 + j, 0, j + 1);
      block.Number(1 + j, 1, a_.eigen->values[j]);
      block.Number(1 + j, 2, pa.media[j]);
      block.Number(1 + j, 3, pa.percentil95[j]);
    }
    block.Text(p + 1, 0, kParallelK.Text());
    block.Count(p + 1, 1, pa.fatores);
    Table(block, top, top, 0, 3, true, nullptr);
    Table(block, top + 1, top + p, 0, 0, true, kCount);
    Table(block, top + 1, top + p, 1, 3, true, kValues);
    Table(block, top + p + 1, top + p + 1, 0, 0, false, nullptr);
    Table(block, top + p + 1, top + p + 1, 1, 1, true, kCount);
    parallel_row_ = top;
  }

  // "Obs.", then F1 .. FK and with the rotation FRot1 .. FRotK, one row per observation.
  void Scores(ResultBook& book) const {
    const Matriz& f = *a_.extras.scores;
    const Matriz* rotated = a_.extras.rotated_scores ? &*a_.extras.rotated_scores : nullptr;
    const std::size_t n = Rows(f), k = Columns(f), columns = 1 + k + (rotated ? k : 0);
    Worksheet& sheet = book.AddWorksheet(kScores.Text());
    sheet.place = SheetPlace::AtEnd;
    sheet.fitted = Rect{0, n, 0, columns - 1};
    // The header and the observations are blocks of their own: a block holds at most 65535
    // rows, and the sheet holds the header and 65535 observations.
    Block& header = sheet.Add(Block(0, 0, 1, columns));
    header.Text(0, 0, "Obs.");
    for (std::size_t j = 0; j < k; ++j) {
      header.Text(0, 1 + j, Numbered("F", j + 1));
      if (rotated) header.Text(0, 1 + k + j, Numbered("FRot", j + 1));
    }
    header.Style(0, 0, 0, columns - 1).Frame().Centre();
    Block& block = sheet.Add(Block(1, 0, n, columns));
    for (std::size_t i = 0; i < n; ++i) {
      block.Count(i, 0, i + 1);
      for (std::size_t j = 0; j < k; ++j) {
        block.Number(i, 1 + j, f[i][j]);
        if (rotated) block.Number(i, 1 + k + j, (*rotated)[i][j]);
      }
    }
    block.Style(1, n, 0, 0).Frame().Centre();
    block.Style(1, n, 1, columns - 1).Frame().Format(kValues).Shade();
  }

  // The eigenvalues against the factor numbers, as labelled markers joined by a line.
  void Scree(ChartSheet& chart) const {
    const bool bw = s_.black_and_white;
    const ChartColours colours(bw);
    chart.Add(chart::Series{kEigenvalues.Text(), RowReference(eigen_row_ + 1, p_ + 1),
                            RowReference(eigen_row_ + 2, p_ + 1), 1});
    chart.Add(chart::SeriesLook{"S1",
                                false,
                                SeriesKind::Scatter,
                                bw ? kBlack : kWhite,
                                {2, omitted, omitted, omitted, 0, 1, 1, 2}});
    if (parallel_row_ > 0) {
      ParallelSeries(chart);
      chart.Add(chart::Legend{bw ? kBlack : kWhite});
    } else {
      chart.Add(chart::NoLegend{});
    }
    chart.Add(chart::Title{kChart, colours});
    chart.Add(chart::Axis{"Axis 1", "0.00", colours, AxisTitle::Value, kEigenvalues.Text()});
    chart.Add(chart::Axis{"Axis 2", "", colours, AxisTitle::Category, kFactor.Text()});
    chart.Add(chart::PlotArea{});
    if (!bw) chart.Add(chart::ChartArea{kDarkTeal});
    chart.Add(chart::Gridlines{bw});
    chart.Add(chart::WholeChart{});
  }

  // The random means (a solid line) and the 95th percentiles (a dashed one) of the parallel
  // analysis, against the factor numbers of its block.
  void ParallelSeries(ChartSheet& chart) const {
    const bool bw = s_.black_and_white;
    const auto first = static_cast<unsigned>(parallel_row_ + 2),
               last = static_cast<unsigned>(parallel_row_ + 1 + p_);
    const std::string x = ColumnReference(kSheet, first, last, 1);
    const BilingualText* names[] = {&kRandomMean, &kPercentile};
    const std::int16_t colours[] = {bw ? kBlack : kYellow, bw ? kBlack : kLightBlue};
    for (std::int16_t s = 0; s < 2; ++s) {
      chart.Add(chart::Series{names[s]->Text(), x, ColumnReference(kSheet, first, last, 3u + s),
                              static_cast<std::int16_t>(2 + s)});
      chart.Add(chart::SeriesLook{Numbered("S", 2 + s),
                                  false,
                                  SeriesKind::Scatter,
                                  std::nullopt,
                                  {0, 1 + s, colours[s], 2, 2}});
    }
  }

  const Settings& s_;
  const Analysis& a_;
  std::size_t p_;
  std::optional<double> bartlett_p_;
  std::size_t parallel_row_ = 0; // the parallel analysis' header, counted from 0; 0 for none
  std::size_t eigen_row_ = 0;    // E, counted from 0
  std::size_t next_row_ = 0;     // where the next block starts, counted from 0
};

// The stops after which the sheet is finished as after a complete run: each has a message of
// its own that ends the analysis, not a failure of the computation.
bool LeavesAFinishedSheet(Stop stop) {
  switch (stop) {
  case Stop::NotACorrelationMatrix:
  case Stop::NegativeEigenvalue:
  case Stop::NoFactorByKaiser: return true;
  case Stop::NoCorrelations:
  case Stop::NoEigenvalues:
  case Stop::NoRotation: return false;
  }
  return false;
}
} // namespace

ResultBook Sheet(const Settings& settings, const Analysis& analysis,
                 std::optional<double> bartlett_p) {
  return Description(settings, analysis, bartlett_p).Book(true, true);
}

ResultBook Sheet(const Settings& settings, const Failure& failure) {
  return Description(settings, failure.reached).Book(false, LeavesAFinishedSheet(failure.stop));
}

} // namespace pca
