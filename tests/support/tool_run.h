// What the unit tests of a tool's whole run share: the dialog driven by a script and the
// message boxes kept instead of shown, Excel's answers a run needs, and the golden call
// sequences in tests/unit/golden.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "kvplatform/ansi.h"
#include "kvplatform/messagebox.h"
#include "kvplatform/modal.h"
#include "recording_dispatcher.h"

namespace kvtest {

// A message box the add-in showed, in UTF-8.
struct ShownBox {
  std::string text, title;
};

// While it lives, dialogs are driven by `driver` (with `context`) and message boxes are kept
// in `boxes`, each answered with OK.
class ToolRunHooks {
public:
  ToolRunHooks(kvp::ModalDriver driver, void* context);
  ~ToolRunHooks();
  ToolRunHooks(const ToolRunHooks&) = delete;
  ToolRunHooks& operator=(const ToolRunHooks&) = delete;

  std::vector<ShownBox> boxes;
};

// Ends a scripted dialog: OK when every action went through (`ok`), otherwise the reason of
// the refusal kept in `refusal` and the dialog closed by its frame.
void PressOkOrClose(kvp::ModalForm& form, bool ok, const std::string& why, std::string& refusal);

// The active sheet's identifier, as Excel answers xlSheetId.
void AnswerSheetId(RecordingDispatcher& excel);

// Keeps in `at` the position of the next xlcNew call among the dispatcher's calls: where a
// run's result workbook is opened. `at` must outlive the dispatcher's script.
void MarkNewWorkbook(RecordingDispatcher& excel, std::size_t& at);
// The calls from position `at` on, one line each.
std::vector<Call> CallsFrom(const RecordingDispatcher& excel, std::size_t at);

// A block of values the run wrote with xlSet: where it went and what it held.
struct WrittenBlock {
  XLREF rect;
  Value values;
  // The value in `row` and `column` of the block, counted from 0.
  const Value& At(unsigned row, unsigned column) const {
    return values.elements.at(row * values.columns + column);
  }
};
// The blocks written with xlSet, in the order written.
std::vector<WrittenBlock> WrittenBlocks(const RecordingDispatcher& excel);

// A run in black-and-white mode: no fill of the sheet or of a table, and every text of a
// chart in black (colour 1).
void ExpectBlackAndWhite(const std::vector<std::string>& transcript);

// The difference between `transcript` and the golden file `file` of tests/unit/golden, or
// nothing when they match (see CompareWithGolden).
std::string GoldenDifference(const std::vector<std::string>& transcript, const std::string& file);

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

// GET.CELL answers the numbers of `*values` from A2 down (read at each call), nothing elsewhere.
void AnswerColumn(RecordingDispatcher& excel, const std::vector<double>* values);

// Excel's selection and cells for a block of numbers: the selection is rows 2 to n + 1 of
// columns A onward, and GET.CELL answers from `*data` (row by row, read at each call).
void AnswerDataBlock(RecordingDispatcher& excel, const std::vector<std::vector<double>>* data);

// The cells that xlSet calls wrote, by (row, column) counted from 0; a later write wins.
using WrittenCells = std::map<std::pair<unsigned, unsigned>, Value>;
WrittenCells CellsWritten(const std::vector<Call>& calls);

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
