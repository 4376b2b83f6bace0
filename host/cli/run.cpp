// kvhost run: one tool command driven as a person at Excel drives it. The data files are opened,
// the cells selected, the tool's menu item picked, its dialog set and answered.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "../excel/addin.h"
#include "../excel/command_macro.h"
#include "../excel/runnable_commands.h"
#include "../formula/formula.h"
#include "../io/data_workbook.h"
#include "../io/model_json.h"
#include "../io/output_target.h"
#include "../io/xlsx_writer.h"
#include "commands.h"
#include "kvplatform/registry.h"

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

// The outputs asked for, each a path and its writer.
struct Output {
  const char* option;
  const std::string* path;
  bool (*write)(const Workbook&, const std::string&, std::string&);
};

bool WriteXlsxOutput(const Workbook& book, const std::string& file, std::string& error) {
  return WriteXlsxFile(book, file, error);
}

std::vector<Output> OutputsOf(const RunOptions& run) {
  std::vector<Output> outputs;
  if (run.out_path) outputs.push_back({"--out", &*run.out_path, &WriteXlsxOutput});
  if (run.dump_path) outputs.push_back({"--dump", &*run.dump_path, &WriteWorkbookJsonFile});
  return outputs;
}

// The files mapped into this process: kvhost, its libraries, the add-in once loaded.
std::vector<std::string> MappedFiles() {
  std::vector<std::string> files;
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    const std::size_t slash = line.find(" /");
    if (slash == std::string::npos) continue;
    std::string file = line.substr(slash + 1);
    if (files.empty() || files.back() != file) files.push_back(std::move(file));
  }
  return files;
}

// The files the run reads, which no output may be: the data, the add-in, the settings.
std::vector<ReadFile> InputsOf(const Options& options, const RunOptions& run) {
  std::vector<ReadFile> inputs;
  for (const std::string& data : run.data_files)
    inputs.push_back({data, "the data file"});
  inputs.push_back({options.addin_path, "the add-in"});
  for (const std::string& settings : {options.settings_file, kvp::RegistryFilePath()}) {
    if (settings.empty()) continue;
    inputs.push_back({settings, "the settings file"});
    inputs.push_back({settings + ".lock", "the settings' lock file"});
  }
  // kvhost itself and every library it runs (the add-in too, once loaded).
  for (const std::string& file : MappedFiles())
    inputs.push_back({file, "a file kvhost runs"});
  return inputs;
}

// Finds what would stop the outputs from being written before the command runs: an empty path,
// a target that is not a writable regular file, one file named twice, a file the run reads.
bool CheckOutputs(const Options& options, const RunOptions& run, std::string& error) {
  std::vector<std::string> targets;
  const std::vector<ReadFile> inputs = InputsOf(options, run);
  for (const Output& output : OutputsOf(run)) {
    std::string target;
    if (!ResolveOutputPath(*output.path, target, error)) return false;
    if (std::string reason = OverwritesInput(target, inputs); !reason.empty()) {
      error = std::string(output.option) + " " + *output.path + reason.substr(target.size());
      return false;
    }
    targets.push_back(std::filesystem::weakly_canonical(target).string());
  }
  if (targets.size() == 2 && targets[0] == targets[1]) {
    error = "--out and --dump name the same file, " + *run.out_path;
    return false;
  }
  return true;
}

// Saves the workbooks the command opened, in the order they were opened: the first to each path
// given, the next ones beside it as BOOK-2.xlsx, BOOK-3.xlsx, ... Every file is written before
// any replaces its target: all of them are saved, or none. With `replace` false only files that
// do not exist yet are written.
bool SaveOutputs(const Options& options, const RunOptions& run, const std::vector<Workbook>& books,
                 std::size_t first, bool replace, std::string& error) {
  OutputSet files(InputsOf(options, run), replace);
  for (const Output& output : OutputsOf(run)) {
    for (std::size_t i = first; i < books.size(); ++i) {
      const std::string target = NumberedPath(*output.path, i - first + 1);
      std::string staged, cause;
      if (!files.Stage(target, staged, error)) return false;
      if (!output.write(books[i], staged, cause)) {
        error = "cannot write " + target + ": " + cause;
        return false;
      }
    }
  }
  return files.Commit(error);
}
} // namespace

