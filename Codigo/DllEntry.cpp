// Process attach: the loader's call into the library, before Excel calls any entry point.
// Only this unit goes into the loadable module, so tests that link the add-in's code get no
// load-time side effects.
#include "Kavenlor.h"

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) ProcessAttach(module);
  return TRUE;
}
#else
namespace {
// The shared-object counterpart of DllMain's process attach.
__attribute__((constructor)) void AttachToProcess() {
  ProcessAttach(kvp::ModuleOf(reinterpret_cast<const void*>(&AttachToProcess)));
}
} // namespace
#endif
