// Charts: the chart of a chart sheet through libxlsxwriter, and, as DrawingML for the package
// step, what libxlsxwriter cannot write: a second chart group (a line group, on the second
// value axis or on the first), that axis, the legend's frame and fill.
#include <algorithm>

#include "../model/references.h"
#include "xlsx_parts.h"

namespace kvhost::xlsx {
namespace {

constexpr int kEmuPerPoint = 12700;

// Line weights as Excel draws them: hairline, thin, medium, thick.
double WeightPoints(std::uint8_t weight) {
  switch (weight) {
  case 1: return 0.25;
  case 3: return 1.5;
  case 4: return 2.25;
  default: return 0.75;
  }
}

struct Dash {
  std::uint8_t type;
  const char* preset;
};
// Styles 6-8, the grey-tinted lines of old Excel, are drawn solid.
Dash DashOf(std::uint8_t style) {
  switch (style) {
  case 2: return {LXW_CHART_LINE_DASH_DASH, "dash"};
  case 3: return {LXW_CHART_LINE_DASH_ROUND_DOT, "sysDot"};
  case 4: return {LXW_CHART_LINE_DASH_DASH_DOT, "dashDot"};
  case 5: return {LXW_CHART_LINE_DASH_SYSTEM_DASH_DOT_DOT, "sysDashDotDot"};
  default: return {LXW_CHART_LINE_DASH_SOLID, "solid"};
  }
}

struct Symbol {
  std::uint8_t type;
  const char* name;
};
// Short and long bars are both DrawingML's "dash".
Symbol SymbolOf(std::uint8_t style) {
  switch (style) {
  case 2: return {LXW_CHART_MARKER_DIAMOND, "diamond"};
  case 3: return {LXW_CHART_MARKER_TRIANGLE, "triangle"};
  case 4: return {LXW_CHART_MARKER_X, "x"};
  case 5: return {LXW_CHART_MARKER_STAR, "star"};
  case 6: return {LXW_CHART_MARKER_SHORT_DASH, "dash"};
  case 7: return {LXW_CHART_MARKER_LONG_DASH, "dash"};
  case 8: return {LXW_CHART_MARKER_CIRCLE, "circle"};
  case 9: return {LXW_CHART_MARKER_PLUS, "plus"};
  default: return {LXW_CHART_MARKER_SQUARE, "square"};
  }
}

struct Pattern {
  std::uint8_t type;
  const char* preset;
};
// PATTERNS' area patterns 2-18 (the cell patterns) as the nearest DrawingML pattern.
Pattern PatternOf(std::uint8_t pattern) {
  static constexpr Pattern kPatterns[] = {
      {LXW_CHART_PATTERN_PERCENT_50, "pct50"},
      {LXW_CHART_PATTERN_PERCENT_75, "pct75"},
      {LXW_CHART_PATTERN_PERCENT_25, "pct25"},
      {LXW_CHART_PATTERN_DARK_HORIZONTAL, "dkHorz"},
      {LXW_CHART_PATTERN_DARK_VERTICAL, "dkVert"},
      {LXW_CHART_PATTERN_DARK_DOWNWARD_DIAGONAL, "dkDnDiag"},
      {LXW_CHART_PATTERN_DARK_UPWARD_DIAGONAL, "dkUpDiag"},
      {LXW_CHART_PATTERN_LARGE_GRID, "lgGrid"},
      {LXW_CHART_PATTERN_TRELLIS, "trellis"},
      {LXW_CHART_PATTERN_LIGHT_HORIZONTAL, "ltHorz"},
      {LXW_CHART_PATTERN_LIGHT_VERTICAL, "ltVert"},
      {LXW_CHART_PATTERN_LIGHT_DOWNWARD_DIAGONAL, "ltDnDiag"},
      {LXW_CHART_PATTERN_LIGHT_UPWARD_DIAGONAL, "ltUpDiag"},
      {LXW_CHART_PATTERN_SMALL_GRID, "smGrid"},
      {LXW_CHART_PATTERN_PERCENT_30, "pct30"},
      {LXW_CHART_PATTERN_PERCENT_10, "pct10"},
      {LXW_CHART_PATTERN_PERCENT_5, "pct5"},
  };
  if (pattern < 2 || pattern > 18) return kPatterns[0];
  return kPatterns[pattern - 2];
}

// A custom solid area with an automatic colour keeps the colour Excel would pick.
bool IsSolid(const AreaFormat& area) {
  return area.pattern <= 1;
}

// --- libxlsxwriter's side.

std::optional<lxw_chart_line> LxwLine(const LineFormat& format) {
  if (format.mode == Auto::Automatic) return {};
  lxw_chart_line line{};
  if (format.mode == Auto::None) {
    line.none = LXW_TRUE;
    return line;
  }
  line.color = Colour(format.colour);
  line.width = static_cast<float>(WeightPoints(format.weight));
  line.dash_type = DashOf(format.style).type;
  return line;
}

// Applies an area format through the setters of one chart part.
template <typename SetFill, typename SetPattern>
void ApplyArea(const AreaFormat& area, SetFill set_fill, SetPattern set_pattern) {
  if (area.mode == Auto::Automatic) return;
  lxw_chart_fill fill{};
  if (area.mode == Auto::None) {
    fill.none = LXW_TRUE;
    set_fill(&fill);
  } else if (IsSolid(area)) {
    if (area.fore == kAutomaticColour) return;
    fill.color = Colour(area.fore);
    set_fill(&fill);
  } else {
    lxw_chart_pattern pattern{};
    pattern.type = PatternOf(area.pattern).type;
    pattern.fg_color = area.fore == kAutomaticColour ? Colour(1) : Colour(area.fore);
    pattern.bg_color = area.back == kAutomaticColour ? Colour(2) : Colour(area.back);
    set_pattern(&pattern);
  }
}

// libxlsxwriter copies what it is given; the name must outlive only the call.
class LxwFont {
public:
  explicit LxwFont(const FontFormat& format) : name_(format.name) {
    font_.name = name_.data();
    font_.size = format.size;
    font_.bold = format.bold;
    font_.italic = format.italic;
    font_.color = Colour(format.colour);
  }
  LxwFont(const LxwFont&) = delete;
  LxwFont& operator=(const LxwFont&) = delete;
  lxw_chart_font* get() { return &font_; }

private:
  std::string name_;
  lxw_chart_font font_{};
};

void StyleAxis(lxw_chart_axis* axis, const ChartAxis& model) {
  if (!model.number_format_linked) chart_axis_set_num_format(axis, model.number_format.c_str());
  chart_axis_set_num_font(axis, LxwFont(model.font).get());
  if (auto line = LxwLine(model.line)) chart_axis_set_line(axis, &*line);
  if (model.title) {
    chart_axis_set_name(axis, model.title->text.c_str());
    chart_axis_set_name_font(axis, LxwFont(model.title->font).get());
  }
  if (model.minimum) chart_axis_set_min(axis, *model.minimum);
  if (model.maximum) chart_axis_set_max(axis, *model.maximum);
}

void StyleSeries(lxw_chart_series* series, const ChartSeries& model) {
  if (model.type == ChartType::Column || model.type == ChartType::Bar ||
      model.type == ChartType::Area) {
    if (auto border = LxwLine(model.columns.border)) chart_series_set_line(series, &*border);
    ApplyArea(
        model.columns.area, [&](lxw_chart_fill* fill) { chart_series_set_fill(series, fill); },
        [&](lxw_chart_pattern* pattern) { chart_series_set_pattern(series, pattern); });
  } else {
    if (auto line = LxwLine(model.line)) chart_series_set_line(series, &*line);
    if (model.marker.mode == Auto::None) {
      chart_series_set_marker_type(series, LXW_CHART_MARKER_NONE);
    } else if (model.marker.mode == Auto::Custom) {
      chart_series_set_marker_type(series, SymbolOf(model.marker.style).type);
      if (model.marker.fore != kAutomaticColour) {
        lxw_chart_line outline{};
        outline.color = Colour(model.marker.fore);
        chart_series_set_marker_line(series, &outline);
      }
      if (model.marker.back != kAutomaticColour) {
        lxw_chart_fill inside{};
        inside.color = Colour(model.marker.back);
        chart_series_set_marker_fill(series, &inside);
      }
    }
  }
  if (model.data_labels) {
    chart_series_set_labels(series);
    chart_series_set_labels_options(series, LXW_FALSE, LXW_TRUE, LXW_FALSE);
    chart_series_set_labels_font(series, LxwFont(model.label_font).get());
  }
}

std::uint8_t LxwChartType(ChartType type) {
  switch (type) {
  case ChartType::Area: return LXW_CHART_AREA;
  case ChartType::Bar: return LXW_CHART_BAR;
  case ChartType::Column: return LXW_CHART_COLUMN;
  case ChartType::Line: return LXW_CHART_LINE;
  case ChartType::Scatter: return LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS;
  }
  return LXW_CHART_COLUMN;
}

// --- DrawingML for the package step.

std::string SolidFillXml(PaletteIndex colour) {
  return "<a:solidFill><a:srgbClr val=\"" + HexColour(colour) + "\"/></a:solidFill>";
}

std::string LineXml(const LineFormat& line) {
  if (line.mode == Auto::Automatic) return {};
  if (line.mode == Auto::None) return "<a:ln><a:noFill/></a:ln>";
  const int width = static_cast<int>(WeightPoints(line.weight) * kEmuPerPoint + 0.5);
  return "<a:ln w=\"" + std::to_string(width) + "\">" +
         (line.colour == kAutomaticColour ? "" : SolidFillXml(line.colour)) + "<a:prstDash val=\"" +
         DashOf(line.style).preset + "\"/></a:ln>";
}

std::string FillXml(const AreaFormat& area) {
  if (area.mode == Auto::Automatic) return {};
  if (area.mode == Auto::None) return "<a:noFill/>";
  if (IsSolid(area)) return area.fore == kAutomaticColour ? "" : SolidFillXml(area.fore);
  return std::string("<a:pattFill prst=\"") + PatternOf(area.pattern).preset +
         "\"><a:fgClr><a:srgbClr val=\"" +
         (area.fore == kAutomaticColour ? "000000" : HexColour(area.fore)) +
         "\"/></a:fgClr><a:bgClr><a:srgbClr val=\"" +
         (area.back == kAutomaticColour ? "FFFFFF" : HexColour(area.back)) +
         "\"/></a:bgClr></a:pattFill>";
}

std::string ShapeXml(const std::string& fill, const std::string& line) {
  if (fill.empty() && line.empty()) return {};
  return "<c:spPr>" + fill + line + "</c:spPr>";
}

// <a:defRPr .../> or <a:rPr lang="en-US" .../> for a font.
std::string RunPropertiesXml(const char* tag, const FontFormat& font) {
  std::string xml = std::string("<") + tag;
  if (std::string_view(tag) == "a:rPr") xml += " lang=\"en-US\"";
  xml += " sz=\"" + std::to_string(static_cast<int>(font.size * 100 + 0.5)) + "\" b=\"" +
         (font.bold ? "1" : "0") + "\" i=\"" + (font.italic ? "1" : "0") + "\" baseline=\"0\">";
  if (font.colour != kAutomaticColour) xml += SolidFillXml(font.colour);
  return xml + "<a:latin typeface=\"" + XmlEscaped(font.name) + "\"/></" + tag + ">";
}

std::string TextPropertiesXml(const FontFormat& font) {
  return "<c:txPr><a:bodyPr/><a:lstStyle/><a:p><a:pPr>" + RunPropertiesXml("a:defRPr", font) +
         "</a:pPr><a:endParaRPr lang=\"en-US\"/></a:p></c:txPr>";
}

std::string TitleXml(const ChartText& title, bool vertical) {
  return std::string("<c:title><c:tx><c:rich><a:bodyPr") +
         (vertical ? " rot=\"-5400000\" vert=\"horz\"" : "") + "/><a:lstStyle/><a:p><a:pPr>" +
         RunPropertiesXml("a:defRPr", title.font) + "</a:pPr><a:r>" +
         RunPropertiesXml("a:rPr", title.font) + "<a:t>" + XmlEscaped(title.text) +
         "</a:t></a:r></a:p></c:rich></c:tx><c:overlay val=\"0\"/></c:title>";
}

const Sheet* FindWorksheet(const Workbook& book, std::string_view name) {
  for (const Sheet& sheet : book.sheets)
    if (sheet.kind == SheetKind::Worksheet && SameSheetName(sheet.name, name)) return &sheet;
  return nullptr;
}

// The cells of a series range in reading order, as the chart's cache of them.
std::vector<Value> RangeValues(const Workbook& book, const SheetReference& reference) {
  std::vector<Value> values;
  const Sheet* sheet = FindWorksheet(book, reference.sheet);
  const CellRange& r = reference.range;
  for (std::uint32_t row = r.first_row; row <= r.last_row; ++row)
    for (std::uint32_t column = r.first_column; column <= r.last_column; ++column)
      values.push_back(sheet ? sheet->cells.Get(row, column) : Value{});
  return values;
}

std::string CacheText(const Value& value) {
  switch (value.type) {
  case ValueType::Number: return NumberText(value.number);
  case ValueType::Text: return value.text;
  case ValueType::Boolean: return value.boolean ? "TRUE" : "FALSE";
  case ValueType::Error: return std::string(ErrorName(value.error));
  case ValueType::Empty: return {};
  }
  return {};
}

// A reference with the cached values of its cells: numbers as c:numRef, anything holding a
// text (and a series name, always) as c:strRef.
std::string DataReferenceXml(const Workbook& book, const SheetReference& reference,
                             bool numbers_only, bool as_text = false) {
  const std::vector<Value> values = RangeValues(book, reference);
  const bool texts =
      as_text || (!numbers_only && std::any_of(values.begin(), values.end(), [](const Value& v) {
        return v.type == ValueType::Text;
      }));
  const std::string formula = XmlEscaped(A1Reference(reference));
  std::string points;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (texts ? values[i].type == ValueType::Empty : values[i].type != ValueType::Number) continue;
    points += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + XmlEscaped(CacheText(values[i])) +
              "</c:v></c:pt>";
  }
  const std::string count = "<c:ptCount val=\"" + std::to_string(values.size()) + "\"/>";
  if (texts)
    return "<c:strRef><c:f>" + formula + "</c:f><c:strCache>" + count + points +
           "</c:strCache></c:strRef>";
  return "<c:numRef><c:f>" + formula + "</c:f><c:numCache><c:formatCode>General</c:formatCode>" +
         count + points + "</c:numCache></c:numRef>";
}

std::optional<SheetReference> SeriesReference(const std::string& text, const char* what,
                                              std::size_t number, std::string& error) {
  auto reference = ParseR1C1Reference(text);
  if (!reference)
    error = "series " + std::to_string(number) + ": the " + what + " reference '" + text +
            "' is not an R1C1 reference";
  return reference;
}

// A series of a line group written apart from libxlsxwriter.
bool LineSeriesXml(const Workbook& book, const ChartSeries& series, std::size_t index,
                   std::string& xml, std::string& error) {
  const std::string number = std::to_string(index);
  xml += "<c:ser><c:idx val=\"" + number + "\"/><c:order val=\"" + number + "\"/>";
  if (!series.name_ref.empty()) {
    const auto name = SeriesReference(series.name_ref, "name", index + 1, error);
    if (!name) return false;
    xml += "<c:tx>" + DataReferenceXml(book, *name, false, true) + "</c:tx>";
  } else if (!series.name_literal.empty()) {
    xml += "<c:tx><c:v>" + XmlEscaped(series.name_literal) + "</c:v></c:tx>";
  }
  xml += ShapeXml({}, LineXml(series.line));
  if (series.marker.mode == Auto::None) {
    xml += "<c:marker><c:symbol val=\"none\"/></c:marker>";
  } else if (series.marker.mode == Auto::Custom) {
    xml += std::string("<c:marker><c:symbol val=\"") + SymbolOf(series.marker.style).name + "\"/>" +
           ShapeXml(series.marker.back == kAutomaticColour ? "" : SolidFillXml(series.marker.back),
                    series.marker.fore == kAutomaticColour
                        ? ""
                        : "<a:ln>" + SolidFillXml(series.marker.fore) + "</a:ln>") +
           "</c:marker>";
  }
  if (series.data_labels)
    xml += "<c:dLbls>" + TextPropertiesXml(series.label_font) +
           "<c:showLegendKey val=\"0\"/><c:showVal val=\"0\"/><c:showCatName val=\"1\"/>"
           "<c:showSerName val=\"0\"/><c:showPercent val=\"0\"/><c:showBubbleSize val=\"0\"/>"
           "</c:dLbls>";
  if (!series.x_ref.empty()) {
    const auto categories = SeriesReference(series.x_ref, "category", index + 1, error);
    if (!categories) return false;
    xml += "<c:cat>" + DataReferenceXml(book, *categories, false) + "</c:cat>";
  }
  const auto values = SeriesReference(series.y_ref, "value", index + 1, error);
  if (!values) return false;
  xml +=
      "<c:val>" + DataReferenceXml(book, *values, true) + "</c:val><c:smooth val=\"0\"/></c:ser>";
  return true;
}

// The second value axis on the right, crossing its own hidden category axis at the maximum,
// as Excel writes a group plotted against a second value axis.
std::string SecondAxesXml(const ChartAxis& axis) {
  std::string scaling = "<c:orientation val=\"minMax\"/>";
  if (axis.maximum) scaling += "<c:max val=\"" + NumberText(*axis.maximum) + "\"/>";
  if (axis.minimum) scaling += "<c:min val=\"" + NumberText(*axis.minimum) + "\"/>";
  const std::string value_id(kSecondValueAxisId), category_id(kSecondCategoryAxisId);
  return "<c:valAx><c:axId val=\"" + value_id + "\"/><c:scaling>" + scaling +
         "</c:scaling><c:delete val=\"0\"/><c:axPos val=\"r\"/>" +
         (axis.title ? TitleXml(*axis.title, true) : "") + "<c:numFmt formatCode=\"" +
         XmlEscaped(axis.number_format_linked ? "General" : axis.number_format) +
         "\" sourceLinked=\"" + (axis.number_format_linked ? "1" : "0") +
         "\"/><c:majorTickMark val=\"out\"/><c:minorTickMark val=\"none\"/>"
         "<c:tickLblPos val=\"nextTo\"/>" +
         ShapeXml({}, LineXml(axis.line)) + TextPropertiesXml(axis.font) + "<c:crossAx val=\"" +
         category_id +
         "\"/><c:crosses val=\"max\"/><c:crossBetween val=\"between\"/></c:valAx>"
         "<c:catAx><c:axId val=\"" +
         category_id +
         "\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling><c:delete val=\"1\"/>"
         "<c:axPos val=\"b\"/><c:majorTickMark val=\"out\"/><c:minorTickMark val=\"none\"/>"
         "<c:tickLblPos val=\"nextTo\"/><c:crossAx val=\"" +
         value_id +
         "\"/><c:crosses val=\"autoZero\"/><c:auto val=\"1\"/><c:lblAlgn val=\"ctr\"/>"
         "<c:lblOffset val=\"100\"/><c:noMultiLvlLbl val=\"0\"/></c:catAx>";
}

const char* TypeName(ChartType type) {
  switch (type) {
  case ChartType::Area: return "area";
  case ChartType::Bar: return "bar";
  case ChartType::Column: return "column";
  case ChartType::Line: return "line";
  case ChartType::Scatter: return "XY";
  }
  return "?";
}

struct Group {
  ChartType type;
  int axis_group;
  std::vector<const ChartSeries*> series;
};

} // namespace

