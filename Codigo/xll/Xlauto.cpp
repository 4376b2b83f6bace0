#include "Xlauto.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "ColumnLetters.h"
#include "ExcelCall.h"
#include "Firewall.h"
#include "Kavenlor.h"
#include "kvplatform/ansi.h"
#include "kvplatform/automation.h"
#include "kvplatform/messagebox.h"
#include "xloper.h"

namespace {
kvp::AutomationSystem* g_automation = nullptr;   // null: the system's own
std::unique_ptr<kvp::ExcelAutomation> g_pdispXL; // this instance's application object
bool g_ole_initialised = false;
bool g_probing = false;        // CheckInstance is being called through a probe
bool g_instance_found = false; // set by CheckInstance during a probe
bool g_retry_made = false;     // the multiple-instances message shows once per load
std::string g_version;

kvp::AutomationSystem& Automation() {
  return g_automation != nullptr ? *g_automation : kvp::SystemAutomation();
}

XLOPER Text(char* counted) {
  XLOPER x{};
  x.xltype = xltypeStr;
  x.val.str = StampCountedText(counted);
  return x;
}

char CheckInstanceName[] = " CheckInstance";
char CheckInstanceType[] = " J";

// The bridge calls Excel4 directly: these calls neither empty the pool nor trace.
void FetchFileName(xl::ExcelValue& file) {
  Excel4(xlGetName, file.Fill(), 0);
}

// REGISTER.ID of CheckInstance: its register id, or an error value when not registered.
XLOPER CheckInstanceId(xl::ExcelValue& file) {
  XLOPER name = Text(CheckInstanceName);
  XLOPER id = xl::Nil();
  Excel4(xlfRegisterId, &id, 2, file.get(), &name);
  return id;
}

// Registering a procedure of the library keeps Excel from unloading it while the bridge holds
// automation objects of Excel.
int KeepDLLLoaded() {
  xl::ExcelValue file;
  FetchFileName(file);
  XLOPER id = CheckInstanceId(file);
  if (id.xltype != xltypeNum) {
    XLOPER name = Text(CheckInstanceName), type = Text(CheckInstanceType);
    id = XLOPER{};
    Excel4(xlfRegister, &id, 3, file.get(), &name, &type);
  }
  file.Release();
  if (id.xltype != xltypeNum) {
    DebugTrace("KeepDLLLoaded Failed\n");
    return xlretFailed;
  }
  return 0;
}

std::string ReadVersion() {
  XLOPER type = xl::Integer(2);
  xl::ExcelValue version;
  if (Excel4(xlfGetWorkspace, version.Fill(), 1, &type) != xlretSuccess ||
      version->xltype != xltypeStr || version->val.str == nullptr) {
    version.Forget();
    return {};
  }
  std::string text(version->val.str + 1, static_cast<unsigned char>(version->val.str[0]));
  return text.substr(0, 6);
}

// Runs cALL(file, "CheckInstance", "j") in a candidate: only the Excel that loaded this very
// library calls back into it.
bool Probe(kvp::ExcelAutomation& candidate, const std::string& file) {
  char macro[512];
  std::snprintf(macro, sizeof macro, "%s%s%s", "cALL(\"", file.c_str(),
                "\",\"CheckInstance\",\"j\")");
  std::wstring wide = kvp::AnsiToWide(macro);
  if (wide.size() > 293) wide.resize(293);
  g_instance_found = false;
  g_probing = true;
  candidate.ExecuteExcel4Macro(wide);
  g_probing = false;
  return g_instance_found;
}

void Connect() {
  // A new workbook with a module makes Excel 97 enter itself in the running object table.
  XLOPER off = xl::Boolean(false), on = xl::Boolean(true), six = xl::Number(6.0), created{};
  Excel4(xlcEcho, nullptr, 1, &off);
  const bool opened =
      Excel4(xlcNew, &created, 1, &six) == xlretSuccess && created.xltype != xltypeErr;

  if (!g_ole_initialised) {
    g_ole_initialised = Automation().Initialize();
    if (!g_ole_initialised) DebugTrace("OleInitialize Failed\n");
  }
  if (g_ole_initialised) {
    xl::ExcelValue file;
    FetchFileName(file);
    const std::string name =
        file->xltype == xltypeStr
            ? std::string(file->val.str + 1, static_cast<unsigned char>(file->val.str[0]))
            : std::string();
    file.Release();
    auto candidate = Automation().ActiveExcel();
    if (candidate && Probe(*candidate, name)) {
      g_pdispXL = std::move(candidate);
    } else {
      for (auto& running : Automation().RunningObjects()) {
        if (Probe(*running, name)) {
          g_pdispXL = std::move(running);
          break;
        }
      }
    }
  }
  if (opened) {
    Excel4(xlcClose, nullptr, 1, &off);
    Excel4(xlcEcho, nullptr, 1, &on);
  }
  if (g_pdispXL && !g_pdispXL->ConnectWorkbooks()) g_pdispXL.reset();
}

// One automation value as a value record; texts and arrays in blocks of malloc.
XLOPER ToValueRecord(const kvp::AutomationValue& value) {
  using Kind = kvp::AutomationValue::Kind;
  XLOPER x{};
  switch (value.kind) {
  case Kind::Empty: x.xltype = xltypeNil; break;
  case Kind::Integer:
    x.xltype = xltypeInt;
    x.val.w = static_cast<std::int16_t>(value.number);
    break;
  case Kind::Double:
  case Kind::Date:
    x.xltype = xltypeNum;
    x.val.num = value.number;
    break;
  case Kind::Text: {
    // Excel's texts hold at most 255 characters: a longer one is cut, not wrapped.
    const std::size_t length = std::min<std::size_t>(value.text.size(), 255);
    x.xltype = xltypeStr;
    x.val.str = static_cast<char*>(std::malloc(length + 2));
    if (x.val.str == nullptr) throw std::bad_alloc();
    x.val.str[0] = static_cast<char>(length);
    std::memcpy(x.val.str + 1, value.text.data(), length);
    x.val.str[length + 1] = '\0';
    break;
  }
  case Kind::Error:
    x.xltype = xltypeErr;
    x.val.err = xlerrName;
    break;
  case Kind::Boolean: // a Boolean cell stays a Boolean
    x.xltype = xltypeBool;
    x.val.xbool = value.number != 0 ? 1 : 0;
    break;
  case Kind::Array: {
    const std::size_t count = static_cast<std::size_t>(value.rows) * value.columns;
    x.xltype = xltypeMulti;
    x.val.array.rows = static_cast<std::uint16_t>(value.rows);
    x.val.array.columns = static_cast<std::uint16_t>(value.columns);
    x.val.array.lparray =
        static_cast<LPXLOPER>(std::calloc(count == 0 ? 1 : count, sizeof(XLOPER)));
    if (x.val.array.lparray == nullptr) throw std::bad_alloc();
    // Automation arrays are stored column by column, value arrays row by row.
    for (int r = 0; r < value.rows; ++r)
      for (int c = 0; c < value.columns; ++c)
        x.val.array.lparray[r * value.columns + c] =
            ToValueRecord(value.elements[static_cast<std::size_t>(c) * value.rows + r]);
    break;
  }
  case Kind::Other:
    x.xltype = xltypeErr;
    x.val.err = xlerrNA;
    break;
  }
  return x;
}

void FreeValueRecord(XLOPER& x) {
  if (xl::BaseType(x) == xltypeStr) {
    std::free(x.val.str);
  } else if (xl::BaseType(x) == xltypeMulti) {
    const std::size_t count = static_cast<std::size_t>(x.val.array.rows) * x.val.array.columns;
    for (std::size_t i = 0; i < count; ++i)
      FreeValueRecord(x.val.array.lparray[i]);
    std::free(x.val.array.lparray);
  }
  x.xltype = xltypeNil;
}

// The call comes from a recalculation when the command probe fails or answers zero.
bool FromCalculation() {
  XLOPER answer{};
  if (Excel4(103 | xlCommand, &answer, 0) != xlretSuccess) return true;
  if (answer.xltype == xltypeBool) return answer.val.xbool == 0;
  if (answer.xltype == xltypeNum) return answer.val.num == 0;
  if (answer.xltype == xltypeInt) return answer.val.w == 0;
  return false;
}

// OR(ISTEXT(reference)): the range holds text. Any failure counts as yes.
bool HoldsText(LPXLOPER reference) {
  xl::ExcelValue istext;
  XLOPER any{};
  if (Excel4(xlfIstext, istext.Fill(), 1, reference) != xlretSuccess) {
    istext.Forget();
    return true;
  }
  const int code = Excel4(xlfOr, &any, 1, istext.get());
  istext.Release();
  if (code != xlretSuccess || any.xltype != xltypeBool) return true;
  return any.val.xbool != 0;
}

// Reads the reference through automation and coerces the values to the requested type.
int CoerceThroughAutomation(LPXLOPER result, LPXLOPER source, LPXLOPER type) {
  XLOPER as_reference = xl::Integer(xltypeRef);
  xl::ExcelValue reference, sheet_name;
  int code = Excel4(xlCoerce, reference.Fill(), 2, source, &as_reference);
  if (code != xlretSuccess || reference->xltype != xltypeRef) {
    reference.Forget();
    return code ? code : xlretFailed;
  }
  code = Excel4(xlSheetNm, sheet_name.Fill(), 1, reference.get());
  if (code != xlretSuccess || sheet_name->xltype != xltypeStr) {
    sheet_name.Forget();
    return code ? code : xlretFailed; // the reference goes back as its owner ends
  }
  // "[Book]Sheet": the workbook between the brackets, the sheet after them.
  const std::string full(sheet_name->val.str + 1,
                         static_cast<unsigned char>(sheet_name->val.str[0]));
  const std::size_t close = full.find(']');
  const std::string book = full.substr(1, close == std::string::npos ? 0 : close - 1);
  const std::string sheet = close == std::string::npos ? full : full.substr(close + 1);
  const std::wstring address = ReferenceAddress(*reference);
  ReleaseTogether(reference, sheet_name);

  kvp::AutomationValue value;
  if (!g_pdispXL->RangeValue(kvp::AnsiToWide(book), kvp::AnsiToWide(sheet), address, value))
    return xlretFailed;
  XLOPER record = ToValueRecord(value);
  code = Excel4(xlCoerce, result, 2, &record, type);
  FreeValueRecord(record);
  return code;
}
} // namespace

