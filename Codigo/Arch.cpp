#include "Arch.h"

#include <algorithm>
#include <string>

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

// The fit is not part of the add-in yet: OK hides the dialog and closes it without writing
// anything.
void Tf_arch::b_okClick(forms::Control&) {
  Hide();
  Close();
}
