// Message boxes the add-in shows (MessageBoxA) are read when they activate, shown to kvhost,
// which prints and records them as it does any message box and answers, and closed with that
// answer, as a person's click closes them.
#include <stdexcept>
#include <string>

#include "helper.h"
#include "protocol.h"

namespace kvbridge {
namespace {

constexpr char kSeen[] = "KvMessageBoxSeen";
constexpr int kTextId = 0xFFFF; // the static holding a message box's text

std::string TextOf(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The icon, from the icon static's picture compared with the system's icons.
unsigned IconStyle(HWND box) {
  const struct {
    LPCSTR icon;
    unsigned style;
  } icons[] = {{IDI_HAND, MB_ICONHAND},
               {IDI_QUESTION, MB_ICONQUESTION},
               {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
               {IDI_ASTERISK, MB_ICONASTERISK}};
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    const auto shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    for (const auto& known : icons)
      if (shown != nullptr && shown == LoadIconA(nullptr, known.icon)) return known.style;
  }
  return 0;
}

// The buttons, as the MB_ type bits that would make them.
unsigned ButtonStyle(HWND box) {
  const auto has = [box](int id) { return GetDlgItem(box, id) != nullptr; };
  if (has(IDABORT)) return MB_ABORTRETRYIGNORE;
  if (has(IDYES)) return has(IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
  if (has(IDRETRY)) return MB_RETRYCANCEL;
  if (has(IDCANCEL) && has(IDOK)) return MB_OKCANCEL;
  return MB_OK;
}

void ShowToHost(HWND box) {
  Writer body;
  body.U64(reinterpret_cast<std::uintptr_t>(GetWindow(box, GW_OWNER)));
  body.Bytes(TextOf(box));
  char text[4096] = {};
  GetDlgItemTextA(box, kTextId, text, sizeof text);
  body.Bytes(text);
  body.U32(IconStyle(box) | ButtonStyle(box));
  int button = IDOK;
  try {
    const auto answer = TheHelper().peer->Ask(kMessageBox, body);
    Reader in(answer);
    button = in.I32();
  } catch (const PeerBroken& broken) {
    HostGone(broken.what());
  }
  // A button the box does not have closes it as Escape would: with its cancel answer.
  if (GetDlgItem(box, button) == nullptr) button = GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

bool IsMessageBox(HWND window) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  return std::string(name) == "#32770" && GetDlgItem(window, kTextId) != nullptr;
}

void Activated(HWND window) {
  // Activation comes again when the box gets the focus back; it is answered once.
  if (IsMessageBox(window) && GetPropA(window, kSeen) == nullptr) {
    SetPropA(window, kSeen, reinterpret_cast<HANDLE>(1));
    ShowToHost(window);
  }
#if defined(KV_HELPER_DRIVES_DIALOGS)
  DialogActivated(window);
#endif
}

LRESULT CALLBACK Watch(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE) {
    try {
      Activated(reinterpret_cast<HWND>(wparam));
    } catch (const std::exception& e) {
      GiveUp(e.what()); // nothing may escape into user32's frames
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

} // namespace

void WatchMessageBoxes() {
  SetWindowsHookExA(WH_CBT, Watch, nullptr, GetCurrentThreadId());
}

} // namespace kvbridge
