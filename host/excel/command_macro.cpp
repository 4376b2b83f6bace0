#include "command_macro.h"

#include "addin.h"
#include "procedure_call.h"

namespace kvhost {

bool RunCommandMacro(ExcelHost& host, std::string_view name, std::string& problem) {
  const Registration* command = host.app().FindRegistration(std::string(name));
  if (command == nullptr || command->address == nullptr || host.addin() == nullptr) {
    problem = "no command is registered as " + std::string(name);
    return false;
  }
  if (!command->IsCommand()) {
    problem = command->function_text + " is a worksheet function, not a command";
    return false;
  }
  const auto signature = ReadSignature(command->type_text, problem);
  if (!signature) return false;
  if (!signature->arguments.empty()) {
    problem = command->function_text + " takes arguments (" + command->type_text +
              "), which a menu cannot give";
    return false;
  }
  if (!host.addin()->Call(command->address, *signature, {})) {
    problem = "cannot build a call for the type text " + command->type_text;
    return false;
  }
  return true;
}

} // namespace kvhost
