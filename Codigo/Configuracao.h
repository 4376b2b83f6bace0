// The add-in's settings, read once when the library is attached, from the registry key
// "Software\Kavenlor".
#pragma once

#include <cstddef>

// Settings are plain character arrays: they are filled while the library is being attached,
// before any object of the library with a constructor may have been built.
constexpr std::size_t kSettingTextBytes = 500; // the registry reads texts with this buffer

// Toolbar shown (any value but 0) or hidden; changed by the show-toolbar command.
extern unsigned char ShowToolbarFlag;
// The install folder followed by one backslash, or empty: where the pictures are looked up.
extern char InstallFolder[kSettingTextBytes + 2];
// The version text of the About box; empty when not installed.
extern char VersionText[kSettingTextBytes + 1];

extern const char* const kSettingsKey; // "Software\Kavenlor"

// Reads "PATH" and, only when it is present and not empty, "VERSAO", "SHOW" and "IDIOMA";
// chooses CurrentLanguage: Portuguese when "IDIOMA" starts with "1", English otherwise
// (and whenever the key, "PATH" or "IDIOMA" is missing).
void ReadSettings();
