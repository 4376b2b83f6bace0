#include "Configuracao.h"

#include <cstring>

#include "Tabelas.h"
#include "kvplatform/registry.h"

unsigned char ShowToolbarFlag = 0;
char InstallFolder[kSettingTextBytes + 2] = "";
char VersionText[kSettingTextBytes + 1] = "";
const char* const kSettingsKey = "Software\\Kavenlor";

namespace {
// A text value read with a 500-byte buffer into `text` (zero-terminated, at most 499
// characters); false, and `text` left as it was, when the value is absent or longer.
bool ReadText(const kvp::RegistryKey& key, const char* name, char (&text)[kSettingTextBytes + 1]) {
  unsigned char buffer[kSettingTextBytes] = {};
  std::size_t size = sizeof buffer;
  kvp::RegistryType type{};
  if (!kvp::QueryRegistryValue(key, name, type, buffer, size)) return false;
  const std::size_t length = strnlen(reinterpret_cast<const char*>(buffer), size);
  std::memcpy(text, buffer, length);
  text[length] = '\0';
  return true;
}
} // namespace

void ReadSettings() {
  int language = 0; // undecided
  InstallFolder[0] = '\0';
  kvp::RegistryKey key;
  if (kvp::OpenRegistryKey(kSettingsKey, key)) {
    char path[kSettingTextBytes + 1] = "";
    if (ReadText(key, "PATH", path) && path[0] != '\0') {
      std::strcat(std::strcpy(InstallFolder, path), "\\");
      ReadText(key, "VERSAO", VersionText);
      unsigned char show = ShowToolbarFlag;
      std::size_t size = 1;
      kvp::RegistryType type{};
      if (kvp::QueryRegistryValue(key, "SHOW", type, &show, size)) ShowToolbarFlag = show;
      char idioma[kSettingTextBytes + 1] = ""; // emptied first: an absent value reads as ""
      ReadText(key, "IDIOMA", idioma);
      language = idioma[0] == '1' ? 1 : 2;
    }
    kvp::CloseRegistryKey(key);
  }
  CurrentLanguage = language == 1 ? Language::Portuguese : Language::English;
}
