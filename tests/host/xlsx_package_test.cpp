// The package step on a workbook whose names and titles hold the characters XML escapes: every
// edit still finds its element, and the texts read back as they were written.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "io/xlsx_parts.h"
#include "io/xlsx_writer.h"
#include "io/xml_edit.h"

using namespace kvhost;
using nlohmann::json;
namespace fs = std::filesystem;
namespace xml = kvhost::xlsx::xml;

namespace {

// The part `name` of the package as a tree; the root is named "missing" when it cannot be read.
xml::Document Part(const fs::path& book, const std::string& name) {
  xml::Document document;
  document.root.name = "missing";
  int code = 0;
  zip_t* zip = zip_open(book.c_str(), ZIP_RDONLY, &code);
  if (zip == nullptr) return document;
  zip_stat_t stat;
  std::string text;
  if (zip_stat(zip, name.c_str(), 0, &stat) == 0) {
    if (zip_file_t* file = zip_fopen(zip, name.c_str(), 0)) {
      text.resize(stat.size);
      if (zip_fread(file, text.data(), text.size()) != static_cast<zip_int64_t>(stat.size))
        text.clear();
      zip_fclose(file);
    }
  }
  zip_discard(zip);
  std::string error;
  if (!xml::Parse(text, document, error)) {
    ADD_FAILURE() << name << ' ' << error;
    document.root.name = "missing";
  }
  return document;
}

// The elements named `name` below `node`, in document order.
std::vector<xml::Node*> All(xml::Node& node, std::string_view name) {
  std::vector<xml::Node*> found;
  node.ForEachElement([&](xml::Node& element) {
    if (element.Is(name)) found.push_back(&element);
  });
  return found;
}

std::string AttributeOf(const xml::Node* node, std::string_view attribute) {
  const std::string* value = node != nullptr ? node->Attribute(attribute) : nullptr;
  return value != nullptr ? *value : "(none)";
}

// The text runs of a title, joined, and whether every run is explicitly not bold.
std::pair<std::string, bool> TitleRuns(xml::Node* title) {
  if (title == nullptr) return {"(no title)", false};
  std::string text;
  for (xml::Node* run : All(*title, "a:t"))
    text += run->Text();
  bool plain = true;
  for (xml::Node* properties : All(*title, "a:rPr"))
    plain = plain && AttributeOf(properties, "b") == "0";
  return {text, plain};
}

// What tests/host/read_xlsx.py reads from `book`; null without /usr/bin/python3 and openpyxl.
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

} // namespace

