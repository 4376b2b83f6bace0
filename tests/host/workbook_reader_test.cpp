// The .xlsx and .xls readers: kvhost's own workbooks read back cell by cell, the parts of a
// package as Excel and LibreOffice write them, the limits and the files that must be refused.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

#include "io/data_workbook.h"
#include "io/date_serial.h"
#include "io/xlsx_writer.h"
#include "io/zip_xml.h"
#include "workbook_files.h"

using namespace kvhost;
using namespace kvhost::testing_books;

namespace {

// The number libxlsxwriter's text of `x` denotes: 16 significant digits, clamped to the largest
// double when the rounding goes past it, as the reader takes such a text.
double AsWritten(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.16G", x);
  const double back = std::strtod(text, nullptr);
  return std::isinf(back) ? std::copysign(std::numeric_limits<double>::max(), x) : back;
}

} // namespace

// kvhost's own writer to its own reader: every kind of value on several sheets, and the empty
// cells between them. The writer (libxlsxwriter) writes a number with 16 significant digits
// ("%.16G"): the reader must give back, bit for bit, the number that text denotes. The readers'
// full 17-digit precision is checked on openpyxl's workbooks (workbook_round_trip.py).
TEST_F(WorkbookFiles, KvhostsWorkbooksReadBackCellByCell) {
  Workbook book;
  book.name = "written.xlsx";
  Cells first, second;
  const std::vector<double> numbers = {0.1 + 0.2,
                                       M_PI,
                                       -std::numeric_limits<double>::max(),
                                       std::numeric_limits<double>::denorm_min(),
                                       1e21,
                                       -0.5,
                                       7};
  for (std::uint32_t i = 0; i < numbers.size(); ++i)
    first.SetNumber(i, 0, numbers[i]);
  const std::vector<std::string> texts = {
      "ação", "Preço — São Paulo", "<&>\"'", "  lados  ", "12", "#N/A", "TRUE", "日本語"};
  for (std::uint32_t i = 0; i < texts.size(); ++i)
    first.SetText(i, 1, texts[i]);
  first.SetBoolean(0, 2, true);
  first.SetBoolean(1, 2, false);
  const std::uint16_t errors[] = {0, 7, 15, 23, 29, 36, 42};
  for (std::uint32_t i = 0; i < 7; ++i)
    first.SetError(i, 3, errors[i]);
  first.SetNumber(20, 5, 1.5); // F21, after empty rows and columns
  second.SetNumber(kMaxRows - 1, kMaxColumns - 1, 2.5);
  second.SetText(0, 0, "só isto");
  book.sheets.push_back(Sheet{0, "Preços à vista", first});
  book.sheets.push_back(Sheet{0, "Retornos 2", second});
  const std::string path = (dir_ / "written.xlsx").string();
  std::string error;
  ASSERT_TRUE(WriteXlsx(book, path, error)) << error;

  const auto sheets = Read(path);
  ASSERT_EQ(sheets.size(), 2u);
  int compared = 0;
  for (std::size_t s = 0; s < 2; ++s) {
    const Cells& written = book.sheets[s].cells;
    const Cells& read = sheets[s].cells;
    EXPECT_EQ(sheets[s].name, book.sheets[s].name);
    EXPECT_EQ(read.Rows(), written.Rows());
    EXPECT_EQ(read.Columns(), written.Columns());
    int values_read = 0;
    read.ForEachValue([&](std::uint32_t, std::uint32_t) { ++values_read; });
    written.ForEachValue([&](std::uint32_t row, std::uint32_t column) {
      const Value want = written.Get(row, column), got = read.Get(row, column);
      ++compared;
      if (want.type == ValueType::Number && got.type == ValueType::Number)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(got.number),
                  std::bit_cast<std::uint64_t>(AsWritten(want.number)))
            << sheets[s].name << " row " << row << " column " << column << ": " << got.number
            << ", written " << want.number;
      else
        EXPECT_EQ(got, want) << sheets[s].name << " row " << row << " column " << column
                             << ": read " << NonNumberText(got) << ", written "
                             << NonNumberText(want);
    });
    EXPECT_EQ(values_read, compared) << "no value read that was not written";
    compared = 0;
  }
}

