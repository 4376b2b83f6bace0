#include "Pca.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "Funcoes/Autovalores.h"
#include "Funcoes/ComponentesPrincipais.h"
#include "Funcoes/Varimax.h"
#include "Leiautes.h"
#include "PcaSaida.h"

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
  LayOutPca(*this);
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

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de análise de componentes principais - PCA.\nDesconsidere "
    "qualquer resultado e tente novamente.\n\nSe o problema persistir, entre em contato com o "
    "suporte da Corvane Lathi.",
    "Some errors occurred during PCA setup.\nPlease, disregard any results and try again or "
    "contact Corvane Lathi for assistance."};
const BilingualText kCorrelationFailure{
    kFailure.pt, "Some errors occurred during PCA setup.\n\nPlease, disregard any results and try "
                 "again or contact Corvane Lathi for assistance."};
const BilingualText kNegativeOfMatrix{
    "A matriz de correlações informada não é uma matriz válida (positiva-definida) e possui "
    "autovalores negativos, inutilizando os resultados da análise PCA.\n\nO programa será "
    "interrompido!",
    "Correlation matrix is not valid (positive-defined) and has negative eigenvalues, blocking "
    "PCA results.\n\nThe analysis will be interrupted!"};
const BilingualText kNegativeOfData{
    "Os dados informados geraram um matriz de correlações inválida (positiva-definida) que possui "
    "autovalores negativos, inutilizando os resultados da análise PCA.\n\nO programa será "
    "interrompido!",
    "Data did not create a valid correlation matrix (positive-defined) because of negative "
    "eigenvalues, blocking PCA results.\n\nThe analysis will be interrupted!"};
const BilingualText kNotACorrelationMatrix{
    "O intervalo informado não é uma matriz de correlações válida (simétrica e com diagonal igual "
    "a 1), inutilizando os resultados da análise PCA.\n\nO programa será interrompido!",
    "Range of cells is not a valid correlation matrix (symmetric with ones on the diagonal), "
    "blocking PCA results.\n\nThe analysis will be interrupted!"};
const BilingualText kNoFactorByKaiser{
    "Nenhum autovalor é maior que 1, e o critério de Kaiser não seleciona nenhum fator.\n\nUtilize "
    "o critério da proporção para selecionar os fatores.",
    "No eigenvalue is greater than 1, so Kaiser criteria selects no factor.\n\nPlease, use "
    "proportion criteria to select factors."};

// The dialog's settings when OK was pressed.
struct Settings {
  bool correlation_input;
  bool proportion;
  double pct;
  bool rotate;
  double tolerance;
  std::uint32_t sweeps;
  bool scree;
};

Settings ReadSettings(const Tf_pca& dialog) {
  // The tolerance's edit holds the digits after "0,"; read whatever the C locale's decimal
  // point.
  const std::string digits = "0." + dialog.precisao->Text();
  double tolerance = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), tolerance);
  return Settings{dialog.o_correl->Checked(),
                  dialog.r_grupo->ItemIndex() == 1,
                  static_cast<double>(DigitsValue(dialog.perc->Text())),
                  dialog.o_varimax->Checked(),
                  tolerance,
                  static_cast<std::uint32_t>(DigitsValue(dialog.iteracao->Text())),
                  dialog.o_scree->Checked()};
}

// How a run ended: with the sheet finished (best fit, A1, screen updating on), or stopped at
// a failure's message with the sheet as it was.
enum class End { Finish, Stop };

End Analyse(const Tf_pca& dialog, PcaSheet& sheet) {
  const Settings settings = ReadSettings(dialog);
  sheet.Open();
  Matriz R;
  if (settings.correlation_input) {
    R = dialog.dados;
    sheet.WriteCorrelationInput();
    if (!e_matriz_de_correlacoes(R)) {
      ShowToolMessage(kNotACorrelationMatrix);
      return End::Finish;
    }
  } else {
    std::vector<double> means, deviations;
    if (!correlacoes(dialog.dados, R, means, deviations)) {
      ShowToolMessage(kCorrelationFailure);
      return End::Stop;
    }
    sheet.WriteData(Rows(dialog.dados), means, deviations, R);
  }

  std::vector<double> lambda;
  Matriz V;
  if (!autovalores(R, lambda, V)) {
    ShowToolMessage(kFailure);
    return End::Stop;
  }
  if (std::any_of(lambda.begin(), lambda.end(), [](double l) { return l < 0; })) {
    ShowToolMessage(settings.correlation_input ? kNegativeOfMatrix : kNegativeOfData);
    return End::Finish;
  }
  const TabelaAutovalores table = tabela_autovalores(lambda);
  sheet.WriteEigenvalues(lambda, table);

  const std::size_t k = settings.proportion ? fatores_proporcao(table.acumuladas, settings.pct)
                                            : fatores_kaiser(lambda);
  if (k == 0) {
    ShowToolMessage(kNoFactorByKaiser);
    return End::Finish;
  }
  const Matriz L = cargas(lambda, V, k);
  sheet.WriteLoadings(settings.proportion, settings.pct, lambda, V, L);
  sheet.WriteCommunalities(L);

  if (settings.rotate) {
    Matriz T, M;
    if (!varimax(L, static_cast<std::int32_t>(k) - 1, settings.tolerance, settings.sweeps, T) ||
        !multiplica(L, T, M)) {
      ShowToolMessage(kFailure);
      return End::Stop;
    }
    sheet.WriteVarimax(T, M);
  }
  if (settings.scree) sheet.WriteScree();
  return End::Finish;
}
} // namespace

// Computes the components of the data (or of the correlation matrix given as the range) and
// writes them; a failure on the way ends the run with the tool's message, leaving what was
// written. The dialog closes either way.
void Tf_pca::b_okClick(forms::Control&) {
  Hide();
  try {
    PcaSheet sheet(*this, Columns(dados));
    if (Analyse(*this, sheet) == End::Finish) sheet.Finish();
  } catch (...) {
    ShowToolMessage(kFailure);
  }
  Close();
}
