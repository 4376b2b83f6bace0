// The JSON dump of the model: what it holds of the result workbook, and that it is the same
// text for the same workbook.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <limits>

#include "chart_steps.h"
#include "io/model_json.h"
#include "result_books.h"

using namespace kvhost;
using nlohmann::json;

namespace {

const json* FindCell(const json& sheet, const std::string& address) {
  for (const json& cell : sheet["cells"])
    if (cell["address"] == address) return &cell;
  return nullptr;
}

} // namespace

TEST(ModelJson, HoldsSheetsCellsFormatsAndCharts) {
  const Workbook book = kvtest::HistogramAndComparisonBook();
  const json dump = json::parse(DumpWorkbookJson(book));
  EXPECT_EQ(dump["workbook"], "Book2");
  EXPECT_EQ(dump["active_sheet"], 0);
  ASSERT_EQ(dump["sheets"].size(), book.sheets.size());
  EXPECT_EQ(dump["sheets"][2]["name"], "Gráfico Área 1");
  EXPECT_EQ(dump["sheets"][2]["kind"], "chart");
  EXPECT_EQ(dump["sheets"][5]["state"], "veryHidden");

  const json& formats = dump["formats"];
  for (std::size_t i = 0; i < formats.size(); ++i)
    for (std::size_t j = i + 1; j < formats.size(); ++j)
      EXPECT_NE(formats[i], formats[j]) << "formats " << i << " and " << j << " are one";

  const json& histogram = dump["sheets"][0];
  EXPECT_EQ(histogram["show_gridlines"], false);
  EXPECT_EQ(histogram["selection"], json({"A1"}));
  const json& whole = formats[histogram["format"].get<std::size_t>()];
  EXPECT_EQ(whole["fill"], json({{"pattern", 1}, {"fore", 15}, {"back", 0}}));
  EXPECT_EQ(whole["font"]["colour"], 5);
  EXPECT_EQ(histogram["column_widths"][0],
            json({{"column", "A"}, {"characters", 26.57}, {"best_fit", true}}));

  // In reading order: the formatted empty B6 between A6 and A7.
  const json* b4 = FindCell(histogram, "B4");
  ASSERT_NE(b4, nullptr);
  EXPECT_EQ((*b4)["value"].get<double>(), 0.123456789012345) << "read back exactly";
  EXPECT_EQ(formats[(*b4)["format"].get<std::size_t>()]["number_format"], "0.000");
  const json* b6 = FindCell(histogram, "B6");
  ASSERT_NE(b6, nullptr);
  EXPECT_EQ((*b6)["type"], "empty");
  EXPECT_EQ(formats[(*b6)["format"].get<std::size_t>()]["borders"]["left"], "thin");
  std::vector<std::string> addresses;
  for (const json& cell : histogram["cells"])
    addresses.push_back(cell["address"]);
  const auto a6 = std::find(addresses.begin(), addresses.end(), "A6");
  ASSERT_NE(a6, addresses.end());
  EXPECT_EQ(std::vector<std::string>(a6, a6 + 3), (std::vector<std::string>{"A6", "B6", "A7"}));
  EXPECT_EQ(histogram["cells"].size(), 1u + 18 + 9 + kvtest::kBins * 9 + 1);

  const json* error = FindCell(dump["sheets"][4], "B2");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ((*error)["type"], "error");
  EXPECT_EQ((*error)["value"], "#DIV/0!");

  const json& chart = dump["sheets"][1]["chart"];
  EXPECT_EQ(chart["type"], "column");
  ASSERT_EQ(chart["series"].size(), 2u);
  EXPECT_EQ(chart["series"][1]["y_ref"], "=Histograma!R14C6:R23C6");
  EXPECT_EQ(chart["series"][1]["x_ref"], "");
  EXPECT_EQ(chart["series"][1]["type"], "line");
  EXPECT_EQ(chart["series"][1]["axis_group"], 2);
  EXPECT_EQ(chart["series"][1]["marker"],
            json({{"mode", "custom"}, {"style", 8}, {"fore", 41}, {"back", 4}}));
  EXPECT_EQ(chart["second_value_axis"]["title"]["text"], "DP / Faixa");
  EXPECT_EQ(chart["second_value_axis"]["minimum"], nullptr);
  EXPECT_EQ(chart["chart_area"]["area"]["fore"], 49);
  EXPECT_EQ(chart["legend_box"]["border"]["mode"], "none");
  EXPECT_EQ(chart["gap_width"], 5);
  EXPECT_EQ(dump["sheets"][3]["chart"]["category_axis"]["maximum"], 56.0);
}

