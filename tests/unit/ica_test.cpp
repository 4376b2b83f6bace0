// The independent component tool: its analysis against numpy and scikit-learn (references made
// by tests/reference/generate_ica.py), its guards, and whole runs from OK to the last call,
// compared with golden call sequences in tests/unit/golden (one call per line).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "Funcoes/ComponentesIndependentes.h"
#include "Ica/Analise.h"
#include "Ica/Folha.h"
#include "Ica/Ica.h"
#include "Lancamento.h"
#include "Tabelas.h"
#include "kvplatform/ansi.h"
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

// |computed - expected| within `relative` of the expected value (or of 1 below it).
::testing::AssertionResult Near(double computed, double expected, double relative) {
  return kvtest::Near(computed, expected, relative * std::max(1.0, std::fabs(expected)));
}

// Each computed source paired with the reference signal it correlates with most (each
// reference used once): the lowest |correlation| over the pairs.
double LowestMatch(const Matriz& ours, const Matriz& theirs) {
  std::vector<bool> used(theirs.size(), false);
  double lowest = 1;
  for (const auto& source : ours) {
    std::size_t best = theirs.size();
    double best_r = -1;
    for (std::size_t l = 0; l < theirs.size(); ++l) {
      const double r = std::fabs(kvtest::Correlation(source, theirs[l]));
      if (!used[l] && r > best_r) best = l, best_r = r;
    }
    if (best == theirs.size()) return 0;
    used[best] = true;
    lowest = std::min(lowest, best_r);
  }
  return lowest;
}

// n observations of signals that are independent and far from Gaussian.
Matriz Mixed(std::size_t n, std::size_t p) {
  Matriz x(n, std::vector<double>(p));
  for (std::size_t t = 0; t < n; ++t)
    for (std::size_t j = 0; j < p; ++j) {
      const double s = std::sin(static_cast<double>(t * (j + 2)) / 7.0 + static_cast<double>(j));
      x[t][j] = s + 0.3 * static_cast<double>(j % 3) * std::fmod(static_cast<double>(t) / 5.0, 1.0);
    }
  return x;
}

} // namespace

// Data summary, eigenvalues and sources of mixtures of a sine, a square wave, uniform noise and a
// sawtooth, against numpy and against scikit-learn's FastICA (which centres and whitens on its
// own) and the true signals, up to order, sign and scale.
TEST(IcaAnalysis, AgreesWithIndependentReferences) {
  for (const json& c : kvtest::ReferenceCases("ica.json", "cases", 2)) {
    const std::string name = c.at("name");
    const auto x = c.at("data").get<Matriz>();
    const std::size_t p = Columns(x);
    const auto analysis = componentes_independentes(x, static_cast<std::uint32_t>(p));
    ASSERT_TRUE(analysis.ok()) << name << ": " << descricao(analysis.motivo());
    const AnaliseIca& r = *analysis;
    for (std::size_t j = 0; j < p; ++j) {
      EXPECT_TRUE(Near(r.medias[j], c.at("means")[j], 1e-13)) << name + " mean";
      EXPECT_TRUE(Near(r.desvios[j], c.at("sd")[j], 1e-11)) << name + " sd";
      for (std::size_t i = 0; i < p; ++i)
        EXPECT_TRUE(Near(r.covariancia[i][j], c.at("covariance")[i][j], 1e-10)) << name + " cov";
    }
    const auto eigen = c.at("eigenvalues").get<std::vector<double>>();
    ASSERT_EQ(r.autovalores.size(), p) << name;
    for (std::size_t j = 0; j < p; ++j)
      EXPECT_TRUE(kvtest::Near(r.autovalores[j], eigen[j], 1e-9 * eigen[0]))
          << name + " eigenvalue";
    ASSERT_EQ(Rows(r.fontes), p) << name;
    ASSERT_EQ(Columns(r.fontes), Rows(x)) << name;
    const double sklearn = LowestMatch(r.fontes, c.at("sklearn_sources").get<Matriz>());
    const double truth = LowestMatch(r.fontes, c.at("true_sources").get<Matriz>());
    EXPECT_GE(sklearn, 0.999) << name << ": lowest |correlation| with scikit-learn's sources";
    EXPECT_GE(truth, 0.999) << name << ": lowest |correlation| with the true signals";
    RecordProperty(name, "scikit-learn " + std::to_string(sklearn) + ", true signals " +
                             std::to_string(truth));
  }
}

