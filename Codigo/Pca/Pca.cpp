#include "Pca.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "Analise.h"
#include "Distribuicoes.h"
#include "Ferramenta.h"
#include "Folha.h"
#include "Saida.h"

Tf_pca* f_pca = nullptr;

// Sized for the longer of the Portuguese and English texts: a line of text 8 units high, a
// check box 10, an edit 12, a push button 50 by 14; 7 units of margin. OK and Cancel come
// first, as the dialog has always declared them.
const DialogTable kPcaDialog{
    "PCA - Análise de Componentes Principais",
    "PCA - Principal Component Analysis",
    280,
    227,
    {
        {.name = "b_ok",
         .kind = ControlKind::Button,
         .pt = "OK",
         .en = "OK",
         .at = {169, 206, 50, 14}},
        {.name = "b_cancelar",
         .kind = ControlKind::Button,
         .pt = "Cancelar",
         .en = "Cancel",
         .at = {223, 206, 50, 14}},
        {.name = "titulo1",
         .kind = ControlKind::Label,
         .pt = "Intervalo de dados ou matriz de correlações para análise de componentes "
               "principais - PCA:",
         .en = "Data range or correlation matrix for Principal Component Analysis - PCA",
         .at = {7, 7, 266, 16}},
        {.name = "intervalo", .kind = ControlKind::Edit, .at = {7, 25, 266, 12}, .enabled = false},
        {.name = "o_cores",
         .kind = ControlKind::CheckBox,
         .pt = "Gráficos e planilhas em preto e branco",
         .en = "Black and white output",
         .at = {7, 190, 266, 10}},
        // Offered only when the data can be a correlation matrix: the launch decides.
        {.name = "o_correl",
         .kind = ControlKind::CheckBox,
         .pt = "Dados representam matriz de correlações",
         .en = "Range of cells represents correlation matrix",
         .at = {7, 42, 266, 10}},
        {.name = "r_grupo",
         .kind = ControlKind::RadioGroup,
         .pt = " Critério de seleção de fatores ",
         .en = "Factor criteria selection",
         .items_pt = {"Critério de Kaiser", "Critério da Proporção"},
         .items_en = {"Kaiser criteria", "Proportion criteria"},
         .at = {7, 56, 150, 36},
         .item_index = 0},
        {.name = "seta",
         .kind = ControlKind::UpDown,
         .at = {190, 77, 10, 12},
         .min = 1,
         .max = 99,
         .enabled = false,
         .position = 1},
        {.name = "perc",
         .kind = ControlKind::MaskEdit,
         .at = {162, 77, 28, 12},
         .mask = "99%;0; ",
         .max_length = 3,
         .enabled = false,
         .colour = forms::clBtnFace},
        {.name = "o_scree",
         .kind = ControlKind::CheckBox,
         .pt = "Gerar gráfico de \"Scree test\"",
         .en = "Build \"Scree test\" chart",
         .at = {7, 97, 266, 10},
         .checked = true},
        {.name = "o_varimax",
         .kind = ControlKind::CheckBox,
         .pt = "Rotação VARIMAX",
         .en = "VARIMAX rotation",
         .at = {7, 109, 266, 10},
         .checked = true},
        {.name = "l_precisao",
         .kind = ControlKind::Label,
         .pt = "Precisão VARIMAX",
         .en = "VARIMAX precision",
         .at = {19, 124, 110, 8}},
        {.name = "l_iteracao",
         .kind = ControlKind::Label,
         .pt = "Número máximo de iterações",
         .en = "Maximum iterations",
         .at = {19, 139, 110, 8}},
        {.name = "precisao",
         .kind = ControlKind::MaskEdit,
         .at = {132, 122, 40, 12},
         .mask = "\\0,09999;0; ",
         .max_length = 7,
         .text = "001",
         .colour = forms::clWhite},
        {.name = "iteracao",
         .kind = ControlKind::MaskEdit,
         .at = {132, 137, 40, 12},
         .mask = "0999;0; ",
         .max_length = 4,
         .text = "100",
         .colour = forms::clWhite},
        // Scores and the parallel analysis need observations: not for a correlation matrix.
        {.name = "o_escores",
         .kind = ControlKind::CheckBox,
         .pt = "Escores dos componentes",
         .en = "Component scores",
         .at = {7, 154, 266, 10}},
        {.name = "o_adequacao",
         .kind = ControlKind::CheckBox,
         .pt = "Adequação da amostra (KMO e Bartlett)",
         .en = "Sampling adequacy (KMO and Bartlett)",
         .at = {7, 166, 266, 10}},
        {.name = "o_paralela",
         .kind = ControlKind::CheckBox,
         .pt = "Análise paralela (Horn)",
         .en = "Parallel analysis (Horn)",
         .at = {7, 178, 266, 10}},
    }};

