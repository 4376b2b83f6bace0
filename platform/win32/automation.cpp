// OLE automation of Excel: the application object, the running object table, IDispatch calls.
#include "kvplatform/automation.h"

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

namespace kvp {
namespace {

// Releases an interface when it goes out of scope.
template <typename T> class Com {
public:
  Com() = default;
  explicit Com(T* p) : p_(p) {}
  ~Com() { Reset(); }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  Com(Com&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  Com& operator=(Com&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }
  T* get() const { return p_; }
  T** out() {
    Reset();
    return &p_;
  }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

private:
  T* p_ = nullptr;
};

class Variant {
public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }
  const VARIANT& value() const { return v_; }

private:
  VARIANT v_;
};

// Invokes `name` on `object` with at most one argument (a text); the result into `result`.
bool Invoke(IDispatch* object, const wchar_t* name, WORD kind, const std::wstring* argument,
            Variant& result) {
  if (object == nullptr) return false;
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  VARIANT arg;
  VariantInit(&arg);
  DISPPARAMS params{nullptr, nullptr, 0, 0};
  if (argument != nullptr) {
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocString(argument->c_str());
    params.rgvarg = &arg;
    params.cArgs = 1;
  }
  const HRESULT status = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                                        result.get(), nullptr, nullptr);
  VariantClear(&arg);
  return SUCCEEDED(status);
}

// The IDispatch a property or method returned.
Com<IDispatch> DispatchOf(Variant& value) {
  if (value.value().vt != VT_DISPATCH || value.value().pdispVal == nullptr) return {};
  IDispatch* object = value.value().pdispVal;
  object->AddRef();
  return Com<IDispatch>(object);
}

Com<IDispatch> Property(IDispatch* object, const wchar_t* name,
                        const std::wstring* argument = nullptr) {
  Variant result;
  if (!Invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, argument, result)) return {};
  return DispatchOf(result);
}

std::string Ansi(BSTR text) {
  if (text == nullptr) return {};
  const int wide = static_cast<int>(SysStringLen(text));
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

AutomationValue FromVariant(const VARIANT& v);

AutomationValue FromArray(SAFEARRAY* array) {
  AutomationValue value;
  value.kind = AutomationValue::Kind::Array;
  LONG row_low = 0, row_high = -1, column_low = 0, column_high = -1;
  if (SafeArrayGetDim(array) != 2 || FAILED(SafeArrayGetLBound(array, 1, &row_low)) ||
      FAILED(SafeArrayGetUBound(array, 1, &row_high)) ||
      FAILED(SafeArrayGetLBound(array, 2, &column_low)) ||
      FAILED(SafeArrayGetUBound(array, 2, &column_high))) {
    value.kind = AutomationValue::Kind::Other;
    return value;
  }
  value.rows = static_cast<int>(row_high - row_low + 1);
  value.columns = static_cast<int>(column_high - column_low + 1);
  for (LONG c = column_low; c <= column_high; ++c) {
    for (LONG r = row_low; r <= row_high; ++r) {
      LONG index[2] = {r, c};
      Variant element;
      if (FAILED(SafeArrayGetElement(array, index, element.get()))) {
        value.elements.emplace_back();
        value.elements.back().kind = AutomationValue::Kind::Other;
      } else {
        value.elements.push_back(FromVariant(element.value()));
      }
    }
  }
  return value;
}

AutomationValue FromVariant(const VARIANT& v) {
  AutomationValue value;
  using Kind = AutomationValue::Kind;
  switch (v.vt) {
  case VT_EMPTY: value.kind = Kind::Empty; break;
  case VT_I2: value.kind = Kind::Integer, value.number = v.iVal; break;
  case VT_R8: value.kind = Kind::Double, value.number = v.dblVal; break;
  case VT_DATE: value.kind = Kind::Date, value.number = v.date; break;
  case VT_BSTR: value.kind = Kind::Text, value.text = Ansi(v.bstrVal); break;
  case VT_ERROR: value.kind = Kind::Error, value.error = v.scode; break;
  case VT_BOOL: value.kind = Kind::Boolean, value.number = v.boolVal != VARIANT_FALSE; break;
  default:
    if ((v.vt & VT_ARRAY) != 0 && v.parray != nullptr) return FromArray(v.parray);
    value.kind = Kind::Other;
  }
  return value;
}

class ExcelObject : public ExcelAutomation {
public:
  explicit ExcelObject(Com<IDispatch> application) : application_(std::move(application)) {}

  bool ExecuteExcel4Macro(const std::wstring& macro) override {
    Variant result;
    return Invoke(application_.get(), L"ExecuteExcel4Macro", DISPATCH_METHOD, &macro, result);
  }

  bool ConnectWorkbooks() override {
    workbooks_ = Property(application_.get(), L"Workbooks");
    return static_cast<bool>(workbooks_);
  }

  bool RangeValue(const std::wstring& book, const std::wstring& sheet, const std::wstring& address,
                  AutomationValue& value) override {
    Com<IDispatch> workbook = Property(workbooks_.get(), L"Item", &book);
    Com<IDispatch> worksheets = Property(workbook.get(), L"Worksheets");
    Com<IDispatch> worksheet = Property(worksheets.get(), L"Item", &sheet);
    Com<IDispatch> range = Property(worksheet.get(), L"Range", &address);
    Variant result;
    if (!Invoke(range.get(), L"Value", DISPATCH_PROPERTYGET, nullptr, result)) return false;
    value = FromVariant(result.value());
    return true;
  }

private:
  Com<IDispatch> application_;
  Com<IDispatch> workbooks_;
};

// The Application property of an automation object (Excel's own objects all answer it).
std::unique_ptr<ExcelAutomation> ApplicationOf(IDispatch* object) {
  Com<IDispatch> application = Property(object, L"Application");
  if (!application) return nullptr;
  return std::make_unique<ExcelObject>(std::move(application));
}

class OleAutomation : public AutomationSystem {
public:
  bool Initialize() override { return SUCCEEDED(OleInitialize(nullptr)); }
  void Uninitialize() override { OleUninitialize(); }

  std::unique_ptr<ExcelAutomation> ActiveExcel() override {
    CLSID id;
    if (FAILED(CLSIDFromProgID(L"Excel.Application", &id))) return nullptr;
    Com<IUnknown> unknown;
    if (FAILED(GetActiveObject(id, nullptr, unknown.out()))) return nullptr;
    Com<IDispatch> object;
    if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object.out()))))
      return nullptr;
    return ApplicationOf(object.get());
  }

  std::vector<std::unique_ptr<ExcelAutomation>> RunningObjects() override {
    std::vector<std::unique_ptr<ExcelAutomation>> found;
    Com<IRunningObjectTable> table;
    Com<IEnumMoniker> monikers;
    Com<IBindCtx> context;
    if (FAILED(GetRunningObjectTable(0, table.out())) ||
        FAILED(table->EnumRunning(monikers.out())) || FAILED(CreateBindCtx(0, context.out())))
      return found;
    IMoniker* moniker = nullptr;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
      Com<IMoniker> held(moniker);
      Com<IDispatch> object;
      if (SUCCEEDED(held->BindToObject(context.get(), nullptr, IID_IDispatch,
                                       reinterpret_cast<void**>(object.out())))) {
        if (auto application = ApplicationOf(object.get())) found.push_back(std::move(application));
      }
    }
    return found;
  }
};

} // namespace

AutomationSystem& SystemAutomation() {
  static OleAutomation automation;
  return automation;
}

} // namespace kvp
