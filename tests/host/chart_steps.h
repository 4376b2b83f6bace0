// The add-in's chart steps, call for call, on kvhost's Excel: for the tests of the chart
// commands, of the JSON dump and of the xlsx writer, which drive the same sequences.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_calls.h"

namespace kvtest {

class ChartSteps {
public:
  explicit ChartSteps(kvhost::ExcelHost& host) : host_(host), call(host) {}

  // The colour mode the steps draw in, and the name of the bold style in the user's language.
  bool black_and_white = false;
  std::string bold = "Negrito";
  // Text colour of the titles and axes: c45 in colour, c1 in black and white.
  int TextColour() const { return black_and_white ? 1 : 45; }

  void Font(const std::string& style, int size, int colour) {
    ASSERT_EQ(call(xlcFontPropertiesIntl,
                   {call.Str("Arial"), call.Str(style), Int(static_cast<std::int16_t>(size)),
                    Missing(), Missing(), Missing(), Missing(), Missing(), Missing(),
                    Int(static_cast<std::int16_t>(colour))}),
              xlretSuccess);
  }
  void Select(const std::string& item) {
    ASSERT_EQ(call(xlcSelect, {call.Str(item)}), xlretSuccess) << item;
  }
  // PATTERNS with integer arguments; -1 stands for an omitted one.
  void Patterns(std::vector<int> values) {
    std::vector<XLOPER> args;
    for (int v : values)
      args.push_back(v < 0 ? Missing() : Int(static_cast<std::int16_t>(v)));
    ASSERT_EQ(call(xlcPatterns, args), xlretSuccess);
  }
  void AddChartSheet(const std::string& name, bool move) {
    ASSERT_NO_FATAL_FAILURE(kvtest::AddChartSheet(call, name, move));
    ASSERT_EQ(call(xlcSelectChart), xlretSuccess);
    ASSERT_EQ(call(xlcClear, {Int(3)}), xlretSuccess);
    ASSERT_EQ(call(xlcOptionsChart, {Missing(), Missing(), Bool(true)}), xlretSuccess);
  }
  void AddSeries(const std::string& name, const std::string& x, const std::string& y, int order) {
    ASSERT_EQ(
        call(xlcEditSeriesIntl, {Int(0), call.Str(name), x.empty() ? Missing() : call.Str(x),
                                 call.Str(y), Missing(), Int(static_cast<std::int16_t>(order))}),
        xlretSuccess);
  }
  void TitleChart(const std::string& text, int colour) {
    ASSERT_EQ(call(xlcAttachText, {Int(1)}), xlretSuccess);
    ASSERT_EQ(call(xlcFormula, {call.Str(text)}), xlretSuccess);
    Select("Title");
    Font(bold, 10, colour);
  }
  void StyleAxis(const std::string& axis, const std::string& format) {
    Select(axis);
    if (!format.empty()) {
      ASSERT_EQ(call(xlcFormatNumberIntl, {call.Str(format)}), xlretSuccess);
    }
    Font("Normal", 8, TextColour());
    if (!black_and_white) Patterns({0, -1, 45});
  }
  void LabelAxis(int attach, const std::string& text, const std::string& item) {
    ASSERT_EQ(call(xlcAttachText, {Int(static_cast<std::int16_t>(attach))}), xlretSuccess);
    ASSERT_EQ(call(xlcFormula, {call.Str(text)}), xlretSuccess);
    Select(item);
    Font(bold, 8, TextColour());
  }

  const kvhost::Chart& chart() { return *host_.app().ActiveSheet().chart; }

private:
  kvhost::ExcelHost& host_;

public:
  HostCalls call;
};

// The PCA tool's scree chart over p factors whose eigenvalue table starts at row `first_row`
// (counted from 1) of the sheet "PCA": the factor numbers in that row, the eigenvalues in the
// next, columns B onward. `portuguese` picks the texts and the bold style's name.
struct ScreeChart {
  int first_row = 5;
  int factors = 4;
  bool black_and_white = false;
  bool portuguese = true;

