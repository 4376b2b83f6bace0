// kvhost's Excel building charts from the calls the add-in's chart steps make, in their order,
// and refusing items and references a chart does not have.
#include <gtest/gtest.h>

#include "chart_steps.h"

using namespace kvhost;
using namespace kvtest;

namespace {
constexpr int kOk = xlretSuccess;

// Each test: a host, the add-in's chart steps on it, and their calls.
class ChartCommands : public testing::Test {
protected:
  // Names the active worksheet and adds an empty chart sheet, as the tools start their charts.
  void StartChart(const std::string& data_sheet, const std::string& chart_sheet, bool move) {
    ASSERT_EQ(call(xlcWorkbookName, {Missing(), call.Str(data_sheet)}), kOk);
    steps.AddChartSheet(chart_sheet, move);
  }

  ExcelHost host;
  ChartSteps steps{host};
  HostCalls& call = steps.call;
};
} // namespace

// The histogram's column chart with the standard deviation per range as a line on the second
// value axis, in colour, as the histogram tool sends it.
TEST_F(ChartCommands, HistogramColumnAndLineOnTheSecondAxis) {
  ASSERT_EQ(call(xlcNew, {Int(1)}), kOk);
  ASSERT_NO_FATAL_FAILURE(StartChart("Histograma", "Gráfico", true));
  EXPECT_TRUE(steps.chart().series.empty());
  EXPECT_TRUE(steps.chart().size_with_window);

  steps.AddSeries("=Histograma!R13C4", "=Histograma!R14C1:R23C1", "=Histograma!R14C4:R23C4", 1);
  steps.TitleChart("Histograma", 45);
  steps.StyleAxis("Axis 1", "0");
  steps.LabelAxis(2, "Ocorrências", "Text Axis 1");
  steps.StyleAxis("Axis 2", "");
  steps.LabelAxis(3, "Faixas", "Text Axis 2");
  ASSERT_EQ(call(xlcSelectPlotArea), kOk);
  steps.Patterns({0, -1, 16, -1, -1, 2});
  ASSERT_EQ(call(xlcSelectChart), kOk);
  steps.Patterns({2, -1, -1, -1, -1, 0, 1, 49});
  steps.Select("S1");
  steps.Patterns({0, -1, 45, -1, -1, 0, 1, 40});
  steps.Select("Gridline 1");
  steps.Patterns({0, -1, 16});
  ASSERT_EQ(call(xlcFormatChart, {Int(1), Missing(), Missing(), Missing(), Int(5)}), kOk);

  steps.AddSeries("=Histograma!R13C6", "", "=Histograma!R14C6:R23C6", 2);
  steps.Select("S2");
  ASSERT_EQ(call(xlcSeriesAxes, {Int(2)}), kOk);
  ASSERT_EQ(call(xlcFormatCharttype, {Int(1), Missing(), Int(1), Int(4)}), kOk);
  steps.Select("S2");
  steps.Patterns({0, 1, 41, 2, 0, 8, 41, 4});
  steps.Select("Legend");
  steps.Patterns({2, -1, -1, -1, -1, 2});
  steps.Font("Normal", 8, 2);
  steps.StyleAxis("Axis 3", "0.0%");
  steps.LabelAxis(5, "DP / Faixa", "Text Axis 3");
  ASSERT_EQ(call(xlcSelectChart), kOk);

  const Chart& chart = steps.chart();
  ASSERT_EQ(chart.series.size(), 2u);
  const ChartSeries& columns = chart.series[0];
  EXPECT_EQ(columns.name_ref, "=Histograma!R13C4");
  EXPECT_EQ(columns.x_ref, "=Histograma!R14C1:R23C1");
  EXPECT_EQ(columns.type, ChartType::Column);
  EXPECT_EQ(columns.axis_group, 1);
  EXPECT_EQ(columns.columns.border, (LineFormat{Auto::Custom, 1, 45, 2}));
  EXPECT_EQ(columns.columns.area, (AreaFormat{Auto::Custom, 1, 40, 0}));
  const ChartSeries& line = chart.series[1];
  EXPECT_EQ(line.type, ChartType::Line);
  EXPECT_EQ(line.axis_group, 2);
  EXPECT_TRUE(line.x_ref.empty());
  EXPECT_EQ(line.line, (LineFormat{Auto::Custom, 1, 41, 2}));
  EXPECT_EQ(line.marker, (MarkerFormat{Auto::Custom, 8, 41, 4})) << "circles";

  ASSERT_TRUE(chart.title);
  EXPECT_EQ(chart.title->text, "Histograma");
  EXPECT_TRUE(chart.title->font.bold);
  EXPECT_EQ(chart.title->font.colour, 45);
  EXPECT_EQ(chart.value_axis.number_format, "0");
  EXPECT_FALSE(chart.value_axis.number_format_linked);
  EXPECT_EQ(chart.value_axis.title->text, "Ocorrências");
  EXPECT_EQ(chart.value_axis.line.colour, 45);
  EXPECT_EQ(chart.category_axis.title->text, "Faixas");
  EXPECT_EQ(chart.category_axis.font.size, 8);
  EXPECT_EQ(chart.second_value_axis.number_format, "0.0%");
  EXPECT_EQ(chart.second_value_axis.title->text, "DP / Faixa");
  EXPECT_EQ(chart.plot_area, (BoxFormat{{Auto::Custom, 1, 16, 2}, {Auto::None, 1, 0, 0}}));
  EXPECT_EQ(chart.chart_area.border.mode, Auto::None);
  EXPECT_EQ(chart.chart_area.area, (AreaFormat{Auto::Custom, 1, 49, 0}));
  EXPECT_EQ(chart.gridlines.colour, 16);
  EXPECT_TRUE(chart.legend);
  EXPECT_EQ(chart.legend_box.area.mode, Auto::None);
  EXPECT_EQ(chart.legend_font.colour, 2);
  EXPECT_EQ(chart.gap_width, 5);
  EXPECT_EQ(chart.selected, "Chart");
}

