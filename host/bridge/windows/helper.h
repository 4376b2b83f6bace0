// kvxlbridge.exe: runs a Windows add-in for kvhost. It owns the main window "XLMAIN", loads the
// .xll, and is the add-in's XLCALL32.DLL and Excel's process: each Excel4v call, and each
// Excel12v call through the MdCallBack12 the helper exports, becomes a question to kvhost, whose
// answers it keeps until the add-in's xlFree. kvhost's questions (load, look up, call, free a
// result) are served on the same thread, also while the add-in waits in a message box.
#pragma once

#include <windows.h>

#include "peer.h"
#include "xloper_wire.h"

namespace kvbridge {

struct Helper {
  Peer* peer = nullptr;
  HWND main_window = nullptr;
  HMODULE addin = nullptr;
  // What kvhost answered to the add-in's Excel4v and Excel12v calls, until the add-in's xlFree.
  WireMemory excel_memory;
};

Helper& TheHelper();

// Answers one question of kvhost.
void AnswerHost(std::uint8_t operation, Reader& in, Writer& out);

// XLCALL32.DLL's dispatcher while the helper runs: Excel4v calls go to kvhost.
int ForwardToHost(void* context, int xlfn, LPXLOPER result, int count, LPXLOPER* args);

// Watches the helper's thread for message boxes (each is shown to kvhost and closed with its
// answer) and, when they are built, native dialogs.
void WatchMessageBoxes();

// Native dialogs (built when the native dialog driver is): a dialog that activates is shown
// to kvhost's modal driver, whose questions about it (kForm) are answered on its windows.
void DialogActivated(HWND window);
void AnswerDialog(Reader& in, Writer& out);

// The add-in's settings in Wine's registry: set for the run (kSettingsForRun), put back as
// they were, read (kReadSettings).
void SetSettingsForRun(Reader& in);
void RestoreSettings();
void ReadSettings(Writer& out);

// kvhost is gone: nothing the add-in does can be answered any more.
[[noreturn]] void HostGone(const char* reason);
// Something unforeseen in a window callback: the helper ends (kvhost sees it stop) rather than
// leave a window nobody will answer.
[[noreturn]] void GiveUp(const char* reason);

} // namespace kvbridge
