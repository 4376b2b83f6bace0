// kvhost settings: the add-in's settings in the registry store.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>

#include "commands.h"
#include "kvplatform/ansi.h"
#include "settings_store.h"

namespace kvhost {
namespace {

bool Store(const std::string& name, const StoredValue& value) {
  std::string error;
  if (StoreSetting(name, value, error)) return true;
  std::cerr << "kvhost: " << error << '\n';
  return false;
}

// A value as `settings set` takes it: SHOW a byte (0 to 255), the others texts.
std::optional<StoredValue> ReadValue(const std::string& name, const std::string& text) {
  if (name != "SHOW") return StoredValue{kvp::RegistryType::Text, kvp::Utf8ToAnsi(text)};
  int byte = 0;
  const char* end = text.data() + text.size();
  const auto [last, error] = std::from_chars(text.data(), end, byte);
  if (text.empty() || error != std::errc{} || last != end || byte < 0 || byte > 255)
    return std::nullopt;
  return StoredValue{kvp::RegistryType::Binary, std::string(1, static_cast<char>(byte))};
}

} // namespace

int RunSettings(const Options& options, const SettingsOptions& settings) {
  if (settings.action == "show") {
    const auto values = ReadStoredSettings();
    for (const char* name : kSettingNames) {
      const auto found = values.find(name);
      std::cout << name << " = "
                << (found == values.end() ? std::string("(not set)") : DescribeValue(found->second))
                << '\n';
    }
    return kExitDone;
  }
  // A run with --lang works on a copy that goes when it ends: a change would be lost.
  if (!options.lang.empty()) {
    std::cerr << "kvhost: --lang sets the language of one run; to store it, use "
                 "\"settings set IDIOMA 1\" (Portuguese) or \"settings set IDIOMA 2\" (English)\n";
    return kExitUsage;
  }
  if (settings.action == "set") {
    const auto value = ReadValue(settings.name, settings.value);
    if (!value) {
      std::cerr << "kvhost: SHOW takes one byte, a number from 0 to 255, not \"" << settings.value
                << "\"\n";
      return kExitUsage;
    }
    return Store(settings.name, *value) ? kExitDone : kExitUsage;
  }
  // install: what the installer writes, the install folder without a trailing separator.
  std::error_code failure;
  std::string folder = std::filesystem::absolute(settings.path, failure).lexically_normal();
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  const bool stored =
      Store("PATH", StoredValue{kvp::RegistryType::Text, kvp::Utf8ToAnsi(folder)}) &&
      Store("VERSAO", StoredValue{kvp::RegistryType::Text, kvp::Utf8ToAnsi(settings.version)});
  if (!stored) return kExitUsage;
  std::cout << "PATH = text \"" << folder << "\"\nVERSAO = text \"" << settings.version << "\"\n";
  return kExitDone;
}

} // namespace kvhost
