// The best-decay tool: the sheet "Decay EWV" against an independent literal search and an
// independent RiskMetrics forecast (references made by tests/reference/generate_decay.py), its
// edge cases, prices it cannot take, and one whole run from OK to the last call compared with a
// golden call sequence in tests/unit/golden (one call per line).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "Decay/Decay.h"
#include "Funcoes/PrevisaoEwv.h"
#include "Lancamento.h"
#include "Tabelas.h"
#include "kvplatform/modal.h"
#include "multivariate_support.h"
#include "support/call_transcript.h"
#include "support/recording_dispatcher.h"
#include "support/reference_data.h"
#include "support/tool_run.h"
#include "support/xloper_builders.h"

using kvtest::Call;
using kvtest::RecordingDispatcher;
using nlohmann::json;

namespace {
// |computed - expected| within `relative` of |expected|.
::testing::AssertionResult Near(double computed, double expected, double relative) {
  return kvtest::Near(computed, expected, relative * std::fabs(expected));
}
} // namespace

// Twenty values start the forecast and leave nothing to score: no result. With 21 the one
// forecast scored is the mean of the first 20 squares for every decay, so all RMSE tie and the
// first decay, 0.800, stays.
TEST(PrevisaoEwv, ShortestSeriesAndTies) {
  std::vector<double> x;
  for (int t = 0; t < 20; ++t)
    x.push_back(t % 2 == 0 ? 1.0 : -1.0);
  const auto twenty = melhor_previsao_ewv(x, true);
  ASSERT_FALSE(twenty);
  EXPECT_EQ(twenty.motivo(), FalhaPrevisao::TooShort);
  EXPECT_FALSE(melhor_previsao_ewv({}, false));
  x.push_back(3.0);
  const auto zero = melhor_previsao_ewv(x, true);
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->lambda, 0.8);
  EXPECT_EQ(zero->erros, 1u);
  EXPECT_DOUBLE_EQ(zero->rmse, 8.0); // 3^2 - 1
  // About the mean 3/21 instead of 0.
  const double c = 3.0 / 21.0;
  const double start = (10 * (1 - c) * (1 - c) + 10 * (1 + c) * (1 + c)) / 20;
  const auto mean = melhor_previsao_ewv(x, false);
  ASSERT_TRUE(mean);
  EXPECT_NEAR(mean->rmse, (3 - c) * (3 - c) - start, 1e-14);

  x[4] = NAN;
  const auto not_finite = melhor_previsao_ewv(x, true);
  ASSERT_FALSE(not_finite);
  EXPECT_EQ(not_finite.motivo(), FalhaPrevisao::NotFinite);
}

// A series whose squares alternate: the most persistent decay averages them best.
TEST(PrevisaoEwv, PersistentDecayForAlternatingSquares) {
  std::vector<double> x;
  for (int t = 0; t < 400; ++t)
    x.push_back(t % 2 == 0 ? 1.0 : 2.0);
  const auto r = melhor_previsao_ewv(x, true);
  ASSERT_TRUE(r);
  EXPECT_DOUBLE_EQ(r->lambda, 0.999);
  EXPECT_EQ(r->erros, 380u);
}

namespace {

// The dialog set as a person sets it.
struct Settings {
  int tol_item = 0;
  bool returns = false, log = false, reverse = false, zero_mean = false, black_and_white = false;
};

using Written = kvtest::WrittenBlock;

class DecayRun : public ::testing::Test {
protected:
  void SetUp() override {
    kvtest::AnswerSelection(excel, &selected);
    kvtest::AnswerColumn(excel, &values);
    kvtest::AnswerResultWorkbook(excel);
  }
  // Sets the dialog's controls as `settings` says and presses OK; a refused action is kept in
  // `refusal` and closes the dialog by its frame.
  static void Drive(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
    auto& test = *static_cast<DecayRun*>(context);
    const Settings& s = test.settings;
    std::string why;
    bool ok = form.SetValue("c_tol", std::to_string(s.tol_item), why);
    const std::pair<bool, const char*> clicks[] = {{s.returns, "o_retorno"},
                                                   {s.log, "o_log"},
                                                   {s.reverse, "o_inversa"},
                                                   {s.zero_mean, "o_media"},
                                                   {s.black_and_white, "o_cores"}};
    for (const auto& [flag, control] : clicks)
      if (ok && flag) ok = form.Click(control, why);
    kvtest::PressOkOrClose(form, ok, why, test.refusal);
  }
  // The values in A2 onward, selected.
  void Use(std::vector<double> column) {
    values = std::move(column);
    selected = XLREF{1, static_cast<std::uint16_t>(values.size()), 0, 0};
  }
  // The calls from the new workbook on, one line each.
  std::vector<std::string> RunTool(Language language, const Settings& chosen) {
    CurrentLanguage = language;
    settings = chosen;
    excel.Clear();
    boxes.clear();
    kvtest::MarkNewWorkbook(excel, ok_at);
    EXPECT_EQ(kv_chama_ewv(), 1);
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(f_decay, nullptr) << "the dialog is released when the run ends";
    return kvtest::Transcript(kvtest::CallsFrom(excel, ok_at));
  }
  std::vector<Written> Blocks() const { return kvtest::WrittenBlocks(excel); }
  bool Opened() const { return !excel.CallsTo(xlcNew).empty(); }

