#include "xlcall32.h"

#include <cstdarg>

namespace {
XlDispatcher g_dispatcher = nullptr;
void* g_context = nullptr;
XlDispatcher12 g_dispatcher12 = nullptr;
void* g_context12 = nullptr;
} // namespace

extern "C" {

XLCALL_API XlDispatcher XlInstallDispatcher(XlDispatcher dispatcher, void* context) {
  XlDispatcher previous = g_dispatcher;
  g_dispatcher = dispatcher;
  g_context = context;
  return previous;
}

XLCALL_API int Excel4v(int xlfn, LPXLOPER operRes, int count, LPXLOPER opers[]) {
  if (count < 0 || count > kXlMaxArguments || (count > 0 && opers == nullptr)) return xlretInvCount;
  if (g_dispatcher == nullptr) return xlretInvXlfn;
  return g_dispatcher(g_context, xlfn, operRes, count, opers);
}

XLCALL_API int Excel4(int xlfn, LPXLOPER operRes, int count, ...) {
  if (count < 0 || count > kXlMaxArguments) return xlretInvCount;
  LPXLOPER args[kXlMaxArguments];
  va_list list;
  va_start(list, count);
  for (int i = 0; i < count; ++i)
    args[i] = va_arg(list, LPXLOPER);
  va_end(list);
  return Excel4v(xlfn, operRes, count, args);
}

XLCALL_API XlDispatcher12 XlInstallDispatcher12(XlDispatcher12 dispatcher, void* context) {
  XlDispatcher12 previous = g_dispatcher12;
  g_dispatcher12 = dispatcher;
  g_context12 = context;
  return previous;
}

XLCALL_API int MdCallBack12(int xlfn, int count, LPXLOPER12* opers, LPXLOPER12 operRes) {
  if (count < 0 || count > kXl12MaxArguments || (count > 0 && opers == nullptr))
    return xlretInvCount;
  if (g_dispatcher12 == nullptr) return xlretFailed;
  return g_dispatcher12(g_context12, xlfn, operRes, count, opers);
}
}
