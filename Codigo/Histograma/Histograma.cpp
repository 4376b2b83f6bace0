#include "Histograma.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "Analise.h"
#include "Ferramenta.h"
#include "Folha.h"
#include "Lancamento.h"

Tf_hist* f_hist = nullptr;

// Sized for the longer of the Portuguese and English texts: a line of text 8 units high, a
// check box 10, an edit 12, a push button 50 by 14; 7 units of margin.
const DialogTable kHistogramDialog{
    "Histograma de Dados - Configurações",
    "Data Histogram - Settings",
    250,
    187,
    {
        // The data range's heading has no English text of its own: it is worded as the other
        // tools' headings are.
        {.name = "titulo1",
         .kind = ControlKind::Label,
         .pt = "Intervalo de dados para histograma:",
         .en = "Data range for histogram:",
         .at = {7, 7, 236, 8}},
        {.name = "intervalo", .kind = ControlKind::Edit, .at = {7, 17, 236, 12}, .enabled = false},
        {.name = "titulo2",
         .kind = ControlKind::Label,
         .pt = "Número de faixas para o histograma:",
         .en = "Number of histogram ranges",
         .at = {7, 38, 150, 8}},
        {.name = "faixas",
         .kind = ControlKind::MaskEdit,
         .at = {160, 36, 24, 12},
         .mask = "99;0; ",
         .max_length = 2},
        {.name = "seta",
         .kind = ControlKind::UpDown,
         .at = {184, 36, 10, 12},
         .min = 1,
         .max = 99,
         .position = 1},
        {.name = "l_regra",
         .kind = ControlKind::Label,
         .pt = "Regra das faixas:",
         .en = "Bin rule:",
         .at = {7, 55, 150, 8}},
        {.name = "c_regra",
         .kind = ControlKind::ComboBox,
         .items_pt = {"Manual", "Sturges", "Scott", "Freedman-Diaconis"},
         .items_en = {"Manual", "Sturges", "Scott", "Freedman-Diaconis"},
         .at = {160, 52, 83, 14},
         .item_index = 0},
        {.name = "r_grupo",
         .kind = ControlKind::RadioGroup,
         .pt = " Universo de dados ",
         .en = "Data type",
         .items_pt = {"Amostra", "População"},
         .items_en = {"Sample", "Population"},
         .at = {7, 71, 236, 36},
         .item_index = 0},
        {.name = "o_retorno",
         .kind = ControlKind::CheckBox,
         .pt = "Gerar histograma dos retornos para cotações",
         .en = "Histogram of returns from asset prices",
         .at = {7, 112, 236, 10}},
        {.name = "o_normal",
         .kind = ControlKind::CheckBox,
         .pt = "Apresentar adicionalmente histograma normalizado",
         .en = "Add normalized histogram",
         .at = {7, 124, 236, 10}},
        {.name = "o_indicadores",
         .kind = ControlKind::CheckBox,
         .pt = "Incluir indicadores estatísticos para as faixas",
         .en = "Add histogram range indicators",
         .at = {7, 136, 236, 10}},
        {.name = "o_cores",
         .kind = ControlKind::CheckBox,
         .pt = "Gráficos e planilhas em preto e branco",
         .en = "Black and white output",
         .at = {7, 148, 236, 10}},
        {.name = "b_ok",
         .kind = ControlKind::Button,
         .pt = "OK",
         .en = "OK",
         .at = {139, 166, 50, 14}},
        {.name = "b_cancelar",
         .kind = ControlKind::Button,
         .pt = "Cancelar",
         .en = "Cancel",
         .at = {193, 166, 50, 14}},
    }};

Tf_hist::Tf_hist()
    : ToolDialog(kHistogramDialog), titulo1(Bound<forms::Label>(*this, "titulo1")),
      intervalo(Bound<forms::Edit>(*this, "intervalo")),
      titulo2(Bound<forms::Label>(*this, "titulo2")),
      faixas(Bound<forms::MaskEdit>(*this, "faixas")), seta(Bound<forms::UpDown>(*this, "seta")),
      l_regra(Bound<forms::Label>(*this, "l_regra")),
      c_regra(Bound<forms::ComboBox>(*this, "c_regra")),
      r_grupo(Bound<forms::RadioGroup>(*this, "r_grupo")),
      o_retorno(Bound<forms::CheckBox>(*this, "o_retorno")),
      o_normal(Bound<forms::CheckBox>(*this, "o_normal")),
      o_indicadores(Bound<forms::CheckBox>(*this, "o_indicadores")),
      o_cores(Bound<forms::CheckBox>(*this, "o_cores")) {
  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  faixas->OnChange = Handler(&Tf_hist::faixasChange);
  c_regra->OnChange = Handler(&Tf_hist::ShowRuleBins);
  o_retorno->OnClick = Handler(&Tf_hist::ShowRuleBins);
  b_ok->OnClick = Handler(&Tf_hist::b_okClick);
}

// The arrows offer up to half the numbers, at most 50 bins, and start at 15 or fewer.
void Tf_hist::SetDefaults(unsigned numeric_cells) {
  ApplyDefaults();
  const int half = static_cast<int>(std::min(numeric_cells / 2, 99u));
  seta->Max = std::min(half, 50);
  seta->SetPosition(std::min(half, 15));
  faixas->SetText(std::to_string(seta->Position()));
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

namespace {
// c_regra's items after "Manual", in order.
constexpr RegraFaixas kRules[] = {RegraFaixas::Sturges, RegraFaixas::Scott,
                                  RegraFaixas::FreedmanDiaconis};
} // namespace

// With a rule the number of bins is the rule's for the values the histogram will be made of,
// shown and not typed; back to "Manual", the number shown can be typed over.
void Tf_hist::ShowRuleBins(forms::Control&) {
  const int rule = c_regra->ItemIndex();
  const bool manual = rule < 1 || rule > static_cast<int>(std::size(kRules));
  faixas->Enabled = manual;
  seta->Enabled = manual;
  faixas->ControlColor = manual ? forms::clWindow : forms::clBtnFace;
  if (manual) return;
  const auto bins =
      faixas_pela_regra(histograma::Values(o_retorno->Checked(), serie), kRules[rule - 1]);
  // No count for values the histogram would refuse: the number stays as it was.
  if (!bins) return;
  faixas->SetText(std::to_string(static_cast<int>(std::clamp(*bins, 1.0, 99.0))));
}

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de montagem do histograma.\nDesconsidere qualquer resultado e "
    "tente novamente.\n\nSe o problema persistir, entre em contato com o suporte da Corvane Lathi.",
    "Some errors occurred during histogram setup.\nPlease, disregard any results and try again or "
    "contact Corvane Lathi for assistance."};

histograma::Settings ReadSettings(const Tf_hist& dialog) {
  return histograma::Settings{DigitsValue(dialog.faixas->Text()),
                              dialog.r_grupo->ItemIndex() == 1 ? Dispersion::Population
                                                               : Dispersion::Sample,
                              dialog.o_retorno->Checked(),
                              dialog.o_normal->Checked(),
                              dialog.o_indicadores->Checked(),
                              dialog.o_cores->Checked()};
}
} // namespace

// Builds the histogram of the numbers the launch read and writes it.
void Tf_hist::b_okClick(forms::Control&) {
  RunTool(*this, "Histograma", kFailure, [this] {
    const histograma::Settings settings = ReadSettings(*this);
    const auto h = histograma::Analyse(settings, std::move(serie));
    if (!h) return ToolRun{{}, MessageOf(kFailure, histograma::Reason(h.motivo()))};
    return ToolRun{histograma::Sheet(settings, *h), {}};
  });
}
