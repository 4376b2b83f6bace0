#include "Ica.h"

#include <algorithm>
#include <string>

#include "Analise.h"
#include "Ferramenta.h"
#include "Folha.h"
#include "Saida.h"

Tf_ica* f_ica = nullptr;

// Sized for the longer of the Portuguese and English texts: a line of text 8 units high, a
// check box 10, an edit 12, a push button 50 by 14; 7 units of margin. OK and Cancel come
// first, as the dialog has always declared them.
const DialogTable kIcaDialog{
    "ICA - Análise de Componentes Independentes",
    "ICA - Independent Component Analysis",
    270,
    135,
    {
        {.name = "b_ok",
         .kind = ControlKind::Button,
         .pt = "OK",
         .en = "OK",
         .at = {159, 114, 50, 14}},
        {.name = "b_cancelar",
         .kind = ControlKind::Button,
         .pt = "Cancelar",
         .en = "Cancel",
         .at = {213, 114, 50, 14}},
        {.name = "titulo1",
         .kind = ControlKind::Label,
         .pt = "Intervalo de dados para análise de componentes independentes - ICA:",
         .en = "Data range for Independent Component Analysis - ICA",
         .at = {7, 7, 256, 16}},
        {.name = "intervalo", .kind = ControlKind::Edit, .at = {7, 25, 256, 12}, .enabled = false},
        {.name = "o_cores",
         .kind = ControlKind::CheckBox,
         .pt = "Planilhas em preto e branco",
         .en = "Black and white output",
         .at = {7, 98, 256, 10}},
        {.name = "limite",
         .kind = ControlKind::MaskEdit,
         .at = {144, 43, 22, 12},
         .mask = "09;0; ",
         .max_length = 2,
         .enabled = false,
         .colour = forms::clBtnFace},
        // Its maximum is the number of signals, at most 99: the launch sets it.
        {.name = "seta",
         .kind = ControlKind::UpDown,
         .at = {166, 43, 10, 12},
         .min = 1,
         .max = 99,
         .enabled = false,
         .position = 1},
        {.name = "o_limite",
         .kind = ControlKind::CheckBox,
         .pt = "Limitar número de componentes a:",
         .en = "Number of components limited to:",
         .at = {7, 44, 135, 10}},
        {.name = "o_mix",
         .kind = ControlKind::CheckBox,
         .pt = "Reproduzir matrizes de \"mixing\" e \"demixing\"",
         .en = "Show \"mixing\" and \"demixing\" matrix",
         .at = {19, 72, 244, 10},
         .checked = true,
         .enabled = false},
        {.name = "o_ica",
         .kind = ControlKind::CheckBox,
         .pt = "Reproduzir componentes independentes",
         .en = "Show independent components",
         .at = {7, 60, 256, 10}},
        {.name = "o_convergencia",
         .kind = ControlKind::CheckBox,
         .pt = "Relatório de convergência",
         .en = "Convergence report",
         .at = {7, 86, 256, 10}},
    }};

Tf_ica::Tf_ica()
    : ToolDialog(kIcaDialog), titulo1(Bound<forms::Label>(*this, "titulo1")),
      intervalo(Bound<forms::Edit>(*this, "intervalo")),
      o_cores(Bound<forms::CheckBox>(*this, "o_cores")),
      limite(Bound<forms::MaskEdit>(*this, "limite")), seta(Bound<forms::UpDown>(*this, "seta")),
      o_limite(Bound<forms::CheckBox>(*this, "o_limite")),
      o_mix(Bound<forms::CheckBox>(*this, "o_mix")), o_ica(Bound<forms::CheckBox>(*this, "o_ica")),
      o_convergencia(Bound<forms::CheckBox>(*this, "o_convergencia")) {
  b_ok->OnClick = Handler(&Tf_ica::b_okClick);
  limite->OnChange = Handler(&Tf_ica::limiteChange);
  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  o_limite->OnClick = Handler(&Tf_ica::o_limiteClick);
  o_ica->OnClick = Handler(&Tf_ica::o_icaClick);
}