// A constant signal, two identical signals and a signal that is the sum of two others leave an
// eigenvalue of the covariance matrix that is zero up to rounding: the analysis stops before
// the whitening divides by its square root.
TEST(IcaAnalysis, SingularCovarianceStopsBeforeWhitening) {
  const Matriz base = Mixed(200, 3);
  auto with = [&](auto change) {
    Matriz x = base;
    for (auto& row : x)
      change(row);
    return x;
  };
  const std::map<std::string, Matriz> cases{
      {"constant", with([](std::vector<double>& row) { row[1] = 4.25; })},
      {"identical", with([](std::vector<double>& row) { row[2] = row[0]; })},
      {"sum", with([](std::vector<double>& row) { row[2] = row[0] + row[1]; })},
      {"zero", with([](std::vector<double>& row) { row.assign(row.size(), 0.0); })}};
  for (const auto& [name, x] : cases) {
    const auto analysis = componentes_independentes(x, 3);
    ASSERT_FALSE(analysis.ok()) << name;
    EXPECT_EQ(analysis.motivo().etapa, EtapaIca::AutovalorNaoPositivo)
        << name << ": " << descricao(analysis.motivo());
  }
  EXPECT_TRUE(componentes_independentes(base, 3).ok()) << "the data the cases start from";
}

// The zero-eigenvalue test is relative to the largest eigenvalue: data of a small unit (times
// 1e-4 or 1e-8, covariances near 1e-8 or 1e-16) give the same components as the data themselves,
// and the sources (in whitened units) the same values, to rounding; the mixing matrix scales with
// the data. Singular data stay singular at that scale.
TEST(IcaAnalysis, SmallUnitsGiveTheSameComponents) {
  const Matriz x = Mixed(200, 3);
  const auto plain = componentes_independentes(x, 3);
  ASSERT_TRUE(plain.ok()) << descricao(plain.motivo());
  for (double factor : {1e-4, 1e-8}) {
    Matriz small = x;
    for (auto& row : small)
      for (double& v : row)
        v *= factor;
    const auto scaled = componentes_independentes(small, 3);
    ASSERT_TRUE(scaled.ok()) << factor << ": " << descricao(scaled.motivo());
    for (std::size_t q = 0; q < 3; ++q) {
      for (std::size_t t = 0; t < Columns(plain->fontes); ++t)
        ASSERT_NEAR(scaled->fontes[q][t], plain->fontes[q][t], 1e-8)
            << factor << ": source " << q << ", " << t;
      for (std::size_t j = 0; j < 3; ++j)
        EXPECT_NEAR(scaled->mixing[j][q], plain->mixing[j][q] * factor, 1e-8 * factor)
            << factor << ": A(" << j << ", " << q << ")";
    }
    for (auto& row : small)
      row[2] = row[0] + row[1];
    const auto singular = componentes_independentes(small, 3);
    ASSERT_FALSE(singular.ok()) << factor;
    EXPECT_EQ(singular.motivo().etapa, EtapaIca::AutovalorNaoPositivo) << factor;
  }
}

// Without the limit every signal is a component, but never more than 99; k outside 1 .. p and
// data without two observations are refused.
TEST(IcaAnalysis, NumberOfComponents) {
  EXPECT_EQ(numero_de_componentes(120, false, 0), 99u);
  EXPECT_EQ(numero_de_componentes(99, false, 7), 99u);
  EXPECT_EQ(numero_de_componentes(5, false, 2), 5u);
  EXPECT_EQ(numero_de_componentes(5, true, 2), 2u);
  EXPECT_EQ(numero_de_componentes(5, true, -1), 0u);

  const Matriz x = Mixed(150, 4);
  const std::pair<Matriz, std::uint32_t> refused[] = {
      {x, 0}, {x, 5}, {Matriz{{1, 2}}, 1}, {Matriz{{1, 2}, {3}}, 1}, {Matriz{{}, {}}, 1}};
  for (const auto& [data, k] : refused) {
    const auto analysis = componentes_independentes(data, k);
    ASSERT_FALSE(analysis.ok()) << Rows(data) << " x " << Columns(data) << ", k = " << k;
    EXPECT_EQ(analysis.motivo().etapa, EtapaIca::Dimensoes) << k;
  }
}

