// Small tools for value records, shared by the add-in, kvhost and the tests: the type without
// its ownership bits, records made in one expression, and an owner that gives a value Excel
// filled back to Excel when it goes out of scope.
#pragma once

#include <cstdint>

#include "XlKind.h"
#include "xlcall.h"

namespace xl {

// Both ownership markers: whoever frees the value, they are not part of its type.
constexpr std::uint16_t kOwnershipBits = xlbitXLFree | xlbitDLLFree;

template <Record Oper> constexpr unsigned BaseType(const Oper& value) {
  return value.xltype & ~static_cast<typename Kind<Oper>::Type>(kOwnershipBits);
}

template <Record Oper = XLOPER> constexpr Oper Number(double number) {
  Oper x{};
  x.xltype = xltypeNum;
  x.val.num = number;
  return x;
}
template <Record Oper = XLOPER> constexpr Oper Integer(typename Kind<Oper>::Int number) {
  Oper x{};
  x.xltype = xltypeInt;
  x.val.w = number;
  return x;
}
template <Record Oper = XLOPER> constexpr Oper Boolean(bool flag) {
  Oper x{};
  x.xltype = xltypeBool;
  x.val.xbool = flag ? 1 : 0;
  return x;
}
template <Record Oper = XLOPER> constexpr Oper Error(std::uint16_t code) {
  Oper x{};
  x.xltype = xltypeErr;
  x.val.err = code;
  return x;
}
template <Record Oper = XLOPER> constexpr Oper Missing() {
  Oper x{};
  x.xltype = xltypeMissing;
  return x;
}
template <Record Oper = XLOPER> constexpr Oper Nil() {
  Oper x{};
  x.xltype = xltypeNil;
  return x;
}

// A value that Excel fills (xlGetName, GET.CELL, GET.DOCUMENT, ...) and that goes back to Excel
// with one xlFree, called directly, at the end of the owner's scope: the memory Excel lent is
// returned on every path, an exception's included. Each Fill starts from nil, as a fresh record;
// what Excel put there before is not freed by it (Excel's answers to the questions asked twice
// into one record carry no memory). The record's interface is the one that frees it.
template <Record Oper> class BasicExcelValue {
public:
  BasicExcelValue() = default;
  ~BasicExcelValue() { Release(); }
  BasicExcelValue(const BasicExcelValue&) = delete;
  BasicExcelValue& operator=(const BasicExcelValue&) = delete;

  // The record to hand to Excel as the result of a call, reset to nil first.
  Oper* Fill() {
    value_ = Nil<Oper>();
    held_ = true;
    return &value_;
  }
  // The record as Excel left it (nil before the first Fill).
  Oper* get() { return &value_; }
  const Oper& operator*() const { return value_; }
  const Oper* operator->() const { return &value_; }
  unsigned Type() const { return BaseType(value_); }

  // xlFree now, once; later calls and the destructor do nothing until the next Fill.
  void Release() {
    if (!held_) return;
    held_ = false;
    Oper* args[] = {&value_};
    Kind<Oper>::Callv(xlFree, nullptr, 1, args);
  }
  // Excel's answer holds nothing to give back (an error value): no xlFree for it.
  void Forget() { held_ = false; }
  // Two values given back in one xlFree call, as the entry points release theirs together.
  friend void ReleaseTogether(BasicExcelValue& a, BasicExcelValue& b) {
    a.held_ = b.held_ = false;
    Oper* args[] = {&a.value_, &b.value_};
    Kind<Oper>::Callv(xlFree, nullptr, 2, args);
  }

private:
  Oper value_ = Nil<Oper>();
  bool held_ = false;
};

using ExcelValue = BasicExcelValue<XLOPER>;
using ExcelValue12 = BasicExcelValue<XLOPER12>;

} // namespace xl
