#include "Excel12.h"

#include <cstdarg>

#include "kvplatform/module.h"

namespace {
Excel12EntryPoint g_entry = nullptr;
bool g_in_use = false;
constexpr int kMostArguments = 255;
} // namespace

bool ConnectExcel12() {
  g_entry = reinterpret_cast<Excel12EntryPoint>(kvp::ProcessEntryPoint(kExcel12EntryPoint));
  return g_entry != nullptr;
}

bool Excel12InUse() {
  return g_in_use;
}

void UseExcel12(bool use) {
  g_in_use = use;
}

int XL_PASCAL Excel12v(int xlfn, LPXLOPER12 operRes, int count, LPXLOPER12 opers[]) {
  if (g_entry == nullptr) return xlretFailed;
  return g_entry(xlfn, count, opers, operRes);
}

int XL_CDECL Excel12(int xlfn, LPXLOPER12 operRes, int count, ...) {
  if (count < 0 || count > kMostArguments) return xlretInvCount;
  LPXLOPER12 args[kMostArguments];
  va_list list;
  va_start(list, count);
  for (int i = 0; i < count; ++i)
    args[i] = va_arg(list, LPXLOPER12);
  va_end(list);
  return Excel12v(xlfn, operRes, count, args);
}