// Three XY series added each with plot order 1 keep the numbers of the order they came in.
TEST_F(ChartCommands, ComparisonSeriesKeepTheirCreationOrder) {
  ASSERT_EQ(call(xlcNew, {Int(1)}), kOk);
  ASSERT_NO_FATAL_FAILURE(StartChart("Auxiliar", "CS x Exp", false));
  const struct {
    int column;
    std::vector<int> pattern;
  } kSeries[] = {{2, {0, 1, 6, 2, 2, -1, 6, 6}},
                 {3, {0, 1, 3, 2, 2, -1, 3, 3}},
                 {4, {2, -1, -1, -1, 0, 1, 1, 2}}};
  int n = 1;
  for (const auto& series : kSeries) {
    const std::string c = std::to_string(series.column);
    steps.AddSeries("=Auxiliar!R3C" + c, "=Auxiliar!R4C1:R123C1",
                    "=Auxiliar!R4C" + c + ":R123C" + c, 1);
    steps.Select("S" + std::to_string(n++));
    ASSERT_EQ(call(xlcFormatCharttype, {Int(1), Missing(), Int(1), Int(8)}), kOk);
    steps.Patterns(series.pattern);
  }
  const Chart& chart = steps.chart();
  ASSERT_EQ(chart.series.size(), 3u);
  EXPECT_EQ(chart.series[0].name_ref, "=Auxiliar!R3C2");
  EXPECT_EQ(chart.series[1].name_ref, "=Auxiliar!R3C3");
  EXPECT_EQ(chart.series[2].name_ref, "=Auxiliar!R3C4");
  for (const ChartSeries& series : chart.series) {
    EXPECT_EQ(series.type, ChartType::Scatter);
    EXPECT_EQ(series.plot_order, 1) << "kept as given";
  }
  EXPECT_EQ(chart.series[0].line.colour, 6);
  EXPECT_EQ(chart.series[0].marker.mode, Auto::None);
  EXPECT_EQ(chart.series[1].line.colour, 3);
  EXPECT_EQ(chart.series[2].line.mode, Auto::None);
  EXPECT_EQ(chart.series[2].marker, (MarkerFormat{Auto::Custom, 1, 1, 2})) << "squares";

  // Scaling the X axis of an XY chart and labelling the points with their X values.
  steps.Select("Axis 2");
  ASSERT_EQ(call(xlcScale, {Num(0), Num(120)}), kOk);
  EXPECT_EQ(chart.category_axis.minimum, 0);
  EXPECT_EQ(chart.category_axis.maximum, 120);
  ASSERT_EQ(call(xlcScale, {Bool(true)}), kOk);
  EXPECT_FALSE(chart.category_axis.minimum) << "TRUE: automatic";
  EXPECT_EQ(call(xlcScale, {Num(200)}), xlretFailed) << "a minimum above the maximum";
  steps.Select("S1");
  ASSERT_EQ(call(xlcDataLabel, {Int(4)}), kOk);
  EXPECT_TRUE(chart.series[0].data_labels);
  steps.Font("Normal", 8, 1);
  EXPECT_EQ(chart.series[0].label_font.size, 8);
  EXPECT_EQ(call(xlcDataLabel, {Int(2)}), xlretFailed) << "values as labels are not kept";
}

