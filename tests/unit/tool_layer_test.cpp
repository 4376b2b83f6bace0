// The layer every tool runs on: a described result workbook drawn by the one writer, RunTool's
// message and traced reason, and the dialog tables checked against the controls each tool's
// dialog must have (names and kinds as the tools' documentation lists them).
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "Arch/Arch.h"
#include "Cmp/Cmp.h"
#include "Decay/Decay.h"
#include "Ferramenta.h"
#include "Histograma/Histograma.h"
#include "Ica/Ica.h"
#include "Pca/Pca.h"
#include "Rlm/Rlm.h"
#include "Saida.h"
#include "Tabelas.h"
#include "kvplatform/ansi.h"
#include "kvplatform/debug.h"
#include "support/call_transcript.h"
#include "support/recording_dispatcher.h"
#include "support/tool_run.h"

using kvtest::RecordingDispatcher;
using Calls = std::vector<std::string>;

namespace {
class Writer : public ::testing::Test {
protected:
  void SetUp() override { CurrentLanguage = Language::English; }
  Calls Sent() const { return kvtest::Transcript(excel.calls()); }
  RecordingDispatcher excel;
};

// A book of one sheet with one block of two styled ranges.
ResultBook SmallBook(bool black_and_white) {
  ResultBook book;
  book.black_and_white = black_and_white;
  Block& block = book.AddWorksheet("T").Add(Block(2, 1, 1, 2));
  block.Text(0, 0, "x");
  block.Count(0, 1, 3);
  block.Style(2, 2, 1, 2).Frame().Centre().Format("0").Shade();
  block.Style(2, 2, 1, 1).Bold();
  return book;
}
} // namespace

// Each block is one xlSet where it belongs, then its styles in order; shading is skipped in
// black and white, and without closing steps the workbook is left as written.
TEST_F(Writer, BlocksAreWrittenThenStyledInOrder) {
  WriteResultBook(SmallBook(false));
  const Calls colour = Sent();
  const Calls expected_tail{"xlSheetId()",
                            "xlSet(B3:C3, {\"x\", 3})",
                            "xlSheetId()",
                            "SELECT(B3:C3)",
                            "BORDER(1)",
                            "ALIGNMENT(3)",
                            "FORMAT.NUMBER(\"0\")",
                            "PATTERNS(1, 2)",
                            "FONT.PROPERTIES(-, -, -, -, -, -, -, -, -, 1)",
                            "xlSheetId()",
                            "SELECT(B3)",
                            "ACTIVE.CELL.FONT(-, \"Bold\")"};
  ASSERT_GE(colour.size(), expected_tail.size());
  EXPECT_EQ(Calls(colour.end() - static_cast<long>(expected_tail.size()), colour.end()),
            expected_tail);
  EXPECT_EQ(colour.front(), "NEW(1)");
  EXPECT_EQ(std::count(colour.begin(), colour.end(), "ECHO(TRUE)"), 0) << "no closing steps";

  excel.Clear();
  WriteResultBook(SmallBook(true));
  kvtest::ExpectBlackAndWhite(Sent());
  const Calls bw = Sent();
  EXPECT_EQ(std::count(bw.begin(), bw.end(), "PATTERNS(1, 2)"), 0);
}

// A book without sheets opens nothing; one with a sheet and no blocks opens the workbook and
// styles it, as a run that stops right after opening leaves it.
TEST_F(Writer, EmptyBooksAndOpenedSheets) {
  WriteResultBook(ResultBook{});
  EXPECT_TRUE(Sent().empty());
  ResultBook opened;
  opened.AddWorksheet("RLM").look = SheetLook::Bare;
  WriteResultBook(opened);
  EXPECT_EQ(Sent(), (Calls{"NEW(1)", "WORKBOOK.NAME(-, \"RLM\")",
                           "OPTIONS.VIEW(-, -, -, -, -, -, -, FALSE)", "ECHO(FALSE)"}));
}

// A block beyond the sheet's 256 columns ends the run where it is reached: the blocks before it
// stay written.
TEST_F(Writer, ABlockBeyondTheSheetStopsTheWritingThere) {
  ResultBook book;
  Worksheet& sheet = book.AddWorksheet("PCA");
  sheet.Add(Block(0, 0, 1, 1)).Number(0, 0, 1);
  sheet.Add(Block(5, 200, 1, 57)).Number(0, 56, 2); // columns 200 .. 256
  EXPECT_THROW(WriteResultBook(book), std::out_of_range);
  EXPECT_EQ(excel.CallsTo(xlSet).size(), 1u);
}