// With k < p all p directions are whitened and k components extracted: A is p x k, W is k x p, S
// is k x n, and they are the first k of the full run (deflation extracts them in order).
TEST(IcaAnalysis, FewerComponentsThanSignals) {
  const Matriz x = Mixed(300, 4);
  const auto full = componentes_independentes(x, 4), limited = componentes_independentes(x, 2);
  ASSERT_TRUE(full.ok() && limited.ok());
  const AnaliseIca &all = *full, &two = *limited;
  EXPECT_EQ(Rows(two.mixing), 4u);
  EXPECT_EQ(Columns(two.mixing), 2u);
  EXPECT_EQ(Rows(two.demixing), 2u);
  EXPECT_EQ(Columns(two.demixing), 4u);
  EXPECT_EQ(Rows(two.fontes), 2u);
  EXPECT_EQ(Columns(two.fontes), 300u);
  EXPECT_EQ(two.branqueamento, all.branqueamento);
  for (std::size_t q = 0; q < 2; ++q) {
    EXPECT_EQ(two.demixing[q], all.demixing[q]) << q;
    EXPECT_EQ(two.fontes[q], all.fontes[q]) << q;
  }
}

// The convergence report goes one empty row below the last block written (the sources, the
// matrices or the eigenvalues), one row per component; an abandoned component reads "No" whatever
// its change; and the rows it takes leave fewer observations room for their sources.
TEST(IcaSheet, ConvergenceReportBelowTheLastBlock) {
  const Matriz x = Mixed(40, 3);
  ica::Settings settings;
  settings.limited = true;
  settings.limit = 2;
  settings.convergence = true;
  auto analysis = ica::Analyse(settings, x);
  ASSERT_TRUE(analysis.ok());
  ASSERT_EQ(analysis->componentes.size(), 2u);
  analysis->componentes[1].fim = FimComponente::Abandonado;
  analysis->componentes[1].iteracoes = 9999;
  analysis->componentes[1].variacao = 2e-5; // below the tolerance, but never tested twice
  const Language before = CurrentLanguage;
  for (const bool sources : {false, true}) {
    settings.sources = sources;
    for (const Language language : {Language::English, Language::Portuguese}) {
      CurrentLanguage = language;
      const bool en = language == Language::English;
      const ica::Layout layout = ica::PlaceBlocks(settings, 3, 40);
      const ResultBook book = ica::Sheet(settings, layout, *analysis);
      const auto& blocks = std::get<Worksheet>(book.sheets.at(0)).blocks;
      const Block& above = blocks[blocks.size() - 2];
      const Block& report = blocks.back();
      auto text = [&](std::size_t r, std::size_t c) {
        const auto* t = std::get_if<std::string>(&report.At(r, c));
        return t != nullptr ? kvp::AnsiToUtf8(*t) : std::string();
      };
      EXPECT_EQ(report.first_row(), above.first_row() + above.rows() + 1) << sources;
      ASSERT_EQ(report.rows(), 3u);
      EXPECT_EQ(text(0, 0), en ? "Convergence" : "Convergência");
      EXPECT_EQ(text(0, 3), en ? "Final change" : "Variação final");
      EXPECT_EQ(text(2, 0), "IC2");
      EXPECT_EQ(text(1, 2), en ? "Yes" : "Sim");
      EXPECT_EQ(text(2, 2), en ? "No" : "Não");
      EXPECT_EQ(std::get<double>(report.At(1, 3)), analysis->componentes[0].variacao);
      ASSERT_TRUE(book.closing);
      EXPECT_EQ(book.closing->used.last_row, layout.LastRow());
      EXPECT_EQ(layout.LastRow(), report.first_row() + 2);
    }
  }
  CurrentLanguage = before;
  ica::Layout layout = ica::PlaceBlocks(settings, 3, 40);
  const unsigned long with_report = layout.MostObservations();
  layout.with_convergence = false;
  EXPECT_EQ(layout.MostObservations(), with_report + 4);
}