// The PCA tool's scree chart in both modes: its one series turned XY makes an XY chart of
// square markers without a line, labelled with the factor numbers.
TEST_F(ChartCommands, ScreeChartIsXYMarkersLabelledWithTheFactors) {
  for (const bool black_and_white : {false, true}) {
    SCOPED_TRACE(black_and_white ? "black and white" : "colour");
    ExcelHost own_host;
    ChartSteps scree_steps(own_host);
    const ScreeChart scree{5, 4, black_and_white, !black_and_white};
    ASSERT_NO_FATAL_FAILURE(WriteEigenvalueTable(scree_steps.call, scree, {2.1, 1.0, 0.6, 0.3}));
    ASSERT_NO_FATAL_FAILURE(DrawScreeChart(scree_steps, scree));

    const PaletteIndex text = black_and_white ? 1 : 45, labels = black_and_white ? 1 : 2;
    const PaletteIndex grid = black_and_white ? 15 : 16;
    const Chart& chart = scree_steps.chart();
    EXPECT_EQ(chart.type, ChartType::Scatter) << "the column group went with its only series";
    ASSERT_EQ(chart.series.size(), 1u);
    const ChartSeries& series = chart.series[0];
    EXPECT_EQ(series.name_literal, black_and_white ? "Eigenvalues" : "Autovalores");
    EXPECT_EQ(series.name_ref, "");
    EXPECT_EQ(series.x_ref, "=PCA!R5C2:R5C5") << "the factor numbers";
    EXPECT_EQ(series.y_ref, "=PCA!R6C2:R6C5") << "the eigenvalues";
    EXPECT_EQ(series.type, ChartType::Scatter);
    EXPECT_EQ(series.axis_group, 1);
    EXPECT_EQ(series.line.mode, Auto::None);
    EXPECT_EQ(series.marker, (MarkerFormat{Auto::Custom, 1, 1, 2}))
        << "black squares, white inside";
    EXPECT_TRUE(series.data_labels);
    EXPECT_EQ(series.label_font, (FontFormat{"Arial", 8, false, false, labels}));

    EXPECT_FALSE(chart.legend);
    ASSERT_TRUE(chart.title);
    EXPECT_EQ(chart.title->text, "Scree Test");
    EXPECT_EQ(chart.title->font, (FontFormat{"Arial", 10, true, false, text}));
    EXPECT_EQ(chart.value_axis.number_format, "0.00");
    EXPECT_FALSE(chart.value_axis.number_format_linked);
    ASSERT_TRUE(chart.value_axis.title);
    EXPECT_EQ(chart.value_axis.title->text, black_and_white ? "Eigenvalues" : "Autovalores");
    EXPECT_EQ(chart.value_axis.title->font, (FontFormat{"Arial", 8, true, false, text}));
    EXPECT_TRUE(chart.category_axis.number_format_linked);
    ASSERT_TRUE(chart.category_axis.title);
    EXPECT_EQ(chart.category_axis.title->text, black_and_white ? "Factor" : "Fator");
    EXPECT_EQ(chart.category_axis.font.colour, text);
    const LineFormat axis_line =
        black_and_white ? LineFormat{} : LineFormat{Auto::Custom, 1, 45, 2};
    EXPECT_EQ(chart.value_axis.line, axis_line);
    EXPECT_EQ(chart.category_axis.line, axis_line);
    EXPECT_EQ(chart.plot_area, (BoxFormat{{Auto::Custom, 1, 16, 2}, {Auto::None, 1, 0, 0}}));
    const BoxFormat chart_area =
        black_and_white ? BoxFormat{} : BoxFormat{{Auto::None, 1, 0, 2}, {Auto::Custom, 1, 49, 0}};
    EXPECT_EQ(chart.chart_area, chart_area);
    EXPECT_EQ(chart.gridlines, (LineFormat{Auto::Custom, 1, grid, 2}));
    EXPECT_EQ(chart.selected, "Chart");
  }
}

