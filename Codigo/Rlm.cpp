#include "Rlm.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Funcoes/QuadroRegressao.h"
#include "Funcoes/Regressao.h"
#include "Leiautes.h"
#include "RlmSaida.h"

Tf_rlm* f_rlm = nullptr;

Tf_rlm::Tf_rlm() : ToolDialog("RLM - Regressão Linear Múltipla") {
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Caption =
      "Intervalo de dados ou matriz de correlações para regressão linear múltipla - RLM.";
  intervalo = Add<forms::Edit>("intervalo");
  intervalo->Enabled = false;
  titulo2 = Add<forms::Label>("titulo2");
  titulo2->Caption = "(a primeira coluna deve ser a variável dependente)";
  o_equacao = Add<forms::CheckBox>("o_equacao");
  o_equacao->Caption = "Exibir equação de regressão";
  o_equacao->SetChecked(true);
  o_anova = Add<forms::CheckBox>("o_anova");
  o_anova->Caption = "Apresentar ANOVA";
  o_anova->SetChecked(true);
  o_combinada = Add<forms::CheckBox>("o_combinada");
  o_combinada->Caption = "Calcular correlações combinadas";
  o_cores = Add<forms::CheckBox>("o_cores");
  o_cores->Caption = "Planilhas em preto e branco";
  AddOkAndCancel();

  b_ok->OnClick = Handler(&Tf_rlm::b_okClick);
  LayOutRegression(*this);
}

void Tf_rlm::UseEnglish() {
  Caption = "MLR - Multiple Linear Regression";
  titulo1->Caption = "Data range or correlation matrix for multiple linear regression - MLR";
  titulo2->Caption = "(first column must be the dependent variable)";
  o_equacao->Caption = "Show regression equation";
  o_anova->Caption = "Show ANOVA";
  o_combinada->Caption = "Show cross correlations";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

// Combined correlations need at least three explanatory variables.
void Tf_rlm::SetDefaults(unsigned columns) {
  o_equacao->SetChecked(true);
  o_anova->SetChecked(true);
  o_combinada->SetChecked(false);
  o_combinada->Enabled = columns > 3;
  o_cores->SetChecked(false);
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

// From this many explanatory variables on, the combined correlations take about a second or
// more (k 2^(k-1) fits), and Excel's status bar tells how far they are.
constexpr std::size_t kProgressFrom = 18;
// At most this many status bar updates per second.
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

// The status bar's text at `percent` done.
std::string ProgressText(int percent) {
  char text[128];
  std::snprintf(text, sizeof text, kProgress.Text(), percent);
  return text;
}

// For each explanatory variable Xi, the nb combinations of the others that explain it best.
// False where correlacoes_combinadas fails.
bool BestCombinations(const Matriz& D, std::size_t nb,
                      std::vector<std::vector<CombinacaoR>>& best) {
  const std::size_t k = Columns(D) - 1;
  Matriz A(Rows(D));
  for (std::size_t r = 0; r < Rows(D); ++r)
    A[r].assign(D[r].begin() + 1, D[r].end());
  StatusBar status;
  const bool report = k >= kProgressFrom;
  const double total = static_cast<double>(k) * (std::ldexp(1.0, static_cast<int>(k) - 1) - 1);
  double before = 0;
  int shown = -1;
  auto last = std::chrono::steady_clock::now();
  auto show = [&](double done, bool now) {
    const int percent = static_cast<int>(100.0 * done / total);
    const auto at = std::chrono::steady_clock::now();
    if (percent == shown || (!now && at - last < kProgressInterval)) return;
    status.Show(ProgressText(percent));
    shown = percent;
    last = at;
  };
  ProgressoCombinacoes progress;
  if (report) {
    show(0, true);
    progress = [&](std::size_t visited) { show(before + static_cast<double>(visited), false); };
  }
  best.assign(k, {});
  for (std::size_t i = 0; i < k; ++i) {
    if (!correlacoes_combinadas_melhores(A, i, nb, best[i], progress)) return false;
    before += std::ldexp(1.0, static_cast<int>(k) - 1) - 1;
  }
  return true;
}

// How a run ended: with the sheet finished (best fit, A1, screen updating on), or stopped at
// a failure's message with the sheet as it was.
enum class End { Finish, Stop };

End Analyse(const Tf_rlm& dialog, RlmSheet& sheet) {
  const Matriz& D = dialog.dados;
  sheet.Open();
  ResultadoRegressao fit;
  if (!regressao_multipla(D, fit)) {
    ShowToolMessage(fit.falha == FalhaRegressao::Singular ? kSingular : kFailure);
    return End::Stop;
  }
  const QuadroRegressao q = quadro_regressao(fit, Rows(D));
  sheet.WriteHeading(q, dialog.o_equacao->Checked());
  sheet.WriteMeans(fit.medias, fit.desvios);
  sheet.WriteCoefficients(q);
  if (dialog.o_anova->Checked()) sheet.WriteAnova(q);
  sheet.WriteCorrelations(fit.correlacao);
  if (dialog.o_combinada->Checked()) {
    const std::size_t nb = combinacoes_mostradas(q.m);
    std::vector<std::vector<CombinacaoR>> best;
    if (!BestCombinations(D, nb, best)) {
      ShowToolMessage(kFailure);
      return End::Stop;
    }
    sheet.WriteCombined(nb, best);
  }
  return End::Finish;
}
} // namespace

// Fits the regression of the first column on the others and writes the sheet "RLM"; a
// failure on the way ends the run with the tool's message, leaving what was written. The
// dialog closes either way.
void Tf_rlm::b_okClick(forms::Control&) {
  Hide();
  try {
    RlmSheet sheet(*this);
    if (Analyse(*this, sheet) == End::Finish) sheet.Finish(Columns(dados));
  } catch (...) {
    ShowToolMessage(kFailure);
  }
  Close();
}
