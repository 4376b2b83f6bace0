// Message boxes: the host's handler gets them; without one they are printed and answered OK.
#include <gtest/gtest.h>

#include <string>

#include "kvplatform/messagebox.h"

namespace {

struct Box {
  kvp::WindowHandle owner = 0;
  std::string text, caption;
  unsigned type = 0;
  int calls = 0;
};

int Record(void* context, kvp::WindowHandle owner, const char* text, const char* caption,
           unsigned type) {
  auto* box = static_cast<Box*>(context);
  *box = Box{owner, text, caption, type, box->calls + 1};
  return 7; // IDNO: an answer the default never gives
}

TEST(MessageBox, GoesToTheInstalledHandlerUntilItIsRemoved) {
  Box box;
  kvp::SetMessageBoxHandler(&Record, &box);
  testing::internal::CaptureStderr();
  const int answer = kvp::ShowMessageBox(0x1234, "Sele\xE7\xE3o inv\xE1lida", "Kavenlor",
                                         kvp::kMbOk | kvp::kMbIconError);
  kvp::SetMessageBoxHandler(nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a handled box is not printed";
  EXPECT_EQ(answer, 7);
  EXPECT_EQ(box.calls, 1);
  EXPECT_EQ(box.owner, 0x1234u);
  EXPECT_EQ(box.text, "Sele\xE7\xE3o inv\xE1lida") << "the handler gets the ANSI text unchanged";
  EXPECT_EQ(box.caption, "Kavenlor");
  EXPECT_EQ(box.type, kvp::kMbIconError);

  testing::internal::CaptureStderr();
  EXPECT_EQ(kvp::ShowMessageBox(0, "x", "y", kvp::kMbOk), kvp::kIdOk);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(box.calls, 1) << "removed handlers are not called";
}

TEST(MessageBox, WithoutHandlerPrintsCaptionAndTextInUtf8AndAnswersOk) {
  testing::internal::CaptureStderr();
  const int first = kvp::ShowMessageBox(0,
                                        "A\xE7\xE3o conclu\xED"
                                        "da \x80 5",
                                        "Kavenlor", kvp::kMbIconInformation);
  const int second = kvp::ShowMessageBox(0, "Sem t\xEDtulo", nullptr, kvp::kMbIconWarning);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Kavenlor] A\xC3\xA7\xC3\xA3o conclu\xC3\xAD"
                                                    "da \xE2\x82\xAC 5\n"
                                                    "[Error] Sem t\xC3\xADtulo\n");
  EXPECT_EQ(first, kvp::kIdOk);
  EXPECT_EQ(second, kvp::kIdOk);
}

} // namespace
