// kvhost --version: kvhost's own version, then the one the add-in it loads records in its file.
#include <filesystem>
#include <iostream>

#include "../excel/addin_file.h"
#include "../excel/addin_version.h"
#include "commands.h"
#include "kv_version.h"

namespace kvhost {

int RunVersion(const Options& options) {
  std::cout << "kvhost " << KV_VERSION << '\n';
  std::string error;
  std::optional<std::string> version;
  if (CheckAddInFile(options.addin_path, error))
    version = AddInFileVersion(options.addin_path, error);
  if (!version) {
    std::cerr << "kvhost: the add-in's version: " << error << '\n';
    return kExitUsage;
  }
  std::cout << std::filesystem::path(options.addin_path).filename().string() << ' ' << *version
            << " (" << options.addin_path << ")\n";
  return kExitDone;
}

} // namespace kvhost
