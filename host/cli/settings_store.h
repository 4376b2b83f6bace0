// The add-in's settings in the registry key "Software\Kavenlor", read and written through the
// platform's registry functions (on Linux the file $KAVENLOR_REGISTRY names), and the
// temporary settings of a run with --lang.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "../excel/addin_settings.h"
#include "commands.h"

namespace kvhost {

using StoredValue = SettingValue;

// The settings stored now in kvhost's registry, by name; values that are not there are left out.
inline std::map<std::string, StoredValue> ReadStoredSettings() {
  return ReadLocalSettings();
}

// `text "..."` (UTF-8) or `binary 01`, as `settings show` prints a value.
std::string DescribeValue(const StoredValue& value);

// Sets one value; false, with the reason, when the registry refuses.
bool StoreSetting(const std::string& name, const StoredValue& value, std::string& error);

// The folder the add-in's pictures are under (img/): the add-in's own folder in a build tree, the
// package's data folder (share/kavenlor beside lib/kavenlor) where it is installed.
std::string AddInInstallFolder(const std::string& addin_path);

// A run with --lang (or a command that keeps its settings to itself): the stored settings copied
// to a registry file of the run's own, with IDIOMA as --lang asks and PATH, when absent, the
// add-in's install folder (AddInInstallFolder); KAVENLOR_REGISTRY names that
// file until the run ends, when it is removed and the variable restored. The stored settings
// are never written. Otherwise it does nothing.
class SettingsForRun {
public:
  SettingsForRun() = default;
  ~SettingsForRun();
  SettingsForRun(const SettingsForRun&) = delete;
  SettingsForRun& operator=(const SettingsForRun&) = delete;

  // Before the add-in is loaded (it reads its settings when it is attached). False, with the
  // reason, when the temporary settings cannot be made.
  bool Prepare(const Options& options, std::string& error);
  bool active() const { return !folder_.empty(); }

private:
  std::string folder_;
  std::optional<std::string> previous_; // KAVENLOR_REGISTRY before the run
};

} // namespace kvhost
