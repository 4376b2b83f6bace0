#include "Decay.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "Funcoes/Estatistica.h"
#include "Funcoes/MelhorDecay.h"
#include "Funcoes/PrevisaoEwv.h"
#include "Leiautes.h"
#include "Saida.h"
#include "SerieHistorica.h"

Tf_decay* f_decay = nullptr;

Tf_decay::Tf_decay() : ToolDialog("EWV - Alisamento Exponencial Ótimo") {
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Caption = "Intervalo de dados históricos para cálculo de alisamento exponencial ótimo:";
  intervalo = Add<forms::Edit>("intervalo");
  intervalo->Enabled = false;
  l_iteracao = Add<forms::Label>("l_iteracao");
  l_iteracao->Caption = "Nível de tolerância mínimo:";
  c_tol = Add<forms::ComboBox>("c_tol");
  // Item i stands for the tolerance 1 %, 0.5 %, 0.1 %, ... down to 0.0001 %.
  c_tol->Items = {"1 %",     "0,5 %",  "0,1 %",    "0,05 %", "0,01 %",
                  "0,005 %", "0,001%", "0,0005 %", "0,0001%"};
  c_tol->SetItemIndex(0);
  o_retorno = Add<forms::CheckBox>("o_retorno");
  o_retorno->Caption = "Analisar retornos de cotações";
  o_log = Add<forms::CheckBox>("o_log");
  o_log->Caption = "Utilizar retornos logarítmicos";
  o_log->Enabled = false;
  o_inversa = Add<forms::CheckBox>("o_inversa");
  o_inversa->Caption = "Dados em ordem inversa (mais recentes primeiro)";
  o_media = Add<forms::CheckBox>("o_media");
  o_media->Caption = "Utilizar média nula";
  o_cores = Add<forms::CheckBox>("o_cores");
  o_cores->Caption = "Planilhas em preto e branco";
  AddOkAndCancel();

  b_ok->OnClick = Handler(&Tf_decay::b_okClick);
  o_retorno->OnClick = Handler(&Tf_decay::o_retornoClick);
  LayOutDecay(*this);
}

void Tf_decay::UseEnglish() {
  Caption = "EWV - Best Exponentially Weighting Vol.";
  titulo1->Caption = "Historic data range for exponentially weighting volatility:";
  l_iteracao->Caption = "Minimum tolerance:";
  o_retorno->Caption = "Analysis of returns from asset prices";
  o_log->Caption = "Use log returns";
  o_inversa->Caption = "Reverse order (recent data appears first)";
  o_media->Caption = "Use 0 for data mean";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

void Tf_decay::SetDefaults() {
  c_tol->SetItemIndex(0);
  o_retorno->SetChecked(false);
  o_log->SetChecked(false);
  o_log->Enabled = false;
  o_media->SetChecked(false);
  o_inversa->SetChecked(false);
  o_cores->SetChecked(false);
}

Tratamento Tf_decay::Treatment() const {
  return TreatmentOf(o_retorno->Checked(), o_log->Checked());
}

// Log returns are a kind of returns: offered only when returns are asked for.
void Tf_decay::o_retornoClick(forms::Control&) {
  o_log->Enabled = o_retorno->Checked();
}

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de determinação do alisamento (decaimento) exponencial "
    "ótimo.\nDesconsidere qualquer resultado e tente novamente.\n\nSe o problema persistir, "
    "entre em contato com o suporte da Corvane Lathi.",
    "Some errors occurred during best EWV decay analysis.\n\nPlease, disregard any results and "
    "try again or contact Corvane Lathi for assistance."};

constexpr const char* kSheet = "Decay EWV";

// The weight that may fall outside the estimation window, by item of c_tol.
constexpr double kTolerances[] = {0.01,    0.005,   0.001,    0.0005,  0.0001,
                                  0.00005, 0.00001, 0.000005, 0.000001};

const BilingualText kTitle{"Análise de Alisamaneto Exponencial (DECAY) Ótimo",
                           "Analysis Exponentially Weighting (DECAY) Volatility"};

// Row 4: the mean the variances are taken about.
const BilingualText kMeanUsed[] = { // zero mean?
    {"Média NÃO nula para cálculos de variância", "Mean NOT null for variance calculations"},
    {"Média nula para cálculos de variância", "Null mean for variance calculations"}};

// Column 0 of the rows with a value, rows 6 .. 13 above and 16 .. 17 below: row, label, the
// value's number format.
struct Labelled {
  std::uint16_t row;
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

constexpr std::uint16_t kForecastRow = 15; // after one empty row below the search

// The series as the search takes it (see PreparedSeries); prices that are zero or negative stop
// the run, whichever returns are asked for.
std::vector<double> DecaySeries(const std::vector<double>& x, bool reverse, Tratamento treatment) {
  if (treatment != Tratamento::AsGiven &&
      std::any_of(x.begin(), x.end(), [](double price) { return !(price > 0); }))
    throw std::runtime_error("a price that is not positive");
  return PreparedSeries(x, reverse, treatment);
}

SheetRect Rect(std::uint16_t first_row, std::uint16_t last_row, std::uint8_t first_col,
               std::uint8_t last_col) {
  return SheetRect{first_row, last_row, first_col, last_col};
}

class DecayOutput {
public:
  DecayOutput(const Tf_decay& dialog, std::size_t n, double tol, const ResultadoDecay& search,
              const std::optional<ResultadoPrevisao>& forecast)
      : dialog_(dialog), n_(n), tol_(tol), search_(search), forecast_(forecast) {}

