// The automation bridge: what it asks of Excel at start and stop, and the reference coercion
// it takes over on version "8.0", with a stand-in for Excel's automation objects.
#include <gtest/gtest.h>

#include "kvplatform/ansi.h"
#include "kvplatform/automation.h"
#include "kvplatform/messagebox.h"
#include "support/recording_dispatcher.h"
#include "support/xloper_builders.h"
#include "xll/ExcelCall.h"
#include "xll/Xlauto.h"

using kvp::AutomationValue;
using kvtest::Call;
using kvtest::RecordingDispatcher;

namespace {
constexpr char kFile[] = "C:\\Addins\\kavenlor.xll";

// An Excel instance seen through automation. `ours` answers the probe by calling back into the
// library, as the Excel that loaded it does.
class FakeExcel : public kvp::ExcelAutomation {
public:
  FakeExcel(bool ours, std::vector<std::wstring>* macros) : ours_(ours), macros_(macros) {}
  bool ExecuteExcel4Macro(const std::wstring& macro) override {
    macros_->push_back(macro);
    if (ours_) CheckInstance();
    return true;
  }
  bool ConnectWorkbooks() override { return true; }
  bool RangeValue(const std::wstring& book, const std::wstring& sheet, const std::wstring& address,
                  AutomationValue& value) override {
    read = book + L"|" + sheet + L"|" + address;
    value = range;
    return true;
  }
  static inline std::wstring read;
  static inline AutomationValue range;

private:
  bool ours_;
  std::vector<std::wstring>* macros_;
};

class FakeAutomation : public kvp::AutomationSystem {
public:
  bool Initialize() override {
    ++initialised;
    return true;
  }
  void Uninitialize() override { ++uninitialised; }
  std::unique_ptr<kvp::ExcelAutomation> ActiveExcel() override {
    return std::make_unique<FakeExcel>(active_is_ours, &macros);
  }
  std::vector<std::unique_ptr<kvp::ExcelAutomation>> RunningObjects() override {
    std::vector<std::unique_ptr<kvp::ExcelAutomation>> objects;
    objects.push_back(std::make_unique<FakeExcel>(false, &macros));
    objects.push_back(std::make_unique<FakeExcel>(running_has_ours, &macros));
    return objects;
  }
  bool active_is_ours = false;
  bool running_has_ours = false;
  int initialised = 0, uninitialised = 0;
  std::vector<std::wstring> macros;
};

int g_boxes = 0;
int CountBox(void*, kvp::WindowHandle, const char*, const char*, unsigned) {
  ++g_boxes;
  return kvp::kIdOk;
}

class Bridge : public ::testing::Test {
protected:
  void SetUp() override {
    UseAutomationSystem(&automation);
    ForgetAutomationRetry(); // each test is a load of its own
    kvp::SetMessageBoxHandler(&CountBox, nullptr);
    g_boxes = 0;
    excel.AnswerText(xlGetName, kFile);
    excel.AnswerCode(xlfRegisterId, xlretSuccess); // leaves #N/A: not registered
    excel.Script(xlfRegisterId, [](const Call&, LPXLOPER result) {
      result->xltype = xltypeErr;
      result->val.err = xlerrNA;
      return xlretSuccess;
    });
    excel.Script(xlfRegister, [](const Call&, LPXLOPER result) {
      result->xltype = xltypeNum;
      result->val.num = 3;
      return xlretSuccess;
    });
  }
  void TearDown() override {
    AutomationStop();
    UseAutomationSystem(nullptr);
    kvp::SetMessageBoxHandler(nullptr, nullptr);
  }
  void Version(const char* text) { excel.AnswerText(xlfGetWorkspace, text); }
  // A calculation: the command probe fails; the range holds text.
  void Calculating() {
    excel.AnswerCode(103 | xlCommand, xlretInvXlfn);
    excel.Script(xlfOr, [](const Call&, LPXLOPER result) {
      result->xltype = xltypeBool;
      result->val.xbool = 1;
      return xlretSuccess;
    });
  }