  RecordingDispatcher excel;
  XLREF selected{};
  std::vector<double> values;
  Settings settings;
  std::string refusal;
  kvtest::ToolRunHooks hooks{&Drive, this};
  std::vector<kvtest::ShownBox>& boxes = hooks.boxes;
  std::size_t ok_at = 0;
};

Settings SettingsOf(const json& c) {
  Settings s;
  s.tol_item = c.at("tol_item");
  s.returns = c.at("returns");
  s.log = c.at("log");
  s.reverse = c.at("reverse");
  s.zero_mean = c.at("zero_mean");
  return s;
}

const json& Case(const std::string& name) {
  for (const json& c : kvtest::ReferenceCases("decay.json", "cases", 4))
    if (c.at("name") == name) return c;
  static const json none = json::object();
  ADD_FAILURE() << "no reference case " << name;
  return none;
}

const char* const kFailurePt =
    "Houve erros durante o processo de determinação do alisamento (decaimento) exponencial "
    "ótimo.\nDesconsidere qualquer resultado e tente novamente.\n\nSe o problema persistir, "
    "entre em contato com o suporte da Corvane Lathi.";
const char* const kFailureEn =
    "Some errors occurred during best EWV decay analysis.\n\nPlease, disregard any results and "
    "try again or contact Corvane Lathi for assistance.";

} // namespace

// 41 values at 1 %, log returns of DAX closes given newest first at 0.1 %, prices near 10^6 and
// simple returns with zero mean: sample, tolerance, largest decay, best decay and its SDE, and
// the forecast block, as the literal search and the numpy forecast give them.
TEST_F(DecayRun, SheetAgreesWithIndependentReferences) {
  for (const json& c : kvtest::ReferenceCases("decay.json", "cases", 4)) {
    const std::string name = c.at("name");
    Use(c.at("cells").get<std::vector<double>>());
    RunTool(Language::English, SettingsOf(c));
    EXPECT_TRUE(boxes.empty()) << name;
    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 2u) << name;
    const Written& sheet = blocks[0];
    EXPECT_EQ(sheet.rect.rwFirst, 0);
    EXPECT_EQ(sheet.rect.rwLast, 13);
    EXPECT_EQ(sheet.rect.colLast, 1);
    EXPECT_EQ(sheet.At(6, 1).BaseType(), xltypeInt) << name;
    EXPECT_EQ(sheet.At(6, 1).integer, c.at("n").get<int>()) << name;
    EXPECT_EQ(sheet.At(8, 1).number, c.at("tol").get<double>()) << name;
    EXPECT_TRUE(Near(sheet.At(9, 1).number, c.at("lambda_max"), 1e-15)) << name + " max decay";
    EXPECT_TRUE(Near(sheet.At(11, 1).number, c.at("best_lambda"), 1e-15)) << name + " best decay";
    EXPECT_TRUE(Near(sheet.At(13, 1).number, c.at("min_sde"), 1e-9)) << name + " SDE";

    const Written& forecast = blocks[1];
    EXPECT_EQ(forecast.rect.rwFirst, 15) << "one empty row below the search";
    EXPECT_EQ(forecast.rect.rwLast, 17);
    EXPECT_TRUE(Near(forecast.At(1, 1).number, c.at("forecast_lambda"), 1e-15)) << name + " decay";
    EXPECT_TRUE(Near(forecast.At(2, 1).number, c.at("forecast_rmse"), 1e-12)) << name + " RMSE";
  }
}

