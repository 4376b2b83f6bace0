#include "Lancamento.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "Arch/Arch.h"
#include "Cmp/Cmp.h"
#include "Decay/Decay.h"
#include "Histograma/Histograma.h"
#include "Ica/Ica.h"
#include "Kavenlor.h"
#include "Pca/Pca.h"
#include "Rlm/Rlm.h"
#include "Tabelas.h"
#include "xll/Excel12.h"
#include "xll/ExcelCall.h"
#include "xll/Firewall.h"
#include "xll/xloper.h"

namespace {

constexpr BilingualText kAdjacentCells{"Selecione apenas regiões contíguas de células!",
                                       "Please, select a range of adjacent cells!"};

constexpr BilingualText kHistData{
    "Selecione mais de uma célula para o histograma de dados!\n\nPara fazer um histograma é "
    "necessário selecionar mais de uma célula contendo dados numéricos.\nTextos e células "
    "vazias são ignoradas!",
    "Please, select more than one cell for the histogram!\n\nData range must be more than one "
    "cell with numeric values.\nText cells and empty cells are disregarded!"};

#define KV_CMP_SHAPE_PT                                                                            \
  "Selecione um intervalo de células com pelo menos 2 linhas e exatamente 2 colunas para a "      \
  "curva de juros: taxas de juros ao ano base 252 na primeira coluna e dias úties na segunda "    \
  "coluna!"
#define KV_CMP_SHAPE_EN                                                                            \
  "Please, select a range of cells with at least 2 rows and exactly 2 columns for Brazilian "      \
  "yield curve: interest rate (base 252) in the first column and workdays in the second one!"
constexpr BilingualText kCmpShape{KV_CMP_SHAPE_PT, KV_CMP_SHAPE_EN};
constexpr BilingualText kCmpData{
    KV_CMP_SHAPE_PT " \n\nCélulas vazias, com texto ou com dias úties menores do que 1 são "
                    "ignoradas!",
    KV_CMP_SHAPE_EN "\n\nText cells, empty cells or workdays lesser than 1 are disregarded!"};

#define KV_ROWS_SKIPPED_PT "\n\nLinhas de dados com células vazias ou com texto são ignoradas!"
#define KV_ROWS_SKIPPED_EN "\n\nRows with text cells or empty cells are disregarded!"
#define KV_SQUARE_SHAPE_PT                                                                         \
  "Selecione um intervalo de células com pelo menos 2 colunas e com um número de linhas maior "  \
  "ou igual ao número de colunas."
#define KV_SQUARE_SHAPE_EN                                                                         \
  "Please, select a range of cells with at least 2 columns and a number of rows equal or "         \
  "greater than the number of columns."
constexpr BilingualText kSquareShape{KV_SQUARE_SHAPE_PT, KV_SQUARE_SHAPE_EN};
constexpr BilingualText kSquareData{KV_SQUARE_SHAPE_PT KV_ROWS_SKIPPED_PT,
                                    KV_SQUARE_SHAPE_EN KV_ROWS_SKIPPED_EN};
#define KV_TALL_SHAPE_PT                                                                           \
  "Selecione um intervalo de células com pelo menos 2 colunas e com um número de linhas maior "  \
  "do que o número de colunas."
#define KV_TALL_SHAPE_EN                                                                           \
  "Please, select a range of cells with at least 2 columns and a number of rows greater than "     \
  "the number of columns."
constexpr BilingualText kTallShape{KV_TALL_SHAPE_PT, KV_TALL_SHAPE_EN};
constexpr BilingualText kTallData{KV_TALL_SHAPE_PT KV_ROWS_SKIPPED_PT,
                                  KV_TALL_SHAPE_EN KV_ROWS_SKIPPED_EN};

constexpr BilingualText kEwvData{
    "Selecione mais de 40 células contendo dados numéricos para o cálculo do alisamento "
    "exponencial ótimo!\nTextos e células vazias são ignoradas!",
    "Please, select a range greater than 40 cells with numeric data for  best exponentially "
    "weighting calculation!\nText cells and empty cells are disregarded!"};

constexpr BilingualText kArchData{
    "Selecione mais de 2 células contendo dados numéricos para o cálculo da volatilidade "
    "condicional pela família ARCH!\nTextos e células vazias são ignoradas!",
    "Please, select more than 2 cells with numeric data for volatility calculation with ARCH "
    "family models!\nText cells or empty cells are disregarded!"};

// SELECTION as one rectangle of the active sheet. Several areas or cells of another sheet come
// as a reference of type 8, anything else that is selected (a drawing, a chart item) as no
// reference at all: false for both, and no cell is read. Through Excel 12 records the rectangle
// may lie anywhere on today's grid.
template <class Oper> bool SelectedRectangleOf(SelectionBounds& bounds) {
  xl::BasicExcelValue<Oper> selection;
  int code = xlretFailed;
  if constexpr (std::is_same_v<Oper, XLOPER>)
    code = ExcelCall(xlfSelection, selection.Fill(), 0);
  else
    code = Excel12(xlfSelection, selection.Fill(), 0);
  if (code != xlretSuccess) {
    selection.Forget();
    return false;
  }
  if (selection.Type() != xltypeSRef) return false; // given back as the owner ends
  selection.Forget(); // one rectangle: nothing of Excel's memory to give back
  const auto& area = selection->val.sref.ref;
  if (area.rwFirst < 0 || area.rwLast < area.rwFirst || area.colFirst < 0 ||
      area.colLast < area.colFirst)
    return false;
  bounds =
      SelectionBounds{static_cast<unsigned>(area.rwFirst), static_cast<unsigned>(area.rwLast),
                      static_cast<unsigned>(area.colFirst), static_cast<unsigned>(area.colLast)};
  return true;
}

// Through Excel 12 records, at most this many cells are read in one call.
constexpr unsigned kBlockCells = 1u << 18;

// The cells of `area` coerced to one array in one call, into `block` (the array it held goes
// back to Excel first); false when Excel gives no array of the area's shape.
bool ReadBlock12(const SelectionBounds& area, xl::ExcelValue12& block) {
  block.Release();
  XLOPER12 reference{};
  reference.xltype = xltypeSRef;
  reference.val.sref.count = 1;
  reference.val.sref.ref =
      XLREF12{static_cast<RW>(area.first_row), static_cast<RW>(area.last_row),
              static_cast<COL>(area.first_column), static_cast<COL>(area.last_column)};
  XLOPER12 type = xl::Integer<XLOPER12>(xltypeMulti);
  return Excel12(xlCoerce, block.Fill(), 2, &reference, &type) == xlretSuccess &&
         block.Type() == xltypeMulti && block->val.array.lparray != nullptr &&
         static_cast<unsigned>(block->val.array.rows) == area.Rows() &&
         static_cast<unsigned>(block->val.array.columns) == area.Columns();
}

// A number or an integer of a block; nothing else is a number.
bool NumberOf(const XLOPER12& cell, double& value) {
  switch (xl::BaseType(cell)) {
  case xltypeNum: value = cell.val.num; return true;
  case xltypeInt: value = cell.val.w; return true;
  default: return false;
  }
}

bool SelectedRectangle(SelectionBounds& bounds) {
  return UsesExcel12() ? SelectedRectangleOf<XLOPER12>(bounds)
                       : SelectedRectangleOf<XLOPER>(bounds);
}

// The selection's cells. Numbers and integers are numbers; texts, Booleans, errors and empty
// cells are not.
//
// Through Excel 4 records, one GET.CELL (5) call per cell into one record that each read
// overwrites; a text's memory goes back to Excel as soon as it is read, since only numbers are
// kept, and the last result goes back when the reader ends. Through Excel 12 records, whole
// rows of the selection at once, up to kBlockCells cells coerced to one array in one call: a
// million calls into Excel would take seconds. A block that cannot be read holds no numbers.
class CellReader {
public:
  explicit CellReader(const SelectionBounds& bounds) : bounds_(bounds) {}

