// CSV files as worksheets: what each field becomes, the grid's limits, the data workbook.
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/csv_dialect.h"
#include "io/csv_reader.h"
#include "io/data_workbook.h"
#include "portuguese_locale.h"

using namespace kvhost;
namespace fs = std::filesystem;

namespace {

class CsvFiles : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kvhost_csv_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  Cells Read(const std::string& content) {
    std::string error;
    auto cells = ReadCsvCells(Write("data.csv", content), error);
    EXPECT_TRUE(cells.has_value()) << error;
    return cells.value_or(Cells{});
  }

  fs::path dir_;
};

} // namespace

TEST_F(CsvFiles, FieldsBecomeNumbersBooleansErrorsTextsOrNothing) {
  const Cells cells = Read("1,2.5,-3e2,+7,.5\n"
                           "\"12\",TRUE,false,\"TRUE\", x y \n"
                           ",,#n/a,\"\",\"1,5\"\n"
                           "\n"
                           "1e400,inf,nan,0x10,12abc");
  EXPECT_EQ(cells.Get(0, 0), Value::Number(1));
  EXPECT_EQ(cells.Get(0, 1), Value::Number(2.5));
  EXPECT_EQ(cells.Get(0, 2), Value::Number(-300));
  EXPECT_EQ(cells.Get(0, 3), Value::Number(7));
  EXPECT_EQ(cells.Get(0, 4), Value::Number(0.5));
  EXPECT_EQ(cells.Get(1, 0), Value::Text("12")) << "a quoted number stays text";
  EXPECT_EQ(cells.Get(1, 1), Value::Boolean(true));
  EXPECT_EQ(cells.Get(1, 2), Value::Boolean(false));
  EXPECT_EQ(cells.Get(1, 3), Value::Text("TRUE"));
  EXPECT_EQ(cells.Get(1, 4), Value::Text("x y")) << "spaces around unquoted fields drop";
  EXPECT_EQ(cells.Get(2, 0), Value{});
  EXPECT_EQ(cells.Get(2, 2), Value::Error(42));
  EXPECT_EQ(cells.Get(2, 3), Value{}) << "an empty quoted field";
  EXPECT_EQ(cells.Get(2, 4), Value::Text("1,5"));
  EXPECT_EQ(cells.TypeAt(3, 0), ValueType::Empty) << "a blank line is an empty row";
  for (std::uint32_t column = 0; column < 5; ++column)
    EXPECT_EQ(cells.TypeAt(4, column), ValueType::Text) << "column " << column;
  EXPECT_EQ(cells.Rows(), 5u);
  EXPECT_EQ(cells.Columns(), 5u);
}

TEST_F(CsvFiles, LineEndsByteOrderMarkAndQuotedLineBreaks) {
  const Cells cells = Read("\xEF\xBB\xBF"
                           "a,b\r\n1,\"x,\r\ny\"\r\n\r\n3\r4");
  EXPECT_EQ(cells.Get(0, 0), Value::Text("a")) << "the byte-order mark is no character";
  EXPECT_EQ(cells.Get(1, 1), Value::Text("x,\r\ny"));
  EXPECT_EQ(cells.TypeAt(2, 0), ValueType::Empty);
  EXPECT_EQ(cells.Get(3, 0), Value::Number(3));
  EXPECT_EQ(cells.Get(4, 0), Value::Number(4));
  EXPECT_EQ(cells.Rows(), 5u);
}

// Line ends mixed in one file, as files pieced together from several systems carry them: each CR,
// LF or CR LF ends one row, and a CR LF pair is one end only when nothing stands between the two.
TEST_F(CsvFiles, MixedLineEndsGiveTheRowsAPersonSees) {
  const Cells cells = Read("1\r2\n3\r\n4\n\r5\r\r\n6\r  \n7\r\"\"\n8");
  const std::vector<Value> rows = {Value::Number(1), Value::Number(2), Value::Number(3),
                                   Value::Number(4), Value{},          Value::Number(5),
                                   Value{},          Value::Number(6), Value{},
                                   Value::Number(7), Value{},          Value::Number(8)};
  ASSERT_EQ(cells.Rows(), rows.size());
  for (std::uint32_t row = 0; row < rows.size(); ++row)
    EXPECT_EQ(cells.Get(row, 0), rows[row]) << "row " << row + 1;

  // The pair split between two read blocks is still one end.
  std::string content(65535, ' ');
  content[0] = '1';
  content += "\r\n2\r";
  const Cells split = Read(content);
  EXPECT_EQ(split.Rows(), 2u);
  EXPECT_EQ(split.Get(1, 0), Value::Number(2));
}

