#include "addin.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include "addin_file.h"
#include "values.h"

namespace kvhost {
namespace {
template <typename Entry> Entry Lookup(void* library, const char* name) {
  return reinterpret_cast<Entry>(dlsym(library, name));
}
} // namespace

std::unique_ptr<AddIn> AddIn::Load(ExcelHost& host, const std::string& path, std::string& error) {
  char full[PATH_MAX];
  if (realpath(path.c_str(), full) == nullptr) {
    error = "cannot load add-in " + path + ": no such file";
    return nullptr;
  }
  if (!CheckAddInFile(full, error)) return nullptr;
  void* library = dlopen(full, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    error = "cannot load add-in " + path + ": " + (reason ? reason : "not a loadable library");
    return nullptr;
  }
  std::unique_ptr<AddIn> addin(new AddIn(host, library, full));
  if (addin->auto_open_ == nullptr) {
    error =
        "cannot load add-in " + path + ": it exports no xlAutoOpen, so it is not an Excel add-in";
    return nullptr;
  }
  return addin;
}

AddIn::AddIn(ExcelHost& host, void* library, std::string path)
    : host_(host), library_(library), path_(std::move(path)) {
  auto_open_ = Lookup<IntEntry>(library_, "xlAutoOpen");
  auto_close_ = Lookup<IntEntry>(library_, "xlAutoClose");
  auto_add_ = Lookup<IntEntry>(library_, "xlAutoAdd");
  auto_remove_ = Lookup<IntEntry>(library_, "xlAutoRemove");
  manager_info_ = Lookup<ValueEntry>(library_, "xlAddInManagerInfo");
  auto_free_ = Lookup<FreeEntry>(library_, "xlAutoFree");
  host_.app().current_addin_path = path_;
  host_.app().current_addin_handle = library_;
}

AddIn::~AddIn() {
  if (open_) Close();
  host_.app().current_addin_path.clear();
  host_.app().current_addin_handle = nullptr;
  dlclose(library_);
}

void AddIn::Open() {
  auto_open_();
  open_ = true;
}

void AddIn::Close() {
  if (auto_close_ != nullptr) auto_close_();
  host_.app().UnregisterModule(path_);
  open_ = false;
}

void AddIn::Add() {
  if (auto_add_ != nullptr) auto_add_();
}

void AddIn::Remove() {
  if (auto_remove_ != nullptr) auto_remove_();
}

std::optional<std::string> AddIn::ManagerInfo(double action) {
  if (manager_info_ == nullptr) return std::nullopt;
  XLOPER request{};
  request.xltype = xltypeNum;
  request.val.num = action;
  LPXLOPER answer = manager_info_(&request);
  if (answer == nullptr) return std::nullopt;
  std::optional<std::string> text = Utf8Text(*answer);
  ReturnToAddIn(answer);
  return text;
}

void* AddIn::Procedure(const char* name) const {
  return dlsym(library_, name);
}

void AddIn::ReturnToAddIn(LPXLOPER value) {
  if ((value->xltype & xlbitDLLFree) && auto_free_ != nullptr) auto_free_(value);
}

} // namespace kvhost
