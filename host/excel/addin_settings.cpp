#include "addin_settings.h"

#include <vector>

namespace kvhost {

SettingValues ReadLocalSettings() {
  SettingValues values;
  kvp::RegistryKey key;
  if (!kvp::OpenRegistryKey(kSettingsKeyPath, key)) return values;
  for (const char* name : kSettingNames) {
    SettingValue value;
    std::size_t size = 0;
    if (!kvp::QueryRegistryValue(key, name, value.type, nullptr, size)) continue;
    std::vector<unsigned char> buffer(size + 1);
    size = buffer.size();
    if (!kvp::QueryRegistryValue(key, name, value.type, buffer.data(), size)) continue;
    // A text comes with its terminating zero.
    if (value.type == kvp::RegistryType::Text && size > 0 && buffer[size - 1] == 0) --size;
    value.data.assign(reinterpret_cast<const char*>(buffer.data()), size);
    values.emplace(name, std::move(value));
  }
  kvp::CloseRegistryKey(key);
  return values;
}

} // namespace kvhost
