#include "commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "../excel/addin.h"

namespace kvhost {

DialogMode DialogModeOf(const Options& options) {
  if (options.dialog == "print") return DialogMode::Print;
  if (options.dialog == "prompt") return DialogMode::Prompt;
  return DialogMode::Script;
}

bool ActivateDataSheet(Workbook& data, const std::string& name, std::string& error) {
  if (name.empty()) return true;
  for (std::size_t i = 0; i < data.sheets.size(); ++i) {
    if (!SameSheetName(data.sheets[i].name, name)) continue;
    if (data.sheets[i].state != SheetState::Visible) {
      error = "--sheet " + name + ": the sheet is hidden, so it has no tab to click";
      return false;
    }
    data.active_sheet = i;
    return true;
  }
  error = "--sheet " + name + ": the data has no sheet named " + name;
  return false;
}

bool CsvChoiceFrom(const std::string& separator, const std::string& decimal, CsvChoice& choice,
                   std::string& error) {
  choice = CsvChoice{};
  if (!separator.empty()) choice.separator = separator == "tab" ? '\t' : separator.front();
  if (!decimal.empty()) choice.decimal = decimal.front();
  if (choice.separator == ',' && choice.decimal == ',') {
    error = "--csv-separator , --csv-decimal ,: a decimal comma needs another separator (; or "
            "tab), or every number with decimals would be split in two";
    return false;
  }
  return true;
}

bool OffersExcel12(const Options& options) {
  // Excel 2007 (12.0) and later offer the Excel 12 interface beside the Excel 4 one.
  return std::atoi(options.excel_version.c_str()) >= 12;
}

Grid GridOf(const Options& options) {
  return OffersExcel12(options) ? kExcel12Grid : kExcel4Grid;
}

std::unique_ptr<AddIn> LoadAddIn(ExcelHost& host, const Options& options) {
  host.app().SetInterfaceLanguage(options.excel_lang == "pt" ? InterfaceLanguage::Portuguese
                                                             : InterfaceLanguage::English);
  host.app().version_text = options.excel_version;
  host.OfferExcel12(OffersExcel12(options));
  std::string error;
  auto addin = AddIn::Load(host, options.addin_path, error, options.lang);
  if (!addin) std::cerr << "kvhost: " << error << '\n';
  return addin;
}

namespace {

void PrintFunction(const Registration& r, const std::string& refusal = {}) {
  std::cout << "  " << r.function_text << '(' << r.argument_text << ')'
            << (r.macro_type == 0 ? "  [hidden]" : "")
            << (refusal.empty() ? "" : "  [not registered: " + refusal + "]") << '\n'
            << "    procedure: " << r.procedure << "   type text: " << r.type_text
            << "   category: " << r.category << '\n';
  if (!r.function_help.empty()) std::cout << "    help: " << r.function_help << '\n';
}

void PrintCommand(const Registration& r, const std::string& refusal = {}) {
  std::cout << "  " << r.function_text << " -> " << r.procedure
            << (refusal.empty() ? "" : "  [not registered: " + refusal + "]") << '\n';
}

void PrintJournal(const Application& app, std::size_t from) {
  const auto& journal = app.Journal();
  for (std::size_t i = from; i < journal.size(); ++i)
    if (journal[i].kind != JournalEntry::Kind::Alert) std::cout << "  " << journal[i].text << '\n';
}

} // namespace

int RunInfo(const Options& options) {
  ExcelHost host;
  auto addin = LoadAddIn(host, options);
  if (!addin) return kExitUsage;
  ArmCallFaults();
  addin->Open();
  const auto name = addin->ManagerInfo(1);
  std::cout << "Add-in: " << name.value_or("(the add-in gives no name)") << '\n'
            << "File: " << addin->path() << "\n\n";

  // What Excel registered, then what it refused, so the add-in's whole offer shows.
  const auto& registered = host.app().Registrations();
  const auto& refused = host.app().RefusedRegistrations();
  auto count = [](const auto& list, auto is_command, bool commands) {
    return std::count_if(list.begin(), list.end(),
                         [&](const auto& item) { return is_command(item) == commands; });
  };
  auto registered_command = [](const Registration& r) { return r.IsCommand(); };
  auto refused_command = [](const Application::Refusal& r) { return r.attempted.IsCommand(); };
  for (bool commands : {false, true}) {
    std::cout << (commands ? "\nCommands (" : "Worksheet functions (")
              << count(registered, registered_command, commands) << " registered";
    if (const auto n = count(refused, refused_command, commands))
      std::cout << ", " << n << " refused";
    std::cout << ")\n";
    for (const auto& r : registered)
      if (r.IsCommand() == commands) commands ? PrintCommand(r) : PrintFunction(r);
    for (const auto& r : refused)
      if (r.attempted.IsCommand() == commands)
        commands ? PrintCommand(r.attempted, r.reason) : PrintFunction(r.attempted, r.reason);
  }
  return kExitDone;
}

int RunAddInManager(const Options& options, bool add) {
  ExcelHost host;
  auto addin = LoadAddIn(host, options);
  if (!addin) return kExitUsage;
  if (add) {
    const std::size_t from = host.app().Journal().size();
    ArmCallFaults();
    addin->Add();
    addin->Open();
    std::cout << "Ticked in the add-in manager: xlAutoAdd, then xlAutoOpen\n";
    PrintJournal(host.app(), from);
  } else {
    addin->Open(); // loaded at Excel's start
    const std::size_t from = host.app().Journal().size();
    ArmCallFaults();
    addin->Remove();
    addin->Close();
    std::cout << "Unticked in the add-in manager: xlAutoRemove, then xlAutoClose\n";
    PrintJournal(host.app(), from);
  }
  return kExitDone;
}

} // namespace kvhost
