// The native dialog window: its modal loop, and the events of its controls sent to the form.
#include <windows.h>
// The common controls' header needs windows.h before it.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "attached_form.h"
#include "dialog_window.h"

namespace kvp::win32 {
namespace {

// The dialog font: 8 points of the system's dialog face.
HFONT MakeFont(bool bold) {
  HDC dc = GetDC(nullptr);
  const int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, "MS Shell Dlg");
}

// A form without a layout of its own: its controls one under the other.
void StackControls(std::vector<ControlState>& states, FormSize& size) {
  int top = 7;
  for (ControlState& s : states) {
    const int height = s.kind == "radio group" ? 14 + 10 * static_cast<int>(s.items.size())
                       : s.kind == "memo"      ? 60
                       : s.kind == "button" || s.kind == "drop-down list" ? 14
                                                                          : 12;
    s.left = 7;
    s.top = top;
    s.width = s.kind == "button" || s.kind == "up-down" ? 50 : 240;
    s.height = height;
    top += height + 4;
  }
  size = {254, top + 3};
}

} // namespace

DialogWindow::DialogWindow(ModalForm& form, HWND owner) : form_(form), owner_(owner) {
  font_ = MakeFont(false);
  bold_font_ = MakeFont(true);
  units_ = MeasureBaseUnits(font_);
  std::vector<ControlState> states = form_.Controls();
  FormSize size = form_.ClientSize();
  if (size.width <= 0 || size.height <= 0) StackControls(states, size);

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD extended = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, units_.PixelsX(size.width), units_.PixelsY(size.height)};
  AdjustWindowRectEx(&frame, style, FALSE, extended);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  // Centred on the owner, or on the screen's work area when there is none to see.
  RECT around{};
  if (owner_ == nullptr || !IsWindowVisible(owner_) || !GetWindowRect(owner_, &around))
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
  const int x = around.left + (around.right - around.left - width) / 2;
  const int y = around.top + (around.bottom - around.top - height) / 2;
  window_ = CreateWindowExA(extended, kDialogClass, form_.Caption().c_str(), style, x, y, width,
                            height, owner_, nullptr, ThisModule(), this);
  if (window_ == nullptr) return;
  CreateControls(std::move(states));
  Update();
}

DialogWindow::~DialogWindow() {
  if (window_ != nullptr && IsWindow(window_)) {
    for (const auto& [window, property] : marks_)
      RemovePropA(window, property);
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  for (auto& [color, brush] : brushes_)
    DeleteObject(brush);
  for (HBITMAP bitmap : bitmaps_)
    DeleteObject(bitmap);
  DeleteObject(font_);
  DeleteObject(bold_font_);
}

void DialogWindow::Run() {
  if (window_ == nullptr) return;
  // Modal: the owner takes no input while the dialog is up.
  const bool owner_enabled = owner_ != nullptr && IsWindowEnabled(owner_);
  if (owner_enabled) EnableWindow(owner_, FALSE);
  ShowWindow(window_, SW_SHOW);
  if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
  MSG message;
  while (form_.Showing()) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam)); // the application's loop ends too
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageA(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  // The owner is enabled again before the dialog goes, so that it is activated in its place.
  if (owner_enabled) EnableWindow(owner_, TRUE);
  ShowWindow(window_, SW_HIDE);
}

LRESULT CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ == nullptr)
    return DefWindowProcA(window, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT DialogWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_COMMAND: return OnCommand(wparam, lparam);
  case WM_NOTIFY: {
    auto* header = reinterpret_cast<NMHDR*>(lparam);
    const char* name = static_cast<const char*>(GetPropA(header->hwndFrom, kNameProperty));
    if (header->code != UDN_DELTAPOS || name == nullptr || updating_) break;
    // The form moves the position (or not); the control must not move it by itself.
    std::string why;
    form_.ClickUpDown(name, reinterpret_cast<NMUPDOWN*>(lparam)->iDelta > 0, why);
    Update();
    return TRUE;
  }
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORBTN:
    return OnColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
  case WM_CLOSE:
    form_.CloseByFrame();
    Update();
    return 0;
  case DM_GETDEFID:
    if (GetDlgItem(window_, IDOK) != nullptr) return MAKELRESULT(IDOK, DC_HASDEFID);
    return 0;
  case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
  default: break;
  }
  return DefWindowProcA(window_, message, wparam, lparam);
}

LRESULT DialogWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  const int code = HIWORD(wparam), id = LOWORD(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  // Enter and Esc come from the dialog manager as the default and cancel buttons' ids.
  if (control == nullptr && (id == IDOK || id == IDCANCEL)) control = GetDlgItem(window_, id);
  const char* name = control ? static_cast<const char*>(GetPropA(control, kNameProperty)) : nullptr;
  if (name == nullptr || updating_) return 0;
  const std::string kind = static_cast<const char*>(GetPropA(control, kKindProperty));
  const auto item = reinterpret_cast<std::uintptr_t>(GetPropA(control, kItemProperty));
  std::string why;
  if (code == BN_CLICKED && item > 0)
    form_.SetValue(name, std::to_string(item - 1), why);
  else if (code == BN_CLICKED && (kind == "button" || kind == "check box"))
    form_.Click(name, why);
  else if (code == EN_CHANGE && (kind == "edit" || kind == "masked edit"))
    form_.SetValue(name, WindowText(control), why);
  else if (code == CBN_SELCHANGE) {
    const auto index = SendMessageA(control, CB_GETCURSEL, 0, 0);
    if (index >= 0) form_.SetValue(name, std::to_string(index), why);
  } else
    return 0;
  // A refused action changes nothing; the windows are brought back to the form either way.
  Update();
  return 0;
}

LRESULT DialogWindow::OnColor(HDC dc, HWND control) {
  if (GetPropA(control, kNameProperty) == nullptr)
    return DefWindowProcA(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
  auto colour = [&](const char* property) {
    return ToColorRef(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(GetPropA(control, property))));
  };
  const auto backdrop = backdrops_.find(control);
  const COLORREF back = backdrop != backdrops_.end() ? backdrop->second : colour(kColorProperty);
  SetTextColor(dc, colour(kFontColorProperty));
  SetBkColor(dc, back);
  return reinterpret_cast<LRESULT>(Brush(back));
}

HBRUSH DialogWindow::Brush(COLORREF color) {
  auto& brush = brushes_[color];
  if (brush == nullptr) brush = CreateSolidBrush(color);
  return brush;
}

} // namespace kvp::win32
