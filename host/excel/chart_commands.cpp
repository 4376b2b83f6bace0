// The chart commands that build the active chart sheet's chart: series from R1C1 references,
// chart types and axis groups, titles, legend, scales and data labels. Every command fails
// (xlretFailed) when the active sheet is no chart, and when the item it needs is not there; a
// failed command changes nothing.
#include <algorithm>
#include <array>

#include "../model/references.h"
#include "chart_items.h"
#include "command_arguments.h"
#include "values.h"

namespace kvhost {
namespace {

// SELECT.CHART(): the chart area.
template <class Oper> int SelectChart(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (!args.empty()) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  chart->selected = "Chart";
  return Succeed(result);
}

// SELECT.PLOT.AREA(): the plot area.
template <class Oper> int SelectPlotArea(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (!args.empty()) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr || !HasItem(*chart, ChartItem{ChartItem::Kind::PlotArea}))
    return xlretFailed;
  chart->selected = "Plot";
  return Succeed(result);
}

// CLEAR(type_num) on a chart. With the entire chart selected, contents (3) deletes every series.
// With a series selected, all (1, the default there) deletes that series; with the legend, a
// title or the gridlines selected, type_num omitted deletes that item; the chart area is then
// selected. Clearing formats (2), everything of a whole chart (1), and clearing cells (a
// worksheet active) are not done by kvhost: refused.
template <class Oper> int Clear(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 1) return xlretInvCount;
  std::optional<int> type;
  if (int code = ReadInteger(args, 0, type, 1, 4)) return code;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  switch (item->kind) {
  case ChartItem::Kind::ChartArea:
    if (type != 3) return xlretFailed;
    chart->series.clear();
    break;
  case ChartItem::Kind::Series:
    if (type.value_or(1) != 1) return xlretFailed;
    chart->series.erase(chart->series.begin() + (item->number - 1));
    break;
  case ChartItem::Kind::Legend:
  case ChartItem::Kind::Title:
  case ChartItem::Kind::AxisTitle:
  case ChartItem::Kind::Gridlines:
    if (type) return xlretFailed;
    if (item->kind == ChartItem::Kind::Legend) chart->legend = false;
    if (item->kind == ChartItem::Kind::Title) chart->title.reset();
    if (item->kind == ChartItem::Kind::AxisTitle) AxisOf(*chart, item->number)->title.reset();
    if (item->kind == ChartItem::Kind::Gridlines) chart->major_gridlines = false;
    break;
  case ChartItem::Kind::PlotArea:
  case ChartItem::Kind::Axis: return xlretFailed; // neither is deleted
  }
  DropUnusedSecondAxis(*chart);
  chart->selected = "Chart";
  return Succeed(result);
}

// OPTIONS.CHART(display_blanks, plot_visible, size_with_window): whether the chart is sized with
// its window. How blanks are plotted, and plotting hidden cells, are not kept: refused.
template <class Oper> int OptionsChart(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 3) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<bool> size_with_window;
  if (int code = RefuseGiven(args, 0, 1)) return code;
  if (int code = ReadBoolean(args, 2, size_with_window)) return code;
  if (size_with_window) chart->size_with_window = *size_with_window;
  return Succeed(result);
}

// An R1C1 reference to cells of a worksheet of the active workbook, as EDIT.SERIES takes it: any
// rectangle (categories), one row or column (values), one cell (a name).
enum class Shape { Rectangle, Line, Cell };
bool ValidSeriesReference(ExcelHost& host, const std::string& text, Shape shape) {
  const auto reference = ParseR1C1Reference(text, host.app().grid);
  if (!reference) return false;
  const Sheet* sheet = host.app().FindSheet(reference->sheet);
  if (sheet == nullptr || sheet->kind != SheetKind::Worksheet) return false;
  const CellRange& r = reference->range;
  switch (shape) {
  case Shape::Rectangle: return true;
  case Shape::Line: return r.Rows() == 1 || r.Columns() == 1;
  case Shape::Cell: return r.Rows() == 1 && r.Columns() == 1;
  }
  return false;
}