// The sheet the blocks go on decides what fits: 256 columns and 65536 rows through the Excel 4
// interface, 16384 and 1048576 through the Excel 12 one.
TEST(IcaLayout, WhatFitsFollowsTheSheetsSize) {
  ica::Settings settings;
  settings.sources = true;
  EXPECT_EQ(ica::ExcessOf(ica::PlaceBlocks(settings, 200, 1000)), ica::Excess::Columns);
  EXPECT_FALSE(ica::ExcessOf(ica::PlaceBlocks(settings, 200, 1000, kExcel12Sheet)));
  EXPECT_EQ(ica::ExcessOf(ica::PlaceBlocks(settings, 4, 100000)), ica::Excess::Rows);
  const ica::Layout tall = ica::PlaceBlocks(settings, 4, 100000, kExcel12Sheet);
  EXPECT_FALSE(ica::ExcessOf(tall));
  const unsigned long most = tall.MostObservations();
  EXPECT_EQ(most, 1048575 - tall.sources_row);
  EXPECT_FALSE(ica::ExcessOf(ica::PlaceBlocks(settings, 4, most, kExcel12Sheet)));
  EXPECT_EQ(ica::ExcessOf(ica::PlaceBlocks(settings, 4, most + 1, kExcel12Sheet)),
            ica::Excess::Rows);
}

namespace {

// A sheet of data the launch reads, a dialog set as a person sets it, and every call of the
// run kept.
struct Settings {
  std::string limit; // ticks o_limite and types the limit when not empty
  bool sources = false, black_and_white = false;
};

struct Script {
  Settings settings;
  std::string why; // a refusal of the dialog's controls
};
void SetAndPressOk(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
  auto& run = *static_cast<Script*>(context);
  std::string why;
  bool ok = true;
  if (!run.settings.limit.empty())
    ok = form.Click("o_limite", why) && form.SetValue("limite", run.settings.limit, why);
  if (ok && run.settings.sources) ok = form.Click("o_ica", why);
  if (ok && run.settings.black_and_white) ok = form.Click("o_cores", why);
  if (ok) ok = form.Click("b_ok", why);
  if (!ok) {
    run.why = why;
    form.CloseByFrame();
  }
}

using Box = kvtest::ShownBox;

using Written = kvtest::WrittenBlock;

class IcaRun : public ::testing::Test {
protected:
  void SetUp() override {
    kvp::SetModalDriver(&SetAndPressOk, &run);
    kvp::SetMessageBoxHandler(&kvtest::CaptureBox, &boxes);
    kvtest::AnswerSelection(excel, &selected);
    excel.Script(xlfGetCell, [this](const Call& call, LPXLOPER result) {
      const XLREF& cell = call.args.at(1).rects.at(0);
      *result =
          cell.rwFirst >= 1 ? kvtest::Num(value(cell.rwFirst - 1u, cell.colFirst)) : kvtest::Nil();
      return xlretSuccess;
    });
    kvtest::AnswerResultWorkbook(excel);
    Use(16, 3, [](unsigned t, unsigned j) { return Mixed(16, 3)[t][j] + 10.0 * j; });
  }
  void TearDown() override {
    kvp::SetModalDriver(nullptr, nullptr);
    kvp::SetMessageBoxHandler(nullptr, nullptr);
  }
  // Observations in rows 2 .. n + 1 and signals in columns A onward, selected.
  void Use(unsigned n, unsigned p, std::function<double(unsigned, unsigned)> at) {
    rows = n;
    selected = XLREF{1, static_cast<std::uint16_t>(n), 0, static_cast<std::uint8_t>(p - 1)};
    value = std::move(at);
  }
  // The calls from the new workbook on, one line each (all of them when none was opened).
  std::vector<std::string> RunTool(Language language, const Settings& settings) {
    CurrentLanguage = language;
    run.settings = settings;
    excel.Clear();
    boxes.clear();
    EXPECT_EQ(kv_chama_ica(), 1);
    EXPECT_EQ(run.why, "");
    EXPECT_EQ(f_ica, nullptr) << "the dialog is released when the run ends";
    const auto& calls = excel.calls();
    const auto opened = std::find_if(calls.begin(), calls.end(),
                                     [](const Call& call) { return call.function == xlcNew; });
    return kvtest::Transcript(std::vector<Call>(opened, calls.end()));
  }
  std::vector<Written> Blocks() const { return kvtest::WrittenBlocks(excel); }
  bool Opened() const { return !excel.CallsTo(xlcNew).empty(); }
  void ExpectGolden(const std::vector<std::string>& transcript, const std::string& file) {
    const std::string difference = kvtest::CompareWithGolden(
        transcript, std::string(KV_SOURCE_DIR) + "/tests/unit/golden/" + file);
    EXPECT_EQ(difference, "");
  }

