// The kvhost subcommands. Each returns the process exit code.
#pragma once

#include <string>

namespace kvhost {

constexpr int kExitDone = 0;
constexpr int kExitCommandFailed = 1; // the add-in ended a command with an error message
constexpr int kExitUsage = 2;         // bad usage or input, or an add-in that does not load

struct Options {
  std::string addin_path;
};

int RunInfo(const Options& options);
int RunAddInManager(const Options& options, bool add);

} // namespace kvhost