TEST_F(WorkbookFiles, CellTypesAsTheFileHoldsThem) {
  const auto sheets = Read(
      Book({{"Dados",
             "<row r=\"1\">" + Cell("A1", "", "<v>1.5</v>") + Cell("B1", "n", "<v>-2E-3</v>") +
                 Cell("C1", "s", "<v>1</v>") + Cell("D1", "inlineStr", "<is><t>em linha</t></is>") +
                 Cell("E1", "b", "<v>1</v>") + Cell("F1", "e", "<v>#N/A</v>") +
                 Cell("G1", "e", "<v>#SPILL!</v>") + "</row>" +
                 // Formulas: a cached number, a cached text, an error; none cached: an empty cell.
                 "<row r=\"2\">" + Cell("A2", "", "<f>1+1</f><v>2</v>") +
                 Cell("B2", "str", "<f>\"a\"&amp;\"b\"</f><v>ab</v>") +
                 Cell("C2", "e", "<f>1/0</f><v>#DIV/0!</v>") + Cell("D2", "", "<f>A1</f>") +
                 Cell("E2", "s", "") + "</row>" +
                 // Cells and rows without references follow the previous ones.
                 "<row><c><v>10</v></c><c t=\"b\"><v>0</v></c></row>" + "<row r=\"5\">" +
                 Cell("B5", "d", "<v>2020-01-31T12:00:00</v>") + "</row>",
             ""}},
           "<si><t>primeiro</t></si><si><r><t>rico </t></r><r><t>texto</t></r>"
           "<rPh><t>fonético</t></rPh></si>"));
  ASSERT_EQ(sheets.size(), 1u);
  const Cells& c = sheets[0].cells;
  EXPECT_EQ(c.Get(0, 0), Value::Number(1.5));
  EXPECT_EQ(c.Get(0, 1), Value::Number(-0.002));
  EXPECT_EQ(c.Get(0, 2), Value::Text("rico texto")) << "runs joined, phonetic guide left out";
  EXPECT_EQ(c.Get(0, 3), Value::Text("em linha"));
  EXPECT_EQ(c.Get(0, 4), Value::Boolean(true));
  EXPECT_EQ(c.Get(0, 5), Value::Error(42));
  EXPECT_EQ(c.Get(0, 6), Value::Error(15)) << "an error the Excel 4 interface lacks: #VALUE!";
  EXPECT_EQ(c.Get(1, 0), Value::Number(2));
  EXPECT_EQ(c.Get(1, 1), Value::Text("ab"));
  EXPECT_EQ(c.Get(1, 2), Value::Error(7));
  EXPECT_EQ(c.Get(1, 3), Value{}) << "a formula never calculated";
  EXPECT_EQ(c.Get(1, 4), Value{}) << "a styled cell without a value";
  EXPECT_EQ(c.Get(2, 0), Value::Number(10));
  EXPECT_EQ(c.Get(2, 1), Value::Boolean(false));
  EXPECT_EQ(c.Get(4, 1), Value::Number(43861.5));
}

TEST_F(WorkbookFiles, SheetsInOrderChartSheetsPassedOverFirstVisibleActive) {
  const std::string path = Book({{"Escondida", Cell("A1", "", "<v>1</v>"), "hidden"},
                                 {"Gráfico", "", "chart"},
                                 {"Retornos", Cell("B2", "", "<v>2</v>"), ""}});
  const auto sheets = Read(path);
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(sheets[0].name, "Escondida");
  EXPECT_FALSE(sheets[0].visible);
  EXPECT_EQ(sheets[1].name, "Retornos");
  std::string error;
  const auto book = ReadDataWorkbook({path}, error);
  ASSERT_TRUE(book) << error;
  EXPECT_EQ(book->active_sheet, 1u);
  EXPECT_EQ(book->sheets[0].state, SheetState::Hidden);
  EXPECT_EQ(book->name, fs::path(path).filename().string());
}