// EDIT.SERIES(series_num, name_ref, x_ref, y_ref, z_ref, plot_order): series_num 0 (or omitted)
// adds a series, n changes series n in what is given. The name is a reference to one cell
// ("=Histograma!R13C4") or, without '=', the name itself; x_ref the categories (X values of an
// XY series), y_ref the values, one row or one column. References are R1C1 texts to worksheets
// of the active workbook, sheet names quoted when they need it; a reference kvhost cannot read
// fails the command. A new series takes the type of the chart's main group, on the primary axes.
// kvhost keeps the plot order as given but names series by when they were added: "Sn" is the
// n-th series added. Excel documents "Sn" as the n-th in plot order, which would turn series
// added one after another each with plot order 1 around (the last added would be "S1"); the
// add-in adds its comparison chart's series that way and formats "S1", "S2", "S3" as the first,
// second and third, so kvhost follows the order in which they were added.
template <class Oper> int EditSeries(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 6) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<int> number, plot_order;
  std::optional<std::string> name, x_ref, y_ref;
  if (int code = ReadInteger(args, 0, number, 0, 255)) return code;
  if (int code = ReadText(args, 1, name)) return code;
  if (int code = ReadText(args, 2, x_ref)) return code;
  if (int code = ReadText(args, 3, y_ref)) return code;
  if (int code = RefuseGiven(args, 4, 4)) return code; // 3-D charts are not kept
  if (int code = ReadInteger(args, 5, plot_order, 1, 255)) return code;

  const int series_number = number.value_or(0);
  if (series_number > static_cast<int>(chart->series.size())) return xlretFailed;
  const bool name_is_reference = name && !name->empty() && name->front() == '=';
  if (name_is_reference && !ValidSeriesReference(host, *name, Shape::Cell)) return xlretFailed;
  if (x_ref && !ValidSeriesReference(host, *x_ref, Shape::Rectangle)) return xlretFailed;
  if (y_ref && !ValidSeriesReference(host, *y_ref, Shape::Line)) return xlretFailed;

  ChartSeries* series = nullptr;
  if (series_number == 0) {
    if (!y_ref) return xlretFailed; // a series needs its values
    ChartSeries added;
    added.type = chart->type;
    added.axis_group = 1;
    added.plot_order = plot_order.value_or(static_cast<int>(chart->series.size()) + 1);
    chart->series.push_back(std::move(added));
    series = &chart->series.back();
  } else {
    series = &chart->series[static_cast<std::size_t>(series_number - 1)];
    if (plot_order) series->plot_order = *plot_order;
  }
  if (name) {
    series->name_ref = name_is_reference ? *name : std::string{};
    series->name_literal = name_is_reference ? std::string{} : *name;
  }
  if (x_ref) series->x_ref = *x_ref;
  if (y_ref) series->y_ref = *y_ref;
  return Succeed(result);
}

// ATTACH.TEXT(attach_to_num, series_num, point_num): the chart title (1), the value axis' title
// (2), the category axis' title (3) or the second value axis' title (5), made when missing and
// selected, so that FORMULA gives its text. The axis must be there. Labels of series and points
// (4) and the second category axis (6) are not kept: refused. A new title reads "Chart Title" or
// "Axis Title" until FORMULA gives its text.
template <class Oper> int AttachText(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 3) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<int> attach_to;
  if (int code = ReadInteger(args, 0, attach_to, 1, 7)) return code;
  if (int code = RefuseGiven(args, 1, 2)) return code;
  if (!attach_to) return xlretFailed;
  // Excel's new titles: the chart's in bold 12 point, an axis' in bold 10 point.
  if (*attach_to == 1) {
    if (!chart->title) chart->title = ChartText{"Chart Title", FontFormat{"Arial", 12, true}};
    chart->selected = "Title";
    return Succeed(result);
  }
  static constexpr std::array<int, 6> kAxisOf = {1, 2, 0, 3, 0, 0}; // attach_to 2..7
  const int axis_number = kAxisOf[static_cast<std::size_t>(*attach_to - 2)];
  ChartAxis* axis = axis_number == 0 ? nullptr : AxisOf(*chart, axis_number);
  if (axis == nullptr) return xlretFailed;
  if (!axis->title) axis->title = ChartText{"Axis Title", FontFormat{"Arial", 10, true}};
  chart->selected = ChartItemName(ChartItem{ChartItem::Kind::AxisTitle, axis_number});
  return Succeed(result);
}

// FORMULA(formula_text, reference) on a chart: the text of the selected title; with a series
// selected, an empty text deletes the series (and selects the chart area). A title linked to a
// cell ("=Sheet!R1C1"), a series' SERIES formula and labels attached to nothing are not kept:
// refused. kvhost enters nothing into cells with FORMULA (a worksheet active): refused.
template <class Oper> int Formula(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<std::string> text;
  if (int code = ReadText(args, 0, text)) return code;
  if (int code = RefuseGiven(args, 1, 1)) return code;
  if (!text || (!text->empty() && text->front() == '=')) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  if (item->kind == ChartItem::Kind::Title)
    chart->title->text = *text;
  else if (item->kind == ChartItem::Kind::AxisTitle)
    AxisOf(*chart, item->number)->title->text = *text;
  else if (item->kind == ChartItem::Kind::Series && text->empty()) {
    chart->series.erase(chart->series.begin() + (item->number - 1));
    DropUnusedSecondAxis(*chart);
    chart->selected = "Chart";
  } else
    return xlretFailed;
  return Succeed(result);
}

