#include "addin.h"

#include <fstream>

#include "addin_file.h"
#include "library_addin.h"
#include "remote_addin.h"
#include "values.h"

namespace kvhost {
namespace {
// A Windows executable or DLL starts with the MS-DOS header's "MZ".
bool IsWindowsModule(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char magic[2] = {};
  return file.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}
} // namespace

std::unique_ptr<AddIn> AddIn::Load(ExcelHost& host, const std::string& path, std::string& error,
                                   const std::string& run_language) {
  // What would stop the loader or the helper for good is refused first.
  if (!CheckAddInFile(path, error)) return nullptr;
  if (IsWindowsModule(path)) return LoadRemoteAddIn(host, path, error, run_language);
  return LoadLibraryAddIn(host, path, error);
}

AddIn::AddIn(ExcelHost& host, std::string path) : host_(host), path_(std::move(path)) {
  host_.app().current_addin_path = path_;
  host_.set_addin(this);
}

AddIn::~AddIn() = default;

void AddIn::EndSession() {
  if (open_) Close();
  host_.app().current_addin_path.clear();
  host_.set_addin(nullptr);
}

bool AddIn::CallEntry(const char* name) {
  void* entry = Procedure(name);
  if (entry == nullptr) return false;
  Call(entry, Signature{'J', ""}, {});
  return true;
}

void AddIn::Open() {
  CallEntry("xlAutoOpen");
  open_ = true;
}

void AddIn::Close() {
  CallEntry("xlAutoClose");
  host_.app().UnregisterModule(path_);
  open_ = false;
}

void AddIn::Add() {
  CallEntry("xlAutoAdd");
}

void AddIn::Remove() {
  CallEntry("xlAutoRemove");
}

std::optional<std::string> AddIn::ManagerInfo(double action) {
  void* entry = Procedure("xlAddInManagerInfo");
  if (entry == nullptr) return std::nullopt;
  XLOPER request{};
  request.xltype = xltypeNum;
  request.val.num = action;
  NativeValue argument;
  argument.letter = 'P';
  argument.record = &request;
  const auto answer = Call(entry, Signature{'P', "P"}, std::span(&argument, 1));
  if (!answer || answer->record == nullptr) return std::nullopt;
  std::optional<std::string> text = Utf8Text(*answer->record);
  ReturnToAddIn(answer->record);
  return text;
}

} // namespace kvhost
