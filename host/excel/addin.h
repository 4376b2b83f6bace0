// An XLL loaded as Excel loads one: the library is opened (its process attach runs), and its
// entry points are called in Excel's orders.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "excel_host.h"

namespace kvhost {

class AddIn {
public:
  // Opens the library at `path`. On failure returns null and puts a one-line reason in `error`.
  static std::unique_ptr<AddIn> Load(ExcelHost& host, const std::string& path, std::string& error);
  ~AddIn(); // unloads as Excel does at the end of a session (xlAutoClose first if open)
  AddIn(const AddIn&) = delete;
  AddIn& operator=(const AddIn&) = delete;

  const std::string& path() const { return path_; }

  void Open();   // xlAutoOpen
  void Close();  // xlAutoClose, then Excel drops the add-in's registrations
  void Add();    // xlAutoAdd, when present
  void Remove(); // xlAutoRemove, when present

  // xlAddInManagerInfo(action) as a UTF-8 text; nothing when the add-in gives no text.
  std::optional<std::string> ManagerInfo(double action);

  bool is_open() const { return open_; }

  // An exported procedure of the add-in by name; null when it exports none such.
  void* Procedure(const char* name) const;

  // After Excel has copied a value the add-in returned: one marked xlbitDLLFree goes back to
  // the add-in's xlAutoFree, the same pointer with the bit still set.
  void ReturnToAddIn(LPXLOPER value);

private:
  using IntEntry = int (*)();
  using ValueEntry = LPXLOPER (*)(LPXLOPER);
  using FreeEntry = void (*)(LPXLOPER);

  AddIn(ExcelHost& host, void* library, std::string path);

  ExcelHost& host_;
  void* library_;
  std::string path_;
  IntEntry auto_open_ = nullptr;
  IntEntry auto_close_ = nullptr;
  IntEntry auto_add_ = nullptr;
  IntEntry auto_remove_ = nullptr;
  ValueEntry manager_info_ = nullptr;
  FreeEntry auto_free_ = nullptr;
  bool open_ = false;
};

} // namespace kvhost
