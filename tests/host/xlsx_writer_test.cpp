// The xlsx writer: the result workbook read back by openpyxl (tests/host/read_xlsx.py), the
// package's own XML where openpyxl does not tell, the locale, failures.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>
#include <zip.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "chart_steps.h"
#include "io/data_workbook.h"
#include "io/xlsx_writer.h"
#include "portuguese_locale.h"
#include "result_books.h"

using namespace kvhost;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {

fs::path TestFolder(const std::string& name) {
  const fs::path folder =
      fs::temp_directory_path() / ("kvhost_xlsx_" + std::to_string(::getpid()) + "_" + name);
  fs::create_directories(folder);
  return folder;
}

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The text of one part of the package; empty when it has none.
std::string Part(const fs::path& book, const std::string& name) {
  int code = 0;
  zip_t* zip = zip_open(book.c_str(), ZIP_RDONLY, &code);
  if (zip == nullptr) return {};
  std::string text;
  zip_stat_t stat;
  if (zip_stat(zip, name.c_str(), 0, &stat) == 0) {
    if (zip_file_t* file = zip_fopen(zip, name.c_str(), 0)) {
      text.resize(stat.size);
      if (zip_fread(file, text.data(), text.size()) != static_cast<zip_int64_t>(stat.size))
        text.clear();
      zip_fclose(file);
    }
  }
  zip_discard(zip);
  return text;
}

// The package's parts named `stem`1.xml, `stem`2.xml, ... ("xl/charts/chart"), concatenated.
std::string Parts(const fs::path& book, const std::string& stem) {
  std::string all;
  for (int i = 1; i < 10; ++i)
    all += Part(book, stem + std::to_string(i) + ".xml");
  return all;
}

std::ptrdiff_t Matches(const std::string& text, const std::string& pattern) {
  const std::regex expression(pattern);
  return std::distance(std::sregex_iterator(text.begin(), text.end(), expression),
                       std::sregex_iterator());
}

// What read_xlsx.py reads from `book`; null when python3 with openpyxl is not there.
json ReadBack(const fs::path& book) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") != 0) return nullptr;
  const std::string command =
      std::string("/usr/bin/python3 ") + KV_READ_XLSX_SCRIPT + " '" + book.string() + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0) << "read_xlsx.py failed on " << book;
  return json::parse(out, nullptr, false);
}

// The cell format read back, as [value, number format, bold, font colour, fill].
json Look(const json& cell) {
  return {cell["value"], cell["number_format"], cell["bold"], cell["font_colour"], cell["fill"]};
}

// The one series of the one chart group of chart sheet `chart` read back, when that group is
// of `type` ("scatterChart", "lineChart"); null otherwise.
json OnlySeries(const json& read, const std::string& chart, const std::string& type) {
  const json& groups = read["charts"][chart][0]["groups"];
  EXPECT_EQ(groups.size(), 1u) << chart;
  if (groups.size() != 1 || groups[0]["type"] != type || groups[0]["series"].size() != 1) {
    ADD_FAILURE() << chart << ": not one " << type << " group of one series: " << groups.dump();
    return nullptr;
  }
  return groups[0]["series"][0];
}

class ResultBook : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    folder_ = TestFolder("result");
    book_ = folder_ / "result.xlsx";
    std::string error;
    written_ = WriteXlsx(kvtest::HistogramAndComparisonBook(), book_.string(), error);
    ASSERT_TRUE(written_) << error;
    read_ = ReadBack(book_);
  }
  static void TearDownTestSuite() { fs::remove_all(folder_); }
  void SetUp() override {
    ASSERT_TRUE(written_);
    if (read_.is_null()) GTEST_SKIP() << "no /usr/bin/python3 with openpyxl";
    ASSERT_TRUE(read_.is_object()) << "read_xlsx.py printed no JSON";
  }

  const json& Cell(const std::string& sheet, const std::string& address) {
    return read_["worksheets"][sheet]["cells"][address];
  }
  const json& Groups(const std::string& chart) { return read_["charts"][chart][0]["groups"]; }

  static inline fs::path folder_, book_;
  static inline bool written_ = false;
  static inline json read_;
};

} // namespace

