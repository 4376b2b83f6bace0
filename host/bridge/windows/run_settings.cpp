// The add-in's settings in Wine's registry (HKLM\Software\Kavenlor, where the add-in reads them):
// read for kvhost, and set for one run (--lang) with what was there put back when the helper ends.
#include <string>
#include <vector>

#include "helper.h"
#include "protocol.h"

namespace kvbridge {
namespace {

constexpr char kKey[] = "Software\\Kavenlor";
constexpr const char* kNames[] = {"PATH", "VERSAO", "SHOW", "IDIOMA"};

struct Value {
  bool present = false;
  DWORD type = REG_SZ;
  std::string data; // a text with its terminating zero, as the registry holds it
};

// The values as they were before the run changed them, in the order they were changed.
std::vector<std::pair<std::string, Value>>& Saved() {
  static std::vector<std::pair<std::string, Value>> saved;
  return saved;
}

Value Query(HKEY key, const char* name) {
  Value value;
  DWORD size = 0;
  if (key == nullptr || RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) != 0)
    return value;
  value.data.resize(size);
  if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()),
                       &size) != 0)
    return value;
  value.data.resize(size);
  value.present = true;
  return value;
}

void Put(HKEY key, const char* name, const Value& value) {
  if (value.present)
    RegSetValueExA(key, name, 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                   static_cast<DWORD>(value.data.size()));
  else
    RegDeleteValueA(key, name);
}

// Sets `name` for the run, keeping what it held first.
void SetForRun(HKEY key, const char* name, const std::string& text) {
  bool kept = false;
  for (const auto& [saved_name, before] : Saved())
    kept = kept || saved_name == name;
  if (!kept) Saved().emplace_back(name, Query(key, name));
  Value value;
  value.present = true;
  value.data = text + '\0';
  Put(key, name, value);
}

} // namespace

void SetSettingsForRun(Reader& in) {
  const std::uint8_t language = in.U8();
  const std::string folder = in.Bytes();
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != 0)
    return;
  SetForRun(key, "IDIOMA", language == 1 ? "1" : "2");
  const Value path = Query(key, "PATH");
  if (!path.present || path.data.empty() || path.data[0] == '\0') SetForRun(key, "PATH", folder);
  RegCloseKey(key);
}

void RestoreSettings() {
  if (Saved().empty()) return;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != 0)
    return;
  for (auto saved = Saved().rbegin(); saved != Saved().rend(); ++saved)
    Put(key, saved->first.c_str(), saved->second);
  Saved().clear();
  RegCloseKey(key);
}

void ReadSettings(Writer& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != 0) key = nullptr;
  std::vector<std::pair<const char*, Value>> present;
  for (const char* name : kNames)
    if (Value value = Query(key, name); value.present) present.emplace_back(name, value);
  if (key != nullptr) RegCloseKey(key);
  out.U16(static_cast<std::uint16_t>(present.size()));
  for (auto& [name, value] : present) {
    const bool text = value.type == REG_SZ || value.type == REG_EXPAND_SZ;
    if (text && !value.data.empty() && value.data.back() == '\0') value.data.pop_back();
    out.Bytes(name);
    out.U8(text ? kTextValue : kBinaryValue);
    out.Bytes(value.data);
  }
}

} // namespace kvbridge
