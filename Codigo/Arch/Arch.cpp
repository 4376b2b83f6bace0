#include "Arch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "Analise.h"
#include "Distribuicoes.h"
#include "Ferramenta.h"
#include "Folha.h"
#include "StatusBar.h"

Tf_arch* f_arch = nullptr;

namespace {
constexpr int kMaxHorizon = 250;             // days of forecast and VaR
constexpr std::size_t kAllDistributions = 3; // c_dist's item of best-model mode
const BilingualText kAllDistributionsItem{"Todas (melhor modelo)", "All (best model)"};
} // namespace

// The model checks of the best-model search take the place of the radio group, which hides.
const DialogTable kArchDialog{
    "Volatilidade Condicional - Família ARCH",
    "Conditional Volatility - ARCH Family",
    300,
    283,
    {
        {.name = "titulo1",
         .kind = ControlKind::Label,
         .pt = "Intervalo contendo a série temporal de erros de regressão (ou retornos) ou "
               "cotações:",
         .en = "Data range with regression errors (or asset returns) or asset prices for ARCH "
               "model:",
         .at = {7, 7, 286, 16}},
        {.name = "intervalo", .kind = ControlKind::Edit, .at = {7, 25, 286, 12}, .enabled = false},
        {.name = "r_grupo",
         .kind = ControlKind::RadioGroup,
         .pt = " Modelo ",
         .en = "Model",
         .items_pt = {"ARCH (q)", "GARCH (q,p)", "IGARCH (q,p)", "EGARCH(q,p)", "GJR(q,p)"},
         .at = {7, 41, 180, 48},
         .columns = 2},
        {.name = "r_grupo_2",
         .kind = ControlKind::GroupBox,
         .pt = "Modelo",
         .en = "Model",
         .at = {7, 41, 180, 48},
         .visible = false},
        {.name = "o_arch",
         .kind = ControlKind::CheckBox,
         .pt = "ARCH(q)",
         .en = "ARCH(q)",
         .at = {15, 52, 80, 10},
         .parent = "r_grupo_2"},
        {.name = "o_garch",
         .kind = ControlKind::CheckBox,
         .pt = "GARCH(q,p)",
         .en = "GARCH(q,p)",
         .at = {15, 63, 80, 10},
         .parent = "r_grupo_2"},
        {.name = "o_igarch",
         .kind = ControlKind::CheckBox,
         .pt = "IGARCH(q,p)",
         .en = "IGARCH(q,p)",
         .at = {15, 74, 80, 10},
         .parent = "r_grupo_2"},
        {.name = "o_egarch",
         .kind = ControlKind::CheckBox,
         .pt = "EGARCH(q,p)",
         .en = "EGARCH(q,p)",
         .at = {97, 52, 80, 10},
         .parent = "r_grupo_2"},
        {.name = "o_gjr",
         .kind = ControlKind::CheckBox,
         .pt = "GJR(q,p)",
         .en = "GJR(q,p)",
         .at = {97, 63, 80, 10},
         .parent = "r_grupo_2"},
        {.name = "l_q",
         .kind = ControlKind::Label,
         .pt = "Ordem Q :",
         .en = "Q order",
         .at = {195, 51, 40, 8}},
        {.name = "c_q",
         .kind = ControlKind::ComboBox,
         .at = {238, 48, 40, 14},
         .enabled = false,
         .colour = forms::clBtnFace},
        {.name = "l_p",
         .kind = ControlKind::Label,
         .pt = "Ordem P :",
         .en = "P order",
         .at = {195, 69, 40, 8}},
        {.name = "c_p",
         .kind = ControlKind::ComboBox,
         .at = {238, 66, 40, 14},
         .enabled = false,
         .colour = forms::clBtnFace},
        {.name = "o_melhor",
         .kind = ControlKind::CheckBox,
         .pt = "Calcular melhor modelo da família ARCH (critério mínimo)",
         .en = "Find best model (minimum criteria)",
         .at = {7, 95, 286, 10}},
        {.name = "r_akaike",
         .kind = ControlKind::RadioGroup,
         .items_pt = {"AIC (Akaike)", "AICc (Akaikec)", "BIC (Schwarz)"},
         .at = {7, 107, 286, 24},
         .columns = 3,
         .enabled = false,
         .item_index = 0},
        // "Todas (melhor modelo)" joins the three distributions only in best-model mode.
        {.name = "l_dist",
         .kind = ControlKind::Label,
         .pt = "Distribuição dos erros:",
         .en = "Error distribution:",
         .at = {7, 139, 150, 8}},
        {.name = "c_dist",
         .kind = ControlKind::ComboBox,
         .items_pt = {"Normal", "t de Student", "GED"},
         .items_en = {"Normal", "Student's t", "GED"},
         .at = {160, 136, 110, 14},
         .item_index = 0},
        {.name = "o_retorno",
         .kind = ControlKind::CheckBox,
         .pt = "Analisar retornos de cotações",
         .en = "Analysis of returns from asset prices",
         .at = {7, 156, 286, 10},
         .checked = true},
        {.name = "o_log",
         .kind = ControlKind::CheckBox,
         .pt = "Utilizar retornos logarítmicos",
         .en = "Use log returns",
         .at = {19, 168, 274, 10},
         .checked = true},
        {.name = "o_inversa",
         .kind = ControlKind::CheckBox,
         .pt = "Dados em ordem inversa (mais recentes primeiro)",
         .en = "Reverse order (recent data appears first)",
         .at = {7, 180, 286, 10}},
        {.name = "o_erros",
         .kind = ControlKind::CheckBox,
         .pt = "Exibir erros-padrão (Hessiana e robustos)",
         .en = "Show standard errors (Hessian and robust)",
         .at = {7, 192, 286, 10}},
        {.name = "l_horizonte",
         .kind = ControlKind::Label,
         .pt = "Horizonte de previsão e VaR (dias):",
         .en = "Forecast and VaR horizon (days):",
         .at = {7, 206, 150, 8}},
        {.name = "horizonte",
         .kind = ControlKind::MaskEdit,
         .at = {160, 204, 24, 12},
         .mask = "999;0; ",
         .max_length = 3,
         .text = "0"},
        {.name = "seta",
         .kind = ControlKind::UpDown,
         .at = {184, 204, 10, 12},
         .min = 0,
         .max = kMaxHorizon},
        {.name = "o_backtest",
         .kind = ControlKind::CheckBox,
         .pt = "Backtest do VaR na amostra (Kupiec e Christoffersen)",
         .en = "In-sample VaR backtest (Kupiec and Christoffersen)",
         .at = {7, 220, 286, 10}},
        {.name = "o_graf",
         .kind = ControlKind::CheckBox,
         .pt = "Exibir gráfico de volatilidades condicionais",
         .en = "Show volatility chart",
         .at = {7, 232, 286, 10}},
        {.name = "o_cores",
         .kind = ControlKind::CheckBox,
         .pt = "Gráficos e planilhas em preto e branco",
         .en = "Black and white output",
         .at = {7, 244, 286, 10}},
        // OK waits for a model, or for best-model mode with a model to try.
        {.name = "b_ok",
         .kind = ControlKind::Button,
         .pt = "OK",
         .en = "OK",
         .at = {189, 262, 50, 14},
         .enabled = false},
        {.name = "b_cancelar",
         .kind = ControlKind::Button,
         .pt = "Cancelar",
         .en = "Cancel",
         .at = {243, 262, 50, 14}},
    }};