TEST_F(WorkbookFiles, SheetsFromSeveralFilesMakeOneWorkbookWithoutClashes) {
  const std::string book = Book({{"prices", Cell("A1", "", "<v>1</v>"), ""}});
  std::ofstream(dir_ / "rates.csv") << "1,2\n";
  std::ofstream(dir_ / "Prices.csv") << "3\n";
  std::string error;
  const auto both = ReadDataWorkbook({book, (dir_ / "rates.csv").string()}, error);
  ASSERT_TRUE(both) << error;
  ASSERT_EQ(both->sheets.size(), 2u);
  EXPECT_EQ(both->sheets[1].name, "rates");
  EXPECT_FALSE(ReadDataWorkbook({book, (dir_ / "Prices.csv").string()}, error));
  EXPECT_NE(error.find("Prices.csv"), std::string::npos) << error;
  EXPECT_NE(error.find("\"prices\""), std::string::npos) << error;
}

// The grid of the Excel kvhost plays: a value beyond it refuses the file; a cell that only has
// a style there (Excel writes such cells for formatted columns) is passed over.
TEST_F(WorkbookFiles, ValuesBeyondTheGridAreRefusedStyledCellsPassedOver) {
  const auto styled = Read(Book({{"S",
                                  "<row r=\"1\">" + Cell("A1", "", "<v>1</v>") +
                                      "<c r=\"XFD1\" s=\"3\"/></row><row r=\"1048576\">"
                                      "<c r=\"A1048576\" s=\"1\"/></row>",
                                  ""}}),
                           kExcel4Grid);
  ASSERT_EQ(styled.size(), 1u);
  EXPECT_EQ(styled[0].cells.Columns(), 1u);
  EXPECT_EQ(styled[0].cells.Rows(), 1u);

  const std::string wide =
      Book({{"Largo", "<row r=\"1\">" + Cell("IW1", "", "<v>1</v>") + "</row>", ""}});
  EXPECT_NE(Refusal(wide, kExcel4Grid)
                .find("sheet 'Largo' holds a value at IW1, beyond kvhost's grid of 65536 rows and "
                      "256 columns (A1:IV65536), the Excel 4 interface's"),
            std::string::npos);
  const std::string long_sheet =
      Book({{"Longo", "<row r=\"65537\">" + Cell("A65537", "s", "<v>0</v>") + "</row>", ""}},
           "<si><t>x</t></si>");
  EXPECT_NE(Refusal(long_sheet, kExcel4Grid).find("A65537"), std::string::npos);
  Read(Book({{"Cheio", "<row r=\"65536\">" + Cell("IV65536", "", "<v>1</v>") + "</row>", ""}}),
       kExcel4Grid);

  // From Excel 12 on, the same files are read, up to XFD1048576.
  EXPECT_EQ(Read(wide)[0].cells.Get(0, 256), Value::Number(1));
  EXPECT_EQ(Read(long_sheet)[0].cells.Get(65536, 0), Value::Text("x"));
  const auto last = Read(
      Book({{"Cheio", "<row r=\"1048576\">" + Cell("XFD1048576", "", "<v>2</v>") + "</row>", ""}}));
  EXPECT_EQ(last[0].cells.Get(1048575, 16383), Value::Number(2));
  EXPECT_NE(Refusal(Book({{"Fora", "<row r=\"1\">" + Cell("XFE1", "", "<v>1</v>") + "</row>", ""}}))
                .find("XFE1"),
            std::string::npos);
}

TEST_F(WorkbookFiles, MalformedContentIsRefusedWithItsPlace) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Cell("A1", "", "<v>abc</v>"), "A1 where a number was expected"},
      {Cell("A1", "", "<v>inf</v>"), "where a number was expected"},
      {Cell("A1", "", "<v>0.25\n9</v>"), "holds \"0.25 9\" at A1 where a number was expected"},
      {Cell("A1", "b", "<v>\r\t1\n0</v>"), "holds \"1 0\" at A1 where a Boolean was expected"},
      {Cell("B3", "s", "<v>5</v>"), "shared string"},
      {Cell("A1", "b", "<v>2</v>"), "where a Boolean was expected"},
      {Cell("A1", "d", "<v>2020-13-01</v>"), "where a date was expected"},
      {Cell("A1", "q", "<v>1</v>"), "unknown type \"q\""},
      {Cell("1A", "", "<v>1</v>"), "no cell reference"},
      {Cell("A1", "", "<v>1</v>") + "<c", "not well-formed XML"},
  };
  for (const auto& [data, reason] : cases)
    EXPECT_NE(Refusal(Book({{"S", "<row>" + data + "</row>", ""}})).find(reason), std::string::npos)
        << reason;
}

