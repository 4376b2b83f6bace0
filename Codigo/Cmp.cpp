#include "Cmp.h"

Tf_cmp* f_cmp = nullptr;

Tf_cmp::Tf_cmp() : ToolDialog("Comparação de Interpolações") {
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Caption = "Cubic Spline Natural  X  Interpolação Exponencial";
  titulo2 = Add<forms::Label>("titulo2");
  titulo2->Caption = "Intervalo de dados com pontos para curva de juros:";
  intervalo = Add<forms::Edit>("intervalo");
  intervalo->Enabled = false;
  o_cores = Add<forms::CheckBox>("o_cores");
  o_cores->Caption = "Gráfico em preto e branco";
  b_ok = Add<forms::Button>("b_ok");
  b_ok->Caption = "OK";
  b_cancelar = Add<forms::Button>("b_cancelar");
  b_cancelar->Caption = "Cancelar";

  b_ok->OnClick = Handler(&Tf_cmp::b_okClick);
  b_cancelar->OnClick = Handler(&Tf_cmp::b_cancelarClick);
}

void Tf_cmp::UseEnglish() {
  Caption = "Comparative Interpolation";
  titulo1->Caption = "Natural Cubic Spline X Exponentially Interpolation";
  titulo2->Caption = "Yield curve range data";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

// The comparison chart is not part of the add-in yet: OK hides the dialog and closes it
// without writing anything.
void Tf_cmp::b_okClick(forms::Control&) {
  Hide();
  Close();
}
