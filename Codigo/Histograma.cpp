#include "Histograma.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Funcoes/Frequencias.h"
#include "Lancamento.h"
#include "Leiautes.h"
#include "Saida.h"
#include "xll/xlcall.h"

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
  AddOkAndCancel();

  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  faixas->OnChange = Handler(&Tf_hist::faixasChange);
  b_ok->OnClick = Handler(&Tf_hist::b_okClick);
  LayOutHistogram(*this);
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

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de montagem do histograma.\nDesconsidere qualquer resultado e "
    "tente novamente.\n\nSe o problema persistir, entre em contato com o suporte da Corvane Lathi.",
    "Some errors occurred during histogram setup.\nPlease, disregard any results and try again or "
    "contact Corvane Lathi for assistance."};

const BilingualText kSheet{"Histograma", "Histogram"};
const BilingualText kTitleReturns{"Histograma dos Retornos das Cotações",
                                  "Histogram of returns from asset prices"};
const BilingualText kTitleData{"Histograma dos Dados", "Data Histogram"};
const BilingualText kSample{"Amostra", "Sample"};
const BilingualText kPopulation{"População", "Population"};
const BilingualText kSummaryLabels[] = {{"Média", "Mean"},        {"Mediana", "Median"},
                                        {"Moda", "Mode"},         {"Máximo", "Maximum"},
                                        {"Mínimo", "Minimum"},    {"DP", "St. Dev."},
                                        {"Skewness", "Skewness"}, {"Exc. Kurt.", "Exc. Kurt."}};
const BilingualText kRanges{"Faixas", "Ranges"};
const BilingualText kRangeMean{"Méd Fx", "Range Mean"};
const BilingualText kRangeDeviation{"DP Fx", "Range St. Dev."};
const BilingualText kAccumulated{"Acum.", "Accum."};
const BilingualText kFootnote{"*Para a última faixa <= Sup.", "* <= Sup. to last range"};
const BilingualText kChart{"Gráfico", "Chart"};
const BilingualText kOccurrences{"Ocorrências", "Occurrencies"};
const BilingualText kDeviationPerRange{"DP / Faixa", "St. Dev. / Range"};
const BilingualText kNormalChart{"Gráfico Área 1", "Chart Area 1"};
const BilingualText kNormalTitle{"Histograma Normalizado", "Normalized Histogram"};
const BilingualText kNormalFrequencies{"Freq. Normalizadas", "Normalized Freq."};

// Rows and columns of the result sheet, counted from 0.
constexpr std::uint16_t kTableHeaderRow = 12; // row 13
constexpr std::uint16_t kFirstBinRow = 13;    // row 14
constexpr std::uint8_t kColumnA = 0, kColumnB = 1, kColumnC = 2, kColumnD = 3, kColumnE = 4,
                       kColumnF = 5, kColumnH = 7, kColumnI = 8, kColumnJ = 9, kColumnK = 10;

using namespace palette;

SheetRect Rect(std::uint16_t first_row, std::uint16_t last_row, std::uint8_t first_col,
               std::uint8_t last_col) {
  return SheetRect{first_row, last_row, first_col, last_col};
}

// Writes `value` when there is one; the cell stays empty otherwise.
void Optional(CellBlock& block, std::uint16_t row, std::uint16_t column,
              const std::optional<double>& value) {
  if (value) block.Number(row, column, *value);
}

// The settings of one run, as read from the dialog when OK was pressed.
struct Settings {
  int bins;
  Dispersion dispersion;
  bool returns;
  bool normalised;
  bool indicators;
};

class HistogramOutput {
public:
  HistogramOutput(const Tf_hist& dialog, const Settings& settings, const Histograma& h)
      : dialog_(dialog), settings_(settings), h_(h), sheet_(kSheet.Text()),
        last_row_(static_cast<std::uint16_t>(kFirstBinRow + settings.bins - 1)),
        percent_(h.maximum < 1.0 || settings.returns) {}