TEST_F(WorkbookFiles, PackagesThatAreNoWorkbooksAreRefused) {
  std::ofstream(dir_ / "text.xlsx") << "just text, no zip";
  EXPECT_NE(Refusal((dir_ / "text.xlsx").string()).find("not a zip package"), std::string::npos);
  // Excel keeps an encrypted workbook in a compound file, whatever its name says.
  std::ofstream(dir_ / "secret.xlsx", std::ios::binary)
      << std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) << std::string(504, '\0');
  EXPECT_NE(Refusal((dir_ / "secret.xlsx").string()).find("encrypted or password-protected"),
            std::string::npos);
  EXPECT_NE(Refusal(Package("empty.xlsx", {{"a.txt", "x"}})).find("_rels/.rels is missing"),
            std::string::npos);
  // Truncated: the central directory is gone.
  const std::string whole = Book({{"S", Cell("A1", "", "<v>1</v>"), ""}});
  const auto size = fs::file_size(whole);
  fs::resize_file(whole, size / 2);
  EXPECT_NE(Refusal(whole).find("not a"), std::string::npos);
  // A sheet listed in the workbook whose part is not in the package.
  std::string missing = Book({{"S", Cell("A1", "", "<v>1</v>"), ""}});
  {
    int code = 0;
    zip_t* zip = zip_open(missing.c_str(), 0, &code);
    ASSERT_NE(zip, nullptr);
    zip_delete(zip, static_cast<zip_uint64_t>(zip_name_locate(zip, "xl/worksheets/sheet1.xml", 0)));
    ASSERT_EQ(zip_close(zip), 0);
  }
  EXPECT_NE(Refusal(missing).find("xl/worksheets/sheet1.xml is missing"), std::string::npos);
  // A document type declaration, where entity expansions would hide.
  EXPECT_NE(Refusal(Package("dtd.xlsx",
                            {{"_rels/.rels", "<!DOCTYPE r [<!ENTITY a \"aaaa\">]><r>&a;</r>"}}))
                .find("declares a document type"),
            std::string::npos);
  std::ofstream(dir_ / "nothing.xls") << "";
  EXPECT_NE(Refusal((dir_ / "nothing.xls").string()).find("truncated or unreadable"),
            std::string::npos);
  EXPECT_NE(Refusal((dir_ / "absent.xlsx").string()).find("cannot read"), std::string::npos);
}

// An Excel 97-2003 workbook (LibreOffice's, the readers' fuzzing seed) spoilt in one place each
// time: every refusal says in words what is wrong, on one line naming the file.
TEST_F(WorkbookFiles, XlsRefusalsSayWhatIsWrong) {
  std::ifstream in(KV_XLS_SEED, std::ios::binary);
  const std::string seed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(seed.size(), 4096u) << KV_XLS_SEED;
  // The workbook stream's records: type and length (two bytes each, little-endian), then the
  // content, from its first BOF (BIFF8: version 0x0600).
  const std::size_t bof = seed.find(std::string("\x09\x08\x10\x00\x00\x06", 6));
  ASSERT_NE(bof, std::string::npos);
  // Where the n-th record of a type starts (from 0).
  auto record_of_type = [&](unsigned type, int n) {
    for (std::size_t at = bof; at + 4 <= seed.size();) {
      const auto byte = [&](std::size_t i) {
        return unsigned{static_cast<unsigned char>(seed[i])};
      };
      if ((byte(at) | byte(at + 1) << 8) == type && n-- == 0) return at;
      at += 4 + (byte(at + 2) | byte(at + 3) << 8);
    }
    return std::string::npos;
  };
  const std::size_t sheet_record = record_of_type(0x0085, 1); // BOUNDSHEET: the second sheet's
  const std::size_t interface_record = record_of_type(0x00E1, 0);
  ASSERT_NE(sheet_record, std::string::npos);
  ASSERT_NE(interface_record, std::string::npos);
  auto spoilt = [&](const std::string& name, std::size_t at, const std::string& bytes) {
    std::string content = seed;
    content.replace(at, bytes.size(), bytes);
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {spoilt("biff9.xls", bof + 4, std::string("\x00\x09", 2)),
       "of a BIFF version FreeXL does not read"},
      {spoilt("signature.xls", 4, "xxxx"), "not an Excel 97-2003 workbook"},
      {spoilt("sectors.xls", 0x1E, std::string("\x0D", 1)), "compound file structure is broken"},
      // The sheet's record claims a length that runs over the records after it.
      {spoilt("record.xls", sheet_record + 3, std::string("\xCD", 1)),
       "a record that contradicts the others"},
      // An interface record of the same length made a FILEPASS: the workbook is encrypted.
      {spoilt("password.xls", interface_record, std::string("\x2F\x00", 2)), "password-protected"},
  };
  for (const auto& [path, words] : cases) {
    const std::string error = Refusal(path);
    EXPECT_NE(error.find(words), std::string::npos) << error;
    EXPECT_EQ(error.find("code"), std::string::npos) << error;
  }
  const fs::path cut = dir_ / "cut.xls";
  std::ofstream(cut, std::ios::binary) << seed.substr(0, bof + 100);
  EXPECT_NE(Refusal(cut.string()).find("truncated or unreadable"), std::string::npos);
}

