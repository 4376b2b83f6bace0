// A tool launched on any sheet and selection: the launch reads the selection and its cells
// through Excel's calls, refuses what it cannot use with its message, or opens its dialog, which
// the harness answers (mostly Cancel; OK for the quick tools, which then write their results).
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

#include "Lancamento.h"
#include "excel/excel_host.h"
#include "fuzz_input.h"
#include "ui/dialog_driver.h"

namespace {

// The selection is read first and the sheet is made to cover its first area, so that even a short
// input reaches a tool's reading of the cells instead of stopping at an empty selection.
kvhost::CellRange FuzzedArea(kvfuzz::FuzzInput& in) {
  std::uint32_t rows[2] = {in.Byte() % 64u, in.Byte() % 64u};
  std::uint32_t columns[2] = {in.Byte() % 8u, in.Byte() % 8u};
  if (in.Byte() % 16 == 15) rows[1] = kvhost::kExcel4Grid.rows - 1; // a whole column
  if (rows[0] > rows[1]) std::swap(rows[0], rows[1]);
  if (columns[0] > columns[1]) std::swap(columns[0], columns[1]);
  return kvhost::CellRange{rows[0], rows[1], columns[0], columns[1]};
}

kvhost::Workbook FuzzedBook(kvfuzz::FuzzInput& in, const kvhost::CellRange& area) {
  kvhost::Sheet sheet(0, in.Flag() ? "Preços e taxas" : "Dados");
  const std::uint32_t rows = std::min<std::uint32_t>(area.last_row + 1, 64) + in.Byte() % 4;
  const std::uint32_t columns = area.last_column + 1;
  for (std::uint32_t r = 0; r < rows; ++r)
    for (std::uint32_t c = 0; c < columns; ++c) {
      switch (in.Byte() % 16) {
      case 12: break;
      case 13: sheet.cells.SetText(r, c, in.Text(12)); break;
      case 14: sheet.cells.SetBoolean(r, c, in.Flag()); break;
      case 15: sheet.cells.SetError(r, c, 42); break;
      default: sheet.cells.SetNumber(r, c, in.Number()); break;
      }
    }
  kvhost::Workbook book;
  book.name = "Dados.csv";
  book.sheets.push_back(std::move(sheet));
  return book;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kvfuzz::FuzzInput in(data, size);
  const std::uint8_t tool = in.Byte() % 7;
  kvhost::ExcelHost host;
  std::ostringstream out;
  std::istringstream none;
  kvhost::DialogDriver dialogs(kvhost::DialogMode::Script, out, none);
  dialogs.Install();
  // OK for a quarter of the inputs, but not for the ICA or the ARCH family: they take seconds.
  const bool ok = in.Byte() % 4 == 0 && tool != 3 && tool != 6;
  using Kind = kvhost::DialogAction::Kind;
  dialogs.AddActions({{ok ? Kind::Ok : Kind::Cancel, "", ""}});

  std::vector<kvhost::CellRange> areas{FuzzedArea(in)};
  for (int extra = in.Byte() % 8; extra > 0 && extra < 3; --extra)
    areas.push_back(FuzzedArea(in));
  kvhost::Workbook& book = host.app().OpenWorkbook(FuzzedBook(in, areas.front()));
  kvhost::Selection selection{book.sheets[0].id, std::move(areas)};
  host.app().Select(selection);

  short (*const launches[])() = {kv_chama_hist, kv_chama_cmp, kv_chama_pca, kv_chama_ica,
                                 kv_chama_rlm,  kv_chama_ewv, kv_chama_arch};
  const short answer = launches[tool]();
  if (answer != 0 && answer != 1) std::abort(); // 1 shown, 0 stopped with its message
  return 0;
}