// The file is read in blocks; a quoted field that straddles two of them stays text.
TEST_F(CsvFiles, QuotedFieldsAcrossReadBlocks) {
  std::string content;
  for (int i = 0; i < 12000; ++i)
    content += "\"12\",12\n";
  const Cells cells = Read(content);
  ASSERT_EQ(cells.Rows(), 12000u);
  for (std::uint32_t row = 0; row < cells.Rows(); ++row) {
    ASSERT_EQ(cells.TypeAt(row, 0), ValueType::Text) << "row " << row;
    ASSERT_EQ(cells.TypeAt(row, 1), ValueType::Number) << "row " << row;
  }
}

TEST_F(CsvFiles, NumbersIgnoreTheProcessLocale) {
  Cells cells;
  {
    kvtest::PtBrLocale pt_br;
    if (!pt_br.WhyNot().empty()) GTEST_SKIP() << pt_br.WhyNot();
    cells = Read("1.5,\"2,5\",-0.25e1\n");
  }
  EXPECT_EQ(cells.Get(0, 0), Value::Number(1.5));
  EXPECT_EQ(cells.Get(0, 1), Value::Text("2,5"));
  EXPECT_EQ(cells.Get(0, 2), Value::Number(-2.5));
}

// A file as Excel saves it under Portuguese settings: ';' between fields, a decimal comma, '.'
// between groups of thousands, CR LF line ends, dates as dd/mm/yyyy.
TEST_F(CsvFiles, SemicolonFilesReadWithADecimalComma) {
  const Cells cells = Read("\xEF\xBB\xBF"
                           "Data;Preco;Qtd\r\n"
                           "01/01/2024;1605,54;3\r\n"
                           "02/01/2024;1.628,75;-0,5\r\n"
                           "03/01/2024;1,5E+03;\"12\"\r\n"
                           "04/01/2024;1.628;1.62,75\r\n"
                           "05/01/2024; 12.345.678,9 ;\"1;2\"\r\n"
                           "06/01/2024;12.5;TRUE\r\n");
  EXPECT_EQ(cells.Get(0, 1), Value::Text("Preco"));
  EXPECT_EQ(cells.Get(1, 0), Value::Text("01/01/2024")) << "a date stays a text";
  EXPECT_EQ(cells.Get(1, 1), Value::Number(1605.54));
  EXPECT_EQ(cells.Get(1, 2), Value::Number(3));
  EXPECT_EQ(cells.Get(2, 1), Value::Number(1628.75));
  EXPECT_EQ(cells.Get(2, 2), Value::Number(-0.5));
  EXPECT_EQ(cells.Get(3, 1), Value::Number(1500));
  EXPECT_EQ(cells.Get(3, 2), Value::Text("12")) << "a quoted number stays text";
  EXPECT_EQ(cells.Get(4, 1), Value::Number(1628)) << "one thousand six hundred and twenty-eight";
  EXPECT_EQ(cells.Get(4, 2), Value::Text("1.62,75")) << "groups of three digits only";
  EXPECT_EQ(cells.Get(5, 1), Value::Number(12345678.9));
  EXPECT_EQ(cells.Get(5, 2), Value::Text("1;2"));
  EXPECT_EQ(cells.Get(6, 1), Value::Text("12.5")) << "a decimal point in a decimal-comma file";
  EXPECT_EQ(cells.Get(6, 2), Value::Boolean(true));
  EXPECT_EQ(cells.Rows(), 7u);
  EXPECT_EQ(cells.Columns(), 3u);
}

TEST(CsvNumbers, DecimalCommaNumbersAndTheTextsThatAreNone) {
  const std::vector<std::pair<std::string, double>> numbers = {{"0", 0},
                                                               {"1605,54", 1605.54},
                                                               {"1.628,75", 1628.75},
                                                               {"-0,5", -0.5},
                                                               {"+7", 7},
                                                               {",5", 0.5},
                                                               {"1.628", 1628},
                                                               {"1.000.000", 1e6},
                                                               {"999.999,5", 999999.5},
                                                               {"1,5E+03", 1500},
                                                               {"2,5e-1", 0.25},
                                                               {"1,", 1},
                                                               {"12", 12},
                                                               {"-1.234,5E2", -123450}};
  for (const auto& [text, number] : numbers) {
    const auto got = DecimalCommaNumber(text);
    ASSERT_TRUE(got.has_value()) << text;
    EXPECT_DOUBLE_EQ(*got, number) << text;
  }
  for (const std::string text :
       {"",       "-",      ",",     "1.62,75",    "12.5", "1.2345", "1234.567",  ".5",
        "1..000", "1.000.", "1,2,3", "1 628",      "1,5E", "1,5E+",  "1e400",     "inf",
        "nan",    "0x10",   "R$ 10", "01/01/2024", "1,5%", "--1",    "1.628,75,1"})
    EXPECT_FALSE(DecimalCommaNumber(text).has_value()) << text;
}

