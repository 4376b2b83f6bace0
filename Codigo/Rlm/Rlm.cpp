#include "Rlm.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

#include "Analise.h"
#include "Distribuicoes.h"
#include "Ferramenta.h"
#include "Folha.h"
#include "Saida.h"
#include "StatusBar.h"

Tf_rlm* f_rlm = nullptr;

const DialogTable kRegressionDialog{
    "RLM - Regressão Linear Múltipla",
    "MLR - Multiple Linear Regression",
    280,
    176,
    {
        {.name = "titulo1",
         .kind = ControlKind::Label,
         .pt = "Intervalo de dados ou matriz de correlações para regressão linear múltipla - RLM.",
         .en = "Data range or correlation matrix for multiple linear regression - MLR",
         .at = {7, 7, 266, 16}},
        {.name = "intervalo", .kind = ControlKind::Edit, .at = {7, 25, 266, 12}, .enabled = false},
        {.name = "titulo2",
         .kind = ControlKind::Label,
         .pt = "(a primeira coluna deve ser a variável dependente)",
         .en = "(first column must be the dependent variable)",
         .at = {7, 40, 266, 8}},
        {.name = "o_equacao",
         .kind = ControlKind::CheckBox,
         .pt = "Exibir equação de regressão",
         .en = "Show regression equation",
         .at = {7, 55, 266, 10},
         .checked = true},
        {.name = "o_anova",
         .kind = ControlKind::CheckBox,
         .pt = "Apresentar ANOVA",
         .en = "Show ANOVA",
         .at = {7, 67, 266, 10},
         .checked = true},
        {.name = "o_combinada",
         .kind = ControlKind::CheckBox,
         .pt = "Calcular correlações combinadas",
         .en = "Show cross correlations",
         .at = {7, 79, 266, 10}},
        {.name = "l_erros",
         .kind = ControlKind::Label,
         .pt = "Erros-padrão:",
         .en = "Standard errors:",
         .at = {7, 94, 120, 8}},
        {.name = "c_erros",
         .kind = ControlKind::ComboBox,
         .items_pt = {"Clássicos", "HC0", "HC1", "HC2", "HC3", "Newey-West (HAC)"},
         .items_en = {"Classical", "HC0", "HC1", "HC2", "HC3", "Newey-West (HAC)"},
         .at = {133, 91, 140, 14},
         .item_index = 0},
        {.name = "o_diagnosticos",
         .kind = ControlKind::CheckBox,
         .pt = "Diagnósticos dos resíduos",
         .en = "Residual diagnostics",
         .at = {7, 109, 266, 10}},
        {.name = "o_residuos",
         .kind = ControlKind::CheckBox,
         .pt = "Planilha de resíduos e gráfico",
         .en = "Residuals sheet and chart",
         .at = {7, 121, 266, 10}},
        {.name = "o_cores",
         .kind = ControlKind::CheckBox,
         .pt = "Planilhas em preto e branco",
         .en = "Black and white output",
         .at = {7, 133, 266, 10}},
        {.name = "b_ok",
         .kind = ControlKind::Button,
         .pt = "OK",
         .en = "OK",
         .at = {169, 155, 50, 14}},
        {.name = "b_cancelar",
         .kind = ControlKind::Button,
         .pt = "Cancelar",
         .en = "Cancel",
         .at = {223, 155, 50, 14}},
    }};

Tf_rlm::Tf_rlm()
    : ToolDialog(kRegressionDialog), titulo1(Bound<forms::Label>(*this, "titulo1")),
      intervalo(Bound<forms::Edit>(*this, "intervalo")),
      titulo2(Bound<forms::Label>(*this, "titulo2")),
      o_equacao(Bound<forms::CheckBox>(*this, "o_equacao")),
      o_anova(Bound<forms::CheckBox>(*this, "o_anova")),
      o_combinada(Bound<forms::CheckBox>(*this, "o_combinada")),
      l_erros(Bound<forms::Label>(*this, "l_erros")),
      c_erros(Bound<forms::ComboBox>(*this, "c_erros")),
      o_diagnosticos(Bound<forms::CheckBox>(*this, "o_diagnosticos")),
      o_residuos(Bound<forms::CheckBox>(*this, "o_residuos")),
      o_cores(Bound<forms::CheckBox>(*this, "o_cores")) {
  b_ok->OnClick = Handler(&Tf_rlm::b_okClick);
}

