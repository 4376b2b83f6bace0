#include "Cmp.h"

#include "Analise.h"
#include "Ferramenta.h"
#include "Folha.h"
#include "Saida.h"

Tf_cmp* f_cmp = nullptr;

const DialogTable kComparisonDialog{
    "Comparação de Interpolações",
    "Comparative Interpolation",
    240,
    98,
    {
        {.name = "titulo1",
         .kind = ControlKind::Label,
         .pt = "Cubic Spline Natural  X  Interpolação Exponencial",
         .en = "Natural Cubic Spline X Exponentially Interpolation",
         .at = {7, 7, 226, 8}},
        {.name = "titulo2",
         .kind = ControlKind::Label,
         .pt = "Intervalo de dados com pontos para curva de juros:",
         .en = "Yield curve range data",
         .at = {7, 21, 226, 8}},
        {.name = "intervalo", .kind = ControlKind::Edit, .at = {7, 31, 226, 12}, .enabled = false},
        {.name = "o_cores",
         .kind = ControlKind::CheckBox,
         .pt = "Gráfico em preto e branco",
         .en = "Black and white output",
         .at = {7, 51, 226, 10}},
        {.name = "b_ok",
         .kind = ControlKind::Button,
         .pt = "OK",
         .en = "OK",
         .at = {129, 77, 50, 14}},
        {.name = "b_cancelar",
         .kind = ControlKind::Button,
         .pt = "Cancelar",
         .en = "Cancel",
         .at = {183, 77, 50, 14}},
    }};

Tf_cmp::Tf_cmp()
    : ToolDialog(kComparisonDialog), titulo1(Bound<forms::Label>(*this, "titulo1")),
      titulo2(Bound<forms::Label>(*this, "titulo2")),
      intervalo(Bound<forms::Edit>(*this, "intervalo")),
      o_cores(Bound<forms::CheckBox>(*this, "o_cores")) {
  b_ok->OnClick = Handler(&Tf_cmp::b_okClick);
}

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de montagem do gráfico comparativo de interpolações Cubic "
    "Spline natural  e exponencial.\nDesconsidere qualquer resultado e tente novamente.\n\nSe o "
    "problema persistir, entre em contato com o suporte da Corvane Lathi.",
    "Some errors occurred during comparative chart setup.\nPlease, disregard any results and try "
    "again or contact Corvane Lathi for assistance."};
} // namespace

// Builds the grid of days with both interpolations and writes the data sheet and the chart.
void Tf_cmp::b_okClick(forms::Control&) {
  RunTool(*this, "Comparação", kFailure, [this] {
    const comparacao::Settings settings{o_cores->Checked()};
    const auto grid = comparacao::Analyse(settings, curva, SheetInUse().rows);
    if (!grid) return ToolRun{{}, MessageOf(kFailure, comparacao::Reason(grid.motivo()))};
    return ToolRun{comparacao::Sheet(settings, *grid), {}};
  });
}