Tf_arch::Tf_arch()
    : ToolDialog(kArchDialog), titulo1(Bound<forms::Label>(*this, "titulo1")),
      intervalo(Bound<forms::Edit>(*this, "intervalo")),
      r_grupo(Bound<forms::RadioGroup>(*this, "r_grupo")),
      r_grupo_2(Bound<forms::GroupBox>(*this, "r_grupo_2")),
      o_arch(Bound<forms::CheckBox>(*this, "o_arch")),
      o_garch(Bound<forms::CheckBox>(*this, "o_garch")),
      o_igarch(Bound<forms::CheckBox>(*this, "o_igarch")),
      o_egarch(Bound<forms::CheckBox>(*this, "o_egarch")),
      o_gjr(Bound<forms::CheckBox>(*this, "o_gjr")), l_q(Bound<forms::Label>(*this, "l_q")),
      c_q(Bound<forms::ComboBox>(*this, "c_q")), l_p(Bound<forms::Label>(*this, "l_p")),
      c_p(Bound<forms::ComboBox>(*this, "c_p")),
      o_melhor(Bound<forms::CheckBox>(*this, "o_melhor")),
      r_akaike(Bound<forms::RadioGroup>(*this, "r_akaike")),
      o_retorno(Bound<forms::CheckBox>(*this, "o_retorno")),
      o_log(Bound<forms::CheckBox>(*this, "o_log")),
      o_inversa(Bound<forms::CheckBox>(*this, "o_inversa")),
      l_dist(Bound<forms::Label>(*this, "l_dist")), c_dist(Bound<forms::ComboBox>(*this, "c_dist")),
      o_erros(Bound<forms::CheckBox>(*this, "o_erros")),
      l_horizonte(Bound<forms::Label>(*this, "l_horizonte")),
      horizonte(Bound<forms::MaskEdit>(*this, "horizonte")),
      seta(Bound<forms::UpDown>(*this, "seta")),
      o_backtest(Bound<forms::CheckBox>(*this, "o_backtest")),
      o_graf(Bound<forms::CheckBox>(*this, "o_graf")),
      o_cores(Bound<forms::CheckBox>(*this, "o_cores")) {
  b_ok->OnClick = Handler(&Tf_arch::b_okClick);
  r_grupo->OnClick = Handler(&Tf_arch::r_grupoClick);
  o_retorno->OnClick = Handler(&Tf_arch::o_retornoClick);
  o_melhor->OnClick = Handler(&Tf_arch::o_melhorClick);
  o_arch->OnClick = Handler(&Tf_arch::o_archClick);
  o_garch->OnClick = Handler(&Tf_arch::o_garchClick);
  o_igarch->OnClick = Handler(&Tf_arch::o_igarchClick);
  o_egarch->OnClick = Handler(&Tf_arch::o_egarchClick);
  o_gjr->OnClick = Handler(&Tf_arch::o_gjrClick);
  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  horizonte->OnChange = Handler(&Tf_arch::horizonteChange);
}