// The workbook's list of sheets against its relationships: what cannot be a workbook Excel
// opened is refused with the sheet it is about, before any sheet is used.
TEST_F(WorkbookFiles, SheetListsNoWorkbookCouldHaveAreRefused) {
  const std::string links = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string package = "http://schemas.openxmlformats.org/package/2006/relationships";
  // Sheets (name, relationship id) and the workbook's relationships (id, target).
  auto listed = [&](const std::vector<std::pair<std::string, std::string>>& sheets,
                    const std::vector<std::pair<std::string, std::string>>& targets) {
    std::string list, rels;
    for (const auto& [name, id] : sheets)
      list += "<sheet name=\"" + name + "\" sheetId=\"1\" r:id=\"" + id + "\"/>";
    for (const auto& [id, target] : targets)
      rels += "<Relationship Id=\"" + id + "\" Type=\"" + links + "/worksheet\" Target=\"" +
              target + "\"/>";
    const std::string sheet = "<worksheet xmlns=\"" + kMain + "\"><sheetData/></worksheet>";
    return Package("list" + std::to_string(++books_) + ".xlsx",
                   {{"_rels/.rels", "<Relationships xmlns=\"" + package + "\"><Relationship " +
                                        "Id=\"r\" Type=\"" + links + "/officeDocument\" " +
                                        "Target=\"xl/workbook.xml\"/></Relationships>"},
                    {"xl/workbook.xml", "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + links +
                                            "\"><sheets>" + list + "</sheets></workbook>"},
                    {"xl/_rels/workbook.xml.rels",
                     "<Relationships xmlns=\"" + package + "\">" + rels + "</Relationships>"},
                    {"xl/worksheets/a.xml", sheet},
                    {"xl/worksheets/b.xml", sheet}});
  };
  const std::vector<std::pair<std::string, std::string>> two = {{"r1", "worksheets/a.xml"},
                                                                {"r2", "worksheets/b.xml"}};
  EXPECT_EQ(Read(listed({{"Dados", "r1"}, {"Taxas", "r2"}}, two)).size(), 2u);
  // Excel's sheet names differ in more than case.
  EXPECT_NE(
      Refusal(listed({{"Dados", "r1"}, {"DADOS", "r2"}}, two)).find("two sheets are named 'DADOS'"),
      std::string::npos);
  EXPECT_NE(Refusal(listed({{"", "r1"}}, two)).find("a sheet has an empty name"),
            std::string::npos);
  EXPECT_NE(Refusal(listed({{"Dados", "r9"}}, two)).find("sheet 'Dados' has no part"),
            std::string::npos);
  EXPECT_NE(Refusal(listed({{"Dados", "r1"}}, {{"r1", "../../../etc/passwd"}}))
                .find("sheet 'Dados' points outside the package"),
            std::string::npos);
}

