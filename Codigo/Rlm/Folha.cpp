#include "Folha.h"

#include <algorithm>
#include <string>

#include "Dialogo.h"
#include "Tabelas.h"

namespace rlm {
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
const BilingualText kDiagnostics{"Diagnósticos", "Diagnostics"};
const BilingualText kStatistic{"Estatística", "Statistic"};
const BilingualText kDf{"gl", "df"};
const BilingualText kCondition{"Nº de condição", "Condition number"};
const BilingualText kResiduals{"Resíduos", "Residuals"};
const BilingualText kFitted{"Ajustado", "Fitted"};
const BilingualText kResidual{"Resíduo", "Residual"};
const BilingualText kStandardised{"Resíduo padronizado", "Standardized residual"};
const BilingualText kLeverage{"Alavancagem", "Leverage"};
const BilingualText kCook{"Distância de Cook", "Cook's distance"};
const BilingualText kResidualPlot{"Gráfico de resíduos", "Residual plot"};
const BilingualText kResidualTitle{"Resíduos x Ajustados", "Residuals vs. Fitted"};
constexpr const char* kSheet = "RLM";
constexpr const char* kStatistics = "#,##0.0000";
constexpr const char* kSmall = "0.000000"; // leverages and Cook's distances, mostly below 0.01
constexpr const char* kCount = "0";

// The SE column's header: "SE" for the classical errors, else the covariance's name.
std::string ErrorsHeader(Covariancia errors) {
  const bool pt = CurrentLanguage == Language::Portuguese;
  const std::string se = pt ? "EP (" : "SE (";
  switch (errors) {
  case Covariancia::Classica: return "SE";
  case Covariancia::HC0: return se + "HC0)";
  case Covariancia::HC1: return se + "HC1)";
  case Covariancia::HC2: return se + "HC2)";
  case Covariancia::HC3: return se + "HC3)";
  case Covariancia::NeweyWest: return se + "Newey-West)";
  }
  return "SE";
}

std::string X(std::size_t i) {
  return "X" + std::to_string(i);
}

void Put(Block& block, std::size_t row, std::size_t column, const CelulaRegressao& cell) {
  if (cell.numero)
    block.Number(row, column, cell.valor);
  else
    block.Error(row, column, cell.erro);
}

// The sheet from the top; r follows the last row used, counted from 0.
class Description {
public:
  Description(const Settings& settings, const Result& result, const PValues& p, Worksheet& sheet)
      : s_(settings), q_(result.q), p_(p), sheet_(sheet) {}

  // Framed, formatted with `format` and shaded.
  static void Values(Block& block, std::size_t first, std::size_t last, std::size_t first_col,
                     std::size_t last_col, const char* format) {
    block.Style(first, last, first_col, last_col).Frame().Format(format).Shade();
  }

  // A table's header row `header`, its body rows below to `last`, columns 0 .. `last_col`: the
  // header centred and framed (and framed without its first cell), the body framed, and the
  // body's columns `first_value` .. `last_value` framed, formatted and shaded.
  static void Style(Block& block, std::size_t header, std::size_t last, std::size_t last_col,
                    std::size_t first_value, std::size_t last_value, const char* format) {
    block.Style(header, header, 0, last_col).Frame().Centre();
    if (last_col >= 1) block.Style(header, header, 1, last_col).Frame();
    if (last <= header) return;
    block.Style(header + 1, last, 0, last_col).Frame();
    if (first_value <= last_value) Values(block, header + 1, last, first_value, last_value, format);
  }

  void Heading() {
    const std::size_t counts = s_.equation ? 4 : 2;
    Block& block = sheet_.Add(Block(0, 0, counts + 2, 2));
    block.Text(0, 0, kTitle.Text());
    if (s_.equation) {
      block.Text(2, 0, kEquation.Text());
      block.Text(2, 1, texto_equacao(q_.b, CurrentLanguage == Language::Portuguese));
    }
    block.Text(counts, 0, kVariables.Text());
    block.Count(counts, 1, q_.m);
    block.Text(counts + 1, 0, kSample.Text());
    block.Count(counts + 1, 1, q_.n);
    block.Style(0, 0, 0, 0).Bold();
    if (s_.equation) block.Style(2, 2, 1, 1).Bold();
    block.Style(counts, counts + 1, 0, 1).Frame();
    Values(block, counts, counts + 1, 1, 1, kCount);
    r_ = counts + 2;
  }

