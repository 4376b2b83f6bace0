// PATTERNS, FONT.PROPERTIES and FORMAT.NUMBER on the selected chart item. Each fails
// (xlretFailed) when the active sheet is no chart, and when the selected item has no such
// format; a failed command changes nothing.
#include "chart_formats.h"

#include <optional>
#include <string>

#include "chart_items.h"
#include "command_arguments.h"

namespace kvhost {
namespace {

bool IsColumnLike(ChartType type) {
  return type == ChartType::Column || type == ChartType::Bar || type == ChartType::Area;
}

// PATTERNS' settings of a line: (auto, style 1-8, colour, weight), read before anything changes.
struct LineSettings {
  std::optional<int> mode, style, weight;
  std::optional<PaletteIndex> colour;

  template <class Oper> int Read(ArgumentsOf<Oper> args, std::size_t first) {
    if (int code = ReadInteger(args, first, mode, 0, 2)) return code;
    if (int code = ReadInteger(args, first + 1, style, 1, 8)) return code;
    if (int code = ReadColour(args, first + 2, colour, false)) return code;
    return ReadInteger(args, first + 3, weight, 1, 4);
  }
  void ApplyTo(LineFormat& line) const {
    if (mode) line.mode = static_cast<Auto>(*mode);
    if (style) line.style = static_cast<std::uint8_t>(*style);
    if (colour) line.colour = *colour;
    if (weight) line.weight = static_cast<std::uint8_t>(*weight);
  }
};

// PATTERNS' settings of an area or of markers: (auto, pattern or marker style, fore, back).
struct FillSettings {
  std::optional<int> mode, style;
  std::optional<PaletteIndex> fore, back;