TEST(XlsxPackage, NamesAndTitlesWithMarkupCharactersKeepEveryEdit) {
  // '&', '<', '>', quotes and accents, and what would close a tag ("/>") or look like one.
  const std::string data_name = "Dá<ta>&\"x\" y";
  const std::string chart_name = "Grá>fico<tx a=\"1\">";
  const std::string title = "Título & <b> \"q\" 'a' /> <c:title> é";
  const std::string axis_title = "Fator </c:title><a:rPr b=\"1\"/> ç";
  Workbook book;
  book.sheets.emplace_back(0, data_name);
  Sheet& data = book.sheets[0];
  data.state = SheetState::VeryHidden;
  data.cells.SetNumber(0, 0, 1);
  data.cells.SetNumber(1, 0, 4);
  data.cells.SetError(0, 1, 42);
  data.cells.SetText(1, 1, "<f>#N/A</f>");
  data.column_widths[1] = ColumnWidth{14, true};
  const std::string number_format = "[>=1]0.0\" />\";\"<\"0";
  data.formats.whole_sheet.number_format = number_format;
  Sheet chart_sheet(0, chart_name);
  chart_sheet.kind = SheetKind::Chart;
  chart_sheet.chart.emplace();
  Chart& chart = *chart_sheet.chart;
  ChartSeries series;
  series.name_literal = title;
  series.y_ref = "='" + data_name + "'!R1C1:R2C1";
  series.type = ChartType::Scatter;
  chart.series.push_back(series);
  chart.title = ChartText{title, FontFormat{}};
  chart.category_axis.title = ChartText{axis_title, FontFormat{}};
  book.sheets.push_back(chart_sheet);

  const fs::path folder =
      fs::temp_directory_path() / ("kvhost_package_" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path path = folder / "markup.xlsx";
  std::string error;
  ASSERT_TRUE(WriteXlsx(book, path.string(), error)) << error;

  xml::Document workbook = Part(path, "xl/workbook.xml");
  std::vector<xml::Node*> sheets = All(workbook.root, "sheet");
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(AttributeOf(sheets[0], "name"), data_name);
  EXPECT_EQ(AttributeOf(sheets[0], "state"), "veryHidden");
  EXPECT_EQ(AttributeOf(sheets[1], "name"), chart_name);

  xml::Document worksheet = Part(path, "xl/worksheets/sheet1.xml");
  std::vector<xml::Node*> cells = All(worksheet.root, "c");
  std::vector<std::string> cell_types;
  for (xml::Node* cell : cells)
    cell_types.push_back(AttributeOf(cell, "r") + ":" + AttributeOf(cell, "t"));
  EXPECT_EQ(cell_types, (std::vector<std::string>{"A1:(none)", "B1:e", "A2:(none)", "B2:s"}));
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(cells[1]->Child("f"), nullptr) << "an error value, not a formula";
  EXPECT_EQ(cells[1]->Child("v") != nullptr ? cells[1]->Child("v")->Text() : "", "#N/A");
  std::vector<std::string> best_fit;
  for (const xml::Node* column : All(worksheet.root, "col"))
    best_fit.push_back(AttributeOf(column, "min") + ":" + AttributeOf(column, "bestFit"));
  EXPECT_EQ(best_fit, (std::vector<std::string>{"1:(none)", "2:1", "3:(none)"}));

  xml::Document chart_part = Part(path, "xl/charts/chart1.xml");
  xml::Node* chart_xml = chart_part.root.Child("c:chart");
  ASSERT_NE(chart_xml, nullptr);
  EXPECT_EQ(TitleRuns(chart_xml->Child("c:title")), std::pair(title, true));
  std::vector<xml::Node*> axes = All(
      chart_xml->Find("c:plotArea") ? *chart_xml->Find("c:plotArea") : chart_part.root, "c:valAx");
  ASSERT_EQ(axes.size(), 2u) << "an XY chart's two value axes";
  EXPECT_EQ(TitleRuns(axes[0]->Child("c:title")), std::pair(axis_title, true))
      << "the X axis' title";
  std::vector<xml::Node*> series_xml = All(*chart_xml, "c:ser");
  ASSERT_EQ(series_xml.size(), 1u);
  const xml::Node* name = series_xml[0]->Find("c:tx/c:v");
  EXPECT_EQ(name != nullptr ? name->Text() : "(none)", title) << "the series' name";
  EXPECT_TRUE(All(*chart_xml, "c:xVal").empty()) << "an XY series without X values";

  const json read = ReadBack(path);
  if (!std::getenv("KV_KEEP")) fs::remove_all(folder);
  if (read.is_null()) GTEST_SKIP() << "no /usr/bin/python3 with openpyxl";
  EXPECT_EQ(read["sheets"][0]["name"], data_name);
  EXPECT_EQ(read["sheets"][0]["state"], "veryHidden");
  EXPECT_EQ(read["worksheets"][data_name]["cells"]["B1"]["value"], "#N/A");
  EXPECT_EQ(read["worksheets"][data_name]["cells"]["B2"]["value"], "<f>#N/A</f>");
  EXPECT_EQ(read["worksheets"][data_name]["cells"]["A1"]["number_format"], number_format);
  EXPECT_EQ(read["worksheets"][data_name]["columns"][1]["best_fit"], true);
  EXPECT_EQ(read["normal_font"], json::parse(R"({"name": "Arial", "size": 10.0})"));
  EXPECT_EQ(read["charts"][chart_name][0]["title"], title);
  EXPECT_EQ(read["charts"][chart_name][0]["groups"][0]["x_axis"]["title"], axis_title);
}

namespace {

// A package of the given parts, written as `path`.
bool WritePackage(const fs::path& path,
                  const std::vector<std::pair<std::string, std::string>>& parts) {
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (zip == nullptr) return false;
  for (const auto& [name, text] : parts) {
    zip_source_t* source = zip_source_buffer(zip, text.data(), text.size(), 0);
    if (zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE) < 0) zip_source_free(source);
  }
  return zip_close(zip) == 0;
}

} // namespace

