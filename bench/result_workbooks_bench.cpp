// The histogram, comparison, PCA, regression, best-decay, ICA and ARCH tools from the launch to the
// saved .xlsx, in kvhost with the built add-in, timed in parts: the launch (the PCA, ICA and
// regression read their cells there, one GET.CELL per cell), reading the cells after OK (the
// histogram), the add-in's own time (computing, laying out), the host's time in the output
// calls, and writing the file; and the process's peak memory so far.
//
//   bench_result_workbooks [ADDIN [CASE]]    (default: the kavenlor.so built beside it; CASE
//                                             runs only the cases whose title contains it)
//
// Every Excel4v (and, in the cases run as today's Excel, Excel12v) call goes through a dispatcher
// that counts the calls and, from OK on, times them, noting when the last GET.CELL or block of
// cells (xlCoerce) returned and when NEW was called; the dialog is answered by a driver that
// notes when OK was pressed.
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cli/huge_page_heap.h"
#include "excel/addin.h"
#include "excel/command_macro.h"
#include "excel/excel_host.h"
#include "io/data_workbook.h"
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
  std::size_t cells_read = 0;              // GET.CELL calls after OK
  Clock::duration in_host_cells{};         // time spent inside the host's GET.CELL after OK
  Clock::duration in_host_other{};         // and inside its other calls after OK (the output)
  std::size_t output_calls = 0;            // Excel4v calls from NEW on
  std::size_t calls = 0;                   // every call of the add-in, from the launch on
  std::size_t cell_calls = 0;              // of them, GET.CELL and xlCoerce: the reading of cells
  Clock::time_point first_read, last_read; // the first such call's start, the last one's end
  bool pressed = false;
  bool reading = false; // the last call before OK read cells
  // What a person does in the dialog before OK: controls set to a value, then boxes clicked.
  std::vector<std::pair<std::string, std::string>> sets;
  std::vector<std::string> clicks;
};

template <class Oper>
int TimedDispatch(void* context, int xlfn, Oper* result, int count, Oper** args) {
  auto& t = *static_cast<Timing*>(context);
  for (int i = 0; i < count; ++i)
    if (args[i] == nullptr) return xlretInvXloper;
  const bool cells = xlfn == xlfGetCell || xlfn == xlCoerce;
  if (!t.pressed) {
    // Before OK only the stretch of reading is timed, not each call: the clock, read around
    // each of millions of calls, would cost more than the host's answers it measures.
    // The reading ends at the first call after it other than xlSheetId, which the add-in asks
    // before each GET.CELL for the reference it reads.
    if (cells && t.cell_calls == 0) t.first_read = Clock::now();
    if (!cells && xlfn != xlSheetId && t.reading) t.last_read = Clock::now();
    if (cells || xlfn != xlSheetId) t.reading = cells;
    ++t.calls;
    if (cells) ++t.cell_calls;
    return t.host->Call(xlfn, result,
                        kvhost::ArgumentsOf<Oper>(args, static_cast<std::size_t>(count)));
  }
  if (xlfn == xlcNew && t.first_new == Clock::time_point{}) t.first_new = Clock::now();
  const auto start = Clock::now();
  const int code =
      t.host->Call(xlfn, result, kvhost::ArgumentsOf<Oper>(args, static_cast<std::size_t>(count)));
  ++t.calls;
  if (cells) {
    if (t.cell_calls++ == 0) t.first_read = start;
    t.last_read = Clock::now();
  }
  if (t.first_new != Clock::time_point{}) ++t.output_calls;
  if (cells) {
    t.last_cell = Clock::now();
    t.in_host_cells += t.last_cell - start;
    const bool block = result != nullptr && xl::BaseType(*result) == xltypeMulti;
    t.cells_read += block ? static_cast<std::size_t>(result->val.array.rows) *
                                static_cast<std::size_t>(result->val.array.columns)
                          : 1;
  } else {
    t.in_host_other += Clock::now() - start;
  }
  return code;
}