  std::string Row(int row) const {
    const std::string r = std::to_string(row);
    return "=PCA!R" + r + "C2:R" + r + "C" + std::to_string(factors + 1);
  }
  std::string SeriesName() const { return portuguese ? "Autovalores" : "Eigenvalues"; }
};

// A new workbook whose sheet "PCA" holds, at `scree.first_row`, the factor numbers 1..p
// (integers, as the tool writes them) and below them `eigenvalues`, each row labelled in
// column A as the tool labels it.
inline void WriteEigenvalueTable(HostCalls& call, const ScreeChart& scree,
                                 const std::vector<double>& eigenvalues) {
  ASSERT_EQ(call(xlcNew, {Int(1)}), xlretSuccess);
  ASSERT_EQ(call(xlcWorkbookName, {Missing(), call.Str("PCA")}), xlretSuccess);
  std::vector<XLOPER> block{Nil()};
  for (int j = 1; j <= scree.factors; ++j)
    block.push_back(Int(static_cast<std::int16_t>(j)));
  block.push_back(call.Str(scree.portuguese ? "Autovalores" : "Eigenvalues"));
  for (double value : eigenvalues)
    block.push_back(Num(value));
  ASSERT_EQ(eigenvalues.size(), static_cast<std::size_t>(scree.factors));
  const auto row = static_cast<std::uint16_t>(scree.first_row - 1);
  const auto last_column = static_cast<std::uint8_t>(scree.factors);
  ASSERT_EQ(call(xlSet, {call.Ref(row, row + 1, 0, last_column),
                         call.Array(2, static_cast<std::uint16_t>(scree.factors + 1), block)}),
            xlretSuccess);
}

// The scree chart's steps in the PCA tool's order, on the workbook of WriteEigenvalueTable.
inline void DrawScreeChart(ChartSteps& steps, const ScreeChart& scree) {
  steps.black_and_white = scree.black_and_white;
  steps.bold = scree.portuguese ? "Negrito" : "Bold";
  HostCalls& call = steps.call;
  ASSERT_NO_FATAL_FAILURE(steps.AddChartSheet("Scree Test", true));
  steps.AddSeries(scree.SeriesName(), scree.Row(scree.first_row), scree.Row(scree.first_row + 1),
                  1);
  // The series' chart type and labels, then its labels' font.
  steps.Select("S1");
  ASSERT_EQ(call(xlcFormatCharttype, {Int(1), Missing(), Int(1), Int(8)}), xlretSuccess);
  ASSERT_EQ(call(xlcDataLabel, {Int(4)}), xlretSuccess);
  steps.Font("Normal", 8, scree.black_and_white ? 1 : 2);
  // The series' line and markers.
  steps.Select("S1");
  steps.Patterns({2, -1, -1, -1, 0, 1, 1, 2});
  ASSERT_EQ(call(xlcLegend, {Bool(false)}), xlretSuccess);
  steps.TitleChart("Scree Test", steps.TextColour());
  steps.StyleAxis("Axis 1", "0.00");
  steps.LabelAxis(2, scree.SeriesName(), "Text Axis 1");
  steps.StyleAxis("Axis 2", "");
  steps.LabelAxis(3, scree.portuguese ? "Fator" : "Factor", "Text Axis 2");
  ASSERT_EQ(call(xlcSelectPlotArea), xlretSuccess);
  steps.Patterns({0, -1, 16, -1, -1, 2});
  if (!scree.black_and_white) {
    ASSERT_EQ(call(xlcSelectChart), xlretSuccess);
    steps.Patterns({2, -1, -1, -1, -1, 0, 1, 49});
  }
  steps.Select("Gridline 1");
  steps.Patterns({0, -1, scree.black_and_white ? 15 : 16});
  ASSERT_EQ(call(xlcSelectChart), xlretSuccess);
}

// The result workbook of the two steps above, as a host of its own leaves it: sheets "PCA"
// and "Scree Test", the chart active.
inline void BuildScreeBook(const ScreeChart& scree, const std::vector<double>& eigenvalues,
                           kvhost::Workbook& book) {
  kvhost::ExcelHost host;
  ChartSteps steps(host);
  ASSERT_NO_FATAL_FAILURE(WriteEigenvalueTable(steps.call, scree, eigenvalues));
  ASSERT_NO_FATAL_FAILURE(DrawScreeChart(steps, scree));
  book = host.app().ActiveWorkbook();
}

} // namespace kvtest