  bool Number(unsigned row, unsigned column, double& value) {
    if (UsesExcel12()) return NumberInBlock(row, column, value);
    const auto r = static_cast<std::uint16_t>(row);
    const auto c = static_cast<std::uint8_t>(column);
    if (ExcelCall(xlfGetCell, cell_.Fill(), 2, TempInteger(5), TempSheetRange(r, r, c, c)) !=
        xlretSuccess)
      return false;
    switch (cell_.Type()) {
    case xltypeNum: value = cell_->val.num; return true;
    case xltypeInt: value = cell_->val.w; return true;
    case xltypeStr: cell_.Release(); return false;
    default: return false;
    }
  }

private:
  bool NumberInBlock(unsigned row, unsigned column, double& value) {
    if (row < block_first_ || row > block_last_) {
      // The rows from `row` on, as many as a block holds.
      const unsigned rows = std::max(1u, kBlockCells / bounds_.Columns());
      block_first_ = row;
      block_last_ = bounds_.last_row - row < rows ? bounds_.last_row : row + rows - 1;
      readable_ = ReadBlock12(
          SelectionBounds{block_first_, block_last_, bounds_.first_column, bounds_.last_column},
          block_);
    }
    return readable_ &&
           NumberOf(block_->val.array.lparray[std::size_t{row - block_first_} * bounds_.Columns() +
                                              (column - bounds_.first_column)],
                    value);
  }

