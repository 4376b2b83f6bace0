// The conditional-volatility tool from OK to the last call: the sheet against the maxima that
// scipy finds for the same likelihood and R fGarch's GARCH(1,1) (tests/reference/data/
// arch.json), the chart data, the best-model search, the messages, and two golden call
// sequences in tests/unit/golden (one call per line).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "Arch/Arch.h"
#include "Funcoes/ArchPolimento.h"
#include "Funcoes/EstatisticasArch.h"
#include "Lancamento.h"
#include "Tabelas.h"
#include "forms/ModalView.h"
#include "kvplatform/modal.h"
#include "support/call_transcript.h"
#include "support/excel_functions.h"
#include "support/recording_dispatcher.h"
#include "support/reference_data.h"
#include "support/tool_run.h"
#include "support/xloper_builders.h"

using kvtest::Call;
using kvtest::RecordingDispatcher;
using nlohmann::json;

namespace {
const json& Reference() {
  return kvtest::ReferenceFile("arch.json");
}

std::vector<double> DaxReturns() {
  return Reference()["dax_log_returns"].get<std::vector<double>>();
}

// Prices whose log returns are `returns`, from 100.
std::vector<double> Prices(const std::vector<double>& returns) {
  std::vector<double> prices{100};
  for (double r : returns)
    prices.push_back(prices.back() * std::exp(r));
  return prices;
}

// The dialog set as a person sets it. Returns and log returns start ticked.
struct Settings {
  int model = 1;  // r_grupo's item; -1 for best-model mode
  int q_item = 0; // c_q's item (order q - 1)
  int p_item = 0;
  std::vector<const char*> models; // best-model mode: the boxes ticked
  int criterion = 0;
  bool returns = true, log = true, reverse = false, chart = false, black_and_white = false;
};

const char* const kNoConvergencePt =
    "Erro de convergência!\n\nO modelo da família ARCH escolhido para determinação da "
    "volatilidade condicional não convergiu!\n\nOs resultados apresentados são os últimos números "
    "do processo iterativo!";
const char* const kFailureEn =
    "Some errors occurred during ARCH family calculations.\n\nPlease, disregard any results and "
    "try again or contact Corvane Lathi for assistance.";
const char* const kLogFailureEn =
    "Some errors occurred during log calculations.\n\nPlease, check if data is already log asset "
    "returns and uncheck equivalent option in settings.";

using Written = kvtest::WrittenBlock;

class ArchRun : public ::testing::Test {
protected:
  void SetUp() override {
    kvtest::AnswerSelection(excel, &selected);
    kvtest::AnswerColumn(excel, &values);
    // CHIDIST(x, 1), the upper tail of chi-square with one degree of freedom, is erfc(sqrt(x/2)).
    excel.Script(xlfChidist, [](const Call& call, LPXLOPER result) {
      if (call.args.size() != 2 || call.args[1].number != 1) return static_cast<int>(xlretFailed);
      *result = kvtest::Num(std::erfc(std::sqrt(call.args[0].number / 2)));
      return static_cast<int>(xlretSuccess);
    });
    kvtest::AnswerResultWorkbook(excel);
  }
  static void Drive(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
    auto& test = *static_cast<ArchRun*>(context);
    const Settings& s = test.settings;
    std::string why;
    bool ok = true;
    auto click = [&](const char* control) {
      if (ok) ok = form.Click(control, why);
    };
    auto set = [&](const char* control, int item) {
      if (ok) ok = form.SetValue(control, std::to_string(item), why);
    };
    if (s.model >= 0) {
      set("r_grupo", s.model);
    } else {
      click("o_melhor");
      for (const char* box : s.models)
        click(box);
      set("r_akaike", s.criterion);
    }
    set("c_q", s.q_item);
    if (s.model != 0) set("c_p", s.p_item);
    if (!s.log) click("o_log");
    if (!s.returns) click("o_retorno");
    for (const auto& [flag, control] :
         {std::pair{s.reverse, "o_inversa"}, std::pair{s.chart, "o_graf"},
          std::pair{s.black_and_white, "o_cores"}})
      if (flag) click(control);
    test.pressed_at = test.excel.calls().size();
    kvtest::PressOkOrClose(form, ok, why, test.refusal);
  }
  void Use(std::vector<double> column) {
    values = std::move(column);
    selected = XLREF{1, static_cast<std::uint16_t>(values.size()), 0, 0};
  }
  std::vector<std::string> RunTool(Language language, const Settings& chosen) {
    CurrentLanguage = language;
    settings = chosen;
    excel.Clear();
    boxes.clear();
    kvtest::MarkNewWorkbook(excel, ok_at);
    EXPECT_EQ(kv_chama_arch(), 1);
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(f_arch, nullptr) << "the dialog is released when the run ends";
    return kvtest::Transcript(kvtest::CallsFrom(excel, ok_at));
  }
  // The calls from OK on: Excel's p-values, then the workbook.
  std::vector<std::string> FromOk() const {
    return kvtest::Transcript(kvtest::CallsFrom(excel, pressed_at));
  }
  std::vector<Written> Blocks() const { return kvtest::WrittenBlocks(excel); }
  // The blocks of the result sheet: heading, parameter table, criteria.
  const Written& Table() const {
    blocks_ = Blocks();
    return blocks_.at(1);
  }
  std::vector<std::string> SheetNames() const {
    std::vector<std::string> names;
    for (const Call& call : excel.CallsTo(xlcWorkbookName))
      names.push_back(call.args.at(1).Utf8());
    return names;
  }
  std::vector<std::string> StatusTexts() const {
    std::vector<std::string> texts;
    for (const Call& call : excel.CallsTo(xlcMessage))
      texts.push_back(call.args.size() > 1 ? call.args[1].Utf8() : "(cleared)");
    return texts;
  }

