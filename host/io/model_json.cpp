#include "model_json.h"

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include "../model/references.h"
#include "output_target.h"

namespace kvhost {
namespace {

using Json = nlohmann::ordered_json;

const char* ModeName(Auto mode) {
  switch (mode) {
  case Auto::Custom: return "custom";
  case Auto::Automatic: return "automatic";
  case Auto::None: return "none";
  }
  return "automatic";
}

const char* BorderName(BorderStyle style) {
  switch (style) {
  case BorderStyle::None: return "none";
  case BorderStyle::Thin: return "thin";
  case BorderStyle::Medium: return "medium";
  case BorderStyle::Dashed: return "dashed";
  case BorderStyle::Dotted: return "dotted";
  case BorderStyle::Thick: return "thick";
  case BorderStyle::Double: return "double";
  case BorderStyle::Hairline: return "hairline";
  }
  return "none";
}

const char* AlignmentName(HorizontalAlignment alignment) {
  switch (alignment) {
  case HorizontalAlignment::General: return "general";
  case HorizontalAlignment::Left: return "left";
  case HorizontalAlignment::Center: return "center";
  case HorizontalAlignment::Right: return "right";
  case HorizontalAlignment::Fill: return "fill";
  case HorizontalAlignment::Justify: return "justify";
  case HorizontalAlignment::CenterAcrossSelection: return "center_across_selection";
  }
  return "general";
}

const char* ChartTypeName(ChartType type) {
  switch (type) {
  case ChartType::Area: return "area";
  case ChartType::Bar: return "bar";
  case ChartType::Column: return "column";
  case ChartType::Line: return "line";
  case ChartType::Scatter: return "scatter";
  }
  return "column";
}

const char* StateName(SheetState state) {
  switch (state) {
  case SheetState::Visible: return "visible";
  case SheetState::Hidden: return "hidden";
  case SheetState::VeryHidden: return "veryHidden";
  }
  return "visible";
}

std::string Address(std::uint32_t row, std::uint32_t column) {
  return ColumnLetters(column) + std::to_string(std::uint64_t{row} + 1);
}

Json FontJson(const FontFormat& font) {
  return {{"name", font.name},
          {"size", font.size},
          {"bold", font.bold},
          {"italic", font.italic},
          {"colour", font.colour}};
}

Json FormatJson(const CellFormat& format) {
  return {
      {"font", FontJson(format.font)},
      {"fill",
       {{"pattern", format.fill_pattern}, {"fore", format.fill_fore}, {"back", format.fill_back}}},
      {"number_format", format.number_format},
      {"alignment", AlignmentName(format.alignment)},
      {"borders",
       {{"left", BorderName(format.borders.left)},
        {"right", BorderName(format.borders.right)},
        {"top", BorderName(format.borders.top)},
        {"bottom", BorderName(format.borders.bottom)}}}};
}

Json LineJson(const LineFormat& line) {
  return {{"mode", ModeName(line.mode)},
          {"style", line.style},
          {"colour", line.colour},
          {"weight", line.weight}};
}

Json BoxJson(const BoxFormat& box) {
  return {{"border", LineJson(box.border)},
          {"area",
           {{"mode", ModeName(box.area.mode)},
            {"pattern", box.area.pattern},
            {"fore", box.area.fore},
            {"back", box.area.back}}}};
}

Json TextJson(const std::optional<ChartText>& text) {
  if (!text) return nullptr;
  return {{"text", text->text}, {"font", FontJson(text->font)}};
}

Json OptionalNumber(const std::optional<double>& number) {
  return number ? Json(*number) : Json(nullptr);
}

Json AxisJson(const ChartAxis& axis) {
  return {{"number_format", axis.number_format},
          {"number_format_linked", axis.number_format_linked},
          {"font", FontJson(axis.font)},
          {"line", LineJson(axis.line)},
          {"title", TextJson(axis.title)},
          {"minimum", OptionalNumber(axis.minimum)},
          {"maximum", OptionalNumber(axis.maximum)}};
}

Json SeriesJson(const ChartSeries& series) {
  return {{"name_ref", series.name_ref},
          {"name_literal", series.name_literal},
          {"x_ref", series.x_ref},
          {"y_ref", series.y_ref},
          {"plot_order", series.plot_order},
          {"type", ChartTypeName(series.type)},
          {"axis_group", series.axis_group},
          {"columns", BoxJson(series.columns)},
          {"line", LineJson(series.line)},
          {"marker",
           {{"mode", ModeName(series.marker.mode)},
            {"style", series.marker.style},
            {"fore", series.marker.fore},
            {"back", series.marker.back}}},
          {"data_labels", series.data_labels},
          {"label_font", FontJson(series.label_font)}};
}

Json ChartJson(const Chart& chart) {
  Json series = Json::array();
  for (const ChartSeries& one : chart.series)
    series.push_back(SeriesJson(one));
  return {{"type", ChartTypeName(chart.type)},
          {"series", std::move(series)},
          {"title", TextJson(chart.title)},
          {"legend", chart.legend},
          {"legend_box", BoxJson(chart.legend_box)},
          {"legend_font", FontJson(chart.legend_font)},
          {"plot_area", BoxJson(chart.plot_area)},
          {"chart_area", BoxJson(chart.chart_area)},
          {"major_gridlines", chart.major_gridlines},
          {"gridlines", LineJson(chart.gridlines)},
          {"value_axis", AxisJson(chart.value_axis)},
          {"category_axis", AxisJson(chart.category_axis)},
          {"second_value_axis", AxisJson(chart.second_value_axis)},
          {"gap_width", chart.gap_width},
          {"size_with_window", chart.size_with_window},
          {"selected", chart.selected}};
}

// The formats of the workbook, each once, in the order the sheets first show them.
class FormatList {
public:
  std::size_t IndexOf(const CellFormat& format) {
    for (std::size_t i = 0; i < formats_.size(); ++i)
      if (formats_[i] == format) return i;
    formats_.push_back(format);
    return formats_.size() - 1;
  }
  Json ToJson() const {
    Json list = Json::array();
    for (const CellFormat& format : formats_)
      list.push_back(FormatJson(format));
    return list;
  }

private:
  std::vector<CellFormat> formats_;
};

Json CellJson(std::uint32_t row, std::uint32_t column, const Value& value, std::size_t format) {
  Json cell = {{"address", Address(row, column)}};
  switch (value.type) {
  case ValueType::Empty:
    cell["type"] = "empty";
    cell["value"] = nullptr;
    break;
  case ValueType::Number:
    cell["type"] = "number";
    // JSON has no infinities and no NaN, and null is an empty cell's: such a number is named.
    if (std::isfinite(value.number))
      cell["value"] = value.number;
    else
      cell["value"] = std::isnan(value.number) ? "NaN"
                      : value.number > 0       ? "Infinity"
                                               : "-Infinity";
    break;
  case ValueType::Text:
    cell["type"] = "text";
    cell["value"] = value.text;
    break;
  case ValueType::Boolean:
    cell["type"] = "boolean";
    cell["value"] = value.boolean;
    break;
  case ValueType::Error:
    cell["type"] = "error";
    cell["value"] = std::string(ErrorName(value.error));
    break;
  }
  cell["format"] = format;
  return cell;
}

Json WorksheetJson(const Sheet& sheet, FormatList& formats, Json json) {
  json["format"] = formats.IndexOf(sheet.formats.whole_sheet);
  json["show_gridlines"] = sheet.show_gridlines;
  Json selection = Json::array();
  for (const CellRange& area : sheet.selection) {
    std::string text = Address(area.first_row, area.first_column);
    if (area.Rows() > 1 || area.Columns() > 1)
      text += ":" + Address(area.last_row, area.last_column);
    selection.push_back(text);
  }
  json["selection"] = std::move(selection);
  json["active_cell"] = Address(sheet.active_cell.row, sheet.active_cell.column);
  Json widths = Json::array();
  for (const auto& [column, width] : sheet.column_widths)
    widths.push_back({{"column", ColumnLetters(column)},
                      {"characters", width.characters},
                      {"best_fit", width.best_fit}});
  json["column_widths"] = std::move(widths);

  // Reading order: the cells holding values merged with the formatted empty ones (both
  // visited row by row).
  Json cells = Json::array();
  const Cells& values = sheet.cells;
  const auto formatted_cells = sheet.formats.FormattedCells();
  auto formatted = formatted_cells.begin();
  auto emit_formatted_before = [&](std::uint32_t row, std::uint32_t column) {
    for (; formatted != formatted_cells.end() &&
           std::pair{formatted->row, formatted->column} < std::pair{row, column};
         ++formatted) {
      const auto [r, c, format] = *formatted;
      if (values.TypeAt(r, c) == ValueType::Empty)
        cells.push_back(CellJson(r, c, Value{}, formats.IndexOf(*format)));
    }
  };
  values.ForEachValue([&](std::uint32_t row, std::uint32_t column) {
    emit_formatted_before(row, column);
    cells.push_back(CellJson(row, column, values.Get(row, column),
                             formats.IndexOf(sheet.formats.At(row, column))));
  });
  emit_formatted_before(kMaxRows, 0);
  json["cells"] = std::move(cells);
  return json;
}

} // namespace

std::string DumpWorkbookJson(const Workbook& book) {
  FormatList formats;
  Json sheets = Json::array();
  for (const Sheet& sheet : book.sheets) {
    Json json = {{"name", sheet.name},
                 {"kind", sheet.kind == SheetKind::Worksheet ? "worksheet" : "chart"},
                 {"state", StateName(sheet.state)}};
    if (sheet.kind == SheetKind::Worksheet) {
      sheets.push_back(WorksheetJson(sheet, formats, std::move(json)));
    } else {
      json["chart"] = sheet.chart ? ChartJson(*sheet.chart) : Json(nullptr);
      sheets.push_back(std::move(json));
    }
  }
  const Json dump = {{"workbook", book.name},
                     {"active_sheet", book.active_sheet},
                     {"formats", formats.ToJson()},
                     {"sheets", std::move(sheets)}};
  return dump.dump(2) + "\n";
}

// Written with the system's calls, so that a failure says the system's own reason (a full disk,
// a file-size limit).
bool WriteWorkbookJsonFile(const Workbook& book, const std::string& file, std::string& error) {
  const std::string text = DumpWorkbookJson(book);
  const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) return (error = std::strerror(errno)), false;
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(descriptor, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = std::strerror(n < 0 ? errno : ENOSPC);
      ::close(descriptor);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(descriptor) != 0) return (error = std::strerror(errno)), false;
  return true;
}

bool WriteWorkbookJson(const Workbook& book, const std::string& path, std::string& error) {
  OutputSet output;
  std::string file, cause;
  if (!output.Stage(path, file, error)) return false;
  if (!WriteWorkbookJsonFile(book, file, cause)) {
    error = "cannot write " + path + ": " + cause;
    return false;
  }
  return output.Commit(error);
}

} // namespace kvhost
