// kvhost's end when the helper stops in the middle: one clear line and exit 2, never a hang.
// The helper is played by small shell programs: no Wine needed.
#include <gtest/gtest.h>

#include "helper_process.h"
#include "protocol.h"

namespace kvbridge {
namespace {

// Starts `script` as the helper and asks it one question.
void AskHelper(const std::string& script) {
  std::string error;
  auto helper = HelperProcess::Start({"/bin/sh", "-c", script}, error);
  if (!helper) {
    std::fprintf(stderr, "not started: %s\n", error.c_str());
    std::_Exit(9);
  }
  Writer body;
  body.Bytes("xlAutoOpen");
  helper->Ask(kLookup, body);
  std::_Exit(0); // answered: not what these helpers do
}

constexpr char kStopped[] = "^kvhost: the Windows add-in's helper stopped: ";

TEST(HelperProcessDeathTest, AHelperThatStopsEndsKvhostWithOneLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // It dies before greeting.
  EXPECT_EXIT(AskHelper("exit 0"), testing::ExitedWithCode(2),
              std::string(kStopped) + "it ended before it greeted kvhost\n$");
  // Something else answers on its output.
  EXPECT_EXIT(AskHelper("echo 'wine: cannot find the program'"), testing::ExitedWithCode(2),
              std::string(kStopped) + "its first bytes are not the helper's greeting\n$");
  // It greets, reads the question and dies without answering.
  EXPECT_EXIT(AskHelper("printf KVXBRDG1; head -c 20 >/dev/null; exit 3"),
              testing::ExitedWithCode(2), std::string(kStopped) + ".*answer was awaited\n$");
  // It dies in the middle of its answer's frame.
  EXPECT_EXIT(AskHelper("printf 'KVXBRDG1\\012\\000\\000\\000\\002\\002\\001'; head -c 20 "
                        ">/dev/null"),
              testing::ExitedWithCode(2), std::string(kStopped) + ".*inside a frame\n$");
}

TEST(HelperProcess, AProgramThatCannotStartIsAnError) {
  std::string error;
  EXPECT_EQ(HelperProcess::Start({"/nonexistent/wine", "x.exe"}, error), nullptr);
  EXPECT_NE(error.find("cannot start /nonexistent/wine"), std::string::npos) << error;
}

} // namespace
} // namespace kvbridge
