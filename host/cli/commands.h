// The kvhost subcommands. Each returns the process exit code.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../io/csv_dialect.h"
#include "../model/application.h"
#include "../ui/dialog_driver.h"

namespace kvhost {

class AddIn;
class ExcelHost;

constexpr int kExitDone = 0;
constexpr int kExitCommandFailed = 1; // the add-in ended a command with an error message
constexpr int kExitUsage = 2; // bad usage or input, an add-in that does not load, a failed save,
                              // out of memory

// The global options, valid before or after the subcommand.
struct Options {
  std::string addin_path;
  std::string lang;                   // "pt" or "en": the add-in's language for this run only
  std::string excel_lang = "en";      // the interface language of the Excel kvhost plays
  std::string excel_version = "16.0"; // what GET.WORKSPACE(2) answers
  std::string dialog = "script";      // script, print or prompt: who answers the dialogs
  std::string settings_file;          // the stored settings, as found before --lang's copy
  bool private_settings = false;      // the run works on a copy of the settings, as with --lang
};

struct EvalOptions {
  std::vector<std::string> data_files;
  CsvChoice csv;     // the CSV dialect --csv-separator and --csv-decimal force
  std::string sheet; // the data sheet made active, as a click on its tab makes it
  int significant_digits = 15;
  std::vector<std::string> formulas;
};

// kvhost run: a tool command driven as a person at Excel drives it.
struct RunOptions {
  std::string tool; // a menu item's caption, a command's name or its short name
  std::vector<std::string> data_files;
  CsvChoice csv;                     // the CSV dialect --csv-separator and --csv-decimal force
  std::string sheet;                 // the data sheet made active before the selection
  std::string select;                // A1 areas separated by ','
  std::vector<DialogAction> actions; // in the order given
  bool show_dialog = false;
  std::optional<std::string> out_path;  // the result workbook as .xlsx
  std::optional<std::string> dump_path; // the host's model of it as JSON
  // A run that ends with the add-in's message saves what it made, to files not there yet.
  bool keep_partial = false;
};

struct SettingsOptions {
  std::string action; // show, set or install
  std::string name;   // set: PATH, VERSAO, SHOW or IDIOMA
  std::string value;
  std::string path;    // install
  std::string version; // install
};

int RunInfo(const Options& options);
int RunAddInManager(const Options& options, bool add);
int RunEval(const Options& options, const EvalOptions& eval);
// With a `toolbar_picture` path, the toolbar is also saved there as a PNG.
int RunMenu(const Options& options, bool close, const std::string& toolbar_picture);
int RunCommand(const Options& options, const std::string& name);
int RunSettings(const Options& options, const SettingsOptions& settings);
int RunWelcome(const Options& options);
int RunTool(const Options& options, const RunOptions& run);
// Without a tool, what `run` can run, a line each: its name, command and menu path, tab
// separated. With one, the controls of its dialog that actions reach, a line each: name and
// kind; the dialog is opened on a made-up selection and cancelled.
int RunTools(const Options& options, const std::string& tool);
// kvhost's version, then the one recorded in the add-in file it loads.
int RunVersion(const Options& options);

// Makes the data sheet called `name` (whatever the case) the active one, as a click on its tab
// does; an empty name leaves the first visible sheet active. False, with the reason in
// `error`, when the data has no such sheet or it is hidden (a hidden sheet has no tab).
bool ActivateDataSheet(Workbook& data, const std::string& name, std::string& error);

// The CSV dialect the texts of --csv-separator (",", ";" or "tab") and --csv-decimal ("." or
// ",") force; an empty text forces nothing. False, with the reason in `error`, for a ','
// decimal with a ',' separator, which would split every number with decimals in two.
bool CsvChoiceFrom(const std::string& separator, const std::string& decimal, CsvChoice& choice,
                   std::string& error);

// Who answers the dialogs, as --dialog says.
DialogMode DialogModeOf(const Options& options);

// The grid of the Excel `options` play: data beyond it is refused, references stay inside it.
Grid GridOf(const Options& options);

// Sets the host up as the options say (interface language, version), then loads the add-in
// the options name; when it does not load, says why on standard error and returns null.
std::unique_ptr<AddIn> LoadAddIn(ExcelHost& host, const Options& options);

} // namespace kvhost