  RecordingDispatcher excel;
  XLREF selected{};
  std::vector<double> values;
  Settings settings;
  std::string refusal;
  kvtest::ToolRunHooks hooks{&Drive, this};
  std::vector<kvtest::ShownBox>& boxes = hooks.boxes;
  std::size_t ok_at = 0;
  std::size_t pressed_at = 0;
  mutable std::vector<Written> blocks_;
};

// The parameters, in the order of the table's rows 1 ..
std::vector<double> Parameters(const Written& table, std::size_t count) {
  std::vector<double> theta;
  for (unsigned i = 1; i <= count; ++i)
    theta.push_back(table.At(i, 1).number);
  return theta;
}

const json& Maximum(const std::string& name) {
  for (const char* list : {"maxima", "tool_maxima"})
    for (const json& m : kvtest::ReferenceCases("arch.json", list))
      if (m["name"] == name && m["scale"] == "units") return m;
  static const json none = json::object();
  ADD_FAILURE() << "no maximum for " << name;
  return none;
}
} // namespace

// Single fits on the 1,859 DAX log returns (from the prices): ARCH(2), GARCH(1,1), EGARCH(1,1)
// and GJR(1,1). The log-likelihood on the sheet is within 0.01 of the maximum scipy finds from
// several starts, the tests are those of the written parameters with CHIDIST's p, and GARCH(1,1)
// agrees with fGarch's alpha and beta.
TEST_F(ArchRun, SingleFitsReachTheMaximum) {
  Use(Prices(DaxReturns()));
  struct Case {
    int model;
    int q_item, p_item;
    const char* name;
    const char* sheet;
  };
  for (const Case& c :
       {Case{1, 0, 0, "GARCH(1,1)", "GARCH (1,1)"}, Case{3, 0, 0, "EGARCH(1,1)", "EGARCH (1,1)"},
        Case{4, 0, 0, "GJR(1,1)", "GJR (1,1)"}}) {
    Settings s;
    s.model = c.model;
    s.q_item = c.q_item;
    s.p_item = c.p_item;
    RunTool(Language::English, s);
    ASSERT_TRUE(boxes.empty()) << c.name;
    EXPECT_EQ(SheetNames().at(0), c.sheet);
    const Written& table = Table();
    const EspecArch m = espec_arch(static_cast<ModeloArch>(c.model), c.q_item + 1, c.p_item + 1);
    const std::size_t n = static_cast<std::size_t>(m.parametros());
    const double ll = table.At(static_cast<unsigned>(n + 6), 1).number;
    const json& best = Maximum(c.name);
    ASSERT_FALSE(best.empty());
    EXPECT_GT(ll, best["ll"].get<double>() - 0.01) << c.name;
    const auto theta = Parameters(table, n);
    const std::vector<double> x = DaxReturns();
    const auto lr = razoes_verossimilhanca(m, x, theta);
    for (unsigned i = 0; i < n; ++i) {
      ASSERT_GT(lr[i], 0) << c.name << " " << i;
      EXPECT_NEAR(table.At(i + 1, 2).number, lr[i], 1e-9 * lr[i]);
      const double p = std::erfc(std::sqrt(lr[i] / 2));
      EXPECT_NEAR(table.At(i + 1, 3).number, p, 1e-6 * p);
    }
    if (c.model == 1) {
      // R fGarch's estimates (in percent) are a point of this likelihood too, and no higher:
      // its recursion starts elsewhere, so its maximum is not this one.
      const auto fgarch = Reference()["fgarch_garch11_percent"];
      const std::vector<double> at_fgarch{fgarch["omega"].get<double>() * 1e-4,
                                          fgarch["alpha"].get<double>(),
                                          fgarch["beta"].get<double>()};
      EXPECT_GE(ll, log_verossimilhanca(ModeloArch::Garch, 1, 0, 1, x, at_fgarch));
    }
  }
}

