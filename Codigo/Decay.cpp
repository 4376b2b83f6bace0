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
#include "Saida.h"

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
const BilingualText kLogReturns{"Utilizados os retornos logarítmicos dos dados",
                                "Using log-returns for asset prices"};
const BilingualText kReturns{"Utilizados os retornos dos dados",
                             "Using asset return from asset prices"};
const BilingualText kNoTreatment{"Dados históricos diretamente utilizados",
                                 "No treatment for historic data"};
const BilingualText kReverse{"Ordem inversa - dados mais recentes primeiro",
                             "Reverse order - recent data appears first"};
const BilingualText kByAge{"Ordem por antiguidade - dados mais antigos primeiro",
                           "Order by age - older data appears first"};
const BilingualText kNullMean{"Média nula para cálculos de variância",
                              "Null mean for variance calculations"};
const BilingualText kMean{"Média NÃO nula para cálculos de variância",
                          "Mean NOT null for variance calculations"};
const BilingualText kSample{"Amostra", "Sample"};
const BilingualText kTolerance{"Tolerância", "Tolerance"};
const BilingualText kMaxDecay{"Decay Máx.", "Max. Decay"};
const BilingualText kBestDecay{"Decay ótimo", "Best decay"};
const BilingualText kMinSde{"DPE Mín.", "Min. SDE"};

// The block below the search: the RiskMetrics forecast criterion.
const BilingualText kForecastTitle{
    "Previsão RiskMetrics da variância um dia à frente (0,800 a 0,999)",
    "RiskMetrics one-day-ahead variance forecast (0.800 to 0.999)"};
const BilingualText kForecastDecay{"Decay RMSE", "RMSE decay"};
const BilingualText kForecastRmse{"RMSE Mín.", "Min. RMSE"};
const BilingualText kForecastShort{"Amostra insuficiente (menos de 21 valores)",
                                   "Sample too short (fewer than 21 values)"};

constexpr std::uint16_t kForecastRow = 15; // after one empty row below the search

// The series as the search takes it, oldest first: reversed when the data come newest first,
// and turned into returns (logarithmic or simple) when they are prices. Returns of a price that
// is zero or negative, or any value that is not finite, stop the run.
std::vector<double> PreparedSeries(std::vector<double> x, bool reverse, bool returns, bool log) {
  if (reverse) std::reverse(x.begin(), x.end());
  if (returns) {
    if (std::any_of(x.begin(), x.end(), [](double price) { return !(price > 0); }))
      throw std::runtime_error("a price that is not positive");
    if (log) {
      for (std::size_t i = 0; i + 1 < x.size(); ++i)
        x[i] = std::log(x[i + 1] / x[i]);
      x.pop_back();
    } else {
      ToSimpleReturns(x);
    }
  }
  if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
    throw std::runtime_error("a value that is not finite");
  return x;
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
    const bool returns = dialog_.o_retorno->Checked();
    CellBlock block(14, 2);
    block.Text(0, 0, kTitle.Text());
    block.Text(
        2, 0,
        (returns ? (dialog_.o_log->Checked() ? kLogReturns : kReturns) : kNoTreatment).Text());
    block.Text(3, 0, (dialog_.o_inversa->Checked() ? kReverse : kByAge).Text());
    block.Text(4, 0, (dialog_.o_media->Checked() ? kNullMean : kMean).Text());
    block.Text(6, 0, kSample.Text());
    block.Count(6, 1, n_);
    block.Text(8, 0, kTolerance.Text());
    block.Number(8, 1, tol_);
    block.Text(9, 0, kMaxDecay.Text());
    block.Number(9, 1, search_.lambda_max);
    block.Text(11, 0, kBestDecay.Text());
    block.Number(11, 1, search_.melhor_lambda);
    block.Text(13, 0, kMinSde.Text());
    block.Number(13, 1, search_.sde_minimo);
    WriteCellBlock(0, 0, block);

    // The whole-sheet selection left A1 the active cell.
    BoldActiveCell();
    Values(6, "0");
    FrameRange(Rect(8, 9, 0, 1));
    ValueCells(8, 8, "0.0####%");
    ValueCells(9, 9, "0.000");
    Values(11, "0.000");
    Values(13, "0.000E+00");
  }

  // Rows 15 .. 17: the decay whose variance forecasts the next squared value best.
  void WriteForecast() {
    CellBlock block(3, 2);
    block.Text(0, 0, kForecastTitle.Text());
    block.Text(1, 0, kForecastDecay.Text());
    block.Text(2, 0, kForecastRmse.Text());
    if (forecast_) {
      block.Number(1, 1, forecast_->lambda);
      block.Number(2, 1, forecast_->rmse);
    } else {
      block.Text(1, 1, kForecastShort.Text());
      block.Text(2, 1, kForecastShort.Text());
    }
    WriteCellBlock(kForecastRow, 0, block);

    SelectRange(Rect(kForecastRow, kForecastRow, 0, 0));
    BoldActiveCell();
    const auto first = static_cast<std::uint16_t>(kForecastRow + 1);
    const auto second = static_cast<std::uint16_t>(kForecastRow + 2);
    FrameRange(Rect(first, second, 0, 1));
    ValueCells(first, first, "0.000");
    ValueCells(second, second, "0.000E+00");
  }

  // A row framed over both columns, its value cell formatted and shaded.
  void Values(std::uint16_t row, const char* format) {
    FrameRange(Rect(row, row, 0, 1));
    ValueCells(row, row, format);
  }
  void ValueCells(std::uint16_t first, std::uint16_t last, const char* format) {
    SelectRange(Rect(first, last, 1, 1));
    FormatRangeNumbers(format);
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
    const bool returns = o_retorno->Checked();
    const std::vector<double> x =
        PreparedSeries(serie, o_inversa->Checked(), returns, returns && o_log->Checked());
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