lxw_chart* BuildChart(lxw_workbook* workbook, const Workbook& book, const Chart& chart,
                      ChartEdits& edits, std::string& error) {
  // Series of one type on one axis make a chart group; the first group on the first axis is
  // the one libxlsxwriter writes.
  std::vector<Group> groups;
  for (const ChartSeries& series : chart.series) {
    const int axis = series.axis_group == 2 ? 2 : 1;
    auto group = std::find_if(groups.begin(), groups.end(), [&](const Group& g) {
      return g.type == series.type && g.axis_group == axis;
    });
    if (group == groups.end()) group = groups.insert(groups.end(), Group{series.type, axis, {}});
    group->series.push_back(&series);
  }
  auto primary =
      std::find_if(groups.begin(), groups.end(), [](const Group& g) { return g.axis_group == 1; });
  if (primary == groups.end()) primary = groups.begin();
  const ChartType primary_type = primary == groups.end() ? chart.type : primary->type;
  for (auto group = groups.begin(); group != groups.end(); ++group) {
    if (group == primary) continue;
    const bool shares_category_axis = primary_type == ChartType::Column ||
                                      primary_type == ChartType::Line ||
                                      primary_type == ChartType::Area;
    if (group->type != ChartType::Line || !shares_category_axis) {
      error = std::string("a ") + TypeName(group->type) + " group on axis " +
              std::to_string(group->axis_group) + " beside a " + TypeName(primary_type) +
              " chart is not supported";
      return nullptr;
    }
  }

  lxw_chart* made = workbook_add_chart(workbook, LxwChartType(primary_type));
  if (made == nullptr) {
    error = "libxlsxwriter made no chart";
    return nullptr;
  }
  std::size_t written = 0;
  if (primary != groups.end()) {
    for (const ChartSeries* series : primary->series) {
      ++written;
      std::string categories, values;
      if (!series->x_ref.empty()) {
        const auto reference = SeriesReference(series->x_ref, "category", written, error);
        if (!reference) return nullptr;
        categories = "=" + A1Reference(*reference);
      }
      const auto reference = SeriesReference(series->y_ref, "value", written, error);
      if (!reference) return nullptr;
      values = "=" + A1Reference(*reference);
      // libxlsxwriter wants X values for an XY series; one without them is given its Y values
      // and the package step drops them, leaving Excel's 1, 2, 3...
      if (primary_type == ChartType::Scatter && categories.empty()) {
        categories = values;
        edits.series_without_x.push_back(written - 1);
      }
      lxw_chart_series* added =
          chart_add_series(made, categories.empty() ? nullptr : categories.c_str(), values.c_str());
      if (added == nullptr) {
        error = "series " + std::to_string(written) + " was refused";
        return nullptr;
      }
      if (!series->name_ref.empty()) {
        const auto name = SeriesReference(series->name_ref, "name", written, error);
        if (!name) return nullptr;
        chart_series_set_name(added, ("=" + A1Reference(*name)).c_str());
      } else if (!series->name_literal.empty()) {
        chart_series_set_name(added, series->name_literal.c_str());
      }
      StyleSeries(added, *series);
    }
  }
  if (written == 0) {
    // libxlsxwriter writes no chart without a series: it gets a stand-in that the package step
    // removes, leaving the empty chart Excel shows.
    const auto worksheet = std::find_if(book.sheets.begin(), book.sheets.end(), [](const Sheet& s) {
      return s.kind == SheetKind::Worksheet;
    });
    const std::string stand_in =
        "=" + A1Reference({worksheet == book.sheets.end() ? std::string("Sheet1") : worksheet->name,
                           CellRange{}});
    if (chart_add_series(made, nullptr, stand_in.c_str()) == nullptr) {
      error = "the chart's stand-in series was refused";
      return nullptr;
    }
    edits.drop_series = true;
  }

  for (auto group = groups.begin(); group != groups.end(); ++group) {
    if (group == primary) continue;
    const bool second_axis = group->axis_group == 2;
    std::string series_xml;
    for (const ChartSeries* series : group->series)
      if (!LineSeriesXml(book, *series, written++, series_xml, error)) return nullptr;
    edits.extra_groups +=
        "<c:lineChart><c:grouping val=\"standard\"/><c:varyColors val=\"0\"/>" + series_xml +
        "<c:marker val=\"1\"/><c:axId val=\"" +
        std::string(second_axis ? kSecondCategoryAxisId : kPrimaryCategoryAxisId) +
        "\"/><c:axId val=\"" + std::string(second_axis ? kSecondValueAxisId : kPrimaryValueAxisId) +
        "\"/></c:lineChart>";
    if (second_axis) edits.extra_axes = SecondAxesXml(chart.second_value_axis);
  }

  if (chart.title) {
    chart_title_set_name(made, chart.title->text.c_str());
    chart_title_set_name_font(made, LxwFont(chart.title->font).get());
    edits.plain_title = !chart.title->font.bold;
  } else {
    // Otherwise Excel titles a one-series chart with the series' name.
    chart_title_off(made);
  }

  lxw_chart_axis* value_axis = chart_axis_get(made, LXW_CHART_AXIS_TYPE_Y);
  lxw_chart_axis* category_axis = chart_axis_get(made, LXW_CHART_AXIS_TYPE_X);
  if (value_axis == nullptr || category_axis == nullptr) {
    error = "the chart has no axes to format";
    return nullptr;
  }
  StyleAxis(value_axis, chart.value_axis);
  StyleAxis(category_axis, chart.category_axis);
  edits.plain_value_axis_title = chart.value_axis.title && !chart.value_axis.title->font.bold;
  edits.plain_category_axis_title =
      chart.category_axis.title && !chart.category_axis.title->font.bold;
  chart_axis_major_gridlines_set_visible(value_axis, chart.major_gridlines);
  if (chart.major_gridlines)
    if (auto line = LxwLine(chart.gridlines))
      chart_axis_major_gridlines_set_line(value_axis, &*line);

  if (!chart.legend) {
    chart_legend_set_position(made, LXW_CHART_LEGEND_NONE);
  } else {
    chart_legend_set_font(made, LxwFont(chart.legend_font).get());
    edits.legend_shape = ShapeXml(FillXml(chart.legend_box.area), LineXml(chart.legend_box.border));
  }
  if (auto border = LxwLine(chart.plot_area.border)) chart_plotarea_set_line(made, &*border);
  ApplyArea(
      chart.plot_area.area, [&](lxw_chart_fill* fill) { chart_plotarea_set_fill(made, fill); },
      [&](lxw_chart_pattern* pattern) { chart_plotarea_set_pattern(made, pattern); });
  if (auto border = LxwLine(chart.chart_area.border)) chart_chartarea_set_line(made, &*border);
  ApplyArea(
      chart.chart_area.area, [&](lxw_chart_fill* fill) { chart_chartarea_set_fill(made, fill); },
      [&](lxw_chart_pattern* pattern) { chart_chartarea_set_pattern(made, pattern); });
  if (primary_type == ChartType::Column || primary_type == ChartType::Bar)
    chart_set_series_gap(made, static_cast<std::uint16_t>(std::clamp(chart.gap_width, 0, 500)));
  return made;
}

} // namespace kvhost::xlsx
