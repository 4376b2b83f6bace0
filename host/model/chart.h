// A chart sheet's chart as the chart commands build it: series from R1C1 references, chart
// types, axes, titles, legend, gridlines, and the formats of each part.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats.h"

namespace kvhost {

// PATTERNS' "auto" codes for a line, an area or a marker.
enum class Auto : std::uint8_t { Custom = 0, Automatic = 1, None = 2 };

// A line: a border, an axis line, a gridline or a series line. Line styles 1 solid, 2 dash,
// 3 dot, 4 dash-dot, 5 dash-dot-dot, 6-8 dark, medium and light grey; weights 1 hairline,
// 2 thin, 3 medium, 4 thick.
struct LineFormat {
  Auto mode = Auto::Automatic;
  std::uint8_t style = 1;
  PaletteIndex colour = kAutomaticColour;
  std::uint8_t weight = 2;
  bool operator==(const LineFormat&) const = default;
};

// An area: a fill with PATTERNS' area patterns (1 solid), fore and back colours.
struct AreaFormat {
  Auto mode = Auto::Automatic;
  std::uint8_t pattern = 1;
  PaletteIndex fore = kAutomaticColour;
  PaletteIndex back = kAutomaticColour;
  bool operator==(const AreaFormat&) const = default;
};

// A series' markers: styles 1 square, 2 diamond, 3 triangle, 4 X, 5 star, 6 short bar, 7 long
// bar, 8 circle, 9 plus. No size is kept: PATTERNS has no argument for it, so markers keep
// Excel's default size, which the xlsx leaves implied.
struct MarkerFormat {
  Auto mode = Auto::Automatic;
  std::uint8_t style = 1;
  PaletteIndex fore = kAutomaticColour; // the marker's outline
  PaletteIndex back = kAutomaticColour; // the marker's inside
  bool operator==(const MarkerFormat&) const = default;
};

// A part of the chart that may be framed and filled (chart area, plot area, legend, columns).
struct BoxFormat {
  LineFormat border;
  AreaFormat area;
  bool operator==(const BoxFormat&) const = default;
};

// A title of the chart or of an axis.
struct ChartText {
  std::string text; // UTF-8
  FontFormat font;
};

enum class ChartType : std::uint8_t { Area = 1, Bar = 2, Column = 3, Line = 4, Scatter = 8 };

// One series. References are kept as EDIT.SERIES gave them, R1C1 texts such as
// "=Histograma!R14C1:R23C1"; a name that is not a reference is a literal name.
struct ChartSeries {
  std::string name_ref;
  std::string name_literal;
  std::string x_ref; // categories, or X values of a scatter series; empty when omitted
  std::string y_ref;
  int plot_order = 1; // as EDIT.SERIES gave it
  ChartType type = ChartType::Column;
  int axis_group = 1; // 1 primary, 2 secondary
  BoxFormat columns;  // the border and fill of a column or bar series
  LineFormat line;    // the line of a line or scatter series
  MarkerFormat marker;
  bool data_labels = false; // DATA.LABEL: the category (X value) of each point
  FontFormat label_font;
};

struct ChartAxis {
  std::string number_format = "General";
  bool number_format_linked = true; // until FORMAT.NUMBER sets one
  FontFormat font;
  LineFormat line;
  std::optional<ChartText> title;
  std::optional<double> minimum;
  std::optional<double> maximum;
};

struct Chart {
  // The type of the chart's main group: the type a new series takes.
  ChartType type = ChartType::Column;
  // In the order they were added: "Sn" is the n-th of them.
  std::vector<ChartSeries> series;
  std::optional<ChartText> title;
  bool legend = true;
  BoxFormat legend_box;
  FontFormat legend_font;
  BoxFormat plot_area;
  BoxFormat chart_area;
  bool major_gridlines = true; // of the value axis
  LineFormat gridlines;
  // "Axis 1" the value axis, "Axis 2" the category (X) axis, "Axis 3" the second value axis.
  ChartAxis value_axis;
  ChartAxis category_axis;
  ChartAxis second_value_axis;
  int gap_width = 150;           // of the column group, percent of a column's width
  bool size_with_window = false; // OPTIONS.CHART
  std::string selected; // the selected item: "Chart", "Plot", "Legend", "S1", "Axis 1", ...
};

} // namespace kvhost
