// The add-in's Excel4v calls, asked of kvhost. xlFree stays here: what it frees is the helper's
// copy of an answer, kvhost's own was released as soon as it was sent.
#include "helper.h"
#include "protocol.h"

namespace kvbridge {

int ForwardToHost(void*, int xlfn, LPXLOPER result, int count, LPXLOPER* args) {
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
    const auto answer = helper.peer->Ask(kExcel, body);
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

} // namespace kvbridge
