// The masked edit's keyboard: a digit goes into the digit places while there is room, a typed
// literal of the mask steps over the one shown at the caret, Backspace takes the digit before
// the caret; anything else is refused with a beep, as the mask would refuse it. What the edit
// ends up showing is the form's to decide: each change goes to the form as the edit's text.

#include <windows.h>
// The common controls' header needs windows.h before it.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "dialog_window.h"

namespace kvp::win32 {
namespace {

LRESULT CALLBACK MaskedEditProcedure(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR, DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, &MaskedEditProcedure, 1);
  if (message != WM_CHAR) return DefSubclassProc(edit, message, wparam, lparam);
  const auto typed = static_cast<unsigned>(wparam);
  // Control keys other than Backspace (copy, paste, select all) keep their usual meaning.
  if (typed < 0x20 && typed != VK_BACK) return DefSubclassProc(edit, message, wparam, lparam);

  const MaskShape shape = ParseMask(static_cast<const char*>(GetPropA(edit, kMaskProperty)));
  const auto max_length = reinterpret_cast<std::uintptr_t>(GetPropA(edit, kMaxLengthProperty));
  const std::size_t room =
      max_length > 0 ? std::min<std::size_t>(shape.places, max_length) : shape.places;
  std::string digits = MaskDigits(shape, WindowText(edit));
  DWORD start = 0, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const auto lead = shape.leading.size();
  auto digit_at = [&](DWORD caret) {
    return std::min(digits.size(), caret > lead ? static_cast<std::size_t>(caret) - lead : 0);
  };
  std::size_t from = digit_at(start), to = digit_at(end), caret = from;
  if (typed == VK_BACK) {
    if (from == to && from == 0) return MessageBeep(MB_OK), 0;
    if (from == to) --from;
    digits.erase(from, to - from);
    caret = from;
  } else if (typed >= '0' && typed <= '9') {
    digits.erase(from, to - from);
    if (digits.size() >= room) return MessageBeep(MB_OK), 0;
    digits.insert(from, 1, static_cast<char>(typed));
    caret = from + 1;
  } else if (start == end && start < lead &&
             typed == static_cast<unsigned char>(shape.leading[start])) {
    SendMessageA(edit, EM_SETSEL, start + 1, start + 1);
    return 0;
  } else {
    return MessageBeep(MB_OK), 0;
  }
  SetWindowTextA(edit, MaskDisplay(shape, digits).c_str()); // EN_CHANGE takes it to the form
  const auto shown = static_cast<std::size_t>(GetWindowTextLengthA(edit));
  const auto at = static_cast<WPARAM>(std::min(lead + caret, shown));
  SendMessageA(edit, EM_SETSEL, at, at);
  return 0;
}

} // namespace

void FilterMaskedEdit(HWND edit) {
  SetWindowSubclass(edit, &MaskedEditProcedure, 1, 0);
}

} // namespace kvp::win32