// 41 values at 1 %: lambda_max = 0.680, and the grid 0.635 .. 0.675 (the running sum passes
// 0.680), so the best decay lies there.
TEST_F(DecayRun, FortyOneValuesAtOnePercent) {
  const json& c = Case("forty_one_values");
  ASSERT_FALSE(c.empty());
  EXPECT_EQ(c.at("grid_size"), 9);
  Use(c.at("cells").get<std::vector<double>>());
  RunTool(Language::Portuguese, SettingsOf(c));
  ASSERT_TRUE(boxes.empty());
  const Written sheet = Blocks().at(0);
  EXPECT_EQ(sheet.At(6, 1).integer, 41);
  EXPECT_DOUBLE_EQ(sheet.At(9, 1).number, 0.68);
  EXPECT_GE(sheet.At(11, 1).number, 0.635 - 1e-12);
  EXPECT_LE(sheet.At(11, 1).number, 0.675 + 1e-12);
}

// At 1 % the window of 0.94 is the integer nearest to ln 0.01 / ln 0.94 = 74.43: the SDE shown
// for the best decay 0.940 is the one of a window of 74, not 75. The 112 prices give 111
// returns: the sample shows n - 1.
TEST_F(DecayRun, WindowOfDecay094IsSeventyFour) {
  const json& c = Case("smi_returns_zero_mean");
  ASSERT_FALSE(c.empty());
  ASSERT_EQ(c.at("best_window"), 74);
  const auto cells = c.at("cells").get<std::vector<double>>();
  Use(cells);
  RunTool(Language::English, SettingsOf(c));
  ASSERT_TRUE(boxes.empty());
  const Written sheet = Blocks().at(0);
  EXPECT_EQ(sheet.At(6, 1).integer, static_cast<int>(cells.size()) - 1);
  EXPECT_NEAR(sheet.At(11, 1).number, 0.94, 1e-12);
  EXPECT_TRUE(Near(sheet.At(13, 1).number, c.at("min_sde"), 1e-9)) << "window 74";
  EXPECT_FALSE(Near(sheet.At(13, 1).number, c.at("min_sde_window_75"), 1e-6)) << "window 75";
}

// Rows 0 .. 13 in both languages, by treatment, order and mean; the sample is n - 1 with
// returns, n without.
TEST_F(DecayRun, TextsInBothLanguages) {
  std::vector<double> prices;
  for (int t = 0; t < 50; ++t)
    prices.push_back(100.0 + 5.0 * std::sin(0.7 * t) + 0.1 * t);
  Use(prices);
  // Column 0 of rows 0, 6, 8, 9, 11 and 13, the same for every choice.
  const std::map<Language, std::vector<std::string>> labels{
      {Language::Portuguese,
       {"Análise de Alisamaneto Exponencial (DECAY) Ótimo", "Amostra", "Tolerância", "Decay Máx.",
        "Decay ótimo", "DPE Mín."}},
      {Language::English,
       {"Analysis Exponentially Weighting (DECAY) Volatility", "Sample", "Tolerance", "Max. Decay",
        "Best decay", "Min. SDE"}}};
  struct Expected {
    Language language;
    Settings settings;
    int sample;
    std::vector<std::string> choices; // rows 2, 3 and 4
  };
  const std::vector<Expected> cases{
      {Language::Portuguese,
       {0, true, true, false, false, false},
       49,
       {"Utilizados os retornos logarítmicos dos dados",
        "Ordem por antiguidade - dados mais antigos primeiro",
        "Média NÃO nula para cálculos de variância"}},
      {Language::Portuguese,
       {1, true, false, true, true, true},
       49,
       {"Utilizados os retornos dos dados", "Ordem inversa - dados mais recentes primeiro",
        "Média nula para cálculos de variância"}},
      {Language::English,
       {0, true, true, true, false, false},
       49,
       {"Using log-returns for asset prices", "Reverse order - recent data appears first",
        "Mean NOT null for variance calculations"}},
      {Language::English,
       {8, false, false, false, true, false},
       50,
       {"No treatment for historic data", "Order by age - older data appears first",
        "Null mean for variance calculations"}},
  };
  for (const Expected& e : cases) {
    RunTool(e.language, e.settings);
    ASSERT_TRUE(boxes.empty());
    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    const unsigned labelled[] = {0, 6, 8, 9, 11, 13};
    for (std::size_t i = 0; i < std::size(labelled); ++i)
      EXPECT_EQ(blocks[0].At(labelled[i], 0).Utf8(), labels.at(e.language)[i]) << labelled[i];
    for (unsigned row = 2; row <= 4; ++row)
      EXPECT_EQ(blocks[0].At(row, 0).Utf8(), e.choices[row - 2]) << row;
    for (unsigned row : {1u, 5u, 7u, 10u, 12u})
      EXPECT_EQ(blocks[0].At(row, 0).BaseType(), xltypeNil) << row;
    EXPECT_EQ(blocks[0].At(6, 1).integer, e.sample);
    const bool pt = e.language == Language::Portuguese;
    EXPECT_EQ(blocks[1].At(0, 0).Utf8(),
              pt ? "Previsão RiskMetrics da variância um dia à frente (0,800 a 0,999)"
                 : "RiskMetrics one-day-ahead variance forecast (0.800 to 0.999)");
    EXPECT_EQ(blocks[1].At(1, 0).Utf8(), pt ? "Decay RMSE" : "RMSE decay");
    EXPECT_EQ(blocks[1].At(2, 0).Utf8(), pt ? "RMSE Mín." : "Min. RMSE");
  }
}