  FakeAutomation automation;
  RecordingDispatcher excel;
};
} // namespace

TEST_F(Bridge, OtherVersionsRegisterCheckInstanceAndNeverConnect) {
  Version("16.0");
  EXPECT_EQ(AutomationStart(), 0);
  const auto registrations = excel.CallsTo(xlfRegister);
  ASSERT_EQ(registrations.size(), 1u);
  EXPECT_EQ(registrations[0].args[1].text, "CheckInstance");
  EXPECT_EQ(registrations[0].args[2].text, "J");
  EXPECT_EQ(automation.initialised, 0);
  EXPECT_EQ(ExcelVersion(), "16.0");

  // Pass-through: whatever the arguments, Excel's coercion is asked, with two arguments.
  excel.Clear();
  Calculating();
  XLOPER sheet{}, result{};
  sheet.xltype = xltypeSRef;
  EXPECT_EQ(CoerceReference(&result, 1, std::vector<LPXLOPER>{&sheet}.data()), xlretSuccess);
  ASSERT_EQ(excel.CallsTo(xlCoerce).size(), 1u);
  EXPECT_EQ(excel.CallsTo(xlCoerce)[0].args[1].type, xltypeMissing);
  EXPECT_TRUE(excel.CallsTo(103 | xlCommand).empty()) << "no probe on other versions";
  excel.Clear();
  LPXLOPER three[] = {&sheet, &sheet, &sheet};
  EXPECT_EQ(CoerceReference(&result, 3, three), xlretInvCount);
  EXPECT_TRUE(excel.calls().empty());
}

TEST_F(Bridge, StartFailsWhenCheckInstanceCannotBeRegistered) {
  excel.Script(xlfRegister, [](const Call&, LPXLOPER result) {
    result->xltype = xltypeErr;
    result->val.err = xlerrValue;
    return xlretSuccess;
  });
  kvtest::TraceCapture trace;
  EXPECT_EQ(AutomationStart(), xlretFailed);
  ASSERT_FALSE(trace.pieces().empty());
  EXPECT_EQ(trace.pieces().back(), "KeepDLLLoaded Failed\n");
  EXPECT_TRUE(excel.CallsTo(xlfGetWorkspace).empty());
}

TEST_F(Bridge, StopUnregistersARegisteredCheckInstance) {
  excel.Script(xlfRegisterId, [](const Call&, LPXLOPER result) {
    result->xltype = xltypeNum;
    result->val.num = 12;
    return xlretSuccess;
  });
  AutomationStop();
  const auto unregisters = excel.CallsTo(xlfUnregister);
  ASSERT_EQ(unregisters.size(), 1u);
  EXPECT_EQ(unregisters[0].args[0].number, 12);
}