  void Write() {
    OpenResultWorkbook(sheet_, BlackAndWhite());
    WriteSummary();
    WriteTableHeader();
    WriteBins();
    if (settings_.indicators) WriteIndicators();
    if (settings_.normalised) WriteDensities();
    CellBlock footnote(1, 1);
    footnote.Text(0, 0, kFootnote.Text());
    WriteCellBlock(static_cast<std::uint16_t>(last_row_ + 1), kColumnA, footnote);
    WriteFrequencyChart();
    if (settings_.normalised) WriteDensityChart();
    FinishResultWorkbook(sheet_, Rect(1, last_row_, kColumnA, kColumnK));
  }

private:
  // Read at every step, as a person may not change it while the run goes on but the dialog is
  // what holds it.
  bool BlackAndWhite() const { return dialog_.o_cores->Checked(); }
  const char* BinFormat() const { return percent_ ? "0.000%" : "0.000"; }
  std::string Column(unsigned column) const { // rows of the bins, column counted from 1
    return ColumnReference(sheet_, kFirstBinRow + 1u, last_row_ + 1u, column);
  }
  std::string Header(unsigned column) const {
    return CellReference(sheet_, kTableHeaderRow + 1u, column);
  }

  void WriteSummary() {
    CellBlock block(11, 2);
    block.Text(0, 0, (settings_.returns ? kTitleReturns : kTitleData).Text());
    block.Text(2, 0, (settings_.dispersion == Dispersion::Sample ? kSample : kPopulation).Text());
    block.Count(2, 1, h_.n);
    for (std::uint16_t i = 0; i < 8; ++i)
      block.Text(static_cast<std::uint16_t>(3 + i), 0, kSummaryLabels[i].Text());
    block.Number(3, 1, h_.mean);
    block.Number(4, 1, h_.median);
    Optional(block, 5, 1, h_.mode);
    block.Number(6, 1, h_.maximum);
    block.Number(7, 1, h_.minimum);
    block.Number(8, 1, h_.std_dev);
    Optional(block, 9, 1, h_.skewness);
    Optional(block, 10, 1, h_.excess_kurtosis);
    WriteCellBlock(0, kColumnA, block);

    // The whole-sheet selection left A1 the active cell.
    BoldActiveCell();
    FrameRange(Rect(2, 2, kColumnA, kColumnB));
    BoldActiveCell();
    FrameRange(Rect(2, 2, kColumnB, kColumnB));
    ShadeRange(BlackAndWhite());
    FrameRange(Rect(3, 10, kColumnA, kColumnA));
    FrameRange(Rect(3, 10, kColumnB, kColumnB));
    FormatRangeNumbers("0.000");
    ShadeRange(BlackAndWhite());
    if (settings_.returns) {
      SelectRange(Rect(3, 8, kColumnB, kColumnB));
      FormatRangeNumbers("0.000%");
    }
  }

  void WriteTableHeader() {
    const std::uint8_t last = settings_.normalised   ? kColumnJ
                              : settings_.indicators ? kColumnF
                                                     : kColumnD;
    const std::uint16_t row = kTableHeaderRow;
    FrameRange(Rect(row, row, kColumnA, kColumnD));
    CenterRange();
    FrameRange(Rect(row, row, kColumnB, kColumnC));
    if (settings_.indicators) {
      FrameRange(Rect(row, row, kColumnE, kColumnF));
      CenterRange();
    }
    if (settings_.normalised) {
      FrameRange(Rect(row, row, kColumnH, kColumnJ));
      CenterRange();
      FrameRange(Rect(row, row, kColumnI, kColumnJ));
    }
    CellBlock block(1, static_cast<std::uint16_t>(last + 1));
    block.Text(0, kColumnA, kRanges.Text());
    block.Text(0, kColumnB, "<= Inf.");
    block.Text(0, kColumnC, "< Sup.*");
    block.Text(0, kColumnD, "Freq.");
    if (settings_.indicators) {
      block.Text(0, kColumnE, kRangeMean.Text());
      block.Text(0, kColumnF, kRangeDeviation.Text());
    }
    if (settings_.normalised) {
      block.Text(0, kColumnH, "Norm.");
      block.Text(0, kColumnI, "Freq. N.");
      block.Text(0, kColumnJ, kAccumulated.Text());
    }
    WriteCellBlock(row, kColumnA, block);
  }

