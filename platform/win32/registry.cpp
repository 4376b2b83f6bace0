#include "kvplatform/registry.h"

#include <windows.h>

#include <cstring>

namespace kvp {
namespace {
HKEY HandleOf(const RegistryKey& key) {
  return static_cast<HKEY>(key.handle());
}
} // namespace

bool OpenRegistryKey(const char* subkey, RegistryKey& key) {
  key = RegistryKey();
  HKEY opened = nullptr;
  if (subkey == nullptr ||
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return false;
  key = RegistryKey(opened);
  return true;
}

bool CreateRegistryKey(const char* subkey, RegistryKey& key) {
  key = RegistryKey();
  HKEY created = nullptr;
  if (subkey == nullptr ||
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &created, nullptr) != ERROR_SUCCESS)
    return false;
  key = RegistryKey(created);
  return true;
}

bool QueryRegistryValue(const RegistryKey& key, const char* name, RegistryType& type,
                        unsigned char* buffer, std::size_t& size) {
  if (!key.is_open() || name == nullptr) return false;
  // Read into our own buffer first: RegQueryValueExA may leave a too-small buffer half
  // written, and the caller's must stay as it was.
  DWORD stored_type = 0;
  DWORD length = 0;
  std::vector<unsigned char> data;
  LONG status = RegQueryValueExA(HandleOf(key), name, nullptr, &stored_type, nullptr, &length);
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    data.resize(length + 1);
    length = static_cast<DWORD>(data.size());
    status = RegQueryValueExA(HandleOf(key), name, nullptr, &stored_type, data.data(), &length);
    if (status == ERROR_SUCCESS) break;
  }
  if (status != ERROR_SUCCESS) return false;
  data.resize(length);
  const bool text = stored_type == REG_SZ || stored_type == REG_EXPAND_SZ;
  if (text && (data.empty() || data.back() != 0)) data.push_back(0);
  type = text ? RegistryType::Text : RegistryType::Binary;
  if (buffer == nullptr) {
    size = data.size();
    return true;
  }
  if (size < data.size()) {
    size = data.size();
    return false;
  }
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  size = data.size();
  return true;
}

bool SetRegistryValue(const RegistryKey& key, const char* name, RegistryType type,
                      const unsigned char* data, std::size_t size) {
  if (!key.is_open() || name == nullptr || (data == nullptr && size != 0)) return false;
  std::vector<unsigned char> bytes(data, data + size);
  if (type == RegistryType::Text) {
    // Stored with its terminating zero, as REG_SZ values are.
    if (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
    for (unsigned char c : bytes)
      if (c == 0) return false;
    bytes.push_back(0);
  }
  return RegSetValueExA(HandleOf(key), name, 0, type == RegistryType::Text ? REG_SZ : REG_BINARY,
                        bytes.data(), static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

void CloseRegistryKey(RegistryKey& key) {
  if (void* handle = key.release()) RegCloseKey(static_cast<HKEY>(handle));
}

} // namespace kvp
