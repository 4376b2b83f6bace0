// Entry points as Excel drives them, seen through the calls the add-in makes.
#include <gtest/gtest.h>

#include <algorithm>

#include "Kavenlor.h"
#include "kvplatform/ansi.h"
#include "kvplatform/windows.h"
#include "support/recording_dispatcher.h"
#include "xll/ExcelCall.h"

using kvtest::Call;
using kvtest::RecordingDispatcher;

namespace {
constexpr char kFile[] = "C:\\Addins\\kavenlor.xll";

class EntryPoints : public ::testing::Test {
protected:
  void UseLanguage(Language language) {
    CurrentLanguage = language;
    StampLanguageTables(language);
  }
  void SetUp() override {
    UseLanguage(Language::English);
    excel.AnswerText(xlGetName, kFile);
    excel.Script(xlfRegister, [](const Call&, LPXLOPER result) { // a register id
      if (result != nullptr) {
        result->xltype = xltypeNum;
        result->val.num = 7;
      }
      return xlretSuccess;
    });
  }
  std::vector<std::string> Texts(const Call& call, std::size_t from = 0) {
    std::vector<std::string> texts;
    for (std::size_t i = from; i < call.args.size(); ++i)
      texts.push_back(call.args[i].Utf8());
    return texts;
  }
  RecordingDispatcher excel;
};

struct Window {
  kvp::WindowHandle handle;
  const char* class_name;
};

class Windows {
public:
  explicit Windows(std::initializer_list<Window> windows) : windows_(windows) {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) // first = top of z-order
      kvp::RegisterTopLevelWindow(it->handle, it->class_name);
  }
  ~Windows() {
    for (const auto& w : windows_)
      kvp::UnregisterTopLevelWindow(w.handle);
  }

private:
  std::vector<Window> windows_;
};
} // namespace

TEST_F(EntryPoints, MainWindowIsTheXlmainWhoseLowWordExcelReports) {
  excel.AnswerInteger(xlGetHwnd, static_cast<std::int16_t>(0xC0DE));
  Windows windows({{0x2C0DE, "Notepad"},  // right low word, wrong class
                   {0x30001, "XLMAIN"},   // right class, wrong low word
                   {0x4C0DE, "xlMain"},   // both: class compared ignoring case
                   {0x5C0DE, "XLMAIN"}}); // later in z-order
  kvp::WindowHandle found = 0;
  EXPECT_TRUE(FindExcelMainWindow(found));
  EXPECT_EQ(found, 0x4C0DEu);
}

TEST_F(EntryPoints, MainWindowSearchFailureLeavesTheHandleAlone) {
  Windows windows({{0x30001, "XLMAIN"}});
  excel.AnswerInteger(xlGetHwnd, 0x1234);
  kvp::WindowHandle found = 42;
  EXPECT_FALSE(FindExcelMainWindow(found));
  EXPECT_EQ(found, 42u);
  excel.AnswerCode(xlGetHwnd, xlretFailed);
  EXPECT_FALSE(FindExcelMainWindow(found));
  EXPECT_EQ(found, 42u);
}

TEST_F(EntryPoints, OpenRegistersFiveFunctionsThenTwelveCommands) {
  EXPECT_EQ(xlAutoOpen(), 1);
  // The main window first, then the bridge's start (it ends by asking for Excel's version),
  // then the registration; the menu and the toolbar follow.
  std::vector<int> functions;
  for (const auto& call : excel.calls())
    functions.push_back(call.function);
  ASSERT_FALSE(functions.empty());
  EXPECT_EQ(functions.front(), xlGetHwnd);
  const auto version = std::find(functions.begin(), functions.end(), xlfGetWorkspace);
  ASSERT_NE(version, functions.end());
  std::vector<int> expected = {xlGetName};
  expected.insert(expected.end(), 17, xlfRegister);
  ASSERT_GT(functions.end() - version, 18);
  EXPECT_EQ(std::vector<int>(version + 1, version + 19), expected);

  auto registers = excel.CallsTo(xlfRegister);
  registers.erase(registers.begin(), registers.end() - 17); // the bridge's CheckInstance first
  for (int row = 0; row < 17; ++row) {
    SCOPED_TRACE("REGISTER call " + std::to_string(row));
    const auto& call = registers[row];
    EXPECT_FALSE(call.wants_result);
    ASSERT_EQ(call.args.size(), row < 5 ? 16u : 8u);
    for (const auto& arg : call.args)
      EXPECT_EQ(arg.type, xltypeStr);
    EXPECT_EQ(call.args[0].text, kFile);
  }
  // The first row in full: empty cells travel as texts of length 0.
  EXPECT_EQ(Texts(registers[0]),
            (std::vector<std::string>{
                kFile, "skew", "PPAAII", "KV.SKEW", "Data, Returns, Sample, Type, Intervals", "1",
                "Kavenlor", "", "", "Skewness of data according parameters",
                "Range of data. Empty cells or cells with text will be disregarded. Must be a "
                "range with more than 2 valid cells",
                "Optional. Mark 0 (default) for asset prices or 1 for asset returns from asset "
                "prices",
                "Optional. Mark 0 (default) for sample or 1 for population",
                "Optional. Type of Skewness returned. Mark 0 (default) for standard, 1 for first "
                "Pearson coefficient or 2 for second Pearson coefficient",
                "Optional. Mandatory if Type equals to 1. Number of intervals considered in the "
                "mode. Must be greater than 1 and lesser than half total number of valid data",
                ""}));
  EXPECT_EQ(Texts(registers[5]),
            (std::vector<std::string>{kFile, "kv_chama_hist", "A", "kv_menu_hist", "", "2",
                                      "Kavenlor", ""}));
  EXPECT_EQ(registers[16].args[3].text, "kv_menu_sobre");
  EXPECT_EQ(excel.calls().back().function, xlFree);
  EXPECT_EQ(excel.calls().back().args.size(), 2u) << "the file name and the query result";
  EXPECT_EQ(excel.calls().back().args[0].text, kFile);
}

