// The key object is the same on both systems: it owns its handle and gives it back on
// destruction, whatever the handle is (an HKEY on Windows, the key's location on Linux).
#include <utility>

#include "kvplatform/registry.h"

namespace kvp {

RegistryKey::~RegistryKey() {
  CloseRegistryKey(*this);
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    CloseRegistryKey(*this);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

} // namespace kvp