  const SelectionBounds bounds_;
  xl::ExcelValue cell_;
  xl::ExcelValue12 block_;
  bool readable_ = false;
  // The rows of the block held; none before the first read.
  unsigned block_first_ = 1, block_last_ = 0;
};

// The rows whose cells are all numbers, read row by row from left to right; a row is left at
// its first cell that is not a number. `inside_unit` tells whether every number read lay in
// [-1, 1], as the entries of a correlation matrix do.
Matriz ReadRows(const SelectionBounds& bounds, bool& inside_unit) {
  CellReader reader(bounds);
  Matriz rows;
  inside_unit = true;
  for (unsigned row = bounds.first_row; row <= bounds.last_row; ++row) {
    std::vector<double> values;
    double value = 0;
    bool complete = true;
    for (unsigned column = bounds.first_column; column <= bounds.last_column; ++column) {
      if (!reader.Number(row, column, value)) {
        complete = false;
        break;
      }
      if (value < -1.0 || value > 1.0) inside_unit = false;
      values.push_back(value);
    }
    if (complete) rows.push_back(std::move(values));
  }
  return rows;
}

// The message a launch stops with, or null when its dialog is ready to be shown.
using Stop = const BilingualText*;

// The launch every tool shares: Excel's window as the dialogs' owner, a new dialog in the
// language in use, the selection as one rectangle; then `prepare` checks and reads the cells,
// fills the dialog and sets its defaults, or names the message that stops the launch. A launch
// that fails leaves nothing of itself behind: its dialog goes, and Excel is told 0.
template <class Dialog, class Prepare>
short Launch(const char* procedure, Dialog*& dialog, Prepare prepare) {
  auto failed = [&dialog]() -> short {
    delete dialog;
    dialog = nullptr;
    return 0;
  };
  return Guarded(procedure, failed, [&]() -> short {
    FindExcelMainWindow(ExcelMainWindow);
    forms::Application.Handle = ExcelMainWindow;
    Recreate(dialog);
    if (CurrentLanguage == Language::English) dialog->UseEnglish();
    SelectionBounds bounds;
    const Stop stop = SelectedRectangle(bounds) ? prepare(*dialog, bounds) : &kAdjacentCells;
    if (stop != nullptr) {
      ShowToolMessage(*stop);
      return failed();
    }
    ShowAndRelease(dialog);
    return 1;
  });
}

} // namespace

std::vector<double> ReadSeries(const SelectionBounds& bounds) {
  std::vector<double> series;
  double value = 0;
  if (!UsesExcel12()) {
    CellReader reader(bounds);
    for (unsigned column = bounds.first_column; column <= bounds.last_column; ++column)
      for (unsigned row = bounds.first_row; row <= bounds.last_row; ++row)
        if (reader.Number(row, column, value)) series.push_back(value);
    return series;
  }
  // Column by column as above, in blocks: whole columns, as many as a block holds, or pieces
  // of one column when it is longer than a block.
  const unsigned rows = std::min(bounds.Rows(), kBlockCells);
  const unsigned columns = std::max(1u, kBlockCells / rows);
  xl::ExcelValue12 block;
  for (unsigned first_column = bounds.first_column;;) {
    const unsigned last_column = bounds.last_column - first_column < columns
                                     ? bounds.last_column
                                     : first_column + columns - 1;
    for (unsigned first_row = bounds.first_row;;) {
      const unsigned last_row =
          bounds.last_row - first_row < rows ? bounds.last_row : first_row + rows - 1;
      const SelectionBounds area{first_row, last_row, first_column, last_column};
      if (ReadBlock12(area, block))
        for (unsigned c = 0; c < area.Columns(); ++c)
          for (unsigned r = 0; r < area.Rows(); ++r)
            if (NumberOf(block->val.array.lparray[std::size_t{r} * area.Columns() + c], value))
              series.push_back(value);
      if (last_row == bounds.last_row) break;
      first_row = last_row + 1;
    }
    if (last_column == bounds.last_column) break;
    first_column = last_column + 1;
  }
  return series;
}

std::string RangeText(const SelectionBounds& bounds) {
  return "=$" + ColumnLetters(bounds.first_column) + "$" + std::to_string(bounds.first_row + 1) +
         ":" + ColumnLetters(bounds.last_column) + "$" + std::to_string(bounds.last_row + 1);
}

KV_ENTRY(short) kv_chama_hist() {
  return Launch("kv_chama_hist", f_hist,
                [](Tf_hist& dialog, const SelectionBounds& bounds) -> Stop {
                  dialog.serie = ReadSeries(bounds);
                  dialog.bounds = bounds;
                  if (dialog.serie.size() < 2) return &kHistData;
                  dialog.intervalo->SetText(RangeText(bounds));
                  dialog.SetDefaults(static_cast<unsigned>(dialog.serie.size()));
                  return nullptr;
                });
}