// The PCA tool's scree chart from its calls, in black and white: the XY series, its markers
// without a line and its labels as the dump shows them.
TEST(ModelJson, HoldsTheScreeChartAsItsCallsLeftIt) {
  Workbook book;
  ASSERT_NO_FATAL_FAILURE(
      kvtest::BuildScreeBook(kvtest::ScreeChart{5, 3, true, false}, {1.8, 0.9, 0.3}, book));
  const json dump = json::parse(DumpWorkbookJson(book));
  ASSERT_EQ(dump["sheets"].size(), 2u);
  EXPECT_EQ(dump["active_sheet"], 1);
  const json& chart = dump["sheets"][1]["chart"];
  EXPECT_EQ(dump["sheets"][1]["name"], "Scree Test");
  EXPECT_EQ(chart["type"], "scatter");
  ASSERT_EQ(chart["series"].size(), 1u);
  const json& series = chart["series"][0];
  EXPECT_EQ(series["name_literal"], "Eigenvalues");
  EXPECT_EQ(series["x_ref"], "=PCA!R5C2:R5C4");
  EXPECT_EQ(series["y_ref"], "=PCA!R6C2:R6C4");
  EXPECT_EQ(series["type"], "scatter");
  EXPECT_EQ(series["line"]["mode"], "none");
  EXPECT_EQ(series["marker"], json({{"mode", "custom"}, {"style", 1}, {"fore", 1}, {"back", 2}}));
  EXPECT_EQ(series["data_labels"], true);
  EXPECT_EQ(
      series["label_font"],
      json({{"name", "Arial"}, {"size", 8.0}, {"bold", false}, {"italic", false}, {"colour", 1}}));
  EXPECT_EQ(chart["legend"], false);
  EXPECT_EQ(chart["title"]["text"], "Scree Test");
  EXPECT_EQ(chart["category_axis"]["title"]["text"], "Factor");
  EXPECT_EQ(chart["value_axis"]["number_format"], "0.00");
  EXPECT_EQ(chart["gridlines"]["colour"], 15);
  EXPECT_EQ(chart["chart_area"]["area"]["mode"], "automatic") << "no fill in black and white";
}

TEST(ModelJson, SameWorkbookSameText) {
  const Workbook book = kvtest::HistogramAndComparisonBook();
  const std::string text = DumpWorkbookJson(book);
  EXPECT_EQ(text, DumpWorkbookJson(kvtest::HistogramAndComparisonBook()));
  EXPECT_EQ(text.rfind("{\n  \"workbook\": \"Book2\",\n  \"active_sheet\": 0,", 0), 0u)
      << "keys in their fixed order";
}

// JSON has no infinities and no NaN; null is what an empty cell holds. A number that is not
// finite keeps its type and gets a name, so a reader never takes it for an empty cell.
TEST(ModelJson, NumbersThatAreNotFiniteAreNamed) {
  Workbook book = kvtest::HistogramAndComparisonBook();
  Sheet& sheet = book.sheets.at(0);
  const double values[] = {std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), 1.5};
  for (std::uint32_t i = 0; i < 4; ++i)
    sheet.cells.Set(300 + i, 0, Value::Number(values[i]));
  const json dump = json::parse(DumpWorkbookJson(book));
  const char* expected[] = {"\"Infinity\"", "\"-Infinity\"", "\"NaN\"", "1.5"};
  for (int i = 0; i < 4; ++i) {
    const json* cell = FindCell(dump["sheets"][0], "A" + std::to_string(301 + i));
    ASSERT_NE(cell, nullptr) << i;
    EXPECT_EQ((*cell)["type"], "number") << i;
    EXPECT_EQ((*cell)["value"].dump(), expected[i]) << i;
  }
}
