// kvhost: a headless Excel for the Kavenlor add-in.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "commands.h"
#include "kvplatform/module.h"

namespace {
// The add-in built beside kvhost.
std::string DefaultAddInPath() {
  const std::filesystem::path self = kvp::ModuleFileName(nullptr);
  return (self.parent_path() / "kavenlor.so").string();
}
} // namespace

int main(int argc, char** argv) {
  CLI::App app{"kvhost - a headless Excel that loads the Kavenlor add-in as Excel does"};
  app.require_subcommand(1);
  kvhost::Options options;
  options.addin_path = DefaultAddInPath();
  app.add_option("--addin", options.addin_path,
                 "The add-in to load (default: the one beside kvhost)")
      ->capture_default_str();

  int status = 0;
  auto* info = app.add_subcommand("info", "Load the add-in; print its name and registrations");
  info->fallthrough();
  info->callback([&] { status = kvhost::RunInfo(options); });

  auto* addin = app.add_subcommand("addin", "The add-in manager's tick (add) and untick (remove)");
  addin->fallthrough();
  std::string action;
  addin->add_option("action", action, "add or remove")
      ->required()
      ->check(CLI::IsMember({"add", "remove"}));
  addin->callback([&] { status = kvhost::RunAddInManager(options, action == "add"); });

  auto* eval = app.add_subcommand(
      "eval", "Evaluate formulas that call the add-in's worksheet functions, on CSV data");
  eval->fallthrough();
  kvhost::EvalOptions eval_options;
  // One file per --data, so that a formula after it is not taken for a second file.
  eval->add_option("--data", eval_options.data_files,
                   "A CSV file; each becomes a worksheet named after the file (the first is "
                   "active)")
      ->allow_extra_args(false);
  eval->add_option("--precision", eval_options.significant_digits,
                   "Significant digits of the numbers shown")
      ->check(CLI::Range(1, 17))
      ->capture_default_str();
  eval->add_option("formula", eval_options.formulas,
                   "A formula such as \"KV.SKEW(A1:A500,1,0,2,10)\"; one line of output each")
      ->required();
  eval->callback([&] { status = kvhost::RunEval(options, eval_options); });

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e); // prints the reason
    return kvhost::kExitUsage;
  }
  return status;
}