  template <class Oper> int Read(ArgumentsOf<Oper> args, std::size_t first, int styles) {
    if (int code = ReadInteger(args, first, mode, 0, 2)) return code;
    if (int code = ReadInteger(args, first + 1, style, 1, styles)) return code;
    if (int code = ReadColour(args, first + 2, fore, false)) return code;
    return ReadColour(args, first + 3, back, false);
  }
  // `style_of` the field the second setting goes to: an area's pattern, markers' style.
  template <class Fill> void ApplyTo(Fill& fill, std::uint8_t Fill::*style_of) const {
    if (mode) fill.mode = static_cast<Auto>(*mode);
    if (style) fill.*style_of = static_cast<std::uint8_t>(*style);
    if (fore) fill.fore = *fore;
    if (back) fill.back = *back;
  }
};

// Excel 5's chart patterns and colours (new_fill, newui TRUE or omitted) are the ones kvhost
// keeps; Excel 4's (FALSE) are refused.
template <class Oper> int RefuseExcel4Patterns(ArgumentsOf<Oper> args, std::size_t index) {
  std::optional<bool> new_patterns;
  if (int code = ReadBoolean(args, index, new_patterns)) return code;
  return new_patterns.value_or(true) ? xlretSuccess : xlretFailed;
}

// Syntax 4 (chart area, plot area, legend, columns and bars): bauto, bstyle, bcolor, bwt,
// shadow, aauto, apattern (1-18), afore, aback, invert, apply, new_fill. kvhost keeps no
// shadows, no other pattern for negative values (invert), and does not carry a series' format
// over to similar items (apply): TRUE is refused.
template <class Oper> int PatternBox(ArgumentsOf<Oper> args, BoxFormat& box) {
  LineSettings border;
  FillSettings area;
  if (int code = border.Read(args, 0)) return code;
  if (int code = RefuseTrue(args, 4, 4)) return code;
  if (int code = area.Read(args, 5, 18)) return code;
  if (int code = RefuseTrue(args, 9, 10)) return code;
  if (int code = RefuseExcel4Patterns(args, 11)) return code;
  border.ApplyTo(box.border);
  area.ApplyTo(box.area, &AreaFormat::pattern);
  return xlretSuccess;
}

// Syntaxes 5 (axes) and 6 (gridlines): lauto, lstyle, lcolor, lwt, then settings kvhost does
// not keep, whose refusal `rest` the caller has read; a bad line setting is reported first.
template <class Oper> int PatternLine(ArgumentsOf<Oper> args, int rest, LineFormat& line) {
  LineSettings settings;
  if (int code = settings.Read(args, 0)) return code;
  if (rest != xlretSuccess) return rest;
  settings.ApplyTo(line);
  return xlretSuccess;
}

// Syntax 7 (lines and XY series): lauto, lstyle, lcolor, lwt, mauto, mstyle (1-9), mfore, mback,
// apply, smooth. apply and smoothing (TRUE) are not kept: refused.
template <class Oper> int PatternLineSeries(ArgumentsOf<Oper> args, ChartSeries& series) {
  LineSettings line;
  FillSettings markers;
  if (int code = line.Read(args, 0)) return code;
  if (int code = markers.Read(args, 4, 9)) return code;
  if (int code = RefuseTrue(args, 8, 9)) return code;
  line.ApplyTo(series.line);
  markers.ApplyTo(series.marker, &MarkerFormat::style);
  return xlretSuccess;
}

} // namespace

// PATTERNS on the selected chart item: which syntax its arguments follow is decided by the item
// (syntax 4 chart area, plot area, legend and column, bar or area series; 5 axes; 6 gridlines;
// 7 line and XY series), and arguments beyond the item's syntax have no effect. The frames of
// titles are not kept: refused.
template <class Oper>
int FormatChartItemPatterns(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  int code = xlretFailed;
  switch (item->kind) {
  case ChartItem::Kind::ChartArea: code = PatternBox(args, chart->chart_area); break;
  case ChartItem::Kind::PlotArea: code = PatternBox(args, chart->plot_area); break;
  case ChartItem::Kind::Legend: code = PatternBox(args, chart->legend_box); break;
  case ChartItem::Kind::Axis: // tick marks and where their labels go are not kept: refused
    code = PatternLine(args, RefuseGiven(args, 4, 6), AxisOf(*chart, item->number)->line);
    break;
  case ChartItem::Kind::Gridlines: // apply and smoothing (TRUE) are not kept: refused
    code = PatternLine(args, RefuseTrue(args, 4, 5), chart->gridlines);
    break;
  case ChartItem::Kind::Series: {
    ChartSeries& series = SeriesOf(*chart, *item);
    code = IsColumnLike(series.type) ? PatternBox(args, series.columns)
                                     : PatternLineSeries(args, series);
    break;
  }
  case ChartItem::Kind::Title:
  case ChartItem::Kind::AxisTitle: break;
  }
  return code == xlretSuccess ? Succeed(result) : code;
}

// FONT.PROPERTIES on the selected chart item: the title, an axis' tick labels, an axis title,
// the legend, or a series' data labels. With the chart area selected it changes every text of
// the chart, as Excel's chart-wide font does. The plot area and gridlines have no text: fails.
template <class Oper>
int FormatChartItemFont(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  FormatChange change;
  if (int code = ReadFontProperties(args, change)) return code;
  const auto item = SelectedItem(*chart);
  if (!item) return xlretFailed;
  switch (item->kind) {
  case ChartItem::Kind::ChartArea:
    if (chart->title) change.ApplyTo(chart->title->font);
    for (ChartAxis* axis : {&chart->value_axis, &chart->category_axis, &chart->second_value_axis}) {
      change.ApplyTo(axis->font);
      if (axis->title) change.ApplyTo(axis->title->font);
    }
    change.ApplyTo(chart->legend_font);
    for (ChartSeries& series : chart->series)
      change.ApplyTo(series.label_font);
    break;
  case ChartItem::Kind::Title: change.ApplyTo(chart->title->font); break;
  case ChartItem::Kind::Axis: change.ApplyTo(AxisOf(*chart, item->number)->font); break;
  case ChartItem::Kind::AxisTitle: change.ApplyTo(AxisOf(*chart, item->number)->title->font); break;
  case ChartItem::Kind::Legend: change.ApplyTo(chart->legend_font); break;
  case ChartItem::Kind::Series: change.ApplyTo(SeriesOf(*chart, *item).label_font); break;
  case ChartItem::Kind::PlotArea:
  case ChartItem::Kind::Gridlines: return xlretFailed;
  }
  return Succeed(result);
}

// FORMAT.NUMBER on a selected axis: the number format of its tick labels, no longer linked to
// the cells'. Number formats of data labels are not kept; other items have none: fails.
template <class Oper>
int FormatChartItemNumbers(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  Chart* chart = ActiveChart(host);
  if (chart == nullptr) return xlretFailed;
  std::optional<std::string> format;
  if (int code = ReadText(args, 0, format)) return code;
  if (!format || format->empty()) return xlretFailed;
  const auto item = SelectedItem(*chart);
  if (!item || item->kind != ChartItem::Kind::Axis) return xlretFailed;
  ChartAxis* axis = AxisOf(*chart, item->number);
  axis->number_format = *format;
  axis->number_format_linked = false;
  return Succeed(result);
}

template int FormatChartItemPatterns(ExcelHost&, XLOPER*, ArgumentsOf<XLOPER>);
template int FormatChartItemPatterns(ExcelHost&, XLOPER12*, ArgumentsOf<XLOPER12>);
template int FormatChartItemFont(ExcelHost&, XLOPER*, ArgumentsOf<XLOPER>);
template int FormatChartItemFont(ExcelHost&, XLOPER12*, ArgumentsOf<XLOPER12>);
template int FormatChartItemNumbers(ExcelHost&, XLOPER*, ArgumentsOf<XLOPER>);
template int FormatChartItemNumbers(ExcelHost&, XLOPER12*, ArgumentsOf<XLOPER12>);

} // namespace kvhost