// ARCH has no order p: the sheet is "ARCH (2)" for q = 2 and its rows are A0, A1, A2. With returns
// unticked but log returns still ticked, the volatilities are turned into simple returns all the
// same.
TEST_F(ArchRun, ArchOfOrderTwoOnValuesAsGiven) {
  const auto all = DaxReturns();
  const std::vector<double> x(all.begin(), all.begin() + 400);
  Use(x);
  Settings s;
  s.model = 0;
  s.q_item = 1;
  s.returns = false;
  RunTool(Language::Portuguese, s);
  ASSERT_TRUE(boxes.empty());
  EXPECT_EQ(SheetNames().at(0), "ARCH (2)");
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].At(4, 0).Utf8(), "Dados históricos diretamente utilizados");
  EXPECT_EQ(blocks[0].At(7, 1).integer, 400);
  EXPECT_EQ(blocks[0].At(9, 1).integer, 3);
  const Written& table = blocks[1];
  EXPECT_EQ(table.rect.rwFirst, 11);
  EXPECT_EQ(table.values.rows, 3u + 7u);
  EXPECT_EQ(table.At(0, 0).Utf8(), "ARCH (2)");
  EXPECT_EQ(table.At(0, 3).Utf8(), "p(qui-2)");
  for (unsigned i = 0; i < 3; ++i)
    EXPECT_EQ(table.At(i + 1, 0).Utf8(), "A" + std::to_string(i));
  const EspecArch m{ModeloArch::Arch, 2, 0, 0};
  const auto theta = Parameters(table, 3);
  const auto h = variancias_condicionais(m, x, theta);
  EXPECT_DOUBLE_EQ(table.At(5, 1).number, std::expm1(std::sqrt(h.back())));
  ASSERT_TRUE(estacionario(m, theta));
  EXPECT_DOUBLE_EQ(table.At(7, 1).number,
                   std::expm1(std::sqrt(theta[0] / (1 - theta[1] - theta[2]))));
  EXPECT_EQ(table.At(4, 0).BaseType(), xltypeNil) << "converged: the status row is empty";
  EXPECT_EQ(blocks[2].rect.rwFirst, 11 + 10 + 1) << "criteria after one empty row";
}

