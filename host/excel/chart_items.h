// The items of the active chart as the chart commands name and find them: the item texts SELECT
// takes, which items a chart has, the selected one, its axes and its chart groups. SELECT on a
// chart is here too; the cell commands' handler hands its call over when a chart is active.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "excel_host.h"

namespace kvhost {

// The chart of the active sheet; null when the active sheet is no chart.
Chart* ActiveChart(ExcelHost& host);

// A chart item, as SELECT's item texts name them.
struct ChartItem {
  enum class Kind { ChartArea, PlotArea, Legend, Title, Axis, AxisTitle, Gridlines, Series } kind;
  int number = 0; // of an axis, an axis title, the gridlines, a series (from 1)
};

// "Chart", "Plot", "Legend", "Title", "Axis n", "Text Axis n", "Gridline n", "Sn".
std::string ChartItemName(const ChartItem& item);
// Reads an item text in any case. Points ("S1P2") and the other items of Excel's list (drop
// lines, up and down bars, ...) are not kept by kvhost: nothing.
std::optional<ChartItem> ParseChartItem(std::string_view text);

// Whether the chart has the item. An empty chart (no series) shows its chart area and its title
// only: no plot area, axes or gridlines.
bool HasItem(Chart& chart, const ChartItem& item);

// The selected item; nothing when the selection names an item the chart no longer has.
std::optional<ChartItem> SelectedItem(Chart& chart);
// The series an existing item "Sn" names.
ChartSeries& SeriesOf(Chart& chart, const ChartItem& series_item);
// The selected series; null when the selection is no series.
ChartSeries* SelectedSeries(Chart& chart);

// "Axis 1" the value axis, "Axis 2" the category (X) axis, "Axis 3" the second value axis, each
// there when the chart plots something ("Axis 3" when a series is on the second axis group);
// null for an axis the chart does not have.
ChartAxis* AxisOf(Chart& chart, int number);
// The second value axis goes, with its title and formats, when no series is left on it.
void DropUnusedSecondAxis(Chart& chart);

// A chart group: the series of one type on one axis group. Groups are numbered (FORMAT.CHART's
// layer_num, FORMAT.CHARTTYPE's group_num) first those of the primary axes, then those of the
// second, each in Excel's order of chart types: area, bar, column, line, XY. An empty chart has
// its main group.
struct ChartGroup {
  int axis_group;
  ChartType type;
  bool operator==(const ChartGroup&) const = default;
};
std::vector<ChartGroup> ChartGroups(const Chart& chart);

// A chart command's answer when it is done: TRUE.
template <class Oper> int Succeed(Oper* result) {
  SetBoolean(result, true);
  return xlretSuccess;
}

// SELECT(item_text, single_point) on a chart: selects the named item ("Chart", "Plot",
// "Legend", "Title", "Axis 1" to "Axis 3", "Text Axis 1" to "Text Axis 3", "Gridline 1", "Sn").
// An item the chart does not have fails and leaves the selection as it was; so does a
// reference to cells.
template <class Oper> int SelectChartItem(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args);

} // namespace kvhost
