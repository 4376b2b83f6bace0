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

// The text in the ANSI code page the add-in reads, when that code page holds every character
// of it (Utf8ToAnsi puts '?' for the others, which would be stored as if typed).
std::optional<std::string> ExactAnsi(const std::string& utf8) {
  std::string ansi = kvp::Utf8ToAnsi(utf8);
  if (kvp::AnsiToUtf8(ansi) != utf8) return std::nullopt;
  return ansi;
}

bool StoreText(const std::string& name, const std::string& utf8) {
  const auto ansi = ExactAnsi(utf8);
  if (!ansi) {
    std::cerr << "kvhost: " << name << " \"" << utf8
              << "\" has characters that code page 1252 cannot hold; nothing is stored\n";
    return false;
  }
  return Store(name, StoredValue{kvp::RegistryType::Text, *ansi});
}

// SHOW as `settings set` takes it: a byte, 0 to 255.
std::optional<StoredValue> ReadByte(const std::string& text) {
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
    if (settings.name != "SHOW")
      return StoreText(settings.name, settings.value) ? kExitDone : kExitUsage;
    const auto value = ReadByte(settings.value);
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
  const bool stored = StoreText("PATH", folder) && StoreText("VERSAO", settings.version);
  if (!stored) return kExitUsage;
  std::cout << "PATH = text \"" << folder << "\"\nVERSAO = text \"" << settings.version << "\"\n";
  return kExitDone;
}

} // namespace kvhost
