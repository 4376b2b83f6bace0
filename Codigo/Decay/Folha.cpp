#include "Folha.h"

#include "Dialogo.h"
#include "SerieHistorica.h"

namespace decay {
namespace {
constexpr const char* kSheet = "Decay EWV";

const BilingualText kTitle{"Análise de Alisamaneto Exponencial (DECAY) Ótimo",
                           "Analysis Exponentially Weighting (DECAY) Volatility"};

// Row 4: the mean the variances are taken about.
const BilingualText kMeanUsed[] = { // zero mean?
    {"Média NÃO nula para cálculos de variância", "Mean NOT null for variance calculations"},
    {"Média nula para cálculos de variância", "Null mean for variance calculations"}};

// Column 0 of the rows with a value, rows 6 .. 13 above and 16 .. 17 below: row, label, the
// value's number format.
struct Labelled {
  std::size_t row;
  BilingualText label;
  const char* format;
};
const Labelled kSample{6, {"Amostra", "Sample"}, "0"};
const Labelled kTolerance{8, {"Tolerância", "Tolerance"}, "0.0####%"};
const Labelled kMaxDecay{9, {"Decay Máx.", "Max. Decay"}, "0.000"};
const Labelled kBestDecay{11, {"Decay ótimo", "Best decay"}, "0.000"};
const Labelled kMinSde{13, {"DPE Mín.", "Min. SDE"}, "0.000E+00"};

// The block below the search, after one empty row: the RiskMetrics forecast criterion.
const BilingualText kForecastTitle{
    "Previsão RiskMetrics da variância um dia à frente (0,800 a 0,999)",
    "RiskMetrics one-day-ahead variance forecast (0.800 to 0.999)"};
const Labelled kForecastDecay{16, {"Decay RMSE", "RMSE decay"}, "0.000"};
const Labelled kForecastRmse{17, {"RMSE Mín.", "Min. RMSE"}, "0.000E+00"};
const BilingualText kForecastShort{"Amostra insuficiente (menos de 21 valores)",
                                   "Sample too short (fewer than 21 values)"};

constexpr std::size_t kForecastRow = 15; // after one empty row below the search

// The label in column 0 of a block that starts at sheet row `top`.
void Label(Block& block, std::size_t top, const Labelled& line) {
  block.Text(line.row - top, 0, line.label.Text());
}

// The value cell of a labelled row: its number format, and shaded.
void ValueCell(Block& block, const Labelled& line) {
  block.Style(line.row, line.row, 1, 1).Format(line.format).Shade();
}

// Rows 0 .. 13: the settings and the search's result.
void Search(Worksheet& sheet, const Settings& s, const Result& r) {
  Block& block = sheet.Add(Block(0, 0, 14, 2));
  block.Text(0, 0, kTitle.Text());
  block.Text(2, 0, TreatmentText(s.treatment).Text());
  block.Text(3, 0, OrderText(s.reversed).Text());
  block.Text(4, 0, kMeanUsed[s.zero_mean].Text());
  for (const Labelled* line : {&kSample, &kTolerance, &kMaxDecay, &kBestDecay, &kMinSde})
    Label(block, 0, *line);
  block.Count(kSample.row, 1, r.n);
  block.Number(kTolerance.row, 1, *s.tolerance);
  block.Number(kMaxDecay.row, 1, r.search.lambda_max);
  block.Number(kBestDecay.row, 1, r.search.melhor_lambda);
  block.Number(kMinSde.row, 1, r.search.sde_minimo);

  block.Style(0, 0, 0, 0).Bold();
  block.Style(kSample.row, kSample.row, 0, 1).Frame();
  ValueCell(block, kSample);
  block.Style(kTolerance.row, kMaxDecay.row, 0, 1).Frame();
  ValueCell(block, kTolerance);
  ValueCell(block, kMaxDecay);
  block.Style(kBestDecay.row, kBestDecay.row, 0, 1).Frame();
  ValueCell(block, kBestDecay);
  block.Style(kMinSde.row, kMinSde.row, 0, 1).Frame();
  ValueCell(block, kMinSde);
}

// Rows 15 .. 17: the decay whose variance forecasts the next squared value best, or why there
// is none.
void Forecast(Worksheet& sheet, const Result& r) {
  Block& block = sheet.Add(Block(kForecastRow, 0, 3, 2));
  block.Text(0, 0, kForecastTitle.Text());
  Label(block, kForecastRow, kForecastDecay);
  Label(block, kForecastRow, kForecastRmse);
  const std::size_t decay_at = kForecastDecay.row - kForecastRow;
  const std::size_t rmse_at = kForecastRmse.row - kForecastRow;
  if (r.forecast) {
    block.Number(decay_at, 1, r.forecast->lambda);
    block.Number(rmse_at, 1, r.forecast->rmse);
  } else {
    block.Text(decay_at, 1, kForecastShort.Text());
    block.Text(rmse_at, 1, kForecastShort.Text());
  }
  block.Style(kForecastRow, kForecastRow, 0, 0).Bold();
  block.Style(kForecastDecay.row, kForecastRmse.row, 0, 1).Frame();
  ValueCell(block, kForecastDecay);
  ValueCell(block, kForecastRmse);
}
} // namespace

ResultBook StoppedSheet(const Settings& settings) {
  return OpenedBook(kSheet, settings.black_and_white);
}

ResultBook Sheet(const Settings& settings, const Result& result) {
  ResultBook book = StoppedSheet(settings);
  Worksheet& sheet = std::get<Worksheet>(book.sheets.front());
  Search(sheet, settings, result);
  Forecast(sheet, result);
  book.closing = Closing{kSheet, Rect{5, 13, 0, 1}};
  return book;
}

} // namespace decay
