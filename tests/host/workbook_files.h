// Workbook packages built part by part for the readers' tests, and the checks of a refusal.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "io/data_workbook.h"

namespace kvhost::testing_books {

namespace fs = std::filesystem;

class WorkbookFiles : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kvhost_books_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A package of the given parts (name, content), deflated by libzip.
  std::string Package(const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& parts) {
    const std::string path = (dir_ / name).string();
    int code = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    EXPECT_NE(zip, nullptr);
    for (const auto& [part, content] : parts) {
      zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
      EXPECT_GE(zip_file_add(zip, part.c_str(), source, ZIP_FL_OVERWRITE), 0);
    }
    EXPECT_EQ(zip_close(zip), 0);
    return path;
  }

  // A workbook of the sheets (name, sheetData XML, state) with the shared strings given.
  std::string Book(const std::vector<std::tuple<std::string, std::string, std::string>>& sheets,
                   const std::string& shared = "", const std::string& workbook_pr = "") {
    std::string list, links, types;
    std::vector<std::pair<std::string, std::string>> parts;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      const auto& [name, data, state] = sheets[i];
      const std::string n = std::to_string(i + 1);
      list += "<sheet name=\"" + name + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"" +
              (state.empty() ? "" : " state=\"" + state + "\"") + "/>";
      const bool chart = state == "chart";
      links += "<Relationship Id=\"rId" + n +
               "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" +
               (chart ? "chartsheet" : "worksheet") + "\" Target=\"" +
               (chart ? "chartsheets/sheet" : "worksheets/sheet") + n + ".xml\"/>";
      parts.emplace_back((chart ? "xl/chartsheets/sheet" : "xl/worksheets/sheet") + n + ".xml",
                         "<?xml version=\"1.0\"?><worksheet xmlns=\"" + kMain + "\"><sheetData>" +
                             data + "</sheetData></worksheet>");
    }
    if (!shared.empty()) {
      links +=
          "<Relationship Id=\"rIdS\" Type=\"http://schemas.openxmlformats.org/"
          "officeDocument/2006/relationships/sharedStrings\" Target=\"/xl/sharedStrings.xml\"/>";
      parts.emplace_back("xl/sharedStrings.xml",
                         "<sst xmlns=\"" + kMain + "\">" + shared + "</sst>");
    }
    parts.emplace_back("_rels/.rels",
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "relationships\"><Relationship Id=\"rId1\" Type=\"http://"
                       "schemas.openxmlformats.org/officeDocument/2006/relationships/"
                       "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    parts.emplace_back("xl/_rels/workbook.xml.rels",
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "relationships\">" +
                           links + "</Relationships>");
    parts.emplace_back("xl/workbook.xml",
                       "<workbook xmlns=\"" + kMain +
                           "\" xmlns:r=\"http://schemas."
                           "openxmlformats.org/officeDocument/2006/relationships\">" +
                           workbook_pr + "<sheets>" + list + "</sheets></workbook>");
    return Package("book" + std::to_string(++books_) + ".xlsx", parts);
  }

  std::vector<DataSheet> Read(const std::string& path, const Grid& grid = kExcel12Grid) {
    std::string error;
    auto sheets = ReadDataFile(path, error, {}, grid);
    EXPECT_TRUE(sheets.has_value()) << error;
    return sheets.value_or(std::vector<DataSheet>{});
  }

  // The one-line error a file gives; it must name the file.
  std::string Refusal(const std::string& path, const Grid& grid = kExcel12Grid) {
    std::string error;
    const auto sheets = ReadDataFile(path, error, {}, grid);
    EXPECT_FALSE(sheets.has_value()) << path << " was read";
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    return error;
  }

  const std::string kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  fs::path dir_;
  int books_ = 0;
};

inline std::string Cell(const std::string& ref, const std::string& type, const std::string& inner) {
  return "<c r=\"" + ref + "\"" + (type.empty() ? "" : " t=\"" + type + "\"") + ">" + inner +
         "</c>";
}

} // namespace kvhost::testing_books