void UseAutomationSystem(kvp::AutomationSystem* automation) {
  g_automation = automation;
}

void ForgetAutomationRetry() {
  g_retry_made = false;
}

const std::string& ExcelVersion() {
  return g_version;
}

std::wstring ReferenceAddress(const XLOPER& reference) {
  if (reference.val.mref.lpmref == nullptr || reference.val.mref.lpmref->count < 1) return {};
  const XLREF& r = reference.val.mref.lpmref->reftbl[0];
  const std::string text = ColumnLetters(r.colFirst, 'a') + std::to_string(r.rwFirst + 1u) + ":" +
                           ColumnLetters(r.colLast, 'a') + std::to_string(r.rwLast + 1u);
  return kvp::AnsiToWide(text);
}

void AutomationStop() {
  g_pdispXL.reset();
  if (g_ole_initialised) {
    Automation().Uninitialize();
    g_ole_initialised = false;
  }
  xl::ExcelValue file;
  FetchFileName(file);
  XLOPER id = CheckInstanceId(file);
  if (id.xltype == xltypeNum) Excel4(xlfUnregister, nullptr, 1, &id);
}

int AutomationStart() {
  AutomationStop();
  if (const int status = KeepDLLLoaded(); status != 0) return status;
  g_version = ReadVersion();
  if (g_version == "8.0") Connect();
  return 0;
}

