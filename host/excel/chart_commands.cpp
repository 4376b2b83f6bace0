// Chart commands on the active chart sheet: selecting chart items, series from R1C1
// references, chart types and axis groups, titles, legend, scales, data labels, and the formats
// of the selected item. Every command fails (xlretFailed) when the active sheet is no chart, and
// when the item it needs is not there; a failed command changes nothing.
#include "chart_commands.h"

#include <algorithm>
#include <array>

#include "../model/references.h"
#include "command_arguments.h"
#include "values.h"

namespace kvhost {
namespace {

Chart* ActiveChart(ExcelHost& host) {
  Sheet& sheet = host.app().ActiveSheet();
  if (sheet.kind != SheetKind::Chart || !sheet.chart) return nullptr;
  return &*sheet.chart;
}

// A chart item, as SELECT's item texts name them.
struct Item {
  enum class Kind { ChartArea, PlotArea, Legend, Title, Axis, AxisTitle, Gridlines, Series } kind;
  int number = 0; // of an axis, an axis title, the gridlines, a series (from 1)
};

std::string ItemName(const Item& item) {
  std::string name;
  switch (item.kind) {
  case Item::Kind::ChartArea: return "Chart";
  case Item::Kind::PlotArea: return "Plot";
  case Item::Kind::Legend: return "Legend";
  case Item::Kind::Title: return "Title";
  case Item::Kind::Axis: name = "Axis "; break;
  case Item::Kind::AxisTitle: name = "Text Axis "; break;
  case Item::Kind::Gridlines: name = "Gridline "; break;
  case Item::Kind::Series: name = "S"; break;
  }
  return name.append(std::to_string(item.number));
}

// The number that ends `text` after `prefix` (any case), e.g. "Axis 3" -> 3.
std::optional<int> NumberAfter(std::string_view text, std::string_view prefix) {
  if (text.size() <= prefix.size() || !EqualsIgnoringCase(text.substr(0, prefix.size()), prefix))
    return std::nullopt;
  int number = 0;
  for (char c : text.substr(prefix.size())) {
    if (c < '0' || c > '9' || number > 1000) return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

// Reads an item text. Points ("S1P2") and the other items of Excel's list (drop lines, up and
// down bars, ...) are not kept by kvhost: nothing.
std::optional<Item> ParseItem(std::string_view text) {
  using Kind = Item::Kind;
  if (EqualsIgnoringCase(text, "Chart")) return Item{Kind::ChartArea};
  if (EqualsIgnoringCase(text, "Plot")) return Item{Kind::PlotArea};
  if (EqualsIgnoringCase(text, "Legend")) return Item{Kind::Legend};
  if (EqualsIgnoringCase(text, "Title")) return Item{Kind::Title};
  if (auto n = NumberAfter(text, "Text Axis ")) return Item{Kind::AxisTitle, *n};
  if (auto n = NumberAfter(text, "Axis ")) return Item{Kind::Axis, *n};
  if (auto n = NumberAfter(text, "Gridline ")) return Item{Kind::Gridlines, *n};
  if (auto n = NumberAfter(text, "S")) return Item{Kind::Series, *n};
  return std::nullopt;
}

bool HasSecondAxis(const Chart& chart) {
  return std::any_of(chart.series.begin(), chart.series.end(),
                     [](const ChartSeries& s) { return s.axis_group == 2; });
}

// "Axis 1" the value axis, "Axis 2" the category (X) axis, "Axis 3" the second value axis, each
// there when the chart plots something ("Axis 3" when a series is on the second axis group).
ChartAxis* AxisOf(Chart& chart, int number) {
  if (chart.series.empty()) return nullptr;
  switch (number) {
  case 1: return &chart.value_axis;
  case 2: return &chart.category_axis;
  case 3: return HasSecondAxis(chart) ? &chart.second_value_axis : nullptr;
  default: return nullptr; // the second category axis is not kept
  }
}

// Whether the chart has the item. An empty chart (no series) shows its chart area and its title
// only: no plot area, axes or gridlines.
bool Exists(Chart& chart, const Item& item) {
  switch (item.kind) {
  case Item::Kind::ChartArea: return true;
  case Item::Kind::PlotArea: return !chart.series.empty();
  case Item::Kind::Legend: return chart.legend;
  case Item::Kind::Title: return chart.title.has_value();
  case Item::Kind::Axis: return AxisOf(chart, item.number) != nullptr;
  case Item::Kind::AxisTitle: {
    const ChartAxis* axis = AxisOf(chart, item.number);
    return axis != nullptr && axis->title.has_value();
  }
  case Item::Kind::Gridlines:
    return item.number == 1 && !chart.series.empty() && chart.major_gridlines;
  case Item::Kind::Series:
    return item.number >= 1 && item.number <= static_cast<int>(chart.series.size());
  }
  return false;
}

std::optional<Item> SelectedItem(Chart& chart) {
  auto item = ParseItem(chart.selected);
  if (!item || !Exists(chart, *item)) return std::nullopt;
  return item;
}

// The selected series; null when the selection is no series.
ChartSeries* SelectedSeries(Chart& chart) {
  const auto item = SelectedItem(chart);
  if (!item || item->kind != Item::Kind::Series) return nullptr;
  return &chart.series[static_cast<std::size_t>(item->number - 1)];
}

bool IsColumnLike(ChartType type) {
  return type == ChartType::Column || type == ChartType::Bar || type == ChartType::Area;
}

// A chart group: the series of one type on one axis group. Groups are numbered (FORMAT.CHART's
// layer_num) first those of the primary axes, then those of the second, each in Excel's order
// of chart types: area, bar, column, line, XY.
struct Group {
  int axis_group;
  ChartType type;
  bool operator==(const Group&) const = default;
};
std::vector<Group> Groups(const Chart& chart) {
  std::vector<Group> groups;
  for (int axis_group : {1, 2})
    for (ChartType type :
         {ChartType::Area, ChartType::Bar, ChartType::Column, ChartType::Line, ChartType::Scatter})
      if (std::any_of(chart.series.begin(), chart.series.end(), [&](const ChartSeries& s) {
            return s.axis_group == axis_group && s.type == type;
          }))
        groups.push_back({axis_group, type});
  if (groups.empty()) groups.push_back({1, chart.type}); // an empty chart: its main group
  return groups;
}

int Succeed(LPXLOPER result) {
  SetBoolean(result, true);
  return xlretSuccess;
}

// SELECT.CHART(): the chart area.
int SelectChart(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (!args.empty()) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  chart->selected = "Chart";
  return Succeed(result);
}

// SELECT.PLOT.AREA(): the plot area.
int SelectPlotArea(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (!args.empty()) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr || !Exists(*chart, Item{Item::Kind::PlotArea})) return xlretFailed;
  chart->selected = "Plot";
  return Succeed(result);
}

// CLEAR(type_num) on a chart. With the entire chart selected, contents (3) deletes every series.
// With a series selected, all (1, the default there) deletes that series; with the legend, a
// title or the gridlines selected, type_num omitted deletes that item; the chart area is then
// selected. Clearing formats (2), everything of a whole chart (1), and clearing cells (a
// worksheet active) are not done by kvhost: refused.
int Clear(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.size() > 1) return xlretInvCount;
  std::optional<int> type;
  if (int code = ReadInteger(args, 0, type, 1, 4)) return code;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  switch (item->kind) {
  case Item::Kind::ChartArea:
    if (type != 3) return xlretFailed;
    chart->series.clear();
    break;
  case Item::Kind::Series:
    if (type.value_or(1) != 1) return xlretFailed;
    chart->series.erase(chart->series.begin() + (item->number - 1));
    break;
  case Item::Kind::Legend:
  case Item::Kind::Title:
  case Item::Kind::AxisTitle:
  case Item::Kind::Gridlines:
    if (type) return xlretFailed;
    if (item->kind == Item::Kind::Legend) chart->legend = false;
    if (item->kind == Item::Kind::Title) chart->title.reset();
    if (item->kind == Item::Kind::AxisTitle) AxisOf(*chart, item->number)->title.reset();
    if (item->kind == Item::Kind::Gridlines) chart->major_gridlines = false;
    break;
  case Item::Kind::PlotArea:
  case Item::Kind::Axis: return xlretFailed; // neither is deleted
  }
  if (!HasSecondAxis(*chart)) chart->second_value_axis = ChartAxis{};
  chart->selected = "Chart";
  return Succeed(result);
}

// OPTIONS.CHART(display_blanks, plot_visible, size_with_window): whether the chart is sized with
// its window. How blanks are plotted, and plotting hidden cells, are not kept: refused.
int OptionsChart(ExcelHost& host, LPXLOPER result, Arguments args) {
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
  const auto reference = ParseR1C1Reference(text);
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
int EditSeries(ExcelHost& host, LPXLOPER result, Arguments args) {
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
int AttachText(ExcelHost& host, LPXLOPER result, Arguments args) {
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
  chart->selected = ItemName(Item{Item::Kind::AxisTitle, axis_number});
  return Succeed(result);
}

// FORMULA(formula_text, reference) on a chart: the text of the selected title; with a series
// selected, an empty text deletes the series (and selects the chart area). A title linked to a
// cell ("=Sheet!R1C1"), a series' SERIES formula and labels attached to nothing are not kept:
// refused. kvhost enters nothing into cells with FORMULA (a worksheet active): refused.
int Formula(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<std::string> text;
  if (int code = ReadText(args, 0, text)) return code;
  if (int code = RefuseGiven(args, 1, 1)) return code;
  if (!text || (!text->empty() && text->front() == '=')) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  if (item->kind == Item::Kind::Title)
    chart->title->text = *text;
  else if (item->kind == Item::Kind::AxisTitle)
    AxisOf(*chart, item->number)->title->text = *text;
  else if (item->kind == Item::Kind::Series && text->empty()) {
    chart->series.erase(chart->series.begin() + (item->number - 1));
    if (!HasSecondAxis(*chart)) chart->second_value_axis = ChartAxis{};
    chart->selected = "Chart";
  } else
    return xlretFailed;
  return Succeed(result);
}

// LEGEND(logical): TRUE or omitted adds a legend (a new one formatted as Excel's default),
// FALSE deletes it.
int Legend(ExcelHost& host, LPXLOPER result, Arguments args) {
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
// group's starts a group of its own (a column chart with a line). kvhost keeps 2-D charts of
// these five types only.
int FormatChartType(ExcelHost& host, LPXLOPER result, Arguments args) {
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
    break;
  }
  case 2: {
    const std::vector<Group> groups = Groups(*chart);
    if (int code = ReadInteger(args, 1, group_num, 1, 255)) return code;
    if (!group_num || *group_num > static_cast<int>(groups.size())) return xlretFailed;
    const Group group = groups[static_cast<std::size_t>(*group_num - 1)];
    if (group == Group{1, chart->type}) chart->type = type;
    for (ChartSeries& series : chart->series)
      if (Group{series.axis_group, series.type} == group) series.type = type;
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
int SeriesAxes(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.size() != 1) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<int> axis;
  if (int code = ReadInteger(args, 0, axis, 1, 2)) return code;
  ChartSeries* series = SelectedSeries(*chart);
  if (series == nullptr || !axis) return xlretFailed;
  series->axis_group = *axis;
  if (!HasSecondAxis(*chart)) chart->second_value_axis = ChartAxis{};
  return Succeed(result);
}

// FORMAT.CHART(layer_num, view, overlap, angle, gap_width, ...): the gap between the columns or
// bars of chart group layer_num (1 when omitted), 0 to 500 percent of a column's width. kvhost
// keeps one gap width, the column group's; the other settings are not kept: refused.
int FormatChart(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.size() > 15) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<int> layer, gap_width;
  if (int code = ReadInteger(args, 0, layer, 1, 255)) return code;
  if (int code = RefuseGiven(args, 1, 3)) return code;
  if (int code = ReadInteger(args, 4, gap_width, 0, 500)) return code;
  if (int code = RefuseGiven(args, 5, 14)) return code;
  const std::vector<Group> groups = Groups(*chart);
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
int Scale(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.size() > 9) return xlretInvCount;
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item || item->kind != Item::Kind::Axis) return xlretFailed;
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
// not kept: refused.
int DataLabel(ExcelHost& host, LPXLOPER result, Arguments args) {
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
  if (item->kind == Item::Kind::Series)
    chart->series[static_cast<std::size_t>(item->number - 1)].data_labels = *show == 4;
  else if (item->kind == Item::Kind::ChartArea)
    for (ChartSeries& series : chart->series)
      series.data_labels = *show == 4;
  else
    return xlretFailed;
  return Succeed(result);
}

// PATTERNS' settings of lines and areas, read before anything changes.
struct LineSettings {
  std::optional<int> mode, style, weight;
  std::optional<PaletteIndex> colour;
  void ApplyTo(LineFormat& line) const {
    if (mode) line.mode = static_cast<Auto>(*mode);
    if (style) line.style = static_cast<std::uint8_t>(*style);
    if (colour) line.colour = *colour;
    if (weight) line.weight = static_cast<std::uint8_t>(*weight);
  }
};

// (auto, style, colour, weight) from argument `first` on.
int ReadLine(Arguments args, std::size_t first, LineSettings& line, int styles) {
  if (int code = ReadInteger(args, first, line.mode, 0, 2)) return code;
  if (int code = ReadInteger(args, first + 1, line.style, 1, styles)) return code;
  if (int code = ReadColour(args, first + 2, line.colour, false)) return code;
  return ReadInteger(args, first + 3, line.weight, 1, 4);
}

// Excel 5's chart patterns and colours (new_fill, newui TRUE or omitted) are the ones kvhost
// keeps; Excel 4's (FALSE) are refused.
int RefuseExcel4Patterns(Arguments args, std::size_t index) {
  std::optional<bool> new_patterns;
  if (int code = ReadBoolean(args, index, new_patterns)) return code;
  return new_patterns.value_or(true) ? xlretSuccess : xlretFailed;
}

// Syntax 4 (chart area, plot area, legend, columns and bars): bauto, bstyle, bcolor, bwt,
// shadow, aauto, apattern (1-18), afore, aback, invert, apply, new_fill. kvhost keeps no
// shadows, no other pattern for negative values (invert), and does not carry a series' format
// over to similar items (apply): TRUE is refused.
int PatternBox(Arguments args, BoxFormat& box) {
  LineSettings border;
  std::optional<int> area_mode, pattern;
  std::optional<PaletteIndex> fore, back;
  if (int code = ReadLine(args, 0, border, 8)) return code;
  if (int code = RefuseTrue(args, 4, 4)) return code;
  if (int code = ReadInteger(args, 5, area_mode, 0, 2)) return code;
  if (int code = ReadInteger(args, 6, pattern, 1, 18)) return code;
  if (int code = ReadColour(args, 7, fore, false)) return code;
  if (int code = ReadColour(args, 8, back, false)) return code;
  if (int code = RefuseTrue(args, 9, 10)) return code;
  if (int code = RefuseExcel4Patterns(args, 11)) return code;
  border.ApplyTo(box.border);
  if (area_mode) box.area.mode = static_cast<Auto>(*area_mode);
  if (pattern) box.area.pattern = static_cast<std::uint8_t>(*pattern);
  if (fore) box.area.fore = *fore;
  if (back) box.area.back = *back;
  return xlretSuccess;
}

// Syntax 5 (axes): lauto, lstyle, lcolor, lwt, tmajor, tminor, tlabel. Tick marks and the place
// of tick labels are not kept: refused.
int PatternAxis(Arguments args, LineFormat& line) {
  LineSettings settings;
  if (int code = ReadLine(args, 0, settings, 8)) return code;
  if (int code = RefuseGiven(args, 4, 6)) return code;
  settings.ApplyTo(line);
  return xlretSuccess;
}

// Syntax 6 (gridlines): lauto, lstyle, lcolor, lwt, apply, smooth; apply and smoothing (TRUE)
// are not kept.
int PatternGridlines(Arguments args, LineFormat& line) {
  LineSettings settings;
  if (int code = ReadLine(args, 0, settings, 8)) return code;
  if (int code = RefuseTrue(args, 4, 5)) return code;
  settings.ApplyTo(line);
  return xlretSuccess;
}

// Syntax 7 (lines and XY series): lauto, lstyle, lcolor, lwt, mauto, mstyle, mfore, mback,
// apply, smooth. apply and smoothing (TRUE) are not kept: refused.
int PatternLineSeries(Arguments args, ChartSeries& series) {
  LineSettings line;
  std::optional<int> marker_mode, marker_style;
  std::optional<PaletteIndex> fore, back;
  if (int code = ReadLine(args, 0, line, 8)) return code;
  if (int code = ReadInteger(args, 4, marker_mode, 0, 2)) return code;
  if (int code = ReadInteger(args, 5, marker_style, 1, 9)) return code;
  if (int code = ReadColour(args, 6, fore, false)) return code;
  if (int code = ReadColour(args, 7, back, false)) return code;
  if (int code = RefuseTrue(args, 8, 9)) return code;
  line.ApplyTo(series.line);
  if (marker_mode) series.marker.mode = static_cast<Auto>(*marker_mode);
  if (marker_style) series.marker.style = static_cast<std::uint8_t>(*marker_style);
  if (fore) series.marker.fore = *fore;
  if (back) series.marker.back = *back;
  return xlretSuccess;
}

} // namespace

// SELECT(item_text, single_point) on a chart: selects the named item ("Chart", "Plot",
// "Legend", "Title", "Axis 1" to "Axis 3", "Text Axis 1" to "Text Axis 3", "Gridline 1", "Sn").
// An item the chart does not have fails and leaves the selection as it was; so does a
// reference to cells.
int SelectChartItem(ExcelHost& host, LPXLOPER result, Arguments args) {
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  if (int code = RefuseGiven(args, 1, 1)) return code;
  std::optional<std::string> text;
  if (BaseType(*args[0]) != xltypeStr) return xlretFailed;
  if (int code = ReadText(args, 0, text)) return code;
  const auto item = text ? ParseItem(*text) : std::nullopt;
  if (!item || !Exists(*chart, *item)) return xlretFailed;
  chart->selected = ItemName(*item);
  return Succeed(result);
}

// PATTERNS on the selected chart item: which syntax its arguments follow is decided by the item
// (syntax 4 chart area, plot area, legend and column, bar or area series; 5 axes; 6 gridlines;
// 7 line and XY series), and arguments beyond the item's syntax have no effect. The frames of
// titles are not kept: refused.
int FormatChartItemPatterns(ExcelHost& host, LPXLOPER result, Arguments args) {
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  int code = xlretFailed;
  switch (item->kind) {
  case Item::Kind::ChartArea: code = PatternBox(args, chart->chart_area); break;
  case Item::Kind::PlotArea: code = PatternBox(args, chart->plot_area); break;
  case Item::Kind::Legend: code = PatternBox(args, chart->legend_box); break;
  case Item::Kind::Axis: code = PatternAxis(args, AxisOf(*chart, item->number)->line); break;
  case Item::Kind::Gridlines: code = PatternGridlines(args, chart->gridlines); break;
  case Item::Kind::Series: {
    ChartSeries& series = chart->series[static_cast<std::size_t>(item->number - 1)];
    code = IsColumnLike(series.type) ? PatternBox(args, series.columns)
                                     : PatternLineSeries(args, series);
    break;
  }
  case Item::Kind::Title:
  case Item::Kind::AxisTitle: break;
  }
  return code == xlretSuccess ? Succeed(result) : code;
}

// FONT.PROPERTIES on the selected chart item: the title, an axis' tick labels, an axis title,
// the legend, or a series' data labels. With the chart area selected it changes every text of
// the chart, as Excel's chart-wide font does. The plot area and gridlines have no text: fails.
int FormatChartItemFont(ExcelHost& host, LPXLOPER result, Arguments args) {
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  FormatChange change;
  if (int code = ReadFontProperties(args, change)) return code;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  switch (item->kind) {
  case Item::Kind::ChartArea:
    if (chart->title) change.ApplyTo(chart->title->font);
    for (ChartAxis* axis : {&chart->value_axis, &chart->category_axis, &chart->second_value_axis}) {
      change.ApplyTo(axis->font);
      if (axis->title) change.ApplyTo(axis->title->font);
    }
    change.ApplyTo(chart->legend_font);
    for (ChartSeries& series : chart->series)
      change.ApplyTo(series.label_font);
    break;
  case Item::Kind::Title: change.ApplyTo(chart->title->font); break;
  case Item::Kind::Axis: change.ApplyTo(AxisOf(*chart, item->number)->font); break;
  case Item::Kind::AxisTitle: change.ApplyTo(AxisOf(*chart, item->number)->title->font); break;
  case Item::Kind::Legend: change.ApplyTo(chart->legend_font); break;
  case Item::Kind::Series:
    change.ApplyTo(chart->series[static_cast<std::size_t>(item->number - 1)].label_font);
    break;
  case Item::Kind::PlotArea:
  case Item::Kind::Gridlines: return xlretFailed;
  }
  return Succeed(result);
}

// FORMAT.NUMBER on a selected axis: the number format of its tick labels, no longer linked to
// the cells'. Number formats of data labels are not kept; other items have none: fails.
int FormatChartItemNumbers(ExcelHost& host, LPXLOPER result, Arguments args) {
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<std::string> format;
  if (int code = ReadText(args, 0, format)) return code;
  if (!format || format->empty()) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item || item->kind != Item::Kind::Axis) return xlretFailed;
  ChartAxis* axis = AxisOf(*chart, item->number);
  axis->number_format = *format;
  axis->number_format_linked = false;
  return Succeed(result);
}

void AddChartCommands(HandlerTable& table) {
  table[xlcSelectChart] = SelectChart;
  table[xlcSelectPlotArea] = SelectPlotArea;
  table[xlcClear] = Clear;
  table[xlcOptionsChart] = OptionsChart;
  table[xlcEditSeriesIntl] = EditSeries;
  table[xlcAttachText] = AttachText;
  table[xlcFormula] = Formula;
  table[xlcLegend] = Legend;
  table[xlcFormatCharttype] = FormatChartType;
  table[xlcSeriesAxes] = SeriesAxes;
  table[xlcFormatChart] = FormatChart;
  table[xlcScale] = Scale;
  table[xlcDataLabel] = DataLabel;
}

} // namespace kvhost