// Parts in XML that libxlsxwriter happens not to write but any writer may: single quotes, a '>'
// inside an attribute, a line break inside a tag, a data label of its own point inside the
// series' labels, a legend written empty. Every edit still lands where it belongs.
TEST(XlsxPackage, EditsFollowTheXmlNotHowItIsSpelled) {
  const std::string relationships =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::vector<std::pair<std::string, std::string>> parts = {
      {"xl/workbook.xml", "<workbook xmlns:r='" + relationships +
                              "'><sheets><sheet name='a>b' state='hidden' r:id='rId1'/>"
                              "</sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships><Relationship Id='rId1' Type='" + relationships +
           "/worksheet' Target='worksheets/sheet1.xml'/></Relationships>"},
      {"xl/worksheets/sheet1.xml",
       "<worksheet xmlns:r='" + relationships +
           "'><sheetData><row r='1'><c\n r='A1' t='str'><f>#N/A</f><v>#N/A</v></c></row>"
           "</sheetData><drawing r:id='rId1'/></worksheet>"},
      {"xl/worksheets/_rels/sheet1.xml.rels",
       "<Relationships><Relationship Id='rId1' Type='" + relationships +
           "/drawing' Target='../drawings/drawing1.xml'/></Relationships>"},
      {"xl/drawings/drawing1.xml", "<wsDr/>"},
      {"xl/drawings/_rels/drawing1.xml.rels",
       "<Relationships><Relationship Id='rId1' Type='" + relationships +
           "/chart' Target='../charts/chart1.xml'/></Relationships>"},
      {"xl/charts/chart1.xml",
       "<c:chartSpace xmlns:c='c' xmlns:a='a'><c:chart><c:plotArea><c:lineChart><c:ser>"
       "<c:dLbls><c:dLbl><c:idx val='0'/><c:showVal val='1'/></c:dLbl>"
       "<c:showCatName val='1'/></c:dLbls></c:ser><c:axId val='7'/><c:axId val='8'/>"
       "</c:lineChart><c:catAx><c:axId val='7'/></c:catAx><c:valAx><c:axId val='8'/></c:valAx>"
       "</c:plotArea><c:legend/></c:chart></c:chartSpace>"}};
  const fs::path folder =
      fs::temp_directory_path() / ("kvhost_spelled_" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path path = folder / "spelled.xlsx";
  ASSERT_TRUE(WritePackage(path, parts));
  xlsx::SheetEdits edits;
  edits.name = "a>b";
  edits.very_hidden = true;
  edits.has_errors = true;
  edits.has_chart = true;
  edits.chart.legend_shape = "<c:spPr><a:noFill/></c:spPr>";
  std::string error;
  ASSERT_TRUE(xlsx::FinishPackage(path.string(), {edits}, 0, error)) << error;

  xml::Document workbook = Part(path, "xl/workbook.xml");
  EXPECT_EQ(AttributeOf(workbook.root.Find("sheets/sheet"), "state"), "veryHidden");
  xml::Document worksheet = Part(path, "xl/worksheets/sheet1.xml");
  xml::Node* cell = worksheet.root.Find("sheetData/row/c");
  EXPECT_EQ(AttributeOf(cell, "t"), "e");
  EXPECT_EQ(cell != nullptr ? cell->children.size() : 0u, 1u) << "the value alone";
  xml::Document chart = Part(path, "xl/charts/chart1.xml");
  std::vector<std::string> flags;
  if (xml::Node* labels = chart.root.Find("c:chart/c:plotArea/c:lineChart/c:ser/c:dLbls"))
    for (const xml::Node& child : labels->children)
      flags.push_back(child.name + "=" + AttributeOf(&child, "val"));
  EXPECT_EQ(flags, (std::vector<std::string>{"c:dLbl=(none)", "c:showLegendKey=0", "c:showVal=0",
                                             "c:showCatName=1", "c:showSerName=0",
                                             "c:showPercent=0", "c:showBubbleSize=0"}));
  EXPECT_NE(chart.root.Find("c:chart/c:plotArea/c:lineChart/c:ser/c:dLbls/c:dLbl/c:showVal"),
            nullptr)
      << "the point's own flag stays with it";
  EXPECT_NE(chart.root.Find("c:chart/c:legend/c:spPr/a:noFill"), nullptr);
  fs::remove_all(folder);
}

// A sheet's part is streamed rather than read whole, and still refused as every part is when it
// is not well-formed or declares a document type.
TEST(XlsxPackage, BrokenSheetPartsAreRefused) {
  const std::string relationships =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const fs::path folder = fs::temp_directory_path() / ("kvhost_broken_" + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::string rows(200000, ' '); // past the first piece read
  for (const auto& [sheet, why] : std::vector<std::pair<std::string, std::string>>{
           {"<worksheet><sheetData>" + rows + "<row></sheetData></worksheet>",
            "the part xl/worksheets/sheet1.xml is not well-formed XML (line 1): mismatched tag"},
           {"<!DOCTYPE worksheet [<!ENTITY e 'x'>]><worksheet>&e;</worksheet>",
            "the part xl/worksheets/sheet1.xml declares a document type, which no workbook part "
            "does"}}) {
    const fs::path path = folder / "broken.xlsx";
    ASSERT_TRUE(WritePackage(
        path,
        {{"xl/workbook.xml", "<workbook xmlns:r='" + relationships +
                                 "'><sheets><sheet name='S' r:id='rId1'/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships><Relationship Id='rId1' Type='" + relationships +
              "/worksheet' Target='worksheets/sheet1.xml'/></Relationships>"},
         {"xl/worksheets/sheet1.xml", sheet}}));
    xlsx::SheetEdits edits;
    edits.name = "S";
    edits.has_errors = true;
    std::string error;
    EXPECT_FALSE(xlsx::FinishPackage(path.string(), {edits}, 0, error));
    EXPECT_EQ(error, why);
  }
  fs::remove_all(folder);
}
