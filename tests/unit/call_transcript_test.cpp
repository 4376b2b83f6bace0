// The call transcripts the golden files hold: each call sent through Excel4 as one line that
// names the function and shows every argument, and the comparison with a golden file that
// accepts only numbers within 1e-11 and reports anything else with the way to accept it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/call_transcript.h"
#include "support/excel_functions.h"
#include "support/recording_dispatcher.h"
#include "support/xloper_builders.h"

using kvtest::RecordingDispatcher;

namespace {

XLOPER Rectangle(std::uint16_t first_row, std::uint16_t last_row, std::uint8_t first_column,
                 std::uint8_t last_column) {
  XLOPER x{};
  x.xltype = xltypeSRef;
  x.val.sref.count = 1;
  x.val.sref.ref = XLREF{first_row, last_row, first_column, last_column};
  return x;
}

// The one line of the one call that `send` makes.
template <typename Send> std::string Line(Send send) {
  RecordingDispatcher excel;
  send();
  const auto lines = kvtest::Transcript(excel.calls());
  return lines.size() == 1 ? lines[0] : "(" + std::to_string(lines.size()) + " calls)";
}

// While it lives, KV_UPDATE_GOLDEN is `value` (unset when nothing), whatever the run was given.
class UpdateVariable {
public:
  explicit UpdateVariable(const char* value) {
    if (const char* before = std::getenv("KV_UPDATE_GOLDEN")) before_ = before;
    if (value != nullptr)
      setenv("KV_UPDATE_GOLDEN", value, 1);
    else
      unsetenv("KV_UPDATE_GOLDEN");
  }
  ~UpdateVariable() {
    if (before_)
      setenv("KV_UPDATE_GOLDEN", before_->c_str(), 1);
    else
      unsetenv("KV_UPDATE_GOLDEN");
  }
  UpdateVariable(const UpdateVariable&) = delete;
  UpdateVariable& operator=(const UpdateVariable&) = delete;

private:
  std::optional<std::string> before_;
};

// A golden file of this test's own, removed at the end.
class GoldenFile {
public:
  explicit GoldenFile(const std::vector<std::string>& lines)
      : path_(std::filesystem::temp_directory_path() /
              ("kv-golden-" + std::to_string(getpid()) + ".txt")) {
    std::ofstream out(path_, std::ios::binary);
    for (const std::string& line : lines)
      out << line << '\n';
  }
  ~GoldenFile() { std::filesystem::remove(path_); }
  GoldenFile(const GoldenFile&) = delete;
  GoldenFile& operator=(const GoldenFile&) = delete;
  std::string path() const { return path_.string(); }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

private:
  std::filesystem::path path_;
};

const std::vector<std::string> kGolden{"SELECT(A1:IV65536)", "PATTERNS(1, 15)",
                                       "xlSet(B3:C3, {\"Mean\", n:34.0272727273})"};

} // namespace

TEST(CallTranscript, AFunctionTheTableDoesNotKnowKeepsItsNumber) {
  XLOPER one = kvtest::Int(1);
  EXPECT_EQ(Line([&] { Excel4(1234, nullptr, 1, &one); }), "1234(1)");
  // FORMAT.NUMBER without its international bit is another function number.
  EXPECT_EQ(Line([&] { Excel4(42 | xlCommand, nullptr, 1, &one); }), "32810(1)");
  EXPECT_EQ(kvtest::ExcelFunctionName(42 | xlCommand), "");
}

TEST(CallTranscript, EveryNameStandsForOneNumber) {
  std::set<int> numbers;
  std::set<std::string_view> names;
  for (const auto& f : kvtest::ExcelFunctions()) {
    EXPECT_TRUE(numbers.insert(f.number).second) << f.number << " named twice";
    EXPECT_TRUE(names.insert(f.name).second) << f.name << " names two numbers";
    EXPECT_EQ(kvtest::ExcelFunctionName(f.number), f.name);
  }
  // A few rows against the numbers Excel's header gives them.
  EXPECT_EQ(kvtest::ExcelFunctionName(32877), "SELECT");
  EXPECT_EQ(kvtest::ExcelFunctionName(41341), "FONT.PROPERTIES");
  EXPECT_EQ(kvtest::ExcelFunctionName(41188), "EDIT.SERIES");
  EXPECT_EQ(kvtest::ExcelFunctionName(16387), "xlSet");
  EXPECT_EQ(kvtest::ExcelFunctionName(16384), "xlFree");
  EXPECT_EQ(kvtest::ExcelFunctionName(8344), "ADD.MENU");
}

