// The Excel call layer: the temporary pool, the makers, ExcelCall's guard, traces and routing,
// and xlAutoFree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "kvplatform/ansi.h"
#include "support/recording_dispatcher.h"
#include "xlcall32.h"
#include "xll/Excel12.h"
#include "xll/ExcelCall.h"

using kvtest::RecordingDispatcher;
using kvtest::TraceCapture;

namespace {
std::vector<std::string> Utf8(const std::vector<std::string>& pieces) {
  std::vector<std::string> out;
  for (const auto& p : pieces)
    out.push_back(kvp::AnsiToUtf8(p));
  return out;
}

class CallLayer : public ::testing::Test {
protected:
  void SetUp() override { TempReleaseAll(); }
  RecordingDispatcher excel;
  TraceCapture trace;
};
} // namespace

TEST_F(CallLayer, PoolGivesExactlyWhatRemainsAndKeepsBlocksOnEvenOffsets) {
  ASSERT_NE(TempAlloc(3), nullptr);
  EXPECT_EQ(TempPool.offset, 4u) << "an odd-sized block is followed by an even offset";
  void* next = TempAlloc(10);
  EXPECT_EQ(static_cast<unsigned char*>(next) - TempPool.bytes, 4);

  const std::uint32_t before = TempPool.offset;
  EXPECT_EQ(TempAlloc(TempPoolState::kSize - before + 1), nullptr) << "one byte too many";
  EXPECT_EQ(TempPool.offset, before) << "a refused request leaves the pool unchanged";
  EXPECT_NE(TempAlloc(TempPoolState::kSize - before), nullptr) << "exactly what remains";
  EXPECT_EQ(TempPool.offset, TempPoolState::kSize);
  EXPECT_EQ(TempAlloc(1), nullptr);
  TempReleaseAll();
  EXPECT_EQ(TempPool.offset, 0u);
}

TEST_F(CallLayer, MakersBuildTheRecordsExcelExpects) {
  char text[] = " abc";
  LPXLOPER t = TempText(text);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->xltype, xltypeStr);
  EXPECT_EQ(t->val.str, text) << "the text is not copied";
  EXPECT_EQ(text[0], 3) << "the placeholder becomes the length";

  LPXLOPER b = TempBoolean(5);
  EXPECT_EQ(b->xltype, xltypeBool);
  EXPECT_EQ(b->val.xbool, 1);
  EXPECT_EQ(TempBoolean(0)->val.xbool, 0);
  LPXLOPER i = TempInteger(-2);
  EXPECT_EQ(i->xltype, xltypeInt);
  EXPECT_EQ(i->val.w, -2);
  LPXLOPER n = TempNumber(10.5);
  EXPECT_EQ(n->xltype, xltypeNum);
  EXPECT_EQ(n->val.num, 10.5);
  EXPECT_EQ(TempOmitted()->xltype, xltypeMissing);
}

TEST_F(CallLayer, SheetRangeAsksForTheSheetIdWithoutEmptyingThePool) {
  excel.Script(xlSheetId, [](const kvtest::Call&, LPXLOPER result) {
    result->xltype = xltypeRef;
    result->val.mref.lpmref = nullptr;
    result->val.mref.idSheet = 77;
    return xlretSuccess;
  });
  LPXLOPER first = TempNumber(1);
  LPXLOPER range = TempSheetRange(2, 9, 0, 27);
  ASSERT_NE(range, nullptr);
  EXPECT_EQ(first->val.num, 1) << "the temporary made before is still valid";
  EXPECT_GT(TempPool.offset, 2 * sizeof(XLOPER));
  EXPECT_EQ(range->xltype, xltypeRef);
  EXPECT_EQ(range->val.mref.idSheet, 77u);
  ASSERT_EQ(range->val.mref.lpmref->count, 1);
  const XLREF& r = range->val.mref.lpmref->reftbl[0];
  EXPECT_EQ(r.rwFirst, 2);
  EXPECT_EQ(r.rwLast, 9);
  EXPECT_EQ(r.colFirst, 0);
  EXPECT_EQ(r.colLast, 27);
  ASSERT_EQ(excel.calls().size(), 1u);
  EXPECT_EQ(excel.calls()[0].function, xlSheetId);
  EXPECT_TRUE(trace.pieces().empty()) << "a direct call neither traces nor guards";

  excel.AnswerCode(xlSheetId, xlretFailed);
  EXPECT_EQ(TempSheetRange(0, 0, 0, 0), nullptr) << "no sheet id, no reference";
}

