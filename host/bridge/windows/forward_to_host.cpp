// The add-in's Excel4v and Excel12v calls, asked of kvhost. xlFree stays here: what it frees is
// the helper's copy of an answer, kvhost's own was released as soon as it was sent.
#include "helper.h"
#include "protocol.h"
#include "xlcall32.h"

namespace kvbridge {
namespace {

template <class Oper> int Forward(int xlfn, Oper* result, int count, Oper** args) {
  Helper& helper = TheHelper();
  if (xlfn == xlFree) {
    for (int i = 0; i < count; ++i)
      if (args[i] != nullptr) helper.excel_memory.Release(*args[i]);
    return xlretSuccess;
  }
  Writer body;
  body.I32(xlfn);
  body.U8(result != nullptr);
  body.U16(static_cast<std::uint16_t>(count));
  for (int i = 0; i < count; ++i)
    if (args[i] == nullptr || !PutXloper(body, *args[i])) return xlretInvXloper;
  try {
    const auto answer = helper.peer->Ask(std::is_same_v<Oper, XLOPER> ? kExcel : kExcel12, body);
    Reader in(answer);
    const int code = in.I32();
    if (result != nullptr) GetXloper(in, *result, helper.excel_memory);
    return code;
  } catch (const PeerBroken& broken) {
    HostGone(broken.what());
  } catch (...) {
    return xlretFailed; // nothing escapes into the add-in
  }
}

} // namespace

int ForwardToHost(void*, int xlfn, LPXLOPER result, int count, LPXLOPER* args) {
  return Forward(xlfn, result, count, args);
}

} // namespace kvbridge

// Excel's process offers its add-ins the Excel 12 interface through this export of its own
// executable; the helper is that process. kvhost answers as Excel of its --excel-version would:
// before 12.0 every call fails, and the add-in keeps to Excel4v.
extern "C" __declspec(dllexport) int XL_PASCAL
    MdCallBack12(int xlfn, int count, LPXLOPER12* opers, LPXLOPER12 result) {
  if (count < 0 || count > kXl12MaxArguments || (count > 0 && opers == nullptr))
    return xlretInvCount;
  return kvbridge::Forward(xlfn, result, count, opers);
}
