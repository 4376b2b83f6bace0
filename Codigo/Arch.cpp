#include "Arch.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "ArchSaida.h"
#include "Distribuicoes.h"
#include "Funcoes/EstatisticasArch.h"
#include "Funcoes/MelhorArch.h"
#include "Leiautes.h"
#include "Saida.h"
#include "StatusBar.h"

Tf_arch* f_arch = nullptr;

Tf_arch::Tf_arch() : ToolDialog("Volatilidade Condicional - Família ARCH") {
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Caption = "Intervalo contendo a série temporal de erros de regressão (ou retornos) ou "
                     "cotações:";
  intervalo = Add<forms::Edit>("intervalo");
  intervalo->Enabled = false;
  r_grupo = Add<forms::RadioGroup>("r_grupo");
  r_grupo->Caption = " Modelo ";
  r_grupo->Items = {"ARCH (q)", "GARCH (q,p)", "IGARCH (q,p)", "EGARCH(q,p)", "GJR(q,p)"};
  r_grupo->Columns = 2;
  r_grupo_2 = Add<forms::GroupBox>("r_grupo_2");
  r_grupo_2->Caption = "Modelo";
  r_grupo_2->Visible = false;
  const struct {
    forms::CheckBox** box;
    const char* name;
    const char* caption;
  } models[] = {{&o_arch, "o_arch", "ARCH(q)"},
                {&o_garch, "o_garch", "GARCH(q,p)"},
                {&o_igarch, "o_igarch", "IGARCH(q,p)"},
                {&o_egarch, "o_egarch", "EGARCH(q,p)"},
                {&o_gjr, "o_gjr", "GJR(q,p)"}};
  for (const auto& model : models) {
    *model.box = Add<forms::CheckBox>(model.name);
    (*model.box)->Caption = model.caption;
    (*model.box)->Parent = r_grupo_2;
  }
  l_q = Add<forms::Label>("l_q");
  l_q->Caption = "Ordem Q :";
  c_q = Add<forms::ComboBox>("c_q");
  c_q->Enabled = false;
  c_q->ControlColor = forms::clBtnFace;
  l_p = Add<forms::Label>("l_p");
  l_p->Caption = "Ordem P :";
  c_p = Add<forms::ComboBox>("c_p");
  c_p->Enabled = false;
  c_p->ControlColor = forms::clBtnFace;
  o_melhor = Add<forms::CheckBox>("o_melhor");
  o_melhor->Caption = "Calcular melhor modelo da família ARCH (critério mínimo)";
  r_akaike = Add<forms::RadioGroup>("r_akaike");
  r_akaike->Items = {"AIC (Akaike)", "AICc (Akaikec)", "BIC (Schwarz)"};
  r_akaike->Columns = 3;
  r_akaike->SetItemIndex(0);
  r_akaike->Enabled = false;
  o_retorno = Add<forms::CheckBox>("o_retorno");
  o_retorno->Caption = "Analisar retornos de cotações";
  o_retorno->SetChecked(true);
  o_log = Add<forms::CheckBox>("o_log");
  o_log->Caption = "Utilizar retornos logarítmicos";
  o_log->SetChecked(true);
  o_inversa = Add<forms::CheckBox>("o_inversa");
  o_inversa->Caption = "Dados em ordem inversa (mais recentes primeiro)";
  o_graf = Add<forms::CheckBox>("o_graf");
  o_graf->Caption = "Exibir gráfico de volatilidades condicionais";
  o_cores = Add<forms::CheckBox>("o_cores");
  o_cores->Caption = "Gráficos e planilhas em preto e branco";
  AddOkAndCancel();
  b_ok->Enabled = false;

  b_ok->OnClick = Handler(&Tf_arch::b_okClick);
  r_grupo->OnClick = Handler(&Tf_arch::r_grupoClick);
  o_retorno->OnClick = Handler(&Tf_arch::o_retornoClick);
  o_melhor->OnClick = Handler(&Tf_arch::o_melhorClick);
  o_arch->OnClick = Handler(&Tf_arch::o_archClick);
  o_garch->OnClick = Handler(&Tf_arch::o_garchClick);
  o_igarch->OnClick = Handler(&Tf_arch::o_igarchClick);
  o_egarch->OnClick = Handler(&Tf_arch::o_egarchClick);
  o_gjr->OnClick = Handler(&Tf_arch::o_gjrClick);
  LayOutArch(*this);
}

