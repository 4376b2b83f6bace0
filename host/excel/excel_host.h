// kvhost's Excel: answers every Excel4/Excel4v call of the add-in, one handler per function
// number, against the application model.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <unordered_map>

#include "../model/application.h"
#include "excel_memory.h"
#include "kvplatform/windows.h"
#include "xlcall.h"

namespace kvhost {

class ExcelHost;

using Arguments = std::span<LPXLOPER const>;
// Fills `result` (which may be null when the caller wants none) and returns an Excel return code.
using Handler = std::function<int(ExcelHost& host, LPXLOPER result, Arguments args)>;
using HandlerTable = std::unordered_map<int, Handler>;

// Handlers by area.
void AddInterfaceFunctions(HandlerTable& table);
void AddAddInManagement(HandlerTable& table);

// The main window's handle; its low 16 bits are what xlGetHwnd reports (above 0x7FFF on
// purpose: the add-in must compare them as unsigned).
constexpr kvp::WindowHandle kMainWindow = 0x0001C0DE;

class ExcelHost {
public:
  ExcelHost();
  ~ExcelHost();
  ExcelHost(const ExcelHost&) = delete;
  ExcelHost& operator=(const ExcelHost&) = delete;

  // Runs one call as Excel would; 2 (invalid function) for a number the host does not know.
  int Call(int xlfn, LPXLOPER result, Arguments args);

  Application& app() { return app_; }
  ExcelMemory& memory() { return memory_; }

  // Shows an alert: `[Alert] text` on standard error, and recorded.
  void ShowAlert(const std::string& utf8_text, int type);

private:
  static int Dispatch(void* context, int xlfn, LPXLOPER result, int count, LPXLOPER* args);

  Application app_;
  ExcelMemory memory_;
  HandlerTable handlers_;
};

// Result makers.
void SetError(LPXLOPER result, std::uint16_t code);
void SetBoolean(LPXLOPER result, bool flag);
void SetNumber(LPXLOPER result, double number);

} // namespace kvhost