TEST_F(WorkbookFiles, AnEncryptedPartIsRefused) {
  const std::string path = Book({{"S", Cell("A1", "", "<v>1</v>"), ""}});
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), 0, &code);
  ASSERT_NE(zip, nullptr);
  const zip_int64_t index = zip_name_locate(zip, "xl/worksheets/sheet1.xml", 0);
  if (zip_file_set_encryption(zip, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "senha") != 0)
    GTEST_SKIP() << "this libzip cannot encrypt: " << zip_strerror(zip);
  ASSERT_EQ(zip_close(zip), 0);
  EXPECT_NE(Refusal(path).find("encrypted"), std::string::npos);
}

// A part that inflates past the limit stops the reading as soon as the limit is passed, at
// any limit; the real one (1 GiB) is exercised with a real bomb by the end-to-end checks.
TEST_F(WorkbookFiles, APartInflatingPastTheLimitStopsTheReading) {
  const std::string path =
      Package("bomb.xlsx", {{"big.xml", "<a>" + std::string(1 << 20, ' ') + "</a>"}});
  std::string error;
  auto package = xlsx::ZipPackage::Open(path, error, 4096);
  ASSERT_TRUE(package) << error;
  struct Nothing final : xlsx::XmlHandler {
    void Start(std::string_view, const char**) override {}
    void End(std::string_view) override {}
    void Text(std::string_view) override {}
    bool WantsText() const override { return false; }
  } nothing;
  EXPECT_FALSE(package->Parse("big.xml", nothing, error));
  EXPECT_NE(error.find("inflates"), std::string::npos) << error;
  auto roomy = xlsx::ZipPackage::Open(path, error, 2 << 20);
  ASSERT_TRUE(roomy) << error;
  EXPECT_TRUE(roomy->Parse("big.xml", nothing, error)) << error;
}

TEST(PartNames, RelationshipTargetsResolveInsideThePackage) {
  EXPECT_EQ(xlsx::ResolveTarget("xl/workbook.xml", "worksheets/sheet1.xml"),
            "xl/worksheets/sheet1.xml");
  EXPECT_EQ(xlsx::ResolveTarget("xl/workbook.xml", "/xl/sharedStrings.xml"),
            "xl/sharedStrings.xml");
  EXPECT_EQ(xlsx::ResolveTarget("xl/workbook.xml", "./a/../b.xml"), "xl/b.xml");
  EXPECT_EQ(xlsx::ResolveTarget("", "xl/workbook.xml"), "xl/workbook.xml");
  EXPECT_EQ(xlsx::ResolveTarget("xl/workbook.xml", "../../x.xml"), std::nullopt);
}

// Serial numbers as Excel counts them, 1900-02-29 included.
TEST(DateSerials, DatesAndTimesBecomeExcelsSerialNumbers) {
  const std::vector<std::tuple<std::string, bool, double>> cases = {
      {"1900-01-01", false, 1},
      {"1900-02-28", false, 59},
      {"1900-02-29", false, 60},
      {"1900-03-01", false, 61},
      {"2020-01-31", false, 43861},
      {"2020-01-31 12:30:15", false, 43861 + 45015 / 86400.0},
      {"2020-01-31T06:00:00.5", false, 43861 + 21600.5 / 86400},
      {"12:00:00", false, 0.5},
      {"1904-01-01", true, 0},
      {"1904-01-02", true, 1},
      {"2020-01-31", true, 43861 - 1462},
  };
  for (const auto& [text, date1904, serial] : cases) {
    const auto got = SerialFromDateText(text, date1904);
    ASSERT_TRUE(got) << text;
    EXPECT_DOUBLE_EQ(*got, serial) << text << (date1904 ? " (1904)" : "");
  }
  for (const char* bad : {"", "2020-02-30", "2021-02-29", "1899-12-31", "2020-1-31", "24:00:00",
                          "2020-01-31X10:00:00", "12:00:00.", "2020-01-31 12:00"})
    EXPECT_FALSE(SerialFromDateText(bad, false)) << bad;
  EXPECT_FALSE(SerialFromDateText("1903-12-31", true));
  EXPECT_FALSE(SerialFromDateText("1900-02-29", true)) << "the 1904 system has no such day";
}
