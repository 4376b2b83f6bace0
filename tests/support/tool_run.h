// What the tests of whole tool runs share: the message boxes a run showed, and the answers of
// the scripted Excel that a launch and a result workbook need.
#pragma once

#include <string>
#include <vector>

#include "kvplatform/ansi.h"
#include "kvplatform/messagebox.h"
#include "support/recording_dispatcher.h"

namespace kvtest {

struct ShownBox {
  std::string text, title; // UTF-8
};

// A message box handler that keeps each box in the std::vector<ShownBox> `context` and
// answers OK.
inline int CaptureBox(void* context, kvp::WindowHandle, const char* text, const char* title,
                      unsigned) {
  static_cast<std::vector<ShownBox>*>(context)->push_back(
      ShownBox{kvp::AnsiToUtf8(text), kvp::AnsiToUtf8(title)});
  return kvp::kIdOk;
}

// Excel's selection: the one rectangle `*selected`, read at each call.
inline void AnswerSelection(RecordingDispatcher& excel, const XLREF* selected) {
  excel.Script(xlfSelection, [selected](const Call&, LPXLOPER result) {
    *result = XLOPER{};
    result->xltype = xltypeSRef;
    result->val.sref.count = 1;
    result->val.sref.ref = *selected;
    return xlretSuccess;
  });
}

// The result workbook "Book2" with its active sheet 7.
inline void AnswerResultWorkbook(RecordingDispatcher& excel) {
  excel.Script(xlSheetId, [](const Call&, LPXLOPER result) {
    result->xltype = xltypeRef;
    result->val.mref.lpmref = nullptr;
    result->val.mref.idSheet = 7;
    return xlretSuccess;
  });
  excel.AnswerText(xlfGetDocument, "Book2");
}

} // namespace kvtest