// 300 values with a stationary GARCH(1,1): the chart data show the last 230 observations and
// 20 projected points; the first projection row carries h(T) as both conditional and
// projected volatility; everything plotted as exp(v) - 1.
TEST_F(ArchRun, ChartDataOfAStationaryFit) {
  const auto all = DaxReturns();
  const std::vector<double> x(all.end() - 300, all.end());
  Use(x);
  Settings s;
  s.returns = false;
  s.log = false;
  s.chart = true;
  RunTool(Language::English, s);
  ASSERT_TRUE(boxes.empty());
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 5u) << "heading, table, criteria, chart heading, chart data";
  const EspecArch m{ModeloArch::Garch, 1, 0, 1};
  const auto theta = Parameters(blocks[1], 3);
  ASSERT_TRUE(estacionario(m, theta));
  const auto h = variancias_condicionais(m, x, theta);
  const std::vector<double> ahead = *variancias_projetadas(m, x, theta, 20);
  const double unconditional = blocks[1].At(7, 1).number;
  EXPECT_DOUBLE_EQ(unconditional, std::sqrt(theta[0] / (1 - theta[1] - theta[2])))
      << "not converted without log returns";

  EXPECT_EQ(blocks[3].At(2, 4).Utf8(), "Projected");
  const Written& data = blocks[4];
  EXPECT_EQ(data.rect.rwFirst, 3);
  ASSERT_EQ(data.values.rows, 250u);
  ASSERT_EQ(data.values.columns, 5u);
  for (unsigned row = 0; row < 250; ++row) {
    EXPECT_EQ(data.At(row, 0).integer, static_cast<int>(row + 1));
    EXPECT_DOUBLE_EQ(data.At(row, 3).number, unconditional);
    const std::size_t t = 300 - 230 + row;
    if (row < 230) {
      EXPECT_DOUBLE_EQ(data.At(row, 1).number, std::expm1(x[t])) << row;
      EXPECT_DOUBLE_EQ(data.At(row, 2).number, std::expm1(std::sqrt(h[t]))) << row;
      EXPECT_EQ(data.At(row, 4).BaseType(), xltypeNil) << row;
      continue;
    }
    EXPECT_EQ(data.At(row, 1).BaseType(), xltypeNil) << row;
    EXPECT_DOUBLE_EQ(data.At(row, 4).number, std::expm1(std::sqrt(ahead[row - 230]))) << row;
    if (row == 230)
      EXPECT_DOUBLE_EQ(data.At(row, 2).number, std::expm1(std::sqrt(h[300])));
    else
      EXPECT_EQ(data.At(row, 2).BaseType(), xltypeNil) << row;
  }
  EXPECT_EQ(excel.CallsTo(xlcEditSeriesIntl).size(), 4u);
  EXPECT_EQ(excel.CallsTo(xlcEditSeriesIntl)[3].args.at(3).Utf8(), "=Auxiliar!R4C5:R253C5");
}

// EGARCH and GJR have no unconditional volatility: its cell is empty and the chart shows the
// returns and the conditional volatility alone, over all T points when T < 250.
TEST_F(ArchRun, AsymmetricModelsHaveNoUnconditionalVolatility) {
  const auto all = DaxReturns();
  Use(Prices(std::vector<double>(all.begin(), all.begin() + 200)));
  for (int model : {3, 4}) {
    Settings s;
    s.model = model;
    s.chart = true;
    RunTool(Language::English, s);
    ASSERT_TRUE(boxes.empty());
    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks[1].At(8, 0).Utf8(), "Unc. Vol.");
    EXPECT_EQ(blocks[1].At(8, 1).BaseType(), xltypeNil) << model;
    EXPECT_EQ(blocks[4].values.rows, 200u);
    EXPECT_EQ(blocks[4].values.columns, 3u);
    EXPECT_EQ(excel.CallsTo(xlcEditSeriesIntl).size(), 2u);
  }
}

// A fit whose search stopped at the iteration limit and whose polish did not reach a maximum
// either is told, and shown as it stands with the status row.
TEST_F(ArchRun, NonConvergenceIsToldAndMarked) {
  std::vector<double> x(30);
  for (int t = 0; t < 30; ++t)
    x[static_cast<std::size_t>(t)] = std::sin(t * 2.7) + 0.4 * std::cos(0.37 * t * t);
  const AjusteArch fit = ajusta_arch(espec_arch(ModeloArch::Egarch, 1, 1), x);
  ASSERT_EQ(fit.resultado, -1) << "the series must stop EGARCH(1,1) at the iteration limit";
  ASSERT_FALSE(fit.polimento_convergiu) << "and its polish short of a maximum";
  Use(x);
  Settings s;
  s.model = 3;
  s.returns = false;
  RunTool(Language::Portuguese, s);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Atenção");
  EXPECT_EQ(boxes[0].text, kNoConvergencePt);
  const Written& table = Table();
  EXPECT_EQ(table.At(5, 0).Utf8(), "NÃO CONVERGENTE");
  EXPECT_EQ(Parameters(table, 4), fit.theta);
  EXPECT_EQ(table.At(10, 1).number, fit.LL);
}

