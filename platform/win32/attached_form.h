// A native dialog of the add-in seen from outside, as a person at the screen sees it: the
// windows the native modal driver created, read back from the windows themselves, and a
// person's actions applied to them with the Windows messages a click or typing produces.
//
// The native driver marks what it creates so that it can be found again:
//  - the dialog window's class is kDialogClass;
//  - every control window carries the property kNameProperty, the control's name (a
//    zero-terminated ANSI text that lives as long as the window);
//  - each item of a radio group is a radio button with the group's name and the property
//    kItemProperty, its index + 1.
#pragma once

#include <windows.h>

#include <memory>

#include "kvplatform/modal.h"

namespace kvp::win32 {

inline constexpr char kDialogClass[] = "KavenlorDialog";
inline constexpr char kNameProperty[] = "KvName";
inline constexpr char kItemProperty[] = "KvItem";

// True when `window` is a dialog shown by the native driver.
bool IsNativeDialog(HWND window);

// The dialog as a ModalForm whose state comes from its windows and whose actions are Windows
// messages sent to them. Valid while the dialog window exists; Showing() turns false once it
// is gone or hidden.
std::unique_ptr<ModalForm> AttachToDialog(HWND dialog);

} // namespace kvp::win32