// What each kind of file's first lines show, and what the command line forces.
TEST(CsvNumbers, TheDialectFoundInTheFirstLines) {
  struct Case {
    std::string head;
    char separator, decimal;
  };
  const std::vector<Case> cases = {
      {"x,y\n1.5,2\n", ',', '.'},
      {"a,note\n1,x;y\n2,z\n", ',', '.'},   // a ';' in a text of one line
      {"\"a;b\",c\n\"x;y\",1\n", ',', '.'}, // quoted ';' are the fields' own
      {"a,\tb\n1,\t2\n", ',', '.'},         // tabs as spaces around comma fields
      {"1605,54\n1,5\n", ',', '.'},         // one column: nothing tells it apart
      {"", ',', '.'},
      {"Data;Preco\n01/01/2024;1605,54\n", ';', ','},
      {"a;b\n1;2\n\n\n3;4\n", ';', ','},    // no decimals at all; blank lines skipped
      {"1605,54;3,2\n1,5;2\n", ';', ','},   // no header
      {"a;b\n1.500;2.250\n", ';', ','},     // groups of thousands or decimals: ','
      {"a;b\n0.5;1605.54\n", ';', '.'},     // a ';' file with a decimal point
      {"a;b\n\"1,5\";1605.54\n", ';', '.'}, // a quoted field shows nothing
      {"a;b\n1,5;1605.54\n", ';', ','},     // both: the separator's own
      {"a\tb\n1.5\t2\n", '\t', '.'},
      {"a\tb\n1605,54\t2\n", '\t', ','},
      {"a\tb\n1\t2\n", '\t', '.'},
      {"a;b\r\n1;2\r\n3", ';', ','}, // a line alone at the end
      {"Data;Preco\n1;2\nTotal\n3;4\n", ';', ','},
      {"a;b\nx\ny\n", ',', '.'},         // most lines hold no ';'
      {"x,y\na;b,1\nc;d,2\n", ',', '.'}, // the header holds none
      {"a\tb\n1,5\t2\n3\t4,25\n", '\t', ','},
  };
  for (const Case& c : cases) {
    const CsvDialect dialect = DetectCsvDialect(c.head, true, {});
    EXPECT_EQ(dialect.separator, c.separator) << c.head;
    EXPECT_EQ(dialect.decimal, c.decimal) << c.head;
  }
  // A record the sample cuts short is not looked at, unless it is the only one.
  EXPECT_EQ(DetectCsvDialect("a;b\n1;2\n3,4\n5,6", true, {}).separator, ',');
  EXPECT_EQ(DetectCsvDialect("a;b\n1;2\n3,4\n5,6", false, {}).separator, ';');
  EXPECT_EQ(DetectCsvDialect("a;b", false, {}).separator, ';');
  EXPECT_EQ(DetectCsvDialect("a;b\n\"1\n2;3", false, {}).separator, ';')
      << "a quoted field running past the sample";

  // What is forced is taken; a forced separator brings its own decimal.
  EXPECT_EQ(DetectCsvDialect("a;b\n1;2\n", true, {',', std::nullopt}).decimal, '.');
  EXPECT_EQ(DetectCsvDialect("x\n1\n", true, {';', std::nullopt}).decimal, ',');
  EXPECT_EQ(DetectCsvDialect("x\n1\n", true, {'\t', std::nullopt}).decimal, '.');
  EXPECT_EQ(DetectCsvDialect("x\n1,5\n", true, {'\t', std::nullopt}).decimal, ',');
  const CsvDialect decimal_only = DetectCsvDialect("a;b\n1,5;2\n", true, {std::nullopt, '.'});
  EXPECT_EQ(decimal_only.separator, ';');
  EXPECT_EQ(decimal_only.decimal, '.');
}