  CellBlock BinBlock(std::uint16_t columns) const {
    return CellBlock(static_cast<std::uint16_t>(settings_.bins), columns);
  }

  void WriteBins() {
    CellBlock block = BinBlock(4);
    for (std::size_t b = 0; b < h_.faixas.size(); ++b) {
      const auto row = static_cast<std::uint16_t>(b);
      block.Count(row, 0, b + 1);
      block.Number(row, 1, h_.faixas[b].lower);
      block.Number(row, 2, h_.faixas[b].upper);
      block.Count(row, 3, h_.faixas[b].count);
    }
    WriteCellBlock(kFirstBinRow, kColumnA, block);
    FrameRange(Rect(kFirstBinRow, last_row_, kColumnB, kColumnC));
    FormatRangeNumbers(BinFormat());
    FrameRange(Rect(kFirstBinRow, last_row_, kColumnA, kColumnD));
    CenterRange();
    ShadeRange(BlackAndWhite());
  }

  void WriteIndicators() {
    CellBlock block = BinBlock(2);
    for (std::size_t b = 0; b < h_.faixas.size(); ++b) {
      block.Number(static_cast<std::uint16_t>(b), 0, h_.faixas[b].mean);
      block.Number(static_cast<std::uint16_t>(b), 1, h_.faixas[b].std_dev);
    }
    WriteCellBlock(kFirstBinRow, kColumnE, block);
    FrameRange(Rect(kFirstBinRow, last_row_, kColumnE, kColumnF));
    CenterRange();
    ShadeRange(BlackAndWhite());
    FormatRangeNumbers(BinFormat());
  }

  // Without a bin width (all values equal) a density is a division by zero, and shows as
  // such.
  void WriteDensities() {
    CellBlock block = BinBlock(3);
    for (std::size_t b = 0; b < h_.faixas.size(); ++b) {
      const auto row = static_cast<std::uint16_t>(b);
      block.Count(row, 0, b + 1);
      const Faixa& bin = h_.faixas[b];
      if (bin.density) {
        block.Number(row, 1, *bin.density);
        block.Number(row, 2, *bin.cumulative_density);
      } else {
        block.Error(row, 1, xlerrDiv0);
        block.Error(row, 2, xlerrDiv0);
      }
    }
    WriteCellBlock(kFirstBinRow, kColumnH, block);
    FrameRange(Rect(kFirstBinRow, last_row_, kColumnI, kColumnJ));
    FormatRangeNumbers("0.000");
    FrameRange(Rect(kFirstBinRow, last_row_, kColumnH, kColumnJ));
    CenterRange();
    ShadeRange(BlackAndWhite());
  }

  // The columns of series 1 on a clear plot area framed in grey, over a chart area of
  // `chart_fill` in colour mode, with narrow gaps between them.
  void StyleColumns(std::int16_t chart_fill, std::initializer_list<PatternArgument> colour,
                    std::initializer_list<PatternArgument> black_and_white) {
    const bool bw = BlackAndWhite();
    FramePlotArea();
    if (!bw) FillChartArea(chart_fill);
    SelectChartItem("S1");
    Patterns(bw ? black_and_white : colour);
    ColourGridlines(bw);
    SetColumnGap(5);
  }

  // Series 2, the table column `column` (counted from 1), as a line with circle markers on the
  // second value axis.
  void AddLineOnSecondAxis(unsigned column, std::initializer_list<PatternArgument> pattern) {
    AddChartSeries(Header(column), "", Column(column), 2);
    SelectChartItem("S2");
    MoveSeriesToSecondAxis();
    SetSeriesKind(SeriesKind::Line);
    SelectChartItem("S2");
    Patterns(pattern);
  }

