// kvhost welcome: the welcome dialog the installer shows.
#include <iostream>

#include "../excel/addin.h"
#include "commands.h"

namespace kvhost {

int RunWelcome(const Options& options) {
  ExcelHost host;
  DialogDriver dialogs(DialogModeOf(options), std::cout, std::cin);
  dialogs.Install();
  // The installer loads the library and calls the procedure; Excel's entry points play no part.
  auto addin = LoadAddIn(host, options);
  if (!addin) return kExitUsage;
  void* welcome = addin->Procedure("carrega_instalador");
  if (welcome == nullptr) {
    std::cerr << "kvhost: the add-in exports no carrega_instalador\n";
    return kExitUsage;
  }
  const std::size_t alerts = host.app().Alerts().size();
  ArmCallFaults();
  // It answers a byte nobody reads; the call is what shows the dialog.
  addin->Call(welcome, Signature{'J', ""}, {});
  if (dialogs.Dialogs().empty()) std::cout << "No dialog was shown.\n";
  for (const DialogRecord& dialog : dialogs.Dialogs()) {
    std::cout << "Dialog \"" << dialog.caption << "\" closed by " << dialog.closed_by << '\n';
    if (!dialog.refusal.empty()) std::cerr << "kvhost: refused: " << dialog.refusal << '\n';
  }
  if (dialogs.Refused()) return kExitUsage;
  return host.app().ErrorShownSince(alerts) ? kExitCommandFailed : kExitDone;
}

} // namespace kvhost
