// kvhost's remote add-in against a stand-in helper (fake_helper.cpp) started as the real one
// is: records the add-in returns and the memory kvhost lends it keep their owners across the
// pipe, Excel4v calls nest inside procedure calls, and a dialog in the helper is driven by
// kvhost's installed modal driver.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "excel/addin.h"
#include "kvplatform/modal.h"

namespace kvhost {
namespace {

namespace fs = std::filesystem;

class RemoteAddInTest : public testing::Test {
protected:
  void SetUp() override {
    // `wine` runs the stand-in as a Linux program; the add-in is any file that starts with MZ.
    folder_ = fs::temp_directory_path() / ("kvhost-remote-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    std::ofstream(folder_ / "wine") << "#!/bin/sh\nexec \"$@\"\n";
    fs::permissions(folder_ / "wine", fs::perms::owner_all);
    std::ofstream(folder_ / "fixture.xll") << "MZ not a real module";
    path_ = getenv("PATH");
    setenv("PATH", (folder_.string() + ":" + path_).c_str(), 1);
    setenv("KVHOST_XLL_HELPER", KV_FAKE_HELPER, 1);
    std::string error;
    addin_ = AddIn::Load(host_, (folder_ / "fixture.xll").string(), error);
    ASSERT_NE(addin_, nullptr) << error;
  }
  void TearDown() override {
    addin_.reset();
    setenv("PATH", path_.c_str(), 1);
    unsetenv("KVHOST_XLL_HELPER");
    fs::remove_all(folder_);
  }

  NativeValue Call(const char* procedure, const Signature& signature,
                   std::span<const NativeValue> arguments = {}) {
    void* address = addin_->Procedure(procedure);
    EXPECT_NE(address, nullptr) << procedure;
    const auto result = addin_->Call(address, signature, arguments);
    EXPECT_TRUE(result.has_value()) << procedure;
    return result.value_or(NativeValue{});
  }
  int Number(const char* procedure) { return Call(procedure, Signature{'J', ""}).long_value; }

  ExcelHost host_;
  std::unique_ptr<AddIn> addin_;
  fs::path folder_;
  std::string path_;
};

TEST_F(RemoteAddInTest, TheAddInIsKnownByItsWindowsNameAndWindow) {
  EXPECT_EQ(addin_->path(), "C:\\fake\\fixture.xll");
  EXPECT_EQ(host_.app().current_addin_path, "C:\\fake\\fixture.xll");
  EXPECT_EQ(Number("hwnd"), 0x2A2A); // xlGetHwnd: the low 16 bits of the helper's XLMAIN
  EXPECT_EQ(addin_->Procedure("not_exported"), nullptr);
}

TEST_F(RemoteAddInTest, ARecordMarkedDllFreeGoesBackToXlAutoFreeWithItsOwnPointer) {
  XLOPER text{};
  text.xltype = xltypeStr;
  char bytes[] = "\x03"
                 "abc";
  text.val.str = bytes;
  NativeValue argument;
  argument.letter = 'P';
  argument.record = &text;
  const NativeValue result = Call("echo", Signature{'P', "P"}, std::span(&argument, 1));
  ASSERT_NE(result.record, nullptr);
  EXPECT_EQ(result.record->xltype, xltypeStr | xlbitDLLFree);
  EXPECT_EQ(std::string(result.record->val.str + 1, 3), "abc");
  EXPECT_EQ(Number("last_freed_ok"), 0); // not before kvhost is done with it
  addin_->ReturnToAddIn(result.record);
  EXPECT_EQ(Number("last_freed_ok"), 1);
}

TEST_F(RemoteAddInTest, Excel12RecordsCrossBothWaysAndFollowTheHostsVersion) {
  // A Q result goes back to xlAutoFree12, as a P one to xlAutoFree.
  XCHAR units[] = {3, u'Ω', 0xD83D, 0xDCC8, 0};
  XLOPER12 text{};
  text.xltype = xltypeStr;
  text.val.str = units;
  NativeValue argument;
  argument.letter = 'Q';
  argument.record12 = &text;
  const NativeValue result = Call("echo", Signature{'Q', "Q"}, std::span(&argument, 1));
  ASSERT_NE(result.record12, nullptr);
  EXPECT_EQ(result.record12->xltype, xltypeStr | xlbitDLLFree);
  EXPECT_EQ(std::u16string(result.record12->val.str + 1, 3), u"Ω📈");
  addin_->ReturnToAddIn(result.record12);
  EXPECT_EQ(Number("last_freed_ok"), 1);

  // The helper's MdCallBack12 reaches kvhost's Excel 12 handlers only where kvhost plays an
  // Excel of version 12 or later.
  host_.app().NewWorkbook("Ωμέγα 📈");
  EXPECT_EQ(Number("sheet12"), xlretFailed);
  host_.OfferExcel12(true);
  EXPECT_EQ(Number("sheet12"), 100 + 8) << "five Greek letters, a space, a surrogate pair";
}

TEST_F(RemoteAddInTest, MemoryExcelLendsLivesInTheHelperUntilXlFree) {
  EXPECT_EQ(Number("name_kept"), 1);           // the text of xlGetName's answer
  EXPECT_EQ(host_.memory().BlocksInUse(), 0u); // kvhost's own copy is released at once
  EXPECT_EQ(Number("blocks"), 1);
  EXPECT_EQ(Number("name_freed"), 0);

  // Handed back inside a result marked xlbitXLFree: released once kvhost has its copy.
  const NativeValue result = Call("name_result", Signature{'P', ""});
  ASSERT_NE(result.record, nullptr);
  EXPECT_EQ(result.record->xltype, xltypeStr | xlbitXLFree);
  EXPECT_EQ(std::string(result.record->val.str + 1,
                        static_cast<unsigned char>(result.record->val.str[0])),
            "C:\\fake\\fixture.xll");
  EXPECT_EQ(Number("blocks"), 0);
  addin_->ReturnToAddIn(result.record);
}

struct Seen {
  std::string caption;
  std::vector<kvp::ControlState> controls;
  bool click_refused = false;
  std::string why;
  bool showing_after = true;
};

void Drive(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
  auto& seen = *static_cast<Seen*>(context);
  seen.caption = form.Caption();
  std::string why;
  form.Click("c", why);
  seen.controls = form.Controls();
  seen.click_refused = !form.Click("nothing", seen.why);
  form.Click("ok", why);
  seen.showing_after = form.Showing();
}

TEST_F(RemoteAddInTest, ADialogInTheHelperIsDrivenByKvhostsModalDriver) {
  Seen seen;
  kvp::SetModalDriver(Drive, &seen);
  const int questions = Number("dialog");
  kvp::SetModalDriver(nullptr, nullptr);
  EXPECT_EQ(seen.caption, "Fake");
  ASSERT_EQ(seen.controls.size(), 2u);
  EXPECT_EQ(seen.controls[0].caption, "Op\xE7\xE3o");
  EXPECT_TRUE(seen.controls[0].checked);
  EXPECT_EQ(seen.controls[1].kind, "button");
  EXPECT_TRUE(seen.click_refused);
  EXPECT_EQ(seen.why, "no control nothing");
  EXPECT_FALSE(seen.showing_after);
  // Caption, click, controls, refused click, OK, showing; RunModal's own showing check.
  EXPECT_EQ(questions, 7);
}

} // namespace
} // namespace kvhost