int RunTool(const Options& options, const RunOptions& run) {
  if (options.dialog == "prompt" && !run.actions.empty()) {
    std::cerr << "kvhost: --dialog prompt answers the dialog at the terminal: give no actions\n";
    return kExitUsage;
  }
  // Everything that can be wrong with the input is found before the add-in loads.
  std::string error;
  if (!CheckOutputs(options, run, error)) {
    std::cerr << "kvhost: " << error << '\n';
    return kExitUsage;
  }
  auto data = ReadDataWorkbook(run.data_files, error, run.csv, GridOf(options));
  if (!data || !ActivateDataSheet(*data, run.sheet, error)) {
    std::cerr << "kvhost: " << error << '\n';
    return kExitUsage;
  }
  const auto selection = ParseSelection(run.select, GridOf(options), error);
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
  // The tool is one of the add-in's menu items or commands, known only now that it has built its
  // menu and registered its commands.
  std::string problem;
  const auto command = FindRunnableCommand(RunnableCommands(host.app()), run.tool, problem);
  if (!command) {
    std::cerr << "kvhost: " << problem << '\n';
    return kExitUsage;
  }
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
  ArmCallFaults();
  if (!RunCommandMacro(host, *command, problem)) {
    std::cerr << "kvhost: " << problem << '\n';
    return kExitUsage;
  }
  for (const DialogRecord& dialog : dialogs.Dialogs())
    std::cout << "Dialog \"" << dialog.caption << "\" closed by " << dialog.closed_by << '\n';
  std::cout.flush();
  // What the command made while kvhost could not serve its calls is not saved.
  if (OutOfMemoryInCallbacks()) {
    std::cerr << "kvhost: out of memory\n";
    return kExitUsage;
  }

  if (dialogs.Refused()) {
    for (const DialogRecord& dialog : dialogs.Dialogs())
      if (!dialog.refusal.empty()) std::cerr << "kvhost: refused: " << dialog.refusal << '\n';
    return kExitUsage;
  }
  const bool error_shown = host.app().ErrorShownSince(alerts);
  // Actions no dialog took are a script that does not fit the run, unless the command stopped
  // with its message before any dialog opened.
  if (!dialogs.Pending().empty() && !(dialogs.Dialogs().empty() && error_shown)) {
    std::cerr << "kvhost: no dialog was open for: ";
    const char* separator = "";
    for (const DialogAction& action : dialogs.Pending()) {
      std::cerr << separator << Describe(action);
      separator = "; ";
    }
    std::cerr << '\n';
    return kExitUsage;
  }

  // A command that ended with its message leaves the files it would have replaced as they were:
  // what it made is partial. --keep-partial saves it, to files that do not exist yet only.
  const auto& books = host.app().Workbooks();
  if (!OutputsOf(run).empty() && books.size() <= workbooks) {
    for (const Output& output : OutputsOf(run))
      std::cerr << "kvhost: the command opened no result workbook; " << *output.path
                << " is not written\n";
  } else if (error_shown && !run.keep_partial) {
    for (const Output& output : OutputsOf(run))
      std::cerr << "kvhost: the command ended with its message; " << *output.path
                << " is not written (--keep-partial saves what it made)\n";
  } else if (!SaveOutputs(options, run, books, workbooks, !error_shown, error)) {
    std::cerr << "kvhost: " << error
              << (error_shown ? " (--keep-partial writes only files that do not exist yet)" : "")
              << '\n';
    return kExitUsage;
  }
  return error_shown ? kExitCommandFailed : kExitDone;
}

} // namespace kvhost
