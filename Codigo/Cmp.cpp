#include "Cmp.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Funcoes/GradeComparacao.h"
#include "Leiautes.h"
#include "Saida.h"

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
  AddOkAndCancel();

  b_ok->OnClick = Handler(&Tf_cmp::b_okClick);
  LayOutComparison(*this);
}

void Tf_cmp::UseEnglish() {
  Caption = "Comparative Interpolation";
  titulo1->Caption = "Natural Cubic Spline X Exponentially Interpolation";
  titulo2->Caption = "Yield curve range data";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de montagem do gráfico comparativo de interpolações Cubic "
    "Spline natural  e exponencial.\nDesconsidere qualquer resultado e tente novamente.\n\nSe o "
    "problema persistir, entre em contato com o suporte da Corvane Lathi.",
    "Some errors occurred during comparative chart setup.\nPlease, disregard any results and try "
    "again or contact Corvane Lathi for assistance."};

// The data sheet and the chart have one name in both languages.
constexpr char kSheet[] = "Auxiliar";
constexpr char kChart[] = "CS x Exp";

const BilingualText kTitle{
    "Dados para gráfico comparativo de interpolação Cubic Spline x Exponencial",
    "Comparative chart source data for Cubic Spline and Exponential interpolation"};
const BilingualText kDaysHeading{"Tempo (du)", "Time (wkd)"};
constexpr char kSplineHeading[] = "CSpline";
const BilingualText kExponentialHeading{"Exponencial", "Exponential"};
const BilingualText kVertexHeading{"Ptos. Curva", "Curve Pts."};
const BilingualText kChartTitle{"Interpolação: CSpline x Exponencial",
                                "Interpolation: CSpline x Exponential"};
const BilingualText kRateAxis{"Taxa", "I. Rate"};
const BilingualText kDaysAxis{"Dias Úteis", "Workdays"};

// Rows and columns of the data sheet, counted from 0.
constexpr std::uint16_t kHeadingRow = 2;   // row 3
constexpr std::uint16_t kFirstGridRow = 3; // row 4
constexpr std::uint8_t kColumnA = 0, kColumnB = 1, kColumnC = 2, kColumnD = 3, kColumnK = 10;
// The grid ends on the sheet's last row at the latest.
constexpr std::size_t kMaxGridRows = 65536 - kFirstGridRow;

using namespace palette;
// PATTERNS codes: a border, line, area or marker is our own (0) or none (2); line style 1
// solid and 3 dotted, weight 2 thin; marker style 1 square.
constexpr int kCustom = 0, kNoneCode = 2, kSolidLine = 1, kDottedLine = 3, kThin = 2, kSquare = 1;

// The hidden data sheet "Auxiliar" with the grid, and the chart "CS x Exp" drawn from it.
class ComparisonOutput {
public:
  ComparisonOutput(const Tf_cmp& dialog, const std::vector<ComparisonRow>& grid)
      : dialog_(dialog), grid_(grid),
        last_row_(static_cast<std::uint16_t>(kFirstGridRow + grid.size() - 1)) {}

  void Write() {
    DataSheet();
    Chart();
    FinishResultWorkbook(kSheet, SheetRect{kHeadingRow, last_row_, kColumnA, kColumnK},
                         FirstSheet::Hidden);
  }

private:
  // Read at every step that depends on it.
  bool BlackAndWhite() const { return dialog_.o_cores->Checked(); }
  ChartColours Colours() const { return ChartColours(BlackAndWhite()); }