TEST_F(ResultBook, SheetsKeepOrderStatesAndTheActiveOne) {
  EXPECT_EQ(read_["sheets"], json::parse(R"([
    {"name": "Histograma", "kind": "worksheet", "state": "visible"},
    {"name": "Gráfico", "kind": "chartsheet", "state": "visible"},
    {"name": "Gráfico Área 1", "kind": "chartsheet", "state": "visible"},
    {"name": "CS x Exp", "kind": "chartsheet", "state": "visible"},
    {"name": "Notas", "kind": "worksheet", "state": "hidden"},
    {"name": "Auxiliar", "kind": "worksheet", "state": "veryHidden"}])"));
  EXPECT_EQ(read_["active"], "Histograma");
  EXPECT_EQ(read_["worksheets"]["Histograma"]["gridlines"], false);
}

TEST_F(ResultBook, CellsKeepValuesAndFormats) {
  EXPECT_EQ(Look(Cell("Histograma", "A1")),
            json({"Histograma dos Dados", "General", true, "0000FF", "C0C0C0"}));
  EXPECT_EQ(Look(Cell("Histograma", "B4")),
            json({0.123456789012345, "0.000", false, "000000", "FFFFFF"}));
  EXPECT_EQ(Cell("Histograma", "B4")["borders"], json({"thin", "thin", "thin", "thin"}));
  EXPECT_EQ(Look(Cell("Histograma", "B6")), json({nullptr, "0.000", false, "000000", "FFFFFF"}))
      << "an empty cell keeps its frame and fill";
  EXPECT_EQ(Look(Cell("Histograma", "B14")), json({-0.25, "0.000%", false, "000000", "FFFFFF"}));
  EXPECT_EQ(Cell("Histograma", "B14")["align"], "center");
  EXPECT_EQ(Cell("Histograma", "A13")["align"], "center");
  EXPECT_EQ(Look(Cell("Histograma", "A24")),
            json({"*Para a última faixa <= Sup.", "General", false, "0000FF", "C0C0C0"}));
  EXPECT_EQ(Cell("Histograma", "A24")["borders"], json({nullptr, nullptr, nullptr, nullptr}));

  EXPECT_EQ(Cell("Notas", "A1")["value"], true);
  EXPECT_EQ(Cell("Notas", "A2")["value"], "ação & <reação>");
  for (const auto& [address, name] : {std::pair{"B1", "#N/A"}, std::pair{"B2", "#DIV/0!"}}) {
    EXPECT_EQ(Cell("Notas", address)["type"], "e") << address << " is an error value";
    EXPECT_EQ(Cell("Notas", address)["value"], name);
  }
  EXPECT_EQ(read_["normal_font"], json({{"name", "Arial"}, {"size", 10.0}}));
}

// A width in characters shows that many digits of the standard font: Arial 10's digits are
// 7 pixels wide and a column adds 5 pixels of padding (to within a pixel, as Excel rounds).
TEST_F(ResultBook, ColumnsShowTheirWidthsAndTheWholeSheetFormat) {
  const Workbook model = kvtest::HistogramAndComparisonBook();
  const json& columns = read_["worksheets"]["Histograma"]["columns"];
  ASSERT_FALSE(columns.empty());
  std::uint32_t next = 1;
  for (const json& column : columns) {
    const std::uint32_t first = column["min"];
    EXPECT_EQ(first, next) << "the columns are styled without a gap";
    next = column["max"].get<std::uint32_t>() + 1;
    EXPECT_EQ(column["fill"], "C0C0C0") << "from column " << first;
    EXPECT_EQ(column["font_colour"], "0000FF") << "from column " << first;
    const auto width = model.sheets[0].column_widths.find(first - 1);
    if (width == model.sheets[0].column_widths.end()) continue;
    const double characters = (column["width"].get<double>() * 7 - 5) / 7;
    EXPECT_NEAR(characters, width->second.characters, 1.0 / 7) << "column " << first;
    EXPECT_EQ(column["best_fit"], width->second.best_fit) << "column " << first;
  }
  EXPECT_EQ(next, 16385u) << "every column of the sheet, A to XFD";
  EXPECT_EQ(read_["worksheets"]["Notas"]["columns"], json::array())
      << "a sheet without a whole-sheet format styles no columns";
}