  RecordingDispatcher excel;
  unsigned rows = 0;
  XLREF selected{};
  std::function<double(unsigned, unsigned)> value;
  Script run;
  std::vector<Box> boxes;
};

const char* const kFailurePt =
    "Houve erros durante o processo de análise de componentes independentes - ICA.\nDesconsidere "
    "qualquer resultado e tente novamente.\n\nSe o problema persistir, entre em contato com o "
    "suporte da Corvane Lathi.";
const char* const kFailureEn =
    "Some errors occurred during independent component analysis - ICA.\n\nPlease, disregard any "
    "results and try again or contact Corvane Lathi for assistance.";

} // namespace

// Two components of three signals, with the matrices and the sources, in colour.
TEST_F(IcaRun, ColourWithMatricesAndSources) {
  const auto sent = RunTool(Language::Portuguese, {"2", true, false});
  EXPECT_TRUE(boxes.empty());
  ExpectGolden(sent, "ica_colour_pt.txt");
}

// Every component, the matrices only, in black and white: no fill anywhere.
TEST_F(IcaRun, BlackAndWhiteWithMatricesOnly) {
  const auto sent = RunTool(Language::English, {"", false, true});
  EXPECT_TRUE(boxes.empty());
  ExpectGolden(sent, "ica_bw_en.txt");
  for (const std::string& call : sent) {
    EXPECT_NE(call, "PATTERNS(1, 15)");
    EXPECT_NE(call, "PATTERNS(1, 2)");
  }
}

// k = 2 < p = 3: the mixing part is p rows by k columns, the demixing part k rows by p columns
// after an empty column, and row S3 ends after the mixing part; the sources follow at row
// 2p + 17 with the observation numbers 1 .. n.
TEST_F(IcaRun, LayoutWithFewerComponentsThanSignals) {
  RunTool(Language::English, {"2", true, false});
  ASSERT_TRUE(boxes.empty());
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 4u);
  const Written& mix = blocks[2];
  EXPECT_EQ(mix.rect.rwFirst, 17); // row p + 15
  EXPECT_EQ(mix.rect.rwLast, 20);
  EXPECT_EQ(mix.rect.colLast, 7); // column p + k + 3
  auto cell = [](const Written& block, unsigned row, unsigned column) -> const kvtest::Value& {
    return block.values.elements.at(row * block.values.columns + column);
  };
  EXPECT_EQ(cell(mix, 0, 0).Utf8(), "Mixing");
  EXPECT_EQ(cell(mix, 0, 2).Utf8(), "ICA2");
  EXPECT_EQ(cell(mix, 0, 3).BaseType(), xltypeNil);
  EXPECT_EQ(cell(mix, 0, 4).Utf8(), "Demixing");
  EXPECT_EQ(cell(mix, 0, 7).Utf8(), "S3");
  EXPECT_EQ(cell(mix, 2, 4).Utf8(), "ICA2");
  EXPECT_EQ(cell(mix, 2, 7).BaseType(), xltypeNum);
  EXPECT_EQ(cell(mix, 3, 0).Utf8(), "S3");
  EXPECT_EQ(cell(mix, 3, 2).BaseType(), xltypeNum);
  for (unsigned column = 3; column < 8; ++column)
    EXPECT_EQ(cell(mix, 3, column).BaseType(), xltypeNil) << column;

  const Written& sources = blocks[3];
  EXPECT_EQ(sources.rect.rwFirst, 22); // row 2p + 17
  EXPECT_EQ(sources.rect.rwLast, 22 + 16);
  EXPECT_EQ(sources.rect.colLast, 2);
  EXPECT_EQ(cell(sources, 0, 0).Utf8(), "Sources");
  for (unsigned t = 1; t <= 16; ++t) {
    EXPECT_EQ(cell(sources, t, 0).BaseType(), xltypeInt);
    EXPECT_EQ(cell(sources, t, 0).integer, static_cast<int>(t));
  }
}