  void WriteFrequencyChart() {
    AddChartSheet(kChart.Text());
    AddChartSeries(Header(4), Column(1), Column(4), 1);
    if (!settings_.indicators) RemoveLegend();
    const ChartColours colours(BlackAndWhite());
    TitleChart(kSheet.Text(), colours);
    StyleAxis("Axis 1", "0", colours);
    LabelAxis(AxisTitle::Value, kOccurrences.Text(), colours);
    StyleAxis("Axis 2", "", colours);
    LabelAxis(AxisTitle::Category, kRanges.Text(), colours);
    StyleColumns(kDarkTeal, {0, omitted, kLightOrange, omitted, omitted, 0, 1, kTan},
                 {0, omitted, kBlack, omitted, omitted, 0, 1, kGrey25});
    if (settings_.indicators) {
      if (BlackAndWhite())
        AddLineOnSecondAxis(6, {0, 1, kBlack, 2, 0, 8, kBlack, kWhite});
      else
        AddLineOnSecondAxis(6, {0, 1, kLightBlue, 2, 0, 8, kLightBlue, kBrightGreen});
      StyleLegend(BlackAndWhite() ? kBlack : kWhite);
      const ChartColours axis_colours(BlackAndWhite());
      StyleAxis("Axis 3", percent_ ? "0.0%" : "0.0", axis_colours);
      LabelAxis(AxisTitle::SecondValue, kDeviationPerRange.Text(), axis_colours);
      SelectWholeChart();
    }
  }

  // Every text of this chart is black, in both modes.
  void WriteDensityChart() {
    AddChartSheet(kNormalChart.Text());
    AddChartSeries(Header(9), Column(8), Column(9), 1);
    const ChartColours colours(BlackAndWhite(), kBlack);
    TitleChart(kNormalTitle.Text(), colours);
    StyleAxis("Axis 1", "0.00", colours);
    LabelAxis(AxisTitle::Value, kNormalFrequencies.Text(), colours);
    StyleAxis("Axis 2", "", colours);
    LabelAxis(AxisTitle::Category, kRanges.Text(), colours);
    StyleColumns(kTan, {0, omitted, kBlue, omitted, omitted, 0, 1, kDarkTeal},
                 {0, omitted, kBlack, omitted, omitted, 0, omitted, kWhite});
    AddLineOnSecondAxis(10, {0, 1, BlackAndWhite() ? kBlack : kOrange, 2, 0, 8, kBlack, kWhite});
    StyleLegend(kBlack);
    StyleAxis("Axis 3", "0.00", ChartColours(BlackAndWhite(), kBlack));
  }

  const Tf_hist& dialog_;
  const Settings& settings_;
  const Histograma& h_;
  std::string sheet_;
  std::uint16_t last_row_;
  bool percent_;
};
} // namespace

// Reads the data one cell at a time, builds the histogram and writes it; any failure on the
// way ends the run with the tool's message, leaving what was written. The dialog closes either
// way.
void Tf_hist::b_okClick(forms::Control&) {
  Hide();
  try {
    const Settings settings{DigitsValue(faixas->Text()),
                            r_grupo->ItemIndex() == 1 ? Dispersion::Population : Dispersion::Sample,
                            o_retorno->Checked(), o_normal->Checked(), o_indicadores->Checked()};
    std::vector<double> x = ReadSeries(bounds);
    if (settings.returns) ToSimpleReturns(x);
    Histograma h;
    if (MontaHistograma(std::move(x), settings.bins, settings.dispersion, h) !=
        HistogramFailure::None)
      throw std::runtime_error("no histogram");
    HistogramOutput(*this, settings, h).Write();
  } catch (...) {
    ShowToolMessage(kFailure);
  }
  Close();
}
