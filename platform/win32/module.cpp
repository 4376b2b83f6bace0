#include "kvplatform/module.h"

#include <windows.h>

namespace kvp {

ModuleHandle ModuleOf(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(address), &module))
    return nullptr;
  return module;
}

std::string ModuleFileName(ModuleHandle module) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(path, length);
}

void* ProcessEntryPoint(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), name));
}

} // namespace kvp
