#include "Rlm.h"

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

// The regression is not part of the add-in yet: OK hides the dialog and closes it without
// writing anything.
void Tf_rlm::b_okClick(forms::Control&) {
  Hide();
  Close();
}