  void Write() {
    WriteSearch();
    WriteForecast();
    FinishResultWorkbook(kSheet, Rect(5, 13, 0, 1));
  }

private:
  bool BlackAndWhite() const { return dialog_.o_cores->Checked(); }

  // Rows 0 .. 13: the settings and the search's result.
  void WriteSearch() {
    CellBlock block(14, 2);
    block.Text(0, 0, kTitle.Text());
    block.Text(2, 0, TreatmentText(dialog_.Treatment()).Text());
    block.Text(3, 0, OrderText(dialog_.o_inversa->Checked()).Text());
    block.Text(4, 0, kMeanUsed[dialog_.o_media->Checked()].Text());
    Label(block, 0, kSample).Count(kSample.row, 1, n_);
    Label(block, 0, kTolerance).Number(kTolerance.row, 1, tol_);
    Label(block, 0, kMaxDecay).Number(kMaxDecay.row, 1, search_.lambda_max);
    Label(block, 0, kBestDecay).Number(kBestDecay.row, 1, search_.melhor_lambda);
    Label(block, 0, kMinSde).Number(kMinSde.row, 1, search_.sde_minimo);
    WriteCellBlock(0, 0, block);

    // The whole-sheet selection left A1 the active cell.
    BoldActiveCell();
    FrameRange(Rect(kSample.row, kSample.row, 0, 1));
    ValueCell(kSample);
    FrameRange(Rect(kTolerance.row, kMaxDecay.row, 0, 1));
    ValueCell(kTolerance);
    ValueCell(kMaxDecay);
    FrameRange(Rect(kBestDecay.row, kBestDecay.row, 0, 1));
    ValueCell(kBestDecay);
    FrameRange(Rect(kMinSde.row, kMinSde.row, 0, 1));
    ValueCell(kMinSde);
  }

  // Rows 15 .. 17: the decay whose variance forecasts the next squared value best, or why
  // there is none.
  void WriteForecast() {
    CellBlock block(3, 2);
    block.Text(0, 0, kForecastTitle.Text());
    Label(block, kForecastRow, kForecastDecay);
    Label(block, kForecastRow, kForecastRmse);
    const auto decay_at = static_cast<std::uint16_t>(kForecastDecay.row - kForecastRow);
    const auto rmse_at = static_cast<std::uint16_t>(kForecastRmse.row - kForecastRow);
    if (forecast_) {
      block.Number(decay_at, 1, forecast_->lambda);
      block.Number(rmse_at, 1, forecast_->rmse);
    } else {
      block.Text(decay_at, 1, kForecastShort.Text());
      block.Text(rmse_at, 1, kForecastShort.Text());
    }
    WriteCellBlock(kForecastRow, 0, block);

    SelectRange(Rect(kForecastRow, kForecastRow, 0, 0));
    BoldActiveCell();
    FrameRange(Rect(kForecastDecay.row, kForecastRmse.row, 0, 1));
    ValueCell(kForecastDecay);
    ValueCell(kForecastRmse);
  }

  // The label in column 0 of a block that starts at sheet row `top`.
  static CellBlock& Label(CellBlock& block, std::uint16_t top, const Labelled& line) {
    block.Text(static_cast<std::uint16_t>(line.row - top), 0, line.label.Text());
    return block;
  }
  // The value cell of a labelled row: its number format, and shaded.
  void ValueCell(const Labelled& line) {
    SelectRange(Rect(line.row, line.row, 1, 1));
    FormatRangeNumbers(line.format);
    ShadeRange(BlackAndWhite());
  }

  const Tf_decay& dialog_;
  std::size_t n_;
  double tol_;
  const ResultadoDecay& search_;
  const std::optional<ResultadoPrevisao>& forecast_;
};
} // namespace

// Searches the grid of decays for the most stable exponentially weighted variance and writes
// the result, with the RiskMetrics forecast criterion below it, on a new sheet; any failure on
// the way ends the run with the tool's message, leaving what was written. The dialog closes
// either way.
void Tf_decay::b_okClick(forms::Control&) {
  Hide();
  try {
    OpenResultWorkbook(kSheet, o_cores->Checked());
    const int item = c_tol->ItemIndex();
    if (item < 0 || item >= static_cast<int>(std::size(kTolerances)))
      throw std::runtime_error("no tolerance chosen");
    const double tol = kTolerances[item];
    const std::vector<double> x = DecaySeries(serie, o_inversa->Checked(), Treatment());
    const bool zero_mean = o_media->Checked();
    ResultadoDecay search;
    if (!melhor_decay(x, tol, zero_mean, search) || !std::isfinite(search.sde_minimo))
      throw std::runtime_error("no decay could be evaluated");
    const std::optional<ResultadoPrevisao> forecast = melhor_previsao_ewv(x, zero_mean);
    if (!forecast && x.size() > 20) throw std::runtime_error("no forecast could be scored");
    DecayOutput(*this, x.size(), tol, search, forecast).Write();
  } catch (...) {
    ShowToolMessage(kFailure);
  }
  Close();
}
