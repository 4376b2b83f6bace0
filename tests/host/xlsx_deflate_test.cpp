// How the parts of a result file are compressed: libxlsxwriter stores them, the package step
// deflates each once, a large sheet a block at a time on several threads, and the file is the
// same bytes every time and reads back as it was written.
#include <gtest/gtest.h>
#include <unistd.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "io/data_workbook.h"
#include "io/stored_parts.h"
#include "io/xlsx_writer.h"

using namespace kvhost;
namespace fs = std::filesystem;

namespace {

fs::path Folder(const std::string& name) {
  const fs::path folder =
      fs::temp_directory_path() / ("kvhost_deflate_" + std::to_string(::getpid()) + "_" + name);
  fs::create_directories(folder);
  return folder;
}

// Each entry's compression method, by name; empty when the file is no zip.
std::map<std::string, int> Methods(const fs::path& file) {
  std::map<std::string, int> methods;
  int code = 0;
  zip_t* zip = zip_open(file.c_str(), ZIP_RDONLY, &code);
  if (zip == nullptr) return methods;
  for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
    zip_stat_t stat;
    if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat) == 0)
      methods[stat.name] = stat.comp_method;
  }
  zip_discard(zip);
  return methods;
}

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

// The program's own definition of minizip's call is the one libxlsxwriter reaches: with
// StoredParts alive its parts are stored, without it deflated as libxlsxwriter asks.
TEST(XlsxDeflate, LibxlsxwriterStoresItsPartsWhileAsked) {
  const fs::path folder = Folder("stored");
  for (const bool stored : {true, false}) {
    const fs::path file = folder / (stored ? "stored.xlsx" : "deflated.xlsx");
    {
      std::optional<xlsx::StoredParts> storing;
      if (stored) storing.emplace();
      lxw_workbook* workbook = workbook_new(file.c_str());
      ASSERT_NE(workbook, nullptr);
      worksheet_write_number(workbook_add_worksheet(workbook, nullptr), 0, 0, 1.5, nullptr);
      ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);
    }
    const auto methods = Methods(file);
    ASSERT_GT(methods.size(), 5u);
    for (const auto& [name, method] : methods)
      EXPECT_EQ(method, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE) << name;
  }
  fs::remove_all(folder);
}

// A sheet of 300,000 numbers: some 10 MB of XML, ten blocks and a piece. Every part of the file
// is deflated, two writes give the same bytes, and every number reads back exactly.
TEST(XlsxDeflate, LargeSheetsAreDeflatedInBlocksAndReadBackExactly) {
  Workbook book;
  book.name = "large";
  Cells cells;
  constexpr std::uint32_t kRows = 30000, kColumns = 10;
  for (std::uint32_t row = 0; row < kRows; ++row)
    for (std::uint32_t column = 0; column < kColumns; ++column)
      cells.SetNumber(row, column, (row * 7919.0 + column) / 8.0 - 1e4);
  book.sheets.emplace_back(0, "Grande", std::move(cells));
  book.sheets[0].formats.Apply(CellRange{0, kRows - 1, 0, kColumns - 1},
                               [](CellFormat& format) { format.number_format = "0.0000"; });
  const fs::path folder = Folder("large");
  std::string error;
  const XlsxOptions fixed_time{std::time_t{1700000000}};
  ASSERT_TRUE(WriteXlsx(book, (folder / "a.xlsx").string(), error, fixed_time)) << error;
  ASSERT_TRUE(WriteXlsx(book, (folder / "b.xlsx").string(), error, fixed_time)) << error;
  EXPECT_EQ(Bytes(folder / "a.xlsx"), Bytes(folder / "b.xlsx"));
  const auto methods = Methods(folder / "a.xlsx");
  ASSERT_TRUE(methods.contains("xl/worksheets/sheet1.xml"));
  for (const auto& [name, method] : methods)
    EXPECT_EQ(method, ZIP_CM_DEFLATE) << name;
  EXPECT_LT(fs::file_size(folder / "a.xlsx"), 4u << 20) << "deflated, not stored";

  const auto sheets = ReadDataFile((folder / "a.xlsx").string(), error);
  fs::remove_all(folder);
  ASSERT_TRUE(sheets) << error;
  const Cells& read = sheets->at(0).cells;
  ASSERT_EQ(read.Rows(), kRows);
  std::size_t different = 0;
  for (std::uint32_t row = 0; row < kRows; ++row)
    for (std::uint32_t column = 0; column < kColumns; ++column)
      different += read.NumberAt(row, column) != (row * 7919.0 + column) / 8.0 - 1e4;
  EXPECT_EQ(different, 0u);
}