  void Means(const std::vector<double>& means, const std::vector<double>& deviations) {
    const std::size_t m = means.size();
    Block& block = sheet_.Add(Block(r_ + 1, 0, 3, m + 1));
    block.Text(0, 1, "Y");
    for (std::size_t j = 1; j < m; ++j)
      block.Text(0, j + 1, X(j));
    block.Text(1, 0, kMeans.Text());
    block.Text(2, 0, kDeviations.Text());
    for (std::size_t j = 0; j < m; ++j) {
      block.Number(1, j + 1, means[j]);
      block.Number(2, j + 1, deviations[j]);
    }
    Style(block, r_ + 1, r_ + 3, m, 1, m, kStatistics);
    r_ += 4;
  }

  // The p cells are Excel's TDIST of |t|, empty where it gave none.
  void Coefficients() {
    const std::size_t m = q_.m, top = r_ + 1;
    Block& block = sheet_.Add(Block(top, 0, m + 6, 5));
    const std::string header[] = {"CR", "Slope", ErrorsHeader(s_.errors), "t", "p"};
    for (std::size_t c = 0; c < 5; ++c)
      block.Text(0, c, header[c]);
    for (std::size_t j = 0; j < m; ++j) {
      const std::size_t row = j + 1;
      block.Text(row, 0, j == 0 ? std::string(kIntercept.Text()) : X(j));
      block.Number(row, 1, q_.b[j]);
      Put(block, row, 2, q_.erro_padrao[j]);
      Put(block, row, 3, q_.t[j]);
      if (j < p_.t.size()) block.Optional(row, 4, p_.t[j]);
    }
    const char* labels[] = {"R", "R2", "R2A", "DW"};
    const CelulaRegressao* values[] = {&q_.r, &q_.r2, &q_.r2_ajustado, &q_.dw};
    for (std::size_t i = 0; i < 4; ++i) {
      block.Text(m + 2 + i, 0, labels[i]);
      Put(block, m + 2 + i, 1, *values[i]);
    }
    Style(block, top, top + m, 4, 1, 4, kStatistics);
    block.Style(top + m + 2, top + m + 5, 0, 1).Frame();
    Values(block, top + m + 2, top + m + 5, 1, 1, kStatistics);
    r_ += m + 7;
  }

  // The p cell is Excel's FDIST of F, empty where it gave none.
  void Anova() {
    const std::size_t top = r_ + 1;
    Block& block = sheet_.Add(Block(top, 0, 4, 6));
    const char* header[] = {"ANOVA", "DF", "SS", "MSS", "F", "p"};
    for (std::size_t c = 0; c < 6; ++c)
      block.Text(0, c, header[c]);
    block.Text(1, 0, kRegression.Text());
    block.Count(1, 1, q_.m - 1);
    block.Number(1, 2, q_.ssr);
    Put(block, 1, 3, q_.msr);
    Put(block, 1, 4, q_.f);
    block.Optional(1, 5, p_.f);
    block.Text(2, 0, kError.Text());
    block.Count(2, 1, q_.n - q_.m);
    block.Number(2, 2, q_.sse);
    Put(block, 2, 3, q_.mse);
    block.Text(3, 0, "Total");
    block.Count(3, 1, q_.n - 1);
    block.Number(3, 2, q_.sst);
    Style(block, top, top + 3, 5, 2, 5, kStatistics);
    Values(block, top + 1, top + 3, 1, 1, kCount);
    r_ += 5;
  }

  // The correlations of X1 .. Xk, rows and columns 1 .. k of the correlation matrix of D.
  void Correlations(const Matriz& correlations) {
    const std::size_t k = Rows(correlations) - 1, top = r_ + 1;
    Block& block = sheet_.Add(Block(top, 0, k + 1, k + 1));
    block.Text(0, 0, kCorrelations.Text());
    for (std::size_t i = 1; i <= k; ++i) {
      block.Text(0, i, X(i));
      block.Text(i, 0, X(i));
      for (std::size_t j = 1; j <= k; ++j)
        block.Number(i, j, correlations[i][j]);
    }
    Style(block, top, top + k, k, 1, k, kStatistics);
    r_ += k + 2;
  }

