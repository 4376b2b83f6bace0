// A Windows add-in (.xll) run by kvhost's helper under Wine. Every entry point and procedure
// call is a question to the helper; while it runs, the add-in's Excel4v calls come back as
// questions to kvhost's own dispatcher, so every host behaviour stays kvhost's.
//
// The helper is kvxlbridge.exe: KVHOST_XLL_HELPER names it, else the one beside the add-in,
// else the one beside kvhost. It runs through `wine` from PATH.
#pragma once

#include <map>

#include "addin.h"
#include "helper_process.h"
#include "xloper_wire.h"

namespace kvhost {

class RemoteAddIn final : public AddIn {
public:
  RemoteAddIn(ExcelHost& host, std::unique_ptr<kvbridge::HelperProcess> helper,
              std::string module_name);
  ~RemoteAddIn() override;

  void* Procedure(const char* name) override; // the export's address in the helper
  std::optional<NativeValue> Call(void* procedure, const Signature& signature,
                                  std::span<const NativeValue> arguments) override;
  // The copy kvhost made is dropped; the add-in's xlAutoFree (xlAutoFree12) gets its own
  // pointer.
  void ReturnToAddIn(LPXLOPER value) override { Return(value); }
  void ReturnToAddIn(LPXLOPER12 value) override { Return(value); }
  // From Wine's registry.
  SettingValues ReadSettings() override;

private:
  // The helper asks: an Excel4v or Excel12v call, a message box.
  void Answer(std::uint8_t operation, kvbridge::Reader& in, kvbridge::Writer& out);
  template <class Oper> void AnswerExcel(kvbridge::Reader& in, kvbridge::Writer& out);
  template <class Oper> void TakeResult(kvbridge::Reader& in, NativeValue& result);
  template <class Oper> void Return(Oper* value);
  // The picture on the clipboard of the helper's Windows session.
  bool ClipboardPicture(kvp::Image& picture);

  std::unique_ptr<kvbridge::HelperProcess> helper_;
  std::map<std::string, std::uint64_t> exports_;
  // Records the add-in returned, copied into kvhost, each with its pointer in the helper.
  template <class Oper> struct Returned {
    std::unique_ptr<Oper> record;
    std::uint64_t remote = 0;
  };
  std::map<const XLOPER*, Returned<XLOPER>> returned_;
  std::map<const XLOPER12*, Returned<XLOPER12>> returned12_;
  template <class Oper> auto& ReturnedOf() {
    if constexpr (std::is_same_v<Oper, XLOPER>)
      return returned_;
    else
      return returned12_;
  }
  kvbridge::WireMemory copies_;
};

// Starts the helper and loads the Windows add-in at `path` into it.
// Starts the helper and loads the Windows add-in at `path` into it; with a `run_language`, the
// helper first sets IDIOMA (and PATH, when none is stored: the add-in's folder) in Wine's
// registry for the run, and puts the values back when it ends.
std::unique_ptr<AddIn> LoadRemoteAddIn(ExcelHost& host, const std::string& path, std::string& error,
                                       const std::string& run_language);

} // namespace kvhost