// The orders offered go up to 7, and below the number of values.
void Tf_arch::SetDefaults(unsigned numbers) {
  ApplyDefaults();
  const unsigned orders = std::min(numbers - 1, 7u);
  for (forms::ComboBox* list : {c_q, c_p}) {
    list->Clear();
    for (unsigned order = 1; order <= orders; ++order)
      list->Items.push_back(std::to_string(order));
    list->SetItemIndex(0);
  }
}

// A chosen model can be fitted; ARCH has no order p.
void Tf_arch::r_grupoClick(forms::Control&) {
  b_ok->Enabled = true;
  c_q->Enabled = true;
  c_q->ControlColor = forms::clWhite;
  const bool has_p = r_grupo->ItemIndex() > 0;
  c_p->Enabled = has_p;
  c_p->ControlColor = has_p ? forms::clWhite : forms::clBtnFace;
}

// Log returns are a kind of returns: offered only when returns are asked for.
void Tf_arch::o_retornoClick(forms::Control&) {
  o_log->Enabled = o_retorno->Checked();
}

// Best-model mode puts the models to try in the place of the one model, with the maximum
// orders and the criterion; leaving it asks for a model again.
void Tf_arch::o_melhorClick(forms::Control&) {
  const bool best = o_melhor->Checked();
  r_grupo->Visible = !best;
  r_grupo->Enabled = !best;
  r_grupo->FontColor = best ? forms::clGray : forms::clBlack;
  r_grupo->SetItemIndex(-1);
  r_grupo_2->Visible = best;
  for (forms::ComboBox* list : {c_q, c_p}) {
    list->Enabled = best;
    list->ControlColor = best ? forms::clWhite : forms::clBtnFace;
  }
  r_akaike->Enabled = best;
  OfferAllDistributions(best);
  if (best)
    OfferOkForModels();
  else
    b_ok->Enabled = false;
}