TEST_F(ResultBook, HistogramChartsPairColumnsWithALineOnASecondValueAxis) {
  for (const auto& [chart, bars, line, bar_fill, line_colour, second_format] :
       {std::tuple{"Gráfico", "D", "F", "FFCC99", "3366FF", "0.0%"},
        std::tuple{"Gráfico Área 1", "I", "J", "003366", "FF6600", "0.00"}}) {
    SCOPED_TRACE(chart);
    const json& groups = Groups(chart);
    ASSERT_EQ(groups.size(), 2u);
    const json& columns = groups[0];
    EXPECT_EQ(columns["type"], "barChart");
    EXPECT_EQ(columns["gap_width"], 5.0);
    ASSERT_EQ(columns["series"].size(), 1u);
    const std::string c(bars);
    EXPECT_EQ(columns["series"][0]["name"], "Histograma!$" + c + "$13");
    EXPECT_EQ(columns["series"][0]["values"], "Histograma!$" + c + "$14:$" + c + "$23");
    EXPECT_EQ(columns["series"][0]["fill"], bar_fill);
    EXPECT_EQ(columns["y_axis"]["position"], "l");

    const json& lines = groups[1];
    EXPECT_EQ(lines["type"], "lineChart");
    ASSERT_EQ(lines["series"].size(), 1u);
    const std::string l(line);
    EXPECT_EQ(lines["series"][0]["name"], "Histograma!$" + l + "$13");
    EXPECT_EQ(lines["series"][0]["values"], "Histograma!$" + l + "$14:$" + l + "$23");
    EXPECT_EQ(lines["series"][0]["line"]["colour"], line_colour);
    EXPECT_EQ(lines["series"][0]["marker"]["symbol"], "circle");
    // Its own axes: a value axis on the right crossing at the maximum of a hidden category axis.
    const json &x = lines["x_axis"], &y = lines["y_axis"];
    EXPECT_EQ(x["deleted"], true);
    EXPECT_EQ(y["kind"], "valAx");
    EXPECT_EQ(y["deleted"], false);
    EXPECT_EQ(y["position"], "r");
    EXPECT_EQ(y["crosses"], "max");
    EXPECT_EQ(y["cross_axis"], x["id"]);
    EXPECT_EQ(y["number_format"], second_format);
    for (const json& id : lines["axis_ids"])
      EXPECT_EQ(std::count(columns["axis_ids"].begin(), columns["axis_ids"].end(), id), 0)
          << "the second axes have ids of their own";
  }
  const json& columns = Groups("Gráfico")[0];
  EXPECT_EQ(columns["series"][0]["categories"], "Histograma!$A$14:$A$23");
  EXPECT_EQ(columns["series"][0]["line"]["colour"], "FF9900");
  EXPECT_EQ(columns["y_axis"]["title"], "Ocorrências");
  EXPECT_EQ(Groups("Gráfico")[1]["series"][0]["marker"]["fill"], "00FF00");
  EXPECT_EQ(Groups("Gráfico")[1]["y_axis"]["title"], "DP / Faixa");
}

TEST_F(ResultBook, ComparisonChartIsThreeXYSeries) {
  const json& groups = Groups("CS x Exp");
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0]["type"], "scatterChart");
  const json& series = groups[0]["series"];
  ASSERT_EQ(series.size(), 3u);
  const char* columns[] = {"B", "C", "D"};
  const char* line_colours[] = {"FFFF00", "FF0000"};
  for (int i = 0; i < 3; ++i) {
    const std::string c = columns[i];
    EXPECT_EQ(series[i]["name"], "Auxiliar!$" + c + "$3");
    EXPECT_EQ(series[i]["x"], "Auxiliar!$A$4:$A$15");
    EXPECT_EQ(series[i]["y"], "Auxiliar!$" + c + "$4:$" + c + "$15");
    if (i < 2) {
      EXPECT_EQ(series[i]["line"]["colour"], line_colours[i]);
    }
  }
  EXPECT_EQ(series[2]["line"]["none"], true);
  EXPECT_EQ(series[2]["marker"], json::parse(R"({"symbol": "square", "fill": "FFFFFF",
                                                "line": {"none": false, "colour": "000000"}})"));
  EXPECT_EQ(groups[0]["x_axis"]["minimum"], 0.0);
  EXPECT_EQ(groups[0]["x_axis"]["maximum"], 56.0);
  EXPECT_EQ(groups[0]["y_axis"]["number_format"], "0.00%");
  EXPECT_EQ(read_["charts"]["CS x Exp"][0]["legend"], true);
}

