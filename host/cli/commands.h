// The kvhost subcommands. Each returns the process exit code.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kvhost {

class AddIn;
class ExcelHost;

constexpr int kExitDone = 0;
constexpr int kExitCommandFailed = 1; // the add-in ended a command with an error message
constexpr int kExitUsage = 2;         // bad usage or input, or an add-in that does not load

struct Options {
  std::string addin_path;
};

struct EvalOptions {
  std::vector<std::string> data_files;
  int significant_digits = 15;
  std::vector<std::string> formulas;
};

int RunInfo(const Options& options);
int RunAddInManager(const Options& options, bool add);
int RunEval(const Options& options, const EvalOptions& eval);

// Loads the add-in the options name; when it does not load, says why on standard error and
// returns null.
std::unique_ptr<AddIn> LoadAddIn(ExcelHost& host, const Options& options);

} // namespace kvhost
