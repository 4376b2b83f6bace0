#include "Decay.h"

#include <iterator>

#include "Analise.h"
#include "Ferramenta.h"
#include "Folha.h"

Tf_decay* f_decay = nullptr;

const DialogTable kDecayDialog{
    "EWV - Alisamento Exponencial Ótimo",
    "EWV - Best Exponentially Weighting Vol.",
    280,
    151,
    {
        {.name = "titulo1",
         .kind = ControlKind::Label,
         .pt = "Intervalo de dados históricos para cálculo de alisamento exponencial ótimo:",
         .en = "Historic data range for exponentially weighting volatility:",
         .at = {7, 7, 266, 16}},
        {.name = "intervalo", .kind = ControlKind::Edit, .at = {7, 25, 266, 12}, .enabled = false},
        {.name = "l_iteracao",
         .kind = ControlKind::Label,
         .pt = "Nível de tolerância mínimo:",
         .en = "Minimum tolerance:",
         .at = {7, 45, 110, 8}},
        // Item i stands for the tolerance 1 %, 0.5 %, 0.1 %, ... down to 0.0001 %.
        {.name = "c_tol",
         .kind = ControlKind::ComboBox,
         .items_pt = {"1 %", "0,5 %", "0,1 %", "0,05 %", "0,01 %", "0,005 %", "0,001%", "0,0005 %",
                      "0,0001%"},
         .at = {120, 43, 60, 14},
         .item_index = 0},
        {.name = "o_retorno",
         .kind = ControlKind::CheckBox,
         .pt = "Analisar retornos de cotações",
         .en = "Analysis of returns from asset prices",
         .at = {7, 62, 266, 10}},
        {.name = "o_log",
         .kind = ControlKind::CheckBox,
         .pt = "Utilizar retornos logarítmicos",
         .en = "Use log returns",
         .at = {19, 74, 254, 10},
         .enabled = false},
        {.name = "o_inversa",
         .kind = ControlKind::CheckBox,
         .pt = "Dados em ordem inversa (mais recentes primeiro)",
         .en = "Reverse order (recent data appears first)",
         .at = {7, 86, 266, 10}},
        {.name = "o_media",
         .kind = ControlKind::CheckBox,
         .pt = "Utilizar média nula",
         .en = "Use 0 for data mean",
         .at = {7, 98, 266, 10}},
        {.name = "o_cores",
         .kind = ControlKind::CheckBox,
         .pt = "Planilhas em preto e branco",
         .en = "Black and white output",
         .at = {7, 110, 266, 10}},
        {.name = "b_ok",
         .kind = ControlKind::Button,
         .pt = "OK",
         .en = "OK",
         .at = {169, 130, 50, 14}},
        {.name = "b_cancelar",
         .kind = ControlKind::Button,
         .pt = "Cancelar",
         .en = "Cancel",
         .at = {223, 130, 50, 14}},
    }};

Tf_decay::Tf_decay()
    : ToolDialog(kDecayDialog), titulo1(Bound<forms::Label>(*this, "titulo1")),
      intervalo(Bound<forms::Edit>(*this, "intervalo")),
      l_iteracao(Bound<forms::Label>(*this, "l_iteracao")),
      c_tol(Bound<forms::ComboBox>(*this, "c_tol")),
      o_retorno(Bound<forms::CheckBox>(*this, "o_retorno")),
      o_log(Bound<forms::CheckBox>(*this, "o_log")),
      o_inversa(Bound<forms::CheckBox>(*this, "o_inversa")),
      o_media(Bound<forms::CheckBox>(*this, "o_media")),
      o_cores(Bound<forms::CheckBox>(*this, "o_cores")) {
  b_ok->OnClick = Handler(&Tf_decay::b_okClick);
  o_retorno->OnClick = Handler(&Tf_decay::o_retornoClick);
}

void Tf_decay::SetDefaults() {
  ApplyDefaults();
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

// The weight that may fall outside the estimation window, by item of c_tol.
constexpr double kTolerances[] = {0.01,    0.005,   0.001,    0.0005,  0.0001,
                                  0.00005, 0.00001, 0.000005, 0.000001};

decay::Settings ReadSettings(const Tf_decay& dialog) {
  decay::Settings settings;
  const int item = dialog.c_tol->ItemIndex();
  if (item >= 0 && item < static_cast<int>(std::size(kTolerances)))
    settings.tolerance = kTolerances[item];
  settings.treatment = TreatmentOf(dialog.o_retorno->Checked(), dialog.o_log->Checked());
  settings.reversed = dialog.o_inversa->Checked();
  settings.zero_mean = dialog.o_media->Checked();
  settings.black_and_white = dialog.o_cores->Checked();
  return settings;
}
} // namespace

// Searches the grid of decays for the most stable exponentially weighted variance and writes
// the result, with the RiskMetrics forecast criterion below it, on a new sheet; a run that
// stops leaves the sheet opened and empty.
void Tf_decay::b_okClick(forms::Control&) {
  RunTool(*this, "Decay EWV", kFailure, [this] {
    const decay::Settings settings = ReadSettings(*this);
    const auto result = decay::Analyse(settings, serie);
    if (!result)
      return ToolRun{decay::StoppedSheet(settings),
                     MessageOf(kFailure, decay::Reason(result.motivo()))};
    return ToolRun{decay::Sheet(settings, *result), {}};
  });
}
