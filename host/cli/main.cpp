// kvhost: a headless Excel for the Kavenlor add-in.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <new>

#include "../excel/excel_host.h"
#include "commands.h"
#include "huge_page_heap.h"
#include "kvplatform/module.h"
#include "kvplatform/registry.h"
#include "settings_store.h"

namespace {
// The add-in built beside kvhost, else the one installed with it (KV_ADDIN_FROM_BIN is the
// add-in's folder relative to kvhost's, as `cmake --install` lays them out).
std::string DefaultAddInPath() {
  const std::filesystem::path folder =
      std::filesystem::path(kvp::ModuleFileName(nullptr)).parent_path();
  const std::filesystem::path beside = folder / "kavenlor.so";
  std::error_code failure;
  if (std::filesystem::exists(beside, failure)) return beside.string();
  const std::filesystem::path installed = (folder / KV_ADDIN_FROM_BIN / "kavenlor.so");
  if (std::filesystem::exists(installed, failure)) return installed.lexically_normal().string();
  return beside.string();
}

// The CSV dialect options, as given, of a subcommand that reads --data files.
struct CsvTexts {
  std::string separator, decimal;
};

void AddCsvOptions(CLI::App* command, CsvTexts& texts) {
  command
      ->add_option("--csv-separator", texts.separator,
                   "The character between the fields of the CSV data files: ',' ';' or tab "
                   "(default: found in each file; ';' when every one of its first lines holds "
                   "one outside quotes)")
      ->check(CLI::IsMember({",", ";", "tab", "\t"}));
  command
      ->add_option("--csv-decimal", texts.decimal,
                   "The decimal mark of the CSV data files' numbers: '.' or ',' (with ',' a "
                   "'.' separates groups of thousands: 1.628,75). Default: '.' in a comma file; "
                   "in a ';' or tab file, the one its numbers show, else ',' after ';' and '.' "
                   "after a tab")
      ->check(CLI::IsMember({".", ","}));
}

// Turns the texts into the dialect for `choice`; false, with the reason printed, when they do not
// go together.
bool TakeCsvChoice(const CsvTexts& texts, kvhost::CsvChoice& choice) {
  std::string error;
  if (kvhost::CsvChoiceFrom(texts.separator, texts.decimal, choice, error)) return true;
  std::cerr << "kvhost: " << error << '\n';
  return false;
}
// The command line and the run it asks for.
int RunCommandLine(int argc, char** argv) {
  CLI::App app{"kvhost - a headless Excel that loads the Kavenlor add-in as Excel does"};
  // One subcommand, unless --version asks for nothing else (checked after the parse).
  app.require_subcommand(0, 1);
  bool show_version = false;
  app.add_flag("--version", show_version,
               "Print kvhost's version, then the version recorded in the add-in file it loads "
               "(--addin), and exit");
  kvhost::Options options;
  options.addin_path = DefaultAddInPath();
  app.add_option("--addin", options.addin_path,
                 "The add-in to load (default: kavenlor.so beside kvhost, else the installed one, "
                 "../lib/kavenlor/kavenlor.so from kvhost's folder). A Windows .xll (x86-64) "
                 "runs in kvxlbridge.exe under `wine` from PATH: the helper that "
                 "KVHOST_XLL_HELPER names, else the one beside the add-in, else the one beside "
                 "kvhost; Wine needs a display (Xvfb will do)")
      ->capture_default_str();
  app.add_option("--lang", options.lang,
                 "The add-in's language for this run only (pt or en); the stored settings stay "
                 "as they are")
      ->check(CLI::IsMember({"pt", "en"}));
  app.add_option("--excel-lang", options.excel_lang, "The language of Excel's own menus (en or pt)")
      ->check(CLI::IsMember({"en", "pt"}))
      ->capture_default_str();
  app.add_option("--excel-version", options.excel_version,
                 "The Excel version GET.WORKSPACE(2) answers; from 12.0 on, the Excel 12 "
                 "interface (Excel12v) is offered beside the Excel 4 one")
      ->capture_default_str();
  app.add_option("--dialog", options.dialog,
                 "Who answers dialogs: script (press OK), print (show it, then press OK) or "
                 "prompt (a person at the terminal)")
      ->check(CLI::IsMember({"script", "print", "prompt"}))
      ->capture_default_str();
  kvhost::CallFaults faults;
  app.add_option("--fail-call", faults.fail_call,
                 "Excel refuses the add-in's N-th call through Excel4v (from 1), as a protected "
                 "sheet or a dialog in the way makes it refuse")
      ->check(CLI::PositiveNumber);
  app.add_option("--fail-calls-from", faults.fail_calls_from,
                 "Excel refuses every call of the add-in from the N-th on")
      ->check(CLI::PositiveNumber);
  bool count_calls = false;
  app.add_flag(
      "--count-calls", count_calls,
      "Print how many calls the add-in made through Excel4v and Excel12v, as the last line on "
      "standard error: N callbacks (before it, any blocks of Excel's memory the add-in never "
      "gave back with xlFree)");

  int status = 0;
  // Every command runs with the settings --lang asks for, made before the add-in is loaded.
  auto run = [&](std::function<int()> command) {
    return [&, command] {
      if (show_version) return;
      kvhost::SetCallFaults(faults);
      options.settings_file = kvp::RegistryFilePath();
      kvhost::SettingsForRun settings;
      std::string error;
      if (!settings.Prepare(options, error)) {
        std::cerr << "kvhost: " << error << '\n';
        status = kvhost::kExitUsage;
        return;
      }
      status = command();
    };
  };

  auto* info = app.add_subcommand("info", "Load the add-in; print its name and registrations");
  info->fallthrough();
  info->callback(run([&] { return kvhost::RunInfo(options); }));

  auto* addin = app.add_subcommand("addin", "The add-in manager's tick (add) and untick (remove)");
  addin->fallthrough();
  std::string addin_action;
  addin->add_option("action", addin_action, "add or remove")
      ->required()
      ->check(CLI::IsMember({"add", "remove"}));
  addin->callback(run([&] { return kvhost::RunAddInManager(options, addin_action == "add"); }));

  auto* eval = app.add_subcommand(
      "eval", "Evaluate formulas that call the add-in's worksheet functions, on data files");
  eval->fallthrough();
  kvhost::EvalOptions eval_options;
  // One file per --data, so that a formula after it is not taken for a second file.
  eval->add_option("--data", eval_options.data_files,
                   "A data file: a CSV file becomes a worksheet named after the file; an .xlsx "
                   "or .xls workbook brings its worksheets under their own names (the first "
                   "visible sheet is active)")
      ->allow_extra_args(false);
  CsvTexts eval_csv;
  AddCsvOptions(eval, eval_csv);
  eval->add_option("--sheet", eval_options.sheet,
                   "Make this data sheet the active one, as a click on its tab does");
  eval->add_option("--precision", eval_options.significant_digits,
                   "Significant digits of the numbers shown")
      ->check(CLI::Range(1, 17))
      ->capture_default_str();
  eval->add_option("formula", eval_options.formulas,
                   "A formula such as \"KV.SKEW(A1:A500,1,0,2,10)\"; one line of output each")
      ->required();
  eval->callback(run([&] {
    if (!TakeCsvChoice(eval_csv, eval_options.csv)) return kvhost::kExitUsage;
    return kvhost::RunEval(options, eval_options);
  }));

  auto* menu = app.add_subcommand(
      "menu", "Load the add-in; print the menu bar, its menu and its toolbar as it built them");
  menu->fallthrough();
  bool close = false;
  menu->add_flag("--close", close, "Then unload the add-in (xlAutoClose) and show what is left");
  std::string toolbar_picture;
  menu->add_option("--toolbar-picture", toolbar_picture,
                   "Also save the add-in's toolbar, drawn with its pictures, as a PNG file");
  menu->callback(run([&] { return kvhost::RunMenu(options, close, toolbar_picture); }));

  auto* command = app.add_subcommand(
      "command", "Load the add-in and run one of its commands as a menu click does");
  command->fallthrough();
  std::string command_name;
  command->add_option("name", command_name, "The command's name, such as kv_menu_exibir")
      ->required();
  command->callback(run([&] { return kvhost::RunCommand(options, command_name); }));

  auto* settings =
      app.add_subcommand("settings", "The add-in's settings (registry key Software\\Kavenlor)");
  settings->fallthrough();
  settings->require_subcommand(1);
  kvhost::SettingsOptions settings_options;
  auto* show = settings->add_subcommand("show", "Print PATH, VERSAO, SHOW and IDIOMA");
  show->fallthrough();
  auto* set = settings->add_subcommand("set", "Store one value (SHOW takes a byte: set SHOW 1)");
  set->fallthrough();
  set->add_option("name", settings_options.name, "PATH, VERSAO, SHOW or IDIOMA")
      ->required()
      ->transform(CLI::IsMember({"PATH", "VERSAO", "SHOW", "IDIOMA"}, CLI::ignore_case));
  set->add_option("value", settings_options.value, "The value")->required();
  auto* install =
      settings->add_subcommand("install", "Store PATH and VERSAO as the installer does");
  install->fallthrough();
  install->add_option("--path", settings_options.path, "The install folder")->required();
  install->add_option("--version", settings_options.version, "The version text")->required();
  for (auto* verb : {show, set, install})
    verb->callback(run([&, verb] {
      settings_options.action = verb->get_name();
      return kvhost::RunSettings(options, settings_options);
    }));

  auto* welcome = app.add_subcommand(
      "welcome", "Load the add-in and show its welcome dialog (carrega_instalador)");
  welcome->fallthrough();
  welcome->callback(run([&] { return kvhost::RunWelcome(options); }));

  auto* run_tool = app.add_subcommand(
      "run", "Run a tool as a person at Excel does: select cells, pick the tool's menu item, "
             "set its dialog, press OK");
  run_tool->fallthrough();
  kvhost::RunOptions run_options;
  // What the add-in offers is known only once it has loaded: the name is checked then.
  run_tool
      ->add_option(
          "tool", run_options.tool,
          "The tool, as the add-in offers it: an item of its menu by its caption, with or "
          "without the '&', in any case (\"&Histogram\", histogram); a command it registered "
          "(kv_menu_hist); or that command's short name, without the prefix all its commands "
          "share (hist). A name that fits none ends the run with the list of what can be run")
      ->required();
  run_tool
      ->add_option("--data", run_options.data_files,
                   "A data file: a CSV file becomes a worksheet named after the file; an .xlsx "
                   "or .xls workbook brings its worksheets under their own names (the first "
                   "visible sheet is active and holds the selection)")
      ->required()
      ->allow_extra_args(false);
  CsvTexts run_csv;
  AddCsvOptions(run_tool, run_csv);
  run_tool->add_option("--sheet", run_options.sheet,
                       "Make this data sheet the active one before --select, as a click on its "
                       "tab does");
  run_tool
      ->add_option("--select", run_options.select,
                   "The cells to select, in A1 style; areas separated by ',' make a selection of "
                   "several areas (\"A2:A500\", \"A1:B5,D1:D5\")")
      ->required();
  // The dialog actions keep the order they were given in: it is the order a person acts in.
  std::vector<std::string> sets, clicks, ups, downs;
  auto* set_action = run_tool
                         ->add_option("--set", sets,
                                      "CONTROL=VALUE: a check box 1/0 (on/off), a radio group or "
                                      "drop-down list an item index, an edit the text typed")
                         ->allow_extra_args(false);
  auto* click_action = run_tool->add_option("--click", clicks, "Click a button or a check box")
                           ->allow_extra_args(false);
  auto* up_action =
      run_tool->add_option("--up", ups, "Click an up-down's up arrow")->allow_extra_args(false);
  auto* down_action = run_tool->add_option("--down", downs, "Click an up-down's down arrow")
                          ->allow_extra_args(false);
  int oks = 0, cancels = 0; // counted; their places come from the parse order
  auto* ok_action =
      run_tool->add_flag("--ok", oks, "Press OK (done last when no action answers the dialog)");
  auto* cancel_action = run_tool->add_flag("--cancel", cancels, "Press Cancel");
  run_tool->add_flag("--show-dialog", run_options.show_dialog,
                     "Print the dialog when it opens and again after the actions");
  run_tool->add_option("--out", run_options.out_path, "Save the result workbook as .xlsx");
  run_tool->add_option("--dump", run_options.dump_path,
                       "Save kvhost's model of the result workbook as JSON");
  run_tool->add_flag(
      "--keep-partial", run_options.keep_partial,
      "When the command ends with its error message (exit 1), still save what it made to --out "
      "and --dump, but only as new files: a file that exists is left as it is and the save "
      "fails (exit 2). Without it such a run writes nothing and leaves existing files as they "
      "were");
  run_tool->callback(run([&] {
    if (!TakeCsvChoice(run_csv, run_options.csv)) return kvhost::kExitUsage;
    std::map<const CLI::Option*, std::size_t> taken;
    for (const CLI::Option* option : run_tool->parse_order()) {
      const std::size_t i = taken[option]++;
      using Kind = kvhost::DialogAction::Kind;
      if (option == set_action) {
        const auto parsed = kvhost::ParseSetAction(sets[i]);
        if (!parsed) {
          std::cerr << "kvhost: --set " << sets[i] << ": CONTROL=VALUE was expected\n";
          return kvhost::kExitUsage;
        }
        run_options.actions.push_back(*parsed);
      } else if (option == click_action) {
        run_options.actions.push_back({Kind::Click, clicks[i], ""});
      } else if (option == up_action) {
        run_options.actions.push_back({Kind::Up, ups[i], ""});
      } else if (option == down_action) {
        run_options.actions.push_back({Kind::Down, downs[i], ""});
      } else if (option == ok_action) {
        run_options.actions.push_back({Kind::Ok, "", ""});
      } else if (option == cancel_action) {
        run_options.actions.push_back({Kind::Cancel, "", ""});
      }
    }
    return kvhost::RunTool(options, run_options);
  }));

  auto* tools = app.add_subcommand(
      "tools", "List what `run` can run (name, command, menu path; tab separated), or with a "
               "tool the controls of its dialog that --set, --click, --up and --down reach "
               "(name, kind), opened on a made-up selection and cancelled");
  tools->fallthrough();
  std::string tools_tool;
  tools->add_option("tool", tools_tool, "The tool whose dialog to list, named as `run` takes it");
  tools->callback(run([&] { return kvhost::RunTools(options, tools_tool); }));
  // The settings the tools' commands touch are a copy that ends with the run.
  tools->preparse_callback([&](std::size_t) { options.private_settings = true; });

  // A file grown past the file-size limit (ulimit -f) is a write that fails (EFBIG), reported
  // as any failed save, not a process killed without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    app.parse(argc, argv);
    if (show_version)
      status = kvhost::RunVersion(options);
    else if (app.get_subcommands().empty())
      throw CLI::RequiredError("A subcommand");
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e); // prints the reason
    return kvhost::kExitUsage;
  } catch (const std::bad_alloc&) {
    // Unwound to here, the staged files of an unfinished save are removed on the way.
    std::cerr << "kvhost: out of memory\n";
    return kvhost::kExitUsage;
  }
  // (kvhost run says it itself, before any save.)
  if (kvhost::OutOfMemoryInCallbacks() && status != kvhost::kExitUsage) {
    std::cerr << "kvhost: out of memory\n";
    status = kvhost::kExitUsage;
  }
  // Output that never reached its file (a full disk, a closed pipe) is a failed run.
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::cerr << "kvhost: cannot write the standard output: " << std::strerror(errno) << '\n';
    status = kvhost::kExitUsage;
  }
  if (count_calls && kvhost::BlocksNeverFreed() > 0)
    std::cerr << "kvhost: the add-in never gave back " << kvhost::BlocksNeverFreed()
              << " blocks of Excel's memory (xlFree)\n";
  if (count_calls) std::cerr << kvhost::CallbacksMade() << " callbacks\n";
  return status;
}
} // namespace

int main(int argc, char** argv) {
  kvhost::RestartWithHugePageHeap(argv);
  // Memory may run out before the command line is read (under a tight ulimit -v, the first
  // allocations after the libraries are mapped): the same one line and exit as later on.
  try {
    return RunCommandLine(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("kvhost: out of memory\n", stderr);
    return kvhost::kExitUsage;
  }
}
