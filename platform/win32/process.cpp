#include "kvplatform/process.h"

#include <process.h>
#include <windows.h>

namespace kvp {
namespace {

// The C runtime joins spawn arguments with blanks and quotes none of them, so a path with a
// blank would reach the program as several arguments. Quote as the runtime's own argument
// parser expects: backslashes are literal except before a double quote.
std::string Quoted(const char* argument) {
  const std::string text = argument;
  if (!text.empty() && text.find_first_of(" \t\"") == std::string::npos) return text;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

} // namespace

int SpawnNoWait(const char* program, const char* argument) {
  if (program == nullptr || *program == '\0') return -1;
  const std::string zeroth = Quoted(program);
  const std::string first = argument != nullptr ? Quoted(argument) : std::string();
  const intptr_t process =
      _spawnlp(_P_NOWAIT, program, zeroth.c_str(), argument != nullptr ? first.c_str() : nullptr,
               static_cast<const char*>(nullptr));
  if (process == -1) return -1;
  // _P_NOWAIT answers a process handle that nobody waits on here: answer its id instead and
  // give the handle back, so starting a browser leaks nothing.
  const auto handle = reinterpret_cast<HANDLE>(process);
  const DWORD id = GetProcessId(handle);
  CloseHandle(handle);
  return static_cast<int>(id);
}

std::string SearchProgramPath(const char* name, const char* extension) {
  if (name == nullptr) return {};
  char found[MAX_PATH];
  const DWORD length = SearchPathA(nullptr, name, extension, MAX_PATH, found, nullptr);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(found, length);
}

} // namespace kvp