// Combined correlations need at least three explanatory variables.
void Tf_rlm::SetDefaults(unsigned columns) {
  ApplyDefaults();
  o_combinada->Enabled = columns > 3;
}

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de regressão linear múltipla.\nDesconsidere qualquer "
    "resultado e tente novamente.\n\nSe o problema persistir, entre em contato com o suporte da "
    "Corvane Lathi.",
    "Some errors occurred during multiple linear regression - MLR.\n\nPlease, disregard any "
    "results and try again or contact Corvane Lathi for assistance."};
const BilingualText kSingular{
    "Problemas nos cálculos dos coeficientes de regressão!\nMatriz não inversível!",
    "Problems in regression coefficient calculation!\nNot a valid correlation matrix (can not be "
    "inverted)!"};
const BilingualText kProgress{"Kavenlor: correlações combinadas, %d%% concluído",
                              "Kavenlor: cross correlations, %d%% done"};
const BilingualText kRobustErrors{"Kavenlor: erros-padrão robustos...",
                                  "Kavenlor: robust standard errors..."};
const BilingualText kDiagnostics{"Kavenlor: diagnósticos e resíduos...",
                                 "Kavenlor: diagnostics and residuals..."};
// From about this many products N m^2 on, the robust errors and the diagnostics (a few passes
// and least-squares fits of the size of the regression's) take a second or more.
constexpr double kAnnounceFrom = 2e8;

// From this many explanatory variables on, the combined correlations take about a second or
// more (k 2^(k-1) fits), and Excel's status bar tells how far they are.
constexpr std::size_t kProgressFrom = 18;
// At most this many status bar updates per second.
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

// The run's progress on the status bar: the steps after the fit on large data, then the
// combined correlations in whole percents for data of `explanatory` variables (the first
// report shows at once).
class ProgressOnStatusBar {
public:
  explicit ProgressOnStatusBar(std::size_t explanatory) : report_(explanatory >= kProgressFrom) {}

  // The steps after the fit, named on the status bar for data of N rows and m columns large
  // enough to take a while.
  rlm::Announce Steps(std::size_t rows, std::size_t columns) {
    const double size = static_cast<double>(rows) * static_cast<double>(columns * columns);
    if (size < kAnnounceFrom) return {};
    return [this](rlm::Step step) {
      status_.Show(step == rlm::Step::RobustErrors ? kRobustErrors.Text() : kDiagnostics.Text());
    };
  }