void PressOk(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
  auto& t = *static_cast<Timing*>(context);
  std::string why;
  // Clicks first: a check box may enable the controls set after it.
  for (const std::string& control : t.clicks)
    if (!form.Click(control, why)) std::fprintf(stderr, "bench: %s\n", why.c_str());
  for (const auto& [control, value] : t.sets)
    if (!form.SetValue(control, value, why)) std::fprintf(stderr, "bench: %s\n", why.c_str());
  t.ok = Clock::now();
  if (t.reading) t.last_read = t.ok;
  t.pressed = true;
  if (!form.Click("b_ok", why)) std::fprintf(stderr, "bench: %s\n", why.c_str());
}

struct Case {
  const char* title;
  const char* command;
  kvhost::Workbook data;
  kvhost::CellRange selection;
  std::vector<std::pair<std::string, std::string>> sets;
  std::vector<std::string> clicks;
  bool excel12 =
      false; // run as today's Excel: the add-in reads and writes through Excel 12 records
};

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

bool RunCase(const std::string& addin_path, Case c) {
  kvhost::ExcelHost host;
  host.OfferExcel12(c.excel12);
  Timing t;
  t.host = &host;
  t.sets = c.sets;
  t.clicks = c.clicks;
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
  XlInstallDispatcher(&TimedDispatch<XLOPER>, &t);
  if (c.excel12) XlInstallDispatcher12(&TimedDispatch<XLOPER12>, &t);
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
  // After the reading, the add-in computes and lays out (its own time) while the host carries
  // out the output calls (the host's time); the PCA and ICA open their workbook first.
  const double output = Seconds(t.in_host_other);
  const double computing = Seconds(t.end - read_until) - output;
  const double per_cell = t.cells_read > 0 ? reading / static_cast<double>(t.cells_read) * 1e6 : 0;
  const double in_host =
      t.cells_read > 0 ? Seconds(t.in_host_cells) / static_cast<double>(t.cells_read) * 1e6 : 0;
  const double writing = Seconds(written_at - write_start);
  const auto line = [](const std::string& what, double seconds, const std::string& note = "") {
    std::printf("  %-46s %8.3f s%s\n", what.c_str(), seconds, note.c_str());
  };
  char note[96];
  std::snprintf(note, sizeof note, "  (%.3f us a cell, %.3f us of it in the host)", per_cell,
                in_host);
  std::printf("%s\n", c.title);
  line("launch: selection, count of numeric cells", Seconds(t.ok - start));
  line("OK to last cell read: " + std::to_string(t.cells_read) + " cells read", reading,
       t.cells_read > 0 ? note : "");
  line("in the add-in: computing, laying out", computing);
  line("in the host: " + std::to_string(t.output_calls) + " output calls", output);
  line("writing the .xlsx", writing);
  line("OK to saved file", reading + computing + output + writing);
  line("launch to saved file", Seconds(t.ok - start) + reading + computing + output + writing);
  std::printf("  %-46s %8zu (%zu reading cells, first to last in %.3f s)\n",
              "calls to Excel, launch to end", t.calls, t.cell_calls,
              t.cell_calls > 0 ? Seconds(t.last_read - t.first_read) : 0.0);
  std::printf("  %-46s %8.0f MB\n\n", "peak memory of the process so far", PeakMegabytes());
  return true;
}

// xorshift: a reproducible spread of values in [0, 1).
struct Uniform {
  std::uint64_t state;
  double operator()() {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return static_cast<double>(state >> 11) * 0x1.0p-53;
  }
};