TEST_F(CallLayer, NullArgumentIsRefusedWithoutCallingExcel) {
  char text[] = " abc";
  const int code = ExcelCall(xlfSetName, nullptr, 3, TempText(text), nullptr, TempNumber(1));
  EXPECT_EQ(code, xlretFailed);
  EXPECT_TRUE(excel.calls().empty());
  EXPECT_EQ(TempPool.offset, 0u) << "the pool is emptied";
  EXPECT_EQ(Utf8(trace.pieces()),
            (std::vector<std::string>{"Erro! Parâmetro zero está sendo passado para o Excel. "
                                      "Limpando memória...\r"}));
}

TEST_F(CallLayer, ExhaustedPoolMakesTheNextCallFailCleanly) {
  int made = 0;
  while (TempNumber(made) != nullptr)
    ++made;
  EXPECT_EQ(made, static_cast<int>(TempPoolState::kSize / sizeof(XLOPER)));
  // The argument list of a caller that ran out of pool holds a null: refused, nothing sent.
  EXPECT_EQ(ExcelCall(xlcAlert, nullptr, 2, TempNumber(1), TempInteger(2)), xlretFailed);
  EXPECT_TRUE(excel.calls().empty());
  EXPECT_NE(TempNumber(1), nullptr) << "the pool is usable again";
}

TEST_F(CallLayer, FailureTraceNamesFlagsAndReasonsInOrder) {
  excel.AnswerCode(xlcAlert, xlretInvXlfn);
  EXPECT_EQ(ExcelCall(xlcAlert, nullptr, 0), xlretInvXlfn);
  EXPECT_EQ(Utf8(trace.pieces()),
            (std::vector<std::string>{"Erro! Excel4(", "xlCommand | ",
                                      "118) falha em callback:", " Função Inválida\r"}));

  TraceCapture second;
  const int every_flag = 300 | xlCommand | xlSpecial | xlIntl | xlPrompt;
  excel.AnswerCode(every_flag, xlretAbort | xlretInvXloper | xlretUncalced);
  ExcelCall(every_flag, nullptr, 0);
  EXPECT_EQ(Utf8(second.pieces()),
            (std::vector<std::string>{"Erro! Excel4(", "xlCommand | ", "xlSpecial | ", "xlIntl | ",
                                      "xlPrompt | ", "300) falha em callback:", " Macro Abortada\r",
                                      " Invalido XLOPER\r", " Célula sem cálculo\r"}));
}

TEST_F(CallLayer, SuccessfulCallSendsArgumentsAndEmptiesThePool) {
  char text[] = "xhello";
  XLOPER result{};
  excel.AnswerInteger(xlfGetWorkspace, 7);
  EXPECT_EQ(ExcelCall(xlfGetWorkspace, &result, 2, TempText(text), TempBoolean(1)), xlretSuccess);
  EXPECT_EQ(result.val.w, 7);
  ASSERT_EQ(excel.calls().size(), 1u);
  const auto& call = excel.calls()[0];
  EXPECT_TRUE(call.wants_result);
  ASSERT_EQ(call.args.size(), 2u);
  EXPECT_EQ(call.args[0].text, "hello") << "a placeholder of any value is overwritten";
  EXPECT_EQ(call.args[1].type, xltypeBool);
  EXPECT_EQ(TempPool.offset, 0u);
  EXPECT_TRUE(trace.pieces().empty());
}