// What the scree chart's calls could ask of a series that kvhost does not keep is refused and
// changes nothing; a series retyped while others stay in the main group leaves that group main.
TEST_F(ChartCommands, SeriesSettingsNotKeptAreRefused) {
  ASSERT_EQ(call(xlcNew, {Int(1)}), kOk);
  ASSERT_NO_FATAL_FAILURE(StartChart("Dados", "G", true));
  steps.AddSeries("a", "", "=Dados!R1C1:R5C1", 1);
  steps.AddSeries("b", "", "=Dados!R1C2:R5C2", 2);
  steps.Select("S2");
  ASSERT_EQ(call(xlcFormatCharttype, {Int(1), Missing(), Int(1), Int(8)}), kOk);
  EXPECT_EQ(steps.chart().type, ChartType::Column) << "S1 keeps the column group";
  EXPECT_EQ(steps.chart().series[1].type, ChartType::Scatter);
  steps.Patterns({0, 3, 5, 3, 0, 8, 5, 6});
  const ChartSeries before = steps.chart().series[1];
  EXPECT_EQ(before.line, (LineFormat{Auto::Custom, 3, 5, 3}));
  EXPECT_EQ(before.marker, (MarkerFormat{Auto::Custom, 8, 5, 6}));
  for (const auto& [args, why] :
       {std::pair{std::vector<XLOPER>{Int(0), Missing(), Missing(), Missing(), Missing(), Missing(),
                                      Missing(), Missing(), Missing(), Bool(true)},
                  "smoothed lines"},
        std::pair{std::vector<XLOPER>{Int(0), Int(9)}, "a line style beyond 8"},
        std::pair{std::vector<XLOPER>{Int(0), Missing(), Missing(), Missing(), Int(0), Int(10)},
                  "a marker style beyond 9"},
        std::pair{std::vector<XLOPER>{Int(0), Missing(), Missing(), Int(5)}, "a weight beyond 4"},
        std::pair{std::vector<XLOPER>{Int(3)}, "a line mode beyond 2"}}) {
    EXPECT_NE(call(xlcPatterns, args), kOk) << why;
    EXPECT_EQ(steps.chart().series[1].line, before.line) << why;
    EXPECT_EQ(steps.chart().series[1].marker, before.marker) << why;
  }
  EXPECT_EQ(call(xlcDataLabel, {Int(4), Missing(), Bool(true)}), xlretFailed)
      << "legend keys beside labels are not kept";
  EXPECT_EQ(call(xlcDataLabel, {Int(5)}), xlretFailed) << "labels with percentages";
  EXPECT_FALSE(steps.chart().series[1].data_labels);
  ASSERT_EQ(call(xlcDataLabel, {Int(4), Bool(true)}), kOk);
  EXPECT_TRUE(steps.chart().series[1].data_labels);
  ASSERT_EQ(call(xlcDataLabel, {Int(1)}), kOk);
  EXPECT_FALSE(steps.chart().series[1].data_labels) << "1: none";
  EXPECT_EQ(call(xlcFormatCharttype, {Int(1), Missing(), Int(1), Int(6)}), xlretFailed)
      << "doughnut";
  EXPECT_EQ(steps.chart().series[1].type, ChartType::Scatter);
}