TEST_F(EntryPoints, PortugueseRegistersThePortugueseTexts) {
  UseLanguage(Language::Portuguese);
  xlAutoOpen();
  auto registers = excel.CallsTo(xlfRegister);
  ASSERT_EQ(registers.size(), 18u) << "CheckInstance, then the tables";
  registers.erase(registers.begin());
  EXPECT_EQ(registers[0].args[4].Utf8(), "Dados, Retornos, Amostragem, Tipo, Faixas");
  EXPECT_EQ(registers[2].args[4].Utf8(), "Dias Úteis, Curva de Juros, Anos Flat");
  EXPECT_EQ(registers[2].args[4].text, kvp::Utf8ToAnsi("Dias Úteis, Curva de Juros, Anos Flat"))
      << "texts reach Excel in the ANSI code page";
  EXPECT_EQ(registers[4].args[3].text, "KV.EWV");
}

TEST_F(EntryPoints, AutoRegisterFindsTheRowIgnoringCase) {
  XLOPER upper{};
  upper.xltype = xltypeStr;
  upper.val.str = excel.OwnedText("SKEW");
  LPXLOPER answer = xlAutoRegister(&upper);
  EXPECT_EQ(answer->xltype, xltypeErr);
  EXPECT_EQ(answer->val.err, xlerrValue) << "the registration is the effect, not the answer";
  auto registers = excel.CallsTo(xlfRegister);
  ASSERT_EQ(registers.size(), 1u);
  EXPECT_EQ(registers[0].args.size(), 16u);
  EXPECT_EQ(registers[0].args[1].text, "skew");
  EXPECT_EQ(excel.CallsTo(xlFree).size(), 1u) << "the file name is released";

  excel.Clear();
  char command[] = " KV_Chama_Hist";
  StampCountedText(command);
  XLOPER name{};
  name.xltype = xltypeStr;
  name.val.str = command;
  xlAutoRegister(&name);
  registers = excel.CallsTo(xlfRegister);
  ASSERT_EQ(registers.size(), 1u);
  EXPECT_EQ(registers[0].args.size(), 8u);
  EXPECT_EQ(registers[0].args[1].text, "kv_chama_hist");
}

TEST_F(EntryPoints, AutoRegisterOfAnUnknownNameRegistersNothing) {
  char unknown[] = " skewness"; // a longer name that starts like a row's
  StampCountedText(unknown);
  XLOPER name{};
  name.xltype = xltypeStr;
  name.val.str = unknown;
  EXPECT_EQ(xlAutoRegister(&name)->val.err, xlerrValue);
  XLOPER number{};
  number.xltype = xltypeNum;
  EXPECT_EQ(xlAutoRegister(&number)->val.err, xlerrValue);
  EXPECT_EQ(xlAutoRegister(nullptr)->val.err, xlerrValue);
  EXPECT_TRUE(excel.CallsTo(xlfRegister).empty());

  // Through Excel 12 the name comes in UTF-16: a character beyond ASCII names no procedure.
  std::u16string greek = u"\x04sk\x03b5w";
  XLOPER12 name12{};
  name12.xltype = xltypeStr;
  name12.val.str = greek.data();
  EXPECT_EQ(xlAutoRegister12(&name12)->val.err, xlerrValue);
  EXPECT_EQ(xlAutoRegister12(nullptr)->val.err, xlerrValue);
  EXPECT_TRUE(excel.CallsTo(xlfRegister).empty());
}