kvhost::Workbook Numbers(std::uint32_t rows, std::uint32_t columns) {
  kvhost::Cells cells;
  Uniform uniform{88172645463325252ull};
  for (std::uint32_t c = 0; c < columns; ++c)
    for (std::uint32_t r = 0; r < rows; ++r) {
      const double u = uniform();
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
// Returns of a random walk with a few common factors, so that the PCA finds structure.
kvhost::Workbook Factors(std::uint32_t rows, std::uint32_t columns, std::uint32_t factors) {
  kvhost::Cells cells;
  Uniform uniform{88172645463325252ull};
  std::vector<double> common(factors);
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (double& f : common)
      f = uniform() - 0.5;
    for (std::uint32_t c = 0; c < columns; ++c)
      cells.SetNumber(r, c,
                      common[c % factors] + 0.5 * common[(c + 1) % factors] + uniform() - 0.5);
  }
  kvhost::Workbook book;
  book.name = "factors.csv";
  book.sheets.emplace_back(0, "factors", std::move(cells));
  return book;
}

// Independent signals (sines, square waves, noise) mixed by a fixed matrix, for the ICA.
kvhost::Workbook Mixtures(std::uint32_t rows, std::uint32_t signals) {
  kvhost::Cells cells;
  Uniform uniform{0x9E3779B97F4A7C15ull};
  std::vector<double> source(signals);
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t s = 0; s < signals; ++s) {
      const double phase = 0.01 * (s + 1) * r;
      source[s] = s % 3 == 0   ? std::sin(phase)
                  : s % 3 == 1 ? (std::sin(phase) > 0 ? 1 : -1)
                               : uniform() - 0.5;
    }
    for (std::uint32_t c = 0; c < signals; ++c) {
      double mixed = 0;
      for (std::uint32_t s = 0; s < signals; ++s)
        mixed += source[s] * (1.0 + ((c * 7 + s * 3) % 5)) / (1.0 + (c == s ? 0 : 2));
      cells.SetNumber(r, c, mixed);
    }
  }
  kvhost::Workbook book;
  book.name = "mixtures.csv";
  book.sheets.emplace_back(0, "mixtures", std::move(cells));
  return book;
}
// A bundled data file (data/NAME.csv) as the workbook kvhost opens from it; empty when it
// cannot be read.
kvhost::Workbook Bundled(const char* name) {
  std::string error;
  auto book = kvhost::ReadDataWorkbook({std::string(KV_DATA_DIR "/") + name}, error);
  if (!book) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return kvhost::Workbook{};
  }
  return std::move(*book);
}
} // namespace