TEST_F(ChartCommands, ItemsAChartDoesNotHaveAreRefused) {
  ASSERT_NO_FATAL_FAILURE(StartChart("Dados", "Grafico", true));
  EXPECT_EQ(call(xlcSelectPlotArea), xlretFailed) << "an empty chart plots nothing";
  EXPECT_EQ(call(xlcSelect, {call.Str("Axis 1")}), xlretFailed);
  steps.AddSeries("Autovalores", "", "=Dados!R2C2:R6C2", 1);
  EXPECT_EQ(steps.chart().series[0].name_literal, "Autovalores");
  steps.Select("Axis 1");
  EXPECT_EQ(call(xlcPatterns, {Int(0), Missing(), Int(3), Missing(), Int(2)}), xlretFailed)
      << "an axis' tick marks are not kept";
  EXPECT_EQ(
      call(xlcPatterns, {call.Array(1, 1, {Int(0)}), Missing(), Missing(), Missing(), Int(2)}),
      xlretInvXloper)
      << "a record that is no value, before what is not kept";
  EXPECT_EQ(steps.chart().value_axis.line.colour, 0) << "nothing changed";

  for (const char* item : {"Axis 3", "Text Axis 1", "Title", "S2", "S1P1", "Gridline 2", "Nothing"})
    EXPECT_EQ(call(xlcSelect, {call.Str(item)}), xlretFailed) << item;
  ASSERT_EQ(call(xlcLegend, {Bool(false)}), kOk);
  EXPECT_EQ(call(xlcSelect, {call.Str("Legend")}), xlretFailed);
  EXPECT_EQ(steps.chart().selected, "Axis 1") << "refused selections change nothing";
  EXPECT_EQ(call(xlcAttachText, {Int(5)}), xlretFailed) << "no second value axis";
  EXPECT_EQ(call(xlcSeriesAxes, {Int(2)}), xlretFailed) << "no series selected";
  EXPECT_EQ(call(xlcFormula, {call.Str("text")}), xlretFailed) << "an axis holds no text";
  EXPECT_EQ(call(xlcSelect, {call.Ref(0, 0, 0, 0, host.app().FindSheet("Dados")->id)}), xlretFailed)
      << "cells on a chart";

  // References EDIT.SERIES cannot read change nothing.
  for (const char* bad : {"=Dados!R0C1", "=Dados!R1C257", "=Dados!A1:A3", "=Nowhere!R1C1",
                          "=Grafico!R1C1", "='Dados!R1C1", "=Dados!R1C1:R2C2", "=R1C1"})
    EXPECT_EQ(call(xlcEditSeriesIntl, {Int(0), Missing(), Missing(), call.Str(bad)}), xlretFailed)
        << bad;
  EXPECT_EQ(call(xlcEditSeriesIntl, {Int(0), call.Str("=Dados!R1C3")}), xlretFailed)
      << "a series needs its values";
  EXPECT_EQ(call(xlcEditSeriesIntl, {Int(2), call.Str("x")}), xlretFailed) << "no series 2";
  EXPECT_EQ(steps.chart().series.size(), 1u);
  ASSERT_EQ(call(xlcEditSeriesIntl,
                 {Int(0), Missing(), Missing(), call.Str("='Dados'!r2c3:r6c3"), Missing()}),
            kOk)
      << "quoted sheet names and lower-case letters";

  EXPECT_EQ(call(xlcFormatCharttype, {Int(3), Missing(), Int(1), Int(5)}), xlretFailed) << "pie";
  EXPECT_EQ(call(xlcFormatCharttype, {Int(3), Missing(), Int(2), Int(3)}), xlretFailed) << "3-D";
  ASSERT_EQ(call(xlcFormatCharttype, {Int(3), Missing(), Int(1), Int(4)}), kOk);
  EXPECT_EQ(steps.chart().type, ChartType::Line);
  EXPECT_EQ(steps.chart().series[1].type, ChartType::Line);
  EXPECT_EQ(call(xlcFormatChart, {Int(1), Missing(), Missing(), Missing(), Int(5)}), xlretFailed)
      << "lines have no gap width";
  EXPECT_EQ(call(xlcAttachText, {Int(4)}), xlretFailed) << "series labels are not kept";
  EXPECT_EQ(call(xlcEditSeriesIntl, {call.Array(1, 1, {Int(0)})}), xlretInvXloper);
  EXPECT_EQ(call(xlcSeriesAxes, {}), xlretInvCount);

  ASSERT_EQ(call(xlcWorkbookActivate, {call.Str("Dados")}), kOk);
  EXPECT_EQ(call(xlcSelectChart), xlretFailed) << "chart commands on a worksheet";
  EXPECT_EQ(call(xlcLegend, {Bool(true)}), xlretFailed);
  EXPECT_EQ(call(xlcSelect, {call.Str("Chart")}), xlretFailed);
}

