// The tool launches seen through the calls they make: the selection, the cells read one at a
// time in each tool's order, what goes back to Excel, and the data each dialog is given.
#include <gtest/gtest.h>

#include <map>

#include "Cmp/Cmp.h"
#include "Histograma/Histograma.h"
#include "Lancamento.h"
#include "Pca/Pca.h"
#include "Tabelas.h"
#include "kvplatform/ansi.h"
#include "kvplatform/messagebox.h"
#include "kvplatform/modal.h"
#include "support/recording_dispatcher.h"
#include "support/xloper_builders.h"

using kvtest::Call;
using kvtest::RecordingDispatcher;

namespace {

// The active sheet as SELECTION and GET.CELL report it.
class Sheet {
public:
  explicit Sheet(RecordingDispatcher& excel) {
    excel.Script(xlfSelection, [this](const Call&, LPXLOPER result) {
      *result = selection_;
      return xlretSuccess;
    });
    excel.Script(xlfGetCell, [this](const Call& call, LPXLOPER result) {
      const XLREF& cell = call.args.at(1).rects.at(0);
      const auto found = cells_.find({cell.rwFirst, cell.colFirst});
      *result = found == cells_.end() ? kvtest::Nil() : found->second;
      return xlretSuccess;
    });
  }
  void Select(std::uint16_t first_row, std::uint16_t last_row, std::uint8_t first_column,
              std::uint8_t last_column) {
    selection_ = XLOPER{};
    selection_.xltype = xltypeSRef;
    selection_.val.sref.count = 1;
    selection_.val.sref.ref = XLREF{first_row, last_row, first_column, last_column};
  }
  // Several areas: a reference of type 8.
  void SelectAreas(XLMREF* areas) {
    selection_ = XLOPER{};
    selection_.xltype = xltypeRef;
    selection_.val.mref.lpmref = areas;
  }
  void Put(unsigned row, unsigned column, XLOPER value) { cells_[{row, column}] = value; }

private:
  XLOPER selection_{};
  std::map<std::pair<unsigned, unsigned>, XLOPER> cells_;
};

// The cells GET.CELL was asked for, in order, as (row, column).
std::vector<std::pair<unsigned, unsigned>> CellsRead(const RecordingDispatcher& excel) {
  std::vector<std::pair<unsigned, unsigned>> read;
  for (const Call& call : excel.CallsTo(xlfGetCell)) {
    EXPECT_EQ(call.args.at(0).BaseType(), xltypeInt);
    EXPECT_EQ(call.args.at(0).integer, 5) << "the cell's contents";
    read.emplace_back(call.args.at(1).rects.at(0).rwFirst, call.args.at(1).rects.at(0).colFirst);
  }
  return read;
}

// Looks at the dialog while it is open, then cancels it.
struct Watcher {
  std::function<void(kvp::ModalForm&)> look;
  int shown = 0;
};
void Watch(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
  auto& watcher = *static_cast<Watcher*>(context);
  ++watcher.shown;
  if (watcher.look) watcher.look(form);
  std::string why;
  EXPECT_TRUE(form.Click("b_cancelar", why)) << why;
}

struct Box {
  std::string text, title;
  unsigned style;
};
int Capture(void* context, kvp::WindowHandle, const char* text, const char* title, unsigned style) {
  static_cast<std::vector<Box>*>(context)->push_back(
      Box{kvp::AnsiToUtf8(text), kvp::AnsiToUtf8(title), style});
  return kvp::kIdOk;
}

class Launch : public ::testing::Test {
protected:
  void SetUp() override {
    CurrentLanguage = Language::English;
    kvp::SetModalDriver(&Watch, &watcher);
    kvp::SetMessageBoxHandler(&Capture, &boxes);
  }
  void TearDown() override {
    kvp::SetModalDriver(nullptr, nullptr);
    kvp::SetMessageBoxHandler(nullptr, nullptr);
  }
  RecordingDispatcher excel;
  Sheet sheet{excel};
  Watcher watcher;
  std::vector<Box> boxes;
};

} // namespace

TEST(RangeText, ColumnLettersAndAnchors) {
  EXPECT_EQ(ColumnLetters(0), "A");
  EXPECT_EQ(ColumnLetters(25), "Z");
  EXPECT_EQ(ColumnLetters(26), "AA");
  EXPECT_EQ(ColumnLetters(51), "AZ");
  EXPECT_EQ(ColumnLetters(52), "BA");
  EXPECT_EQ(ColumnLetters(255), "IV");
  EXPECT_EQ(ColumnLetters(701), "ZZ");
  EXPECT_EQ(ColumnLetters(702), "AAA") << "the third letter of Excel 12's grid";
  EXPECT_EQ(ColumnLetters(16383), "XFD") << "its last column";
  EXPECT_EQ(ColumnLetters(16383, 'a'), "xfd");
  EXPECT_EQ(RangeText(SelectionBounds{0, 9, 0, 0}), "=$A$1:A$10");
  EXPECT_EQ(RangeText(SelectionBounds{4, 65535, 27, 52}), "=$AB$5:BA$65536");
}