// What cannot be fitted ends with a message: a zero price under log returns (the logarithm's
// message), a zero price under simple returns (an infinite return), constant prices (returns
// of no variance) and best-model mode with maxima of 1 (no order pair left).
TEST_F(ArchRun, SeriesAndChoicesThatCannotBeFitted) {
  const auto all = DaxReturns();
  std::vector<double> prices = Prices(std::vector<double>(all.begin(), all.begin() + 50));
  prices[20] = 0;
  Use(prices);
  Settings s;
  RunTool(Language::English, s);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kLogFailureEn);
  EXPECT_TRUE(Blocks().empty());
  s.log = false;
  RunTool(Language::English, s);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kFailureEn);
  prices[20] = -3;
  Use(prices);
  s.log = true;
  RunTool(Language::English, s);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kLogFailureEn);

  // Constant prices: returns all zero, no variance to follow; the general message.
  Use(std::vector<double>(50, 100.0));
  RunTool(Language::English, s);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kFailureEn);

  prices[20] = 50;
  Use(prices);
  Settings best;
  best.model = -1;
  best.models = {"o_garch", "o_egarch"};
  RunTool(Language::English, best);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kFailureEn);
  EXPECT_EQ(SheetNames().at(0), "Best ARCH");
}

// ARCH and GARCH up to q = 2, p = 1 on the DAX returns: GARCH(2,1) reaches no higher than
// GARCH(1,1), so both criteria take GARCH(1,1), each marking its own label. The progress shows
// each of the 7 candidates, and the status bar is given back at the end.
TEST_F(ArchRun, BestModelByAicAndBic) {
  Use(Prices(DaxReturns()));
  Settings s;
  s.model = -1;
  s.models = {"o_arch", "o_garch"};
  s.q_item = 2;
  s.p_item = 1;
  const std::pair<int, const char*> criteria[] = {{0, "GARCH (1,1)"}, {2, "GARCH (1,1)"}};
  for (const auto& [criterion, winner] : criteria) {
    s.criterion = criterion;
    RunTool(Language::English, s);
    ASSERT_TRUE(boxes.empty());
    EXPECT_EQ(SheetNames().at(0), "Best ARCH");
    const auto blocks = Blocks();
    EXPECT_EQ(blocks[0].At(0, 0).Utf8(),
              "Conditional Volatility - ARCH Family - Best model (AIC,AICc e BIC criteria)");
    EXPECT_EQ(blocks[0].At(2, 0).Utf8(), winner);
    EXPECT_EQ(blocks[1].At(0, 0).Utf8(), winner);
    EXPECT_EQ(blocks[2].At(0, 0).Utf8(), criterion == 0 ? "AIC (min)" : "AIC");
    EXPECT_EQ(blocks[2].At(2, 0).Utf8(), criterion == 2 ? "BIC(min)" : "BIC");
    const auto texts = StatusTexts();
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[0].rfind("Best ARCH model: 1 of 7 — ", 0), 0u) << texts[0];
    EXPECT_EQ(texts[6].rfind("Best ARCH model: 7 of 7 — ", 0), 0u) << texts[6];
    EXPECT_EQ(texts[7], "(cleared)");
  }
}

// A GARCH(1,1) of 60 prices with its chart, in colour and Portuguese: the whole run.
TEST_F(ArchRun, ColourPortugueseTranscript) {
  const auto all = DaxReturns();
  Use(Prices(std::vector<double>(all.begin(), all.begin() + 59)));
  Settings s;
  s.chart = true;
  RunTool(Language::Portuguese, s);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(kvtest::GoldenDifference(FromOk(), "arch_colour_pt.txt"), "");
}