TEST_F(EntryPoints, AutoRegister12FindsTheRowByEitherOfItsNames) {
  for (std::u16string name : {std::u16string(u"\x06SKEW12"), std::u16string(u"\x04Kurt")}) {
    excel.Clear();
    XLOPER12 record{};
    record.xltype = xltypeStr;
    record.val.str = name.data();
    EXPECT_EQ(xlAutoRegister12(&record)->val.err, xlerrValue);
    const auto registers = excel.CallsTo(xlfRegister);
    ASSERT_EQ(registers.size(), 1u);
    EXPECT_EQ(registers[0].args[1].text, name[1] == u'S' ? "skew" : "kurt");
  }
}

TEST_F(EntryPoints, AddShowsTheAddMessage) {
  EXPECT_EQ(xlAutoAdd(), 1);
  ASSERT_EQ(excel.calls().size(), 1u);
  const auto& alert = excel.calls()[0];
  EXPECT_EQ(alert.function, xlcAlert);
  ASSERT_EQ(alert.args.size(), 2u);
  EXPECT_EQ(alert.args[0].Utf8().rfind("KAVENLOR add-in - Metrics for Financial Market - will be "
                                       "added!\nTo remove it, select the available option in "
                                       "Excel add-in manager.\n\nCorvane Lathi",
                                       0),
            0u);
  EXPECT_EQ(alert.args[0].text.back(), '\n');
  EXPECT_EQ(alert.args[1].type, xltypeInt);
  EXPECT_EQ(alert.args[1].integer, 2);
}

TEST_F(EntryPoints, RemoveHidesEveryFunctionAndLeavesTheRestAlone) {
  UseLanguage(Language::Portuguese);
  EXPECT_EQ(xlAutoRemove(), 1);
  std::vector<int> functions;
  for (const auto& call : excel.calls())
    functions.push_back(call.function);
  EXPECT_EQ(functions, (std::vector<int>{xlcAlert, xlGetName, xlfRegister, xlfRegister, xlfRegister,
                                         xlfRegister, xlfRegister, xlFree}));
  EXPECT_EQ(excel.calls()[0].args[0].Utf8().rfind("Suplemento KAVENLOR - Cálculos para Mercado "
                                                  "Financeiro - será removido!\n",
                                                  0),
            0u);
  for (const auto& call : excel.CallsTo(xlfRegister)) {
    ASSERT_EQ(call.args.size(), 16u);
    EXPECT_EQ(call.args[5].type, xltypeInt) << "macro type as the integer 0";
    EXPECT_EQ(call.args[5].integer, 0);
    EXPECT_EQ(call.args[6].text, "Kavenlor");
  }
}

TEST_F(EntryPoints, CloseDeletesTheNamesOfFunctionsAndCommands) {
  EXPECT_EQ(xlAutoClose(), 1);
  std::vector<std::string> names;
  for (const auto& call : excel.CallsTo(xlfSetName)) {
    ASSERT_EQ(call.args.size(), 1u) << "one argument: delete";
    names.push_back(call.args[0].text);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"KV.SKEW", "KV.KURT", "KV.INTERPOLEX", "KV.CSPLINE",
                                             "KV.EWV", "kv_menu_hist", "kv_menu_cmp", "kv_menu_pca",
                                             "kv_menu_ica", "kv_menu_rlm", "kv_menu_ewv",
                                             "kv_menu_arch", "kv_menu_exibir", "kv_menu_port",
                                             "kv_menu_ing", "kv_menu_ajuda", "kv_menu_sobre"}));
}

TEST_F(EntryPoints, ManagerInfoGivesTheLongNameForActionOneOnly) {
  // Excel's coercion of the action to an integer, as the add-in asks for it.
  excel.Script(xlCoerce, [](const Call& call, LPXLOPER result) {
    if (call.args.size() != 2 || call.args[1].integer != xltypeInt) return xlretInvXloper;
    result->xltype = xltypeInt;
    result->val.w = static_cast<std::int16_t>(call.args[0].number);
    return xlretSuccess;
  });
  XLOPER action{};
  action.xltype = xltypeNum;
  action.val.num = 1;
  LPXLOPER info = xlAddInManagerInfo(&action);
  ASSERT_EQ(info->xltype, xltypeStr);
  EXPECT_EQ(kvtest::Value::Of(*info).Utf8(), "Kavenlor - Metrics for Financial Market");

  UseLanguage(Language::Portuguese);
  info = xlAddInManagerInfo(&action);
  EXPECT_EQ(kvtest::Value::Of(*info).Utf8(), "Kavenlor - Cálculos para Mercado Financeiro");

  action.val.num = 2;
  info = xlAddInManagerInfo(&action);
  EXPECT_EQ(info->xltype, xltypeErr);
  EXPECT_EQ(info->val.err, xlerrValue);

  excel.AnswerCode(xlCoerce, xlretInvXloper);
  action.val.num = 1;
  EXPECT_EQ(xlAddInManagerInfo(&action)->xltype, xltypeErr) << "no integer, no name";
}
