// The comparison tool's OK seen through the calls it sends: whole runs against golden
// transcripts (tests/unit/golden/cmp_*.txt, one call per line; KV_UPDATE_GOLDEN=1 rewrites
// them), a curve long enough for 250 rows, and runs that fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "Cmp/Cmp.h"
#include "Tabelas.h"
#include "kvplatform/ansi.h"
#include "kvplatform/messagebox.h"
#include "kvplatform/modal.h"
#include "support/call_transcript.h"
#include "support/recording_dispatcher.h"

using kvtest::Call;
using kvtest::Describe;

namespace {
// 11.50 %, 11.75 % and 11.90 % at 2, 5 and 8 workdays: eight rows, three of them vertices.
const YieldCurve kSmallCurve{{2, 0.1150}, {5, 0.1175}, {8, 0.1190}};

// Each message box as "[title/style] text".
int Capture(void* boxes, kvp::WindowHandle, const char* text, const char* title, unsigned style) {
  std::string box = "[";
  box.append(kvp::AnsiToUtf8(title)).append("/").append(std::to_string(style)).append("] ");
  static_cast<std::vector<std::string>*>(boxes)->push_back(box.append(kvp::AnsiToUtf8(text)));
  return kvp::kIdOk;
}

class ComparisonRun : public ::testing::Test {
protected:
  void SetUp() override {
    kvp::SetModalDriver(&PressOk, this);
    kvp::SetMessageBoxHandler(&Capture, &boxes);
    excel.AnswerText(xlfGetDocument, "Pasta2");
  }
  void TearDown() override {
    kvp::SetModalDriver(nullptr, nullptr);
    kvp::SetMessageBoxHandler(nullptr, nullptr);
  }
  // The dialog as the launch leaves it; the person ticks black and white when asked, presses
  // OK, and the dialog is gone when the handler returns.
  void Run(const YieldCurve& curve, bool black_and_white, Language language) {
    CurrentLanguage = language;
    black_and_white_ = black_and_white;
    Recreate(f_cmp)->curva = curve;
    if (language == Language::English) f_cmp->UseEnglish();
    ShowAndRelease(f_cmp);
    EXPECT_EQ(f_cmp, nullptr) << "the dialog closed and freed itself";
  }
  static void PressOk(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
    std::string why;
    if (static_cast<ComparisonRun*>(context)->black_and_white_) {
      EXPECT_TRUE(form.SetValue("o_cores", "1", why)) << why;
    }
    EXPECT_TRUE(form.Click("b_ok", why)) << why;
  }
  std::string Golden(const char* name) const {
    return kvtest::CompareWithGolden(kvtest::Transcript(excel.calls()),
                                     std::string(KV_SOURCE_DIR) + "/tests/unit/golden/" + name);
  }

  kvtest::RecordingDispatcher excel;
  std::vector<std::string> boxes;
  bool black_and_white_ = false;
};
} // namespace

TEST_F(ComparisonRun, ColourRunInPortuguese) {
  bool showing = true;
  excel.Script(xlcNew, [&showing](const Call&, LPXLOPER) {
    showing = f_cmp->Showing();
    return xlretSuccess;
  });
  Run(kSmallCurve, false, Language::Portuguese);
  EXPECT_FALSE(showing) << "the dialog is hidden before the output";
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Golden("cmp_colour_pt.txt"), "");
}

// No fill on the data sheet, and every text of the chart in colour 1.
TEST_F(ComparisonRun, BlackAndWhiteRunInEnglish) {
  Run(kSmallCurve, true, Language::English);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Golden("cmp_bw_en.txt"), "");
  for (const Call& call : excel.CallsTo(xlcPatterns)) {
    EXPECT_NE(Describe(call), "PATTERNS(1, 15)");
    EXPECT_NE(Describe(call), "PATTERNS(1, 2)");
  }
  const auto& calls = excel.calls();
  auto chart = std::find_if(calls.begin(), calls.end(),
                            [](const Call& c) { return c.function == xlcWorkbookInsert; });
  int fonts = 0;
  for (; chart != calls.end(); ++chart) {
    if (chart->function != xlcFontPropertiesIntl) continue;
    ++fonts;
    EXPECT_EQ(Describe(chart->args.at(9)), "1") << Describe(*chart);
  }
  EXPECT_EQ(fonts, 6) << "title, two axes, two axis titles, legend";
}

