// Native dialogs of the add-in, driven by kvhost. When one activates, a timer is set on it; the
// dialog's own modal loop dispatches the timer, and from there kvhost is told the dialog is
// showing. kvhost's modal driver then asks about the dialog and acts on it (kForm questions),
// answered here on the windows themselves, until the dialog no longer shows.
#include <map>
#include <memory>
#include <stdexcept>

#include "attached_form.h"
#include "form_wire.h"
#include "helper.h"
#include "protocol.h"

namespace kvbridge {
namespace {

constexpr char kSeen[] = "KvDialogSeen";
constexpr UINT_PTR kShowTimer = 0x4B56; // "KV"

std::map<HWND, std::unique_ptr<kvp::ModalForm>>& Forms() {
  static std::map<HWND, std::unique_ptr<kvp::ModalForm>> forms;
  return forms;
}

void CALLBACK ShowToHost(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  Forms()[window] = kvp::win32::AttachToDialog(window);
  Writer body;
  body.U64(reinterpret_cast<std::uintptr_t>(window));
  body.U64(reinterpret_cast<std::uintptr_t>(GetWindow(window, GW_OWNER)));
  try {
    TheHelper().peer->Ask(kDialog, body);
  } catch (const PeerBroken& broken) {
    HostGone(broken.what());
  } catch (const std::exception& e) {
    GiveUp(e.what());
  }
  Forms().erase(window);
}

} // namespace

void DialogActivated(HWND window) {
  if (!kvp::win32::IsNativeDialog(window) || GetPropA(window, kSeen) != nullptr) return;
  SetPropA(window, kSeen, reinterpret_cast<HANDLE>(1));
  SetTimer(window, kShowTimer, 0, ShowToHost);
}

void AnswerDialog(Reader& in, Writer& out) {
  const auto window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(in.U64()));
  const std::uint8_t question = in.U8();
  const auto form = Forms().find(window);
  if (form != Forms().end() && form->second != nullptr) {
    AnswerForm(*form->second, question, in, out);
    return;
  }
  // A dialog kvhost no longer has: not showing, and nothing can be done on it.
  switch (question) {
  case kFormCaption: out.Bytes(""); return;
  case kFormControls: PutControls(out, {}); return;
  case kFormClick:
  case kFormSetValue:
  case kFormUpDown:
    out.U8(0);
    out.Bytes("the dialog is closed");
    return;
  case kFormShowing: out.U8(0); return;
  case kFormImagePixels: out.U32(0); return;
  default: return;
  }
}

} // namespace kvbridge
