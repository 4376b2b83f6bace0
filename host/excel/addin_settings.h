// The add-in's settings, registry key "Software\Kavenlor", as values the registry holds. A
// Linux add-in reads them from this process's registry (the file $KAVENLOR_REGISTRY names); a
// Windows one run under Wine from Wine's registry, through its helper.
#pragma once

#include <map>
#include <string>

#include "kvplatform/registry.h"

namespace kvhost {

// The values the add-in reads: PATH, VERSAO and IDIOMA are texts, SHOW one binary byte.
inline const char* const kSettingNames[] = {"PATH", "VERSAO", "SHOW", "IDIOMA"};
constexpr const char* kSettingsKeyPath = "Software\\Kavenlor";

struct SettingValue {
  kvp::RegistryType type = kvp::RegistryType::Text;
  std::string data; // ANSI text without its zero, or the bytes

  bool operator==(const SettingValue&) const = default;
};
using SettingValues = std::map<std::string, SettingValue>;

// The settings stored now in this process's registry, by name; values not there are left out.
SettingValues ReadLocalSettings();

} // namespace kvhost
