// kvhost's Excel answering calls made through Excel4, as an add-in makes them.
#include <gtest/gtest.h>

#include <cstring>

#include "excel/excel_host.h"
#include "excel/values.h"

using namespace kvhost;

namespace {
struct Text {
  explicit Text(const std::string& s) : bytes(s.size() + 2, '\0') {
    bytes[0] = static_cast<char>(s.size());
    std::memcpy(bytes.data() + 1, s.data(), s.size());
    value.xltype = xltypeStr;
    value.val.str = bytes.data();
  }
  std::string bytes;
  XLOPER value{};
};

XLOPER Number(double n) {
  XLOPER x{};
  x.xltype = xltypeNum;
  x.val.num = n;
  return x;
}

XLOPER Integer(std::int16_t w) {
  XLOPER x{};
  x.xltype = xltypeInt;
  x.val.w = w;
  return x;
}
} // namespace

TEST(ExcelHost, UnknownFunctionIsAnInvalidFunctionNotACrash) {
  ExcelHost host;
  XLOPER result{};
  EXPECT_EQ(Excel4(4000, &result, 0), xlretInvXlfn);
  EXPECT_EQ(Excel4(999 | xlCommand, &result, 0), xlretInvXlfn);
  EXPECT_EQ(Excel4(xlcAlert, &result, 31), xlretInvCount) << "Excel takes at most 30";
}

TEST(ExcelHost, TextsItHandsOutLiveUntilFreed) {
  ExcelHost host;
  host.app().current_addin_path = "/opt/kavenlor/kavenlor.so";
  XLOPER name{};
  ASSERT_EQ(Excel4(xlGetName, &name, 0), xlretSuccess);
  EXPECT_EQ(AnsiText(name), "/opt/kavenlor/kavenlor.so");
  EXPECT_EQ(host.memory().BlocksInUse(), 1u);
  XLOPER foreign{};
  Text mine("not the host's");
  foreign = mine.value;
  ASSERT_EQ(Excel4(xlFree, nullptr, 2, &name, &foreign), xlretSuccess);
  EXPECT_EQ(name.val.str, nullptr);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
  EXPECT_EQ(foreign.val.str, mine.bytes.data()) << "memory the host did not give is left alone";
}

TEST(ExcelHost, SheetIdAndMainWindow) {
  ExcelHost host;
  XLOPER sheet{};
  ASSERT_EQ(Excel4(xlSheetId, &sheet, 0), xlretSuccess);
  EXPECT_EQ(sheet.xltype, xltypeRef);
  EXPECT_EQ(sheet.val.mref.lpmref, nullptr);
  EXPECT_EQ(sheet.val.mref.idSheet, host.app().ActiveSheet().id);
  EXPECT_EQ(Excel4(xlFree, nullptr, 1, &sheet), xlretSuccess) << "nothing to free";

  XLOPER window{};
  ASSERT_EQ(Excel4(xlGetHwnd, &window, 0), xlretSuccess);
  EXPECT_EQ(window.xltype, xltypeInt);
  EXPECT_EQ(static_cast<std::uint16_t>(window.val.w), kMainWindow & 0xFFFF);
  char class_name[16];
  EXPECT_GT(kvp::WindowClassName(kMainWindow, class_name, sizeof class_name), 0);
  EXPECT_STREQ(class_name, "XLMAIN");
}

TEST(ExcelHost, CoercionOfScalars) {
  ExcelHost host;
  XLOPER out{};
  XLOPER one = Number(1), int_type = Integer(xltypeInt), str_type = Integer(xltypeStr);
  ASSERT_EQ(Excel4(xlCoerce, &out, 2, &one, &int_type), xlretSuccess);
  EXPECT_EQ(out.xltype, xltypeInt);
  EXPECT_EQ(out.val.w, 1);

  XLOPER big = Number(1e20);
  EXPECT_EQ(Excel4(xlCoerce, &out, 2, &big, &int_type), xlretInvXloper) << "out of 16-bit range";

  XLOPER tenth = Number(0.1);
  ASSERT_EQ(Excel4(xlCoerce, &out, 2, &tenth, &str_type), xlretSuccess);
  EXPECT_EQ(AnsiText(out), "0.1");
  Excel4(xlFree, nullptr, 1, &out);

  Text digits("12.5");
  XLOPER num_type = Integer(xltypeNum);
  ASSERT_EQ(Excel4(xlCoerce, &out, 2, &digits.value, &num_type), xlretSuccess);
  EXPECT_EQ(out.val.num, 12.5);
  Text word("twelve");
  EXPECT_EQ(Excel4(xlCoerce, &out, 2, &word.value, &num_type), xlretInvXloper);

  XLOPER missing{};
  missing.xltype = xltypeMissing;
  ASSERT_EQ(Excel4(xlCoerce, &out, 2, &one, &missing), xlretSuccess) << "default type";
  EXPECT_EQ(out.xltype, xltypeNum);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
}

TEST(ExcelHost, RegisterRefusesWhatExcelRefuses) {
  ExcelHost host;
  host.app().current_addin_path = "/x/addin.so";
  host.app().current_addin_handle = nullptr; // nothing loaded: no procedure can be found
  Text file("/x/addin.so"), proc("skew"), type("PPAAII");
  XLOPER result{};
  ASSERT_EQ(Excel4(xlfRegister, &result, 3, &file.value, &proc.value, &type.value), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr);
  EXPECT_EQ(result.val.err, xlerrValue);
  EXPECT_TRUE(host.app().Registrations().empty());
}

TEST(ExcelHost, SetNameDeletesAndDefines) {
  ExcelHost host;
  Text name("Rate");
  XLOPER value = Number(0.5), result{};
  ASSERT_EQ(Excel4(xlfSetName, &result, 2, &name.value, &value), xlretSuccess);
  ASSERT_NE(host.app().FindName("RATE"), nullptr) << "names ignore case";
  ASSERT_EQ(Excel4(xlfSetName, &result, 1, &name.value), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  EXPECT_EQ(result.val.xbool, 1);
  ASSERT_EQ(Excel4(xlfSetName, &result, 1, &name.value), xlretSuccess);
  EXPECT_EQ(result.val.xbool, 0) << "no such name any more";
}

TEST(ExcelHost, AlertIsRecordedAndAnsweredWithOk) {
  ExcelHost host;
  Text message("Atualiza\xE7\xE3o conclu\xED"
               "da"); // ANSI, as the add-in sends it
  XLOPER type = Integer(3), result{};
  ASSERT_EQ(Excel4(xlcAlert, &result, 2, &message.value, &type), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  ASSERT_EQ(host.app().Alerts().size(), 1u);
  EXPECT_EQ(host.app().Alerts()[0].text, "Atualização concluída");
  EXPECT_EQ(host.app().Alerts()[0].type, 3);
  XLOPER bad_type = Integer(9);
  ASSERT_EQ(Excel4(xlcAlert, &result, 2, &message.value, &bad_type), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr);
}