Tf_pca::Tf_pca()
    : ToolDialog(kPcaDialog), titulo1(Bound<forms::Label>(*this, "titulo1")),
      intervalo(Bound<forms::Edit>(*this, "intervalo")),
      o_cores(Bound<forms::CheckBox>(*this, "o_cores")),
      o_correl(Bound<forms::CheckBox>(*this, "o_correl")),
      r_grupo(Bound<forms::RadioGroup>(*this, "r_grupo")),
      seta(Bound<forms::UpDown>(*this, "seta")), perc(Bound<forms::MaskEdit>(*this, "perc")),
      o_scree(Bound<forms::CheckBox>(*this, "o_scree")),
      o_varimax(Bound<forms::CheckBox>(*this, "o_varimax")),
      l_precisao(Bound<forms::Label>(*this, "l_precisao")),
      l_iteracao(Bound<forms::Label>(*this, "l_iteracao")),
      precisao(Bound<forms::MaskEdit>(*this, "precisao")),
      iteracao(Bound<forms::MaskEdit>(*this, "iteracao")),
      o_escores(Bound<forms::CheckBox>(*this, "o_escores")),
      o_adequacao(Bound<forms::CheckBox>(*this, "o_adequacao")),
      o_paralela(Bound<forms::CheckBox>(*this, "o_paralela")) {
  b_ok->OnClick = Handler(&Tf_pca::b_okClick);
  r_grupo->OnClick = Handler(&Tf_pca::r_grupoClick);
  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  o_varimax->OnClick = Handler(&Tf_pca::o_varimaxClick);
  o_correl->OnClick = Handler(&Tf_pca::o_correlClick);
  precisao->OnChange = Handler(&Tf_pca::precisaoChange);
  iteracao->OnChange = Handler(&Tf_pca::iteracaoChange);
}

void Tf_pca::SetDefaults(bool may_be_correlation_matrix) {
  ApplyDefaults();
  o_correl->Enabled = may_be_correlation_matrix;
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

// A correlation matrix has no observations: nothing to score, no n for the simulation.
void Tf_pca::o_correlClick(forms::Control&) {
  const bool observations = !o_correl->Checked();
  o_escores->Enabled = observations;
  o_paralela->Enabled = observations;
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

// The message each stop ends the run with; a negative eigenvalue's depends on the kind of input.
const BilingualText& MessageFor(const pca::Settings& settings, pca::Stop stop) {
  switch (stop) {
  case pca::Stop::NotACorrelationMatrix: return kNotACorrelationMatrix;
  case pca::Stop::NoCorrelations: return kCorrelationFailure;
  case pca::Stop::NoEigenvalues: return kFailure;
  case pca::Stop::NegativeEigenvalue:
    return settings.correlation_input ? kNegativeOfMatrix : kNegativeOfData;
  case pca::Stop::NoFactorByKaiser: return kNoFactorByKaiser;
  case pca::Stop::NoRotation: return kFailure;
  }
  return kFailure;
}

pca::Settings ReadSettings(const Tf_pca& dialog) {
  // The tolerance's edit holds the digits after "0,"; read whatever the C locale's decimal
  // point.
  const std::string digits = "0." + dialog.precisao->Text();
  double tolerance = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), tolerance);
  pca::Settings s{dialog.o_correl->Checked(),
                  dialog.r_grupo->ItemIndex() == 1 ? pca::Criterion::Proportion
                                                   : pca::Criterion::Kaiser,
                  static_cast<double>(DigitsValue(dialog.perc->Text())),
                  dialog.o_varimax->Checked(),
                  tolerance,
                  static_cast<std::uint32_t>(DigitsValue(dialog.iteracao->Text())),
                  dialog.o_scree->Checked(),
                  dialog.o_cores->Checked()};
  s.scores = !s.correlation_input && dialog.o_escores->Checked();
  s.adequacy = dialog.o_adequacao->Checked();
  s.parallel = !s.correlation_input && dialog.o_paralela->Checked();
  return s;
}

// The message of a scores sheet that Excel's sheet cannot hold: it has a row for each
// observation below its header.
ToolMessage OversizeMessage(std::size_t observations, const SheetSize& sheet) {
  const std::string n = std::to_string(observations);
  const std::string rows = std::to_string(sheet.rows);
  const std::string most = std::to_string(sheet.rows - 1);
  const std::string pt =
      "A planilha de escores tem " + rows + " linhas e comporta no máximo " + most +
      " observações, mas o intervalo de dados tem " + n +
      ".\n\nReduza o intervalo de dados ou desmarque a opção \"Escores dos componentes\".\n\nO "
      "programa será interrompido!";
  const std::string en =
      "The scores sheet has " + rows + " rows and holds at most " + most +
      " observations, but the data range has " + n +
      ".\n\nPlease, select a smaller data range or uncheck \"Component scores\".\n\nThe analysis "
      "will be interrupted!";
  return MessageOf(BilingualText{pt.c_str(), en.c_str()}, "linhas demais para a planilha");
}

// Excel's CHIDIST of Bartlett's chi-squared, when the sheet shows one.
std::optional<double> BartlettP(const pca::Analysis& analysis) {
  double value = 0;
  const auto& b = analysis.extras.sphericity;
  if (b && ExcelChidist(b->qui2, b->gl, value)) return value;
  return std::nullopt;
}
} // namespace

// Computes the components of the data (or of the correlation matrix given as the range) and
// writes them; a stop on the way ends the run with its message, after what was reached.
void Tf_pca::b_okClick(forms::Control&) {
  RunTool(*this, "PCA", kFailure, [this] {
    const pca::Settings settings = ReadSettings(*this);
    const SheetSize sheet = SheetInUse();
    if (settings.scores && Rows(dados) > sheet.rows - 1)
      return ToolRun{{}, OversizeMessage(Rows(dados), sheet)};
    const auto analysis = pca::Analyse(settings, dados);
    if (!analysis) {
      const pca::Failure& failure = analysis.motivo();
      return ToolRun{pca::Sheet(settings, failure),
                     MessageOf(MessageFor(settings, failure.stop), pca::Reason(failure))};
    }
    return ToolRun{pca::Sheet(settings, *analysis, BartlettP(*analysis)), {}};
  });
}