// 250 grid rows, then the last vertex, which the grid stops short of: rows 4 to 254; days past
// 32767 are numbers, not 16-bit integers.
TEST_F(ComparisonRun, LongCurveWritesTheGridAndEndsOnTheLastVertex) {
  Run({{252, 0.10}, {2520, 0.12}, {40000, 0.13}}, false, Language::English);
  EXPECT_TRUE(boxes.empty());
  const auto sets = excel.CallsTo(xlSet);
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(Describe(sets[1].args[0]), "A4:D254");
  const auto& cells = sets[1].args[1].elements;
  ASSERT_EQ(cells.size(), 1004u);
  EXPECT_EQ(Describe(cells[4 * 2]) + " " + Describe(cells[4 * 2 + 3]), "252 n:0.1");
  EXPECT_EQ(Describe(cells[4 * 204]) + " " + Describe(cells[4 * 205]), "32641 n:32801");
  EXPECT_EQ(Describe(cells[4 * 249]) + " " + Describe(cells[4 * 249 + 3]), "n:39841 nil");
  EXPECT_EQ(Describe(cells[4 * 250]) + " " + Describe(cells[4 * 250 + 3]), "n:40000 n:0.13");
  std::string series;
  for (const Call& call : excel.CallsTo(xlcEditSeriesIntl))
    series += Describe(call) + "\n";
  EXPECT_EQ(series, "EDIT.SERIES(0, \"=Auxiliar!R3C2\", \"=Auxiliar!R4C1:R254C1\", "
                    "\"=Auxiliar!R4C2:R254C2\", -, 1)\n"
                    "EDIT.SERIES(0, \"=Auxiliar!R3C3\", \"=Auxiliar!R4C1:R254C1\", "
                    "\"=Auxiliar!R4C3:R254C3\", -, 1)\n"
                    "EDIT.SERIES(0, \"=Auxiliar!R3C4\", \"=Auxiliar!R4C1:R254C1\", "
                    "\"=Auxiliar!R4C4:R254C4\", -, 1)\n");
  EXPECT_EQ(Describe(excel.CallsTo(xlcColumnWidth).at(0)), "COLUMN.WIDTH(-, A3:K254, -, 3)");
}

// A curve with no grid (one vertex, which the launch refuses) or with more rows than the sheet
// holds ends before any workbook is opened; a failure raised in the middle of the output (out of
// memory while the chart sheet is inserted) ends the run there, leaving the data sheet and
// screen updating off. Each shows the tool's message and closes the dialog.
TEST_F(ComparisonRun, FailuresShowTheMessageAndCloseTheDialog) {
  Run({{21, 0.10}}, false, Language::Portuguese);
  // One vertex a day up to 65535, then 100000: a point every 400 days; the vertices take 65535
  // rows up to the point 65601, the 85 points after it one each: 65620 rows below row 3.
  YieldCurve daily;
  for (std::int32_t d = 1; d <= 65535; ++d)
    daily.push_back(Vertex{d, 0.10});
  daily.push_back(Vertex{100000, 0.11});
  Run(daily, false, Language::English);
  EXPECT_TRUE(excel.CallsTo(xlcNew).empty());
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "[Atenção/16] Houve erros durante o processo de montagem do gráfico "
                       "comparativo de interpolações Cubic Spline natural  e exponencial.\n"
                       "Desconsidere qualquer resultado e tente novamente.\n\nSe o problema "
                       "persistir, entre em contato com o suporte da Corvane Lathi.",
                       "[Warning/16] Some errors occurred during comparative chart setup.\n"
                       "Please, disregard any results and try again or contact Corvane Lathi "
                       "for assistance."}));

  excel.Script(xlcWorkbookInsert, [](const Call&, LPXLOPER) -> int { throw std::bad_alloc(); });
  Run(kSmallCurve, false, Language::English);
  EXPECT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes.back(), boxes[1]);
  const auto transcript = kvtest::Transcript(excel.calls());
  ASSERT_GE(transcript.size(), 2u);
  EXPECT_EQ(excel.CallsTo(xlSet).size(), 2u) << "both blocks were written";
  EXPECT_EQ(transcript.back(), "xlGetHwnd()") << "the message's owner looked up, nothing else";
  EXPECT_EQ(transcript.end()[-2], "WORKBOOK.INSERT(2)");
}
