// The registry (RegOpenKeyExA, RegCreateKeyExA, RegQueryValueExA, RegSetValueExA, RegCloseKey
// under HKEY_LOCAL_MACHINE on Windows).
//
// Linux keeps the keys in a small text file: $KAVENLOR_REGISTRY when set, else
// $XDG_CONFIG_HOME/kavenlor/registry (~/.config when XDG_CONFIG_HOME is unset). A missing,
// unreadable or corrupt file behaves as a registry without the key. Every write replaces the
// file atomically (a temporary file in the same folder, flushed to disk, then a rename; the
// folder is created when missing), so a reader sees the old file or the new one, never a mix.
// Writers take an exclusive lock on "<file>.lock" around their read-modify-write, so two
// processes that set values at once lose neither. A write over a corrupt file keeps the
// corrupt one as "<file>.corrupt".
//
// The file is UTF-8 text, one item a line:
//
//   # Kavenlor registry 1
//   [Software\Kavenlor]
//   "Caminho" = text "C:\Arquivos de programas\Kavenlor\"
//   "Idioma" = text "pt"
//   "Janela" = binary 0a00ff
//
// - The first line is exactly "# Kavenlor registry 1". Other lines beginning with '#', and
//   empty lines, are ignored.
// - "[path]" opens a key (the whole line between the first '[' and the last ']'); the value
//   lines under it are its values, in the order they were first set.
// - A value line is: the name in double quotes, " = ", then either "text" and the text in
//   double quotes, or "binary" and its bytes as hexadecimal digits, two a byte ("binary" alone
//   for no bytes).
// - Key paths, names and texts are ANSI (code page 1252) texts; each byte is written as its
//   UTF-8 character, except '%', '"', the control bytes 01-1F and 7F, and the five bytes that
//   code page 1252 leaves unassigned (81 8D 8F 90 9D), which are written "%XX" (two hex
//   digits). A zero byte has no place in any of them.
// Anything else (an unknown line, a value before the first key, a name given twice in one
// key, a key given twice, a character outside code page 1252, %00, an odd hex digit count)
// makes the whole file corrupt: no key is read from it.
//
// As in the Windows registry, key paths and value names are compared without regard to case
// (code page 1252 letters, accented ones included) and keep the case they were created with;
// a key exists when it was created or when one of its subkeys was. The Linux key remembers its
// path and reads the file again at each query, so it sees what another process set since.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "api.h"

namespace kvp {

enum class RegistryType { Text, Binary }; // REG_SZ, REG_BINARY

class KVP_API RegistryKey {
public:
  RegistryKey() = default;
  ~RegistryKey();
  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool is_open() const { return handle_ != nullptr; }
  void* handle() const { return handle_; }
  explicit RegistryKey(void* handle) : handle_(handle) {}
  // Gives the handle up without closing it (CloseRegistryKey closes what it gets here).
  void* release() { return std::exchange(handle_, nullptr); }

private:
  void* handle_ = nullptr;
};

// Opens `subkey` (for example "Software\\Kavenlor") of the local-machine root for reading.
// False when the key does not exist or cannot be read.
KVP_API bool OpenRegistryKey(const char* subkey, RegistryKey& key);

// Opens `subkey` for setting values, creating it when missing. False when that fails.
KVP_API bool CreateRegistryKey(const char* subkey, RegistryKey& key);

// Copies the value's bytes into `buffer` (a text with its terminating zero, as the Windows call
// does) and sets `size` to the bytes copied. False when the value is absent or does not fit in
// `size` bytes (the buffer is then left as it was and `size` is set to the bytes needed). A
// null `buffer` only asks for the type and the size: true, with `size` set to the bytes needed.
// On Windows, REG_SZ and REG_EXPAND_SZ values are texts and every other type is binary; a text
// stored without its zero comes back with one.
KVP_API bool QueryRegistryValue(const RegistryKey& key, const char* name, RegistryType& type,
                                unsigned char* buffer, std::size_t& size);

// Sets a text (ANSI, without its zero) or binary value. False when that fails: the key was
// opened for reading only (OpenRegistryKey), or a text holds a zero byte. One terminating
// zero at the end of a text is accepted and is not part of the text.
KVP_API bool SetRegistryValue(const RegistryKey& key, const char* name, RegistryType type,
                              const unsigned char* data, std::size_t size);

KVP_API void CloseRegistryKey(RegistryKey& key);

#if !defined(_WIN32)
// The file that holds the keys now (as above: $KAVENLOR_REGISTRY, else the XDG place); empty
// when no home folder is known.
KVP_API std::string RegistryFilePath();
#endif

} // namespace kvp