// Every distribution in turn is a search over models, so only best-model mode offers it; leaving
// that mode with it chosen falls back to the Gaussian.
void Tf_arch::OfferAllDistributions(bool best) {
  auto& items = c_dist->Items;
  const bool offered = items.size() > kAllDistributions;
  if (best && !offered) items.push_back(kAllDistributionsItem.Text());
  if (best || !offered) return;
  if (c_dist->ItemIndex() == static_cast<int>(kAllDistributions)) c_dist->SetItemIndex(0);
  items.resize(kAllDistributions);
}

// The arrows step the horizon from the one typed, within 0 .. 250.
void Tf_arch::setaClick(forms::UpDown&, forms::UpDownButton button) {
  StepNumber(*seta, *horizonte, button);
}

// A typed horizon past 250 days is taken as 250.
void Tf_arch::horizonteChange(forms::Control&) {
  if (DigitsValue(horizonte->Text()) > kMaxHorizon) horizonte->SetText(std::to_string(kMaxHorizon));
}

void Tf_arch::OfferOkForModels() {
  b_ok->Enabled = o_arch->Checked() || o_garch->Checked() || o_igarch->Checked() ||
                  o_egarch->Checked() || o_gjr->Checked();
}

void Tf_arch::o_archClick(forms::Control&) {
  OfferOkForModels();
}
void Tf_arch::o_garchClick(forms::Control&) {
  OfferOkForModels();
}
void Tf_arch::o_igarchClick(forms::Control&) {
  OfferOkForModels();
}
void Tf_arch::o_egarchClick(forms::Control&) {
  OfferOkForModels();
}
void Tf_arch::o_gjrClick(forms::Control&) {
  OfferOkForModels();
}

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de determinação da volatilidade condicional pelos modelos da "
    "família ARCH.\nDesconsidere qualquer resultado e tente novamente.\n\nSe o problema "
    "persistir, entre em contato com o suporte da Corvane Lathi.",
    "Some errors occurred during ARCH family calculations.\n\nPlease, disregard any results and "
    "try again or contact Corvane Lathi for assistance."};
const BilingualText kLogFailure{
    "Houve erros durante o cálculos de logarítimos.\n\nVerifique se a base de dados utilizada já "
    "representa log dos retornos e desmarque a opção de configuração equivalente.",
    "Some errors occurred during log calculations.\n\nPlease, check if data is already log asset "
    "returns and uncheck equivalent option in settings."};
const BilingualText kNoConvergence{
    "Erro de convergência!\n\nO modelo da família ARCH escolhido para determinação da "
    "volatilidade condicional não convergiu!\n\nOs resultados apresentados são os últimos números "
    "do processo iterativo!",
    "No convergence!\n\n ARCH family model not solved.\n\nResults presented correspond to the last "
    "iteration."};
const BilingualText kSearchProgress{"Melhor modelo ARCH: %zu de %zu — %s",
                                    "Best ARCH model: %zu of %zu — %s"};
const BilingualText kFitProgress{"Estimando %s…", "Estimating %s…"};

template <typename... Values> std::string Formatted(const BilingualText& text, Values... values) {
  char line[256];
  std::snprintf(line, sizeof line, text.Text(), values...);
  return line;
}

