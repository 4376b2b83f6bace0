#include "Ica.h"

#include <algorithm>

Tf_ica* f_ica = nullptr;

Tf_ica::Tf_ica() : ToolDialog("ICA - Análise de Componentes Independentes") {
  AddOkAndCancel();
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Caption = "Intervalo de dados para análise de componentes independentes - ICA:";
  intervalo = Add<forms::Edit>("intervalo");
  intervalo->Enabled = false;
  o_cores = Add<forms::CheckBox>("o_cores");
  o_cores->Caption = "Planilhas em preto e branco";
  limite = Add<forms::MaskEdit>("limite", "09;0; ");
  limite->MaxLength = 2;
  limite->Enabled = false;
  limite->ControlColor = forms::clBtnFace;
  seta = Add<forms::UpDown>("seta");
  seta->Min = 1;
  seta->Max = 99;
  seta->SetPosition(1);
  seta->Wrap = false;
  seta->Enabled = false;
  o_limite = Add<forms::CheckBox>("o_limite");
  o_limite->Caption = "Limitar número de componentes a:";
  o_mix = Add<forms::CheckBox>("o_mix");
  o_mix->Caption = "Reproduzir matrizes de \"mixing\" e \"demixing\"";
  o_mix->SetChecked(true);
  o_mix->Enabled = false;
  o_ica = Add<forms::CheckBox>("o_ica");
  o_ica->Caption = "Reproduzir componentes independentes";

  b_ok->OnClick = Handler(&Tf_ica::b_okClick);
  limite->OnChange = Handler(&Tf_ica::limiteChange);
  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  o_limite->OnClick = Handler(&Tf_ica::o_limiteClick);
  o_ica->OnClick = Handler(&Tf_ica::o_icaClick);
}

void Tf_ica::UseEnglish() {
  Caption = "ICA - Independent Component Analysis";
  titulo1->Caption = "Data range for Independent Component Analysis - ICA";
  o_limite->Caption = "Number of components limited to:";
  o_mix->Caption = "Show \"mixing\" and \"demixing\" matrix";
  o_ica->Caption = "Show independent components";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

void Tf_ica::SetDefaults(unsigned signals) {
  o_limite->SetChecked(false);
  limite->Enabled = false;
  limite->ControlColor = forms::clBtnFace;
  seta->Enabled = false;
  seta->SetPosition(1);
  seta->Max = static_cast<int>(std::min(signals, 99u));
  o_cores->SetChecked(false);
  o_mix->SetChecked(true);
  o_mix->Enabled = false;
  o_ica->SetChecked(false);
}

// A limit of 0 components, or of more than the data has signals, holds OK back while the limit
// is in use.
void Tf_ica::limiteChange(forms::Control&) {
  const int v = DigitsValue(limite->Text());
  const bool invalid = v == 0 || v > seta->Max;
  const bool refused = invalid && o_limite->Checked();
  b_ok->Enabled = !refused;
  limite->ControlColor = refused ? forms::clRed : forms::clWhite;
  limite->FontColor = refused ? forms::clWhite : forms::clBlack;
}

// Ticked, the limit starts at the up-down's position. Unticked, the limit no longer applies,
// so a limit that was refused no longer holds OK back.
void Tf_ica::o_limiteClick(forms::Control&) {
  const bool limited = o_limite->Checked();
  limite->Enabled = limited;
  seta->Enabled = limited;
  if (limited) {
    limite->ControlColor = forms::clWhite;
    limite->SetText(std::to_string(seta->Position()));
    limiteChange(*limite);
  } else {
    limite->ControlColor = forms::clBtnFace;
    limite->FontColor = forms::clBlack;
    b_ok->Enabled = true;
  }
}

void Tf_ica::setaClick(forms::UpDown&, forms::UpDownButton button) {
  StepNumber(*seta, *limite, button);
}

// Something must be written: without the components, the matrices are.
void Tf_ica::o_icaClick(forms::Control&) {
  if (o_ica->Checked()) {
    o_mix->Enabled = true;
  } else {
    o_mix->Enabled = false;
    o_mix->SetChecked(true);
  }
}

// The analysis is not part of the add-in yet: OK hides the dialog and closes it without
// writing anything.
void Tf_ica::b_okClick(forms::Control&) {
  Hide();
  Close();
}
