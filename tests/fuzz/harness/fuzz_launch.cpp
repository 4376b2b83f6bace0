// A tool launched on any sheet and selection: the launch reads the selection and its cells
// through Excel's calls, refuses what it cannot use with its message, or opens its dialog, which
// the harness answers (mostly Cancel; OK for the quick tools, which then write their results).
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "Lancamento.h"
#include "excel/excel_host.h"
#include "fuzz_input.h"
#include "ui/dialog_driver.h"

namespace {

kvhost::Workbook FuzzedBook(kvfuzz::FuzzInput& in) {
  kvhost::Sheet sheet(0, in.Flag() ? "Dados" : "Preços e taxas");
  const std::uint32_t rows = 1 + in.Byte() % 48, columns = 1 + in.Byte() % 6;
  for (std::uint32_t r = 0; r < rows; ++r)
    for (std::uint32_t c = 0; c < columns; ++c) {
      switch (in.Byte() % 10) {
      case 0: break;
      case 1: sheet.cells.SetText(r, c, in.Text(12)); break;
      case 2: sheet.cells.SetBoolean(r, c, in.Flag()); break;
      case 3: sheet.cells.SetError(r, c, 42); break;
      default: sheet.cells.SetNumber(r, c, in.Number()); break;
      }
    }
  kvhost::Workbook book;
  book.name = "Dados.csv";
  book.sheets.push_back(std::move(sheet));
  return book;
}

kvhost::CellRange FuzzedArea(kvfuzz::FuzzInput& in) {
  std::uint32_t rows[2] = {in.Word() % 64u, in.Word() % 64u};
  std::uint32_t columns[2] = {in.Byte() % 8u, in.Byte() % 8u};
  if (in.Byte() % 16 == 0) rows[1] = kvhost::kMaxRows - 1; // a whole column
  if (rows[0] > rows[1]) std::swap(rows[0], rows[1]);
  if (columns[0] > columns[1]) std::swap(columns[0], columns[1]);
  return kvhost::CellRange{rows[0], rows[1], columns[0], columns[1]};
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
  const bool ok = tool != 3 && tool != 6 && in.Byte() % 4 == 0; // not the ICA or the ARCH family
  using Kind = kvhost::DialogAction::Kind;
  dialogs.AddActions({{ok ? Kind::Ok : Kind::Cancel, "", ""}});

  kvhost::Workbook& book = host.app().OpenWorkbook(FuzzedBook(in));
  kvhost::Selection selection{book.sheets[0].id, {FuzzedArea(in)}};
  for (int extra = in.Byte() % 4; extra > 0 && extra != 3; --extra)
    selection.areas.push_back(FuzzedArea(in));
  host.app().Select(selection);

  short (*const launches[])() = {kv_chama_hist, kv_chama_cmp, kv_chama_pca, kv_chama_ica,
                                 kv_chama_rlm,  kv_chama_ewv, kv_chama_arch};
  const short answer = launches[tool]();
  if (answer != 0 && answer != 1) std::abort(); // 1 shown, 0 stopped with its message
  return 0;
}