// Chart parts are drawn in their order; each selects what it formats.
TEST_F(Writer, ChartPartsInTheirOrder) {
  ResultBook book;
  book.AddWorksheet("S");
  ChartSheet& chart = book.AddChart("C");
  chart.Add(chart::Series{"=S!R1C1", "", "=S!R2C1:R3C1", 1});
  chart.Add(chart::SeriesLook{"S1", true, SeriesKind::Line, std::nullopt, {0, omitted, 5}});
  chart.Add(chart::Scale{"Axis 2", 0, 250});
  chart.Add(chart::NoLegend{});
  chart.Add(chart::WholeChart{});
  book.closing = Closing{"S", Rect{0, 3, 0, 1}, true};
  WriteResultBook(book);
  const Calls sent = Sent();
  const auto at = std::find(sent.begin(), sent.end(),
                            "EDIT.SERIES(0, \"=S!R1C1\", -, "
                            "\"=S!R2C1:R3C1\", -, 1)");
  ASSERT_NE(at, sent.end());
  EXPECT_EQ(Calls(at + 1, at + 10),
            (Calls{"SELECT(\"S1\")", "SERIES.AXES(2)", "FORMAT.CHARTTYPE(1, -, 1, 4)",
                   "SELECT(\"S1\")", "PATTERNS(0, -, 5)", "SELECT(\"Axis 2\")",
                   "SCALE(n:0, n:250, -, -, -, -, -, -)", "LEGEND(FALSE)", "SELECT.CHART()"}));
  EXPECT_EQ(sent.back(), "ECHO(TRUE)");
  EXPECT_EQ(excel.CallsTo(xlcWorkbookHide).size(), 1u) << "the first sheet hidden at the end";
}

namespace {
const DialogTable kTestDialog{
    "Teste",
    "Test",
    100,
    40,
    {{.name = "b_ok", .kind = ControlKind::Button, .pt = "OK", .en = "OK"},
     {.name = "b_cancelar", .kind = ControlKind::Button, .pt = "Cancelar", .en = "Cancel"}}};

class TestDialog : public ToolDialog {
public:
  TestDialog() : ToolDialog(kTestDialog) {}
};

// The debugger channel's texts, in UTF-8, while it lives.
class Traces {
public:
  Traces() { kvp::SetDebugCapture(&Keep, this); }
  ~Traces() { kvp::SetDebugCapture(nullptr, nullptr); }
  Traces(const Traces&) = delete;
  Traces& operator=(const Traces&) = delete;
  std::string All() const {
    std::string all;
    for (const std::string& text : texts_)
      all += text;
    return all;
  }

private:
  static void Keep(void* context, const char* text) {
    static_cast<Traces*>(context)->texts_.push_back(kvp::AnsiToUtf8(text));
  }
  std::vector<std::string> texts_;
};

const BilingualText kGeneral{"Geral", "General"};

class Run : public ::testing::Test {
protected:
  void SetUp() override { CurrentLanguage = Language::English; }
  RecordingDispatcher excel;
  kvtest::ToolRunHooks hooks{nullptr, nullptr};
  Traces traces;
  TestDialog dialog;
};
} // namespace

// A run that stops writes what it reached, then shows its message and traces its reason; the
// dialog is closed and asks to be freed either way.
TEST_F(Run, AStopShowsTheMessageAndTracesTheReason) {
  RunTool(dialog, "teste", kGeneral, [] {
    ResultBook book;
    book.AddWorksheet("T");
    return ToolRun{book, MessageOf(BilingualText{"Parou", "Stopped"}, "motivo X")};
  });
  ASSERT_EQ(hooks.boxes.size(), 1u);
  EXPECT_EQ(hooks.boxes[0].text, "Stopped");
  EXPECT_EQ(hooks.boxes[0].title, "Warning");
  EXPECT_NE(traces.All().find("Kavenlor: teste: motivo X"), std::string::npos) << traces.All();
  EXPECT_EQ(excel.CallsTo(xlcNew).size(), 1u);
  EXPECT_TRUE(dialog.ReleaseRequested());
}

TEST_F(Run, AFinishedRunShowsNothing) {
  RunTool(dialog, "teste", kGeneral, [] { return ToolRun{}; });
  EXPECT_TRUE(hooks.boxes.empty());
  EXPECT_EQ(traces.All(), "");
  EXPECT_TRUE(dialog.ReleaseRequested());
}

// An exception on the way is the tool's general message, traced with what it said.
TEST_F(Run, AnExceptionIsTheGeneralMessage) {
  RunTool(dialog, "teste", kGeneral, []() -> ToolRun { throw std::length_error("comprida"); });
  ASSERT_EQ(hooks.boxes.size(), 1u);
  EXPECT_EQ(hooks.boxes[0].text, "General");
  EXPECT_NE(traces.All().find("comprida"), std::string::npos) << traces.All();
  EXPECT_TRUE(dialog.ReleaseRequested());
}

