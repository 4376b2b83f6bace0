#include "kvplatform/module.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

namespace kvp {

ModuleHandle ModuleOf(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0) return nullptr;
  return info.dli_fbase;
}

std::string ModuleFileName(ModuleHandle module) {
  char path[PATH_MAX];
  if (module == nullptr) {
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    return std::string(path, static_cast<std::size_t>(length));
  }
  Dl_info info{};
  if (dladdr(module, &info) == 0 || info.dli_fname == nullptr) return {};
  // dladdr gives the name the object was loaded under; make it a full path.
  if (realpath(info.dli_fname, path) == nullptr) return info.dli_fname;
  return path;
}

void* ProcessEntryPoint(const char* name) {
  return dlsym(RTLD_DEFAULT, name);
}

} // namespace kvp
