// The settings file of the Linux registry on any bytes: reading it never fails in a way the
// add-in could see, and a value written over it reads back.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kvplatform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = [] {
    const std::string path = "/tmp/kvfuzz-registry-" + std::to_string(::getpid());
    setenv("KAVENLOR_REGISTRY", path.c_str(), 1);
    return path;
  }();
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  for (const char* key_name : {"Software\\Kavenlor", "Software\\Outro", "Software"}) {
    kvp::RegistryKey key;
    if (!kvp::OpenRegistryKey(key_name, key)) continue;
    for (const char* name : {"PATH", "VERSAO", "SHOW", "IDIOMA", "x"}) {
      kvp::RegistryType type{};
      unsigned char buffer[600];
      std::size_t length = sizeof buffer;
      if (kvp::QueryRegistryValue(key, name, type, buffer, length) && length > sizeof buffer)
        std::abort();
    }
    kvp::CloseRegistryKey(key);
  }
  // A write over whatever was there keeps what can be read and adds the new value.
  if (size % 4 == 0) {
    kvp::RegistryKey key;
    if (kvp::CreateRegistryKey("Software\\Kavenlor", key)) {
      const unsigned char one[] = {'1', 0};
      if (kvp::SetRegistryValue(key, "IDIOMA", kvp::RegistryType::Text, one, 2)) {
        kvp::RegistryType type{};
        unsigned char buffer[8];
        std::size_t length = sizeof buffer;
        if (!kvp::QueryRegistryValue(key, "IDIOMA", type, buffer, length) ||
            std::memcmp(buffer, one, 2) != 0)
          std::abort();
      }
      kvp::CloseRegistryKey(key);
    }
    // Kept-aside copies pile up otherwise.
    for (int n = 1; n < 1000; ++n)
      if (std::remove((file + ".corrupt" + (n == 1 ? "" : "-" + std::to_string(n))).c_str()) != 0)
        break;
  }
  return 0;
}
