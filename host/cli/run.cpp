// kvhost run: one tool command driven as a person at Excel drives it. The data files are opened,
// the cells selected, the tool's menu item picked, its dialog set and answered.
#include <filesystem>
#include <iostream>

#include "../excel/addin.h"
#include "../excel/command_macro.h"
#include "../formula/formula.h"
#include "../io/data_workbook.h"
#include "../io/model_json.h"
#include "../io/xlsx_writer.h"
#include "commands.h"

namespace kvhost {
namespace {
// BOOK.xlsx for the first workbook, BOOK-2.xlsx for the second, and so on.
std::string NumberedPath(const std::string& path, std::size_t number) {
  if (number == 1) return path;
  const std::filesystem::path given(path);
  std::filesystem::path numbered = given;
  numbered.replace_filename(given.stem().string() + "-" + std::to_string(number) +
                            given.extension().string());
  return numbered.string();
}
} // namespace

int RunTool(const Options& options, const RunOptions& run) {
  if (options.dialog == "prompt" && !run.actions.empty()) {
    std::cerr << "kvhost: --dialog prompt answers the dialog at the terminal: give no actions\n";
    return kExitUsage;
  }
  // Everything that can be wrong with the input is found before the add-in loads.
  std::string error;
  auto data = ReadDataWorkbook(run.data_files, error);
  if (!data || !ActivateDataSheet(*data, run.sheet, error)) {
    std::cerr << "kvhost: " << error << '\n';
    return kExitUsage;
  }
  const auto selection = ParseSelection(run.select, error);
  if (!selection) {
    std::cerr << "kvhost: --select " << run.select << ": " << error << '\n';
    return kExitUsage;
  }

  ExcelHost host;
  DialogDriver dialogs(DialogModeOf(options), std::cout, std::cin);
  dialogs.ShowDialogs(run.show_dialog);
  dialogs.AddActions(run.actions);
  dialogs.Install();
  auto addin = LoadAddIn(host, options);
  if (!addin) return kExitUsage;
  addin->Open(); // at Excel's start, before the user opens the data
  host.app().OpenWorkbook(std::move(*data));

  // The selection is made on the active data sheet (the first visible one, or the one --sheet
  // clicked), or on the data sheet it names; naming
  // another sheet leaves the first one active, which is a selection on another sheet.
  const Sheet* sheet = &host.app().ActiveSheet();
  if (selection->sheet) {
    sheet = host.app().FindSheet(*selection->sheet);
    if (sheet == nullptr) {
      std::cerr << "kvhost: --select " << run.select << ": the data has no sheet named "
                << *selection->sheet << '\n';
      return kExitUsage;
    }
  }
  host.app().Select(Selection{sheet->id, selection->areas});

  const std::size_t alerts = host.app().Alerts().size();
  const std::size_t workbooks = host.app().Workbooks().size();
  std::string problem;
  if (!RunCommandMacro(host, "kv_menu_" + run.tool, problem)) {
    std::cerr << "kvhost: " << problem << '\n';
    return kExitUsage;
  }
  for (const DialogRecord& dialog : dialogs.Dialogs())
    std::cout << "Dialog \"" << dialog.caption << "\" closed by " << dialog.closed_by << '\n';
  std::cout.flush();

  if (dialogs.Refused()) {
    for (const DialogRecord& dialog : dialogs.Dialogs())
      if (!dialog.refusal.empty()) std::cerr << "kvhost: refused: " << dialog.refusal << '\n';
    return kExitUsage;
  }
  const bool error_shown = host.app().ErrorShownSince(alerts);
  // Actions no dialog took are a script that does not fit the run, unless the command stopped
  // with its message before any dialog opened.
  if (!dialogs.Pending().empty() && !(dialogs.Dialogs().empty() && error_shown)) {
    for (const DialogAction& action : dialogs.Pending())
      std::cerr << "kvhost: no dialog was open for: " << Describe(action) << '\n';
    return kExitUsage;
  }

  // The workbooks the command opened, saved in the order they were opened: the first to the
  // path given, the next ones beside it as BOOK-2.xlsx, BOOK-3.xlsx, ...
  const auto& books = host.app().Workbooks();
  for (const std::string* path : {&run.out_path, &run.dump_path}) {
    if (path->empty()) continue;
    if (books.size() <= workbooks) {
      std::cerr << "kvhost: the command opened no result workbook; " << *path
                << " is not written\n";
      continue;
    }
    for (std::size_t i = workbooks; i < books.size(); ++i) {
      const std::string target = NumberedPath(*path, i - workbooks + 1);
      std::string why;
      const bool saved = path == &run.out_path ? WriteXlsx(books[i], target, why)
                                               : WriteWorkbookJson(books[i], target, why);
      if (!saved) {
        std::cerr << "kvhost: " << why << '\n';
        return kExitUsage;
      }
    }
  }
  return error_shown ? kExitCommandFailed : kExitDone;
}

} // namespace kvhost