// LEGEND(logical): TRUE or omitted adds a legend (a new one formatted as Excel's default),
// FALSE deletes it.
template <class Oper> int Legend(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 1) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<bool> shown;
  if (int code = ReadBoolean(args, 0, shown)) return code;
  if (shown.value_or(true)) {
    if (!chart->legend) {
      chart->legend_box = BoxFormat{};
      chart->legend_font = FontFormat{};
    }
    chart->legend = true;
  } else {
    chart->legend = false;
    if (EqualsIgnoringCase(chart->selected, "Legend")) chart->selected = "Chart";
  }
  return Succeed(result);
}

// FORMAT.CHARTTYPE(apply_to, group_num, dimension, type_num): the type of the selected series
// (apply_to 1), of chart group group_num (2; numbered as FORMAT.CHART numbers them) or of the
// whole chart (3): 1 area, 2 bar, 3 column, 4 line, 8 XY. A series of another type than its
// group's starts a group of its own (a column chart with a line). When the selected series was
// the last of the main group, that group is gone and the first group left becomes the main one:
// a chart whose only series turns XY is an XY chart (the scree chart). Excel's reference does
// not say which group is main then; kvhost's reading is the first in FORMAT.CHART's numbering.
// kvhost keeps 2-D charts of these five types only.
template <class Oper> int FormatChartType(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 4) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<int> apply_to, group_num, dimension, type_num;
  if (int code = ReadInteger(args, 0, apply_to, 1, 3)) return code;
  if (int code = ReadInteger(args, 2, dimension, 1, 2)) return code;
  if (int code = ReadInteger(args, 3, type_num, 1, 20)) return code;
  if (!apply_to || !type_num || dimension.value_or(1) != 1) return xlretFailed;
  if (*type_num > 4 && *type_num != 8) return xlretFailed; // pie, doughnut, radar, ...
  const auto type = static_cast<ChartType>(*type_num);
  switch (*apply_to) {
  case 1: {
    ChartSeries* selected = SelectedSeries(*chart);
    if (selected == nullptr) return xlretFailed;
    selected->type = type;
    const bool main_group_left =
        std::any_of(chart->series.begin(), chart->series.end(), [&](const ChartSeries& s) {
          return s.axis_group == 1 && s.type == chart->type;
        });
    if (!main_group_left) chart->type = ChartGroups(*chart).front().type;
    break;
  }
  case 2: {
    const std::vector<ChartGroup> groups = ChartGroups(*chart);
    if (int code = ReadInteger(args, 1, group_num, 1, 255)) return code;
    if (!group_num || *group_num > static_cast<int>(groups.size())) return xlretFailed;
    const ChartGroup group = groups[static_cast<std::size_t>(*group_num - 1)];
    if (group == ChartGroup{1, chart->type}) chart->type = type;
    for (ChartSeries& series : chart->series)
      if (ChartGroup{series.axis_group, series.type} == group) series.type = type;
    break;
  }
  default:
    chart->type = type;
    for (ChartSeries& series : chart->series)
      series.type = type;
    break;
  }
  return Succeed(result);
}

// SERIES.AXES(axis_num): puts the selected series on the primary (1) or second (2) axes. The
// second value axis ("Axis 3") is there while some series is on it; when the last one leaves,
// it goes with its title and formats.
template <class Oper> int SeriesAxes(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 1) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<int> axis;
  if (int code = ReadInteger(args, 0, axis, 1, 2)) return code;
  ChartSeries* series = SelectedSeries(*chart);
  if (series == nullptr || !axis) return xlretFailed;
  series->axis_group = *axis;
  DropUnusedSecondAxis(*chart);
  return Succeed(result);
}

// FORMAT.CHART(layer_num, view, overlap, angle, gap_width, ...): the gap between the columns or
// bars of chart group layer_num (1 when omitted), 0 to 500 percent of a column's width. kvhost
// keeps one gap width, the column group's; the other settings are not kept: refused.
template <class Oper> int FormatChart(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 15) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<int> layer, gap_width;
  if (int code = ReadInteger(args, 0, layer, 1, 255)) return code;
  if (int code = RefuseGiven(args, 1, 3)) return code;
  if (int code = ReadInteger(args, 4, gap_width, 0, 500)) return code;
  if (int code = RefuseGiven(args, 5, 14)) return code;
  const std::vector<ChartGroup> groups = ChartGroups(*chart);
  const std::size_t index = static_cast<std::size_t>(layer.value_or(1) - 1);
  if (index >= groups.size()) return xlretFailed;
  if (gap_width) {
    const ChartType type = groups[index].type;
    if (type != ChartType::Column && type != ChartType::Bar) return xlretFailed;
    chart->gap_width = *gap_width;
  }
  return Succeed(result);
}