// What openpyxl does not report: markers turned off, legends without frame or fill, chart
// sheets sized with the window.
TEST_F(ResultBook, PackageHoldsWhatOpenpyxlDoesNotTell) {
  const std::string charts = Parts(book_, "xl/charts/chart");
  EXPECT_EQ(Matches(charts, "<c:symbol val=\"none\"/>"), 2) << "the two interpolation lines";
  EXPECT_EQ(Matches(charts, "<c:legend>.*?<c:spPr><a:noFill/><a:ln><a:noFill/></a:ln></c:spPr>"
                            ".*?</c:legend>"),
            3);
  EXPECT_EQ(Matches(Parts(book_, "xl/chartsheets/sheet"), "zoomToFit=\"1\""), 3);
}

// The PCA tool's scree chart, from its calls: an XY chart of the eigenvalues over the factor
// numbers, square markers black on white without a line, labelled with the X values, in both
// modes.
TEST(XlsxWriter, ScreeChartIsXYMarkersLabelledWithTheFactors) {
  const fs::path folder = TestFolder("scree");
  for (const bool black_and_white : {false, true}) {
    SCOPED_TRACE(black_and_white ? "black and white" : "colour");
    Workbook model;
    ASSERT_NO_FATAL_FAILURE(kvtest::BuildScreeBook(kvtest::ScreeChart{5, 4, black_and_white, true},
                                                   {2.1, 1.0, 0.6, 0.3}, model));
    const fs::path book = folder / (black_and_white ? "scree_bw.xlsx" : "scree.xlsx");
    std::string error;
    ASSERT_TRUE(WriteXlsx(model, book.string(), error)) << error;

    // The package: a scatter chart of markers only, its labels the X values in Arial 8.
    const std::string chart = Parts(book, "xl/charts/chart");
    EXPECT_EQ(Matches(chart, "<c:scatterChart>"), 1);
    EXPECT_EQ(Matches(chart, "<c:lineChart>|<c:barChart>"), 0);
    EXPECT_EQ(Matches(chart, "<c:dLbls>.*<c:showLegendKey val=\"0\"/><c:showVal val=\"0\"/>"
                             "<c:showCatName val=\"1\"/><c:showSerName val=\"0\"/>"
                             "<c:showPercent val=\"0\"/><c:showBubbleSize val=\"0\"/></c:dLbls>"),
              1)
        << "every flag written: the X value alone";
    EXPECT_EQ(Matches(chart, "<c:dLbls>.*sz=\"800\".*<a:srgbClr val=\"" +
                                 std::string(black_and_white ? "000000" : "FFFFFF") +
                                 "\"/>.*</c:dLbls>"),
              1)
        << "labels in Arial 8, white on the coloured chart area, black otherwise";
    EXPECT_EQ(Matches(chart, "<c:xVal><c:numRef><c:f>PCA!\\$B\\$5:\\$E\\$5</c:f>"), 1);
    EXPECT_EQ(Matches(chart, "<c:legend>"), 0) << "no legend";

    const json read = ReadBack(book);
    if (read.is_null()) GTEST_SKIP() << "no /usr/bin/python3 with openpyxl";
    const json series = OnlySeries(read, "Scree Test", "scatterChart");
    ASSERT_FALSE(series.is_null());
    const json& groups = read["charts"]["Scree Test"][0]["groups"];
    EXPECT_EQ(series["name"], "Autovalores");
    EXPECT_EQ(series["x"], "PCA!$B$5:$E$5") << "the factor numbers";
    EXPECT_EQ(series["y"], "PCA!$B$6:$E$6") << "the eigenvalues";
    EXPECT_EQ(series["line"], json({{"none", true}, {"colour", nullptr}}));
    EXPECT_EQ(series["marker"], json::parse(R"({"symbol": "square", "fill": "FFFFFF",
                                                "line": {"none": false, "colour": "000000"}})"));
    EXPECT_EQ(groups[0]["y_axis"]["number_format"], "0.00");
    EXPECT_EQ(groups[0]["y_axis"]["title"], "Autovalores");
    EXPECT_EQ(groups[0]["x_axis"]["title"], "Fator");
    EXPECT_EQ(groups[0]["x_axis"]["line"],
              black_and_white ? json(nullptr) : json({{"none", false}, {"colour", "FF9900"}}));
    EXPECT_EQ(read["charts"]["Scree Test"][0]["title"], "Scree Test");
    EXPECT_EQ(read["charts"]["Scree Test"][0]["legend"], false);
    EXPECT_EQ(read["worksheets"]["PCA"]["cells"]["C5"]["value"], 2) << "factor 2";
    EXPECT_EQ(read["worksheets"]["PCA"]["cells"]["E6"]["value"], 0.3);
  }
  if (!std::getenv("KV_KEEP_SCREE")) fs::remove_all(folder);
}

