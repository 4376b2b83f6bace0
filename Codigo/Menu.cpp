// Command macros of the menu and toolbar that need no dialog: the toolbar switch, the two
// language choices, the web help and the About box. Each returns 1, as Excel expects of them,
// failures included: an exception is caught and traced, never shown (Guarded).
#include "Menu.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "BarraMenu.h"
#include "Configuracao.h"
#include "Tabelas.h"
#include "Textos.h"
#include "kvplatform/process.h"
#include "kvplatform/registry.h"
#include "xll/ExcelCall.h"
#include "xll/Firewall.h"
#include "xll/MacroCall.h"

namespace {
constexpr std::int16_t kAlertInformation = 2;
constexpr std::int16_t kAlertError = 3;

const char* const kToolbarNotStoredPt =
    "Não foi possível gravar a escolha da barra de ferramentas no registro: ela vale até o "
    "Microsoft Excel ser fechado.";
const char* const kToolbarNotStoredEn =
    "The toolbar choice could not be saved in the registry: it lasts until Microsoft Excel "
    "is closed.";

// Alerts built at run time, through the interface in use.
void Alert(const std::string& text, std::int16_t type) {
  xl::Macro(xlcAlert, {xl::MacroArg::Text(text), xl::MacroArg::Integer(type)});
}

// Stores one setting for the next start; false when the registry refused it.
bool StoreSetting(const char* name, kvp::RegistryType type, const unsigned char* data,
                  std::size_t size) {
  kvp::RegistryKey key;
  if (!kvp::CreateRegistryKey(kSettingsKey, key)) return false;
  const bool stored = kvp::SetRegistryValue(key, name, type, data, size);
  kvp::CloseRegistryKey(key);
  return stored;
}

// Choosing a language changes nothing while loaded: the menus, the functions and the texts
// follow the new language from the next start.
short ChooseLanguage(Language chosen, const char* value, const char* restart_message,
                     const char* error_message) {
  if (CurrentLanguage == chosen) return 1;
  try {
    // A choice the registry did not keep would be lost at the restart the message asks for.
    if (!StoreSetting("IDIOMA", kvp::RegistryType::Text,
                      reinterpret_cast<const unsigned char*>(value), 1))
      throw std::runtime_error("IDIOMA not stored");
    Alert(restart_message, kAlertInformation);
  } catch (...) {
    Alert(error_message, kAlertError);
  }
  return 1;
}

#define KV_SIGNATURE_PT KV_MAKER_LINE_PT "\n" KV_MAKER_WEB
#define KV_SIGNATURE_EN KV_MAKER_LINE_EN "\n" KV_MAKER_WEB

const char* const kHelpPages[2] = {"https://www.corvanelathi.example/kavenlor/ajuda",
                                   "https://www.corvanelathi.example/kavenlor/help"};

// The browser `name` started on `address`: by its name first, then by its path as found.
bool StartBrowser(const char* name, const char* address) {
  try {
    const std::string program = std::string(name) + ".exe";
    if (kvp::SpawnNoWait(program.c_str(), address) != -1) return true;
  } catch (...) {
  }
  try {
    const std::string found = kvp::SearchProgramPath(name, ".exe");
    if (!found.empty() && kvp::SpawnNoWait(found.c_str(), address) != -1) return true;
  } catch (...) {
  }
  return false;
}
} // namespace

// Shows or hides the toolbar and remembers the choice.
KV_ENTRY(short) kv_chama_exibir() {
  return Guarded("kv_chama_exibir", 1, [] {
    const unsigned char shown = ShowToolbarFlag == 0 ? 1 : 0;
    const bool stored = StoreSetting("SHOW", kvp::RegistryType::Binary, &shown, 1);
    ShowToolbar(shown != 0);
    ExcelCall(xlfCheckCommand, nullptr, 4, TempNumber(10), TempText(MenuName()),
              TempText(ShowToolbarItem()), TempBoolean(shown));
    ShowToolbarFlag = shown;
    // The toolbar switches all the same; the person learns that Excel's next start will not
    // remember it.
    if (!stored)
      Alert(CurrentLanguage == Language::Portuguese ? kToolbarNotStoredPt : kToolbarNotStoredEn,
            kAlertError);
    return 1;
  });
}

KV_ENTRY(short) kv_chama_port() {
  return Guarded("kv_chama_port", 1, [] {
    return ChooseLanguage(Language::Portuguese, "1",
                          "Please, restart Microsoft Excel to enjoy all changes.",
                          "Error during process.\n\nPlease, restart Microsoft Excel.");
  });
}

KV_ENTRY(short) kv_chama_ing() {
  return Guarded("kv_chama_ing", 1, [] {
    return ChooseLanguage(
        Language::English, "2",
        "Por favor, inicie novamente o Microsoft Excel para que as alterações tenham efeito.",
        "Houve erros durante o processo.\n\nPor favor, inicie novamente o Microsoft Excel.");
  });
}

KV_ENTRY(short) kv_chama_sobre() {
  return Guarded("kv_chama_sobre", 1, [] {
    const std::string text =
        CurrentLanguage == Language::Portuguese
            ? "Kavenlor - Cálculos para Mercado Financeiro\nSuplemento para Microsoft "
              "Excel\nVersão: " +
                  std::string(VersionText) + "\n\n" KV_SIGNATURE_PT
            : "Kavenlor - Metrics for Financial Market\nMicrosoft Excel Add-in\nVersion: " +
                  std::string(VersionText) + "\n\n" KV_SIGNATURE_EN;
    Alert(text, kAlertInformation);
    return 1;
  });
}

KV_ENTRY(short) kv_chama_ajuda() {
  return Guarded("kv_chama_ajuda", 1, [] {
    const char* address = kHelpPages[LanguageIndex(CurrentLanguage)];
    if (StartBrowser("explorer", address) || StartBrowser("netscape", address)) return 1;
    Alert(CurrentLanguage == Language::Portuguese
              ? "Não foi possível acessar a página na Internet. Verifique se você tem uma conexão "
                "ativa ou o navegador Internet Explorer ou Netscape instalado."
              : "Internet access error. Please, check if you are connected  or if you have one of "
                "the two browser installed: Internet Explorer or Netscape.",
          kAlertError);
    return 1;
  });
}
