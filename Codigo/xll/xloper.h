// Small tools for value records, shared by the add-in, kvhost and the tests: the type without
// its ownership bits, records made in one expression, and an owner that gives a value Excel
// filled back to Excel when it goes out of scope.
#pragma once

#include <cstdint>

#include "xlcall.h"

namespace xl {

// Both ownership markers: whoever frees the value, they are not part of its type.
constexpr std::uint16_t kOwnershipBits = xlbitXLFree | xlbitDLLFree;

constexpr unsigned BaseType(const XLOPER& value) {
  return value.xltype & ~kOwnershipBits;
}

constexpr XLOPER Number(double number) {
  XLOPER x{};
  x.xltype = xltypeNum;
  x.val.num = number;
  return x;
}
constexpr XLOPER Integer(std::int16_t number) {
  XLOPER x{};
  x.xltype = xltypeInt;
  x.val.w = number;
  return x;
}
constexpr XLOPER Boolean(bool flag) {
  XLOPER x{};
  x.xltype = xltypeBool;
  x.val.xbool = flag ? 1 : 0;
  return x;
}
constexpr XLOPER Error(std::uint16_t code) {
  XLOPER x{};
  x.xltype = xltypeErr;
  x.val.err = code;
  return x;
}
constexpr XLOPER Missing() {
  XLOPER x{};
  x.xltype = xltypeMissing;
  return x;
}
constexpr XLOPER Nil() {
  XLOPER x{};
  x.xltype = xltypeNil;
  return x;
}

// A value that Excel fills (xlGetName, GET.CELL, GET.DOCUMENT, ...) and that goes back to Excel
// with one xlFree, called directly, at the end of the owner's scope: the memory Excel lent is
// returned on every path, an exception's included. Each Fill starts from nil, as a fresh record;
// what Excel put there before is not freed by it (Excel's answers to the questions asked twice
// into one record carry no memory).
class ExcelValue {
public:
  ExcelValue() = default;
  ~ExcelValue() { Release(); }
  ExcelValue(const ExcelValue&) = delete;
  ExcelValue& operator=(const ExcelValue&) = delete;

  // The record to hand to Excel as the result of a call, reset to nil first.
  LPXLOPER Fill() {
    value_ = Nil();
    held_ = true;
    return &value_;
  }
  // The record as Excel left it (nil before the first Fill).
  LPXLOPER get() { return &value_; }
  const XLOPER& operator*() const { return value_; }
  const XLOPER* operator->() const { return &value_; }
  unsigned Type() const { return BaseType(value_); }

  // xlFree now, once; later calls and the destructor do nothing until the next Fill.
  void Release() {
    if (!held_) return;
    held_ = false;
    Excel4(xlFree, nullptr, 1, &value_);
  }
  // Excel's answer holds nothing to give back (an error value): no xlFree for it.
  void Forget() { held_ = false; }
  // Two values given back in one xlFree call, as the entry points release theirs together.
  friend void ReleaseTogether(ExcelValue& a, ExcelValue& b) {
    a.held_ = b.held_ = false;
    Excel4(xlFree, nullptr, 2, &a.value_, &b.value_);
  }

private:
  XLOPER value_ = Nil();
  bool held_ = false;
};

} // namespace xl
