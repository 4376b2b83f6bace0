#include "Pca.h"

Tf_pca* f_pca = nullptr;

Tf_pca::Tf_pca() : ToolDialog("PCA - Análise de Componentes Principais") {
  AddOkAndCancel();
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Caption = "Intervalo de dados ou matriz de correlações para análise de componentes "
                     "principais - PCA:";
  intervalo = Add<forms::Edit>("intervalo");
  intervalo->Enabled = false;
  o_cores = Add<forms::CheckBox>("o_cores");
  o_cores->Caption = "Gráficos e planilhas em preto e branco";
  o_correl = Add<forms::CheckBox>("o_correl");
  o_correl->Caption = "Dados representam matriz de correlações";
  r_grupo = Add<forms::RadioGroup>("r_grupo");
  r_grupo->Caption = " Critério de seleção de fatores ";
  r_grupo->Items = {"Critério de Kaiser", "Critério da Proporção"};
  r_grupo->SetItemIndex(0);
  seta = Add<forms::UpDown>("seta");
  seta->Min = 1;
  seta->Max = 99;
  seta->SetPosition(1);
  seta->Wrap = false;
  seta->Enabled = false;
  perc = Add<forms::MaskEdit>("perc", "99%;0; ");
  perc->MaxLength = 3;
  perc->Enabled = false;
  perc->ControlColor = forms::clBtnFace;
  o_scree = Add<forms::CheckBox>("o_scree");
  o_scree->Caption = "Gerar gráfico de \"Scree test\"";
  o_scree->SetChecked(true);
  o_varimax = Add<forms::CheckBox>("o_varimax");
  o_varimax->Caption = "Rotação VARIMAX";
  o_varimax->SetChecked(true);
  l_precisao = Add<forms::Label>("l_precisao");
  l_precisao->Caption = "Precisão VARIMAX";
  l_iteracao = Add<forms::Label>("l_iteracao");
  l_iteracao->Caption = "Número máximo de iterações";
  precisao = Add<forms::MaskEdit>("precisao", "\\0,09999;0; ");
  precisao->MaxLength = 7;
  precisao->ControlColor = forms::clWhite;
  iteracao = Add<forms::MaskEdit>("iteracao", "0999;0; ");
  iteracao->MaxLength = 4;
  iteracao->ControlColor = forms::clWhite;

  b_ok->OnClick = Handler(&Tf_pca::b_okClick);
  r_grupo->OnClick = Handler(&Tf_pca::r_grupoClick);
  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  o_varimax->OnClick = Handler(&Tf_pca::o_varimaxClick);
  precisao->OnChange = Handler(&Tf_pca::precisaoChange);
  iteracao->OnChange = Handler(&Tf_pca::iteracaoChange);
}

void Tf_pca::UseEnglish() {
  Caption = "PCA - Principal Component Analysis";
  titulo1->Caption = "Data range or correlation matrix for Principal Component Analysis - PCA";
  o_correl->Caption = "Range of cells represents correlation matrix";
  r_grupo->Caption = "Factor criteria selection";
  r_grupo->Items = {"Kaiser criteria", "Proportion criteria"};
  o_scree->Caption = "Build \"Scree test\" chart";
  o_varimax->Caption = "VARIMAX rotation";
  l_precisao->Caption = "VARIMAX precision";
  l_iteracao->Caption = "Maximum iterations";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

void Tf_pca::SetDefaults(bool may_be_correlation_matrix) {
  o_correl->SetChecked(false);
  o_correl->Enabled = may_be_correlation_matrix;
  r_grupo->SetItemIndex(0);
  perc->Enabled = false;
  perc->ControlColor = forms::clBtnFace;
  seta->Enabled = false;
  seta->SetPosition(1);
  o_scree->SetChecked(true);
  o_varimax->SetChecked(true);
  l_precisao->Enabled = true;
  precisao->Enabled = true;
  precisao->ControlColor = forms::clWhite;
  precisao->SetText("001");
  l_iteracao->Enabled = true;
  iteracao->Enabled = true;
  iteracao->ControlColor = forms::clWhite;
  iteracao->SetText("100");
  b_ok->Enabled = true;
}

// The proportion criterion needs its percentage: 80 % when the arrows were never used.
void Tf_pca::r_grupoClick(forms::Control&) {
  const bool proportion = r_grupo->ItemIndex() == 1;
  perc->Enabled = proportion;
  seta->Enabled = proportion;
  perc->ControlColor = proportion ? forms::clWhite : forms::clBtnFace;
  if (proportion && seta->Position() == 1) {
    perc->SetText("80");
    seta->SetPosition(80);
  }
}

void Tf_pca::setaClick(forms::UpDown&, forms::UpDownButton button) {
  StepNumber(*seta, *perc, button);
}

// The tolerance and the sweeps matter only to the rotation. Without it a zero tolerance no
// longer holds OK back; ticking it again judges the tolerance anew.
void Tf_pca::o_varimaxClick(forms::Control&) {
  const bool rotate = o_varimax->Checked();
  l_precisao->Enabled = rotate;
  l_iteracao->Enabled = rotate;
  precisao->Enabled = rotate;
  iteracao->Enabled = rotate;
  precisao->ControlColor = rotate ? forms::clWhite : forms::clBtnFace;
  iteracao->ControlColor = rotate ? forms::clWhite : forms::clBtnFace;
  if (rotate) {
    precisaoChange(*precisao);
  } else {
    b_ok->Enabled = true;
    precisao->FontColor = forms::clBlack;
  }
}

// A tolerance of 0 (only zeros after "0,") cannot end a rotation: OK waits for another one.
void Tf_pca::precisaoChange(forms::Control&) {
  const bool zero = DigitsValue(precisao->Text()) == 0;
  b_ok->Enabled = !zero;
  precisao->ControlColor = zero ? forms::clRed : forms::clWhite;
  precisao->FontColor = zero ? forms::clWhite : forms::clBlack;
}

// A maximum of 0 sweeps is not taken: the edit goes back to what it held before.
void Tf_pca::iteracaoChange(forms::Control&) {
  const std::string& text = iteracao->Text();
  if (!text.empty() && text.find_first_not_of('0') == std::string::npos) iteracao->Reset();
}

// The analysis is not part of the add-in yet: OK hides the dialog and closes it without
// writing anything.
void Tf_pca::b_okClick(forms::Control&) {
  Hide();
  Close();
}