// SCALE(min_num, max_num, major, minor, cross, logarithmic, reverse, max) on the selected value
// axis, or on the X axis of an XY chart: the minimum and maximum, a number or TRUE for automatic.
// Units and crossing points other than automatic (TRUE), logarithmic and reversed scales are not
// kept: refused; so is the scale of a category axis.
template <class Oper> int Scale(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 9) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item || item->kind != ChartItem::Kind::Axis) return xlretFailed;
  if (item->number == 2) {
    const bool xy = std::all_of(chart->series.begin(), chart->series.end(), [](const auto& s) {
      return s.axis_group != 1 || s.type == ChartType::Scatter;
    });
    if (!xy) return xlretFailed;
  }
  // A bound: a number, or TRUE for automatic (nothing).
  std::optional<double> bounds[2];
  bool automatic[2] = {false, false};
  for (std::size_t i = 0; i < 2; ++i) {
    if (!Given(args, i)) continue;
    if (BaseType(*args[i]) == xltypeBool) {
      if (args[i]->val.xbool == 0) return xlretFailed;
      automatic[i] = true;
    } else if (int code = ReadNumber(args, i, bounds[i])) {
      return code;
    }
  }
  for (std::size_t i = 2; i < 5; ++i) {
    std::optional<bool> flag;
    if (Given(args, i) && BaseType(*args[i]) != xltypeBool) return xlretFailed;
    if (int code = ReadBoolean(args, i, flag)) return code;
    if (flag && !*flag) return xlretFailed;
  }
  if (int code = RefuseTrue(args, 5, 8)) return code;
  ChartAxis* axis = AxisOf(*chart, item->number);
  std::optional<double> minimum = automatic[0] ? std::nullopt
                                  : bounds[0]  ? bounds[0]
                                               : axis->minimum;
  std::optional<double> maximum = automatic[1] ? std::nullopt
                                  : bounds[1]  ? bounds[1]
                                               : axis->maximum;
  if (minimum && maximum && *minimum >= *maximum) return xlretFailed;
  axis->minimum = minimum;
  axis->maximum = maximum;
  return Succeed(result);
}

// DATA.LABEL(show_option, auto_text, show_key): labels on every point of the selected series
// (of every series with the chart area selected) showing the point's category, or its X value
// in an XY series (4), or none (1). auto_text puts back label texts edited by hand, which
// kvhost's labels never are. Values and percentages (2, 3, 5) and legend keys beside labels are
// not kept: refused. Excel's reference names option 4 "show label" without saying what an XY
// point's label is; kvhost reads it as the point's X value, the one category an XY point has
// (the scree chart labels its eigenvalues with the factor numbers this way). Unconfirmed.
template <class Oper> int DataLabel(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 3) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<int> show;
  std::optional<bool> auto_text;
  if (int code = ReadInteger(args, 0, show, 1, 5)) return code;
  if (int code = ReadBoolean(args, 1, auto_text)) return code;
  if (int code = RefuseTrue(args, 2, 2)) return code;
  if (!show || (*show != 1 && *show != 4)) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  if (item->kind == ChartItem::Kind::Series)
    SeriesOf(*chart, *item).data_labels = *show == 4;
  else if (item->kind == ChartItem::Kind::ChartArea)
    for (ChartSeries& series : chart->series)
      series.data_labels = *show == 4;
  else
    return xlretFailed;
  return Succeed(result);
}

} // namespace

void AddChartCommands(HandlerTable& table) {
  table[xlcSelectChart] = KV_HANDLER(SelectChart);
  table[xlcSelectPlotArea] = KV_HANDLER(SelectPlotArea);
  table[xlcClear] = KV_HANDLER(Clear);
  table[xlcOptionsChart] = KV_HANDLER(OptionsChart);
  table[xlcEditSeriesIntl] = KV_HANDLER(EditSeries);
  table[xlcAttachText] = KV_HANDLER(AttachText);
  table[xlcFormula] = KV_HANDLER(Formula);
  table[xlcLegend] = KV_HANDLER(Legend);
  table[xlcFormatCharttype] = KV_HANDLER(FormatChartType);
  table[xlcSeriesAxes] = KV_HANDLER(SeriesAxes);
  table[xlcFormatChart] = KV_HANDLER(FormatChart);
  table[xlcScale] = KV_HANDLER(Scale);
  table[xlcDataLabel] = KV_HANDLER(DataLabel);
}

} // namespace kvhost