TEST(CallTranscript, ReferencesInA1Notation) {
  XLOPER sheet = Rectangle(0, 65535, 0, 255), cell = Rectangle(2, 2, 1, 1),
         wide = Rectangle(9, 12, 25, 26);
  EXPECT_EQ(Line([&] { Excel4(xlcSelect, nullptr, 1, &sheet); }), "SELECT(A1:IV65536)");
  EXPECT_EQ(Line([&] { Excel4(xlcSelect, nullptr, 1, &cell); }), "SELECT(B3)");
  EXPECT_EQ(Line([&] { Excel4(xlcSelect, nullptr, 1, &wide); }), "SELECT(Z10:AA13)");

  // A reference of several areas, on a sheet given by its identifier: room for the second
  // rectangle after the first.
  alignas(XLMREF) unsigned char storage[sizeof(XLMREF) + sizeof(XLREF)] = {};
  auto* areas = reinterpret_cast<XLMREF*>(storage);
  areas->count = 2;
  areas->reftbl[0] = XLREF{0, 1, 0, 1};
  const XLREF second{3, 3, 3, 3};
  std::memcpy(storage + offsetof(XLMREF, reftbl) + sizeof(XLREF), &second, sizeof second);
  XLOPER several{};
  several.xltype = xltypeRef;
  several.val.mref.lpmref = areas;
  several.val.mref.idSheet = 7;
  EXPECT_EQ(Line([&] { Excel4(xlcSelect, nullptr, 1, &several); }), "SELECT((A1:B2,D4))");
}

// Texts go to Excel in its ANSI code page and show in UTF-8.
TEST(CallTranscript, ValuesAndArrays) {
  kvtest::Range block(2, 3,
                      {kvtest::Text("M\xE9"
                                    "dia"),
                       kvtest::Num(34.027272727272), kvtest::Int(7), kvtest::Nil(),
                       kvtest::Err(xlerrNA), kvtest::Err(99)});
  XLOPER at = Rectangle(2, 3, 0, 2);
  EXPECT_EQ(Line([&] { Excel4(xlSet, nullptr, 2, &at, block.get()); }),
            "xlSet(A3:C4, {\"Média\", n:34.0272727273, 7; nil, #N/A, err99})");
  XLOPER divided = kvtest::Err(xlerrDiv0), value = kvtest::Err(xlerrValue),
         name = kvtest::Err(xlerrName);
  EXPECT_EQ(Line([&] { Excel4(xlFree, nullptr, 3, &divided, &value, &name); }),
            "xlFree(#DIV/0!, #VALUE!, #NAME?)");
}

TEST(CallTranscript, NumbersAgreeTo1e11RelativeAndNothingElseMayDiffer) {
  EXPECT_TRUE(kvtest::SameCall("SCALE(n:0.123456789012)", "SCALE(n:0.123456789013)"));
  EXPECT_FALSE(kvtest::SameCall("SCALE(n:0.123456789012)", "SCALE(n:0.12345678902)"));
  EXPECT_FALSE(kvtest::SameCall("SCALE(n:1)", "SCALE(1)")) << "a number is not an integer";
  EXPECT_FALSE(kvtest::SameCall("SELECT(B3)", "SELECT(B4)"));
  EXPECT_FALSE(kvtest::SameCall("PATTERNS(1, 15)", "PATTERNS(1, 2)"));
  EXPECT_FALSE(kvtest::SameCall("SELECT(B3)", "SELECT.CHART(B3)"));
}

TEST(CallTranscript, ADifferentCallFailsAndSaysHowToUpdate) {
  UpdateVariable compare(nullptr);
  GoldenFile golden(kGolden);
  auto sent = kGolden;
  EXPECT_EQ(kvtest::CompareWithGolden(sent, golden.path()), "");
  sent[1] = "PATTERNS(1, 2)";
  const std::string difference = kvtest::CompareWithGolden(sent, golden.path());
  EXPECT_NE(difference.find("call 2 differs"), std::string::npos) << difference;
  EXPECT_NE(difference.find("golden: PATTERNS(1, 15)"), std::string::npos) << difference;
  EXPECT_NE(difference.find("sent:   PATTERNS(1, 2)"), std::string::npos) << difference;
  EXPECT_NE(difference.find("KV_UPDATE_GOLDEN=1"), std::string::npos) << difference;

  sent = kGolden;
  sent.push_back("xlSheetId()");
  EXPECT_NE(
      kvtest::CompareWithGolden(sent, golden.path()).find("the first extra call: xlSheetId()"),
      std::string::npos);
  sent.resize(2);
  EXPECT_NE(kvtest::CompareWithGolden(sent, golden.path()).find("the first missing call: xlSet("),
            std::string::npos);
  EXPECT_NE(kvtest::CompareWithGolden(sent, golden.path() + ".none").find("no golden file"),
            std::string::npos);
}

TEST(CallTranscript, WithTheUpdateVariableTheFileIsWrittenNotCompared) {
  UpdateVariable update("1");
  GoldenFile golden({"PATTERNS(1, 15)"});
  EXPECT_EQ(kvtest::CompareWithGolden(kGolden, golden.path()), "");
  EXPECT_EQ(golden.Read(),
            "SELECT(A1:IV65536)\nPATTERNS(1, 15)\nxlSet(B3:C3, {\"Mean\", n:34.0272727273})\n");
}
