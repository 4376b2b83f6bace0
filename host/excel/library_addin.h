// An add-in that is a Linux shared library, opened with dlopen in kvhost's own process.
#pragma once

#include "addin.h"

namespace kvhost {

class LibraryAddIn final : public AddIn {
public:
  LibraryAddIn(ExcelHost& host, void* library, std::string path);
  ~LibraryAddIn() override;

  void* Procedure(const char* name) override; // the exported function's address
  std::optional<NativeValue> Call(void* procedure, const Signature& signature,
                                  std::span<const NativeValue> arguments) override;
  void ReturnToAddIn(LPXLOPER value) override;
  void ReturnToAddIn(LPXLOPER12 value) override;

private:
  void* library_;
};

std::unique_ptr<AddIn> LoadLibraryAddIn(ExcelHost& host, const std::string& path,
                                        std::string& error);

} // namespace kvhost