TEST_F(CsvFiles, TheDialectForcedOrFoundHoldsForTheWholeFile) {
  // A ';' file longer than the first read block: its later blocks keep the dialect.
  std::string content = "a;b\n";
  for (int i = 0; i < 12000; ++i)
    content += "1.628,75;\"2,5\"\n";
  const Cells long_file = Read(content);
  ASSERT_EQ(long_file.Rows(), 12001u);
  for (std::uint32_t row = 1; row < long_file.Rows(); ++row) {
    ASSERT_EQ(long_file.Get(row, 0), Value::Number(1628.75)) << "row " << row;
    ASSERT_EQ(long_file.Get(row, 1), Value::Text("2,5")) << "row " << row;
  }

  std::string error;
  const std::string path = Write("prices.csv", "Data;Preco\n01/01/2024;1605,54\n");
  const auto as_comma = ReadCsvCells(path, error, {',', std::nullopt});
  ASSERT_TRUE(as_comma) << error;
  EXPECT_EQ(as_comma->Get(1, 0), Value::Text("01/01/2024;1605")) << "today's reading";
  EXPECT_EQ(as_comma->Get(1, 1), Value::Number(54));
  const auto as_point = ReadCsvCells(path, error, {std::nullopt, '.'});
  ASSERT_TRUE(as_point) << error;
  EXPECT_EQ(as_point->Get(1, 1), Value::Text("1605,54"));

  // Tab-separated: a tab is no space around a field there, so empty fields stay.
  const Cells tabs = Read("x\t y \t\tz\n1,5\t\t2\n");
  EXPECT_EQ(tabs.Get(0, 1), Value::Text("y"));
  EXPECT_EQ(tabs.Get(0, 2), Value{});
  EXPECT_EQ(tabs.Get(0, 3), Value::Text("z"));
  EXPECT_EQ(tabs.Get(1, 0), Value::Number(1.5));
  EXPECT_EQ(tabs.Get(1, 2), Value::Number(2));

  // Each data file shows its own dialect; the forced one holds for all.
  const std::string comma = Write("rates.csv", "x,y\n1.5,2\n");
  auto book = ReadDataWorkbook({path, comma}, error);
  ASSERT_TRUE(book) << error;
  EXPECT_EQ(book->sheets[0].cells.Get(1, 1), Value::Number(1605.54));
  EXPECT_EQ(book->sheets[1].cells.Get(1, 0), Value::Number(1.5));
  book = ReadDataWorkbook({path, comma}, error, {';', '.'});
  ASSERT_TRUE(book) << error;
  EXPECT_EQ(book->sheets[0].cells.Get(1, 1), Value::Text("1605,54"));
  EXPECT_EQ(book->sheets[1].cells.Get(1, 0), Value::Text("1.5,2"));
}

TEST_F(CsvFiles, FilesThatDoNotFitOrCannotBeReadAreNamed) {
  std::string error;
  std::string wide;
  for (int i = 0; i < 257; ++i)
    wide += "1,";
  const std::string wide_path = Write("wide.csv", wide + "\n");
  EXPECT_FALSE(ReadCsvCells(wide_path, error, {}, kExcel4Grid));
  EXPECT_NE(error.find(wide_path), std::string::npos) << error;
  EXPECT_NE(error.find("256 columns"), std::string::npos) << error;
  EXPECT_TRUE(ReadCsvCells(wide_path, error)) << "Excel 12's grid: " << error;

  // The grids of both interfaces, filled and overflowed.
  for (const Grid& grid : {kExcel4Grid, kExcel12Grid}) {
    std::string rows;
    for (std::uint32_t i = 0; i < grid.rows; ++i)
      rows += "1\n";
    EXPECT_TRUE(ReadCsvCells(Write("full.csv", rows + "\n\n"), error, {}, grid)) << error;
    const std::string long_path = Write("long.csv", rows + "1\n");
    EXPECT_FALSE(ReadCsvCells(long_path, error, {}, grid));
    EXPECT_NE(error.find(long_path), std::string::npos) << error;
    EXPECT_NE(error.find(std::to_string(grid.rows) + " rows"), std::string::npos) << error;
    std::string widest;
    for (std::uint32_t i = 0; i < grid.columns; ++i)
      widest += "1,";
    widest.pop_back();
    EXPECT_TRUE(ReadCsvCells(Write("widest.csv", widest + "\n"), error, {}, grid)) << error;
    EXPECT_FALSE(ReadCsvCells(Write("wider.csv", widest + ",1\n"), error, {}, grid));
    EXPECT_NE(error.find(std::to_string(grid.columns) + " columns"), std::string::npos) << error;
  }

  for (const std::string& path : {(dir_ / "absent.csv").string(), dir_.string()}) {
    EXPECT_FALSE(ReadCsvCells(path, error)) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
  }
}