// CLEAR and FORMULA("") delete what is selected, as Excel's chart items are deleted; a group is
// retyped by its number.
TEST_F(ChartCommands, DeletingItemsAndRetypingAGroup) {
  ASSERT_NO_FATAL_FAILURE(StartChart("Dados", "G", true));
  for (int k = 0; k < 3; ++k)
    steps.AddSeries("S", "", "=Dados!R1C1:R5C1", k + 1);
  steps.Select("S3");
  ASSERT_EQ(call(xlcSeriesAxes, {Int(2)}), kOk);
  ASSERT_EQ(call(xlcFormatCharttype, {Int(1), Missing(), Int(1), Int(4)}), kOk);
  // Groups: 1 the columns on the primary axes, 2 the line on the second.
  ASSERT_EQ(call(xlcFormatCharttype, {Int(2), Int(1), Int(1), Int(2)}), kOk);
  EXPECT_EQ(steps.chart().series[0].type, ChartType::Bar);
  EXPECT_EQ(steps.chart().series[2].type, ChartType::Line);
  EXPECT_EQ(steps.chart().type, ChartType::Bar) << "the main group changed";
  EXPECT_EQ(call(xlcFormatCharttype, {Int(2), Int(3), Int(1), Int(3)}), xlretFailed)
      << "no third group";

  ASSERT_EQ(call(xlcClear, {}), kOk) << "S3 selected: deleted";
  EXPECT_EQ(steps.chart().series.size(), 2u);
  EXPECT_EQ(call(xlcSelect, {call.Str("Axis 3")}), xlretFailed) << "went with its last series";
  steps.Select("S1");
  ASSERT_EQ(call(xlcFormula, {call.Str("")}), kOk);
  EXPECT_EQ(steps.chart().series.size(), 1u);
  EXPECT_EQ(steps.chart().selected, "Chart");
  steps.Select("Gridline 1");
  EXPECT_EQ(call(xlcPatterns, {Int(0), Missing(), Int(3), Missing(), Missing(), Bool(true)}),
            xlretFailed)
      << "smoothed gridlines are not kept";
  EXPECT_EQ(steps.chart().gridlines.colour, 0) << "nothing changed";
  ASSERT_EQ(call(xlcPatterns, {Int(0), Missing(), Int(3), Missing(), Missing(), Bool(false)}), kOk);
  EXPECT_EQ(steps.chart().gridlines.colour, 3);
  EXPECT_EQ(call(xlcClear, {Int(2)}), xlretFailed) << "formats are not cleared";
  ASSERT_EQ(call(xlcClear), kOk);
  EXPECT_FALSE(steps.chart().major_gridlines);
  steps.Select("S1");
  EXPECT_EQ(call(xlcPatterns, {Int(0), Missing(), Int(3), Missing(), Missing(), Missing(),
                               Missing(), Missing(), Missing(), Missing(), Bool(true)}),
            xlretFailed)
      << "apply to similar items is not kept";
  EXPECT_EQ(steps.chart().series[0].columns.border.colour, 0) << "nothing changed";
  ASSERT_EQ(call(xlcSelectChart), kOk);
  EXPECT_EQ(call(xlcClear), xlretFailed) << "the whole chart is not deleted";
  ASSERT_EQ(call(xlcClear, {Int(3)}), kOk);
  EXPECT_TRUE(steps.chart().series.empty());
}