// Excel's CHIDIST(LR, 1) of each parameter whose test has a positive LR, and of the backtests'
// tests.
arch::PValues AskExcel(const arch::Result& r) {
  arch::PValues p;
  p.lr.resize(r.lr.size());
  for (std::size_t i = 0; i < r.lr.size(); ++i) {
    double value = 0;
    if (r.lr[i] > 0 && ExcelChidist(r.lr[i], 1, value)) p.lr[i] = value;
  }
  if (r.backtest)
    for (std::size_t level = 0; level < 2; ++level) {
      const BacktestArch& b = (*r.backtest)[level];
      const double lr[] = {b.kupiec, b.christoffersen};
      for (std::size_t test = 0; test < 2; ++test) {
        double value = 0;
        if (std::isfinite(lr[test]) && lr[test] >= 0 && ExcelChidist(lr[test], 1, value))
          p.backtest[level][test] = value;
      }
    }
  return p;
}
} // namespace

arch::Settings ReadArchSettings(const Tf_arch& dialog) {
  arch::Settings s;
  const int code = dialog.r_grupo->ItemIndex();
  if (code >= 0 && code <= 4) s.model = static_cast<ModeloArch>(code);
  s.best = dialog.o_melhor->Checked();
  s.models_tried = {dialog.o_arch->Checked(), dialog.o_garch->Checked(), dialog.o_igarch->Checked(),
                    dialog.o_egarch->Checked(), dialog.o_gjr->Checked()};
  s.q = dialog.c_q->ItemIndex() + 1;
  s.p = dialog.c_p->ItemIndex() + 1;
  // No choice counts as AIC.
  const int criterion = dialog.r_akaike->ItemIndex();
  s.criterion = criterion == 1   ? CriterioArch::Aicc
                : criterion == 2 ? CriterioArch::Bic
                                 : CriterioArch::Aic;
  s.treatment = TreatmentOf(dialog.o_retorno->Checked(), dialog.o_log->Checked());
  s.reversed = dialog.o_inversa->Checked();
  s.log_returns = dialog.o_log->Checked();
  s.chart = dialog.o_graf->Checked();
  s.black_and_white = dialog.o_cores->Checked();
  const int distribution = dialog.c_dist->ItemIndex();
  s.all_distributions = s.best && distribution == static_cast<int>(kAllDistributions);
  s.distribution = distribution == 1   ? DistribuicaoArch::Student
                   : distribution == 2 ? DistribuicaoArch::Ged
                                       : DistribuicaoArch::Normal;
  s.standard_errors = dialog.o_erros->Checked();
  s.horizon = std::min(DigitsValue(dialog.horizonte->Text()), kMaxHorizon);
  s.backtest = dialog.o_backtest->Checked();
  return s;
}

// Fits the chosen model, or in best-model mode every checked model at every order below the
// maxima keeping the one of least criterion, and writes its sheet (and the chart on request).
// A fit that hit the iteration limit is written as it stands, and told.
void Tf_arch::b_okClick(forms::Control&) {
  RunTool(*this, "ARCH", kFailure, [this] {
    const arch::Settings settings = ReadArchSettings(*this);
    StatusBar status;
    arch::Progress progress;
    progress.slow_fit = [&](const EspecArch& m) {
      status.Show(Formatted(kFitProgress, arch::NomeModeloArch(m).c_str()));
    };
    progress.fit_ended = [&](std::size_t done, std::size_t total, const EspecArch& ended) {
      status.Show(Formatted(kSearchProgress, done, total, arch::NomeModeloArch(ended).c_str()));
    };
    const auto result = arch::Analyse(settings, serie, progress);
    if (!result) {
      const arch::Falha falha = result.motivo();
      const BilingualText& text = falha == arch::Falha::NonPositiveRatio ? kLogFailure : kFailure;
      return ToolRun{arch::StoppedSheet(settings, falha), MessageOf(text, arch::Reason(falha))};
    }
    ToolRun run{arch::Sheet(settings, *result, AskExcel(*result)), {}};
    if (!result->converged()) run.message = MessageOf(kNoConvergence, "o modelo não convergiu");
    return run;
  });
}