KV_ENTRY(short) kv_chama_cmp() {
  return Launch("kv_chama_cmp", f_cmp, [](Tf_cmp& dialog, const SelectionBounds& bounds) -> Stop {
    if (bounds.Rows() < 2 || bounds.Columns() != 2) return &kCmpShape;
    // A row is a vertex when it holds a rate and at least one workday; workdays are whole
    // days, the fraction cut off. A count of workdays beyond any curve's is not one.
    std::vector<Vertex> rows;
    {
      CellReader reader(bounds);
      for (unsigned row = bounds.first_row; row <= bounds.last_row; ++row) {
        double rate = 0, days = 0;
        const bool has_rate = reader.Number(row, bounds.first_column, rate);
        const bool has_days = reader.Number(row, bounds.first_column + 1, days);
        if (has_rate && has_days && days >= 1.0 && days < 2147483648.0)
          rows.push_back(Vertex{static_cast<std::int32_t>(std::trunc(days)), rate});
      }
    }
    dialog.bounds = bounds;
    if (rows.size() < 2) return &kCmpData;
    // One vertex per workday value, the largest rate quoted for it.
    dialog.curva = MergeCurve(std::move(rows));
    dialog.intervalo->SetText(RangeText(bounds));
    return nullptr;
  });
}

namespace {
// PCA, ICA and regression: the rows of numbers as the data matrix, at least two variables and
// enough observations for them (`more_rows`: strictly more rows than columns).
template <class Dialog>
Stop PrepareMatrix(Dialog& dialog, const SelectionBounds& bounds, bool more_rows,
                   const BilingualText& shape, const BilingualText& data, bool& inside_unit) {
  auto enough_rows = [more_rows](std::size_t rows, std::size_t columns) {
    return more_rows ? rows > columns : rows >= columns;
  };
  if (bounds.Columns() < 2 || !enough_rows(bounds.Rows(), bounds.Columns())) return &shape;
  dialog.dados = ReadRows(bounds, inside_unit);
  dialog.bounds = bounds;
  const std::size_t rows = dialog.dados.size();
  const std::size_t columns = rows == 0 ? 0 : dialog.dados[0].size();
  if (rows == 0 || columns < 2 || !enough_rows(rows, columns)) return &data;
  dialog.intervalo->SetText(RangeText(bounds));
  return nullptr;
}
} // namespace

KV_ENTRY(short) kv_chama_pca() {
  return Launch("kv_chama_pca", f_pca, [](Tf_pca& dialog, const SelectionBounds& bounds) -> Stop {
    bool inside_unit = true;
    const Stop stop = PrepareMatrix(dialog, bounds, false, kSquareShape, kSquareData, inside_unit);
    if (stop != nullptr) return stop;
    // Only a square block of numbers within [-1, 1] can be a correlation matrix.
    dialog.SetDefaults(dialog.dados.size() == dialog.dados[0].size() && inside_unit);
    return nullptr;
  });
}

KV_ENTRY(short) kv_chama_ica() {
  return Launch("kv_chama_ica", f_ica, [](Tf_ica& dialog, const SelectionBounds& bounds) -> Stop {
    bool inside_unit = true;
    const Stop stop = PrepareMatrix(dialog, bounds, false, kSquareShape, kSquareData, inside_unit);
    if (stop != nullptr) return stop;
    dialog.SetDefaults(static_cast<unsigned>(dialog.dados[0].size()));
    return nullptr;
  });
}

KV_ENTRY(short) kv_chama_rlm() {
  return Launch("kv_chama_rlm", f_rlm, [](Tf_rlm& dialog, const SelectionBounds& bounds) -> Stop {
    bool inside_unit = true;
    const Stop stop = PrepareMatrix(dialog, bounds, true, kTallShape, kTallData, inside_unit);
    if (stop != nullptr) return stop;
    dialog.SetDefaults(static_cast<unsigned>(dialog.dados[0].size()));
    return nullptr;
  });
}

KV_ENTRY(short) kv_chama_ewv() {
  return Launch("kv_chama_ewv", f_decay,
                [](Tf_decay& dialog, const SelectionBounds& bounds) -> Stop {
                  dialog.serie = ReadSeries(bounds);
                  dialog.bounds = bounds;
                  if (dialog.serie.size() <= 40) return &kEwvData;
                  dialog.intervalo->SetText(RangeText(bounds));
                  dialog.SetDefaults();
                  return nullptr;
                });
}

KV_ENTRY(short) kv_chama_arch() {
  return Launch("kv_chama_arch", f_arch,
                [](Tf_arch& dialog, const SelectionBounds& bounds) -> Stop {
                  dialog.serie = ReadSeries(bounds);
                  dialog.bounds = bounds;
                  if (dialog.serie.size() < 3) return &kArchData;
                  dialog.intervalo->SetText(RangeText(bounds));
                  dialog.SetDefaults(static_cast<unsigned>(dialog.serie.size()));
                  return nullptr;
                });
}
