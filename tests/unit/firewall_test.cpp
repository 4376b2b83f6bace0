// No exception leaves a procedure that Excel calls: each one, made to throw, answers its
// failure value and says why on the debugger channel.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>

#include "Instalador.h"
#include "Kavenlor.h"
#include "Lancamento.h"
#include "Menu.h"
#include "Pca/Pca.h"
#include "Planilha/FuncoesPlanilha.h"
#include "kvplatform/ansi.h"
#include "support/recording_dispatcher.h"
#include "xll/ExcelCall.h"
#include "xll/Firewall.h"
#include "xll/Xlauto.h"

using kvtest::RecordingDispatcher;
using kvtest::TraceCapture;

namespace {

// What a procedure answers when its body failed.
enum class Answer { One, Zero, NullError, ValueError, Nothing };

struct Procedure {
  std::string name;
  Answer answer;
  std::function<long long()> call; // the answer as a number, or the error code of a record
};

template <class Oper> long long ErrorCode(Oper* record) {
  if (record == nullptr || record->xltype != xltypeErr) return -1;
  return record->val.err;
}

// Every procedure the module exports, and process attach, which the loader calls.
std::vector<Procedure> Procedures() {
  return {
      {"xlAutoOpen", Answer::One, [] { return xlAutoOpen(); }},
      {"xlAutoClose", Answer::One, [] { return xlAutoClose(); }},
      {"xlAutoAdd", Answer::One, [] { return xlAutoAdd(); }},
      {"xlAutoRemove", Answer::One, [] { return xlAutoRemove(); }},
      {"xlAutoRegister", Answer::ValueError, [] { return ErrorCode(xlAutoRegister(nullptr)); }},
      {"xlAutoRegister12", Answer::ValueError, [] { return ErrorCode(xlAutoRegister12(nullptr)); }},
      {"xlAddInManagerInfo", Answer::ValueError,
       [] { return ErrorCode(xlAddInManagerInfo(nullptr)); }},
      {"xlAutoFree", Answer::Nothing,
       [] {
         xlAutoFree(nullptr);
         return 0;
       }},
      {"xlAutoFree12", Answer::Nothing,
       [] {
         xlAutoFree12(nullptr);
         return 0;
       }},
      {"CheckInstance", Answer::One, [] { return CheckInstance(); }},
      {"skew", Answer::NullError, [] { return ErrorCode(skew(nullptr, 0, 0, 0, 0)); }},
      {"kurt", Answer::NullError, [] { return ErrorCode(kurt(nullptr, 0, 0)); }},
      {"interpol", Answer::NullError, [] { return ErrorCode(interpol(1, nullptr, 0)); }},
      {"cspline", Answer::NullError, [] { return ErrorCode(cspline(1, nullptr)); }},
      {"ewv", Answer::NullError, [] { return ErrorCode(ewv(nullptr, 0.94, 0, 0, 0)); }},
      {"skew12", Answer::NullError, [] { return ErrorCode(skew12(nullptr, 0, 0, 0, 0)); }},
      {"kurt12", Answer::NullError, [] { return ErrorCode(kurt12(nullptr, 0, 0)); }},
      {"interpol12", Answer::NullError, [] { return ErrorCode(interpol12(1, nullptr, 0)); }},
      {"cspline12", Answer::NullError, [] { return ErrorCode(cspline12(1, nullptr)); }},
      {"ewv12", Answer::NullError, [] { return ErrorCode(ewv12(nullptr, 0.94, 0, 0, 0)); }},
      {"kv_chama_hist", Answer::Zero, [] { return kv_chama_hist(); }},
      {"kv_chama_cmp", Answer::Zero, [] { return kv_chama_cmp(); }},
      {"kv_chama_pca", Answer::Zero, [] { return kv_chama_pca(); }},
      {"kv_chama_ica", Answer::Zero, [] { return kv_chama_ica(); }},
      {"kv_chama_rlm", Answer::Zero, [] { return kv_chama_rlm(); }},
      {"kv_chama_ewv", Answer::Zero, [] { return kv_chama_ewv(); }},
      {"kv_chama_arch", Answer::Zero, [] { return kv_chama_arch(); }},
      {"kv_chama_exibir", Answer::One, [] { return kv_chama_exibir(); }},
      {"kv_chama_port", Answer::One, [] { return kv_chama_port(); }},
      {"kv_chama_ing", Answer::One, [] { return kv_chama_ing(); }},
      {"kv_chama_ajuda", Answer::One, [] { return kv_chama_ajuda(); }},
      {"kv_chama_sobre", Answer::One, [] { return kv_chama_sobre(); }},
      {"carrega_instalador", Answer::Zero, [] { return carrega_instalador(); }},
      {"ProcessAttach", Answer::Nothing,
       [] {
         ProcessAttach(nullptr);
         return 0;
       }},
  };
}

long long Expected(Answer answer) {
  switch (answer) {
  case Answer::One: return 1;
  case Answer::NullError: return xlerrNull;
  case Answer::ValueError: return xlerrValue;
  default: return 0;
  }
}

std::string Traced(const TraceCapture& trace) {
  std::string all;
  for (const std::string& piece : trace.pieces())
    all += kvp::AnsiToUtf8(piece.c_str());
  return all;
}

std::vector<std::string> seen;
void ThrowAtTheDoor(const char* procedure) {
  seen.emplace_back(procedure);
  throw std::runtime_error("door");
}
void ThrowSomethingElse(const char* procedure) {
  seen.emplace_back(procedure);
  throw 42;
}

class Firewall : public ::testing::Test {
protected:
  void SetUp() override { seen.clear(); }
  void TearDown() override { firewall::OnEntry = nullptr; }
  RecordingDispatcher excel;
};

} // namespace

