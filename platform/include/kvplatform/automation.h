// Excel's automation objects (OLE automation on Windows: the "Excel.Application" object, the
// running object table and IDispatch calls), reduced to what the add-in asks of them: run a
// macro text in an Excel instance, and read the values of a range.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "api.h"

namespace kvp {

// A VARIANT as a range returns it.
struct AutomationValue {
  enum class Kind { Empty, Integer, Double, Date, Text, Error, Boolean, Array, Other };
  Kind kind = Kind::Empty;
  double number = 0;      // Integer, Double, Date; Boolean as 1 or 0
  std::string text;       // Text, in the ANSI code page
  std::int32_t error = 0; // Error: the SCODE
  // Array: rows x columns elements stored column by column, (r, c) at c * rows + r.
  int rows = 0;
  int columns = 0;
  std::vector<AutomationValue> elements;
};

// One Excel application object found through automation.
class ExcelAutomation {
public:
  virtual ~ExcelAutomation() = default;
  // Application.ExecuteExcel4Macro(macro); false when the call fails.
  virtual bool ExecuteExcel4Macro(const std::wstring& macro) = 0;
  // Fetches Application.Workbooks, kept for RangeValue; false when it cannot.
  virtual bool ConnectWorkbooks() = 0;
  // Workbooks.Item(book).Worksheets.Item(sheet).Range(address).Value; false on any failure.
  virtual bool RangeValue(const std::wstring& book, const std::wstring& sheet,
                          const std::wstring& address, AutomationValue& value) = 0;
};

class AutomationSystem {
public:
  virtual ~AutomationSystem() = default;
  virtual bool Initialize() = 0; // OleInitialize
  virtual void Uninitialize() = 0;
  // The object registered as "Excel.Application", as its Application property; null if none.
  virtual std::unique_ptr<ExcelAutomation> ActiveExcel() = 0;
  // Every object of the running object table that answers automation calls.
  virtual std::vector<std::unique_ptr<ExcelAutomation>> RunningObjects() = 0;
};

// The system's automation: OLE on Windows; on Linux there is no Excel to find, so it
// initialises and finds nothing.
KVP_API AutomationSystem& SystemAutomation();

} // namespace kvp