  rlm::Progress Reporter() {
    if (!report_) return {};
    return [this](double done, double total) {
      const int percent = static_cast<int>(100.0 * done / total);
      const auto at = std::chrono::steady_clock::now();
      const bool now = done == 0;
      if (percent == shown_ || (!now && at - last_ < kProgressInterval)) return;
      char text[128];
      std::snprintf(text, sizeof text, kProgress.Text(), percent);
      status_.Show(text);
      shown_ = percent;
      last_ = at;
    };
  }

private:
  bool report_;
  StatusBar status_;
  int shown_ = -1;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// c_erros' items in order.
constexpr Covariancia kErrors[] = {Covariancia::Classica, Covariancia::HC0, Covariancia::HC1,
                                   Covariancia::HC2,      Covariancia::HC3, Covariancia::NeweyWest};

rlm::Settings ReadSettings(const Tf_rlm& dialog) {
  rlm::Settings s{dialog.o_equacao->Checked(), dialog.o_anova->Checked(),
                  dialog.o_combinada->Checked(), dialog.o_cores->Checked()};
  const int errors = dialog.c_erros->ItemIndex();
  if (errors > 0 && errors < static_cast<int>(std::size(kErrors))) s.errors = kErrors[errors];
  s.diagnostics = dialog.o_diagnosticos->Checked();
  s.residuals = dialog.o_residuos->Checked();
  return s;
}

std::optional<double> Chidist(const TesteRegressao& test) {
  double value = 0;
  if (test.estatistica && test.estatistica->numero &&
      ExcelChidist(test.estatistica->valor, test.gl, value))
    return value;
  return std::nullopt;
}

// Excel's p-values of the cells the sheet shows: TDIST of each finite |t| with N - m degrees of
// freedom, with the analysis of variance FDIST of F, and with the diagnostics CHIDIST of the
// chi-squared tests and FDIST of RESET's F with 2 and N - m - 2.
rlm::PValues AskExcel(const rlm::Settings& settings, const rlm::Result& result) {
  const QuadroRegressao& q = result.q;
  rlm::PValues p;
  const double df = static_cast<double>(q.n - q.m);
  for (std::size_t j = 0; j < q.m; ++j) {
    double value = 0;
    p.t.push_back(q.t[j].numero && ExcelTdist(std::fabs(q.t[j].valor), df, value)
                      ? std::optional(value)
                      : std::nullopt);
  }
  double value = 0;
  if (settings.anova && q.f.numero &&
      ExcelFdist(q.f.valor, static_cast<double>(q.m - 1), static_cast<double>(q.n - q.m), value))
    p.f = value;
  if (!result.diagnostics) return p;
  const DiagnosticosRegressao& d = *result.diagnostics;
  p.jarque_bera = Chidist(d.jarque_bera);
  p.breusch_pagan = Chidist(d.breusch_pagan);
  p.breusch_godfrey = Chidist(d.breusch_godfrey);
  if (d.reset.estatistica && d.reset.estatistica->numero &&
      ExcelFdist(d.reset.estatistica->valor, d.reset.gl, static_cast<double>(q.n - q.m - 2), value))
    p.reset = value;
  return p;
}

// The message of a residuals sheet that Excel's sheet cannot hold: it has a row for each
// observation below its header.
ToolMessage OversizeMessage(std::size_t observations, const SheetSize& sheet) {
  const std::string n = std::to_string(observations);
  const std::string rows = std::to_string(sheet.rows);
  const std::string most = std::to_string(sheet.rows - 1);
  const std::string pt =
      "A planilha de resíduos tem " + rows + " linhas e comporta no máximo " + most +
      " observações, mas o intervalo de dados tem " + n +
      ".\n\nReduza o intervalo de dados ou desmarque a opção \"Planilha de resíduos e "
      "gráfico\".\n\nO programa será interrompido!";
  const std::string en =
      "The residuals sheet has " + rows + " rows and holds at most " + most +
      " observations, but the data range has " + n +
      ".\n\nPlease, select a smaller data range or uncheck \"Residuals sheet and chart\".\n\nThe "
      "analysis will be interrupted!";
  return MessageOf(BilingualText{pt.c_str(), en.c_str()}, "linhas demais para a planilha");
}

const BilingualText& MessageFor(rlm::Falha falha) {
  return falha == rlm::Falha::Singular ? kSingular : kFailure;
}
} // namespace

// Fits the regression of the first column on the others and writes the sheet "RLM" (and the
// residuals sheet with its chart). A residuals sheet the sheet cannot hold is refused before
// anything is computed or opened.
void Tf_rlm::b_okClick(forms::Control&) {
  RunTool(*this, "RLM", kFailure, [this] {
    const rlm::Settings settings = ReadSettings(*this);
    const SheetSize sheet = SheetInUse();
    if (settings.residuals && Rows(dados) > sheet.rows - 1)
      return ToolRun{{}, OversizeMessage(Rows(dados), sheet)};
    ProgressOnStatusBar progress(Columns(dados) - 1);
    const auto result = rlm::Analyse(settings, dados, progress.Reporter(),
                                     progress.Steps(Rows(dados), Columns(dados)));
    if (result)
      return ToolRun{rlm::Sheet(settings, dados, *result, AskExcel(settings, *result)), {}};
    const rlm::Stop& stop = result.motivo();
    const ToolMessage message = MessageOf(MessageFor(stop.reason), rlm::Reason(stop.reason));
    if (!stop.reached) return ToolRun{rlm::StoppedSheet(settings), message};
    return ToolRun{
        rlm::Sheet(settings, dados, *stop.reached, AskExcel(settings, *stop.reached), false),
        message};
  });
}