void Tf_arch::UseEnglish() {
  Caption = "Conditional Volatility - ARCH Family";
  titulo1->Caption =
      "Data range with regression errors (or asset returns) or asset prices for ARCH model:";
  r_grupo->Caption = "Model";
  r_grupo_2->Caption = "Model";
  l_q->Caption = "Q order";
  l_p->Caption = "P order";
  o_melhor->Caption = "Find best model (minimum criteria)";
  o_retorno->Caption = "Analysis of returns from asset prices";
  o_log->Caption = "Use log returns";
  o_inversa->Caption = "Reverse order (recent data appears first)";
  o_graf->Caption = "Show volatility chart";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

// The orders offered go up to 7, and below the number of values.
void Tf_arch::SetDefaults(unsigned numbers) {
  r_grupo->SetItemIndex(-1);
  b_ok->Enabled = false;
  const unsigned orders = std::min(numbers - 1, 7u);
  for (forms::ComboBox* list : {c_q, c_p}) {
    list->Clear();
    for (unsigned order = 1; order <= orders; ++order)
      list->Items.push_back(std::to_string(order));
    list->SetItemIndex(0);
    list->Enabled = false;
    list->ControlColor = forms::clBtnFace;
  }
  o_retorno->SetChecked(true);
  o_log->SetChecked(true);
  o_log->Enabled = true;
  o_graf->SetChecked(false);
  o_inversa->SetChecked(false);
  o_cores->SetChecked(false);
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
  if (best)
    OfferOkForModels();
  else
    b_ok->Enabled = false;
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

Tratamento Tf_arch::Treatment() const {
  return TreatmentOf(o_retorno->Checked(), o_log->Checked());
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
const BilingualText kBestSheet{"Melhor ARCH", "Best ARCH"};
const BilingualText kSearchProgress{"Melhor modelo ARCH: %zu de %zu — %s",
                                    "Best ARCH model: %zu of %zu — %s"};
const BilingualText kFitProgress{"Estimando %s…", "Estimating %s…"};

// A single fit that takes longer than this shows itself on the status bar.
constexpr auto kQuietFit = std::chrono::seconds(1);

// The criterion of best-model mode; no selection counts as AIC.
CriterioArch Criterion(const Tf_arch& dialog) {
  const int item = dialog.r_akaike->ItemIndex();
  return item == 1 ? CriterioArch::Aicc : item == 2 ? CriterioArch::Bic : CriterioArch::Aic;
}

template <typename... Values> std::string Formatted(const BilingualText& text, Values... values) {
  char line[256];
  std::snprintf(line, sizeof line, text.Text(), values...);
  return line;
}

// One model fitted as estima_arch fits it, on a thread of its own so that the status bar can
// tell of a long fit; Excel is called from this thread only.
AjusteArch FitOne(const EspecArch& m, const std::vector<double>& x) {
  auto fit = std::async(std::launch::async, [&] {
    AjusteArch result;
    result.espec = m;
    result.resultado = estima_arch(m.modelo, m.q, m.r, m.p, x, result.theta, result.LL);
    return result;
  });
  StatusBar status;
  if (fit.wait_for(kQuietFit) != std::future_status::ready)
    status.Show(Formatted(kFitProgress, NomeModeloArch(m).c_str()));
  return fit.get();
}

// Every candidate of the checked models below the maxima, on every core, the progress on the
// status bar; the one of least criterion. Throws when no candidate converged.
AjusteArch FitBest(const Tf_arch& dialog, int qmax, int pmax, const std::vector<double>& x) {
  const std::array<bool, 5> models{dialog.o_arch->Checked(), dialog.o_garch->Checked(),
                                   dialog.o_igarch->Checked(), dialog.o_egarch->Checked(),
                                   dialog.o_gjr->Checked()};
  const std::vector<EspecArch> candidates = candidatos_arch(models, qmax, pmax);
  if (candidates.empty()) throw std::runtime_error("no order pair to try");
  StatusBar status;
  const std::size_t total = candidates.size();
  const std::vector<AjusteArch> fits = ajusta_candidatos(
      candidates, x, std::max(1u, std::thread::hardware_concurrency()),
      [&](std::size_t done, const EspecArch& ended) {
        status.Show(Formatted(kSearchProgress, done, total, NomeModeloArch(ended).c_str()));
      });
  const std::optional<std::size_t> best = melhor_ajuste(fits, x.size(), Criterion(dialog));
  if (!best) throw std::runtime_error("no candidate converged");
  return fits[*best];
}

// What the sheet shows of a fit: the tests of the parameters (their p-values from Excel's
// CHIDIST), the volatilities and the criteria.
ResultadoArch Statistics(const AjusteArch& fit, const std::vector<double>& x,
                         const std::vector<double>& h, bool log_returns) {
  ResultadoArch r;
  r.espec = fit.espec;
  r.nome = NomeModeloArch(fit.espec);
  r.convergiu = fit.resultado == 1;
  r.theta = fit.theta;
  r.LL = fit.LL;
  r.T = x.size();
  r.lr = razoes_verossimilhanca(fit.espec, x, fit.theta);
  r.p.resize(r.lr.size());
  for (std::size_t i = 0; i < r.lr.size(); ++i) {
    double p = 0;
    if (r.lr[i] > 0 && ExcelChidist(r.lr[i], 1, p)) r.p[i] = p;
  }
  // Volatilities of log returns are shown as simple returns.
  auto shown = [&](double v) { return log_returns ? std::expm1(v) : v; };
  r.vol_atual = shown(std::sqrt(h.back()));
  if (estacionario(fit.espec, fit.theta))
    r.vol_incondicional =
        shown(std::sqrt(fit.theta[0] / (1 - soma_persistencia(fit.espec, fit.theta))));
  r.criterios = criterios_arch(fit.LL, x.size(), fit.espec.k());
  return r;
}
} // namespace

// Fits the chosen model, or in best-model mode every checked model at every order below the
// maxima keeping the one of least criterion, and writes its sheet (and the chart on request).
// A fit that hit the iteration limit is told and shown as it stands; any other failure ends
// the run with the tool's message, leaving what was written. The dialog closes either way.
void Tf_arch::b_okClick(forms::Control&) {
  Hide();
  try {
    const int qmax = c_q->ItemIndex() + 1, pmax = c_p->ItemIndex() + 1;
    const int code = r_grupo->ItemIndex();
    const bool single = code >= 0 && code <= 4;
    if (!single && !o_melhor->Checked()) throw std::runtime_error("no model chosen");
    if (qmax < 1 || pmax < 1) throw std::runtime_error("no order chosen");
    const EspecArch chosen = espec_arch(static_cast<ModeloArch>(single ? code : 0), qmax, pmax);
    const std::string sheet = single ? NomeModeloArch(chosen) : kBestSheet.Text();
    OpenResultWorkbook(sheet, o_cores->Checked());

    std::vector<double> x;
    try {
      x = PreparedSeries(serie, o_inversa->Checked(), Treatment());
    } catch (const NonPositiveRatio&) {
      ShowToolMessage(kLogFailure);
      Close();
      return;
    }
    if (x.size() < 2) throw std::runtime_error("too short a series");

    AjusteArch fit;
    if (single) {
      fit = FitOne(chosen, x);
      if (fit.resultado == 0) throw std::runtime_error("no such model");
      if (fit.resultado != 1) ShowToolMessage(kNoConvergence);
    } else {
      fit = FitBest(*this, qmax, pmax, x);
    }

    const std::vector<double> h = variancias_condicionais(fit.espec, x, fit.theta);
    const ResultadoArch result = Statistics(fit, x, h, o_log->Checked());
    ArchSheet output(*this);
    output.Write(result, single ? std::nullopt : std::optional(Criterion(*this)));
    if (o_graf->Checked()) {
      const PontosGrafico points = pontos_grafico(x.size(), result.vol_incondicional.has_value());
      const std::vector<double> projection =
          result.vol_incondicional
              ? variancias_projetadas(fit.espec, x, fit.theta, points.pontos - points.observacoes)
              : std::vector<double>{};
      output.WriteChart(result, SerieGraficoArch{x, h, projection, points});
    }
    output.Finish(sheet, result);
  } catch (...) {
    ShowToolMessage(kFailure);
  }
  Close();
}
