#include "Histograma.h"

#include <algorithm>

Tf_hist* f_hist = nullptr;

Tf_hist::Tf_hist() : ToolDialog("Histograma de Dados - Configurações") {
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Caption = "Intervalo de dados para histograma:";
  intervalo = Add<forms::Edit>("intervalo");
  intervalo->Enabled = false;
  titulo2 = Add<forms::Label>("titulo2");
  titulo2->Caption = "Número de faixas para o histograma:";
  faixas = Add<forms::MaskEdit>("faixas", "99;0; ");
  faixas->MaxLength = 2;
  seta = Add<forms::UpDown>("seta");
  seta->Min = 1;
  seta->Max = 99;
  seta->SetPosition(1);
  seta->Wrap = false;
  r_grupo = Add<forms::RadioGroup>("r_grupo");
  r_grupo->Caption = " Universo de dados ";
  r_grupo->Items = {"Amostra", "População"};
  r_grupo->SetItemIndex(0);
  o_retorno = Add<forms::CheckBox>("o_retorno");
  o_retorno->Caption = "Gerar histograma dos retornos para cotações";
  o_normal = Add<forms::CheckBox>("o_normal");
  o_normal->Caption = "Apresentar adicionalmente histograma normalizado";
  o_indicadores = Add<forms::CheckBox>("o_indicadores");
  o_indicadores->Caption = "Incluir indicadores estatísticos para as faixas";
  o_cores = Add<forms::CheckBox>("o_cores");
  o_cores->Caption = "Gráficos e planilhas em preto e branco";
  b_ok = Add<forms::Button>("b_ok");
  b_ok->Caption = "OK";
  b_cancelar = Add<forms::Button>("b_cancelar");
  b_cancelar->Caption = "Cancelar";

  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  faixas->OnChange = Handler(&Tf_hist::faixasChange);
  b_ok->OnClick = Handler(&Tf_hist::b_okClick);
  b_cancelar->OnClick = Handler(&Tf_hist::b_cancelarClick);
}

void Tf_hist::UseEnglish() {
  Caption = "Data Histogram - Settings";
  // The data range's heading, worded as the other tools' headings are.
  titulo1->Caption = "Data range for histogram:";
  titulo2->Caption = "Number of histogram ranges";
  r_grupo->Caption = "Data type";
  r_grupo->Items = {"Sample", "Population"};
  o_retorno->Caption = "Histogram of returns from asset prices";
  o_normal->Caption = "Add normalized histogram";
  o_indicadores->Caption = "Add histogram range indicators";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

void Tf_hist::SetDefaults(unsigned numeric_cells) {
  const int half = static_cast<int>(std::min(numeric_cells / 2, 99u));
  seta->Max = std::min(half, 50);
  seta->SetPosition(std::min(half, 15));
  faixas->SetText(std::to_string(seta->Position()));
  r_grupo->SetItemIndex(0);
  o_normal->SetChecked(false);
  o_indicadores->SetChecked(false);
  o_cores->SetChecked(false);
  o_retorno->SetChecked(false);
}

// The arrows step the number of bins from the one typed, within the up-down's limits.
void Tf_hist::setaClick(forms::UpDown&, forms::UpDownButton button) {
  StepNumber(*seta, *faixas, button);
}

// A typed number of bins is kept between 1 and 99; the up-down stays where it was.
void Tf_hist::faixasChange(forms::Control&) {
  const int v = DigitsValue(faixas->Text());
  if (v < 1)
    faixas->SetText("1");
  else if (v > 99)
    faixas->SetText("99");
}

// The histogram's computation and output are not part of the add-in yet: OK hides the dialog
// and closes it without writing anything.
void Tf_hist::b_okClick(forms::Control&) {
  Hide();
  Close();
}