namespace {
// The controls each dialog must have, by name and kind.
using Controls = std::map<std::string, ControlKind>;
constexpr ControlKind kLabel = ControlKind::Label, kEdit = ControlKind::Edit,
                      kMask = ControlKind::MaskEdit, kCheck = ControlKind::CheckBox,
                      kRadio = ControlKind::RadioGroup, kList = ControlKind::ComboBox,
                      kArrows = ControlKind::UpDown, kGroup = ControlKind::GroupBox,
                      kButton = ControlKind::Button;
const Controls kButtons{{"b_ok", kButton}, {"b_cancelar", kButton}};

Controls With(Controls controls) {
  controls.insert(kButtons.begin(), kButtons.end());
  controls.emplace("intervalo", kEdit);
  return controls;
}

struct DialogCase {
  const char* name;
  const DialogTable& table;
  Controls controls;
};

std::vector<DialogCase> Dialogs() {
  return {
      {"histogram", kHistogramDialog,
       With({{"titulo1", kLabel},
             {"titulo2", kLabel},
             {"faixas", kMask},
             {"seta", kArrows},
             {"l_regra", kLabel},
             {"c_regra", kList},
             {"r_grupo", kRadio},
             {"o_retorno", kCheck},
             {"o_normal", kCheck},
             {"o_indicadores", kCheck},
             {"o_cores", kCheck}})},
      {"comparison", kComparisonDialog,
       With({{"titulo1", kLabel}, {"titulo2", kLabel}, {"o_cores", kCheck}})},
      {"PCA", kPcaDialog,
       With({{"titulo1", kLabel},
             {"o_cores", kCheck},
             {"o_correl", kCheck},
             {"r_grupo", kRadio},
             {"seta", kArrows},
             {"perc", kMask},
             {"o_scree", kCheck},
             {"o_varimax", kCheck},
             {"l_precisao", kLabel},
             {"l_iteracao", kLabel},
             {"precisao", kMask},
             {"iteracao", kMask},
             {"o_escores", kCheck},
             {"o_adequacao", kCheck},
             {"o_paralela", kCheck}})},
      {"ICA", kIcaDialog,
       With({{"titulo1", kLabel},
             {"o_cores", kCheck},
             {"limite", kMask},
             {"seta", kArrows},
             {"o_limite", kCheck},
             {"o_mix", kCheck},
             {"o_ica", kCheck},
             {"o_convergencia", kCheck}})},
      {"regression", kRegressionDialog,
       With({{"titulo1", kLabel},
             {"titulo2", kLabel},
             {"o_equacao", kCheck},
             {"o_anova", kCheck},
             {"o_combinada", kCheck},
             {"l_erros", kLabel},
             {"c_erros", kList},
             {"o_diagnosticos", kCheck},
             {"o_residuos", kCheck},
             {"o_cores", kCheck}})},
      {"decay", kDecayDialog,
       With({{"titulo1", kLabel},
             {"l_iteracao", kLabel},
             {"c_tol", kList},
             {"o_retorno", kCheck},
             {"o_log", kCheck},
             {"o_inversa", kCheck},
             {"o_media", kCheck},
             {"o_cores", kCheck}})},
      {"ARCH", kArchDialog,
       With({{"titulo1", kLabel},   {"r_grupo", kRadio},   {"r_grupo_2", kGroup},
             {"o_arch", kCheck},    {"o_garch", kCheck},   {"o_igarch", kCheck},
             {"o_egarch", kCheck},  {"o_gjr", kCheck},     {"l_q", kLabel},
             {"c_q", kList},        {"l_p", kLabel},       {"c_p", kList},
             {"o_melhor", kCheck},  {"r_akaike", kRadio},  {"l_dist", kLabel},
             {"c_dist", kList},     {"o_retorno", kCheck}, {"o_log", kCheck},
             {"o_inversa", kCheck}, {"o_erros", kCheck},   {"l_horizonte", kLabel},
             {"horizonte", kMask},  {"seta", kArrows},     {"o_backtest", kCheck},
             {"o_graf", kCheck},    {"o_cores", kCheck}})},
  };
}

bool Filled(const char* text) {
  return text != nullptr && *text != '\0';
}
} // namespace

// Every control the dialog must have is in its table with its kind (and nothing else is);
// every caption is there in both languages, or in neither; items come in both languages or
// once for both; each control sits somewhere.
TEST(DialogTables, ControlsKindsAndBothLanguages) {
  for (const DialogCase& dialog : Dialogs()) {
    SCOPED_TRACE(dialog.name);
    EXPECT_TRUE(Filled(dialog.table.caption_pt) && Filled(dialog.table.caption_en));
    Controls found;
    for (const ControlRow& row : dialog.table.rows) {
      SCOPED_TRACE(row.name);
      EXPECT_TRUE(found.emplace(row.name, row.kind).second) << "twice in the table";
      EXPECT_EQ(Filled(row.pt), Filled(row.en)) << "a caption in one language only";
      const bool captioned =
          row.kind == kLabel || row.kind == kCheck || row.kind == kButton || row.kind == kGroup;
      if (captioned) {
        EXPECT_TRUE(Filled(row.pt)) << "a control shown with its caption has none";
      }
      if (!row.items_en.empty()) {
        EXPECT_EQ(row.items_en.size(), row.items_pt.size());
      }
      if (row.kind == kRadio) {
        EXPECT_FALSE(row.items_pt.empty());
      }
      EXPECT_GT(row.at.width * row.at.height, 0) << "no place in the dialog";
    }
    EXPECT_EQ(found, dialog.controls);
  }
}