TEST_F(Bridge, ExcelNinetySevenFindsItsOwnInstanceByProbing) {
  Version("8.0");
  automation.running_has_ours = true;
  EXPECT_EQ(AutomationStart(), 0);
  EXPECT_EQ(automation.initialised, 1);
  // The active object, then the running objects until the one that calls back.
  ASSERT_EQ(automation.macros.size(), 3u);
  EXPECT_EQ(automation.macros[0],
            kvp::AnsiToWide("cALL(\"C:\\Addins\\kavenlor.xll\",\"CheckInstance\",\"j\")"));
  std::vector<int> commands;
  for (const auto& call : excel.calls())
    if (call.function & xlCommand) commands.push_back(call.function);
  EXPECT_EQ(commands, (std::vector<int>{xlcEcho, xlcNew, xlcClose, xlcEcho}));

  // Reading through automation: column-major values become a row-major value array.
  Calculating();
  excel.Script(xlCoerce, [](const Call& call, LPXLOPER result) {
    if (call.args[1].type == xltypeInt && call.args[1].integer == xltypeRef) {
      static XLMREF rectangles{1, {{0, 4, 0, 27}}};
      result->xltype = xltypeRef;
      result->val.mref.lpmref = &rectangles;
      return xlretSuccess;
    }
    return xlretSuccess;
  });
  excel.AnswerText(xlSheetNm, "[Book1.xls]Dados");
  AutomationValue range;
  range.kind = AutomationValue::Kind::Array;
  range.rows = 2;
  range.columns = 3;
  auto element = [](AutomationValue::Kind kind, double number = 0, std::string text = {}) {
    AutomationValue v;
    v.kind = kind;
    v.number = number;
    v.text = std::move(text);
    return v;
  };
  using K = AutomationValue::Kind;
  // Column by column: (0,0) (1,0) (0,1) (1,1) (0,2) (1,2).
  range.elements = {element(K::Double, 1.5), element(K::Integer, 7), element(K::Text, 0, "abc"),
                    element(K::Empty),       element(K::Error),      element(K::Boolean, 1)};
  FakeExcel::range = range;
  XLOPER source{}, type = kvtest::Int(xltypeMulti), result{};
  source.xltype = xltypeSRef;
  LPXLOPER args[] = {&source, &type};
  EXPECT_EQ(CoerceReference(&result, 2, args), xlretSuccess);
  EXPECT_EQ(FakeExcel::read, L"Book1.xls|Dados|a1:ab5");
  const auto coercions = excel.CallsTo(xlCoerce);
  ASSERT_EQ(coercions.size(), 2u) << "to a reference, then the values read";
  const kvtest::Value& values = coercions[1].args[0];
  ASSERT_EQ(values.type, xltypeMulti);
  ASSERT_EQ(values.rows, 2);
  ASSERT_EQ(values.columns, 3);
  EXPECT_EQ(values.elements[0].number, 1.5);
  EXPECT_EQ(values.elements[1].text, "abc");
  EXPECT_EQ(values.elements[2].type, xltypeErr);
  EXPECT_EQ(values.elements[2].integer, xlerrName) << "errors read as #NAME?";
  EXPECT_EQ(values.elements[3].type, xltypeInt);
  EXPECT_EQ(values.elements[3].integer, 7);
  EXPECT_EQ(values.elements[4].type, xltypeNil);
  EXPECT_EQ(values.elements[5].type, xltypeBool);
  EXPECT_EQ(g_boxes, 0);
}

TEST_F(Bridge, NoInstanceFoundWarnsOnceRetriesOnceThenFails) {
  Version("8.0");
  AutomationStart();
  Calculating();
  XLOPER source{}, result{};
  source.xltype = xltypeSRef;
  LPXLOPER args[] = {&source};
  EXPECT_EQ(CoerceReference(&result, 1, args), xlretFailed);
  EXPECT_EQ(g_boxes, 1);
  EXPECT_EQ(CoerceReference(&result, 1, args), xlretFailed);
  EXPECT_EQ(g_boxes, 1) << "the message shows once per load";

  // Not from a calculation, or no text in the range: Excel's own coercion.
  excel.Clear();
  excel.Script(103 | xlCommand, [](const Call&, LPXLOPER answer) {
    *answer = xl::Boolean(true);
    return xlretSuccess;
  });
  EXPECT_EQ(CoerceReference(&result, 1, args), xlretSuccess);
  EXPECT_EQ(excel.CallsTo(xlCoerce).size(), 1u);
}

TEST(ReferenceAddress, LowerCaseLettersAndRowsFromOne) {
  XLMREF rectangles{1, {{0, 4, 0, 27}}};
  XLOPER reference{};
  reference.xltype = xltypeRef;
  reference.val.mref.lpmref = &rectangles;
  EXPECT_EQ(ReferenceAddress(reference), L"a1:ab5");
  rectangles.reftbl[0] = XLREF{9, 9, 25, 26};
  EXPECT_EQ(ReferenceAddress(reference), L"z10:aa10");
}
