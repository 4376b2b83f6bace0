// An XLL loaded as Excel loads one: the library is opened (its process attach runs), and its
// entry points are called in Excel's orders. Two kinds: a Linux library opened in kvhost's own
// process, and a Windows DLL run by the helper under Wine (remote_addin.h).
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "addin_settings.h"
#include "excel_host.h"
#include "procedure_call.h"

namespace kvhost {

class AddIn {
public:
  // Opens the add-in at `path`: a Windows DLL (a PE file) through the helper, anything else with
  // dlopen. On failure returns null and puts a one-line reason in `error`.
  // `run_language` ("pt" or "en", empty for none) is the add-in's language for this run only,
  // set where the add-in reads its settings before it loads, and restored afterwards (for a
  // Linux add-in kvhost's settings for the run have done it already).
  static std::unique_ptr<AddIn> Load(ExcelHost& host, const std::string& path, std::string& error,
                                     const std::string& run_language = {});
  virtual ~AddIn();
  AddIn(const AddIn&) = delete;
  AddIn& operator=(const AddIn&) = delete;

  // The module's file name, as the add-in itself knows it (xlGetName).
  const std::string& path() const { return path_; }

  void Open();   // xlAutoOpen
  void Close();  // xlAutoClose, then Excel drops the add-in's registrations
  void Add();    // xlAutoAdd, when present
  void Remove(); // xlAutoRemove, when present

  // xlAddInManagerInfo(action) as a UTF-8 text; nothing when the add-in gives no text.
  std::optional<std::string> ManagerInfo(double action);

  bool is_open() const { return open_; }

  // An exported procedure by name, as a handle Call takes; null when it exports none such.
  virtual void* Procedure(const char* name) = 0;

  // Calls the procedure `procedure` (a handle from Procedure) as its type text says; nothing
  // when the call cannot be made. A P result stays valid until ReturnToAddIn.
  virtual std::optional<NativeValue> Call(void* procedure, const Signature& signature,
                                          std::span<const NativeValue> arguments) = 0;

  // After Excel has copied a record the add-in returned: one marked xlbitDLLFree goes back to
  // the add-in's xlAutoFree, the same pointer (as the add-in knows it) with the bit still set.
  virtual void ReturnToAddIn(LPXLOPER value) = 0;
  virtual void ReturnToAddIn(LPXLOPER12 value) = 0;

  // The settings as the add-in would read them now.
  virtual SettingValues ReadSettings() { return ReadLocalSettings(); }

protected:
  AddIn(ExcelHost& host, std::string path);
  // Every derived destructor ends the session with this while its calls still work: closes the
  // add-in if it is open, and Excel forgets it.
  void EndSession();

  ExcelHost& host_;

private:
  // Calls an entry point that takes nothing and returns an int; false when it is not exported.
  bool CallEntry(const char* name);

  std::string path_;
  bool open_ = false;
};

} // namespace kvhost