  // `best[i]` holds the nb best combinations explaining X(i+1).
  void Combined(std::size_t nb, const std::vector<std::vector<CombinacaoR>>& best) {
    const std::size_t k = best.size(), top = r_ + 1;
    Block& block = sheet_.Add(Block(top, 0, 2 * k + 1, nb + 1));
    block.Text(0, 0, kCross.Text());
    for (std::size_t i = 0; i < k; ++i) {
      const std::size_t labels = 2 * i + 1, values = 2 * i + 2;
      block.Text(labels, 0, X(i + 1));
      block.Text(values, 0, "|R|");
      for (std::size_t c = 0; c < nb && c < best[i].size(); ++c) {
        block.Text(labels, c + 1, best[i][c].rotulo);
        block.Number(values, c + 1, best[i][c].R);
      }
    }
    block.Style(top, top, 0, nb).Frame();
    for (std::size_t i = 0; i < k; ++i) {
      const std::size_t labels = top + 2 * i + 1;
      block.Style(labels, labels, 0, nb).Frame().Centre();
      block.Style(labels + 1, labels + 1, 0, nb).Frame().Centre().Format(kStatistics).Shade();
    }
    r_ += 2 * k + 1;
  }

  // The residual tests with their degrees of freedom and p-values, the condition number and a
  // VIF per explanatory variable.
  void Diagnostics(const DiagnosticosRegressao& d) {
    // One empty row below the last table, whichever it is (the combined correlations leave r
    // on their last row, the other tables on the empty row after theirs).
    const Block& last = sheet_.blocks.back();
    const std::size_t k = d.vif.size(), top = last.first_row() + last.rows() + 1, rows = 6 + k;
    Block& block = sheet_.Add(Block(top, 0, rows, 4));
    block.Text(0, 0, kDiagnostics.Text());
    block.Text(0, 1, kStatistic.Text());
    block.Text(0, 2, kDf.Text());
    block.Text(0, 3, "p");
    const TesteRegressao* tests[] = {&d.jarque_bera, &d.breusch_pagan, &d.breusch_godfrey,
                                     &d.reset};
    const char* names[] = {"Jarque-Bera", "Breusch-Pagan (Koenker)", "Breusch-Godfrey (1)",
                           "RESET (2,3)"};
    const std::optional<double>* p[] = {&p_.jarque_bera, &p_.breusch_pagan, &p_.breusch_godfrey,
                                        &p_.reset};
    for (std::size_t i = 0; i < 4; ++i) {
      block.Text(i + 1, 0, names[i]);
      if (!tests[i]->estatistica) continue; // undefined for so few observations
      Put(block, i + 1, 1, *tests[i]->estatistica);
      block.Count(i + 1, 2, static_cast<std::size_t>(tests[i]->gl));
      block.Optional(i + 1, 3, *p[i]);
    }
    block.Text(5, 0, kCondition.Text());
    Put(block, 5, 1, d.condicao);
    for (std::size_t j = 0; j < k; ++j) {
      block.Text(6 + j, 0, "VIF " + X(j + 1));
      Put(block, 6 + j, 1, d.vif[j]);
    }
    Style(block, top, top + rows - 1, 3, 1, 3, kStatistics);
    Values(block, top + 1, top + 4, 2, 2, kCount);
    r_ = top + rows;
  }

