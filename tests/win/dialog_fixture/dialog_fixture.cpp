// A tiny Windows add-in whose one command shows a native-style dialog (class KavenlorDialog, a
// check box "c" and an OK button "b_ok"); OK shows a message box that tells whether the box
// was checked, then closes the dialog. It lets the Wine test drive a dialog through the helper
// before the add-in's own native dialogs exist in this build.
#include <windows.h>

#include "xlcall.h"

namespace {

constexpr int kOk = 1, kOption = 2;
HWND g_option = nullptr;

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == kOk) {
    const bool checked = SendMessageA(g_option, BM_GETCHECK, 0, 0) == BST_CHECKED;
    MessageBoxA(window, checked ? "The option was checked." : "The option was not checked.",
                "Fixture", MB_OK | MB_ICONINFORMATION);
    DestroyWindow(window);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND Child(HWND dialog, const char* text, DWORD style, int id, const char* name, int y) {
  HWND child = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | style, 10, y, 120, 24,
                               dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  SetPropA(child, "KvName", const_cast<char*>(name));
  return child;
}

XLOPER Text(char* counted) {
  XLOPER x{};
  x.xltype = xltypeStr;
  x.val.str = counted;
  return x;
}

} // namespace

extern "C" __declspec(dllexport) int xlAutoOpen() {
  static char procedure[] = "\x0E"
                            "fixture_dialog";
  static char type[] = "\x01"
                       "J";
  static char none[] = "\x00";
  XLOPER name{}, result{};
  Excel4(xlGetName, &name, 0);
  XLOPER p = Text(procedure), t = Text(type), f = Text(procedure), a = Text(none);
  XLOPER macro{};
  macro.xltype = xltypeNum;
  macro.val.num = 2;
  Excel4(xlfRegister, &result, 6, &name, &p, &t, &f, &a, &macro);
  Excel4(xlFree, nullptr, 1, &name);
  return 1;
}

extern "C" __declspec(dllexport) int fixture_dialog() {
  WNDCLASSA dialog_class{};
  dialog_class.lpfnWndProc = DialogProc;
  dialog_class.hInstance = GetModuleHandleA(nullptr);
  dialog_class.lpszClassName = "KavenlorDialog";
  RegisterClassA(&dialog_class);
  HWND dialog = CreateWindowExA(0, "KavenlorDialog", "Fixture dialog", WS_OVERLAPPEDWINDOW, 10, 10,
                                200, 120, nullptr, nullptr, dialog_class.hInstance, nullptr);
  g_option = Child(dialog, "Option", BS_AUTOCHECKBOX, kOption, "c", 10);
  Child(dialog, "OK", BS_PUSHBUTTON, kOk, "b_ok", 40);
  ShowWindow(dialog, SW_SHOW);
  MSG message;
  while (IsWindow(dialog) && GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 1;
}
