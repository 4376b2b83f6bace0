// The histogram and comparison tools from OK to the saved .xlsx, in kvhost with the built
// add-in, timed in parts: reading the cells (one GET.CELL per cell, as the tool reads them),
// computing, the output calls that build the result workbook, and writing the file.
//
//   bench_result_workbooks [ADDIN]    (default: the kavenlor.so built beside it)
//
// Every Excel4v call goes through a dispatcher that times the calls and notes when the last
// GET.CELL returned and when NEW was called; the dialog is answered by a driver that notes when
// OK was pressed.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

#include "excel/addin.h"
#include "excel/command_macro.h"
#include "excel/excel_host.h"
#include "io/xlsx_writer.h"
#include "kvplatform/modal.h"
#include "xlcall32.h"

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

struct Timing {
  kvhost::ExcelHost* host = nullptr;
  Clock::time_point ok, last_cell, first_new, end;
  std::size_t cells_read = 0;      // GET.CELL calls after OK
  Clock::duration in_host_cells{}; // time spent inside the host's GET.CELL after OK
  std::size_t output_calls = 0;    // Excel4v calls from NEW on
  bool pressed = false;
  const char* bins = nullptr; // the histogram's number of bins, set before OK
};

int TimedDispatch(void* context, int xlfn, LPXLOPER result, int count, LPXLOPER* args) {
  auto& t = *static_cast<Timing*>(context);
  for (int i = 0; i < count; ++i)
    if (args[i] == nullptr) return xlretInvXloper;
  if (t.pressed && xlfn == xlcNew && t.first_new == Clock::time_point{}) t.first_new = Clock::now();
  const auto start = Clock::now();
  const int code =
      t.host->Call(xlfn, result, kvhost::Arguments(args, static_cast<std::size_t>(count)));
  if (t.first_new != Clock::time_point{}) ++t.output_calls;
  if (t.pressed) {
    if (xlfn == xlfGetCell) {
      t.last_cell = Clock::now();
      t.in_host_cells += t.last_cell - start;
      ++t.cells_read;
    }
  }
  return code;
}

void PressOk(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
  auto& t = *static_cast<Timing*>(context);
  std::string why;
  if (t.bins != nullptr && !form.SetValue("faixas", t.bins, why))
    std::fprintf(stderr, "bench: %s\n", why.c_str());
  t.pressed = true;
  t.ok = Clock::now();
  if (!form.Click("b_ok", why)) std::fprintf(stderr, "bench: %s\n", why.c_str());
}

struct Case {
  const char* title;
  const char* command;
  kvhost::Workbook data;
  kvhost::CellRange selection;
  const char* bins;
};

bool RunCase(const std::string& addin_path, Case c) {
  kvhost::ExcelHost host;
  Timing t;
  t.host = &host;
  t.bins = c.bins;
  std::string error;
  auto addin = kvhost::AddIn::Load(host, addin_path, error);
  if (!addin) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return false;
  }
  addin->Open();
  const kvhost::Workbook& data = host.app().OpenWorkbook(std::move(c.data));
  host.app().Select(kvhost::Selection{data.sheets[0].id, {c.selection}});
  const std::size_t books = host.app().Workbooks().size();
  XlInstallDispatcher(&TimedDispatch, &t);
  kvp::SetModalDriver(&PressOk, &t);

  const auto start = Clock::now();
  std::string problem;
  const bool ran = kvhost::RunCommandMacro(host, c.command, problem);
  t.end = Clock::now();
  kvp::SetModalDriver(nullptr, nullptr);
  if (!ran || host.app().Workbooks().size() != books + 1 || !host.app().Alerts().empty()) {
    std::fprintf(stderr, "bench: %s made no result workbook %s\n", c.command, problem.c_str());
    return false;
  }
  const std::string path =
      (std::filesystem::temp_directory_path() / "kavenlor-bench.xlsx").string();
  const auto write_start = Clock::now();
  const bool written = kvhost::WriteXlsx(host.app().Workbooks().back(), path, error);
  const auto written_at = Clock::now();
  std::filesystem::remove(path);
  if (!written) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return false;
  }

  // A tool that took its data at the launch reads nothing after OK.
  const auto read_until = t.cells_read > 0 ? t.last_cell : t.ok;
  const double reading = Seconds(read_until - t.ok);
  const double computing = Seconds(t.first_new - read_until);
  const double per_cell = t.cells_read > 0 ? reading / static_cast<double>(t.cells_read) * 1e6 : 0;
  const double in_host =
      t.cells_read > 0 ? Seconds(t.in_host_cells) / static_cast<double>(t.cells_read) * 1e6 : 0;
  const double output = Seconds(t.end - t.first_new);
  const double writing = Seconds(written_at - write_start);
  const auto line = [](const std::string& what, double seconds, const std::string& note = "") {
    std::printf("  %-46s %8.3f s%s\n", what.c_str(), seconds, note.c_str());
  };
  char note[96];
  std::snprintf(note, sizeof note, "  (%.3f us a cell, %.3f us of it in the host)", per_cell,
                in_host);
  std::printf("%s\n", c.title);
  line("launch: selection, count of numeric cells", Seconds(t.ok - start));
  line("OK to last GET.CELL: " + std::to_string(t.cells_read) + " cells read", reading,
       t.cells_read > 0 ? note : "");
  line("computing", computing);
  line("output: " + std::to_string(t.output_calls) + " Excel4v calls", output);
  line("writing the .xlsx", writing);
  line("OK to saved file", reading + computing + output + writing);
  std::printf("\n");
  return true;
}

kvhost::Workbook Numbers(std::uint32_t rows, std::uint32_t columns) {
  kvhost::Cells cells;
  std::uint64_t state = 88172645463325252ull; // xorshift: a reproducible spread of values
  for (std::uint32_t c = 0; c < columns; ++c)
    for (std::uint32_t r = 0; r < rows; ++r) {
      state ^= state << 13, state ^= state >> 7, state ^= state << 17;
      const double u = static_cast<double>(state >> 11) * 0x1.0p-53;
      cells.SetNumber(r, c, 100 * std::exp(0.2 * (u - 0.5)));
    }
  kvhost::Workbook book;
  book.name = "bench.csv";
  book.sheets.emplace_back(0, "bench", std::move(cells));
  return book;
}

kvhost::Workbook Curve(std::uint32_t vertices) {
  kvhost::Cells cells;
  for (std::uint32_t v = 0; v < vertices; ++v) {
    const double days = 21.0 * (v + 1);
    cells.SetNumber(v, 0, 0.10 + 0.03 * std::log1p(days / 252.0) - 0.002 * std::sin(v * 0.3));
    cells.SetNumber(v, 1, days);
  }
  kvhost::Workbook book;
  book.name = "curve.csv";
  book.sheets.emplace_back(0, "curve", std::move(cells));
  return book;
}
} // namespace

int main(int argc, char** argv) {
  const std::string addin =
      argc > 1 ? argv[1] : (std::filesystem::path(argv[0]).parent_path() / "kavenlor.so").string();
  bool ok =
      RunCase(addin, {"Histogram of 10^6 cells (50000 rows x 20 columns), 99 bins", "kv_menu_hist",
                      Numbers(50000, 20), kvhost::CellRange{0, 49999, 0, 19}, "99"});
  ok = RunCase(addin, {"Comparison chart of a 1000-vertex curve (21 to 21000 workdays)",
                       "kv_menu_cmp", Curve(1000), kvhost::CellRange{0, 999, 0, 1}, nullptr}) &&
       ok;
  return ok ? 0 : 1;
}
