#include "settings_store.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "../io/temporary_file.h"
#include "kvplatform/ansi.h"

namespace kvhost {
namespace {
// The folder of a run's settings copy: kvhost-settings-PID-XXXXXX in the temporary folder.
const std::string kCopyPrefix = "kvhost-settings-";
} // namespace

std::string DescribeValue(const StoredValue& value) {
  if (value.type == kvp::RegistryType::Text) return "text \"" + kvp::AnsiToUtf8(value.data) + "\"";
  std::string text = "binary";
  for (unsigned char byte : value.data) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", byte);
    text += hex;
  }
  return text;
}

bool StoreSetting(const std::string& name, const StoredValue& value, std::string& error) {
  kvp::RegistryKey key;
  if (!kvp::CreateRegistryKey(kSettingsKeyPath, key)) {
    error = "cannot open the settings for writing";
    return false;
  }
  const bool stored = kvp::SetRegistryValue(
      key, name.c_str(), value.type, reinterpret_cast<const unsigned char*>(value.data.data()),
      value.data.size());
  kvp::CloseRegistryKey(key);
  if (!stored) error = "cannot store " + name;
  return stored;
}

SettingsForRun::~SettingsForRun() {
  if (!active()) return;
  if (previous_)
    setenv("KAVENLOR_REGISTRY", previous_->c_str(), 1);
  else
    unsetenv("KAVENLOR_REGISTRY");
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string AddInInstallFolder(const std::string& addin_path) {
  std::error_code failure;
  std::filesystem::path addin = std::filesystem::weakly_canonical(addin_path, failure);
  if (failure) addin = std::filesystem::absolute(addin_path, failure);
  const std::filesystem::path beside = addin.parent_path();
  if (std::filesystem::is_directory(beside / "img", failure)) return beside.string();
  const std::filesystem::path installed = (beside / KV_DATA_FROM_ADDIN).lexically_normal();
  if (std::filesystem::is_directory(installed / "img", failure)) return installed.string();
  return beside.string();
}

bool SettingsForRun::Prepare(const Options& options, std::string& error) {
  if (options.lang.empty() && !options.private_settings) return true;
  std::map<std::string, StoredValue> values = ReadStoredSettings();

  std::error_code failure;
  std::filesystem::path temporary = std::filesystem::temp_directory_path(failure);
  if (failure) temporary = "/tmp";
  // A run killed by a signal leaves its copy behind; the next run with --lang removes it.
  RemoveLeftoversOfEndedProcesses(temporary, kCopyPrefix);
  std::string folder =
      (temporary / (kCopyPrefix + std::to_string(::getpid()) + "-XXXXXX")).string();
  if (mkdtemp(folder.data()) == nullptr) {
    error = "cannot make a folder for this run's settings in " + temporary.string();
    return false;
  }
  folder_ = folder;
  if (const char* current = std::getenv("KAVENLOR_REGISTRY")) previous_ = current;
  setenv("KAVENLOR_REGISTRY", (std::filesystem::path(folder_) / "registry").c_str(), 1);

  if (!options.lang.empty())
    values["IDIOMA"] = StoredValue{kvp::RegistryType::Text, options.lang == "pt" ? "1" : "2"};
  const auto path = values.find("PATH");
  if (path == values.end() || path->second.data.empty())
    values["PATH"] = StoredValue{kvp::RegistryType::Text,
                                 kvp::Utf8ToAnsi(AddInInstallFolder(options.addin_path))};
  for (const auto& [name, value] : values)
    if (!StoreSetting(name, value, error)) return false;
  return true;
}

} // namespace kvhost