// Two identical signals: the tool's message after the workbook was opened, in either language,
// and the dialog released.
TEST_F(IcaRun, SingularDataShowsTheToolsMessage) {
  Use(16, 3, [](unsigned t, unsigned j) { return Mixed(16, 3)[t][j == 2 ? 0 : j]; });
  for (auto [language, text] :
       {std::pair{Language::Portuguese, kFailurePt}, {Language::English, kFailureEn}}) {
    RunTool(language, {"", true, false});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, language == Language::English ? "Warning" : "Atenção");
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_TRUE(Opened());
    EXPECT_TRUE(Blocks().empty()) << "nothing is written after the failure";
  }
}

// The sheet has 65536 rows: with two signals and the matrices the sources start at row 21, so
// 65515 observations end on the last row and 65516 are refused before anything is computed or
// opened, with a message that says how many fit.
TEST_F(IcaRun, SourcesThatDoNotFitTheSheetAreRefused) {
  const auto signal = [](unsigned t, unsigned j) {
    const double s0 = std::sin(t / 7.0), s1 = std::fmod(t / 5.0, 1.0);
    return j == 0 ? s0 + 0.5 * s1 : s1 - 0.3 * s0;
  };
  Use(65516, 2, signal);
  RunTool(Language::Portuguese, {"", true, false});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "A planilha de resultados tem 65536 linhas e comporta os componentes independentes de "
            "no máximo 65515 observações, mas o intervalo de dados tem 65516.\n\nReduza o "
            "intervalo de dados ou desmarque a opção \"Reproduzir componentes independentes\"."
            "\n\nO programa será interrompido!");
  EXPECT_FALSE(Opened());
  RunTool(Language::English, {"", true, false});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "The result sheet has 65536 rows and holds the independent components of at most 65515 "
            "observations, but the data range has 65516.\n\nPlease, select a smaller data range or "
            "uncheck \"Show independent components\".\n\nThe analysis will be interrupted!");
  EXPECT_FALSE(Opened());

  Use(65515, 2, signal);
  RunTool(Language::English, {"", true, false});
  EXPECT_TRUE(boxes.empty());
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks[3].rect.rwFirst, 20);
  EXPECT_EQ(blocks[3].rect.rwLast, 65535);
  const kvtest::Value& last = blocks[3].values.elements.at(65515u * 3u);
  EXPECT_EQ(last.BaseType(), xltypeNum)
      << "observation 65515 is a number: no integer cell holds it";
  EXPECT_EQ(last.number, 65515);
}

// 200 signals give 99 components, whose matrices would take 302 columns of the 256 a sheet has:
// refused before anything is opened, as are 54 components (257 columns).
TEST_F(IcaRun, MatricesWiderThanTheSheetAreRefused) {
  Use(200, 200, [](unsigned t, unsigned j) {
    return std::sin(0.37 * t * (j + 1) + j) + std::fmod((t + 1.0) * (j + 3), 7.0);
  });
  RunTool(Language::English, {"", false, false});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Results of 200 signals and 99 components take 302 columns, more than "
                           "the 256 columns of a sheet.\n\nPlease, limit the number of components "
                           "or select a smaller data range.\n\nThe analysis will be interrupted!");
  EXPECT_FALSE(Opened());
  RunTool(Language::Portuguese, {"54", false, false});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Os resultados de 200 sinais com 54 componentes ocupam 257 colunas, "
                           "mais do que as 256 colunas da planilha.\n\nLimite o número de "
                           "componentes ou reduza o intervalo de dados.\n\nO programa será "
                           "interrompido!");
}