TEST_F(CallLayer, CoercionGoesThroughTheCoercionRoutine) {
  XLOPER result{};
  // One argument: the routine supplies the omitted type, so Excel sees two.
  ExcelCall(xlCoerce, &result, 1, TempNumber(1));
  ASSERT_EQ(excel.CallsTo(xlCoerce).size(), 1u);
  const auto call = excel.CallsTo(xlCoerce)[0];
  ASSERT_EQ(call.args.size(), 2u);
  EXPECT_EQ(call.args[1].type, xltypeMissing);

  // Three arguments are refused by the routine itself: Excel is never asked.
  excel.Clear();
  EXPECT_EQ(ExcelCall(xlCoerce, &result, 3, TempNumber(1), TempInteger(1), TempInteger(1)),
            xlretInvCount);
  EXPECT_TRUE(excel.calls().empty());

  // Two arguments pass unchanged.
  ExcelCall(xlCoerce, &result, 2, TempNumber(1), TempInteger(xltypeInt));
  ASSERT_EQ(excel.calls().size(), 1u);
  EXPECT_EQ(excel.calls()[0].args[1].integer, xltypeInt);
}

TEST_F(CallLayer, CountThatDisagreesWithTheArgumentsIsRefused) {
  EXPECT_EQ(ExcelCall(xlcAlert, nullptr, 3, TempNumber(1)), xlretInvCount);
  EXPECT_TRUE(excel.calls().empty());
  EXPECT_EQ(TempPool.offset, 0u);
}

TEST(AutoFree, ReleasesTheArrayOrTextOfAReturnedValueOnly) {
  XLOPER array{};
  array.xltype = xltypeMulti | xlbitDLLFree; // as Excel hands it back: the bit still set
  array.val.array.lparray = static_cast<LPXLOPER>(std::malloc(3 * sizeof(XLOPER)));
  array.val.array.rows = 3;
  array.val.array.columns = 1;
  xlAutoFree(&array); // the sanitizer build reports a leak or a bad free
  EXPECT_EQ(array.val.array.lparray, nullptr);

  XLOPER text{};
  text.xltype = xltypeStr | xlbitDLLFree;
  text.val.str = static_cast<char*>(std::malloc(4));
  xlAutoFree(&text);
  EXPECT_EQ(text.val.str, nullptr);

  XLOPER number{};
  number.xltype = xltypeNum | xlbitDLLFree;
  number.val.num = 2.5;
  xlAutoFree(&number); // nothing of ours in it: untouched, no free of its bits
  EXPECT_EQ(number.val.num, 2.5);
  xlAutoFree(nullptr);
}

// The Excel 12 callbacks: found in the process as Excel offers them, the arguments handed on in
// Excel's order, and without Excel 12 behind them every call fails rather than reaching nothing.
TEST(Excel12Callback, ReachesTheProcessEntryPointWithTheArgumentsInOrder) {
  struct Seen {
    int xlfn = 0, count = 0;
    std::vector<double> numbers;
    LPXLOPER12 result = nullptr;
  } seen;
  XlInstallDispatcher12(
      [](void* context, int xlfn, LPXLOPER12 result, int count, LPXLOPER12* args) {
        auto& s = *static_cast<Seen*>(context);
        s.xlfn = xlfn;
        s.count = count;
        s.result = result;
        for (int i = 0; i < count; ++i)
          s.numbers.push_back(args[i]->val.num);
        *result = xl::Number<XLOPER12>(42);
        return xlretSuccess;
      },
      &seen);
  ASSERT_TRUE(ConnectExcel12());
  XLOPER12 one = xl::Number<XLOPER12>(1), two = xl::Number<XLOPER12>(2), result{};
  EXPECT_EQ(Excel12(xlfTdist, &result, 2, &one, &two), xlretSuccess);
  EXPECT_EQ(seen.xlfn, xlfTdist);
  EXPECT_EQ(seen.numbers, (std::vector<double>{1, 2}));
  EXPECT_EQ(seen.result, &result);
  EXPECT_EQ(result.val.num, 42);

  std::vector<LPXLOPER12> many(256, &one);
  EXPECT_EQ(Excel12v(xlfTdist, &result, 256, many.data()), xlretInvCount) << "Excel takes 255";
  XlInstallDispatcher12(nullptr, nullptr);
  EXPECT_EQ(Excel12(xlfTdist, &result, 2, &one, &two), xlretFailed) << "no Excel 12 behind it";
}