// Returns of a zero or negative price are not returns: the run ends with the tool's message
// after the workbook was opened, in either language, and no number is written. A price list
// without returns may hold them.
TEST_F(DecayRun, NonPositivePricesEndWithTheMessage) {
  std::vector<double> prices;
  for (int t = 0; t < 45; ++t)
    prices.push_back(50.0 + std::cos(0.3 * t));
  // The price changed, its new value and whether log returns are asked. A zero last price under
  // simple returns is only a numerator (a return of -1, a number), and is refused all the same.
  struct Change {
    std::size_t at;
    double first;
    bool second;
  };
  const std::map<std::string, Change> cases{{"zero, simple returns", {17, 0.0, false}},
                                            {"zero, log returns", {17, 0.0, true}},
                                            {"negative, simple returns", {17, -2.0, false}},
                                            {"negative, log returns", {17, -2.0, true}},
                                            {"zero last, simple returns", {44, 0.0, false}},
                                            {"zero first, simple returns", {0, 0.0, false}}};
  for (const auto& [name, change] : cases) {
    std::vector<double> x = prices;
    x[change.at] = change.first;
    Use(x);
    for (auto [language, text] :
         {std::pair{Language::Portuguese, kFailurePt}, {Language::English, kFailureEn}}) {
      RunTool(language, {0, true, change.second, false, false, false});
      ASSERT_EQ(boxes.size(), 1u) << name;
      EXPECT_EQ(boxes[0].title, language == Language::English ? "Warning" : "Atenção");
      EXPECT_EQ(boxes[0].text, text);
      EXPECT_TRUE(Opened()) << name;
      EXPECT_TRUE(Blocks().empty()) << name << ": nothing is written after the failure";
    }
  }
  std::vector<double> x = prices;
  x[17] = -2.0;
  Use(x);
  RunTool(Language::English, {0, false, false, false, false, false});
  EXPECT_TRUE(boxes.empty()) << "values used as they are may be negative";
  EXPECT_EQ(Blocks().size(), 2u);
}

// Log returns of DAX closes at 1 %, in black and white and English: the whole run.
TEST_F(DecayRun, BlackAndWhiteEnglishTranscript) {
  const json& c = Case("dax_log_returns_newest_first");
  ASSERT_FALSE(c.empty());
  Use(c.at("cells").get<std::vector<double>>());
  Settings chosen = SettingsOf(c);
  chosen.tol_item = 0;
  chosen.black_and_white = true;
  const auto sent = RunTool(Language::English, chosen);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(kvtest::GoldenDifference(sent, "decay_bw_en.txt"), "");
  kvtest::ExpectBlackAndWhite(sent);
}
