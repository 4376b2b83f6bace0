#include "chart_items.h"

#include <algorithm>

#include "command_arguments.h"
#include "values.h"

namespace kvhost {
namespace {

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

bool HasSecondAxis(const Chart& chart) {
  return std::any_of(chart.series.begin(), chart.series.end(),
                     [](const ChartSeries& s) { return s.axis_group == 2; });
}

} // namespace

Chart* ActiveChart(ExcelHost& host) {
  Sheet& sheet = host.app().ActiveSheet();
  if (sheet.kind != SheetKind::Chart || !sheet.chart) return nullptr;
  return &*sheet.chart;
}

std::string ChartItemName(const ChartItem& item) {
  std::string name;
  switch (item.kind) {
  case ChartItem::Kind::ChartArea: return "Chart";
  case ChartItem::Kind::PlotArea: return "Plot";
  case ChartItem::Kind::Legend: return "Legend";
  case ChartItem::Kind::Title: return "Title";
  case ChartItem::Kind::Axis: name = "Axis "; break;
  case ChartItem::Kind::AxisTitle: name = "Text Axis "; break;
  case ChartItem::Kind::Gridlines: name = "Gridline "; break;
  case ChartItem::Kind::Series: name = "S"; break;
  }
  return name.append(std::to_string(item.number));
}

std::optional<ChartItem> ParseChartItem(std::string_view text) {
  using Kind = ChartItem::Kind;
  if (EqualsIgnoringCase(text, "Chart")) return ChartItem{Kind::ChartArea};
  if (EqualsIgnoringCase(text, "Plot")) return ChartItem{Kind::PlotArea};
  if (EqualsIgnoringCase(text, "Legend")) return ChartItem{Kind::Legend};
  if (EqualsIgnoringCase(text, "Title")) return ChartItem{Kind::Title};
  if (auto n = NumberAfter(text, "Text Axis ")) return ChartItem{Kind::AxisTitle, *n};
  if (auto n = NumberAfter(text, "Axis ")) return ChartItem{Kind::Axis, *n};
  if (auto n = NumberAfter(text, "Gridline ")) return ChartItem{Kind::Gridlines, *n};
  if (auto n = NumberAfter(text, "S")) return ChartItem{Kind::Series, *n};
  return std::nullopt;
}

ChartAxis* AxisOf(Chart& chart, int number) {
  if (chart.series.empty()) return nullptr;
  switch (number) {
  case 1: return &chart.value_axis;
  case 2: return &chart.category_axis;
  case 3: return HasSecondAxis(chart) ? &chart.second_value_axis : nullptr;
  default: return nullptr; // the second category axis is not kept
  }
}

void DropUnusedSecondAxis(Chart& chart) {
  if (!HasSecondAxis(chart)) chart.second_value_axis = ChartAxis{};
}

bool HasItem(Chart& chart, const ChartItem& item) {
  switch (item.kind) {
  case ChartItem::Kind::ChartArea: return true;
  case ChartItem::Kind::PlotArea: return !chart.series.empty();
  case ChartItem::Kind::Legend: return chart.legend;
  case ChartItem::Kind::Title: return chart.title.has_value();
  case ChartItem::Kind::Axis: return AxisOf(chart, item.number) != nullptr;
  case ChartItem::Kind::AxisTitle: {
    const ChartAxis* axis = AxisOf(chart, item.number);
    return axis != nullptr && axis->title.has_value();
  }
  case ChartItem::Kind::Gridlines:
    return item.number == 1 && !chart.series.empty() && chart.major_gridlines;
  case ChartItem::Kind::Series:
    return item.number >= 1 && item.number <= static_cast<int>(chart.series.size());
  }
  return false;
}

std::optional<ChartItem> SelectedItem(Chart& chart) {
  auto item = ParseChartItem(chart.selected);
  if (!item || !HasItem(chart, *item)) return std::nullopt;
  return item;
}

ChartSeries& SeriesOf(Chart& chart, const ChartItem& series_item) {
  return chart.series[static_cast<std::size_t>(series_item.number - 1)];
}

ChartSeries* SelectedSeries(Chart& chart) {
  const auto item = SelectedItem(chart);
  if (!item || item->kind != ChartItem::Kind::Series) return nullptr;
  return &SeriesOf(chart, *item);
}

std::vector<ChartGroup> ChartGroups(const Chart& chart) {
  std::vector<ChartGroup> groups;
  for (int axis_group : {1, 2})
    for (ChartType type :
         {ChartType::Area, ChartType::Bar, ChartType::Column, ChartType::Line, ChartType::Scatter})
      if (std::any_of(chart.series.begin(), chart.series.end(), [&](const ChartSeries& s) {
            return s.axis_group == axis_group && s.type == type;
          }))
        groups.push_back({axis_group, type});
  if (groups.empty()) groups.push_back({1, chart.type});
  return groups;
}

template <class Oper> int SelectChartItem(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  if (int code = RefuseGiven(args, 1, 1)) return code;
  std::optional<std::string> text;
  if (BaseType(*args[0]) != xltypeStr) return xlretFailed;
  if (int code = ReadText(args, 0, text)) return code;
  const auto item = text ? ParseChartItem(*text) : std::nullopt;
  if (!item || !HasItem(*chart, *item)) return xlretFailed;
  chart->selected = ChartItemName(*item);
  return Succeed(result);
}

template int SelectChartItem(ExcelHost&, XLOPER*, ArgumentsOf<XLOPER>);
template int SelectChartItem(ExcelHost&, XLOPER12*, ArgumentsOf<XLOPER12>);

} // namespace kvhost