  std::size_t LastRow() const { return r_; }

private:
  const Settings& s_;
  const QuadroRegressao& q_;
  const PValues& p_;
  Worksheet& sheet_;
  std::size_t r_ = 0;
};

// One row per observation under the header, and the chart of the residuals over the fitted
// values: markers alone, in the look of the other tools' charts.
void ResidualsSheet(ResultBook& book, const Settings& settings, const Matriz& data,
                    const InfluenciaRegressao& in) {
  const std::size_t n = in.residuos.size();
  Worksheet& sheet = book.AddWorksheet(kResiduals.Text());
  sheet.place = SheetPlace::AtEnd;
  sheet.fitted = Rect{0, n, 0, 6};
  // The header is a block of its own: a block holds at most 65535 rows, the observations.
  Block& heading = sheet.Add(Block(0, 0, 1, 7));
  const std::string header[] = {"Obs.",           kFitted.Text(),
                                kResidual.Text(), kStandardised.Text(),
                                kLeverage.Text(), kCook.Text()};
  heading.Text(0, 0, header[0]);
  heading.Text(0, 1, "Y");
  for (std::size_t c = 1; c < 6; ++c)
    heading.Text(0, c + 1, header[c]);
  heading.Style(0, 0, 0, 6).Frame().Centre();
  Block& block = sheet.Add(Block(1, 0, n, 7));
  for (std::size_t i = 0; i < n; ++i) {
    block.Count(i, 0, i + 1);
    block.Number(i, 1, data[i][0]);
    block.Number(i, 2, in.ajustados[i]);
    block.Number(i, 3, in.residuos[i]);
    Put(block, i, 4, in.padronizados[i]);
    block.Number(i, 5, in.alavancagem[i]);
    Put(block, i, 6, in.cook[i]);
  }
  block.Style(1, n, 0, 6).Frame();
  block.Style(1, n, 0, 0).Centre();
  block.Style(1, n, 1, 4).Frame().Format(kStatistics).Shade();
  block.Style(1, n, 5, 6).Frame().Format(kSmall).Shade();

  const bool bw = settings.black_and_white;
  ChartSheet& chart = book.AddChart(kResidualPlot.Text());
  const auto first = 2u, last = static_cast<unsigned>(n + 1);
  const std::string name = sheet.name;
  chart.Add(chart::Series{CellReference(name, 1, 4), ColumnReference(name, first, last, 3),
                          ColumnReference(name, first, last, 4), 1});
  // No line; square markers, yellow on the dark chart area, black on white in black and white.
  const int marker = bw ? palette::kBlack : palette::kYellow;
  chart.Add(chart::SeriesLook{"S1",
                              false,
                              SeriesKind::Scatter,
                              std::nullopt,
                              {2, omitted, omitted, omitted, 0, 1, marker, marker}});
  const ChartColours colours(bw);
  chart.Add(chart::NoLegend{});
  chart.Add(chart::Title{kResidualTitle.Text(), colours});
  chart.Add(chart::Axis{"Axis 1", "", colours, AxisTitle::Value, kResidual.Text()});
  chart.Add(chart::Axis{"Axis 2", "", colours, AxisTitle::Category, kFitted.Text()});
  chart.Add(chart::PlotArea{});
  if (!bw) chart.Add(chart::ChartArea{palette::kDarkTeal});
  chart.Add(chart::Gridlines{bw});
  chart.Add(chart::WholeChart{});
}
} // namespace

ResultBook StoppedSheet(const Settings& settings) {
  return OpenedBook(kSheet, settings.black_and_white);
}

ResultBook Sheet(const Settings& settings, const Matriz& data, const Result& result,
                 const PValues& p, bool complete) {
  ResultBook book = StoppedSheet(settings);
  Description sheet(settings, result, p, std::get<Worksheet>(book.sheets.front()));
  sheet.Heading();
  sheet.Means(result.fit.medias, result.fit.desvios);
  sheet.Coefficients();
  if (settings.anova) sheet.Anova();
  sheet.Correlations(result.fit.correlacao);
  if (!complete) return book;
  if (result.best) sheet.Combined(result.shown, *result.best);
  if (result.diagnostics) sheet.Diagnostics(*result.diagnostics);
  if (result.influence) ResidualsSheet(book, settings, data, *result.influence);
  // Best fit of rows 3 .. r and columns 0 .. 2m + 2, A1 selected, screen updating back on.
  const std::size_t last_col = std::min<std::size_t>(2 * result.q.m + 2, 255);
  book.closing = Closing{kSheet, Rect{3, std::max<std::size_t>(sheet.LastRow(), 3), 0, last_col}};
  return book;
}

} // namespace rlm
