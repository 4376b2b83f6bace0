#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "handle_stream.h"
#include "helper.h"
#include "protocol.h"
#include "xlcall32.h"

namespace kvbridge {

Helper& TheHelper() {
  static Helper helper;
  return helper;
}

void GiveUp(const char* reason) {
  std::fprintf(stderr, "kvxlbridge: %s\n", reason);
  RestoreSettings();
  ExitProcess(3);
}

void HostGone(const char* reason) {
  GiveUp((std::string("kvhost is gone: ") + reason).c_str());
}

namespace {

HWND CreateMainWindow() {
  WNDCLASSA main_class{};
  main_class.lpfnWndProc = DefWindowProcA;
  main_class.hInstance = GetModuleHandleA(nullptr);
  main_class.lpszClassName = "XLMAIN";
  RegisterClassA(&main_class);
  return CreateWindowExA(0, "XLMAIN", "Microsoft Excel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 640, 480, nullptr, nullptr, main_class.hInstance, nullptr);
}

} // namespace
} // namespace kvbridge

int main() {
  using namespace kvbridge;
  // The pipe is standard input and output; whatever else writes to standard output (the C
  // runtime's stdout included) must land on standard error instead, never inside a frame.
  HANDLE process = GetCurrentProcess();
  HANDLE in = nullptr, out = nullptr;
  DuplicateHandle(process, GetStdHandle(STD_INPUT_HANDLE), process, &in, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  DuplicateHandle(process, GetStdHandle(STD_OUTPUT_HANDLE), process, &out, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  std::fflush(stdout);
  _dup2(_fileno(stderr), _fileno(stdout));
  SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
  SetStdHandle(STD_INPUT_HANDLE, nullptr);

  HandleStream stream(in, out);
  if (!stream.WriteAll(kGreeting, sizeof kGreeting)) return 3;
  Peer peer(stream, AnswerHost);
  Helper& helper = TheHelper();
  helper.peer = &peer;
  helper.main_window = CreateMainWindow();
  XlInstallDispatcher(ForwardToHost, nullptr);
  WatchMessageBoxes();
  try {
    peer.Serve(kQuit);
  } catch (const PeerBroken& broken) {
    HostGone(broken.what());
  }
  XlInstallDispatcher(nullptr, nullptr);
  if (helper.addin != nullptr) FreeLibrary(helper.addin);
  RestoreSettings();
  return 0;
}
