// kvhost tools: what `run` can run, and the controls of a tool's dialog, for people and for the
// shell's completion.
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>

#include "../excel/addin.h"
#include "../excel/command_macro.h"
#include "../excel/runnable_commands.h"
#include "commands.h"

namespace kvhost {
namespace {

// The controls a scripted action can reach: --set, --click, --up and --down.
const std::set<std::string, std::less<>> kActionableKinds = {
    "button", "check box", "radio group", "drop-down list", "edit", "masked edit", "up-down"};

// A selection every tool takes: 60 rows of a rate near 10% beside business days, 21 apart (a
// yield curve for the comparison, two series for the others).
constexpr std::uint32_t kSampleRows = 60;

Workbook SampleWorkbook() {
  Sheet sheet(0, "tools");
  for (std::uint32_t row = 0; row < kSampleRows; ++row) {
    sheet.cells.SetNumber(row, 0, 0.1 + 0.01 * std::sin(row + 1.0));
    sheet.cells.SetNumber(row, 1, 21.0 * (row + 1));
  }
  Workbook book;
  book.name = "tools.xlsx";
  book.sheets.push_back(std::move(sheet));
  return book;
}

std::string MenuPath(const RunnableCommand& command) {
  std::string path;
  for (const std::string& caption : command.menu_path)
    path += (path.empty() ? "" : " > ") + caption;
  return path;
}

} // namespace

int RunTools(const Options& options, const std::string& tool) {
  ExcelHost host;
  // The dialog is answered by this subcommand alone, whatever --dialog says.
  std::ostringstream unused_output;
  std::istringstream no_input;
  DialogDriver dialogs(DialogMode::Script, unused_output, no_input);
  if (!tool.empty()) {
    dialogs.AddActions({{DialogAction::Kind::Cancel, "", ""}});
    dialogs.Install();
    // A command without a dialog runs whole: the help page it opens goes to a program that
    // does nothing.
    setenv("BROWSER", "true", 1);
  }
  auto addin = LoadAddIn(host, options);
  if (!addin) return kExitUsage;
  addin->Open();
  const std::vector<RunnableCommand> runnable = RunnableCommands(host.app());
  if (tool.empty()) {
    for (const RunnableCommand& command : runnable)
      std::cout << (command.short_name.empty() ? command.command : command.short_name) << '\t'
                << command.command << '\t' << MenuPath(command) << '\n';
    return kExitDone;
  }

  std::string problem;
  const auto command = FindRunnableCommand(runnable, tool, problem);
  if (!command) {
    std::cerr << "kvhost: " << problem << '\n';
    return kExitUsage;
  }
  host.app().OpenWorkbook(SampleWorkbook());
  host.app().Select(Selection{host.app().ActiveSheet().id, {CellRange{0, kSampleRows - 1, 0, 1}}});
  if (!RunCommandMacro(host, *command, problem)) {
    std::cerr << "kvhost: " << problem << '\n';
    return kExitUsage;
  }
  if (!dialogs.Dialogs().empty())
    for (const kvp::ControlState& control : dialogs.Dialogs().front().controls)
      if (kActionableKinds.contains(control.kind))
        std::cout << control.name << '\t' << control.kind << '\n';
  return kExitDone;
}

} // namespace kvhost