TEST_F(CsvFiles, DataFilesAreTheSheetsOfOneWorkbook) {
  std::string error;
  const std::string prices = Write("prices.csv", "1\n"), rates = Write("rates.csv", "2\n");
  auto book = ReadDataWorkbook({prices, rates}, error);
  ASSERT_TRUE(book) << error;
  EXPECT_EQ(book->name, "prices.csv");
  ASSERT_EQ(book->sheets.size(), 2u);
  EXPECT_EQ(book->sheets[1].name, "rates");
  EXPECT_EQ(book->sheets[1].cells.Get(0, 0), Value::Number(2));

  fs::create_directories(dir_ / "other");
  const std::string again = (dir_ / "other" / "PRICES.csv").string();
  std::ofstream(again) << "3\n";
  EXPECT_FALSE(ReadDataWorkbook({prices, again}, error)) << "sheet names ignore case";
  EXPECT_NE(error.find(again), std::string::npos) << error;

  // Opened, it takes the place of the untouched Book1 and its first sheet is active.
  Application app;
  app.OpenWorkbook(std::move(*book));
  ASSERT_EQ(app.Workbooks().size(), 1u);
  EXPECT_EQ(app.ActiveSheet().name, "prices");
  ASSERT_NE(app.FindSheet("RATES"), nullptr);
  EXPECT_NE(app.FindSheet("RATES")->id, app.ActiveSheet().id);
  Workbook second;
  second.name = "more.csv";
  second.sheets.push_back(Sheet{0, "more", Cells{}});
  app.OpenWorkbook(std::move(second));
  EXPECT_EQ(app.Workbooks().size(), 2u) << "only the untouched start workbook is replaced";
}

TEST(Cells, OverwritingAndClearingKeepTheUsedExtent) {
  Cells cells;
  EXPECT_TRUE(cells.IsEmpty());
  cells.SetText(9, 3, "first");
  cells.SetNumber(9, 3, 1);
  cells.SetText(0, 0, "second");
  cells.Set(2, 1, Value::Error(7));
  cells.Clear(2, 1);
  EXPECT_EQ(cells.Get(9, 3), Value::Number(1));
  EXPECT_EQ(cells.Get(0, 0), Value::Text("second"));
  EXPECT_EQ(cells.Get(2, 1), Value{});
  EXPECT_EQ(cells.Get(kMaxRows - 1, kMaxColumns - 1), Value{}) << "beyond the used extent";
  EXPECT_EQ(cells.Rows(), 10u);
  EXPECT_EQ(cells.Columns(), 4u);
}

TEST(Cells, SparseSheetsCostTheirValuesNotTheirExtent) {
  Cells cells;
  // One value at the bottom of every column: pages, not 17 billion cells, and visits in reading
  // order, row by row.
  for (std::uint32_t column = kMaxColumns; column-- > 0;)
    cells.SetNumber(kMaxRows - 1, column, column);
  cells.SetText(0, 5, "top");
  cells.SetNumber(1500, 2, -1);
  EXPECT_EQ(cells.Rows(), kMaxRows);
  EXPECT_EQ(cells.Columns(), kMaxColumns);
  std::vector<CellAddress> visited;
  cells.ForEachValue([&](std::uint32_t row, std::uint32_t column) {
    visited.push_back(CellAddress{row, column});
  });
  ASSERT_EQ(visited.size(), kMaxColumns + 2u);
  EXPECT_EQ(visited[0], (CellAddress{0, 5}));
  EXPECT_EQ(visited[1], (CellAddress{1500, 2}));
  EXPECT_EQ(visited[2], (CellAddress{kMaxRows - 1, 0}));
  EXPECT_EQ(visited.back(), (CellAddress{kMaxRows - 1, kMaxColumns - 1}));

  const Cells copy = cells; // pages copied, texts shared
  cells.SetText(0, 5, "changed");
  EXPECT_EQ(copy.Get(0, 5), Value::Text("top"));
  EXPECT_EQ(copy.Get(kMaxRows - 1, 77), Value::Number(77));
  EXPECT_EQ(copy.Get(kMaxRows - 2, 77), Value{});
}