// The same table drawn as a line chart (FORMAT.CHARTTYPE 4 instead of 8): a line with markers
// over the factor numbers as categories, labelled with them.
TEST(XlsxWriter, OnlySeriesMadeALineIsALineChartOverItsCategories) {
  const fs::path folder = TestFolder("line");
  ExcelHost host;
  kvtest::ChartSteps steps(host);
  const kvtest::ScreeChart table{5, 4, false, true};
  ASSERT_NO_FATAL_FAILURE(kvtest::WriteEigenvalueTable(steps.call, table, {2.1, 1.0, 0.6, 0.3}));
  ASSERT_NO_FATAL_FAILURE(steps.AddChartSheet("Linha", true));
  steps.AddSeries(table.SeriesName(), table.Row(5), table.Row(6), 1);
  steps.Select("S1");
  ASSERT_EQ(steps.call(xlcFormatCharttype,
                       {kvtest::Int(1), kvtest::Missing(), kvtest::Int(1), kvtest::Int(4)}),
            xlretSuccess);
  ASSERT_EQ(steps.call(xlcDataLabel, {kvtest::Int(4)}), xlretSuccess);
  steps.Patterns({0, 1, 5, 3, 0, 3, 5, 6});
  EXPECT_EQ(steps.chart().type, ChartType::Line);

  const fs::path book = folder / "line.xlsx";
  std::string error;
  ASSERT_TRUE(WriteXlsx(host.app().ActiveWorkbook(), book.string(), error)) << error;
  const std::string chart = Parts(book, "xl/charts/chart");
  const json read = ReadBack(book);
  fs::remove_all(folder);
  EXPECT_EQ(Matches(chart, "<c:lineChart>"), 1);
  EXPECT_EQ(Matches(chart, "<c:barChart>|<c:scatterChart>"), 0);
  EXPECT_EQ(Matches(chart, "<c:showVal val=\"0\"/><c:showCatName val=\"1\"/>"), 1);
  EXPECT_EQ(Matches(chart, "<a:ln w=\"19050\"><a:solidFill><a:srgbClr val=\"0000FF\"/>"), 1)
      << "a medium (1.5 pt) blue line";
  if (read.is_null()) GTEST_SKIP() << "no /usr/bin/python3 with openpyxl";
  const json series = OnlySeries(read, "Linha", "lineChart");
  ASSERT_FALSE(series.is_null());
  EXPECT_EQ(series["categories"], "PCA!$B$5:$E$5");
  EXPECT_EQ(series["values"], "PCA!$B$6:$E$6");
  EXPECT_EQ(series["line"]["colour"], "0000FF");
  EXPECT_EQ(series["marker"], json::parse(R"({"symbol": "triangle", "fill": "FFFF00",
                                              "line": {"none": false, "colour": "0000FF"}})"));
}