// The best of GARCH and GJR up to (1,1) on 60 prices, in black and white and English, with the
// chart: the whole run.
TEST_F(ArchRun, BestModelBlackAndWhiteEnglishTranscript) {
  const auto all = DaxReturns();
  Use(Prices(std::vector<double>(all.begin() + 100, all.begin() + 159)));
  Settings s;
  s.model = -1;
  s.models = {"o_garch", "o_gjr"};
  s.q_item = 1;
  s.p_item = 1;
  s.criterion = 1;
  s.chart = true;
  s.black_and_white = true;
  RunTool(Language::English, s);
  std::vector<std::string> sent = FromOk();
  EXPECT_TRUE(boxes.empty());
  // The fits end in whatever order the threads finish them, and the status bar names each as
  // it ends: the progress is checked above, the rest call by call.
  const std::string message = std::string(kvtest::ExcelFunctionName(xlcMessage)) + "(";
  std::erase_if(sent, [&](const std::string& call) { return call.rfind(message, 0) == 0; });
  EXPECT_EQ(kvtest::GoldenDifference(sent, "arch_best_bw_en.txt"), "");
  kvtest::ExpectBlackAndWhite(sent);
}

// The new options as a person sets them, read on OK: "All" is offered in the distributions only
// in best-model mode and leaving that mode falls back to the Gaussian; the horizon takes typed
// digits and the arrows within 0 .. 250.
TEST(ArchDialog, DistributionErrorsHorizonAndBacktestAreRead) {
  for (Language language : {Language::Portuguese, Language::English}) {
    CurrentLanguage = language;
    Tf_arch dialog;
    if (language == Language::English) dialog.UseEnglish();
    dialog.SetDefaults(100);
    forms::ModalView view(dialog);
    std::string why;
    const arch::Settings defaults = ReadArchSettings(dialog);
    EXPECT_EQ(defaults.distribution, DistribuicaoArch::Normal);
    EXPECT_FALSE(defaults.all_distributions || defaults.standard_errors || defaults.backtest);
    EXPECT_EQ(defaults.horizon, 0);

    EXPECT_FALSE(view.SetValue("c_dist", "3", why)) << "no \"All\" outside best-model mode";
    ASSERT_TRUE(view.SetValue("c_dist", "1", why)) << why;
    ASSERT_TRUE(view.Click("o_erros", why) && view.Click("o_backtest", why)) << why;
    ASSERT_TRUE(view.SetValue("horizonte", "300", why)) << why;
    EXPECT_EQ(dialog.horizonte->Text(), "250");
    ASSERT_TRUE(view.ClickUpDown("seta", true, why) && view.ClickUpDown("seta", false, why));
    EXPECT_EQ(dialog.horizonte->Text(), "249");
    arch::Settings s = ReadArchSettings(dialog);
    EXPECT_EQ(s.distribution, DistribuicaoArch::Student);
    EXPECT_FALSE(s.all_distributions);
    EXPECT_TRUE(s.standard_errors && s.backtest);
    EXPECT_EQ(s.horizon, 249);

    ASSERT_TRUE(view.Click("o_melhor", why) && view.SetValue("c_dist", "3", why)) << why;
    EXPECT_EQ(dialog.c_dist->Items.at(3),
              language == Language::English ? "All (best model)" : "Todas (melhor modelo)");
    EXPECT_TRUE(ReadArchSettings(dialog).all_distributions);
    ASSERT_TRUE(view.Click("o_melhor", why)) << why;
    EXPECT_EQ(dialog.c_dist->Items.size(), 3u);
    s = ReadArchSettings(dialog);
    EXPECT_EQ(s.distribution, DistribuicaoArch::Normal);
    EXPECT_FALSE(s.all_distributions);
    ASSERT_TRUE(view.SetValue("c_dist", "2", why) && view.SetValue("horizonte", "12", why));
    s = ReadArchSettings(dialog);
    EXPECT_EQ(s.distribution, DistribuicaoArch::Ged);
    EXPECT_EQ(s.horizon, 12);
  }
}
