// The version an add-in file carries, read from the file without loading it: the "Kavenlor" note
// of an ELF module, the fixed file version of a Windows module's version resource.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kvhost {

// The version text ("0.1.0"); nothing, with the reason in `error`, when the file cannot be read
// or records no version.
std::optional<std::string> AddInFileVersion(const std::string& path, std::string& error);

// The same, from the file's bytes.
std::optional<std::string> ModuleVersion(std::string_view file, std::string& error);

} // namespace kvhost