  void DataSheet() {
    OpenBareResultWorkbook(kSheet, EchoOff::AfterNew);
    StyleWholeSheet(BlackAndWhite());

    CellBlock heading(3, 4);
    heading.Text(0, kColumnA, kTitle.Text());
    heading.Text(kHeadingRow, kColumnA, kDaysHeading.Text());
    heading.Text(kHeadingRow, kColumnB, kSplineHeading);
    heading.Text(kHeadingRow, kColumnC, kExponentialHeading.Text());
    heading.Text(kHeadingRow, kColumnD, kVertexHeading.Text());
    WriteCellBlock(0, kColumnA, heading);
    // The whole sheet is still selected, with A1, the title, as its active cell.
    BoldActiveCell();
    FrameRange(SheetRect{kHeadingRow, kHeadingRow, kColumnA, kColumnD});
    FrameRange(SheetRect{kHeadingRow, kHeadingRow, kColumnA, kColumnA});

    CellBlock body(static_cast<std::uint16_t>(grid_.size()), 4);
    for (std::uint16_t r = 0; r < body.rows(); ++r) {
      const ComparisonRow& row = grid_[r];
      // An integer cell while the day fits in 16 bits; a longer curve's days are numbers.
      body.Count(r, kColumnA, static_cast<std::size_t>(row.day));
      body.Number(r, kColumnB, row.spline);
      body.Number(r, kColumnC, row.exponential);
      if (row.vertex_rate) body.Number(r, kColumnD, *row.vertex_rate);
    }
    WriteCellBlock(kFirstGridRow, kColumnA, body);
    FrameRange(SheetRect{kFirstGridRow, last_row_, kColumnA, kColumnA});
    FrameRange(SheetRect{kFirstGridRow, last_row_, kColumnB, kColumnD});
    FormatRangeNumbers("0.000%");
    SelectRange(SheetRect{kFirstGridRow, last_row_, kColumnA, kColumnD});
    CenterRange();
    ShadeRange(BlackAndWhite());
  }

  // A series of one grid column against the days, plotted first, as an XY series; selected.
  void AddSeries(const char* item, std::uint8_t column) {
    const unsigned first = kFirstGridRow + 1, last = last_row_ + 1u;
    AddChartSeries(CellReference(kSheet, kHeadingRow + 1, column + 1u),
                   ColumnReference(kSheet, first, last, kColumnA + 1u),
                   ColumnReference(kSheet, first, last, column + 1u), 1);
    SelectChartItem(item);
    SetSeriesKind(SeriesKind::Scatter);
  }

  void Chart() {
    AddChartSheetInPlace(kChart);
    // Each series is formatted as soon as it is added.
    AddSeries("S1", kColumnB); // the spline: a line without markers
    if (BlackAndWhite())
      Patterns({kCustom, kDottedLine, kBlack, kThin, kNoneCode, omitted, kBlack, kWhite});
    else
      Patterns({kCustom, kSolidLine, kYellow, kThin, kNoneCode, omitted, kYellow, kYellow});
    AddSeries("S2", kColumnC); // the exponential: a line without markers
    if (BlackAndWhite())
      Patterns({kCustom, kSolidLine, kBlack, kThin, kNoneCode, omitted, kBlack, kWhite});
    else
      Patterns({kCustom, kSolidLine, kRed, kThin, kNoneCode, omitted, kRed, kRed});
    AddSeries("S3", kColumnD); // the vertices: markers without a line
    Patterns({kNoneCode, omitted, omitted, omitted, kCustom, kSquare, kBlack, kWhite});

    TitleChart(kChartTitle.Text(), Colours());
    StyleAxis("Axis 1", "0.00%", Colours());
    LabelAxis(AxisTitle::Value, kRateAxis.Text(), Colours());
    StyleAxis("Axis 2", "", Colours());
    LabelAxis(AxisTitle::Category, kDaysAxis.Text(), Colours());

    FramePlotArea();
    if (!BlackAndWhite()) FillChartArea(kDarkTeal);
    ColourGridlines(BlackAndWhite());
    StyleLegend(BlackAndWhite() ? kBlack : kWhite);
    SelectWholeChart();
  }

  const Tf_cmp& dialog_;
  const std::vector<ComparisonRow>& grid_;
  std::uint16_t last_row_;
};
} // namespace

// Builds the grid of days with both interpolations and writes the data sheet and the chart;
// any failure on the way ends the run with the tool's message, leaving what was written. The
// dialog closes either way.
void Tf_cmp::b_okClick(forms::Control&) {
  Hide();
  try {
    const std::vector<GridDay> days = ComparisonDays(curva);
    // A curve of one vertex has no grid; the grid of a curve of some 65000 vertices may not
    // fit below the headings.
    if (days.empty() || days.size() > kMaxGridRows)
      throw std::length_error("no grid on the data sheet");
    const std::vector<ComparisonRow> grid = ComparisonRows(curva, days);
    ComparisonOutput(*this, grid).Write();
  } catch (...) {
    ShowToolMessage(kFailure);
  }
  Close();
}