int main(int argc, char** argv) {
  kvhost::RestartWithHugePageHeap(argv);
  const std::string addin =
      argc > 1 ? argv[1] : (std::filesystem::path(argv[0]).parent_path() / "kavenlor.so").string();
  const std::string only = argc > 2 ? argv[2] : "";
  bool ok = true;
  auto run = [&](const char* title, auto&& make) {
    if (std::string(title).find(only) == std::string::npos) return;
    ok = RunCase(addin, make(title)) && ok;
  };
  run("Histogram of 10^6 cells (50000 rows x 20 columns), 99 bins", [](const char* title) {
    return Case{title,
                "kv_menu_hist",
                Numbers(50000, 20),
                kvhost::CellRange{0, 49999, 0, 19},
                {{"faixas", "99"}},
                {}};
  });
  run("Histogram of 10^7 cells (10^6 rows x 10 columns) as today's Excel, 99 bins",
      [](const char* title) {
        Case c{title,
               "kv_menu_hist",
               Numbers(1000000, 10),
               kvhost::CellRange{0, 999999, 0, 9},
               {{"faixas", "99"}},
               {}};
        c.excel12 = true;
        return c;
      });
  run("Comparison chart of a 1000-vertex curve (21 to 21000 workdays)", [](const char* title) {
    return Case{title, "kv_menu_cmp", Curve(1000), kvhost::CellRange{0, 999, 0, 1}, {}, {}};
  });
  run("PCA of 100 variables x 20000 rows, Kaiser, varimax and scree", [](const char* title) {
    return Case{
        title, "kv_menu_pca", Factors(20000, 100, 7), kvhost::CellRange{0, 19999, 0, 99}, {}, {}};
  });
  run("PCA of 300 variables x 5000 rows as today's Excel (A1:KN5000), Kaiser, varimax and scree",
      [](const char* title) {
        Case c{title, "kv_menu_pca", Factors(5000, 300, 7), kvhost::CellRange{0, 4999, 0, 299}, {},
               {}};
        c.excel12 = true;
        return c;
      });
  run("PCA of 100 variables x 20000 rows, scores, adequacy and parallel analysis",
      [](const char* title) {
        return Case{title,
                    "kv_menu_pca",
                    Factors(20000, 100, 7),
                    kvhost::CellRange{0, 19999, 0, 99},
                    {},
                    {"o_escores", "o_adequacao", "o_paralela"}};
      });
  run("Regression of 16 variables x 10000 rows, every option on", [](const char* title) {
    return Case{title, "kv_menu_rlm",  Factors(10000, 17, 5), kvhost::CellRange{0, 9999, 0, 16},
                {},    {"o_combinada"}};
  });
  run("Regression of 16 variables x 10000 rows: Newey-West, diagnostics, residuals sheet",
      [](const char* title) {
        return Case{title,
                    "kv_menu_rlm",
                    Factors(10000, 17, 5),
                    kvhost::CellRange{0, 9999, 0, 16},
                    {{"c_erros", "5"}},
                    {"o_diagnosticos", "o_residuos"}};
      });
  run("Combined correlations of 20 variables x 10000 rows", [](const char* title) {
    return Case{title, "kv_menu_rlm",  Factors(10000, 21, 5), kvhost::CellRange{0, 9999, 0, 20},
                {},    {"o_combinada"}};
  });
  run("Best decay of 20000 prices, the mean not null", [](const char* title) {
    return Case{title, "kv_menu_ewv", Numbers(20000, 1), kvhost::CellRange{0, 19999, 0, 0}, {}, {}};
  });
  run("ICA of 10 signals x 50000 observations, matrices and sources", [](const char* title) {
    return Case{title, "kv_menu_ica", Mixtures(50000, 10), kvhost::CellRange{0, 49999, 0, 9},
                {},    {"o_ica"}};
  });
  // The ARCH tool: one GARCH(1,1) on the DEM/GBP returns (bench/r_garch.R times fGarch and
  // tseries on the same series), and the best of all five models up to the orders (2,2) on
  // the DAX log returns: 34 fits on every core, and 102 under the three distributions.
  run("ARCH: GARCH(1,1) of the 1974 DEM/GBP returns, with its chart", [](const char* title) {
    return Case{title,
                "kv_menu_arch",
                Bundled("dem2gbp.csv"),
                kvhost::CellRange{1, 1974, 0, 0},
                {{"r_grupo", "1"}},
                {"o_retorno", "o_graf"}};
  });
  run("ARCH: best of 5 models x orders up to (2,2), 1859 DAX log returns", [](const char* title) {
    return Case{title,
                "kv_menu_arch",
                Bundled("eu_stock_markets.csv"),
                kvhost::CellRange{1, 1860, 0, 0},
                {{"c_q", "2"}, {"c_p", "2"}},
                {"o_melhor", "o_arch", "o_garch", "o_igarch", "o_egarch", "o_gjr", "o_graf"}};
  });
  // The same under the three error distributions (102 fits), with every option of the sheet.
  run("ARCH: best of 5 models x (2,2) x 3 distributions, errors, forecast, backtest",
      [](const char* title) {
        return Case{title,
                    "kv_menu_arch",
                    Bundled("eu_stock_markets.csv"),
                    kvhost::CellRange{1, 1860, 0, 0},
                    {{"c_q", "2"}, {"c_p", "2"}, {"c_dist", "3"}, {"horizonte", "10"}},
                    {"o_melhor", "o_arch", "o_garch", "o_igarch", "o_egarch", "o_gjr", "o_erros",
                     "o_backtest", "o_graf"}};
      });
  return ok ? 0 : 1;
}
