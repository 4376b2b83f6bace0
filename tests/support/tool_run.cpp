#include "tool_run.h"

#include <gtest/gtest.h>

#include "call_transcript.h"
#include "kvplatform/ansi.h"
#include "kvplatform/messagebox.h"
#include "xloper_builders.h"

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

void AnswerDataBlock(RecordingDispatcher& excel, const std::vector<std::vector<double>>* data) {
  excel.Script(xlfSelection, [data](const Call&, LPXLOPER result) {
    *result = XLOPER{};
    result->xltype = xltypeSRef;
    result->val.sref.count = 1;
    result->val.sref.ref.rwFirst = 1;
    result->val.sref.ref.rwLast = static_cast<std::uint16_t>(data->size());
    result->val.sref.ref.colFirst = 0;
    result->val.sref.ref.colLast = static_cast<std::uint8_t>(data->at(0).size() - 1);
    return xlretSuccess;
  });
  excel.Script(xlfGetCell, [data](const Call& call, LPXLOPER result) {
    const XLREF& cell = call.args.at(1).rects.at(0);
    const unsigned row = cell.rwFirst - 1u, column = cell.colFirst;
    *result =
        row < data->size() && column < (*data)[row].size() ? Num((*data)[row][column]) : Nil();
    return xlretSuccess;
  });
}

WrittenCells CellsWritten(const std::vector<Call>& calls) {
  WrittenCells cells;
  for (const Call& call : calls)
    if (call.function == xlSet) {
      const XLREF& at = call.args.at(0).rects.at(0);
      const Value& block = call.args.at(1);
      for (unsigned r = 0; r < block.rows; ++r)
        for (unsigned c = 0; c < block.columns; ++c)
          cells[{at.rwFirst + r, at.colFirst + c}] = block.elements.at(r * block.columns + c);
    }
  return cells;
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
    EXPECT_NE(call, "PATTERNS(1, 15)");
    EXPECT_NE(call, "PATTERNS(1, 2)");
    // WORKBOOK.INSERT(2) adds a chart sheet, WORKBOOK.INSERT(1) a worksheet.
    if (starts(call, "WORKBOOK.INSERT(2)")) on_chart = true;
    if (on_chart && starts(call, "FONT.PROPERTIES(")) {
      EXPECT_EQ(call.substr(call.size() - 4), ", 1)") << call;
    }
  }
}

void AnswerColumn(RecordingDispatcher& excel, const std::vector<double>* values) {
  excel.Script(xlfGetCell, [values](const Call& call, LPXLOPER result) {
    const XLREF& cell = call.args.at(1).rects.at(0);
    const unsigned i = cell.rwFirst - 1u;
    *result =
        cell.colFirst == 0 && cell.rwFirst >= 1 && i < values->size() ? Num((*values)[i]) : Nil();
    return xlretSuccess;
  });
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