// What libxlsxwriter alone would write otherwise: a chart sheet without series, an XY series
// without X values, titles that are not bold, a hidden first sheet that is the active one; and
// a selection other than A1.
TEST(XlsxWriter, ChartsAndSheetsLibxlsxwriterAloneGetsWrong) {
  const fs::path folder = TestFolder("edges");
  Workbook book;
  book.sheets.emplace_back(0, "Dados");
  book.sheets[0].state = SheetState::VeryHidden;
  book.sheets[0].cells.SetNumber(0, 0, 1);
  book.sheets[0].cells.SetNumber(1, 0, 4);
  book.sheets[0].selection = {CellRange{1, 2, 1, 2}};
  Sheet empty(0, "Vazio");
  empty.kind = SheetKind::Chart;
  book.sheets.push_back(empty);
  Sheet xy(0, "XY");
  xy.kind = SheetKind::Chart;
  xy.chart.emplace();
  ChartSeries series;
  series.name_literal = "Autovalores";
  series.y_ref = "=Dados!R1C1:R2C1";
  series.type = ChartType::Scatter;
  xy.chart->series.push_back(series);
  xy.chart->title = ChartText{"Scree Test", FontFormat{}};
  xy.chart->category_axis.title = ChartText{"Fatores", FontFormat{}};
  book.sheets.push_back(xy);

  std::string error;
  ASSERT_TRUE(WriteXlsx(book, (folder / "edges.xlsx").string(), error)) << error;
  const std::string charts = Parts(folder / "edges.xlsx", "xl/charts/chart");
  EXPECT_NE(Part(folder / "edges.xlsx", "xl/worksheets/sheet1.xml").find("sqref=\"B2:C3\""),
            std::string::npos)
      << "the selection";
  const json read = ReadBack(folder / "edges.xlsx");
  fs::remove_all(folder);
  EXPECT_EQ(Matches(charts, "<c:title>(?:(?!</c:title>).)*<a:rPr b=\"0\""), 2)
      << "the chart's title and its category axis' title";
  if (read.is_null()) GTEST_SKIP() << "no /usr/bin/python3 with openpyxl";
  EXPECT_EQ(read["sheets"][0]["state"], "veryHidden");
  EXPECT_EQ(read["active"], "Vazio") << "the first visible sheet, not the hidden active one";
  EXPECT_EQ(read["charts"]["Vazio"][0]["groups"][0]["series"], json::array());
  const json& xy_series = read["charts"]["XY"][0]["groups"][0]["series"][0];
  EXPECT_EQ(xy_series["name"], "Autovalores");
  EXPECT_EQ(xy_series["x"], nullptr) << "plotted against 1, 2, ... as Excel does";
  EXPECT_EQ(xy_series["y"], "Dados!$A$1:$A$2");
}

TEST(XlsxWriter, SameWorkbookSameBytes) {
  const fs::path folder = TestFolder("repeat");
  const Workbook book = kvtest::HistogramAndComparisonBook();
  std::string error;
  const XlsxOptions at_noon{std::time_t{1700000000}};
  ASSERT_TRUE(WriteXlsx(book, (folder / "a.xlsx").string(), error, at_noon)) << error;
  ASSERT_TRUE(WriteXlsx(book, (folder / "b.xlsx").string(), error, at_noon)) << error;
  EXPECT_EQ(Bytes(folder / "a.xlsx"), Bytes(folder / "b.xlsx"));
  fs::remove_all(folder);
}

TEST(XlsxWriter, NumbersIgnoreTheProcessLocale) {
  const fs::path folder = TestFolder("locale_book");
  const fs::path book = folder / "pt.xlsx";
  {
    kvtest::PtBrLocale pt_br;
    if (!pt_br.WhyNot().empty()) GTEST_SKIP() << pt_br.WhyNot();
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale writes decimal commas";
    std::string error;
    ASSERT_TRUE(WriteXlsx(kvtest::HistogramAndComparisonBook(), book.string(), error)) << error;
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5") << "the writer gives the locale back";
  }
  const std::string sheet = Part(book, "xl/worksheets/sheet1.xml");
  const std::string charts = Parts(book, "xl/charts/chart");
  fs::remove_all(folder);
  EXPECT_NE(sheet.find("<v>0.123456789012345</v>"), std::string::npos);
  EXPECT_NE(sheet.find("width=\"27.28515625\""), std::string::npos);
  EXPECT_NE(charts.find("<c:v>0.01</c:v>"), std::string::npos) << "the second axis' series";
  EXPECT_NE(charts.find("<c:v>0.25</c:v>"), std::string::npos);
  const std::regex comma(R"((<v>|<c:v>|="|val=")-?[0-9]+,[0-9])");
  for (const std::string* xml : {&sheet, &charts}) {
    std::smatch found;
    EXPECT_FALSE(std::regex_search(*xml, found, comma)) << "a decimal comma: " << found.str();
  }
}