int CoerceReference(LPXLOPER result, int count, LPXLOPER* args) {
  if (count != 1 && count != 2) return xlretInvCount;
  XLOPER omitted = xl::Missing();
  LPXLOPER type = count == 2 ? args[1] : &omitted;
  const bool integer_type = xl::BaseType(*type) == xltypeInt;
  const int requested = integer_type ? type->val.w : 0; // 0: the default type
  LPXLOPER source = args[0];
  const bool reference = xl::BaseType(*source) == xltypeSRef || xl::BaseType(*source) == xltypeRef;
  const bool workaround = reference &&
                          (!integer_type || requested == xltypeMulti || requested == xltypeStr) &&
                          g_version == "8.0" && FromCalculation() && HoldsText(source);
  if (!workaround) return Excel4(xlCoerce, result, 2, source, type);
  if (!g_pdispXL) {
    if (g_retry_made) return xlretFailed;
    kvp::ShowMessageBox(ExcelMainWindow,
                        "Unable to complete calculation with other instances of Excel Opened\n"
                        "Please close all other instances of Excel, then Click OK",
                        "Error", kvp::kMbOk);
    g_retry_made = true;
    AutomationStart();
    return CoerceReference(result, count, args);
  }
  try {
    return CoerceThroughAutomation(result, source, type);
  } catch (...) {
    return xlretFailed;
  }
}

KV_ENTRY(int) CheckInstance() {
  return Guarded("CheckInstance", 1, [] {
    if (g_probing) g_instance_found = true;
    return 1;
  });
}