// The table above is the list of exports that the module's own check holds it to: a new
// exported procedure cannot be left out of this test.
TEST_F(Firewall, TheTableCoversEveryExport) {
  std::ifstream list(KV_SOURCE_DIR "/tests/e2e/exports.txt");
  ASSERT_TRUE(list) << "exports.txt";
  std::set<std::string> exported, tested;
  for (std::string name; std::getline(list, name);)
    if (!name.empty()) exported.insert(name);
  ASSERT_FALSE(exported.empty());
  for (const Procedure& p : Procedures())
    if (p.name != "ProcessAttach") tested.insert(p.name);
  EXPECT_EQ(tested, exported);
}

TEST_F(Firewall, EveryProcedureAnswersItsFailureValueAndTracesWhy) {
  for (auto* hook : {&ThrowAtTheDoor, &ThrowSomethingElse}) {
    firewall::OnEntry = hook;
    for (const Procedure& p : Procedures()) {
      SCOPED_TRACE(p.name);
      seen.clear();
      TraceCapture trace;
      long long answer = -2;
      EXPECT_NO_THROW(answer = p.call());
      if (p.answer != Answer::Nothing) {
        EXPECT_EQ(answer, Expected(p.answer));
      }
      EXPECT_EQ(seen, std::vector<std::string>{p.name}) << "guarded under its own name";
      const std::string why = hook == &ThrowAtTheDoor ? "door" : "desconhecida";
      EXPECT_NE(Traced(trace).find("Erro! Exceção em " + p.name + ": " + why), std::string::npos)
          << Traced(trace);
    }
  }
}

// Failures from deep inside a body stop at the same place: here Excel's callback itself
// throws, as a broken host might.
TEST_F(Firewall, AnExceptionFromExcelsCallbackStopsAtTheProcedure) {
  for (int function : {xlGetHwnd, xlcAlert, xlfSelection, xlGetName})
    excel.Script(function, [](const kvtest::Call&, LPXLOPER) -> int { throw std::bad_alloc(); });
  TraceCapture trace;
  EXPECT_EQ(kv_chama_sobre(), 1);
  EXPECT_EQ(xlAutoOpen(), 1);
  EXPECT_EQ(xlAutoAdd(), 1);
  EXPECT_EQ(kv_chama_pca(), 0);
  EXPECT_EQ(f_pca, nullptr) << "the launch's dialog went with it";
  const std::string traced = Traced(trace);
  for (const char* name : {"kv_chama_sobre", "xlAutoOpen", "xlAutoAdd", "kv_chama_pca"})
    EXPECT_NE(traced.find(std::string("Erro! Exceção em ") + name), std::string::npos) << name;
}