void Tf_ica::SetDefaults(unsigned signals) {
  ApplyDefaults();
  seta->Max = static_cast<int>(std::min(signals, 99u));
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

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de análise de componentes independentes - ICA.\nDesconsidere "
    "qualquer resultado e tente novamente.\n\nSe o problema persistir, entre em contato com o "
    "suporte da Corvane Lathi.",
    "Some errors occurred during independent component analysis - ICA.\n\nPlease, disregard any "
    "results and try again or contact Corvane Lathi for assistance."};

// The message of a layout that Excel's sheet cannot hold: what does not fit, in numbers.
ToolMessage OversizeMessage(const ica::Layout& layout, ica::Excess excess) {
  if (excess == ica::Excess::Columns) {
    const std::string n = std::to_string(layout.Columns());
    const std::string pt = "Os resultados de " + std::to_string(layout.p) + " sinais com " +
                           std::to_string(layout.k) + " componentes ocupam " + n +
                           " colunas, mais do que as " + std::to_string(layout.sheet.columns) +
                           " colunas da planilha.\n\nLimite o número "
                           "de componentes ou reduza o intervalo de dados.\n\nO programa será "
                           "interrompido!";
    const std::string en = "Results of " + std::to_string(layout.p) + " signals and " +
                           std::to_string(layout.k) + " components take " + n +
                           " columns, more than the " + std::to_string(layout.sheet.columns) +
                           " columns of a sheet.\n\nPlease, limit the "
                           "number of components or select a smaller data range.\n\nThe analysis "
                           "will be interrupted!";
    return MessageOf(BilingualText{pt.c_str(), en.c_str()}, "colunas demais para a planilha");
  }
  const std::string most = std::to_string(layout.MostObservations());
  const std::string n = std::to_string(layout.n);
  const std::string pt =
      "A planilha de resultados tem " + std::to_string(layout.sheet.rows) +
      " linhas e comporta os componentes independentes de no máximo " + most +
      " observações, mas o intervalo de dados tem " + n +
      ".\n\nReduza o intervalo de dados ou desmarque a opção \"Reproduzir componentes "
      "independentes\".\n\nO programa será interrompido!";
  const std::string en = "The result sheet has " + std::to_string(layout.sheet.rows) +
                         " rows and holds the independent components of at most " + most +
                         " observations, but the data range has " + n +
                         ".\n\nPlease, select a smaller data range or uncheck \"Show independent "
                         "components\".\n\nThe analysis will be interrupted!";
  return MessageOf(BilingualText{pt.c_str(), en.c_str()}, "linhas demais para a planilha");
}

ica::Settings ReadSettings(const Tf_ica& dialog) {
  return ica::Settings{dialog.o_limite->Checked(), DigitsValue(dialog.limite->Text()),
                       dialog.o_mix->Checked(),    dialog.o_ica->Checked(),
                       dialog.o_cores->Checked(),  dialog.o_convergencia->Checked()};
}
} // namespace

// Computes the independent components of the data and writes them on a new sheet. A layout the
// sheet cannot hold is refused before anything is computed or opened; a failure of the analysis
// leaves the sheet opened, bare, with the tool's message.
void Tf_ica::b_okClick(forms::Control&) {
  RunTool(*this, "ICA", kFailure, [this] {
    const ica::Settings settings = ReadSettings(*this);
    const ica::Layout layout =
        ica::PlaceBlocks(settings, Columns(dados), Rows(dados), SheetInUse());
    if (const auto excess = ica::ExcessOf(layout))
      return ToolRun{{}, OversizeMessage(layout, *excess)};
    const auto analysis = ica::Analyse(settings, dados);
    if (!analysis)
      return ToolRun{ica::BareSheet(), MessageOf(kFailure, ica::Reason(analysis.motivo()))};
    return ToolRun{ica::Sheet(settings, layout, *analysis), {}};
  });
}
