#include "tool_run.h"

#include <gtest/gtest.h>

#include "call_transcript.h"
#include "kvplatform/ansi.h"
#include "kvplatform/messagebox.h"

namespace kvtest {

namespace {
int Keep(void* context, kvp::WindowHandle, const char* text, const char* title, unsigned) {
  static_cast<std::vector<ShownBox>*>(context)->push_back(
      ShownBox{kvp::AnsiToUtf8(text), kvp::AnsiToUtf8(title)});
  return kvp::kIdOk;
}
} // namespace

ToolRunHooks::ToolRunHooks(kvp::ModalDriver driver, void* context) {
  kvp::SetModalDriver(driver, context);
  kvp::SetMessageBoxHandler(&Keep, &boxes);
}

ToolRunHooks::~ToolRunHooks() {
  kvp::SetModalDriver(nullptr, nullptr);
  kvp::SetMessageBoxHandler(nullptr, nullptr);
}

void PressOkOrClose(kvp::ModalForm& form, bool ok, const std::string& why, std::string& refusal) {
  std::string why_ok;
  if (ok && form.Click("b_ok", why_ok)) return;
  refusal = ok ? why_ok : why;
  form.CloseByFrame();
}

void AnswerSheetId(RecordingDispatcher& excel) {
  excel.Script(xlSheetId, [](const Call&, LPXLOPER result) {
    result->xltype = xltypeRef;
    result->val.mref.lpmref = nullptr;
    result->val.mref.idSheet = 7;
    return xlretSuccess;
  });
}

void MarkNewWorkbook(RecordingDispatcher& excel, std::size_t& at) {
  excel.Script(xlcNew, [&excel, &at](const Call&, LPXLOPER) {
    at = excel.calls().size() - 1;
    return xlretSuccess;
  });
}

std::vector<Call> CallsFrom(const RecordingDispatcher& excel, std::size_t at) {
  return std::vector<Call>(excel.calls().begin() + static_cast<std::ptrdiff_t>(at),
                           excel.calls().end());
}

void ExpectBlackAndWhite(const std::vector<std::string>& transcript) {
  const auto starts = [](const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0;
  };
  bool on_chart = false;
  for (const std::string& call : transcript) {
    EXPECT_NE(call, "32852(1, 15)");
    EXPECT_NE(call, "32852(1, 2)");
    if (starts(call, "33122(")) on_chart = true;
    if (on_chart && starts(call, "41341(")) {
      EXPECT_EQ(call.substr(call.size() - 4), ", 1)") << call;
    }
  }
}

std::string GoldenDifference(const std::vector<std::string>& transcript, const std::string& file) {
  return CompareWithGolden(transcript, std::string(KV_SOURCE_DIR) + "/tests/unit/golden/" + file);
}

std::vector<WrittenBlock> WrittenBlocks(const RecordingDispatcher& excel) {
  std::vector<WrittenBlock> blocks;
  for (const Call& call : excel.CallsTo(xlSet))
    blocks.push_back(WrittenBlock{call.args.at(0).rects.at(0), call.args.at(1)});
  return blocks;
}

} // namespace kvtest
