#include "Decay.h"

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

// The search for the best decay is not part of the add-in yet: OK hides the dialog and closes
// it without writing anything.
void Tf_decay::b_okClick(forms::Control&) {
  Hide();
  Close();
}