TEST(XlsxWriter, FailuresLeaveNoFileAndKeepTheOldOne) {
  const fs::path folder = TestFolder("failures");
  std::ofstream(folder / "not_a_folder") << "x";
  const std::string unwritable = (folder / "not_a_folder" / "book.xlsx").string();
  std::string error;
  EXPECT_FALSE(WriteXlsx(kvtest::HistogramAndComparisonBook(), unwritable, error));
  EXPECT_NE(error.find(unwritable), std::string::npos) << error;

  // Failures found while writing: the earlier file stays, no temporary file is left.
  const fs::path destination = folder / "book.xlsx";
  ASSERT_TRUE(WriteXlsx(kvtest::HistogramAndComparisonBook(), destination.string(), error))
      << error;
  const std::string before = Bytes(destination);
  Workbook bad_name = kvtest::HistogramAndComparisonBook();
  bad_name.sheets[2].name = "Gráfico: Área";
  Workbook bad_reference = kvtest::HistogramAndComparisonBook();
  bad_reference.sheets[1].chart->series[1].y_ref = "=Histograma!F14:F23";
  Workbook all_hidden;
  all_hidden.sheets.emplace_back(0, "Oculta");
  all_hidden.sheets[0].state = SheetState::Hidden;
  for (const auto& [book, cause] :
       {std::pair{&bad_name, "Gráfico: Área"}, std::pair{&bad_reference, "=Histograma!F14:F23"},
        std::pair{&all_hidden, "visible sheet"}}) {
    error.clear();
    EXPECT_FALSE(WriteXlsx(*book, destination.string(), error)) << cause;
    EXPECT_NE(error.find(destination.string()), std::string::npos) << error;
    EXPECT_NE(error.find(cause), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
    EXPECT_EQ(Bytes(destination), before) << cause;
  }
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"book.xlsx", "not_a_folder"}));
  fs::remove_all(folder);
}

// Names and texts beyond code page 1252 and the grid's last cell, written and read back by
// openpyxl and by kvhost's own reader as they were.
TEST(XlsxWriter, UnicodeNamesTextsAndTheGridsLastCellComeBackExactly) {
  const fs::path folder = TestFolder("unicode");
  const fs::path path = folder / "unicode.xlsx";
  const std::string name = "Ελληνικά 中文 😀";
  Cells cells;
  cells.SetText(0, 0, "收益率 📈");
  cells.SetNumber(1, 0, 1.0 / 3.0); // 16 significant digits, as the writer keeps them
  cells.SetText(1048575, 16383, "Δέλτα");
  Workbook book;
  book.name = "unicode.xlsx";
  book.sheets.emplace_back(1, name, std::move(cells));
  std::string error;
  ASSERT_TRUE(WriteXlsx(book, path.string(), error)) << error;

  const auto again = ReadDataWorkbook({path.string()}, error);
  ASSERT_TRUE(again) << error;
  ASSERT_EQ(again->sheets.size(), 1u);
  const Sheet& sheet = again->sheets[0];
  EXPECT_EQ(sheet.name, name);
  EXPECT_EQ(sheet.cells.Get(0, 0).text, "收益率 📈");
  EXPECT_EQ(sheet.cells.NumberAt(1, 0), 1.0 / 3.0);
  EXPECT_EQ(sheet.cells.Get(1048575, 16383).text, "Δέλτα");
  EXPECT_FALSE(ReadDataWorkbook({path.string()}, error, {}, kExcel4Grid)) << "past IV65536";

  // openpyxl asked for the two cells only: its full reading would walk the 17 billion between.
  if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") != 0) {
    fs::remove_all(folder);
    GTEST_SKIP() << "no /usr/bin/python3 with openpyxl";
  }
  const std::string command = "/usr/bin/python3 -c 'import json, sys, openpyxl; "
                              "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]; "
                              "print(json.dumps([ws.title, ws[\"A1\"].value, "
                              "ws[\"XFD1048576\"].value]))' '" +
                              path.string() + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0);
  fs::remove_all(folder);
  EXPECT_EQ(json::parse(out, nullptr, false), json({name, "收益率 📈", "Δέλτα"}));
}