// Column by column, each from the top; a text is given back at once, the last result at the
// end, and only numbers and integers count.
TEST_F(Launch, HistogramCountsTheNumbersColumnByColumn) {
  sheet.Select(3, 5, 1, 2);
  sheet.Put(3, 1, kvtest::Num(1.5));
  sheet.Put(4, 1, kvtest::Text("price"));
  sheet.Put(5, 1, kvtest::Bool(true));
  sheet.Put(3, 2, kvtest::Int(7));
  sheet.Put(4, 2, kvtest::Err(xlerrNA));
  watcher.look = [](kvp::ModalForm&) {
    ASSERT_NE(f_hist, nullptr);
    EXPECT_EQ(f_hist->intervalo->Text(), "=$B$4:C$6");
    EXPECT_EQ(f_hist->seta->Max, 1) << "two numbers: one bin at most";
    EXPECT_EQ(f_hist->faixas->Text(), "1");
    EXPECT_EQ(f_hist->bounds.first_row, 3u);
    EXPECT_EQ(f_hist->bounds.last_column, 2u);
  };
  EXPECT_EQ(kv_chama_hist(), 1);
  EXPECT_EQ(watcher.shown, 1);
  EXPECT_EQ(f_hist, nullptr) << "the dialog freed itself when it closed";
  EXPECT_EQ(CellsRead(excel), (std::vector<std::pair<unsigned, unsigned>>{
                                  {3, 1}, {4, 1}, {5, 1}, {3, 2}, {4, 2}, {5, 2}}));
  std::vector<int> order;
  for (const Call& call : excel.calls())
    if (call.function == xlfGetCell || call.function == xlFree) order.push_back(call.function);
  EXPECT_EQ(order, (std::vector<int>{xlfGetCell, xlfGetCell, xlFree, xlfGetCell, xlfGetCell,
                                     xlfGetCell, xlfGetCell, xlFree}));
  EXPECT_TRUE(boxes.empty());
}

// Row by row; a row is left at its first cell that is not a number and is not kept. Only a
// square block of numbers within [-1, 1] may be taken for a correlation matrix.
TEST_F(Launch, PcaKeepsTheRowsOfNumbers) {
  sheet.Select(0, 3, 0, 2);
  const double rows[4][3] = {{1, 0.5, 0.2}, {0.5, 0, 0}, {0.5, 1, 0.3}, {0.2, 0.3, 1}};
  for (unsigned r = 0; r < 4; ++r)
    for (unsigned c = 0; c < 3; ++c)
      sheet.Put(r, c, kvtest::Num(rows[r][c]));
  sheet.Put(1, 1, kvtest::Text("n/d"));
  bool correlation_offered = false;
  Matriz data;
  watcher.look = [&](kvp::ModalForm&) {
    data = f_pca->dados;
    correlation_offered = f_pca->o_correl->Enabled;
  };
  EXPECT_EQ(kv_chama_pca(), 1);
  EXPECT_EQ(data, (Matriz{{1, 0.5, 0.2}, {0.5, 1, 0.3}, {0.2, 0.3, 1}}));
  EXPECT_TRUE(correlation_offered);
  EXPECT_EQ(
      CellsRead(excel),
      (std::vector<std::pair<unsigned, unsigned>>{
          {0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {2, 2}, {3, 0}, {3, 1}, {3, 2}}));

  sheet.Put(2, 1, kvtest::Num(1.5));
  EXPECT_EQ(kv_chama_pca(), 1);
  EXPECT_FALSE(correlation_offered);
}

// Rows with a rate and at least one workday; one vertex per workday value, the largest rate.
TEST_F(Launch, ComparisonCurveIsSortedAndMerged) {
  const std::pair<XLOPER, XLOPER> rows[] = {
      {kvtest::Num(0.12), kvtest::Num(42)},   {kvtest::Num(0.10), kvtest::Num(21)},
      {kvtest::Num(0.11), kvtest::Int(21)},   {kvtest::Num(0.13), kvtest::Num(0.5)},
      {kvtest::Num(0.09), kvtest::Num(0)},    {kvtest::Num(0.14), kvtest::Num(1)},
      {kvtest::Text("x"), kvtest::Num(63)},   {kvtest::Num(0.15), kvtest::Num(63.9)},
      {kvtest::Num(0.16), kvtest::Text("63")}};
  sheet.Select(10, 18, 3, 4);
  for (unsigned r = 0; r < std::size(rows); ++r) {
    sheet.Put(10 + r, 3, rows[r].first);
    sheet.Put(10 + r, 4, rows[r].second);
  }
  YieldCurve curve;
  watcher.look = [&](kvp::ModalForm&) { curve = f_cmp->curva; };
  EXPECT_EQ(kv_chama_cmp(), 1);
  ASSERT_EQ(curve.size(), 4u);
  const Vertex expected[] = {{1, 0.14}, {21, 0.11}, {42, 0.12}, {63, 0.15}};
  for (std::size_t i = 0; i < curve.size(); ++i) {
    EXPECT_EQ(curve[i].days, expected[i].days) << i;
    EXPECT_EQ(curve[i].rate, expected[i].rate) << i;
  }
}

// A selection of several areas reads no cell and shows no dialog; its reference goes back to
// Excel.
TEST_F(Launch, SeveralAreasStopBeforeAnyCellIsRead) {
  XLMREF areas{1, {XLREF{0, 4, 0, 0}}};
  sheet.SelectAreas(&areas);
  EXPECT_EQ(kv_chama_ewv(), 0);
  EXPECT_TRUE(excel.CallsTo(xlfGetCell).empty());
  EXPECT_EQ(excel.CallsTo(xlFree).size(), 1u);
  EXPECT_EQ(watcher.shown, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Please, select a range of adjacent cells!");
  EXPECT_EQ(boxes[0].title, "Warning");
  EXPECT_EQ(boxes[0].style, kvp::kMbOk | kvp::kMbIconError);

  CurrentLanguage = Language::Portuguese;
  sheet.Select(0, 4, 0, 0); // five empty cells
  EXPECT_EQ(kv_chama_arch(), 0);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].title, "Atenção");
  EXPECT_EQ(excel.CallsTo(xlfGetCell).size(), 5u);
}
