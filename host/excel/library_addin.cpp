#include "library_addin.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

namespace kvhost {

std::unique_ptr<AddIn> LoadLibraryAddIn(ExcelHost& host, const std::string& path,
                                        std::string& error) {
  char full[PATH_MAX];
  if (realpath(path.c_str(), full) == nullptr) {
    error = "cannot load add-in " + path + ": no such file";
    return nullptr;
  }
  void* library = dlopen(full, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    error = "cannot load add-in " + path + ": " + (reason ? reason : "not a loadable library");
    return nullptr;
  }
  if (dlsym(library, "xlAutoOpen") == nullptr) {
    dlclose(library);
    error =
        "cannot load add-in " + path + ": it exports no xlAutoOpen, so it is not an Excel add-in";
    return nullptr;
  }
  return std::make_unique<LibraryAddIn>(host, library, full);
}

LibraryAddIn::LibraryAddIn(ExcelHost& host, void* library, std::string path)
    : AddIn(host, std::move(path)), library_(library) {
  host_.app().current_addin_handle = library_;
}

LibraryAddIn::~LibraryAddIn() {
  EndSession();
  host_.app().current_addin_handle = nullptr;
  dlclose(library_);
}

void* LibraryAddIn::Procedure(const char* name) {
  return dlsym(library_, name);
}

std::optional<NativeValue> LibraryAddIn::Call(void* procedure, const Signature& signature,
                                              std::span<const NativeValue> arguments) {
  return CallProcedure(procedure, signature, arguments);
}

namespace {
template <class Oper> void GiveBack(void* library, Oper* value, const char* entry) {
  using FreeEntry = void (*)(Oper*);
  if (value == nullptr || !(value->xltype & xlbitDLLFree)) return;
  if (const auto auto_free = reinterpret_cast<FreeEntry>(dlsym(library, entry))) auto_free(value);
}
} // namespace

void LibraryAddIn::ReturnToAddIn(LPXLOPER value) {
  GiveBack(library_, value, "xlAutoFree");
}

void LibraryAddIn::ReturnToAddIn(LPXLOPER12 value) {
  GiveBack(library_, value, "xlAutoFree12");
}

} // namespace kvhost
